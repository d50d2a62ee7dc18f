// The timeline editor window: its keys driven through a headless UI, and its commands
// (clone, import, placement, key jumps) on probe effects.
#include "Factory/AttribDesc.h"
#include "Factory/Factory.h"
#include "FileBrowser/rvFileBrowser.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/ImCurveEdit.h"
#include "Sequencer/ImSequencer.h"
#include "Sequencer/rvCurveEdit.h"
#include "Sequencer/rvSequence.h"
#include "TestClasses.h"
#include "TestSupport.h"

#include <cmath>
#include <fstream>

namespace
{
enum Key
{
    Key_Left = 263,
    Key_Right = 262,
    Key_Up = 265,
    Key_Down = 264,
    Key_Home = 268,
    Key_End = 269,
    Key_Delete = 261,
    Key_Space = 32,
    Key_Enter = 257
};

// A timeline with its editor shown, probes a [60,120], b [200,300], c [400,600].
struct Editor
{
    rvTest::ImGuiHeadless gui{1920.f, 1080.f};
    rvSequence seq{true};
    int deleted = 0;

    Editor()
    {
        RegisterTestClasses();
        ImSequencer::ResetState();
        ImCurveEdit::ResetState();
        ImGuiIO& io = ImGui::GetIO();
        io.KeyMap[ImGuiKey_LeftArrow] = Key_Left;
        io.KeyMap[ImGuiKey_RightArrow] = Key_Right;
        io.KeyMap[ImGuiKey_UpArrow] = Key_Up;
        io.KeyMap[ImGuiKey_DownArrow] = Key_Down;
        io.KeyMap[ImGuiKey_Home] = Key_Home;
        io.KeyMap[ImGuiKey_End] = Key_End;
        io.KeyMap[ImGuiKey_Delete] = Key_Delete;
        io.KeyMap[ImGuiKey_Space] = Key_Space;
        io.KeyMap[ImGuiKey_Enter] = Key_Enter;
        for (const char* name : {"a", "b", "c"})
            Add(name);
        Fx(1)->_nStart = 200;
        Fx(1)->_nEnd = 300;
        Fx(2)->_nStart = 400;
        Fx(2)->_nEnd = 600;
    }
    ~Editor()
    {
        seq._bShowEditor = false;
        seq.Clear();
    }
    fxProbe* Add(const char* name)
    {
        fxProbe* p = fxProbe::Make(60, 120, name);
        p->_pDeleted = &deleted;
        pending.push_back(p);
        return p;
    }
    fxProbe* Fx(int i)
    {
        return i < (int)seq._apEffects.size() ? static_cast<fxProbe*>(seq._apEffects[i]) : pending[i];
    }
    void Start()
    {
        for (fxProbe* p : pending)
            seq.AddEffect(p);
        pending.clear();
    }
    std::string Names()
    {
        std::string s;
        for (fxBase* fx : seq._apEffects)
            s += fx->_sName;
        return s;
    }
    // One frame of the window with a key (or none) going down, then one with it up.
    void Press(int key, bool ctrl = false)
    {
        Frame(key, ctrl);
        Frame(-1, ctrl);
    }
    // A browser put into a slot as its button would (inside the window), then a name typed
    // into its box and Enter. The window is not refocused meanwhile: the popup keeps the focus.
    void Browse(rvFileBrowser** slot, const char* title, const char* filter, const char* start,
                const char* name)
    {
        Open(slot, title, filter, start);
        for (const char* c = name; *c; ++c)
            ImGui::GetIO().AddInputCharacter((unsigned int)*c);
        Frame(-1, false, 0.f, false);
        Frame(Key_Enter, false, 0.f, false);
        Frame(-1, false, 0.f, false);
    }
    // Opens a browser and lets its name box take the keyboard.
    void Open(rvFileBrowser** slot, const char* title, const char* filter, const char* start)
    {
        gui.NewFrame();
        ImGui::Begin("###Sequencer");
        *slot = new rvFileBrowser(title, filter, start);
        ImGui::End();
        seq.DrawWindow(0.f);
        gui.EndFrame();
        Frame(-1, false, 0.f, false);
    }
    void Frame(int key, bool ctrl, float dt = 0.f, bool focus = true)
    {
        ImGuiIO& io = ImGui::GetIO();
        for (bool& down : io.KeysDown)
            down = false;
        if (key >= 0) io.KeysDown[key] = true;
        io.KeyCtrl = ctrl;
        seq._bSeek = false;
        gui.NewFrame();
        if (focus) ImGui::SetNextWindowFocus();
        seq.DrawWindow(dt);
        gui.EndFrame();
    }
    std::vector<fxProbe*> pending;
};
} // namespace

