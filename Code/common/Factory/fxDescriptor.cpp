#include "fxDescriptor.h"

#include "AttribDesc.h"

fxDescriptor::~fxDescriptor()
{
    for (AttribDesc* p : _apAttribs)
        delete p;
}

AttribDesc* fxDescriptor::Add(int eType, const std::string& sName, int nOffset)
{
    AttribDesc* p = AttribDesc::Create(eType, sName, nOffset);
    _apAttribs.push_back(p);
    return p;
}

AttribDesc* fxDescriptor::AddArray(const std::string& sName, int eElementType, int nStride, int nArrayOffset,
                                   int nCountOffset, int nMaxCount)
{
    AttribDesc* pArray = Add(TYPE_ARRAY, sName, nArrayOffset);
    pArray->AddChild(".size", TYPE_INT, nCountOffset)->SetIntRange(0, nMaxCount);
    for (int i = 0; i < nMaxCount; ++i)
        pArray->AddChild("[" + std::to_string(i) + "]", eElementType, nArrayOffset + i * nStride);
    return pArray;
}

namespace
{
AttribDesc* FindInNode(AttribDesc* pNode, const std::string& sName)
{
    for (AttribDesc* pChild : pNode->_apChildren)
    {
        if (AttribDesc* pHit = FindInNode(pChild, sName)) return pHit;
    }
    return pNode->_sName == sName ? pNode : nullptr;
}
} // namespace

AttribDesc* fxDescriptor::FindAttrib(const std::string& sFullName) const
{
    if (_pParent)
    {
        if (AttribDesc* pHit = _pParent->FindAttrib(sFullName)) return pHit;
    }
    for (AttribDesc* pNode : _apAttribs)
    {
        if (AttribDesc* pHit = FindInNode(pNode, sFullName)) return pHit;
    }
    return nullptr;
}
