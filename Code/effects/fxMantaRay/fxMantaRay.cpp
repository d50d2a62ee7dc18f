#include "effects/fxMantaRay/fxMantaRay.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxDescriptor.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"

#include <algorithm>
#include <cmath>

namespace
{
const char* const kSpineAttribs[6] = {"Transform.Pos.x", "Transform.Pos.y", "Transform.Pos.z",
                                      "Transform.Rot.x", "Transform.Rot.y", "Transform.Rot.z"};
}

fxMantaRay::fxMantaRay(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

fxMantaRay::~fxMantaRay() = default;

void fxMantaRay::BuildOutline()
{
    _aOutline.clear();
    float minX = 999999.f, maxX = -999999.f, minY = 999999.f, maxY = -999999.f;
    for (int i = 0; i < _SVG._nNodes && i < int(_SVG._aNodes.size()); ++i)
    {
        const glm::vec2 p = _SVG._aNodes[size_t(i)]._v;
        OutlinePoint o;
        o._vSvg = p;
        o._Point = vector_display_point(p.x, p.y, 0.f, _vColor.r, _vColor.g, _vColor.b, 0, _fThickness);
        _aOutline.push_back(o);
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const float width = maxX - minX, height = maxY - minY, centreX = (maxX + minX) * 0.5f;
    for (OutlinePoint& o : _aOutline)
    {
        // A drawing without width or height lays every point on the centre line or at the head.
        const float u = width > 0.f ? (o._vSvg.x - centreX) / (width * 0.5f) : 0.f;
        const float v = height > 0.f ? (o._vSvg.y - minY) / height : 0.f;
        o._fU = std::min(std::max(u, -1.f), 1.f);
        o._fV = std::min(std::max(v, 0.f), 1.f);
    }
    _vBodySize = glm::vec2(_Transform._vScale.x * 0.05f * width, _Transform._vScale.y * 0.05f * height);
}

void fxMantaRay::FindSpineDrivers()
{
    for (int i = 0; i < 6; ++i)
    {
        const AttribDesc* pAttrib = _pDescriptor->FindAttrib(kSpineAttribs[i]);
        _apSpineDrivers[i] = pAttrib ? FindDriver(pAttrib) : nullptr;
    }
}

void fxMantaRay::Init()
{
    _SVG.Release();
    _SVG.Load(_sFile.c_str());
    BuildOutline();
    _aSpine.assign(SPINE_SAMPLES, SpineSample());
    FindSpineDrivers();
}

void fxMantaRay::Kill()
{
    _SVG.Release();
}

void fxMantaRay::BuildSpine()
{
    // The drivers are looked up in the list as it is now: a driver added, replaced or deleted
    // since Init is never used through a stale pointer.
    FindSpineDrivers();
    _aSpine.resize(SPINE_SAMPLES);
    const float delta = _fSplineScale / float(SPINE_SAMPLES);
    for (int i = 0; i < SPINE_SAMPLES; ++i)
    {
        const float t = _fTime - float(i) * delta;
        float v[6] = {_Transform._vPosition.x, _Transform._vPosition.y, _Transform._vPosition.z,
                      _Transform._vRotation.x, _Transform._vRotation.y, _Transform._vRotation.z};
        for (int k = 0; k < 6; ++k)
        {
            if (!_apSpineDrivers[k]) continue;
            const float value = _apSpineDrivers[k]->GetValue(t, false);
            // A driver without a value (+inf) or with a non-finite one leaves the coordinate as it is.
            if (std::isfinite(value)) v[k] = value;
        }
        const float sx = std::sin(v[3]), cx = std::cos(v[3]);
        const float sy = std::sin(v[4]), cy = std::cos(v[4]);
        const float sz = std::sin(v[5]), cz = std::cos(v[5]);
        SpineSample& s = _aSpine[size_t(i)];
        s._vPosition = glm::vec3(v[0], v[1], v[2]);
        s._vRight = glm::vec3(cz * cy + sz * sx * sy, sz * cx, sz * sx * cy - cz * sy) * (_vBodySize.x * 0.5f);
        s._vUp = glm::vec3(cz * sx * sy - sz * cy, cz * cx, sz * sy + cz * sx * cy) * _fWindHeight;
    }
}

void fxMantaRay::PlaceOutline()
{
    const float f = GetFade();
    // Faded, and kept inside 0..1 for the display's colour check.
    const glm::vec3 c = glm::clamp(glm::vec3(_vColor) * f, glm::vec3(0.f), glm::vec3(1.f));
    const int n = SPINE_SAMPLES;
    for (OutlinePoint& o : _aOutline)
    {
        const float w = float(n - 2) * o._fV;
        const int i = std::min(std::max(int(std::floor(w)), 0), n - 2);
        const float s = w - float(i);
        const SpineSample& a = _aSpine[size_t(i)];
        const SpineSample& b = _aSpine[size_t(i + 1)];
        const glm::vec3 P = a._vPosition + (b._vPosition - a._vPosition) * s;
        const glm::vec3 Rt = a._vRight + (b._vRight - a._vRight) * s;
        const glm::vec3 Up = a._vUp + (b._vUp - a._vUp) * s;
        const float wave = std::cos(std::fabs(o._fU) * _fWindPeriod + _fTime);
        const glm::vec3 q = P + o._fU * Rt + wave * Up;
        o._Point.x = q.x;
        o._Point.y = q.y;
        o._Point.z = q.z;
        o._Point.r = c.r;
        o._Point.g = c.g;
        o._Point.b = c.b;
    }
}

void fxMantaRay::Render()
{
    BuildSpine();
    PlaceOutline();
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    if (_bDebugSpine)
    {
        for (int i = 0; i + 1 < SPINE_SAMPLES; ++i)
        {
            const glm::vec3& p = _aSpine[size_t(i)]._vPosition;
            const glm::vec3& q = _aSpine[size_t(i + 1)]._vPosition;
            const vector_display_point a(p.x, p.y, p.z, 1.f, 1.f, 0.f, 0, 0.5f);
            const vector_display_point b(q.x, q.y, q.z, 1.f, 1.f, 0.f, 0, 0.5f);
            vector_display_add_line(_pCurrentDisplay, &a, &b);
        }
    }
    const int nPoints = int(_aOutline.size());
    for (int e = 0; e < _SVG._nEdges && e < int(_SVG._aEdges.size()); ++e)
    {
        const int n1 = int(_SVG._aEdges[size_t(e)].x), n2 = int(_SVG._aEdges[size_t(e)].y);
        if (n1 < 0 || n2 < 0 || n1 >= nPoints || n2 >= nPoints) continue;
        vector_display_add_line(_pCurrentDisplay, &_aOutline[size_t(n1)]._Point, &_aOutline[size_t(n2)]._Point);
    }
}

fxDescriptor* fxMantaRay::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxMantaRay", &fxMantaRay::Create);
    return s_pDescriptor;
}

fxBase* fxMantaRay::Create(fxDescriptor* pDescriptor)
{
    return new fxMantaRay(pDescriptor);
}

fxDescriptor* fxMantaRay::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    d->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<fxMantaRay>(&fxMantaRay::_Transform));
    d->Add(TYPE_FLOAT, "SplineScale", rvOffsetOf<fxMantaRay>(&fxMantaRay::_fSplineScale))->SetRange(0.01f, 10.f);
    d->Add(TYPE_FLOAT, "Thickness", rvOffsetOf<fxMantaRay>(&fxMantaRay::_fThickness))->SetRange(0.01f, 2.f);
    d->Add(TYPE_FLOAT, "WindHeight", rvOffsetOf<fxMantaRay>(&fxMantaRay::_fWindHeight));
    d->Add(TYPE_FLOAT, "WindPeriod", rvOffsetOf<fxMantaRay>(&fxMantaRay::_fWindPeriod));
    d->Add(TYPE_BOOL, "DebugSpine", rvOffsetOf<fxMantaRay>(&fxMantaRay::_bDebugSpine));
    d->Add(TYPE_COLOR4, "Color", rvOffsetOf<fxMantaRay>(&fxMantaRay::_vColor));
    return d;
}
