#include "effects/fxHorizonBorealis/fxHorizonBorealis.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/shEffectProgram.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"

fxHorizonBorealis::fxHorizonBorealis(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

// The program member deletes its GL program, then the fxBase part runs.
fxHorizonBorealis::~fxHorizonBorealis() = default;

void fxHorizonBorealis::Init()
{
    _shProgram.Prepare(); // compiled in the loading pass, not by the first frame
}

void fxHorizonBorealis::Render()
{
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
    const float fFade = GetFade();
    _shProgram._fFade = fFade;
    _shProgram.Use();
    shEffectProgram::UploadTimelineTime(_shProgram);
    shEffectProgram::SetFadeBlend(fFade);
    _shProgram.Draw(0);
    _shProgram.Unuse();
}

fxDescriptor* fxHorizonBorealis::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxHorizonBorealis", &fxHorizonBorealis::Create);
    return s_pDescriptor;
}

fxBase* fxHorizonBorealis::Create(fxDescriptor* pDescriptor)
{
    return new fxHorizonBorealis(pDescriptor);
}

namespace
{
template <class M> int ProgramOffset(M shHorizonBorealis::*pValue)
{
    return rvOffsetOf<fxHorizonBorealis>(&fxHorizonBorealis::_shProgram) +
           rvOffsetOf<shHorizonBorealis, shHorizonBorealis>(pValue);
}
} // namespace

fxDescriptor* fxHorizonBorealis::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_FLOAT, "Horizon/Offset", ProgramOffset(&shHorizonBorealis::_fHorizonOffset))
        ->SetRange(0.0f, 1000.0f);
    d->Add(TYPE_FLOAT, "Horizon/Scale", ProgramOffset(&shHorizonBorealis::_fHorizonScale))->SetRange(0.0f, 10.0f);
    return d;
}
