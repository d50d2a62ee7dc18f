#include "VectorScene/VectorSceneLine.h"

#include "VectorScene/VectorSceneOutput.h"
#include "rvMath.h"

#include <cmath>
#include <utility>

namespace
{
// xyz of M * (p, 1), no division by w; the point unchanged without a transform.
glm::vec3 MapPoint(const rvTransform* pTransform, const glm::vec3& p)
{
    if (!pTransform) return p;
    glm::vec4 q = pTransform->_mMatrix * glm::vec4(p, 1.f);
    return glm::vec3(q);
}

// The point at arc length s on the segment a -> b that starts at running length f and ends at c.
glm::vec3 PointOnSegment(const glm::vec3& a, const glm::vec3& b, float f, float c, float s)
{
    if (c - f <= 0.f) return a;
    return a + ((s - f) / (c - f)) * (b - a);
}
} // namespace

VectorSceneLine::VectorSceneLine(int nReserve)
{
    if (nReserve > 0) _aPoints.reserve(size_t(nReserve));
}

void VectorSceneLine::AddPoint(float x, float y, float z)
{
    glm::vec3 p(x, y, z);
    if (!_aPoints.empty()) _fLength += glm::length(p - _aPoints.back());
    if (HasEmptyBox())
    {
        _vMin = _vMax = glm::vec2(x, y);
    }
    else
    {
        _vMin = glm::min(_vMin, glm::vec2(x, y));
        _vMax = glm::max(_vMax, glm::vec2(x, y));
    }
    _aPoints.push_back(p);
}

void VectorSceneLine::Simplify(float fEpsilon)
{
    const int n = int(_aPoints.size());
    _aIndices.clear();
    if (n == 0) return;
    std::vector<uint8_t> keep(size_t(n), 1);
    std::vector<std::pair<int, int>> stack;
    stack.emplace_back(0, n - 1);
    while (!stack.empty())
    {
        auto [a, b] = stack.back();
        stack.pop_back();
        const glm::vec3& pa = _aPoints[size_t(a)];
        const glm::vec3& pb = _aPoints[size_t(b)];
        const bool bSameXY = pa.x == pb.x && pa.y == pb.y;
        const float dx = pb.x - pa.x, dy = pb.y - pa.y;
        const float chord = std::sqrt(dx * dx + dy * dy);
        float dmax = 0.f;
        int imax = a;
        for (int i = a + 1; i < b; ++i)
        {
            if (!keep[size_t(i)]) continue;
            const glm::vec3& pi = _aPoints[size_t(i)];
            float d;
            if (bSameXY)
                d = glm::length(pi - pa);
            else
                d = std::fabs((pa.y - pi.y) * dx - (pa.x - pi.x) * dy) / chord;
            if (d > dmax)
            {
                dmax = d;
                imax = i;
            }
        }
        // Split only at a point found between a and b: with an epsilon below 0 even a
        // straight run would be split at its own end, forever.
        if (dmax > fEpsilon && imax > a)
        {
            stack.emplace_back(a, imax);
            stack.emplace_back(imax, b);
        }
        else
        {
            for (int i = a + 1; i < b; ++i)
                keep[size_t(i)] = 0;
        }
    }
    for (int i = 0; i < n; ++i)
        if (keep[size_t(i)]) _aIndices.push_back(i);
}

void VectorSceneLine::ApplyStyle(VectorSceneOutput& out) const
{
    const glm::vec4& c = GetColor();
    out.SetStyle(c.r, c.g, c.b, GetWidth());
}

void VectorSceneLine::Draw(VectorSceneOutput& out, const rvTransform* pTransform) const
{
    ApplyStyle(out);
    if (_aPoints.size() < 2) return;
    out.StripBegin(MapPoint(pTransform, _aPoints[0]));
    for (size_t i = 1; i < _aPoints.size(); ++i)
        out.StripTo(MapPoint(pTransform, _aPoints[i]));
    out.StripEnd();
}

void VectorSceneLine::DrawSimplified(VectorSceneOutput& out, const rvTransform* pTransform) const
{
    ApplyStyle(out);
    if (_aIndices.size() < 2) return;
    const size_t n = _aPoints.size();
    bool bOpen = false;
    for (int32_t idx : _aIndices)
    {
        if (idx < 0 || size_t(idx) >= n) continue; // points removed since the simplification
        glm::vec3 p = MapPoint(pTransform, _aPoints[size_t(idx)]);
        if (!bOpen)
            out.StripBegin(p);
        else
            out.StripTo(p);
        bOpen = true;
    }
    if (bOpen) out.StripEnd();
}

void VectorSceneLine::DrawRange(VectorSceneOutput& out, const rvTransform* pTransform, float fFrom,
                                float fTo) const
{
    if (fFrom >= fTo) return;
    ApplyStyle(out);
    const size_t n = _aPoints.size();
    if (n < 2) return;
    bool bOpen = false;
    float f = 0.f;
    for (size_t k = 1; k < n; ++k)
    {
        const glm::vec3& a = _aPoints[k - 1];
        const glm::vec3& b = _aPoints[k];
        const float c = f + glm::length(b - a);
        if (!bOpen && f <= fFrom && fFrom <= c)
        {
            out.StripBegin(MapPoint(pTransform, PointOnSegment(a, b, f, c, fFrom)));
            bOpen = true;
        }
        if (bOpen)
        {
            if (c >= fTo)
            {
                out.StripTo(MapPoint(pTransform, PointOnSegment(a, b, f, c, fTo)));
                out.StripEnd();
                return; // the range is complete: later segments lie beyond it
            }
            out.StripTo(MapPoint(pTransform, b));
        }
        f = c;
    }
    if (bOpen) out.StripEnd();
}

VectorScenePoint VectorSceneLine::PointAtLength(const rvTransform* pTransform, float fLength) const
{
    VectorScenePoint pt;
    const glm::vec4& c = GetColor();
    pt._vColor = glm::vec4(c.r, c.g, c.b, 0.f);
    pt._fWidth = GetWidth();
    const size_t n = _aPoints.size();
    if (n == 0)
    {
        pt._vPosition = glm::vec3(0.f);
        return pt;
    }
    float f = 0.f;
    for (size_t k = 1; k < n; ++k)
    {
        const glm::vec3& a = _aPoints[k - 1];
        const glm::vec3& b = _aPoints[k];
        const float cl = f + glm::length(b - a);
        if (f <= fLength && fLength <= cl)
        {
            pt._vPosition = MapPoint(pTransform, PointOnSegment(a, b, f, cl, fLength));
            return pt;
        }
        f = cl;
    }
    pt._vPosition = MapPoint(pTransform, _aPoints[0]);
    return pt;
}
