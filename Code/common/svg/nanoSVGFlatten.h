#pragma once
// Cubic flattening shared by the SVG drawing classes and the fill triangulation: recursive
// halving (at most 12 levels per segment) until the curve's middle lies within the tolerance of
// its chord; a piece still too curved at the limit is taken as its chord. Only end points are emitted; the
// start of a segment is the point emitted before it.
#include <glm/vec2.hpp>

#include <vector>

// Squared distance from p to the segment ab.
float DistPointSegmentSq(const glm::vec2& p, const glm::vec2& a, const glm::vec2& b);

// Appends the flattened points of the cubic p0..p3 (without p0) to aPoints.
void FlattenCubicToPoints(const glm::vec2& p0, const glm::vec2& p1, const glm::vec2& p2, const glm::vec2& p3,
                          float fTolerance, int nDepth, std::vector<glm::vec2>& aPoints);
