#include "TriangleDriver.h"
#include "Factory/rvEditorHook.h"

#include "Factory/Drivers/DriverSettings.h"

#include <cmath>
#include <limits>

TriangleDriver::TriangleDriver(fxBase* pEffect, AttribDesc* pAttribDesc) : NoneDriver(pEffect, pAttribDesc)
{
    AddFloat("_fSymmetry", &_fSymmetry);
}

float TriangleDriver::GetValue(float fTime, bool /*bHistory*/)
{
    float fMid = (_fMin + _fMax) * 0.5f;
    float fHalf = (_fMax - _fMin) * 0.5f;
    float u = fTime / _fPeriod + _fPhase;
    float f = u - std::floor(u);
    // A tiny negative u rounds its fraction up to exactly 1: that is the start of the next period.
    if (f >= 1.0f) f = 0.0f;
    float s = _fSymmetry;
    float w = s > f ? (f - 0.0f) * 2.0f / s - 1.0f : 1.0f - (f - s) * 2.0f / (1.0f - s);
    float fValue = w * fHalf + fMid;
    return std::isfinite(fValue) ? fValue : std::numeric_limits<float>::infinity();
}

void TriangleDriver::DrawSettings()
{
    rvEditorHook<&TriangleDriver::DrawSettings>::Call(*this);
}