TEST(SequenceEditor, TransportKeysMoveThePlayHead)
{
    const struct
    {
        int frame, key;
        bool ctrl;
        int expected;
    } cases[] = {
        {0, Key_Left, false, 0},      {10, Key_Left, false, 9},   {10, Key_Left, true, 10},
        {600, Key_Right, false, 600}, {10, Key_Right, false, 11}, {300, Key_Home, false, 0},
        {300, Key_End, false, 600},   {300, Key_Home, true, 300}, {10, Key_Right, true, 10},
        {300, Key_End, true, 300},
    };
    for (const auto& c : cases)
    {
        Editor e;
        e.Start();
        e.seq._fTime = c.frame / 60.f;
        e.Frame(c.key, c.ctrl);
        EXPECT_FLOAT_EQ(e.seq._fTime, c.expected / 60.f) << c.frame << " key " << c.key << " ctrl " << c.ctrl;
        EXPECT_EQ(e.seq._bSeek, c.expected != c.frame) << c.frame << " key " << c.key;
    }
}

TEST(SequenceEditor, SpaceRestartsAFinishedTimeline)
{
    Editor e;
    e.Start();
    e.seq._fTime = 10.f; // the end
    e.Press(Key_Space);
    EXPECT_TRUE(e.seq._bPlaying);
    EXPECT_EQ(e.seq._fTime, 0.f);
    EXPECT_FALSE(e.seq._bSeek);
    e.seq._fTime = 2.f;
    e.Press(Key_Space);
    EXPECT_FALSE(e.seq._bPlaying);
    EXPECT_EQ(e.seq._fTime, 2.f);
}

TEST(SequenceEditor, UpAndDownMoveTheSelectionAndWithCtrlTheEffects)
{
    Editor e;
    e.Start();
    e.seq._anSelected = {0};
    e.Press(Key_Up); // already the first row
    EXPECT_EQ(e.seq._anSelected, std::vector<int>{0});
    e.Press(Key_Down);
    EXPECT_EQ(e.seq._anSelected, std::vector<int>{1});
    EXPECT_EQ(e.Names(), "abc");
    e.Press(Key_Down, true);
    EXPECT_EQ(e.seq._anSelected, std::vector<int>{2});
    EXPECT_EQ(e.Names(), "acb");
    e.Press(Key_Down, true); // already the last row
    EXPECT_EQ(e.Names(), "acb");
    // Two adjacent rows move up together.
    e.seq._anSelected = {2, 1};
    e.Press(Key_Up, true);
    EXPECT_EQ(e.Names(), "cba");
    EXPECT_EQ(e.seq._anSelected, (std::vector<int>{1, 0}));
}

TEST(SequenceEditor, DeleteRemovesEverySelectedEffectOnce)
{
    Editor e;
    e.Add("d");
    e.Start();
    e.seq._pExportEffect = e.seq._apEffects[3];
    e.seq._anSelected = {1, 3, 0, 3};
    e.Press(Key_Delete);
    EXPECT_EQ(e.Names(), "c");
    EXPECT_EQ(e.deleted, 3);
    EXPECT_TRUE(e.seq._anSelected.empty());
    EXPECT_EQ(e.seq._pExportEffect, nullptr); // its pending export is dropped
}

TEST(SequenceEditor, KKeysTheSelectedEffectsAndCtrlSSaves)
{
    rvTest::TempWorkDir dir;
    Editor e;
    e.Start();
    fxProbe* b = e.Fx(1);
    auto* keys = static_cast<KeyFrameDriver*>(
        b->SetDriver(b->_pDescriptor->FindAttrib("FadeIn"), NoneDriver::DRIVER_KEYFRAME));
    b->_fTime = 0.5f;
    e.seq._anSelected = {1};
    e.Press('K');
    ASSERT_EQ(keys->_aKeys.size(), 1u);
    EXPECT_FLOAT_EQ(keys->_aKeys[0]._fTime, 0.5f);

    e.seq._sFile = "saved.seq";
    e.Press('S'); // S alone does nothing
    EXPECT_FALSE(std::ifstream("saved.seq").good());
    e.Press('S', true);
    EXPECT_TRUE(std::ifstream("saved.seq").good());
    EXPECT_EQ(e.seq._fSavedTimer, 3.f);
    e.Frame(-1, false, 0.5f);
    EXPECT_EQ(e.seq._fSavedTimer, 2.5f);

    e.seq._fSavedTimer = 0.f;
    e.seq._sFile = "missing/dir/saved.seq";
    e.Press('S', true); // a failed save shows its own banner, not "Saved"
    EXPECT_EQ(e.seq._fSavedTimer, 0.f);
    EXPECT_EQ(e.seq._fSaveFailedTimer, 3.f);
}

