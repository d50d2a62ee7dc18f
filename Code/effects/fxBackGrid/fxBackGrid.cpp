#include "effects/fxBackGrid/fxBackGrid.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"

fxBackGrid::fxBackGrid(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

// The program member deletes its GL program, then the fxBase part runs.
fxBackGrid::~fxBackGrid() = default;

void fxBackGrid::Init()
{
    _shProgram.Prepare(); // compiled in the loading pass, not by the first frame
}

void fxBackGrid::Render()
{
    rvBufferDisplay* _pCurrentBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(_pCurrentBuffer);
    _shProgram.Use();
    // The buffer's alpha keeps what it held.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    glDisable(GL_BLEND);
    _shProgram.Draw(0);
    _shProgram.Unuse();
}

fxDescriptor* fxBackGrid::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxBackGrid", &fxBackGrid::Create);
    return s_pDescriptor;
}

fxBase* fxBackGrid::Create(fxDescriptor* pDescriptor)
{
    return new fxBackGrid(pDescriptor);
}

namespace
{
// Offset of a value of the program, measured from the effect's fxBase part.
template <class M> int ProgramOffset(M shBackGrid::*pValue)
{
    return rvOffsetOf<fxBackGrid>(&fxBackGrid::_shProgram) + rvOffsetOf<shBackGrid, shBackGrid>(pValue);
}
} // namespace

fxDescriptor* fxBackGrid::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_VEC2, "UvPos", ProgramOffset(&shBackGrid::_vUvPos))->SetRange(-10.0f, 10.0f);
    d->Add(TYPE_VEC2, "UvScale", ProgramOffset(&shBackGrid::_vUvScale))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_COLOR4, "ColorBack", ProgramOffset(&shBackGrid::_vBackColor));
    d->Add(TYPE_COLOR4, "ColorGrid1", ProgramOffset(&shBackGrid::_vGridColor1));
    d->Add(TYPE_COLOR4, "ColorGrid2", ProgramOffset(&shBackGrid::_vGridColor2));
    d->Add(TYPE_COLOR4, "ColorGrid3", ProgramOffset(&shBackGrid::_vGridColor3));
    d->Add(TYPE_VEC2, "GridWidth1", ProgramOffset(&shBackGrid::_vGridWidth1))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_VEC2, "GridWidth2", ProgramOffset(&shBackGrid::_vGridWidth2))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_VEC2, "GridWidth3", ProgramOffset(&shBackGrid::_vGridWidth3))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_VEC2, "GridSize", ProgramOffset(&shBackGrid::_vGridSize))->SetRange(0.0f, 100.0f);
    return d;
}
