#include "rvpersist.h"
#include "rvMessage.h"

#include "rvJson.h"

#include <cstring>
#include <fstream>

void rvpersist::AddRecord(const std::string& sName, int eKind, void* pAddress, int nCount)
{
    Member m;
    m._sName = sName;
    m._eKind = eKind;
    m._pAddress = pAddress;
    m._nCount = nCount;
    _aMembers.push_back(m);
}

void rvpersist::AddBool(const std::string& sName, bool* pb)
{
    AddRecord(sName, PERSIST_BOOL, pb, 0);
}
void rvpersist::AddInt(const std::string& sName, int* pn)
{
    AddRecord(sName, PERSIST_INT, pn, 0);
}
void rvpersist::AddFloat(const std::string& sName, float* pf, int nCount)
{
    AddRecord(sName, PERSIST_FLOAT, pf, nCount);
}
void rvpersist::AddString(const std::string& sName, std::string* ps)
{
    AddRecord(sName, PERSIST_STRING, ps, 0);
}

namespace
{
// Size in bytes of one value of a kind (lists excluded).
size_t ValueSize(int eKind)
{
    switch (eKind)
    {
    case PERSIST_BOOL:
        return sizeof(bool);
    case PERSIST_INT:
        return sizeof(int);
    case PERSIST_FLOAT:
        return sizeof(float);
    case PERSIST_VEC3:
        return 3 * sizeof(float);
    case PERSIST_VEC2:
        return 2 * sizeof(float);
    default:
        return 0;
    }
}

float ReadFloatOrZero(const Json::Value& v)
{
    float f = 0.0f;
    rvJson::ReadFloat(v, &f);
    return f;
}

// One value of a kind at an address from a JSON value that is present. Anything that cannot
// be converted reads as 0 (false), like a missing element.
void LoadValue(int eKind, void* p, const Json::Value& v)
{
    switch (eKind)
    {
    case PERSIST_BOOL:
    {
        bool b = false;
        rvJson::ReadBool(v, &b);
        *static_cast<bool*>(p) = b;
        break;
    }
    case PERSIST_INT:
    {
        int n = 0;
        rvJson::ReadInt(v, &n);
        *static_cast<int*>(p) = n;
        break;
    }
    case PERSIST_FLOAT:
        *static_cast<float*>(p) = ReadFloatOrZero(v);
        break;
    case PERSIST_VEC3:
        static_cast<float*>(p)[2] = ReadFloatOrZero(rvJson::Member(v, "z"));
        // fall through
    case PERSIST_VEC2:
        static_cast<float*>(p)[0] = ReadFloatOrZero(rvJson::Member(v, "x"));
        static_cast<float*>(p)[1] = ReadFloatOrZero(rvJson::Member(v, "y"));
        break;
    default:
        break;
    }
}

Json::Value SaveValue(int eKind, const void* p)
{
    switch (eKind)
    {
    case PERSIST_BOOL:
        return Json::Value(*static_cast<const bool*>(p));
    case PERSIST_INT:
        return Json::Value(*static_cast<const int*>(p));
    case PERSIST_FLOAT:
        return rvJson::FloatToJson(*static_cast<const float*>(p));
    case PERSIST_VEC3:
    case PERSIST_VEC2:
    {
        const float* pf = static_cast<const float*>(p);
        Json::Value v(Json::objectValue);
        v["x"] = rvJson::FloatToJson(pf[0]);
        v["y"] = rvJson::FloatToJson(pf[1]);
        if (eKind == PERSIST_VEC3) v["z"] = rvJson::FloatToJson(pf[2]);
        return v;
    }
    default:
        return Json::Value();
    }
}
} // namespace

void rvpersist::LoadMember(const Member& member, const Json::Value& json)
{
    const Json::Value& v = rvJson::Member(json, member._sName.c_str());
    if (v.isNull()) return; // absent: the member keeps its value

    switch (member._eKind)
    {
    case PERSIST_STRING:
        if (member._nCount == 0) rvJson::ReadString(v, static_cast<std::string*>(member._pAddress));
        return;
    case PERSIST_VEC2_LIST:
    case PERSIST_VEC3_LIST:
    {
        if (!member._pfnListResize) return;
        const bool bThree = member._eKind == PERSIST_VEC3_LIST;
        const size_t nStride = bThree ? 12 : 8;
        const unsigned int n = v.isArray() ? v.size() : 0;
        member._pfnListResize(member._pAddress, n);
        unsigned char* pData = member._pfnListData(member._pAddress);
        for (unsigned int i = 0; i < n; ++i)
        {
            float xyz[3] = {0, 0, 0};
            LoadValue(bThree ? PERSIST_VEC3 : PERSIST_VEC2, xyz, v[i]);
            // The third field keeps the float's 32 bits unchanged.
            std::memcpy(pData + i * nStride, xyz, nStride);
        }
        return;
    }
    default:
        break;
    }

    const size_t nSize = ValueSize(member._eKind);
    if (nSize == 0) return;
    if (member._nCount == 0)
    {
        LoadValue(member._eKind, member._pAddress, v);
        return;
    }
    for (int i = 0; i < member._nCount; ++i)
        LoadValue(member._eKind, static_cast<unsigned char*>(member._pAddress) + i * nSize,
                  rvJson::Element(v, unsigned(i)));
}

