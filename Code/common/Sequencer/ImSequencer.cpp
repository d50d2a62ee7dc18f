#include "Sequencer/ImSequencer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace ImSequencer
{
float _fPixelsPerFrame = 1.f;
float _fPixelsPerFrameTarget = 1.f;
int _nDragItem = -1;
int _nDragPart = 0;
int _nDragStartX = 0;
bool _bDraggingPlayhead = false;
bool _bDraggingScrollBar = false;
bool _bResizingBarLeft = false;
bool _bResizingBarRight = false;
bool _bPanning = false;
ImVec2 _vPanStart(0.f, 0.f);
int _nPanStartFrame = 0;

namespace
{
bool Inside(const ImVec2& p, const ImVec2& a, const ImVec2& b)
{
    return a.x <= p.x && p.x < b.x && a.y <= p.y && p.y < b.y;
}

// Sum of the extra heights of rows [0, index).
int CustomHeightBefore(SequenceInterface* seq, int index)
{
    int h = 0;
    for (int i = 0; i < index; ++i)
        h += seq->ExtraHeight(i);
    return h;
}

bool Contains(const std::vector<int>& v, int value)
{
    return std::find(v.begin(), v.end(), value) != v.end();
}

// Limits a first visible frame the way the scroll bar does.
int LimitFirst(int f, int frameMin, int frameMax, int visible)
{
    if (f < frameMin) return frameMin;
    return std::min(f, std::max(frameMax - visible, frameMin));
}
} // namespace

void ResetState()
{
    _fPixelsPerFrame = _fPixelsPerFrameTarget = 1.f;
    _nDragItem = -1;
    _nDragPart = 0;
    _nDragStartX = 0;
    _bDraggingPlayhead = _bDraggingScrollBar = _bResizingBarLeft = _bResizingBarRight = _bPanning = false;
    _vPanStart = ImVec2(0.f, 0.f);
    _nPanStartFrame = 0;
}

void RulerSteps(float ppf, int* labelStep, int* tickStep)
{
    int L = 10, T = 1;
    while (L * ppf < 150.f && L < (1 << 28))
    {
        L *= 2;
        T *= 2;
    }
    if (labelStep) *labelStep = L;
    if (tickStep) *tickStep = T;
}

bool SelectEntry(std::vector<int>* selection, int index, bool clearFirst, bool toggle)
{
    if (clearFirst) selection->clear();
    for (auto it = selection->begin(); it != selection->end();)
    {
        if (*it == index)
        {
            it = selection->erase(it);
            if (toggle) return false;
        }
        else
            ++it;
    }
    selection->insert(selection->begin(), index);
    return true;
}

bool DrawPlusMinusButton(ImDrawList* draw, ImVec2 pos, bool plus)
{
    const ImVec2 max(pos.x + 16.f, pos.y + 16.f);
    const bool over = Inside(ImGui::GetIO().MousePos, pos, max);
    const ImU32 col = over ? 0xFFFF8080 : 0x50FFFFFF;
    draw->AddRect(pos, max, col, 4.f, 0, 1.f);
    draw->AddLine(ImVec2(pos.x + 3.f, pos.y + 7.5f), ImVec2(pos.x + 13.f, pos.y + 7.5f), col, 2.f);
    if (plus) draw->AddLine(ImVec2(pos.x + 7.5f, pos.y + 3.f), ImVec2(pos.x + 7.5f, pos.y + 13.f), col, 2.f);
    return over;
}

bool DrawTimeline(SequenceInterface* seq, int* currentFrame, bool* expanded, std::vector<int>* selectionArg,
                  int* firstFrame)
{
    ImGuiIO& io = ImGui::GetIO();
    std::vector<int> noSelection;
    std::vector<int>& sel = selectionArg ? *selectionArg : noSelection;
    int noFirst = 0;
    int& first = firstFrame ? *firstFrame : noFirst;
    const ImVec2 mouse = io.MousePos;
    const bool pressed = ImGui::IsMouseClicked(0);
    const bool released = ImGui::IsMouseReleased(0);

    // 1. Layout.
    ImGui::BeginGroup();
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 canvas = ImGui::GetCursorScreenPos();
    const ImVec2 canvasSize = ImGui::GetContentRegionAvail();
    const float width = canvasSize.x;
    const int count = seq->ItemCount();
    const int frameMin = seq->FirstFrame();
    const int frameMax = seq->LastFrame();
    const int frameCount = frameMax - frameMin;
    int rowsHeight = ROW_HEIGHT * count + 1;
    for (int i = 0; i < count; ++i)
        rowsHeight += seq->ExtraHeight(i);
    float ppf = _fPixelsPerFrame;
    // At least one frame, so that the zoom and the scroll bar never divide by zero in a
    // window narrower than the legend.
    const int visible = std::max(int(std::floor((width - LEGEND_WIDTH) / ppf)), 1);
    const float thumbWidth =
        std::max(width - LEGEND_WIDTH, 0.f) * std::min(float(visible) / float(std::max(frameCount, 1)), 1.f);

    // 2. Focus.
    // Popups opened from the window (file browsers, the add popup) are not its children: keys
    // pressed in them are not the timeline's.
    seq->_bFocused =
        ImGui::IsWindowFocused(ImGuiFocusedFlags_ChildWindows | ImGuiFocusedFlags_NoPopupHierarchy);
    const bool focused = seq->_bFocused;

    // 3. Panning with Alt and the middle button.
    if (focused && io.KeyAlt && io.MouseDown[2])
    {
        if (!_bPanning)
        {
            _vPanStart = mouse;
            _nPanStartFrame = first;
        }
        _bPanning = true;
        first = _nPanStartFrame - int((mouse.x - _vPanStart.x) / ppf);
        if (first < frameMin)
            first = frameMin;
        else if (first > frameMax - visible)
            first = frameMax - visible;
    }
    if (_bPanning && !io.MouseDown[2]) _bPanning = false;

    // 4. Zoom changes show from the next call.
    _fPixelsPerFrameTarget = ImClamp(_fPixelsPerFrameTarget, MIN_PIXELS_PER_FRAME, MAX_PIXELS_PER_FRAME);
    _fPixelsPerFrame = _fPixelsPerFrameTarget;

    // 5. Everything fits.
    if (visible >= frameCount && firstFrame) first = frameMin;

    if (expanded && !*expanded)
    {
        // 6. Collapsed: the summary line only.
        ImGui::Dummy(ImVec2(width, float(ROW_HEIGHT)));
        draw->AddRectFilled(canvas, ImVec2(canvas.x + width, canvas.y + ROW_HEIGHT), 0xFF3D3837, 0);
        char text[64];
        snprintf(text, sizeof(text), "%d Frames / %d entries", frameCount, count);
        draw->AddText(ImVec2(canvas.x + 26.f, canvas.y + 2.f), 0xFFFFFFFF, text);
    }
    else
    {
        // 7. Header placeholder, then the rows' child frame.
        ImGui::Dummy(ImVec2(width, float(ROW_HEIGHT)));
        ImGui::PushStyleColor(ImGuiCol_FrameBg, 0);
        ImGui::PushStyleColor(ImGuiCol_ChildBg, 0);
        ImGui::BeginChild(889, ImVec2(width, canvasSize.y - 8.f - ROW_HEIGHT - SCROLLBAR_HEIGHT), true);
        ImGui::SetScrollX(0.f);
        const ImVec2 childMin = ImGui::GetWindowPos();
        const ImVec2 childMax(childMin.x + ImGui::GetWindowSize().x, childMin.y + ImGui::GetWindowSize().y);
        ImGui::Dummy(ImVec2(width, float(rowsHeight)));
        const ImVec2 contentMin = ImGui::GetItemRectMin();
        const ImVec2 contentMax = ImGui::GetItemRectMax();
        draw->AddRectFilled(canvas, ImVec2(canvas.x + canvasSize.x, canvas.y + canvasSize.y), 0xFF242424, 0);

        // 8. Play-head dragging in the header.
        if (focused && !_bDraggingScrollBar && _nDragItem < 0 && currentFrame && *currentFrame >= 0 &&
            Inside(mouse, ImVec2(canvas.x + LEGEND_WIDTH, canvas.y),
                   ImVec2(canvas.x + width, canvas.y + ROW_HEIGHT)) &&
            io.MouseDown[0])
            _bDraggingPlayhead = true;
        if (_bDraggingPlayhead)
        {
            if (currentFrame && frameCount != 0)
            {
                int f = int((mouse.x - (canvas.x + LEGEND_WIDTH)) / ppf) + first;
                if (f < frameMin) f = frameMin;
                if (f >= frameMax) f = frameMax;
                *currentFrame = f;
            }
            if (!io.MouseDown[0]) _bDraggingPlayhead = false;
        }

        // 9. Header and the add button with its popup.
        draw->AddRectFilled(canvas, ImVec2(canvas.x + width, canvas.y + ROW_HEIGHT), 0xFF3D3837, 0);
        if (DrawPlusMinusButton(draw, ImVec2(canvas.x + LEGEND_WIDTH - 20.f, canvas.y + 2.f), true) &&
            released)
            ImGui::OpenPopup("addEntry");
        bool popupOpen = false;
        if (ImGui::BeginPopup("addEntry"))
        {
            popupOpen = true;
            std::vector<const char*> names;
            for (int t = 0; t < seq->TypeCount(); ++t)
                names.push_back(seq->TypeName(t));
            std::sort(names.begin(), names.end(),
                      [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
            for (const char* name : names)
            {
                if (ImGui::Selectable(name))
                {
                    const int index = seq->AddItem(seq->TypeIndexOf(name));
                    if (index >= 0)
                    {
                        sel.clear();
                        sel.push_back(index);
                    }
                    ImGui::CloseCurrentPopup();
                }
            }
            ImGui::EndPopup();
        }

        // 10. Ruler.
        int L, T;
        RulerSteps(ppf, &L, &T);
        const int H = L / 2;
        // Positions in 64 bits: a frame far outside the view (a timeline that ends at frame 2^31 - 1)
        // is tested against the view before anything becomes an int.
        auto frameX = [&](int f)
        {
            return int64_t(canvas.x) + int64_t(float(f) * ppf) + int64_t(LEGEND_WIDTH) -
                   int64_t(float(first) * ppf);
        };
        auto inView = [&](int64_t x) { return canvas.x + LEGEND_WIDTH <= x && x <= canvas.x + width; };
        // Only the ticks of the visible frames are walked, in 64 bits: the loop costs the width of the
        // view whatever the timeline's length, and never steps past INT_MAX.
        const int64_t tickFirst = std::max<int64_t>(frameMin, int64_t(first) - T);
        const int64_t tickLast = std::min<int64_t>(frameMax, int64_t(first) + visible + 2 * int64_t(T));
        auto eachTick = [&](auto&& fn)
        {
            const int64_t start = frameMin + (tickFirst - frameMin) / T * T;
            for (int64_t f = start; f <= tickLast; f += T)
                fn(int(f));
        };
        auto rulerTick = [&](int f)
        {
            const int64_t x64 = frameX(f);
            if (!inView(x64)) return;
            const int x = int(x64);
            const bool major = f % L == 0 || f == frameMin || f == frameMax;
            const float top = major ? 4.f : (f % H == 0 ? 10.f : 14.f);
            draw->AddLine(ImVec2(float(x), canvas.y + top), ImVec2(float(x), canvas.y + ROW_HEIGHT - 1.f),
                          0xFF606060, 1.f);
            if (major)
            {
                char text[32];
                if (seq->_bShowSeconds)
                    snprintf(text, sizeof(text), "%.1f", f / 60.f);
                else
                    snprintf(text, sizeof(text), "%d", f);
                draw->AddText(ImVec2(x + 3.f, canvas.y), 0xFFBBBBBB, text);
            }
        };
        eachTick(rulerTick);
        rulerTick(frameMin);
        rulerTick(frameMax);

        // 11. Play-head mark in the header.
        const bool headShown = currentFrame && *currentFrame >= first && *currentFrame <= frameMax;
        const float headX =
            headShown ? contentMin.x + LEGEND_WIDTH + (*currentFrame - first) * ppf + ppf / 2.f - 4.f : 0.f;
        if (headShown)
            draw->AddLine(ImVec2(headX, canvas.y), ImVec2(headX, canvas.y + ROW_HEIGHT + 3.f), 0xA02A2AFF,
                          4.f);

        // 12. Row labels and backgrounds.
        draw->PushClipRect(childMin, childMax, true);
        int hoveredRow = -1;
        for (int i = 0; i < count; ++i)
        {
            const float y = contentMin.y + ROW_HEIGHT * i + CustomHeightBefore(seq, i);
            const int h = seq->ExtraHeight(i);
            draw->AddText(ImVec2(contentMin.x + 3.f, y + 2.f), 0xFFFFFFFF, seq->ItemLabel(i));
            ImU32 col = (i & 1) ? 0xFF3A3636 : 0xFF413D3D;
            float x0 = contentMin.x + LEGEND_WIDTH;
            if (!popupOpen && mouse.y >= y && mouse.y < y + ROW_HEIGHT + h && _nDragItem < 0 &&
                contentMin.x < mouse.x && mouse.x < contentMin.x + width)
            {
                col += 0x80201008;
                x0 = contentMin.x;
                if (focused && mouse.x >= contentMin.x + LEGEND_WIDTH && mouse.y >= childMin.y &&
                    mouse.y < childMax.y)
                    hoveredRow = i;
            }
            draw->AddRectFilled(ImVec2(x0, y + 1.f), ImVec2(canvas.x + width, y + ROW_HEIGHT + h), col, 0);
        }
        draw->PopClipRect();

        // 13. Items, right of the legend.
        const ImVec2 itemsClipMin(contentMin.x + LEGEND_WIDTH, childMin.y);
        draw->PushClipRect(itemsClipMin, childMax, true);
        auto frameLine = [&](int f)
        {
            const int64_t x64 = frameX(f);
            if (!inView(x64)) return;
            const float x = float(x64);
            draw->AddLine(ImVec2(x, contentMin.y), ImVec2(x, contentMax.y), 0x30606060, 1.f);
        };
        eachTick(frameLine);
        frameLine(frameMin);
        frameLine(frameMax);
        for (int s : sel)
        {
            if (s < 0 || s >= count) continue;
            const float y = contentMin.y + ROW_HEIGHT * s + CustomHeightBefore(seq, s);
            draw->AddRectFilled(ImVec2(contentMin.x, y), ImVec2(contentMin.x + width, y + ROW_HEIGHT),
                                0x40FFFFFF, 1.f);
        }
        const bool mouseInChild = Inside(mouse, childMin, childMax);
        bool itemHoveredAny = false;
        for (int i = 0; i < count; ++i)
        {
            int* start = nullptr;
            int* end = nullptr;
            unsigned int colour = 0;
            seq->ItemBar(i, &start, &end, nullptr, &colour);
            const int h = seq->ExtraHeight(i);
            const float y = contentMin.y + ROW_HEIGHT * i + CustomHeightBefore(seq, i);
            const float ox = contentMin.x + LEGEND_WIDTH - first * ppf - 4.f;
            const float oy = y + 1.f;
            const ImVec2 p1(ox + *start * ppf, oy + 2.f);
            const ImVec2 p2(ox + *end * ppf + ppf, oy + 18.f);
            const ImVec2 p3(p2.x, p2.y + h);
            if (p1.x <= contentMin.x + width && p2.x >= contentMin.x + LEGEND_WIDTH)
            {
                draw->AddRectFilled(p1, p3, (colour & 0xFFFFFF) | 0x40000000, 2.f);
                draw->AddRectFilled(p1, p2, colour | 0xFF000000, 2.f);
            }
            if (focused && Inside(mouse, p1, p2) && ImGui::IsMouseDoubleClicked(0)) seq->ItemDoubleClicked(i);

            const float w = std::max(ppf / 2.f, 5.f);
            const ImRect parts[3] = {ImRect(p1, ImVec2(p1.x + w, p2.y)), ImRect(ImVec2(p2.x - w, p1.y), p2),
                                     ImRect(p1, p2)};
            const bool selected = Contains(sel, i);
            const ImU32 bodyHover = selected ? (colour | 0xFF000000) + 0x202020 : (colour | 0xFF000000);
            const ImU32 hoverColours[3] = {0xFFFFFFFF, 0xFFFFFFFF, bodyHover};
            bool itemHovered = false;
            if (focused && mouseInChild)
            {
                for (int part : {2, 1, 0})
                {
                    if (!Inside(mouse, parts[part].Min, parts[part].Max)) continue;
                    itemHovered = true;
                    if (!io.MouseDown[0])
                        draw->AddRectFilled(parts[part].Min, parts[part].Max, hoverColours[part], 2.f);
                }
            }
            itemHoveredAny |= itemHovered;
            if (itemHovered && pressed && !_bDraggingPlayhead && !_bDraggingScrollBar)
            {
                for (int part = 0; part < 3; ++part)
                {
                    if (!Inside(mouse, parts[part].Min, parts[part].Max)) continue;
                    _nDragItem = i;
                    _nDragStartX = int(mouse.x);
                    _nDragPart = part + 1;
                    break;
                }
                if (io.KeyShift && !selected && !sel.empty())
                {
                    const int a = std::min(sel.front(), i), b = std::max(sel.front(), i);
                    for (int k = a; k <= b; ++k)
                    {
                        sel.erase(std::remove(sel.begin(), sel.end(), k), sel.end());
                        sel.insert(sel.begin(), k);
                    }
                }
                else if (io.KeyCtrl || !selected)
                {
                    if (!SelectEntry(&sel, i, !io.KeyCtrl, io.KeyCtrl)) _nDragItem = -1;
                }
            }
            draw->AddText(ImVec2(p1.x + 5.f, p1.y), 0xFFFFFFFF, seq->ItemLabel(i));
            if (Contains(sel, i)) draw->AddRect(p1, p2, 0xFFFFFFFF, 2.f, 0, 1.f);

            if (h > 0)
            {
                const ImVec2 r(canvas.x, oy);
                const ImRect custom(
                    ImVec2(r.x + LEGEND_WIDTH - (first - frameMin - 0.5f) * ppf, r.y + ROW_HEIGHT),
                    ImVec2(r.x + LEGEND_WIDTH + (frameMax - first + 1.5f) * ppf, r.y + ROW_HEIGHT + h));
                const ImRect legend(ImVec2(r.x, r.y + ROW_HEIGHT),
                                    ImVec2(r.x + LEGEND_WIDTH, r.y + ROW_HEIGHT + h));
                const ImRect clip(ImVec2(r.x + LEGEND_WIDTH, r.y + ROW_HEIGHT),
                                  ImVec2(r.x + width, r.y + ROW_HEIGHT + h));
                const ImRect legendClip(ImVec2(r.x, r.y + ROW_HEIGHT),
                                        ImVec2(r.x + LEGEND_WIDTH, r.y + ROW_HEIGHT + h));
                draw->PopClipRect();
                seq->DrawExpandedRow(i, draw, ImRect(p1, p2), custom, legend, clip, legendClip);
                draw->PushClipRect(itemsClipMin, childMax, true);
            }
            else
            {
                const ImVec2 r(canvas.x, y);
                const ImRect custom(
                    ImVec2(r.x + LEGEND_WIDTH - (first - frameMin - 0.5f) * ppf, r.y),
                    ImVec2(r.x + LEGEND_WIDTH + (frameMax - first + 1.5f) * ppf, r.y + ROW_HEIGHT));
                const ImRect clip(ImVec2(r.x + LEGEND_WIDTH, r.y), ImVec2(r.x + width, r.y + ROW_HEIGHT));
                seq->DrawPlainRow(i, draw, ImRect(p1, p2), custom, clip);
            }
        }

        // 14. Dragging an item or one of its ends.
        if (_nDragItem >= 0)
        {
            ImGui::CaptureMouseFromApp(true);
            const int mx = int(mouse.x);
            if (mx != _nDragStartX)
            {
                const int d = int((mx - _nDragStartX) / ppf);
                if (d != 0)
                {
                    if (_nDragPart == 1)
                        seq->MoveItemStart(_nDragItem, d);
                    else if (_nDragPart == 2)
                        seq->MoveItemEnd(_nDragItem, d);
                    else
                    {
                        const int anchor = d < 0 ? seq->GetFirstSelected(sel) : seq->GetLastSelected(sel);
                        const int e = seq->MoveItem(anchor, d);
                        for (int s : sel)
                            if (s != anchor) seq->MoveItem(s, e);
                    }
                }
                _nDragStartX = mx;
            }
            if (!io.MouseDown[0]) _nDragItem = -1;
        }

        // 15. The play head over the rows.
        if (headShown)
        {
            draw->AddLine(ImVec2(headX, canvas.y), ImVec2(headX, contentMax.y), 0xA02A2AFF, 8.f);
            char text[32];
            snprintf(text, sizeof(text), "%d", *currentFrame);
            draw->AddText(ImVec2(headX + 10.f, canvas.y + 2.f), 0xFF2A2AFF, text);
        }
        draw->PopClipRect();
        ImGui::EndChild();
        ImGui::PopStyleColor(2);

        // 16. A press on an empty part of a row clears the selection.
        if (pressed && hoveredRow >= 0 && !itemHoveredAny) sel.clear();

        // 17. Scroll bar.
        ImGui::Dummy(ImVec2(width, SCROLLBAR_HEIGHT));
        const ImVec2 b0 = ImGui::GetItemRectMin();
        const ImVec2 b1 = ImGui::GetItemRectMax();
        const float offset =
            frameCount != 0 ? float(first - frameMin) / float(frameCount) * (width - LEGEND_WIDTH) : 0.f;
        const ImVec2 A(b0.x + LEGEND_WIDTH, b0.y - 2.f), B(b0.x + width, b1.y - 1.f);
        draw->AddRectFilled(A, B, 0xFF222222, 0);
        draw->AddRectFilled(A, B, 0xFF101010, 8.f);
        const ImVec2 C(b0.x + LEGEND_WIDTH + offset, b0.y);
        const ImVec2 D(C.x + thumbWidth, b1.y - 2.f);
        const bool overTrack = focused && Inside(mouse, A, B);
        draw->AddRectFilled(C, D, (overTrack || _bDraggingScrollBar) ? 0xFF606060 : 0xFF505050, 6.f);
        const ImRect handleLeft(C, ImVec2(C.x + SCROLL_HANDLE_WIDTH, D.y));
        const ImRect handleRight(ImVec2(D.x - SCROLL_HANDLE_WIDTH, C.y), D);
        const bool overLeft = focused && Inside(mouse, handleLeft.Min, handleLeft.Max);
        const bool overRight = focused && Inside(mouse, handleRight.Min, handleRight.Max);
        draw->AddRectFilled(handleLeft.Min, handleLeft.Max,
                            (overLeft || _bResizingBarLeft) ? 0xFFAAAAAA : 0xFF666666, 6.f);
        draw->AddRectFilled(handleRight.Min, handleRight.Max,
                            (overRight || _bResizingBarRight) ? 0xFFAAAAAA : 0xFF666666, 6.f);
        const float trackWidth = width - LEGEND_WIDTH;
        if (_bResizingBarRight)
        {
            if (!io.MouseDown[0])
                _bResizingBarRight = false;
            else if (thumbWidth > 0.f)
            {
                const float ratio = std::max(thumbWidth + io.MouseDelta.x, MIN_THUMB_WIDTH) / thumbWidth;
                _fPixelsPerFrame = _fPixelsPerFrameTarget = _fPixelsPerFrame / ratio;
                if (first + int(trackWidth / _fPixelsPerFrame) > frameMax && frameMax > first)
                    _fPixelsPerFrame = _fPixelsPerFrameTarget = trackWidth / float(frameMax - first);
            }
        }
        else if (_bResizingBarLeft)
        {
            if (!io.MouseDown[0])
                _bResizingBarLeft = false;
            else if (std::fabs(io.MouseDelta.x) > FLT_EPSILON && thumbWidth > 0.f)
            {
                const float ratio = std::max(thumbWidth - io.MouseDelta.x, MIN_THUMB_WIDTH) / thumbWidth;
                const float oldTarget = _fPixelsPerFrameTarget;
                _fPixelsPerFrame = _fPixelsPerFrameTarget = _fPixelsPerFrame / ratio;
                const int f = LimitFirst(first + int(visible / ratio) - visible, frameMin, frameMax, visible);
                if (f == first)
                    _fPixelsPerFrame = _fPixelsPerFrameTarget = oldTarget;
                else
                    first = f;
            }
        }
        else if (_bDraggingScrollBar)
        {
            if (!io.MouseDown[0])
                _bDraggingScrollBar = false;
            else if (thumbWidth > 0.f)
                first = LimitFirst(int((mouse.x - _vPanStart.x) / (thumbWidth / visible)) - _nPanStartFrame,
                                   frameMin, frameMax, visible);
        }
        else if (focused && pressed)
        {
            // The handles lie on the thumb: a press on a handle resizes, elsewhere on the
            // thumb it drags.
            if (Inside(mouse, handleRight.Min, handleRight.Max))
                _bResizingBarRight = true;
            else if (Inside(mouse, handleLeft.Min, handleLeft.Max))
                _bResizingBarLeft = true;
            else if (Inside(mouse, C, D) && firstFrame && !_bDraggingPlayhead && _nDragItem < 0)
            {
                _bDraggingScrollBar = true;
                _vPanStart = mouse;
                _nPanStartFrame = -first;
            }
        }
    }

    // 18. Zoom with Ctrl and the wheel; the frame under the mouse stays in place.
    ImGui::EndGroup();
    if (Inside(mouse, canvas, ImVec2(canvas.x + canvasSize.x, canvas.y + canvasSize.y)) &&
        io.MouseWheel != 0.f && io.KeyCtrl)
    {
        const int over = int((mouse.x - LEGEND_WIDTH - canvas.x) / (width - LEGEND_WIDTH) * visible);
        float v2 = float(visible);
        if (io.MouseWheel < -FLT_EPSILON)
        {
            _fPixelsPerFrameTarget /= ZOOM_STEP;
            v2 = visible * ZOOM_STEP;
        }
        else if (io.MouseWheel > FLT_EPSILON)
        {
            _fPixelsPerFrameTarget *= ZOOM_STEP;
            v2 = visible / ZOOM_STEP;
        }
        first = first + over - int(float(over) / float(visible) * v2);
        if (first < frameMin)
            first = frameMin;
        else if (first > frameMax)
            first = frameMax;
    }

    // 19. The expand / collapse button.
    if (expanded)
    {
        if (DrawPlusMinusButton(draw, ImVec2(canvas.x + 2.f, canvas.y + 2.f), !*expanded) && released)
            *expanded = !*expanded;
    }

    // 20.
    seq->_nVisibleFrames = visible;
    return false;
}
} // namespace ImSequencer
