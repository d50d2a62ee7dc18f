// The curve delegate over an effect's drivers, and the curve widget driven with mouse input.
#include "Factory/AttribDesc.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/ImCurveEdit.h"
#include "Sequencer/rvCurveEdit.h"
#include "TestClasses.h"
#include "TestSupport.h"

#include <cmath>
#include <limits>
#include <set>

namespace
{
// A driver that records the times it is sampled at and returns a fixed value.
class RecordingDriver : public NoneDriver
{
public:
    RecordingDriver(fxBase* fx, float value, int type = DRIVER_EXPRESSION)
        : NoneDriver(fx, nullptr), _fValue(value)
    {
        _eType = _eRequestedType = type;
    }
    float GetValue(float t, bool) override
    {
        _afTimes.push_back(t);
        return _fValue;
    }
    float _fValue;
    std::vector<float> _afTimes;
};

struct Effect
{
    fxProbe* fx;
    Effect(int start, int end)
    {
        RegisterTestClasses();
        fx = fxProbe::Make(start, end);
    }
    ~Effect() { delete fx; }
    KeyFrameDriver* Keys(const char* attrib, std::initializer_list<std::pair<float, float>> keys)
    {
        auto* k = static_cast<KeyFrameDriver*>(
            fx->SetDriver(fx->_pDescriptor->FindAttrib(attrib), NoneDriver::DRIVER_KEYFRAME));
        for (const auto& key : keys)
            k->AddKey(key.first, key.second);
        return k;
    }
    RecordingDriver* Recording(float value)
    {
        auto* d = new RecordingDriver(fx, value);
        fx->_apAttribDrivers.push_back(d);
        return d;
    }
};
} // namespace

TEST(CurveEdit, DelegateMapsKeysToTimelineFrames)
{
    Effect e(120, 300);
    KeyFrameDriver* keys = e.Keys("FadeIn", {{0.5f, 2.f}, {1.f, 4.f}});
    e.Recording(7.f);
    rvCurveEdit edit;
    EXPECT_EQ(edit.CurveCount(), 0u); // no effect: no curves
    EXPECT_EQ(edit.StartFrame(), 0.f);
    edit._pEffect = e.fx;
    ASSERT_EQ(edit.CurveCount(), 2u);
    EXPECT_EQ(edit.PointCount(0), 2u);
    EXPECT_EQ(edit.PointCount(1), 0u); // only key-frame drivers have points
    EXPECT_EQ(edit.PointCount(5), 0u);
    EXPECT_EQ(edit.PointAt(0, 0).x, 150.f); // Start 120 + 0.5 s
    EXPECT_EQ(edit.PointAt(0, 1).y, 4.f);
    EXPECT_EQ(edit.StartFrame(), 120.f);
    EXPECT_EQ(edit.EndFrame(), 300.f);
    // The value at a frame: truncated to a whole frame, made local.
    EXPECT_FLOAT_EQ(edit.ValueAt(0, 150.7f), 2.f);
    // Moving key 0 to frame 210 (local 1.5 s) passes key 1: its index becomes 1.
    EXPECT_EQ(edit.MovePoint(0, 0, ImVec2(209.6f, 5.f)), 1);
    EXPECT_FLOAT_EQ(keys->_aKeys[1]._fTime, 1.5f);
    EXPECT_FLOAT_EQ(keys->_aKeys[1]._fValue, 5.f);
    // A stale index (a selection left from other keys) is left alone.
    EXPECT_EQ(edit.MovePoint(0, 9, ImVec2(0.f, 0.f)), 9);
    edit.InsertPoint(0, ImVec2(240.f, 1.f));
    EXPECT_EQ(edit.PointCount(0), 3u);
    edit.InsertPoint(1, ImVec2(180.f, 1.f)); // not a key-frame curve: nothing
    EXPECT_DEATH(edit.PointAt(1, 0), "");
}