void rvpersist::SaveMember(const Member& member, Json::Value& json)
{
    switch (member._eKind)
    {
    case PERSIST_STRING:
        if (member._nCount == 0) json[member._sName] = *static_cast<const std::string*>(member._pAddress);
        return;
    case PERSIST_VEC2_LIST:
    case PERSIST_VEC3_LIST:
    {
        if (!member._pfnListSize) return;
        const bool bThree = member._eKind == PERSIST_VEC3_LIST;
        const size_t nStride = bThree ? 12 : 8;
        const size_t n = member._pfnListSize(member._pAddress);
        const unsigned char* pData = member._pfnListData(member._pAddress);
        Json::Value a(Json::arrayValue);
        for (size_t i = 0; i < n; ++i)
        {
            float xyz[3] = {0, 0, 0};
            std::memcpy(xyz, pData + i * nStride, nStride);
            a.append(SaveValue(bThree ? PERSIST_VEC3 : PERSIST_VEC2, xyz));
        }
        json[member._sName] = a;
        return;
    }
    default:
        break;
    }

    const size_t nSize = ValueSize(member._eKind);
    if (nSize == 0) return;
    if (member._nCount == 0)
    {
        json[member._sName] = SaveValue(member._eKind, member._pAddress);
        return;
    }
    Json::Value a(Json::arrayValue);
    for (int i = 0; i < member._nCount; ++i)
        a.append(SaveValue(member._eKind, static_cast<const unsigned char*>(member._pAddress) + i * nSize));
    json[member._sName] = a;
}

void rvpersist::Load(const Json::Value& json)
{
    for (const Member& m : _aMembers)
        LoadMember(m, json);
    for (size_t i = 0; i < _apChildren.size(); ++i)
    {
        rvpersist* pChild = _apChildren[i];
        const Json::Value& e = rvJson::Element(rvJson::Member(json, pChild->_sName.c_str()), unsigned(i));
        if (e.isObject()) pChild->Load(e);
    }
    unsigned int j = 0;
    for (const NamedArray& na : _aNamedArrays)
    {
        for (rvpersist* pObject : *na._papObjects)
        {
            const Json::Value& e = rvJson::Element(rvJson::Member(json, na._sName.c_str()), j++);
            if (e.isObject()) pObject->Load(e);
        }
    }
}

void rvpersist::Save(Json::Value& json)
{
    for (const Member& m : _aMembers)
        SaveMember(m, json);
    for (size_t i = 0; i < _apChildren.size(); ++i)
    {
        rvpersist* pChild = _apChildren[i];
        Json::Value& a = json[pChild->_sName];
        if (!a.isArray()) a = Json::Value(Json::arrayValue);
        Json::Value e(Json::objectValue);
        pChild->Save(e);
        a[Json::ArrayIndex(i)] = e; // earlier slots of this array stay null
    }
    Json::ArrayIndex j = 0;
    for (const NamedArray& na : _aNamedArrays)
    {
        for (rvpersist* pObject : *na._papObjects)
        {
            Json::Value& a = json[na._sName];
            if (!a.isArray()) a = Json::Value(Json::arrayValue);
            Json::Value e(Json::objectValue);
            pObject->Save(e);
            a[j++] = e;
        }
    }
}

bool rvpersist::SaveFile()
{
    Json::Value root(Json::objectValue);
    Json::Value& body = root[_sName];
    body = Json::Value(Json::objectValue);
    Save(body);
    return rvJson::SaveFile(FilePath(), root);
}

void rvpersist::LoadFile()
{
    std::ifstream in(FilePath());
    if (!in.is_open()) return;
    // The whole document or nothing: a cut file leaves every member as it was.
    Json::Value root;
    if (!rvJson::Parse(in, &root))
    {
        rvReport(rvMessageKind::Error, "\"%s\" is not a whole JSON document\n", FilePath().c_str());
        return;
    }
    Load(rvJson::Member(root, _sName.c_str()));
}
