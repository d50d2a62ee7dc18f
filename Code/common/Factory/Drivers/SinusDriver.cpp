#include "SinusDriver.h"
#include "Factory/rvEditorHook.h"

#include "Factory/Drivers/DriverSettings.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

SinusDriver::SinusDriver(fxBase* pEffect, AttribDesc* pAttribDesc) : NoneDriver(pEffect, pAttribDesc)
{
    AddInt("_Count", &_Count);
    AddFloat("_Period", _Period, MAX_SINES);
    AddFloat("_Phase", _Phase, MAX_SINES);
    AddFloat("_AmplitudeFactor", _AmplitudeFactor, MAX_SINES);
}

void SinusDriver::Load(const Json::Value& json)
{
    NoneDriver::Load(json);
    _Count = _Count < 1 ? 1 : (_Count > MAX_SINES ? MAX_SINES : _Count);
}

float SinusDriver::GetValue(float fTime, bool /*bHistory*/)
{
    const float fTwoPi = 6.2831855f;
    float fMid = (_fMin + _fMax) * 0.5f;
    float fHalf = (_fMax - _fMin) * 0.5f;
    int nCount = _Count < 1 ? 1 : (_Count > MAX_SINES ? MAX_SINES : _Count);
    float fSum = 0.0f, fWeight = 0.0f;
    for (int i = 0; i < nCount; ++i)
    {
        fSum += std::sin(fTwoPi * (fTime / _Period[i] + _Phase[i])) * _AmplitudeFactor[i];
        fWeight += _AmplitudeFactor[i];
    }
    float fValue = fSum * fHalf / fWeight + fMid;
    // Amplitudes summing to 0 or a period of 0 (possible only from a file) give no value.
    return std::isfinite(fValue) ? fValue : std::numeric_limits<float>::infinity();
}

namespace
{
// rand() reduced to 0 ... 32767 whatever the library's RAND_MAX (2^31 - 1 with glibc).
float Rand15()
{
    return float(std::rand() & 0x7FFF);
}
} // namespace

void SinusDriver::RandomValues()
{
    for (int i = 0; i < MAX_SINES; ++i)
    {
        _Period[i] = 1.0f + 8.0f * Rand15() / 32768.0f;
        _Phase[i] = Rand15() / 32768.0f;
        _AmplitudeFactor[i] = 0.1f + 0.9f * Rand15() / 32768.0f;
    }
}

void SinusDriver::DrawSettings()
{
    rvEditorHook<&SinusDriver::DrawSettings>::Call(*this);
}
