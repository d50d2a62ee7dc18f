#include "effects/fxJellyFish/fxJellyFish.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>

namespace
{
const float DEG = 0.017453292f;
const float PI = 3.14159265f;
const float TWO_PI = 6.28318531f;

bool Finite(const glm::vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
} // namespace

fxJellyFish::fxJellyFish(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _vPos(0.0f), _VarX("JellyFish.x"), _VarY("JellyFish.y"), _VarZ("JellyFish.z"),
      _vColor0Start(0.0f, 1.0f, 1.0f, 1.0f), _vColor1Start(1.0f, 0.0f, 1.0f, 1.0f),
      _vColor0End(0.0f, 0.0f, 0.5f, 1.0f), _vColor1End(0.2f, 0.0f, 0.2f, 1.0f), _nTentacles(10), _nSegments(10),
      _fAngleBase(0.0f), _fLengthBase(5.0f), _fLengthAttenuation(0.7f), _fAngleFreedom(90.0f), _fAngleForce(0.7f)
{
}

fxJellyFish::~fxJellyFish() = default;

void fxJellyFish::Init()
{
    BuildTentacles();
}

int fxJellyFish::TentacleCount() const
{
    return rvBoundInt(this, "Tentacles", _nTentacles, 0, MAX_TENTACLES);
}

int fxJellyFish::SegmentCount() const
{
    return rvBoundInt(this, "Segments", _nSegments, 0, MAX_SEGMENTS);
}

float fxJellyFish::RestAngle(int i) const
{
    return float(i) * TWO_PI / float(_nTentacles) + _fAngleBase * DEG;
}

void fxJellyFish::BuildTentacles()
{
    _aTentacles.clear();
    const int nTentacles = TentacleCount();
    _aTentacles.resize(size_t(nTentacles));
    for (int i = 0; i < nTentacles; ++i)
    {
        const float G = RestAngle(i);
        const glm::vec3 dir(std::cos(G), std::sin(G), 0.0f);
        std::vector<glm::vec3>& points = _aTentacles[size_t(i)];
        points.resize(size_t(SegmentCount()));
        glm::vec3 P = _vPos;
        float L = _fLengthBase;
        for (glm::vec3& point : points)
        {
            P += dir * L;
            point = P;
            L *= _fLengthAttenuation;
        }
    }
}

void fxJellyFish::Simulate()
{
    const float F = _fAngleFreedom * DEG;
    for (size_t i = 0; i < _aTentacles.size(); ++i)
    {
        glm::vec3 prev = _vPos;
        float G = RestAngle(int(i));
        float L = _fLengthBase;
        for (glm::vec3& point : _aTentacles[i])
        {
            const glm::vec3 D = point - prev;
            const float len = std::sqrt(D.x * D.x + D.y * D.y + D.z * D.z);
            // A point on top of the one before has no direction: it keeps the current one.
            const float A = len > 0.0f && std::isfinite(len) ? std::atan2(D.y / len, D.x / len) : G;
            float W = A - G;
            W = W - std::floor((W + PI) / TWO_PI) * TWO_PI;
            W = std::min(std::max(W, -F), F);
            W = W - W * _fAngleForce;
            W = std::min(std::max(W, -F), F);
            G += W;
            point = glm::vec3(prev.x + std::cos(G) * L, prev.y + std::sin(G) * L, prev.z);
            prev = point;
            L *= _fLengthAttenuation;
        }
    }
}

void fxJellyFish::Render()
{
    const int nTentacles = TentacleCount();
    const int nSegments = SegmentCount();
    if (int(_aTentacles.size()) != nTentacles ||
        (nTentacles > 0 && int(_aTentacles[0].size()) != nSegments))
        BuildTentacles();
    Simulate();
    // A pose that lost its numbers (an anchor or length that was not finite) starts again from
    // rest rather than drawing nothing for ever.
    for (const std::vector<glm::vec3>& points : _aTentacles)
    {
        if (std::all_of(points.begin(), points.end(), Finite)) continue;
        BuildTentacles();
        break;
    }

    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    _VarX._fValue = _vPos.x;
    _VarY._fValue = _vPos.y;
    _VarZ._fValue = _vPos.z;
    if (!Finite(_vPos)) return; // no anchor, nothing to hang from
    const float fFade = GetFade();
    for (const std::vector<glm::vec3>& points : _aTentacles)
    {
        vector_display_strip_begin(_pCurrentDisplay, _vPos.x, _vPos.y, _vPos.z);
        for (size_t k = 0; k < points.size(); ++k)
        {
            const float f = float(k) / float(points.size());
            const glm::vec4 c = (k % 2 == 0) ? _vColor0Start + (_vColor0End - _vColor0Start) * f
                                             : _vColor1Start + (_vColor1End - _vColor1Start) * f;
            vector_display_set_rgb(_pCurrentDisplay, glm::vec3(c) * fFade);
            vector_display_strip_to(_pCurrentDisplay, points[k].x, points[k].y, points[k].z);
        }
        vector_display_strip_end(_pCurrentDisplay);
    }
}

fxDescriptor* fxJellyFish::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxJellyFish", &fxJellyFish::Create);
    return s_pDescriptor;
}

fxBase* fxJellyFish::Create(fxDescriptor* pDescriptor)
{
    return new fxJellyFish(pDescriptor);
}

fxDescriptor* fxJellyFish::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    using J = fxJellyFish;
    d->Add(TYPE_VEC3, "Pos", rvOffsetOf<J>(&J::_vPos))->SetRange(-60.0f, 60.0f);
    d->Add(TYPE_INT, "Tentacles", rvOffsetOf<J>(&J::_nTentacles))->SetRange(1.0f, 20.0f);
    d->Add(TYPE_INT, "Segments", rvOffsetOf<J>(&J::_nSegments))->SetRange(1.0f, 50.0f);
    d->Add(TYPE_FLOAT, "Angle Base", rvOffsetOf<J>(&J::_fAngleBase))->SetRange(-180.0f, 180.0f);
    d->Add(TYPE_FLOAT, "Length Base", rvOffsetOf<J>(&J::_fLengthBase))->SetRange(0.01f, 10.0f);
    d->Add(TYPE_FLOAT, "Length Attenuation", rvOffsetOf<J>(&J::_fLengthAttenuation))->SetRange(0.01f, 1.0f);
    d->Add(TYPE_FLOAT, "Angle Freedom", rvOffsetOf<J>(&J::_fAngleFreedom))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_FLOAT, "Angle Force", rvOffsetOf<J>(&J::_fAngleForce))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_COLOR4, "Color 0 Start", rvOffsetOf<J>(&J::_vColor0Start));
    d->Add(TYPE_COLOR4, "Color 1 Start", rvOffsetOf<J>(&J::_vColor1Start));
    d->Add(TYPE_COLOR4, "Color 0 End", rvOffsetOf<J>(&J::_vColor0End));
    d->Add(TYPE_COLOR4, "Color 1 End", rvOffsetOf<J>(&J::_vColor1End));
    return d;
}
