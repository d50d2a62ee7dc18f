// The timeline's per-frame pass, its moves and its queries, on probe effects.
#include "Factory/AttribDesc.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Sequencer/rvSequence.h"
#include "TestClasses.h"
#include "TestSupport.h"

#include <cmath>

namespace
{
// A playing timeline, started the way the player starts its main timeline.
struct Timeline
{
    rvSequence seq{false};
    ~Timeline() { seq.Clear(); }

    fxProbe* Add(int start, int end, const std::string& name = "probe")
    {
        fxProbe* p = fxProbe::Make(start, end, name);
        seq.AddEffect(p);
        p->SetState(State_DemoStarted);
        p->SetState(State_SequenceStarted);
        return p;
    }
    void Play()
    {
        seq._fTime = 0.f;
        seq._bPlaying = true;
    }
    // Places the play head without playing and runs one pass.
    void At(float t)
    {
        seq._bPlaying = false;
        seq._fTime = t;
        seq.Update(0.f);
    }
};
} // namespace

TEST(Sequence, WindowIsStartIncludedEndExcluded)
{
    Timeline tl;
    fxProbe* fx = tl.Add(60, 120);
    fxProbe* empty = tl.Add(90, 90);
    fxProbe* reversed = tl.Add(100, 80);
    const struct
    {
        float t;
        bool inside;
    } cases[] = {
        {std::nextafter(1.f, 0.f), false},
        {60 / 60.0f, true},
        {1.5f, true},
        {std::nextafter(2.f, 0.f), true},
        {120 / 60.0f, false},
        {0.f, false},
        {5.f, false},
    };
    for (const auto& c : cases)
    {
        tl.At(c.t);
        EXPECT_EQ(fx->_eState == State_EffectStarted, c.inside) << "t=" << c.t;
        EXPECT_EQ(empty->_eState, State_SequenceStarted) << "End == Start never runs, t=" << c.t;
        EXPECT_EQ(reversed->_eState, State_SequenceStarted) << "End < Start never runs, t=" << c.t;
    }
    EXPECT_EQ(empty->_nRenders + reversed->_nRenders, 0);
}

TEST(Sequence, EnteringEffectCatchesUpToTheTimeSinceItsStart)
{
    Timeline tl;
    fxProbe* fx = tl.Add(60, 600);
    tl.Play();
    tl.seq.Update(1.5f);
    EXPECT_EQ(fx->_eState, State_EffectStarted);
    EXPECT_EQ(fx->Count("FxStart"), 1);
    EXPECT_FLOAT_EQ(fx->_fRenderedAt, 0.5f);
    tl.seq.Update(0.25f);
    EXPECT_FLOAT_EQ(fx->_fRenderedAt, 0.75f);
}

TEST(Sequence, EndWithoutLoopStopsAtTheLastFrame)
{
    Timeline tl;
    fxProbe* a = tl.Add(0, 60);
    fxProbe* b = tl.Add(30, 45);
    tl.Play();
    for (int i = 0; i < 4; ++i)
        tl.seq.Update(0.25f);
    // Exactly at the end: still playing (the end is passed only when strictly greater).
    EXPECT_FLOAT_EQ(tl.seq._fTime, 1.0f);
    EXPECT_TRUE(tl.seq._bPlaying);
    tl.seq.Update(0.25f);
    EXPECT_FALSE(tl.seq._bPlaying);
    EXPECT_EQ(tl.seq._fTime, 1.0f);
    EXPECT_EQ(a->_eState, State_DemoStarted);
    EXPECT_EQ(b->_eState, State_DemoStarted);
    tl.seq.Update(0.25f); // stays put
    EXPECT_EQ(tl.seq._fTime, 1.0f);
}

TEST(Sequence, LoopRestartsAtZeroThroughDemoStarted)
{
    Timeline tl;
    fxProbe* a = tl.Add(0, 60);
    tl.seq._bLoop = true;
    tl.Play();
    for (int i = 0; i < 4; ++i)
        tl.seq.Update(0.3f); // 1.2 s: passes the end once
    EXPECT_TRUE(tl.seq._bPlaying);
    EXPECT_EQ(a->Count("SeqStop"), 1);
    EXPECT_EQ(a->Count("SeqStart"), 2);
    EXPECT_EQ(a->_eState, State_SequenceStarted);
    EXPECT_EQ(tl.seq._fTime, 0.f); // the overshoot is dropped
    tl.seq.Update(0.1f);
    EXPECT_EQ(a->_eState, State_EffectStarted);
    EXPECT_FLOAT_EQ(a->_fRenderedAt, 0.1f);
}

