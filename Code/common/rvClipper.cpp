#include "rvClipper.h"

#include <cmath>

namespace rvClipper
{
int64_t Round(double v)
{
    return int64_t(std::round(v));
}

Point ToPoint(float x, float y)
{
    return Point(Round(kScale * double(x)), Round(kScale * double(y)));
}

Paths Difference(const Path& subject, const Path& clip)
{
    ClipperLib::Clipper c;
    c.AddPath(subject, ClipperLib::ptSubject, true);
    c.AddPath(clip, ClipperLib::ptClip, true);
    Paths solution;
    c.Execute(ClipperLib::ctDifference, solution, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    return solution;
}

Paths Union(ClipperLib::Clipper& clipper, const Paths& subjects)
{
    clipper.Clear();
    clipper.AddPaths(subjects, ClipperLib::ptSubject, true);
    Paths solution;
    clipper.Execute(ClipperLib::ctUnion, solution, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return solution;
}

Paths Offset(ClipperLib::ClipperOffset& offset, const Paths& paths, double delta)
{
    offset.Clear();
    for (const Path& p : paths)
        offset.AddPath(p, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
    Paths solution;
    offset.Execute(solution, delta);
    return solution;
}

double Area(const Path& path)
{
    return ClipperLib::Area(path);
}

void Clean(Path& path, double distance)
{
    ClipperLib::CleanPolygon(path, distance);
}
} // namespace rvClipper
