#include "effects/fxObjArrow/fxObjArrow.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>

fxObjArrow::fxObjArrow(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _fThickness(0.3f), _vColor(1.0f), _fLengthX(1.0f), _fLengthY(2.0f), _fRatioBaseX(0.5f),
      _fRatioHeadY(0.35f)
{
}

fxObjArrow::~fxObjArrow() = default;

void fxObjArrow::Outline(glm::vec3 (&aPoints)[OUTLINE_POINTS]) const
{
    const float hx = _fLengthX / 2.0f, hy = _fLengthY / 2.0f;
    const float bx = hx * _fRatioBaseX, my = hy - _fLengthY * _fRatioHeadY;
    const glm::vec3 outline[OUTLINE_POINTS] = {{-bx, -hy, 0}, {-bx, my, 0}, {-hx, my, 0}, {0, hy, 0},
                                               {hx, my, 0},   {bx, my, 0},  {bx, -hy, 0}, {-bx, -hy, 0}};
    std::copy(outline, outline + OUTLINE_POINTS, aPoints);
}

void fxObjArrow::Render()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    const float f = GetFade();
    _Transform.Update();

    vector_display_set_rgb(_pCurrentDisplay, _vColor * f);
    if (_fThickness > 0.0f) _pCurrentDisplay->current_thickness = _fThickness;

    glm::vec3 aPoints[OUTLINE_POINTS];
    Outline(aPoints);
    for (int i = 0; i < OUTLINE_POINTS; ++i)
    {
        glm::vec3 p;
        vector_display_transform_point(&p, &_Transform, &aPoints[i]);
        if (i == 0)
            vector_display_strip_begin(_pCurrentDisplay, p.x, p.y, p.z);
        else
            vector_display_strip_to(_pCurrentDisplay, p.x, p.y, p.z);
    }
    vector_display_strip_end(_pCurrentDisplay);
}

fxDescriptor* fxObjArrow::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxObjArrow", &fxObjArrow::Create);
    return s_pDescriptor;
}

fxBase* fxObjArrow::Create(fxDescriptor* pDescriptor)
{
    return new fxObjArrow(pDescriptor);
}

fxDescriptor* fxObjArrow::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<fxObjArrow>(&fxObjArrow::_Transform));
    d->Add(TYPE_FLOAT, "Thickness", rvOffsetOf<fxObjArrow>(&fxObjArrow::_fThickness))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_COLOR3, "Color", rvOffsetOf<fxObjArrow>(&fxObjArrow::_vColor));
    d->Add(TYPE_FLOAT, "lengthX", rvOffsetOf<fxObjArrow>(&fxObjArrow::_fLengthX))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "lengthY", rvOffsetOf<fxObjArrow>(&fxObjArrow::_fLengthY))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "ratioBaseX", rvOffsetOf<fxObjArrow>(&fxObjArrow::_fRatioBaseX))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "ratioHeadY", rvOffsetOf<fxObjArrow>(&fxObjArrow::_fRatioHeadY))->SetRange(0.0f, 1.0f);
    return d;
}
