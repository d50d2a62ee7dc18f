#include "effects/fxMetaBallSystem/fxMetaBallSystem.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "rvAssert.h"
#include "rvNumeric.h"
#include "rvRandom.h"
#include "rvSceneDisplay.h"
#include "rvShaderProgram.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>

namespace
{
const float kPi = 3.1415927f;
}

float fxMetaBallSystem::Ball::Distance(const glm::vec2& p) const
{
    const glm::vec2 d = p - _vPos;
    if (_eShape != SHAPE_BOX) return glm::length(d) - _fSize;
    const float qx = std::fabs(d.x) - _fSize * _vExtent.x;
    const float qy = std::fabs(d.y) - _fSize * _vExtent.y;
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f);
}

fxMetaBallSystem::fxMetaBallSystem(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

fxMetaBallSystem::~fxMetaBallSystem()
{
    _aBalls.clear();
    _apGroups.clear();
    _Clipper.Clear();
}

void fxMetaBallSystem::Init()
{
    _nRandomState = uint32_t(_nRandomSeed);
    _aBalls.clear();
    Ball box;
    box._eShape = SHAPE_BOX;
    const float u1 = rvRandomNext(_nRandomState);
    const float u2 = rvRandomNext(_nRandomState);
    box._vPos = glm::vec2(u2 * 140.0f - 70.0f, u1 * 100.0f - 50.0f);
    box._fSize = 10.0f;
    box._vExtent = glm::vec2(std::cos(0.7853982f), std::sin(0.7853982f));
    _aBalls.push_back(box);
    for (int i = 0; i < 7; ++i)
        AddBall();
}

int fxMetaBallSystem::Subdiv() const
{
    // A stored value outside any sensible range would stall the frame or leave nothing to draw.
    return rvBoundInt(this, "Subdiv", _nSubdiv, 3, 4096);
}

float fxMetaBallSystem::UnionDistance() const
{
    return rvBoundFloat(this, "Union Distance", _fUnionDistance, 0.0f, kMaxDistance, 0.0f);
}

float fxMetaBallSystem::OutlineDistance() const
{
    return rvBoundFloat(this, "Outline Distance", _fOutlineDistance, 0.0f, kMaxDistance, 0.0f);
}

void fxMetaBallSystem::AddBall()
{
    const float u1 = rvRandomNext(_nRandomState);
    const float u2 = rvRandomNext(_nRandomState);
    const float u3 = rvRandomNext(_nRandomState);
    Ball b;
    b._eShape = SHAPE_CIRCLE;
    b._fSize = u1 * 6.0f + 7.0f;
    b._vPos = glm::vec2(u3 * 140.0f - 70.0f, u2 * 100.0f - 50.0f);
    _aBalls.push_back(b);
}

void fxMetaBallSystem::Animate(float fT)
{
    for (size_t i = 0; i < _aBalls.size(); ++i)
    {
        const float fi = float(i);
        _aBalls[i]._vPos = glm::vec2(40.0f * std::sin(346.424f * fi + 0.5983875f * fT),
                                     40.0f * std::cos(203.872f * fi + 0.42859125f * fT));
    }
}

float fxMetaBallSystem::SmoothUnion(const Ball& a, const Ball& b, const glm::vec2& p) const
{
    const float da = a.Distance(p), db = b.Distance(p);
    const float k = UnionDistance();
    // Without a smoothing radius the union is the plain minimum (and nothing is divided by 0).
    if (!(k > 0.0f)) return std::min(da, db);
    const float h = glm::clamp(0.5f + 0.5f * (db - da) / k, 0.0f, 1.0f);
    return db + (da - db) * h - k * h * (1.0f - h);
}

bool fxMetaBallSystem::March(const Ball& a, const Ball& b, glm::vec2& p, const glm::vec2& dir) const
{
    const glm::vec2 p0 = p;
    float s = 0.0f;
    for (int i = 0; i < 150;)
    {
        const float f = SmoothUnion(a, b, p);
        s += f;
        p = p0 + s * dir;
        if (s > 100.0f || std::isnan(s)) return false;
        ++i;
        if (f <= 0.05f) break;
    }
    return true;
}

bool fxMetaBallSystem::TraceArc(const Ball& a, const Ball& b, const Ball& centre, float fFrom, int nCount,
                                std::vector<glm::vec2>& aPoints) const
{
    const float fStep = nCount > 0 ? kPi / float(nCount) : 0.0f;
    const float k = UnionDistance();
    for (int j = 0; j < nCount; ++j)
    {
        const float theta = fFrom + float(j) * fStep;
        const glm::vec2 c(std::cos(theta), std::sin(theta));
        glm::vec2 p = centre._vPos + (centre._fSize + k) * c;
        if (!March(a, b, p, -c)) return false;
        aPoints.push_back(p);
    }
    return true;
}

bool fxMetaBallSystem::TraceLine(const Ball& a, const Ball& b, const glm::vec2& q, const glm::vec2& r,
                                 const glm::vec2& dir, float fDelta, std::vector<glm::vec2>& aPoints) const
{
    for (float s = 0.0f; s < 1.0f; s += fDelta)
    {
        glm::vec2 p = q + (r - q) * s;
        if (!March(a, b, p, dir)) return false;
        aPoints.push_back(p);
    }
    return true;
}

bool fxMetaBallSystem::TracePair(const Ball& a, const Ball& b, std::vector<glm::vec2>& aPoints) const
{
    const float k = UnionDistance();
    const glm::vec2 d = b._vPos - a._vPos;
    const float c = glm::length(d);
    // Two blobs on one centre have no line between them: any normal will do.
    const glm::vec2 n = c > 0.0f ? glm::vec2(-d.y / c, d.x / c) : glm::vec2(0.0f, 1.0f);
    const float w = std::atan2(n.y, n.x);
    const float La = (k + a._fSize) * kPi, Lb = (k + b._fSize) * kPi;
    const float ds = a._fSize - b._fSize;
    const float Ls = 3.0f * std::sqrt(ds * ds + c * c);
    const float L = La + Lb + 2.0f * Ls;
    if (!(L > 0.0f)) return false;
    const float fSubdiv = float(Subdiv());
    const int nArcA = int(fSubdiv * La / L);
    const int nArcB = int(fSubdiv * Lb / L);
    // A line without samples of its own still gets one, at its start.
    const int nLine = int(fSubdiv * Ls / L);
    const float fDelta = nLine > 0 ? 1.0f / float(nLine) : INFINITY;
    if (!TraceArc(a, b, a, w, nArcA, aPoints)) return false;
    if (!TraceLine(a, b, a._vPos - (k + a._fSize) * n, b._vPos - (k + b._fSize) * n, n, fDelta, aPoints))
        return false;
    if (!TraceArc(a, b, b, w + kPi, nArcB, aPoints)) return false;
    return TraceLine(a, b, b._vPos + (k + b._fSize) * n, a._vPos + (k + a._fSize) * n, -n, fDelta, aPoints);
}

void fxMetaBallSystem::BuildGroups()
{
    _apGroups.clear();
    for (Ball& b : _aBalls)
        b._nGroup = -1;
    std::vector<glm::vec2> aPoints;
    for (size_t i = 0; i < _aBalls.size(); ++i)
    {
        for (size_t j = i + 1; j < _aBalls.size(); ++j)
        {
            Ball& a = _aBalls[i];
            Ball& b = _aBalls[j];
            if (glm::length(b._vPos - a._vPos) - a._fSize - b._fSize > UnionDistance() * 0.5f) continue;
            aPoints.clear();
            if (!TracePair(a, b, aPoints)) continue;
            rvClipper::Path path;
            path.reserve(aPoints.size());
            for (const glm::vec2& p : aPoints)
                path.push_back(rvClipper::Point(rvClampToInt(std::round(p.x * 100.0), -kMaxCoordinate, kMaxCoordinate, 0),
                                                rvClampToInt(std::round(p.y * 100.0), -kMaxCoordinate, kMaxCoordinate, 0)));
            rvClipper::Clean(path, 1.0);
            if (a._nGroup < 0 && b._nGroup < 0)
            {
                a._nGroup = b._nGroup = int(_apGroups.size());
                _apGroups.emplace_back();
            }
            else if (a._nGroup < 0)
                a._nGroup = b._nGroup;
            else if (b._nGroup < 0)
                b._nGroup = a._nGroup;
            else if (a._nGroup != b._nGroup)
            {
                const int from = b._nGroup, to = a._nGroup;
                rvClipper::Paths& src = _apGroups[size_t(from)];
                _apGroups[size_t(to)].insert(_apGroups[size_t(to)].end(), src.begin(), src.end());
                src.clear();
                for (Ball& o : _aBalls)
                    if (o._nGroup == from) o._nGroup = to;
            }
            _apGroups[size_t(a._nGroup)].push_back(std::move(path));
        }
    }
}

void fxMetaBallSystem::Render()
{
    // The animation follows the time of the timeline one level up, as 2D programs show it.
    Animate(rvProgram2D::ClockTime(TIME_PARENT_SEQUENCE) + _fTimeSeek);
    BuildGroups();
    ClipperLib::ClipperOffset offset(2.0, 0.25);
    for (const rvClipper::Paths& group : _apGroups)
    {
        if (group.empty()) continue;
        rvClipper::Paths solution = rvClipper::Union(_Clipper, group);
        for (rvClipper::Path& p : solution)
            rvClipper::Clean(p, 0.01);
        DrawPaths(solution);
        const float fOutline = OutlineDistance();
        if (fOutline > 0.0f) DrawPaths(rvClipper::Offset(offset, solution, -100.0 * fOutline));
    }
    SetColor();
    for (const Ball& b : _aBalls)
        if (b._nGroup == -1) DrawBall(b);
}

void fxMetaBallSystem::SetColor() const
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    vector_display_set_rgb(_pCurrentDisplay, glm::vec3(_vColor) * GetFade());
}