TEST(CurveEdit, ColoursFollowTheDriverType)
{
    const uint32_t expected[] = {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFF00FFFF, 0xFFFFFF00,
                                 0xFFFF0000, 0xFFFF00FF, 0xFF808080, 0,          0};
    for (int type = 0; type < 10; ++type)
        EXPECT_EQ(rvCurveEdit::DriverColor(type == 9 ? -1 : type), expected[type]) << type;
    Effect e(0, 60);
    e.fx->_apAttribDrivers.push_back(nullptr);
    rvCurveEdit edit;
    edit._pEffect = e.fx;
    EXPECT_EQ(edit.CurveColor(0), 0u); // empty slot
    EXPECT_FALSE(edit.CurveShown(0));
    e.fx->_apAttribDrivers.clear();
}

TEST(CurveEdit, ValueRangeFitsTheVisibleCurves)
{
    // A long effect is sampled at 101 evenly spaced times over its duration.
    Effect e(60, 660);
    RecordingDriver* a = e.Recording(3.f);
    RecordingDriver* b = e.Recording(-1.f);
    rvCurveEdit edit;
    edit._pEffect = e.fx;
    edit.ComputeValueRange();
    ASSERT_EQ(a->_afTimes.size(), 101u);
    EXPECT_FLOAT_EQ(a->_afTimes[100], 10.f);
    EXPECT_FLOAT_EQ(a->_afTimes[50], 5.f);
    EXPECT_FLOAT_EQ(edit._vRangeMin.y, -1.f - 0.2f);
    EXPECT_FLOAT_EQ(edit._vRangeMax.y, 3.f + 0.2f);
    EXPECT_EQ(edit._vRangeMin.x, 0.f); // x untouched
    EXPECT_EQ(edit._vRangeMax.x, 1.f);

    // A constant curve gets +-0.1; a curve without value (+infinity) does not spread the range.
    b->_bVisible = false;
    RecordingDriver* none = e.Recording(std::numeric_limits<float>::infinity());
    edit.ComputeValueRange();
    EXPECT_FLOAT_EQ(edit._vRangeMin.y, 2.9f);
    EXPECT_FLOAT_EQ(edit._vRangeMax.y, 3.1f);

    // All curves hidden, or only curves without value: the range stays.
    a->_bVisible = false;
    edit._vRangeMin.y = -7.f;
    edit.ComputeValueRange();
    EXPECT_EQ(edit._vRangeMin.y, -7.f);
    none->_bVisible = false;
    edit.ComputeValueRange();
    EXPECT_EQ(edit._vRangeMin.y, -7.f);

    // An effect that does not end after its start is sampled once, at 0.
    Effect empty(100, 80);
    RecordingDriver* c = empty.Recording(5.f);
    edit._pEffect = empty.fx;
    edit.ComputeValueRange();
    ASSERT_EQ(c->_afTimes.size(), 1u);
    EXPECT_EQ(c->_afTimes[0], 0.f);
    EXPECT_FLOAT_EQ(edit._vRangeMax.y, 5.1f);
}

namespace
{
// Draws one delegate in a borderless, padding-free window at the origin: the curve area is
// [0, 600) x [0, 100) and its values grow upwards.
struct CurveView
{
    rvTest::ImGuiHeadless gui{800.f, 600.f};
    Effect e{0, 600};
    rvCurveEdit edit;
    ImVector<ImCurveEdit::CurvePointRef> selected;
    int moved = 0;

    CurveView()
    {
        ImCurveEdit::ResetState();
        ImGuiStyle& s = ImGui::GetStyle();
        s.WindowPadding = s.FramePadding = s.ItemSpacing = ImVec2(0.f, 0.f);
        s.WindowBorderSize = s.ChildBorderSize = s.FrameBorderSize = 0.f;
        edit._pEffect = e.fx;
        edit._vRangeMin = ImVec2(0.f, 0.f);
        edit._vRangeMax = ImVec2(599.f, 10.f); // 600 frames over 600 pixels, 10 values over 100
    }
    // Screen position of (frame, value).
    static ImVec2 At(float frame, float value) { return ImVec2(frame, 100.f - value * 10.f); }
    void Frame(ImVec2 mouse, bool down, bool shift = false, float wheel = 0.f, bool ctrl = false)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = mouse;
        io.MouseDown[0] = down;
        io.KeyShift = shift;
        io.KeyCtrl = ctrl;
        io.MouseWheel = wheel;
        gui.NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0.f, 0.f));
        ImGui::SetNextWindowSize(ImVec2(800.f, 600.f));
        ImGui::Begin("curves", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoSavedSettings);
        moved |= ImCurveEdit::DrawCurves(edit, ImVec2(600.f, 100.f), 137, nullptr, &selected);
        ImGui::End();
        gui.EndFrame();
    }
    void Drag(ImVec2 from, ImVec2 to, bool shift = false)
    {
        Frame(from, false, shift);
        Frame(from, true, shift);
        Frame(ImVec2((from.x + to.x) / 2, (from.y + to.y) / 2), true, shift);
        Frame(to, true, shift);
        Frame(to, false, shift);
    }
};
} // namespace

