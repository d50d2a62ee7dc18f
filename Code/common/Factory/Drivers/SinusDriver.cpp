#include "SinusDriver.h"

#include "Factory/Drivers/DriverSettings.h"

#include <imgui.h>

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

float SinusDriver::GetValue(float fTime, bool bHistory)
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
    ImGui::SliderInt("Count", &_Count, 1, MAX_SINES, "%d");
    _Count = _Count < 1 ? 1 : (_Count > MAX_SINES ? MAX_SINES : _Count);
    ImGui::Separator();
    DrawMinMaxSliders(this);
    for (int i = 0; i < _Count; ++i)
    {
        std::string sN = std::to_string(i + 1);
        ImGui::Separator();
        ImGui::SliderFloat(("Period" + sN).c_str(), &_Period[i], 0.01f, 10.0f, "%.2f");
        ImGui::SliderFloat(("Phase" + sN).c_str(), &_Phase[i], 0.0f, 1.0f, "%.3f");
        if (_Count > 1)
            ImGui::SliderFloat(("Amplitude" + sN).c_str(), &_AmplitudeFactor[i], 0.01f, 1.0f, "%.3f");
    }
    ImGui::Separator();
    if (ImGui::Button("Random Values")) RandomValues();
}
