#pragma once
// An SVG drawing drawn as flattened polylines on the current vector display: gear members in
// their part's colour and transform, other shapes through _mFitMatrix in their class colour or
// the given colour.
#include "svg/nanoSVGBase.h"

#include <glm/vec2.hpp>

class nanoSVG2Path : public nanoSVGBase
{
public:
    nanoSVG2Path() = default;
    ~nanoSVG2Path() { Release(); }

    // The colour's alpha (at most 1) scales every colour.
    void Draw(const glm::vec4& color) override;

    // One path as one strip, every point mapped by m as m * (x, y, 0, 1).
    void DrawPath(const float* pPoints, int nPoints, bool bClosed, float fTolerance, const glm::mat4& m);
    // The flattened points of one cubic added to the open strip.
    void DrawCubic(const glm::vec2& p0, const glm::vec2& p1, const glm::vec2& p2, const glm::vec2& p3,
                   float fTolerance, int nDepth, const glm::mat4& m);
};
