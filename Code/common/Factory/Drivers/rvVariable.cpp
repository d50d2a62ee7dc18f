#include "rvVariable.h"

#include <algorithm>

std::vector<rvVariable*>* rvVariable::_apVariables = nullptr;

std::vector<rvVariable*>& rvVariable::Registry()
{
    // Never released: variables of objects that live until the process ends may still
    // unregister during static destruction.
    if (!_apVariables) _apVariables = new std::vector<rvVariable*>();
    return *_apVariables;
}

rvVariable::rvVariable(std::string name) : _sName(std::move(name)), _fValue(0.0f)
{
    Registry().push_back(this);
}

rvVariable::~rvVariable()
{
    std::vector<rvVariable*>& list = Registry();
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) list.erase(it);
}

rvVariable* rvVariable::Find(const std::string& name)
{
    for (rvVariable* pVar : Registry())
        if (pVar->_sName == name) return pVar;
    return nullptr;
}
