#pragma once
// The record of one effect class: its id in the Factory, its parent class, its name, the
// function that creates an instance and the list of its own attributes.
#include <string>
#include <vector>

class AttribDesc;
class fxBase;
class fxDescriptor;

typedef fxBase* (*fxCreateFn)(fxDescriptor* pDescriptor);

class fxDescriptor
{
public:
    fxDescriptor(fxDescriptor* pParent, const std::string& sClassName, fxCreateFn pfnCreate)
        : _pParent(pParent), _sClassName(sClassName), _pfnCreate(pfnCreate)
    {
    }
    // Descriptors live for the whole process; the destructor (which releases the attribute
    // trees) only serves descriptors made by tests and tools.
    ~fxDescriptor();
    fxDescriptor(const fxDescriptor&) = delete;
    fxDescriptor& operator=(const fxDescriptor&) = delete;

    // Creates an ordinary attribute (AttribDesc::Create) and appends it to the list.
    AttribDesc* Add(int eType, const std::string& sName, int nOffset);
    // A fixed array of up to nMaxCount elements with a separate int holding the count in use:
    // a TYPE_ARRAY node whose first child is "<name>.size" and then one child per element.
    AttribDesc* AddArray(const std::string& sName, int eElementType, int nStride, int nArrayOffset,
                         int nCountOffset, int nMaxCount);
    // Parent levels first; in each list children before their own node; exact names.
    AttribDesc* FindAttrib(const std::string& sFullName) const;

    int _nId = -1;
    fxDescriptor* _pParent;
    std::string _sClassName;
    fxCreateFn _pfnCreate;
    std::vector<AttribDesc*> _apAttribs;
};
