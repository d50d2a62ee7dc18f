#include "effects/fxJoyDivision/fxJoyDivision.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/shEffectProgram.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"

fxJoyDivision::fxJoyDivision(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

// The program member deletes its GL program, then the fxBase part runs.
fxJoyDivision::~fxJoyDivision() = default;

void fxJoyDivision::Init()
{
    _shProgram.Prepare(); // compiled in the loading pass, not by the first frame
}

void fxJoyDivision::Render()
{
    rvBufferDisplay* _pCurrentBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(_pCurrentBuffer);
    const float fFade = GetFade();
    _shProgram._fFade = fFade;
    _shProgram.Use();
    shEffectProgram::UploadTimelineTime(_shProgram);
    glDisable(GL_DEPTH_TEST);
    // A see-through background blends over the buffer even at full fade.
    shEffectProgram::SetFadeBlend(_shProgram._vBackColor.a < 1.0f ? 0.0f : fFade);
    _shProgram.Draw(0);
    _shProgram.Unuse();
}

fxDescriptor* fxJoyDivision::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxJoyDivision", &fxJoyDivision::Create);
    return s_pDescriptor;
}

fxBase* fxJoyDivision::Create(fxDescriptor* pDescriptor)
{
    return new fxJoyDivision(pDescriptor);
}

namespace
{
// Offset of a value of the program, measured from the effect's fxBase part.
template <class M> int ProgramOffset(M shJoyDivision::*pValue)
{
    return rvOffsetOf<fxJoyDivision>(&fxJoyDivision::_shProgram) +
           rvOffsetOf<shJoyDivision, shJoyDivision>(pValue);
}
} // namespace

fxDescriptor* fxJoyDivision::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    using sh = shJoyDivision;
    d->Add(TYPE_VEC2, "Waves/Motion", ProgramOffset(&sh::_vWavesMotion))->SetRange(-1.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Waves/Width", ProgramOffset(&sh::_fWavesWidth))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Waves/Height", ProgramOffset(&sh::_fWavesHeight))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Waves/Power", ProgramOffset(&sh::_fWavesPower))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Waves/Attenuation", ProgramOffset(&sh::_fWavesAttenuationWidth))
        ->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Waves/Occlusion", ProgramOffset(&sh::_fWavesOcclusion))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Waves/Spectrer", ProgramOffset(&sh::_fWavesSpectrer))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Line/Width", ProgramOffset(&sh::_fLineWidth))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Line/Height", ProgramOffset(&sh::_fLineHeight))->SetRange(0.0f, 4.0f);
    d->Add(TYPE_FLOAT, "Line/Persp", ProgramOffset(&sh::_fLinePersp))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Line/Count", ProgramOffset(&sh::_fLineCount))->SetRange(0.0f, 200.0f);
    d->Add(TYPE_FLOAT, "Line/Bold", ProgramOffset(&sh::_fLineBold))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Line/Offsety", ProgramOffset(&sh::_fLineOffsetY))->SetRange(-1.0f, 1.0f);
    d->Add(TYPE_COLOR4, "Color/Back", ProgramOffset(&sh::_vBackColor));
    d->Add(TYPE_COLOR4, "Color/Line", ProgramOffset(&sh::_vLineColor));
    d->Add(TYPE_FLOAT, "Color/LineVariation", ProgramOffset(&sh::_fLineColorVariation))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_COLOR4, "Color/Linealphas", ProgramOffset(&sh::_vLineAlphas));
    d->Add(TYPE_FLOAT, "Polar/Enable", ProgramOffset(&sh::_fPolar))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Polar/ScaleX", ProgramOffset(&sh::_fPolarX))->SetRange(0.0f, 20.0f);
    d->Add(TYPE_FLOAT, "Polar/ScaleY", ProgramOffset(&sh::_fPolarY))->SetRange(0.0f, 20.0f);
    return d;
}
