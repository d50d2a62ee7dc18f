#include "effects/fxPostVHS/fxPostVHS.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxDescriptor.h"

fxPostVHS::fxPostVHS(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

// The program member deletes its GL program, then the fxBase part runs.
fxPostVHS::~fxPostVHS() = default;

void fxPostVHS::Init()
{
    // The features that drivers move stay in the program from the start (see _nHeldSwitches).
    _shProgram._nHeldSwitches = 0;
    for (const NoneDriver* pDriver : _apAttribDrivers)
    {
        if (!pDriver || pDriver->_eType == NoneDriver::DRIVER_NONE || !pDriver->_pAttribDesc) continue;
        const int n = _shProgram.SwitchOf(static_cast<const float*>(pDriver->_pAttribDesc->ValuePtr(this)));
        if (n != shPostVHS::SWITCH_COUNT && n != shPostVHS::SWITCH_WOBBLE) _shProgram._nHeldSwitches |= 1u << n;
    }
    shPostEffect::Prepare(_shProgram);
}

void fxPostVHS::Render()
{
    shPostEffect::Render(_shProgram);
}

fxDescriptor* fxPostVHS::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxPostVHS", &fxPostVHS::Create);
    return s_pDescriptor;
}

fxBase* fxPostVHS::Create(fxDescriptor* pDescriptor)
{
    return new fxPostVHS(pDescriptor);
}

fxDescriptor* fxPostVHS::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    struct Row
    {
        const char* pszLabel;
        float shPostVHS::*pValue;
        float fMin, fMax;
    };
    static const Row s_aRows[] = {
        {">>ScreenDistortion", &shPostVHS::_fScreenDistortion, 0.0f, 1.0f},
        {">>Vignette", &shPostVHS::_fVignette, 0.0f, 1.0f},
        {"  VignetteAperture", &shPostVHS::_fVignetteAperture, 0.0f, 10.0f},
        {"  VignetteOscillation", &shPostVHS::_fVignetteOscillation, 0.0f, 10.0f},
        {">>Noise", &shPostVHS::_fNoise, 0.0f, 1.0f},
        {"  NoiseScale", &shPostVHS::_fNoiseScale, 0.0f, 10.0f},
        {">>HblLines", &shPostVHS::_fHblLines, 0.0f, 1.0f},
        {"  HblLinesHeight", &shPostVHS::_fHblLinesHeight, 0.0f, 1.0f},
        {"  HblLinesSpeed", &shPostVHS::_fHblLinesSpeed, -10.0f, 10.0f},
        {">>JumpsV", &shPostVHS::_fJumpVertical, 0.0f, 1.0f},
        {"  JumpsFreqV", &shPostVHS::_fJumpVerticalFreq, 0.0f, 1.0f},
        {">>JumpsH", &shPostVHS::_fJumpHorizontal, 0.0f, 1.0f},
        {"  JumpsFreqH", &shPostVHS::_fJumpHorizontalFreq, 0.0f, 1.0f},
        {">>WhiteLines", &shPostVHS::_fWhiteLines, 0.0f, 1.0f},
        {"  WhiteLinesStart", &shPostVHS::_fWhiteLinesStart, 0.0f, 2.0f},
        {"  WhiteLinesEnd", &shPostVHS::_fWhiteLinesEnd, 0.0f, 2.0f},
        {"  WhiteLinesHeight", &shPostVHS::_fWhiteLinesHeight, 0.0f, 2.0f},
        {">>NoiseLines", &shPostVHS::_fNoiseLines, 0.0f, 1.0f},
        {"  NoiseLinesFreq", &shPostVHS::_fNoiseLinesFreq, 0.0f, 1.0f},
        {">>Wobble", &shPostVHS::_fWobble, 0.0f, 1.0f},
        {"  WobbleBand", &shPostVHS::_fWobbleBand, 0.0f, 1.0f},
        {">>Monochrome", &shPostVHS::_fMonochrome, 0.0f, 1.0f},
    };
    const int nProgram = rvOffsetOf<fxPostVHS>(&fxPostVHS::_shProgram);
    for (const Row& r : s_aRows)
        d->Add(TYPE_FLOAT, r.pszLabel, nProgram + rvOffsetOf<shPostVHS, shPostVHS>(r.pValue))
            ->SetRange(r.fMin, r.fMax);
    return d;
}
