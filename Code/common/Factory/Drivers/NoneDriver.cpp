#include "Factory/Drivers/NoneDriver.h"
#include "Factory/rvEditorHook.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxBase.h"
#include "rvAssert.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>

namespace
{
const char* const s_apszDriverNames[NoneDriver::DRIVER_MAX] = {"None",  "Keyframe",   "Sinus", "Triangle",
                                                               "Noise", "Expression", "Bass",  "Variable"};
const char* const s_apszDriverLetters[NoneDriver::DRIVER_MAX] = {" ", "K", "S", "T", "N", "E", "B", "V"};
} // namespace

NoneDriver::NoneDriver(fxBase* pEffect, AttribDesc* pAttribDesc)
    : rvpersist(pAttribDesc ? pAttribDesc->_sName : std::string()), _eRequestedType(DRIVER_NONE),
      _eType(DRIVER_NONE), _pAttribDesc(pAttribDesc), _pEffect(pEffect),
      _attribName(pAttribDesc ? pAttribDesc->_sName : std::string())
{
    AddInt("_eType", &_eType);
    AddString("_attribName", &_attribName);
    AddFloat("_fMin", &_fMin);
    AddFloat("_fMax", &_fMax);
    AddFloat("_fPeriod", &_fPeriod);
    AddFloat("_fPhase", &_fPhase);
}

float NoneDriver::GetValue(float /*fTime*/, bool /*bHistory*/)
{
    return std::numeric_limits<float>::infinity();
}

bool NoneDriver::HasData()
{
    return true;
}

bool NoneDriver::HasKeyAt(float /*fTime*/)
{
    return false;
}

void NoneDriver::Apply()
{
    rvAssert(_pAttribDesc && _pEffect);
    const float v = GetValue(_pEffect->_fTime, false);
    // +infinity is "no value". Any other value that is not finite (a formula that does not
    // evaluate, an overflow) is treated the same way: it must never reach an int or a bool.
    if (!std::isfinite(v)) return;
    switch (_pAttribDesc->_eType)
    {
    case TYPE_FLOAT:
        _pAttribDesc->SetFloat(_pEffect, v);
        break;
    case TYPE_INT:
    case TYPE_TIME:
    case TYPE_ENUM:
        _pAttribDesc->SetInt(_pEffect, AttribDesc::RoundToInt(double(v)));
        break;
    case TYPE_BOOL:
        _pAttribDesc->SetBool(_pEffect, std::fabs(v) > 0.5f);
        break;
    default:
        rvAssert(false);
    }
}

const char* NoneDriver::GetDriverName(int eDriverType)
{
    rvAssert(eDriverType >= 0 && eDriverType < DRIVER_MAX);
    return s_apszDriverNames[eDriverType];
}

const char* NoneDriver::GetDriverLetter(int eDriverType)
{
    rvAssert(eDriverType >= 0 && eDriverType < DRIVER_MAX);
    return s_apszDriverLetters[eDriverType];
}

void NoneDriver::DrawSettings() {}

std::string NoneDriver::WindowTitle() const
{
    char szEffect[32];
    std::snprintf(szEffect, sizeof(szEffect), "##%p", static_cast<const void*>(_pEffect));
    return _attribName + szEffect;
}

void NoneDriver::DrawWindow()
{
    rvEditorHook<&NoneDriver::DrawWindow>::Call(*this);
}
