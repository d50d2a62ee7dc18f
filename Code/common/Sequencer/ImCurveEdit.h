#pragma once
// The curve widget: the curves of a delegate drawn in a child frame, value zoom and pan, key
// points that can be selected (click, Shift-click, rectangle) and dragged. The widget sees the
// curves only through ImCurveEdit::Delegate.
#include <imgui.h>
#include <imgui_internal.h> // ImRect

#include "Sequencer/ImCurveEditPoint.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

namespace ImCurveEdit
{
class Delegate
{
public:
    virtual size_t CurveCount() = 0;
    // Curve drawn and its points editable.
    virtual bool CurveShown(int curve) = 0;
    // How the curve is drawn: 0 = not at all (no points either), 5 = sampled through ValueAt.
    virtual int CurveKind(int curve) = 0;
    // Corners of the shown range: x frame, y value. The widget changes the y components.
    virtual ImVec2& RangeMin() = 0;
    virtual ImVec2& RangeMax() = 0;
    virtual size_t PointCount(int curve) = 0;
    virtual uint32_t CurveColor(int curve) = 0;
    // Key point (frame, value).
    virtual ImVec2 PointAt(int curve, int point) = 0;
    virtual float ValueAt(int curve, float frame) = 0;
    virtual float StartFrame() = 0;
    virtual float EndFrame() = 0;
    // Moves a key point; returns its index afterwards.
    virtual int MovePoint(int curve, int point, ImVec2 value) = 0;
    virtual void InsertPoint(int curve, ImVec2 value) = 0;
    virtual uint32_t BackgroundColor() = 0;
    virtual void EditStarted(int curve) = 0;
    virtual void EditEnded() = 0;
    virtual ~Delegate() = default;
};

// Widget state shared by every delegate, kept between frames.
extern std::set<CurvePointRef> _aSelection;
extern bool _bSelectingQuad;
extern ImVec2 _vQuadStart;
extern bool _bOverPoint;
extern bool _bPointsMoved;
extern bool _bScrollingValues;
extern ImVec2 _vDragOrigin;
extern std::vector<ImVec2> _avStartPoints;

// Draws the curves in a child frame of the given size at the window's cursor and handles the
// mouse; copies the selection into selectedPoints when given. Returns 1 when points moved.
int DrawCurves(Delegate& delegate, ImVec2 size, unsigned int id, const ImRect* clip = nullptr,
               ImVector<CurvePointRef>* selectedPoints = nullptr);

// One key point: returns 0 (not hovered), 1 (hovered) or 2 (hovered, left button down).
int DrawKeyDiamond(ImDrawList* draw, ImVec2 normalisedPoint, ImVec2 viewSize, ImVec2 offset, bool selected);

// Empties the selection and ends any drag, pan or rectangle selection.
void ResetState();
} // namespace ImCurveEdit
