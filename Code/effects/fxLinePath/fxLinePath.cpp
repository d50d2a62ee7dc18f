#include "effects/fxLinePath/fxLinePath.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>

namespace
{
const char* const TRACK_NAMES[fxLinePath::TRACK_COUNT] = {"Pos.x",   "Pos.y",   "Pos.z",    "Color.r",
                                                           "Color.g", "Color.b", "Thickness"};
}

fxLinePath::fxLinePath(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _vPos(0.0f), _vColor(1.0f, 1.0f, 0.0f, 1.0f), _fLineLength(1.0f), _fThickness(0.8f),
      _nStepCount(64), _StartX("StartX"), _StartY("StartY"), _StartZ("StartZ"), _EndX("EndX"), _EndY("EndY"),
      _EndZ("EndZ"), _apTrackDrivers{}, _nTrackDriverCount(0), _apTrackAttribs{}
{
}

fxLinePath::~fxLinePath() = default;

void fxLinePath::OnEffectStart()
{
    std::fill(std::begin(_apTrackDrivers), std::end(_apTrackDrivers), nullptr);
    std::fill(std::begin(_apTrackAttribs), std::end(_apTrackAttribs), nullptr);
    _nTrackDriverCount = 0;
}

void fxLinePath::RefreshTrackDrivers()
{
    // The attributes are looked up by name once; the drivers are taken from the effect's list
    // every frame (a pointer comparison per driver), so a driver added, removed or replaced in
    // any way is followed from the next frame and no pointer outlives its driver.
    if (!_apTrackAttribs[0])
    {
        fxDescriptor* d = GetDescriptor();
        for (int i = 0; i < TRACK_COUNT; ++i)
            _apTrackAttribs[i] = d->FindAttrib(TRACK_NAMES[i]);
    }
    for (int i = 0; i < TRACK_COUNT; ++i)
        _apTrackDrivers[i] = FindDriver(_apTrackAttribs[i]);
    _nTrackDriverCount = int(_apAttribDrivers.size());
}

fxLinePath::Sample fxLinePath::SampleAt(float fTime) const
{
    const float aOwn[TRACK_COUNT] = {_vPos.x, _vPos.y, _vPos.z, _vColor.r, _vColor.g, _vColor.b, _fThickness};
    float v[TRACK_COUNT];
    for (int i = 0; i < TRACK_COUNT; ++i)
    {
        v[i] = aOwn[i];
        if (!_apTrackDrivers[i]) continue;
        const float f = _apTrackDrivers[i]->GetValue(fTime, false);
        if (std::isfinite(f)) v[i] = f;
    }
    return Sample{glm::vec3(v[0], v[1], v[2]), glm::vec3(v[3], v[4], v[5]), v[6]};
}

void fxLinePath::Render()
{
    RefreshTrackDrivers();
    const int nSteps = rvBoundInt(this, "StepCount", _nStepCount, 1, MAX_STEPS);
    const float T0 = _fTime - _fLineLength;
    const float fDelta = _fLineLength / float(nSteps);
    const float fFade = GetFade();
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);

    // One sample: colour (held to 0..1), width when positive, then the point.
    auto apply = [&](float t) {
        const Sample s = SampleAt(t);
        vector_display_set_rgb(_pCurrentDisplay, s.vColor * fFade);
        if (s.fThickness > 0.0f) _pCurrentDisplay->current_thickness = s.fThickness;
        glm::vec3 p;
        vector_display_transform_point(&p, nullptr, &s.vPos);
        return p;
    };

    const glm::vec3 pEnd = apply(T0);
    vector_display_strip_begin(_pCurrentDisplay, pEnd.x, pEnd.y, pEnd.z);
    _EndX._fValue = pEnd.x;
    _EndY._fValue = pEnd.y;
    _EndZ._fValue = pEnd.z;
    glm::vec3 pLast(0.0f);
    float t = T0;
    for (int i = 1; i < nSteps; ++i)
    {
        t += fDelta;
        pLast = apply(t);
        vector_display_strip_to(_pCurrentDisplay, pLast.x, pLast.y, pLast.z);
    }
    _StartX._fValue = pLast.x;
    _StartY._fValue = pLast.y;
    _StartZ._fValue = pLast.z;
    vector_display_strip_end(_pCurrentDisplay);
}

fxDescriptor* fxLinePath::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxLinePath", &fxLinePath::Create);
    return s_pDescriptor;
}

fxBase* fxLinePath::Create(fxDescriptor* pDescriptor)
{
    return new fxLinePath(pDescriptor);
}

fxDescriptor* fxLinePath::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<fxLinePath>(&fxLinePath::_Transform));
    d->Add(TYPE_VEC3, "Pos", rvOffsetOf<fxLinePath>(&fxLinePath::_vPos))->SetRange(-100.0f, 100.0f);
    d->Add(TYPE_FLOAT, "Thickness", rvOffsetOf<fxLinePath>(&fxLinePath::_fThickness))->SetRange(0.0f, 5.0f);
    d->Add(TYPE_FLOAT, "LineLenght", rvOffsetOf<fxLinePath>(&fxLinePath::_fLineLength))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_INT, "StepCount", rvOffsetOf<fxLinePath>(&fxLinePath::_nStepCount))->SetRange(1.0f, 1024.0f);
    d->Add(TYPE_COLOR4, "Color", rvOffsetOf<fxLinePath>(&fxLinePath::_vColor));
    return d;
}