TEST(Sequence, SeekSnapsToAWholeFrameAndClampsToTheEffect)
{
    Timeline tl;
    fxProbe* fx = tl.Add(60, 180);
    tl.At(1.2f);
    ASSERT_EQ(fx->_eState, State_EffectStarted);

    tl.seq.Seek(1.5f + 0.004f); // local 0.504 s -> frame 30
    tl.seq.Update(0.f);
    ASSERT_EQ(fx->_afSeeks.size(), 1u);
    EXPECT_EQ(fx->_fTime, 30 / 60.f);

    fx->_fTimeScale = 2.f; // local 1.5 x 2 = 3 s, clamped to the 2 s duration
    tl.seq.Seek(2.5f);
    tl.seq.Update(0.f);
    EXPECT_EQ(fx->_fTime, 2.f);

    tl.seq.Seek(0.5f); // before Start: leaves the running state, no seek handed over
    tl.seq.Update(0.f);
    EXPECT_EQ(fx->_eState, State_SequenceStarted);
    EXPECT_EQ(fx->_afSeeks.size(), 2u);

    tl.seq.Update(0.f); // a seek lasts one update
    EXPECT_FALSE(tl.seq._bSeek);
}

// The scaled local time lands exactly on (t - Start) x TimeScale every frame, for any scale.
TEST(Sequence, TimeScaleLandsExactlyOnItsTarget)
{
    for (float scale : {0.3f, 0.5f, 1.f, 2.5f, 3.f, 7.f})
    {
        Timeline tl;
        fxProbe* fx = tl.Add(30, 630);
        fx->_fTimeScale = scale;
        tl.Play();
        for (int frame = 0; frame < 300; ++frame)
        {
            tl.seq.Update(1.f / 60.f);
            if (fx->_eState != State_EffectStarted) continue;
            const float start = 30 / 60.0f;
            const float want = std::min(std::max((tl.seq._fTime - start) * scale, 0.f), fx->GetDuration());
            ASSERT_EQ(fx->_fTime, want) << "scale " << scale << " frame " << frame;
        }
        EXPECT_NEAR(fx->_fTime, std::min((5.f - 0.5f) * scale, 10.f), 1e-3) << scale;
    }
}

TEST(Sequence, LengthFollowsStartAndEndChanges)
{
    Timeline tl;
    fxProbe* a = tl.Add(0, 60);
    EXPECT_EQ(tl.seq.LastFrame(), 60);
    a->_nEnd = 120; // edited in the attribute editor
    EXPECT_EQ(tl.seq.LastFrame(), 120);
    tl.Play();
    tl.seq.Update(1.5f); // past the old end: keeps playing
    EXPECT_TRUE(tl.seq._bPlaying);
    EXPECT_EQ(a->_eState, State_EffectStarted);

    fxProbe* b = tl.Add(0, 30);
    b->_nEnd = 250;
    // At the last frame a move to the right applies nothing; it never goes backwards.
    EXPECT_EQ(tl.seq.MoveItem(1, 50), 0);
    EXPECT_EQ(b->_nStart, 0);
    EXPECT_EQ(b->_nEnd, 250);
    EXPECT_EQ(tl.seq.MoveItem(0, 500), 130);
    EXPECT_EQ(a->_nEnd, 250);
    tl.seq.DeleteItem(1);
    EXPECT_EQ(tl.seq.LastFrame(), 250);
}

