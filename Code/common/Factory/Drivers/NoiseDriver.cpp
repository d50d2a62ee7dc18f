#include "NoiseDriver.h"
#include "Factory/rvEditorHook.h"

#include "Factory/Drivers/DriverSettings.h"
#include "Factory/Drivers/Noise.h"

#include <cmath>
#include <limits>

NoiseDriver::NoiseDriver(fxBase* pEffect, AttribDesc* pAttribDesc) : NoneDriver(pEffect, pAttribDesc)
{
    AddInt("_nOctaves", &_nOctaves);
    AddFloat("_fPersistence", &_fPersistence);
}

void NoiseDriver::Load(const Json::Value& json)
{
    NoneDriver::Load(json);
    _nOctaves = _nOctaves < 0 ? 0 : (_nOctaves > MAX_OCTAVES ? MAX_OCTAVES : _nOctaves);
}

float NoiseDriver::GetValue(float fTime, bool /*bHistory*/)
{
    float fMid = (_fMin + _fMax) * 0.5f;
    float fHalf = (_fMax - _fMin) * 0.5f;
    float fValue = noise1D(fTime / _fPeriod + _fPhase, _nOctaves, _fPersistence) * fHalf + fMid;
    return std::isfinite(fValue) ? fValue : std::numeric_limits<float>::infinity();
}

void NoiseDriver::DrawSettings()
{
    rvEditorHook<&NoiseDriver::DrawSettings>::Call(*this);
}
