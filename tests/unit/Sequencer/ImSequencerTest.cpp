// The timeline widget: ruler steps, selection rules, and bars driven with mouse input on a
// timeline of probe effects.
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/ImSequencer.h"
#include "Sequencer/rvCurveEdit.h"
#include "Sequencer/rvSequence.h"
#include "TestClasses.h"
#include "TestSupport.h"

#include <climits>

TEST(TimelineWidget, RulerStepsFollowTheZoom)
{
    const struct
    {
        float ppf;
        int label, tick;
    } cases[] = {{1.f, 160, 16}, {0.05f, 5120, 512}, {40.f, 10, 1}, {15.f, 10, 1}, {14.9f, 20, 2}};
    for (const auto& c : cases)
    {
        int label = 0, tick = 0;
        ImSequencer::RulerSteps(c.ppf, &label, &tick);
        EXPECT_EQ(label, c.label) << c.ppf;
        EXPECT_EQ(tick, c.tick) << c.ppf;
    }
}

TEST(TimelineWidget, SelectEntry)
{
    const struct
    {
        std::vector<int> before;
        int index;
        bool clearFirst, toggle, result;
        std::vector<int> after;
    } cases[] = {
        {{3, 1}, 2, false, false, true, {2, 3, 1}},       // to the front
        {{3, 2, 1, 2}, 2, false, false, true, {2, 3, 1}}, // every occurrence removed first
        {{3, 2, 1}, 2, false, true, false, {3, 1}},       // toggle removes
        {{3, 1}, 2, false, true, true, {2, 3, 1}},        // toggle adds
        {{3, 1}, 2, true, false, true, {2}},
        {{3, 2}, 2, true, true, true, {2}}, // cleared first: nothing to toggle off
    };
    for (const auto& c : cases)
    {
        std::vector<int> sel = c.before;
        EXPECT_EQ(ImSequencer::SelectEntry(&sel, c.index, c.clearFirst, c.toggle), c.result);
        EXPECT_EQ(sel, c.after);
    }
}

namespace
{
// A timeline of three probes drawn by the widget in a borderless, padding-free 1000 x 400 window
// at the origin: the legend is 150 wide, the header row is y [0, 20), row i lies at
// y [20 + 20 i, 40 + 20 i), and frame f of a bar starts at x = 146 + f (1 pixel per frame).
struct Widget
{
    rvTest::ImGuiHeadless gui{1000.f, 400.f};
    rvSequence seq{false};
    int frame = 0;
    bool expanded = true;
    int first = 0;

    Widget()
    {
        RegisterTestClasses();
        ImSequencer::ResetState();
        ImGuiStyle& s = ImGui::GetStyle();
        s.WindowPadding = s.FramePadding = s.ItemSpacing = ImVec2(0.f, 0.f);
        s.WindowBorderSize = s.ChildBorderSize = s.FrameBorderSize = 0.f;
        seq.AddEffect(fxProbe::Make(60, 120, "a"));
        seq.AddEffect(fxProbe::Make(200, 300, "b"));
        seq.AddEffect(fxProbe::Make(400, 600, "c"));
    }
    ~Widget() { seq.Clear(); }
    fxBase* Fx(int i) { return seq._apEffects[i]; }
    static ImVec2 Bar(int row, int frame) { return ImVec2(146.f + frame + 0.5f, 20.f + 20.f * row + 10.f); }

    void Frame(ImVec2 mouse, bool down, bool ctrl = false, bool shift = false)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = mouse;
        io.MouseDown[0] = down;
        io.KeyCtrl = ctrl;
        io.KeyShift = shift;
        gui.NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0.f, 0.f));
        ImGui::SetNextWindowSize(ImVec2(1000.f, 400.f));
        ImGui::SetNextWindowFocus();
        ImGui::Begin("host", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoSavedSettings);
        ImSequencer::DrawTimeline(&seq, &frame, &expanded, &seq._anSelected, &first);
        ImGui::End();
        gui.EndFrame();
    }
    void Click(ImVec2 at, bool ctrl = false, bool shift = false)
    {
        Frame(at, false, ctrl, shift);
        Frame(at, true, ctrl, shift);
        Frame(at, false, ctrl, shift);
    }
    void Drag(ImVec2 from, std::initializer_list<float> xs)
    {
        Frame(from, false);
        Frame(from, true);
        for (float x : xs)
            Frame(ImVec2(x, from.y), true);
        Frame(ImVec2(*(xs.end() - 1), from.y), false);
    }
};
} // namespace