TEST(Sequence, MovesClampToTheTimeline)
{
    Timeline tl;
    fxProbe* a = tl.Add(100, 200);
    tl.Add(0, 400);
    const struct
    {
        const char* what;
        int (rvSequence::*move)(int, int);
        int delta, applied, start, end;
    } cases[] = {
        {"start far left", &rvSequence::MoveItemStart, -1000, -100, 0, 200},
        {"start far right", &rvSequence::MoveItemStart, 1000, 99, 199, 200},
        {"end far left", &rvSequence::MoveItemEnd, -1000, -99, 100, 101},
        {"end far right", &rvSequence::MoveItemEnd, 1000, 200, 100, 400},
        {"move far left", &rvSequence::MoveItem, -1000, -100, 0, 100},
        {"move far right", &rvSequence::MoveItem, 1000, 200, 300, 400},
    };
    for (const auto& c : cases)
    {
        a->_nStart = 100;
        a->_nEnd = 200;
        EXPECT_EQ((tl.seq.*c.move)(0, c.delta), c.applied) << c.what;
        EXPECT_EQ(a->_nStart, c.start) << c.what;
        EXPECT_EQ(a->_nEnd, c.end) << c.what;
    }
    EXPECT_EQ(tl.seq.MoveItem(7, 10), 0);
    EXPECT_EQ(tl.seq.MoveItemStart(-1, 10), 0);

    tl.seq._fTime = 1.5f;
    a->_nStart = 100;
    a->_nEnd = 200;
    EXPECT_EQ(tl.seq.MoveItemToTime(0), -10);
    EXPECT_EQ(a->_nStart, 90);
    EXPECT_EQ(a->_nEnd, 190);
}

TEST(Sequence, MoveInListStopsAtTheEndsAndKeepsTheSelection)
{
    Timeline tl;
    fxProbe* a = tl.Add(0, 10, "a");
    tl.Add(0, 10, "b");
    fxProbe* c = tl.Add(0, 10, "c");
    tl.seq._anSelected = {0, 2};
    EXPECT_EQ(tl.seq.MoveItemInList(0, 5, true), 2);
    EXPECT_EQ(tl.seq._apEffects[2], a);
    EXPECT_EQ(tl.seq._anSelected, (std::vector<int>{2, 1})); // still a and c
    EXPECT_EQ(tl.seq._apEffects[1], c);
    EXPECT_EQ(tl.seq.MoveItemInList(2, -9, false), -2);
    EXPECT_EQ(tl.seq._apEffects[0], a);
    EXPECT_EQ(tl.seq._anSelected, (std::vector<int>{2, 1}));
}

TEST(Sequence, QueriesByNameSelectionAndBoundaries)
{
    Timeline tl;
    fxProbe* first = tl.Add(100, 200, "twin");
    tl.Add(50, 300, "twin");
    tl.Add(50, 300, "other");
    EXPECT_EQ(tl.seq.FindEffect("twin"), first);
    EXPECT_EQ(tl.seq.FindEffect("twi"), nullptr);
    EXPECT_EQ(tl.seq.GetFirstSelected({0, 1, 2}), 1); // ties: the earlier entry wins
    EXPECT_EQ(tl.seq.GetLastSelected({2, 0, 1}), 2);
    EXPECT_EQ(tl.seq.GetFirstSelected({}), -1);
    EXPECT_EQ(tl.seq.PrevBoundary(100), 50);
    EXPECT_EQ(tl.seq.PrevBoundary(50), 0);
    EXPECT_EQ(tl.seq.NextBoundary(100), 200);
    EXPECT_EQ(tl.seq.NextBoundary(300), 300);
    int *start = nullptr, *end = nullptr;
    tl.seq.ItemBar(0, &start, &end, nullptr, nullptr);
    EXPECT_EQ(start, &first->_nStart);
    EXPECT_EQ(end, &first->_nEnd);
    EXPECT_STREQ(tl.seq.ItemLabel(2), "other");
}

TEST(Sequence, ClearAndDeleteTakeEffectsDownAndDeleteThem)
{
    rvSequence seq(false);
    int deleted = 0;
    fxProbe* a = fxProbe::Make(0, 60);
    fxProbe* b = fxProbe::Make(0, 90);
    a->_pDeleted = b->_pDeleted = &deleted;
    seq.AddEffect(a);
    seq.AddEffect(b);
    EXPECT_EQ(a->_pSequence, &seq);
    a->SetState(State_EffectStarted);
    seq.DeleteItem(0);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(seq.ItemCount(), 1);
    seq._anSelected = {0};
    seq.Clear();
    EXPECT_EQ(deleted, 2);
    EXPECT_TRUE(seq._anSelected.empty());
}

