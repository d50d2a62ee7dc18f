#include "Sequencer/ImCurveEdit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace ImCurveEdit
{
std::set<CurvePointRef> _aSelection;
bool _bSelectingQuad = false;
ImVec2 _vQuadStart(0.f, 0.f);
bool _bOverPoint = false;
bool _bPointsMoved = false;
bool _bScrollingValues = false;
ImVec2 _vDragOrigin(0.f, 0.f);
std::vector<ImVec2> _avStartPoints;

namespace
{
bool Inside(const ImVec2& p, const ImVec2& a, const ImVec2& b)
{
    return a.x <= p.x && p.x < b.x && a.y <= p.y && p.y < b.y;
}
} // namespace

void ResetState()
{
    _aSelection.clear();
    _bSelectingQuad = _bOverPoint = _bPointsMoved = _bScrollingValues = false;
    _vQuadStart = _vDragOrigin = ImVec2(0.f, 0.f);
    _avStartPoints.clear();
}

int DrawKeyDiamond(ImDrawList* draw, ImVec2 normalisedPoint, ImVec2 viewSize, ImVec2 offset, bool selected)
{
    const ImVec2 centre(normalisedPoint.x * viewSize.x + offset.x, normalisedPoint.y * viewSize.y + offset.y);
    const ImVec2 corners[4] = {ImVec2(centre.x + 4.5f, centre.y), ImVec2(centre.x, centre.y + 4.5f),
                               ImVec2(centre.x - 4.5f, centre.y), ImVec2(centre.x, centre.y - 4.5f)};
    draw->AddConvexPolyFilled(corners, 4, 0xFF000000);
    const ImGuiIO& io = ImGui::GetIO();
    int hovered = 0;
    if (Inside(io.MousePos, ImVec2(centre.x - 5.f, centre.y - 5.f), ImVec2(centre.x + 5.f, centre.y + 5.f)))
        hovered = io.MouseDown[0] ? 2 : 1;
    if (selected)
        draw->AddPolyline(corners, 4, 0xFFFFFFFF, ImDrawFlags_Closed, 3.f);
    else
        draw->AddPolyline(corners, 4, hovered ? 0xFF80B0FF : 0xFF0080FF, ImDrawFlags_Closed, 2.f);
    return hovered;
}

int DrawCurves(Delegate& delegate, ImVec2 size, unsigned int id, const ImRect* clip,
               ImVector<CurvePointRef>* selectedPoints)
{
    const ImGuiIO& io = ImGui::GetIO();
    const ImVec2 mouse = io.MousePos;
    int result = 0;

    // 1. Child frame and view.
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(0.f, 0.f));
    ImGui::PushStyleColor(ImGuiCol_Border, 0);
    const ImVec2 c = ImGui::GetCursorScreenPos();
    ImGui::BeginChildFrame(id, size);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    ImVec2& min = delegate.RangeMin();
    ImVec2& max = delegate.RangeMax();
    const ImVec2 o(c.x, c.y + size.y);
    const ImVec2 v(size.x, -size.y);
    const ImVec2 cEnd(c.x + size.x, c.y + size.y);
    if (clip) draw->PushClipRect(clip->Min, clip->Max, true);

    // 2. Value zoom around the value under the mouse; the middle button starts a pan.
    const bool mouseInside = Inside(mouse, c, cEnd);
    if (mouseInside && io.MouseWheel != 0.f && !io.KeyCtrl && v.y != 0.f)
    {
        const float p = (mouse.y - o.y) / v.y * (max.y - min.y) + min.y;
        const float k = 1.f - io.MouseWheel * 0.05f;
        min.y = p + (min.y - p) * k;
        max.y = p + (max.y - p) * k;
    }
    if (mouseInside && io.MouseDown[2]) _bScrollingValues = true;

    // 3. Value pan.
    if (_bScrollingValues)
    {
        if (v.y != 0.f)
        {
            const float d = (max.y - min.y) * io.MouseDelta.y / v.y;
            min.y -= d;
            max.y -= d;
        }
        if (!io.MouseDown[2]) _bScrollingValues = false;
    }

    // The range after zoom and pan; an empty value range draws as a flat band instead of
    // dividing by zero.
    const ImVec2 range(max.x - min.x + 1.f, max.y - min.y);
    const ImVec2 safeRange(range.x != 0.f ? range.x : 1.f, range.y != 0.f ? range.y : FLT_EPSILON);
    auto normalised = [&](ImVec2 p)
    { return ImVec2((p.x - min.x) / safeRange.x, (p.y - min.y) / safeRange.y); };
    auto view = [&](ImVec2 p)
    {
        const ImVec2 n = normalised(p);
        return ImVec2(n.x * v.x + o.x, n.y * v.y + o.y);
    };

    // 4. Background and the zero line.
    draw->AddRectFilled(c, cEnd, delegate.BackgroundColor());
    const float zeroY = view(ImVec2(min.x, 0.f)).y;
    draw->AddLine(ImVec2(c.x - size.x, zeroY), ImVec2(c.x + size.x, zeroY), 0xFF000000, 1.5f);

    // 5. Sampled curves, frame by frame from the start frame; a sample without value (no
    // driver value, +infinity) breaks the line.
    const int curveCount = int(delegate.CurveCount());
    for (int i = 0; i < curveCount; ++i)
    {
        if (!delegate.CurveShown(i) || delegate.CurveKind(i) != 5) continue;
        const ImU32 colour = delegate.CurveColor(i);
        const float s = delegate.StartFrame(), e = delegate.EndFrame();
        const int n = int(e - s);
        float prevV = delegate.ValueAt(i, s);
        ImVec2 prev = view(ImVec2(s, prevV));
        for (int j = 1; j < n; ++j)
        {
            const float x = s + float(j) / float(n) * (e - s);
            const float value = delegate.ValueAt(i, x);
            const ImVec2 p = view(ImVec2(x, value));
            if (std::isfinite(value) && std::isfinite(prevV)) draw->AddLine(prev, p, colour, 1.3f);
            prev = p;
            prevV = value;
        }
    }

    // 6. Key points. A key is taken hold of only by a press on it: a button already held when
    // the mouse arrives (a bar or another key being dragged) neither selects nor grabs it.
    bool overPoint = false;
    for (int i = 0; i < curveCount; ++i)
    {
        if (!delegate.CurveShown(i) || delegate.CurveKind(i) == 0) continue;
        const int points = int(delegate.PointCount(i));
        for (int k = 0; k < points; ++k)
        {
            const CurvePointRef ref{i, k};
            const bool selected = _aSelection.count(ref) && !_bScrollingValues;
            const int r = DrawKeyDiamond(draw, normalised(delegate.PointAt(i, k)), v, o, selected);
            if (r == 0 || _bSelectingQuad) continue;
            overPoint = true;
            const bool grab = !io.MouseDown[0] || io.MouseClicked[0];
            if (grab) _bOverPoint = true;
            if (r == 2 && io.MouseClicked[0])
            {
                if (!io.KeyShift && !_aSelection.count(ref)) _aSelection.clear();
                _aSelection.insert(ref);
            }
        }
    }

    // 7. Moving the selected points.
    if (_bOverPoint && io.MouseDown[0])
    {
        // The selection is shared by every delegate: entries that name no point of this one
        // (left from another effect's curves) are dropped before they are asked for.
        for (auto it = _aSelection.begin(); it != _aSelection.end();)
        {
            const bool valid = it->curveIndex >= 0 && it->curveIndex < curveCount && it->pointIndex >= 0 &&
                               it->pointIndex < int(delegate.PointCount(it->curveIndex));
            it = valid ? std::next(it) : _aSelection.erase(it);
        }
        if ((io.MouseDelta.x != 0.f || io.MouseDelta.y != 0.f) && !_aSelection.empty())
        {
            if (!_bPointsMoved)
            {
                delegate.EditStarted(0);
                // The origin is where the mouse was before this first movement, so the key
                // stays under the cursor instead of lagging one frame's movement behind.
                _vDragOrigin = ImVec2(mouse.x - io.MouseDelta.x, mouse.y - io.MouseDelta.y);
                _avStartPoints.clear();
                for (const CurvePointRef& ref : _aSelection)
                    _avStartPoints.push_back(delegate.PointAt(ref.curveIndex, ref.pointIndex));
            }
            _bPointsMoved = true;
            result = 1;
            std::vector<CurvePointRef> refs(_aSelection.begin(), _aSelection.end());
            const ImVec2 scale(range.x / size.x, range.y / v.y);
            for (size_t n = 0; n < refs.size() && n < _avStartPoints.size(); ++n)
            {
                const ImVec2 target(_avStartPoints[n].x + (mouse.x - _vDragOrigin.x) * scale.x,
                                    _avStartPoints[n].y + (mouse.y - _vDragOrigin.y) * scale.y);
                const int p = refs[n].pointIndex;
                const int q = delegate.MovePoint(refs[n].curveIndex, p, target);
                if (q == p) continue;
                // The moved key changed place in its curve: the keys between its old and new
                // index shift by one, and so do their entries still waiting to be moved.
                for (size_t m = 0; m < refs.size(); ++m)
                {
                    if (m == n || refs[m].curveIndex != refs[n].curveIndex) continue;
                    if (p < q && refs[m].pointIndex > p && refs[m].pointIndex <= q) --refs[m].pointIndex;
                    if (p > q && refs[m].pointIndex >= q && refs[m].pointIndex < p) ++refs[m].pointIndex;
                }
                refs[n].pointIndex = q;
            }
            _aSelection = std::set<CurvePointRef>(refs.begin(), refs.end());
        }
    }
    if (!io.MouseDown[0])
    {
        _bOverPoint = false;
        if (_bPointsMoved)
        {
            _bPointsMoved = false;
            delegate.EditEnded();
        }
    }

    // 8. Rectangle selection in progress.
    if (_bSelectingQuad)
    {
        const ImVec2 qMin(std::min(_vQuadStart.x, mouse.x), std::min(_vQuadStart.y, mouse.y));
        const ImVec2 qMax(std::max(_vQuadStart.x, mouse.x), std::max(_vQuadStart.y, mouse.y));
        draw->AddRectFilled(qMin, qMax, 0x40FF0000);
        draw->AddRect(qMin, qMax, 0xFFFF0000, 0.f, 0, 1.f);
        if (!io.MouseDown[0])
        {
            if (!io.KeyShift) _aSelection.clear();
            for (int i = 0; i < curveCount; ++i)
            {
                if (!delegate.CurveShown(i)) continue;
                const int points = int(delegate.PointCount(i));
                for (int k = 0; k < points; ++k)
                {
                    if (Inside(view(delegate.PointAt(i, k)), qMin, qMax))
                        _aSelection.insert(CurvePointRef{i, k});
                }
            }
            _bSelectingQuad = false;
        }
    }

    // 9. A press on no point starts a rectangle selection.
    if (io.MouseClicked[0] && !overPoint && !_bSelectingQuad && !_bOverPoint && mouseInside)
    {
        _bSelectingQuad = true;
        _vQuadStart = mouse;
    }

    // 10.
    if (clip) draw->PopClipRect();
    ImGui::EndChildFrame();
    ImGui::PopStyleColor();
    ImGui::PopStyleVar();
    if (selectedPoints)
    {
        selectedPoints->resize(int(_aSelection.size()));
        int n = 0;
        for (const CurvePointRef& ref : _aSelection)
            (*selectedPoints)[n++] = ref;
    }
    return result;
}
} // namespace ImCurveEdit
