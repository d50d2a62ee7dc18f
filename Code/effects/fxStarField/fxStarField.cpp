#include "effects/fxStarField/fxStarField.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/shEffectProgram.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"

fxStarField::fxStarField(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

// The program member deletes its GL program, then the fxBase part runs.
fxStarField::~fxStarField() = default;

void fxStarField::Render()
{
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
    const float fFade = GetFade();
    _shProgram._fFade = fFade;
    _shProgram._fHoleOpacity = _bHoleDebug ? 2.0f : _fHoleOpacity;
    _shProgram.Use();
    shEffectProgram::UploadTimelineTime(_shProgram);
    shEffectProgram::SetFadeBlend(fFade);
    _shProgram.Draw(0);
    _shProgram.Unuse();
}

fxDescriptor* fxStarField::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxStarField", &fxStarField::Create);
    return s_pDescriptor;
}

fxBase* fxStarField::Create(fxDescriptor* pDescriptor)
{
    return new fxStarField(pDescriptor);
}

namespace
{
template <class M> int ProgramOffset(M shStarField::*pValue)
{
    return rvOffsetOf<fxStarField>(&fxStarField::_shProgram) + rvOffsetOf<shStarField, shStarField>(pValue);
}
} // namespace

fxDescriptor* fxStarField::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    const int nTransform = ProgramOffset(&shStarField::_vMainTransform);
    d->Add(TYPE_FLOAT, "Main/Speed", ProgramOffset(&shStarField::_fMainSpeed))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_FLOAT, "Main/Density", ProgramOffset(&shStarField::_fMainDensity))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Main/Spiral", ProgramOffset(&shStarField::_fMainSpiral))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Main/Rotation", ProgramOffset(&shStarField::_fMainRotation))->SetRange(-1.0f, 1.0f);
    d->Add(TYPE_VEC2, "Main/Position", nTransform)->SetRange(-1.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Main/Roll", nTransform + int(2 * sizeof(float)))->SetRange(-180.0f, 180.0f);
    d->Add(TYPE_FLOAT, "Hole/Size", ProgramOffset(&shStarField::_fHoleSize))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_INT, "Fractal/Iter1", ProgramOffset(&shStarField::_nFractalIter1))->SetIntRange(0, 100);
    d->Add(TYPE_INT, "Fractal/Iter2", ProgramOffset(&shStarField::_nFractalIter2))->SetIntRange(0, 10);
    d->Add(TYPE_FLOAT, "Fractal/Mod", ProgramOffset(&shStarField::_fFractalMod))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Fractal/Mul", ProgramOffset(&shStarField::_fFractalMul))->SetRange(-10.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Fractal/Add", ProgramOffset(&shStarField::_fFractalAdd))->SetRange(-2.0f, 2.0f);
    d->Add(TYPE_FLOAT, "Color/Luminosity", ProgramOffset(&shStarField::_fColorLuminosity))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_VEC3, "Color/Mul", ProgramOffset(&shStarField::_vColorMul))->SetRange(-1.0f, 1.0f);
    d->Add(TYPE_VEC3, "Color/Add", ProgramOffset(&shStarField::_vColorAdd))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Spiral/Spiral", ProgramOffset(&shStarField::_fSpiral))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_VEC2, "Spiral/Size", ProgramOffset(&shStarField::_vSpiralSize))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "Spiral/Speed", ProgramOffset(&shStarField::_fSpiralSpeed))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Spiral/Density", ProgramOffset(&shStarField::_fSpiralDensity))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Spiral/Variation", ProgramOffset(&shStarField::_fSpiralVariation))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Spiral/Thickness", ProgramOffset(&shStarField::_fSpiralThickness))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Spiral/Flatness", ProgramOffset(&shStarField::_fSpiralFlatness))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_COLOR4, "Spiral/Color", ProgramOffset(&shStarField::_vSpiralColor));
    d->Add(TYPE_FLOAT, "Hole/Opacity", rvOffsetOf<fxStarField>(&fxStarField::_fHoleOpacity))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_BOOL, "Hole/Debug", rvOffsetOf<fxStarField>(&fxStarField::_bHoleDebug));
    return d;
}