TEST(SequenceDeathTest, ProgrammingErrorsAssert)
{
    rvSequence seq(false);
    EXPECT_DEATH(seq.AddEffect(nullptr), "pEffect");
    EXPECT_DEATH(seq.ItemLabel(0), "index>=0");
    EXPECT_DEATH(seq.GetFirstSelected({3}), "fx");
}

// With global keys, moving an effect's Start shifts its keys against the move so that they keep
// their timeline time; with local keys they travel with the effect.
TEST(Sequence, GlobalKeysKeepTheirTimelineTime)
{
    fxBase::RegisterAttributes();
    Timeline tl;
    fxProbe* fx = tl.Add(60, 600);
    tl.Add(0, 1200);
    AttribDesc* fade = fx->_pDescriptor->FindAttrib("FadeIn");
    ASSERT_TRUE(fade);
    KeyFrameDriver* keys = static_cast<KeyFrameDriver*>(fx->SetDriver(fade, NoneDriver::DRIVER_KEYFRAME));
    ASSERT_TRUE(keys);
    keys->AddKey(1.f, 0.5f);

    rvSequence::_bLocalKeys = true;
    EXPECT_EQ(tl.seq.MoveItem(0, 60), 60);
    EXPECT_FLOAT_EQ(keys->_aKeys[0]._fTime, 1.f);

    rvSequence::_bLocalKeys = false;
    EXPECT_EQ(tl.seq.MoveItem(0, 60), 60);
    EXPECT_FLOAT_EQ(keys->_aKeys[0]._fTime, 0.f);
    EXPECT_EQ(tl.seq.MoveItemStart(0, -30), -30);
    EXPECT_FLOAT_EQ(keys->_aKeys[0]._fTime, 0.5f);
    EXPECT_EQ(tl.seq.MoveItemEnd(0, 30), 30); // the end does not move keys
    EXPECT_FLOAT_EQ(keys->_aKeys[0]._fTime, 0.5f);
    tl.seq._fTime = 0.f;
    tl.seq.MoveItemToTime(0); // neither does a jump to the play head
    EXPECT_FLOAT_EQ(keys->_aKeys[0]._fTime, 0.5f);
    rvSequence::_bLocalKeys = true;
}

TEST(Sequence, AddItemCreatesARegisteredClassAtThePlayHeadAfterTheSelection)
{
    RegisterTestClasses();
    Timeline tl;
    tl.Add(0, 60, "a");
    tl.Add(0, 60, "b");
    const int probe = tl.seq.TypeIndexOf("fxProbe");
    ASSERT_GE(probe, 0);
    EXPECT_STREQ(tl.seq.TypeName(probe), "fxProbe");
    EXPECT_EQ(tl.seq.TypeCount(), (int)Factory::_pInstance->_apDescriptors.size());
    EXPECT_EQ(tl.seq.TypeIndexOf("fxSequence"), 9);
    EXPECT_EQ(tl.seq.TypeIndexOf(nullptr), -1);
    EXPECT_EQ(tl.seq.TypeIndexOf("fxNoSuchClass"), -1);

    tl.seq._fTime = 2.f;
    tl.seq._anSelected = {0};
    const int index = tl.seq.AddItem(probe);
    ASSERT_EQ(index, 1);
    fxBase* fx = tl.seq._apEffects[1];
    EXPECT_EQ(fx->_eState, State_DemoStarted);
    EXPECT_EQ(fx->_nStart, 120);
    EXPECT_EQ(fx->_nEnd, 720);
    EXPECT_EQ(tl.seq.LastFrame(), 720);
    EXPECT_EQ(tl.seq._anSelected, std::vector<int>{0});
    unsigned int colour = 0;
    int type = -1;
    tl.seq.ItemBar(1, nullptr, nullptr, &type, &colour);
    EXPECT_EQ(type, probe);
    EXPECT_EQ(colour, TIMELINE_COLORS[probe % 24]);

    // A class whose code is not part of the program creates nothing.
    const int absent = tl.seq.TypeIndexOf("fxCircle");
    if (absent >= 0 && !Factory::_pInstance->_apDescriptors[absent]->_pfnCreate)
    {
        EXPECT_EQ(tl.seq.AddItem(absent), -1);
    }
}