TEST(SequenceEditor, ClonesFollowTheLastSelectedRowAndAreSelected)
{
    rvTest::TempWorkDir dir;
    dir.WriteFile("Data/fx/keep.txt", "");
    Editor e;
    e.Add("d");
    e.Start();
    e.seq._anSelected = {2, 0, 1};
    e.seq.CloneSelection();
    EXPECT_EQ(e.Names(), "abcabcd");
    EXPECT_EQ(e.seq._anSelected, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(e.seq._apEffects[4]->_nStart, 200); // clones keep their times
    EXPECT_EQ(e.seq._apEffects[5]->_nEnd, 600);
    // The buffer holds the last clone.
    EXPECT_NE(dir.ReadFile("Data/fx/_fxCloned.fx").find("\"c\""), std::string::npos);
}

TEST(SequenceEditor, CloneWithoutAWritableBufferAddsNothing)
{
    // A stale buffer from an earlier clone must not come back as the copy.
    rvTest::TempWorkDir dir;
    Editor e;
    e.Start();
    e.seq._anSelected = {0};
    e.seq.CloneSelection();
    EXPECT_EQ(e.Names(), "abc");
    EXPECT_TRUE(e.seq._anSelected.empty());
}

TEST(SequenceEditor, ImportGoesToThePlayHeadAfterTheFrontSelection)
{
    Editor e;
    fxProbe* d = e.Add("d");
    e.pending.pop_back();
    e.Start();
    e.seq._fTime = 5.f;
    e.seq._anSelected = {0, 2};
    e.seq.ImportEffect(d);
    EXPECT_EQ(e.Names(), "adbc");
    EXPECT_EQ(e.seq._anSelected, std::vector<int>{1});
    EXPECT_EQ(d->_nStart, 300);
    EXPECT_EQ(d->_nEnd, 360);
}

TEST(SequenceEditor, PlacementSnapsAndMovesTheSelection)
{
    Editor e;
    e.Add("d");
    e.Start();
    e.Fx(3)->_nStart = 250;
    e.Fx(3)->_nEnd = 260;
    e.seq._anSelected = {3, 1};
    e.seq.PlaceSelection(rvSequence::Placement_SnapLeft); // both starts to 120, a's end
    EXPECT_EQ(e.Fx(1)->_nStart, 120);
    EXPECT_EQ(e.Fx(3)->_nStart, 120);
    EXPECT_EQ(e.Fx(1)->_nEnd, 300);
    e.seq.PlaceSelection(rvSequence::Placement_SnapRight); // both ends to 400, c's start
    EXPECT_EQ(e.Fx(1)->_nEnd, 400);
    EXPECT_EQ(e.Fx(3)->_nEnd, 400);
    e.seq.PlaceSelection(rvSequence::Placement_MoveLeft); // by 120 - 60 = -60 each
    EXPECT_EQ(e.Fx(1)->_nStart, 60);
    EXPECT_EQ(e.Fx(3)->_nStart, 60);
    EXPECT_EQ(e.Fx(3)->_nEnd, 340);
}

TEST(SequenceEditor, KeyJumpsFindTheNearestKeyOfTheSelection)
{
    Editor e;
    e.Start();
    e.seq._fTime = 1.234f;
    e.seq.JumpToKey(true); // nothing selected: the time stays, a seek still happens
    EXPECT_EQ(e.seq._fTime, 1.234f);
    EXPECT_TRUE(e.seq._bSeek);

    fxProbe* b = e.Fx(1);
    auto* keys = static_cast<KeyFrameDriver*>(
        b->SetDriver(b->_pDescriptor->FindAttrib("FadeIn"), NoneDriver::DRIVER_KEYFRAME));
    keys->AddKey(0.5f, 1.f);
    keys->AddKey(1.f, 2.f);
    e.seq._anSelected = {1, 0};
    e.seq._fTime = 4.f;
    b->_fTime = 4.f - 200 / 60.f;
    e.seq.JumpToKey(true);
    EXPECT_NEAR(e.seq._fTime, 200 / 60.f + 1.f, 1e-5f);
    e.seq._fTime = 4.f;
    e.seq.JumpToKey(false);
    EXPECT_NEAR(e.seq._fTime, 200 / 60.f + 0.5f, 1e-5f);
}

TEST(SequenceEditor, ExpandedRowFitsAndTogglesItsCurves)
{
    Editor e;
    e.Start();
    fxProbe* b = e.Fx(1);
    auto* keys = static_cast<KeyFrameDriver*>(
        b->SetDriver(b->_pDescriptor->FindAttrib("FadeIn"), NoneDriver::DRIVER_KEYFRAME));
    keys->AddKey(0.f, 2.f);
    keys->AddKey(1.f, 4.f);
    e.seq._apEffects[0]->_bExpanded = true;
    e.seq.ItemDoubleClicked(1);
    EXPECT_FALSE(e.seq._apEffects[0]->_bExpanded); // one expanded row at a time
    EXPECT_TRUE(b->_bExpanded);
    EXPECT_LT(e.seq._CurveEdit->_vRangeMin.y, 2.f);
    EXPECT_GT(e.seq._CurveEdit->_vRangeMax.y, 4.f);
    EXPECT_EQ(e.seq.ExtraHeight(1), 114);
    EXPECT_EQ(e.seq.ExtraHeight(0), 0);
    EXPECT_DEATH(e.seq.ExtraHeight(3), "index");
    // The window draws the expanded row; F refits after a zoom.
    e.Frame(-1, false);
    e.seq._CurveEdit->_vRangeMax.y = 100.f;
    e.Press('F');
    EXPECT_LT(e.seq._CurveEdit->_vRangeMax.y, 5.f);
    e.seq.ItemDoubleClicked(1);
    EXPECT_FALSE(b->_bExpanded);
}

TEST(SequenceEditor, BrowsersSaveAsAndImport)
{
    rvTest::TempWorkDir dir;
    dir.WriteFile("Data/fx/keep.txt", "");
    Editor e;
    e.Start();
    ASSERT_TRUE(Factory::SavePreset(e.Fx(1), "Data/fx/b.fx"));

    e.Browse(&e.seq._pSaveAsBrowser, "Save Sequence", ".seq", "", "out");
    EXPECT_EQ(e.seq._pSaveAsBrowser, nullptr);
    EXPECT_NE(e.seq._sFile.find("out.seq"), std::string::npos);
    EXPECT_TRUE(std::ifstream(e.seq._sFile).good());
    EXPECT_EQ(e.seq._fSavedTimer, 3.f);

    e.seq._fTime = 1.f;
    e.Browse(&e.seq._pImportBrowser, "ImportFx", ".fx", "Data/fx", "b");
    EXPECT_EQ(e.seq._pImportBrowser, nullptr);
    EXPECT_EQ(e.Names(), "abcb");
    EXPECT_EQ(e.seq._anSelected, std::vector<int>{3});
    EXPECT_EQ(e.seq._apEffects[3]->_nStart, 60); // at the play head
}

TEST(SequenceEditor, KeysTypedIntoABrowserAreNotShortcuts)
{
    rvTest::TempWorkDir dir;
    Editor e;
    e.Start();
    fxProbe* a = e.Fx(0);
    a->SetDriver(a->_pDescriptor->FindAttrib("FadeIn"), NoneDriver::DRIVER_KEYFRAME);
    e.seq._anSelected = {0};
    e.Frame(-1, false); // the "Properties" window is up before the browser opens
    e.Open(&e.seq._pSaveAsBrowser, "Save Sequence", ".seq", "");
    e.Frame(Key_Delete, false, 0.f, false);
    e.Frame('K', false, 0.f, false);
    e.Frame(Key_Down, false, 0.f, false);
    e.Frame(Key_Right, false, 0.f, false);
    EXPECT_EQ(e.Names(), "abc");
    EXPECT_EQ(e.seq._anSelected, std::vector<int>{0});
    EXPECT_TRUE(static_cast<KeyFrameDriver*>(a->_apAttribDrivers[0])->_aKeys.empty());
    EXPECT_EQ(e.seq._fTime, 0.f);
    EXPECT_NE(e.seq._pSaveAsBrowser, nullptr);
}