TEST(TimelineWidget, DraggingABarMovesTheSelectionByWhatTheLeaderCan)
{
    Widget w;
    // b alone: 30 pixels right.
    w.Drag(Widget::Bar(1, 250), {270.f + 146.f, 280.f + 146.f});
    EXPECT_EQ(w.seq._anSelected, std::vector<int>{1});
    EXPECT_EQ(w.Fx(1)->_nStart, 230);
    EXPECT_EQ(w.Fx(1)->_nEnd, 330);
    EXPECT_EQ(ImSequencer::_nDragItem, -1);

    // a and b together, dragged 100 frames left: a stops at frame 0, b moves by the same 60.
    w.Click(Widget::Bar(0, 90), true);
    EXPECT_EQ(w.seq._anSelected, (std::vector<int>{0, 1}));
    w.Drag(Widget::Bar(1, 280), {180.f + 146.f});
    EXPECT_EQ(w.Fx(0)->_nStart, 0);
    EXPECT_EQ(w.Fx(1)->_nStart, 170);
    EXPECT_EQ(w.Fx(2)->_nStart, 400);

    // The end handle: only the end moves.
    w.Drag(ImVec2(146.f + 599.f, Widget::Bar(2, 0).y), {146.f + 599.f - 40.f});
    EXPECT_EQ(w.Fx(2)->_nStart, 400);
    EXPECT_EQ(w.Fx(2)->_nEnd, 560);
}

TEST(TimelineWidget, SlowDragsMoveNothingAtHighZoom)
{
    // At 4 pixels per frame, three pixels a frame never add up to a frame: the start x follows
    // the mouse every frame.
    Widget w;
    ImSequencer::_fPixelsPerFrameTarget = 4.f;
    w.Frame(ImVec2(0.f, 0.f), false);
    const ImVec2 bar(146.f + 4.f * 90.f + 2.f, Widget::Bar(0, 0).y);
    w.Drag(bar, {bar.x + 3.f, bar.x + 6.f, bar.x + 9.f});
    EXPECT_EQ(w.Fx(0)->_nStart, 60);
    w.Drag(bar, {bar.x + 9.f});
    EXPECT_EQ(w.Fx(0)->_nStart, 62);
}

TEST(TimelineWidget, ClicksSelect)
{
    Widget w;
    w.Click(Widget::Bar(0, 90));
    w.Click(Widget::Bar(2, 500), false, true); // Shift: the whole range
    EXPECT_EQ(w.seq._anSelected, (std::vector<int>{2, 1, 0}));
    w.Click(Widget::Bar(1, 250), true); // Ctrl on a selected item: deselected, no drag
    EXPECT_EQ(w.seq._anSelected, (std::vector<int>{2, 0}));
    EXPECT_EQ(ImSequencer::_nDragItem, -1);
    w.Click(ImVec2(60.f, Widget::Bar(1, 0).y)); // the legend keeps the selection
    EXPECT_EQ(w.seq._anSelected.size(), 2u);
    w.Click(Widget::Bar(1, 100)); // the empty part of a row clears it
    EXPECT_TRUE(w.seq._anSelected.empty());

    // Collapsed: nothing can be selected.
    w.expanded = false;
    w.Click(Widget::Bar(0, 90));
    EXPECT_TRUE(w.seq._anSelected.empty());
}

TEST(TimelineWidget, PlayHeadFollowsTheRuler)
{
    Widget w;
    w.Drag(ImVec2(150.f + 250.f, 10.f), {150.f + 300.f, 150.f + 900.f});
    EXPECT_EQ(w.frame, 600); // limited to the last frame
    w.Drag(ImVec2(150.f + 250.f, 10.f), {150.f + 320.5f});
    EXPECT_EQ(w.frame, 320);
}

