#pragma once
// A key point of the curve widget (ImCurveEdit.h), named by curve and point index. ImGui-free, so
// a model can keep a selection of points.
namespace ImCurveEdit
{
struct CurvePointRef
{
    int curveIndex;
    int pointIndex;
    bool operator<(const CurvePointRef& o) const
    {
        return curveIndex != o.curveIndex ? curveIndex < o.curveIndex : pointIndex < o.pointIndex;
    }
    bool operator==(const CurvePointRef& o) const
    {
        return curveIndex == o.curveIndex && pointIndex == o.pointIndex;
    }
};
} // namespace ImCurveEdit
