#include "svg/nanoSVGFlatten.h"

#include <glm/geometric.hpp>

float DistPointSegmentSq(const glm::vec2& p, const glm::vec2& a, const glm::vec2& b)
{
    const glm::vec2 d = b - a;
    const float len2 = glm::dot(d, d);
    float s = glm::dot(p - a, d);
    if (len2 > 0.f) s /= len2;
    if (s < 0.f) s = 0.f;
    if (s > 1.f) s = 1.f;
    const glm::vec2 q = a + s * d - p;
    return glm::dot(q, q);
}

void FlattenCubicToPoints(const glm::vec2& p0, const glm::vec2& p1, const glm::vec2& p2, const glm::vec2& p3,
                          float fTolerance, int nDepth, std::vector<glm::vec2>& aPoints)
{
    // The first half recurses, the second is handled by the loop. A piece past the depth limit
    // still emits its end point, so the polyline never skips part of the curve.
    glm::vec2 a = p0, b = p1, c = p2, d = p3;
    for (int depth = nDepth;; ++depth)
    {
        if (depth > 12)
        {
            aPoints.push_back(d);
            return;
        }
        const glm::vec2 p01 = (a + b) * 0.5f, p12 = (b + c) * 0.5f, p23 = (c + d) * 0.5f;
        const glm::vec2 p012 = (p01 + p12) * 0.5f, p123 = (p12 + p23) * 0.5f;
        const glm::vec2 m = (p012 + p123) * 0.5f;
        if (DistPointSegmentSq(m, a, d) <= fTolerance * fTolerance)
        {
            aPoints.push_back(d);
            return;
        }
        FlattenCubicToPoints(a, p01, p012, m, fTolerance, depth + 1, aPoints);
        a = m;
        b = p123;
        c = p23;
    }
}