TEST(TimelineWidget, DoubleClickExpandsARowAndItsCurvesTakeTheSpace)
{
    Widget w;
    fxBase* b = w.Fx(1);
    b->SetDriver(b->_pDescriptor->FindAttrib("FadeIn"), NoneDriver::DRIVER_KEYFRAME);
    w.Click(Widget::Bar(1, 250));
    w.Click(Widget::Bar(1, 250));
    ASSERT_TRUE(b->_bExpanded);
    EXPECT_EQ(w.seq.ExtraHeight(1), 114);
    EXPECT_EQ(w.seq._CurveEdit->_pEffect, b);
    w.Frame(ImVec2(0.f, 0.f), false); // draws the curves
    // Row 2 now sits below the custom area: a click on its old band hits the curves instead.
    w.seq._anSelected.clear();
    w.Click(ImVec2(146.f + 500.f, 20.f + 40.f + 114.f + 10.f));
    EXPECT_EQ(w.seq._anSelected, std::vector<int>{2});
    // Another double click collapses it.
    w.Click(Widget::Bar(1, 250));
    w.Click(Widget::Bar(1, 250));
    EXPECT_FALSE(b->_bExpanded);
}

TEST(TimelineWidget, CtrlWheelZoomsAroundTheMouse)
{
    Widget w;
    w.seq._apEffects[2]->_nEnd = 6000;
    w.seq.AddEffect(fxProbe::Make(0, 6000, "long"));
    w.first = 1000;
    ImGuiIO& io = ImGui::GetIO();
    io.MouseWheel = 1.f;
    w.Frame(ImVec2(150.f + 425.f, 300.f), false, true);
    io.MouseWheel = 0.f;
    EXPECT_FLOAT_EQ(ImSequencer::_fPixelsPerFrameTarget, 1.1f);
    // 850 frames visible, 425 under the mouse: frame 1425 stays at the mouse.
    EXPECT_EQ(w.first, 1000 + 425 - int(425.f / 850.f * (850.f / 1.1f)));
    io.MouseWheel = 1.f;
    w.Frame(ImVec2(150.f + 425.f, 300.f), false); // without Ctrl the timeline does not zoom
    EXPECT_FLOAT_EQ(ImSequencer::_fPixelsPerFrameTarget, 1.1f);
    EXPECT_FLOAT_EQ(ImSequencer::_fPixelsPerFrame, 1.1f);
}

TEST(TimelineWidget, EmptyTimelineKeepsItsPlayHeadAndScrollBar)
{
    // No frames: the play head cannot be dragged, and the scroll thumb sits at the track's start.
    Widget w;
    w.seq.Clear();
    w.seq.DeleteItem(w.seq.AddEffect(fxProbe::Make(0, 0, "gone"))); // frame range back to 0
    ASSERT_EQ(w.seq.LastFrame(), 0);
    w.Drag(ImVec2(150.f + 250.f, 10.f), {150.f + 300.f});
    EXPECT_EQ(w.frame, 0);
    EXPECT_FALSE(ImSequencer::_bDraggingPlayhead);
    // The thumb spans the track (everything is visible); a press on it drags nothing off range.
    w.Drag(ImVec2(150.f + 400.f, 384.f), {150.f + 500.f}); // the bar lies at y [378, 392)
    EXPECT_EQ(w.first, 0);
    EXPECT_EQ(w.seq._nVisibleFrames, 850);
}

TEST(TimelineWidget, ScrollThumbScrollsTheView)
{
    // 6000 frames, 850 visible: the thumb is 850 x 850 / 6000 pixels wide and one pixel of
    // track is 6000 / 850 frames.
    Widget w;
    w.seq.AddEffect(fxProbe::Make(0, 6000, "long"));
    w.Drag(ImVec2(150.f + 50.f, 384.f), {150.f + 150.f});
    EXPECT_EQ(w.first, int(100.f / (850.f * 850.f / 6000.f / 850.f)));
    w.Drag(ImVec2(150.f + 150.f, 384.f), {1000.f});
    EXPECT_EQ(w.first, 6000 - 850); // the view stops at the end
}

TEST(TimelineWidget, TimelineEndingAtTheLastIntDrawsInOneFrame)
{
    // A ".seq" item with "End": 2147483647: the ruler and frame lines walk only what is in view,
    // at the start of the timeline and scrolled to its very end.
    for (int first : {0, INT_MAX - 400})
    {
        Widget w;
        w.seq.AddEffect(fxProbe::Make(0, INT_MAX, "endless"));
        ASSERT_EQ(w.seq.LastFrame(), INT_MAX);
        w.first = first;
        w.Frame(ImVec2(500.f, 10.f), false);
        w.Frame(ImVec2(500.f, 10.f), false);
        EXPECT_GE(w.first, 0) << first;
    }
}
