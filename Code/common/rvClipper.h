#pragma once
// Our small layer over Clipper (libpolyclipping): integer polygons at a fixed scale, the
// rounding that turns display units into integer points, and the few boolean operations and
// offsets the effects use.
#include <clipper.hpp>

#include <cstdint>

namespace rvClipper
{
using Point = ClipperLib::IntPoint;
using Path = ClipperLib::Path;
using Paths = ClipperLib::Paths;

// Integer units per display unit.
constexpr double kScale = 100.0;

// v rounded to the nearest integer, halves away from zero.
int64_t Round(double v);
// A display coordinate pair as an integer point (each scaled by kScale, then rounded).
Point ToPoint(float x, float y);

// The subject minus the clip, both closed, even-odd fill on both.
Paths Difference(const Path& subject, const Path& clip);
// The union of closed paths under the non-zero rule, with a Clipper object the caller reuses.
Paths Union(ClipperLib::Clipper& clipper, const Paths& subjects);
// Every path moved inwards (delta < 0) or outwards with round joins, closed polygons.
Paths Offset(ClipperLib::ClipperOffset& offset, const Paths& paths, double delta);
// Signed area in integer units (positive for counter-clockwise).
double Area(const Path& path);
// Removes points that are closer than distance to their neighbours or collinear with them.
void Clean(Path& path, double distance);
} // namespace rvClipper