void fxMetaBallSystem::DrawPaths(const rvClipper::Paths& paths) const
{
    SetColor();
    vector_display* d = rvSceneDisplay::_pCurrentDisplay;
    for (const rvClipper::Path& p : paths)
    {
        if (p.size() < 2) continue;
        vector_display_strip_begin(d, float(p[0].X) / 100.0f, float(p[0].Y) / 100.0f, 0.0f);
        for (size_t i = 1; i < p.size(); ++i)
            vector_display_strip_to(d, float(p[i].X) / 100.0f, float(p[i].Y) / 100.0f, 0.0f);
        vector_display_strip_to(d, float(p[0].X) / 100.0f, float(p[0].Y) / 100.0f, 0.0f);
        vector_display_strip_end(d);
    }
}

void fxMetaBallSystem::DrawBall(const Ball& ball) const
{
    vector_display* d = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(d);
    const float o = OutlineDistance();
    const float x = ball._vPos.x, y = ball._vPos.y;
    if (ball._eShape != SHAPE_BOX)
    {
        vector_display_draw_circle(d, x, y, 0.0f, ball._fSize, Subdiv());
        if (o > 0.0f) vector_display_draw_circle(d, x, y, 0.0f, ball._fSize - o, Subdiv());
        return;
    }
    const float ex = ball._fSize * ball._vExtent.x, ey = ball._fSize * ball._vExtent.y;
    vector_display_draw_rect(d, x - ex, y - ey, 2.0f * ex, 2.0f * ey);
    if (o > 0.0f) vector_display_draw_rect(d, x - ex + o, y - ey + o, (ex - o) * 2.0f, (ey - o) * 2.0f);
}

fxDescriptor* fxMetaBallSystem::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxMetaBallSystem", &fxMetaBallSystem::Create);
    return s_pDescriptor;
}

fxBase* fxMetaBallSystem::Create(fxDescriptor* pDescriptor)
{
    return new fxMetaBallSystem(pDescriptor);
}

fxDescriptor* fxMetaBallSystem::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    using M = fxMetaBallSystem;
    d->Add(TYPE_FLOAT, "Union Distance", rvOffsetOf<M>(&M::_fUnionDistance))->SetRange(0.01f, 20.0f);
    d->Add(TYPE_FLOAT, "Outline Distance", rvOffsetOf<M>(&M::_fOutlineDistance))->SetRange(0.01f, 5.0f);
    d->Add(TYPE_INT, "Subdiv", rvOffsetOf<M>(&M::_nSubdiv))->SetIntRange(16, 256);
    d->Add(TYPE_COLOR4, "Color", rvOffsetOf<M>(&M::_vColor));
    d->Add(TYPE_INT, "RandomSeed", rvOffsetOf<M>(&M::_nRandomSeed));
    d->Add(TYPE_FLOAT, "TimeSeek", rvOffsetOf<M>(&M::_fTimeSeek));
    return d;
}
