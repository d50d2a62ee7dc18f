#include "effects/fxOcean/fxOcean.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "rvAssert.h"
#include "rvNumeric.h"
#include "rvSceneDisplay.h"

#include <algorithm>
#include <cmath>

fxOcean::fxOcean(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

// The table and the program members go (the program deletes its GL objects), then the fxBase part.
fxOcean::~fxOcean() = default;

void fxOcean::Init()
{
    _shProgram.Build(); // ready before the first frame
    BuildWaveTimeTable();
}

void fxOcean::BuildWaveTimeTable()
{
    const double fFrames = double(_nEnd) - double(_nStart);
    const double fEntries = 2.0 - std::trunc(fFrames / -60.0);
    const int n = int(std::min(std::max(fEntries, 2.0), double(MAX_TABLE_ENTRIES)));
    _aTimeIntegral.assign(size_t(n), 0.0f);

    AttribDesc* pAttribWeather = _pDescriptor->FindAttrib("Weather");
    AttribDesc* pAttribTimeSpd = _pDescriptor->FindAttrib("TimeSpeed");
    rvAssert(pAttribWeather);
    rvAssert(pAttribTimeSpd);
    NoneDriver* pWeather = FindDriver(pAttribWeather);
    NoneDriver* pSpeed = FindDriver(pAttribTimeSpd);

    float fWeather = _shProgram._fWeather;
    float fSpeed = _fTimeSpeed;
    float fSum = 0.0f;
    for (int i = 0; i < n; ++i)
    {
        _aTimeIntegral[size_t(i)] = fSum;
        if (pWeather)
        {
            const float f = pWeather->GetValue(float(i), false);
            if (std::isfinite(f)) fWeather = f;
        }
        if (pSpeed)
        {
            const float f = pSpeed->GetValue(float(i), false);
            if (std::isfinite(f)) fSpeed = f;
        }
        fSum += (3.0f + 3.0f * fWeather) * fSpeed;
    }
}

float fxOcean::WaveTime(float fTime) const
{
    const int n = int(_aTimeIntegral.size());
    if (n < 2) return 0.0f;
    // A local time that is not a number (or below 0) reads the start of the table.
    const float t = fTime > 0.0f ? fTime : 0.0f;
    const int i = rvClampToInt(double(t), 0, n - 2, 0);
    const float a = _aTimeIntegral[size_t(i)], b = _aTimeIntegral[size_t(i) + 1];
    return a + (b - a) * (t - float(i));
}

void fxOcean::OnEffectStart()
{
    _shProgram._fTimeOffset = _fTimeSeek;
    _shProgram._vTimePeriod1 = glm::vec4(_fTimeSeek);
    _shProgram._vTimePeriod2 = glm::vec4(_fTimeSeek);
}

void fxOcean::Render()
{
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
    const float w = WaveTime(_fTime);
    const float r = OCTAVE_RATIO;
    _shProgram._vTimePeriod1 = glm::vec4(_fTimeSeek) + w * glm::vec4(1.0f, r, r * r, r * r * r);
    _shProgram._vTimePeriod2.x = _fTimeSeek + w * r * r * r * r;
    _shProgram._vTimePeriod2.y = _fTimeSeek + w * r * r * r * r * r;
    _shProgram._fFade = GetFade();
    // The march runs "MaxSteps" steps a pixel at most: the stored value is bounded for the draw.
    const float fMaxSteps = _shProgram._fMaxSteps;
    _shProgram._fMaxSteps = rvBoundFloat(this, "MaxSteps", fMaxSteps, 0.0f, kMaxSteps, 0.0f);
    _shProgram.Use();
    _shProgram._fMaxSteps = fMaxSteps;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST); // left on after the effect
    _shProgram.Draw(0);
    _shProgram.Unuse();
}

fxDescriptor* fxOcean::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxOcean", &fxOcean::Create);
    return s_pDescriptor;
}

fxBase* fxOcean::Create(fxDescriptor* pDescriptor)
{
    return new fxOcean(pDescriptor);
}

namespace
{
template <class M> int ProgramOffset(M shOcean::*pValue)
{
    return rvOffsetOf<fxOcean>(&fxOcean::_shProgram) + rvOffsetOf<shOcean, shOcean>(pValue);
}
const int kFloat = int(sizeof(float));
} // namespace

fxDescriptor* fxOcean::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_FLOAT, "TimeSeek", rvOffsetOf<fxOcean>(&fxOcean::_fTimeSeek));
    d->Add(TYPE_FLOAT, "TimeSpeed", rvOffsetOf<fxOcean>(&fxOcean::_fTimeSpeed));
    d->Add(TYPE_FLOAT, "Weather", ProgramOffset(&shOcean::_fWeather))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Height", ProgramOffset(&shOcean::_fHeight))->SetRange(-500.0f, 500.0f);
    d->Add(TYPE_FLOAT, "Scale", ProgramOffset(&shOcean::_fScale))->SetRange(1.0f, 100.0f);
    d->Add(TYPE_FLOAT, "Waves", ProgramOffset(&shOcean::_fWaves))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "FarClip", ProgramOffset(&shOcean::_fFarClip));
    d->Add(TYPE_FLOAT, "MaxSteps", ProgramOffset(&shOcean::_fMaxSteps));
    d->Add(TYPE_VEC2, "WindXZ", ProgramOffset(&shOcean::_vWindXZ));
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_COLOR3, "ColorSky", ProgramOffset(&shOcean::_vColorSky));
    d->Add(TYPE_COLOR3, "ColorSun", ProgramOffset(&shOcean::_vColorSun));
    d->Add(TYPE_COLOR3, "ColorFog", ProgramOffset(&shOcean::_vColorFog));
    d->Add(TYPE_COLOR3, "ColorDeep", ProgramOffset(&shOcean::_vColorDeep));
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_VEC3, "SpotPosition", ProgramOffset(&shOcean::_vSpotPosition));
    const int nColor = ProgramOffset(&shOcean::_vSpotRadiusColor);
    d->Add(TYPE_FLOAT, "ColorRadius", nColor)->SetRange(0.0f, 100.0f);
    d->Add(TYPE_COLOR3, "ColorValue", nColor + kFloat);
    const int nVector = ProgramOffset(&shOcean::_vSpotRadiusVector);
    d->Add(TYPE_FLOAT, "VectorRadius", nVector)->SetRange(0.0f, 100.0f);
    d->Add(TYPE_FLOAT, "VectorWidth", nVector + kFloat)->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "VectorThickness", nVector + 2 * kFloat)->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "VectorAlpha", nVector + 3 * kFloat)->SetRange(0.0f, 2.0f);
    return d;
}
