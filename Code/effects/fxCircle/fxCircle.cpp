#include "effects/fxCircle/fxCircle.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"


fxCircle::fxCircle(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _vPos(0.0f), _fRadius(10.0f), _vColor(1.0f, 1.0f, 0.0f, 1.0f), _nArraySize(0)
{
}

// The ten transforms are members: they go with the object, before the fxBase part.
fxCircle::~fxCircle() = default;

void fxCircle::Render()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    vector_display_set_rgb(_pCurrentDisplay, glm::vec3(_vColor) * GetFade());
    vector_display_draw_circle(_pCurrentDisplay, _vPos.x, _vPos.y, _vPos.z, _fRadius, SEGMENTS);
}

fxDescriptor* fxCircle::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxCircle", &fxCircle::Create);
    return s_pDescriptor;
}

fxBase* fxCircle::Create(fxDescriptor* pDescriptor)
{
    return new fxCircle(pDescriptor);
}

fxDescriptor* fxCircle::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_VEC3, "Pos", rvOffsetOf<fxCircle>(&fxCircle::_vPos))->SetRange(-60.0f, 60.0f);
    d->Add(TYPE_FLOAT, "Radius", rvOffsetOf<fxCircle>(&fxCircle::_fRadius))->SetRange(0.0f, 150.0f);
    d->Add(TYPE_COLOR4, "Color", rvOffsetOf<fxCircle>(&fxCircle::_vColor));
    d->AddArray("Array", TYPE_TRANSFORM_3D, int(sizeof(rvTransform3D)),
                rvOffsetOf<fxCircle>(&fxCircle::_aArray), rvOffsetOf<fxCircle>(&fxCircle::_nArraySize),
                ARRAY_MAX);
    return d;
}