TEST(CurveWidget, DraggedKeyPassesItsNeighbourAndStaysSelected)
{
    CurveView v;
    KeyFrameDriver* k = v.e.Keys("FadeIn", {{1.f, 2.f}, {1.5f, 4.f}}); // frames 60 and 90
    const int32_t id = k->_aKeys[0]._nId;
    v.Drag(CurveView::At(60.f, 2.f), CurveView::At(180.f, 5.f));
    EXPECT_TRUE(v.moved);
    ASSERT_EQ(k->_aKeys.size(), 2u);
    EXPECT_EQ(k->_aKeys[1]._nId, id); // now the second key
    EXPECT_NEAR(k->_aKeys[1]._fTime * 60.f, 180.f, 1.5f);
    EXPECT_NEAR(k->_aKeys[1]._fValue, 5.f, 0.15f);
    ASSERT_EQ(v.selected.size(), 1);
    EXPECT_EQ(v.selected[0].pointIndex, 1); // the selection followed the key
    EXPECT_FALSE(ImCurveEdit::_bPointsMoved);
}

TEST(CurveWidget, DraggedSelectionKeepsEveryKey)
{
    // Keys at frames 60, 90 and 120; some selected by a rectangle, then dragged by one of them.
    // Selected keys that land on a frame another key still holds (moved or not) rest beside it:
    // none is replaced.
    struct Case
    {
        float rectFrom, rectTo; // frames enclosed by the rectangle
        float grab, drop;       // frame of the key grabbed, and where it is dropped
        std::vector<float> frames;
    } cases[] = {
        {50, 100, 60, 90, {90, 120, 120}},  // two neighbours, by their spacing
        {50, 130, 60, 120, {120, 150, 180}}, // all three, by twice their spacing
        {80, 130, 120, 60, {30, 60, 60}},   // two neighbours to the left, onto the first
    };
    for (const Case& c : cases)
    {
        CurveView v;
        KeyFrameDriver* k = v.e.Keys("FadeIn", {{1.f, 5.f}, {1.5f, 5.f}, {2.f, 5.f}});
        v.Drag(ImVec2(c.rectFrom, 10.f), ImVec2(c.rectTo, 95.f));
        auto selectedIds = [&]
        {
            std::set<int32_t> ids;
            for (const ImCurveEdit::CurvePointRef& ref : v.selected)
                ids.insert(k->_aKeys[size_t(ref.pointIndex)]._nId);
            return ids;
        };
        const std::set<int32_t> before = selectedIds();
        ASSERT_GE(before.size(), 2u);
        // Grabbed 2 pixels off the key, so the drag moves by whole frames.
        v.Drag(ImVec2(c.grab + 2.f, 50.f), ImVec2(c.drop + 2.f, 50.f));
        EXPECT_TRUE(v.moved);
        ASSERT_EQ(k->_aKeys.size(), 3u) << c.grab << " to " << c.drop;
        for (size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(k->_aKeys[i]._fTime * 60.f, c.frames[i], 0.01f) << c.grab << " to " << c.drop << ", key " << i;
        // The selection followed its keys to their new places.
        EXPECT_EQ(v.selected.size(), int(before.size()));
        EXPECT_EQ(selectedIds(), before);
    }
}

TEST(CurveWidget, RectangleSelectionReplacesOrWithShiftAdds)
{
    CurveView v;
    v.e.Keys("FadeIn", {{1.f, 2.f}, {2.f, 4.f}, {5.f, 6.f}}); // frames 60, 120, 300
    v.Drag(ImVec2(40.f, 10.f), ImVec2(130.f, 95.f));          // around the first two
    ASSERT_EQ(v.selected.size(), 2);
    v.Drag(ImVec2(280.f, 10.f), ImVec2(320.f, 95.f)); // the third alone
    ASSERT_EQ(v.selected.size(), 1);
    EXPECT_EQ(v.selected[0].pointIndex, 2);
    v.Drag(ImVec2(40.f, 10.f), ImVec2(70.f, 95.f), true); // Shift adds the first
    ASSERT_EQ(v.selected.size(), 2);
    EXPECT_EQ(v.selected[0].pointIndex, 0);
    EXPECT_FALSE(v.moved);
}

TEST(CurveWidget, KeysAreGrabbedOnlyByAPressOnThem)
{
    // A drag that starts elsewhere (a bar, empty space) and crosses keys neither selects nor
    // moves them; a drag of a key that crosses another key keeps the selection.
    CurveView v;
    KeyFrameDriver* k = v.e.Keys("FadeIn", {{1.f, 5.f}, {3.f, 5.f}}); // frames 60 and 180
    v.Frame(ImVec2(700.f, 50.f), false);
    v.Frame(ImVec2(700.f, 50.f), true); // pressed outside the curves
    v.Frame(CurveView::At(60.f, 5.f), true);
    v.Frame(ImVec2(CurveView::At(60.f, 5.f).x + 20.f, 50.f), true);
    v.Frame(ImVec2(700.f, 50.f), false);
    EXPECT_FALSE(v.moved);
    EXPECT_EQ(v.selected.size(), 0);
    EXPECT_FLOAT_EQ(k->_aKeys[0]._fTime, 1.f);

    // Pressed 4 pixels right of the key at 180, so the dragged key never lands on frame 60.
    v.Frame(ImVec2(184.f, 50.f), false);
    v.Frame(ImVec2(184.f, 50.f), true);
    v.Frame(ImVec2(150.f, 50.f), true);
    v.Frame(ImVec2(60.f, 50.f), true); // over the other key, button held
    v.Frame(ImVec2(34.f, 50.f), true);
    v.Frame(ImVec2(34.f, 50.f), false);
    ASSERT_EQ(v.selected.size(), 1);
    EXPECT_EQ(v.selected[0].pointIndex, 0);
    EXPECT_NEAR(k->_aKeys[0]._fTime * 60.f, 30.f, 1.5f);
    EXPECT_FLOAT_EQ(k->_aKeys[1]._fTime, 1.f); // the crossed key stayed
}

TEST(CurveWidget, WheelZoomsValuesExceptWithCtrl)
{
    CurveView v;
    v.Frame(CurveView::At(100.f, 5.f), false, false, 1.f, true); // Ctrl: the timeline's zoom
    EXPECT_EQ(v.edit._vRangeMin.y, 0.f);
    EXPECT_EQ(v.edit._vRangeMax.y, 10.f);
    v.Frame(CurveView::At(100.f, 5.f), false, false, 1.f);
    EXPECT_NEAR(v.edit._vRangeMin.y, 0.25f, 1e-4f); // around the value under the mouse
    EXPECT_NEAR(v.edit._vRangeMax.y, 9.75f, 1e-4f);
}

TEST(CurveWidget, StaleSelectionFromAnotherEffectIsDropped)
{
    // The selection is shared by every delegate: entries left from another effect's curves
    // must not be asked for when a drag starts here.
    CurveView v;
    KeyFrameDriver* k = v.e.Keys("FadeIn", {{1.f, 5.f}});
    ImCurveEdit::_aSelection.insert({0, 0});
    ImCurveEdit::_aSelection.insert({3, 7}); // no such curve here
    v.Drag(CurveView::At(60.f, 5.f), CurveView::At(120.f, 5.f));
    EXPECT_TRUE(v.moved);
    EXPECT_NEAR(k->_aKeys[0]._fTime, 2.f, 1.5f / 60.f);
    ASSERT_EQ(v.selected.size(), 1);
}
