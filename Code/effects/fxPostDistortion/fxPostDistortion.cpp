#include "effects/fxPostDistortion/fxPostDistortion.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxPostVHS/shPostVHS.h"

fxPostDistortion::fxPostDistortion(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

// The program member deletes its GL program, then the fxBase part runs.
fxPostDistortion::~fxPostDistortion() = default;

void fxPostDistortion::Init()
{
    shPostEffect::Prepare(_shProgram);
}

void fxPostDistortion::Render()
{
    shPostEffect::Render(_shProgram);
}

fxDescriptor* fxPostDistortion::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxPostDistortion", &fxPostDistortion::Create);
    return s_pDescriptor;
}

fxBase* fxPostDistortion::Create(fxDescriptor* pDescriptor)
{
    return new fxPostDistortion(pDescriptor);
}

namespace
{
int ProgramOffset(float shPostDistortion::*pValue)
{
    return rvOffsetOf<fxPostDistortion>(&fxPostDistortion::_shProgram) +
           rvOffsetOf<shPostDistortion, shPostDistortion>(pValue);
}
} // namespace

fxDescriptor* fxPostDistortion::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_FLOAT, ">.BumpHeight", ProgramOffset(&shPostDistortion::_fBumpHeight))->SetRange(0.0f, 10.0f);
    // The default speed (20) lies outside the slider's range.
    d->Add(TYPE_FLOAT, "  BumpSpeed", ProgramOffset(&shPostDistortion::_fBumpSpeed))->SetRange(-10.0f, 10.0f);
    d->Add(TYPE_FLOAT, "  BumpDuration", ProgramOffset(&shPostDistortion::_fBumpDuration))
        ->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "  BumpAttenuation", ProgramOffset(&shPostDistortion::_fBumpAttenuation))
        ->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "  BumpStart", ProgramOffset(&shPostDistortion::_fBumpStart));
    return d;
}
