#include "VariableDriver.h"
#include "Factory/rvEditorHook.h"

#include "Factory/Drivers/rvVariable.h"

#include <cmath>
#include <limits>

VariableDriver::VariableDriver(fxBase* pEffect, AttribDesc* pAttribDesc) : NoneDriver(pEffect, pAttribDesc)
{
    AddString("_sVarName", &_sVarName);
}

float VariableDriver::GetValue(float /*fTime*/, bool /*bHistory*/)
{
    const rvVariable* pVar = rvVariable::Find(_sVarName);
    if (!pVar || !std::isfinite(pVar->_fValue)) return std::numeric_limits<float>::infinity();
    return pVar->_fValue;
}

void VariableDriver::DrawSettings()
{
    rvEditorHook<&VariableDriver::DrawSettings>::Call(*this);
}
