#pragma once
// Base of objects that save and load some of their own members as JSON, by name. A derived
// object registers each persisted member once, in its constructor; Save then writes every
// registered member into a JSON object under its name and Load reads them back.
#include <cstddef>
#include <json/json.h>
#include <string>
#include <type_traits>
#include <vector>

enum PersistKind
{
    PERSIST_BOOL = 0,
    PERSIST_INT = 1,
    PERSIST_FLOAT = 2,
    PERSIST_VEC3 = 3,
    PERSIST_VEC2 = 4,
    PERSIST_STRING = 5,
    PERSIST_VEC2_LIST = 6, // std::vector of {float, float}
    PERSIST_VEC3_LIST = 7, // std::vector of {float, float, 32-bit field saved as the float of its bits}
};

class rvpersist
{
public:
    struct Member
    {
        std::string _sName;
        int _eKind;
        void* _pAddress;
        int _nCount; // 0 = one value; N > 0 = N consecutive values
        // List kinds: how to reach the std::vector of records.
        size_t (*_pfnListSize)(void* pList) = nullptr;
        void (*_pfnListResize)(void* pList, size_t n) = nullptr;
        unsigned char* (*_pfnListData)(void* pList) = nullptr;
    };
    struct NamedArray
    {
        std::string _sName;
        std::vector<rvpersist*>* _papObjects;
    };

    explicit rvpersist(const std::string& sName) : _sName(sName) {}
    virtual ~rvpersist() = default;
    // The member records hold addresses inside this object: never copied.
    rvpersist(const rvpersist&) = delete;
    rvpersist& operator=(const rvpersist&) = delete;

    virtual void Load(const Json::Value& json);
    virtual void Save(Json::Value& json);

    void AddBool(const std::string& sName, bool* pb);
    void AddInt(const std::string& sName, int* pn);
    void AddFloat(const std::string& sName, float* pf, int nCount = 0);
    void AddString(const std::string& sName, std::string* ps);
    // A list of 8-byte (PERSIST_VEC2_LIST) or 12-byte (PERSIST_VEC3_LIST) records laid out as
    // two floats and, for the 12-byte kind, a third 4-byte field.
    template <class T> void AddList(const std::string& sName, std::vector<T>* paList);
    void AddMember(const Member& member) { _aMembers.push_back(member); }
    void AddRecord(const std::string& sName, int eKind, void* pAddress, int nCount);

    static void LoadMember(const Member& member, const Json::Value& json);
    static void SaveMember(const Member& member, Json::Value& json);

    // "./Data/" + name + ".json", on the disk. Failures change nothing and are not reported.
    // False (reported on stderr) when the file could not be saved; the old one is kept then.
    bool SaveFile();
    void LoadFile();
    std::string FilePath() const { return "./Data/" + _sName + ".json"; }

    std::vector<Member> _aMembers;
    std::vector<rvpersist*> _apChildren;
    std::vector<NamedArray> _aNamedArrays;
    std::string _sName;
};

template <class T> void rvpersist::AddList(const std::string& sName, std::vector<T>* paList)
{
    static_assert(std::is_trivially_copyable<T>::value, "list records are copied as bytes");
    static_assert(sizeof(T) == 8 || sizeof(T) == 12, "list records hold two or three 4-byte fields");
    Member m;
    m._sName = sName;
    m._eKind = sizeof(T) == 8 ? PERSIST_VEC2_LIST : PERSIST_VEC3_LIST;
    m._pAddress = paList;
    m._nCount = 0;
    m._pfnListSize = [](void* p) { return static_cast<std::vector<T>*>(p)->size(); };
    m._pfnListResize = [](void* p, size_t n) { static_cast<std::vector<T>*>(p)->resize(n); };
    m._pfnListData = [](void* p)
    { return reinterpret_cast<unsigned char*>(static_cast<std::vector<T>*>(p)->data()); };
    _aMembers.push_back(m);
}
