// The nested timeline effect: a ".seq" played inside another timeline at its offset.
// Each TEST mounts its own fixture archive (one mount per process).
#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "Sequencer/rvSequence.h"
#include "TestClasses.h"

namespace
{
// The main timeline of the player, loaded from the archive and started.
struct MainTimeline
{
    rvSequence seq{false};
    explicit MainTimeline(const std::string& file)
    {
        EXPECT_TRUE(seq.LoadSequence(file, true));
        seq._fTime = 0.f;
        seq._bPlaying = true;
        for (fxBase* fx : seq._apEffects)
            fx->SetState(State_SequenceStarted);
    }
    ~MainTimeline() { seq.Clear(); }
    fxSequence* Nested(int i) { return static_cast<fxSequence*>(seq._apEffects[i]); }
};
} // namespace

TEST(NestedSequence, PlaysTheInnerTimelineAtItsOffset)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    RegisterTestClasses();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(
        dir, {{"Data/seq/main.seq",
               SeqJson({NestedJson("part", "Data\\\\seq\\\\inner.seq", 60, 300), ProbeJson("keep", 0, 600)})},
              {"Data/seq/inner.seq", SeqJson({ProbeJson("inner", 30, 90)})}}));
    MainTimeline main("Data/seq/main.seq");
    fxSequence* part = main.Nested(0);
    ASSERT_EQ(part->_Sequence.ItemCount(), 1);
    EXPECT_EQ(part->_Sequence._pParentEffect, part);
    fxProbe* inner = static_cast<fxProbe*>(part->_Sequence._apEffects[0]);
    EXPECT_EQ(inner->_eState, State_DemoStarted);

    main.seq.Update(1.0f); // the outer bar starts: nested time 0
    EXPECT_EQ(part->_eState, State_EffectStarted);
    EXPECT_TRUE(part->_Sequence._bPlaying);
    EXPECT_EQ(inner->_eState, State_SequenceStarted);
    main.seq.Update(0.75f); // nested 0.75 s: inside the inner bar [0.5, 1.5), local 0.25
    EXPECT_FLOAT_EQ(part->_Sequence._fTime, 0.75f);
    EXPECT_EQ(inner->_eState, State_EffectStarted);
    EXPECT_FLOAT_EQ(inner->_fRenderedAt, 0.25f);

    main.seq._bPlaying = false; // paused: the nested timeline still renders, without advancing
    const int renders = inner->_nRenders;
    main.seq.Update(0.5f);
    EXPECT_EQ(inner->_nRenders, renders + 1);
    EXPECT_FLOAT_EQ(part->_Sequence._fTime, 0.75f);
    main.seq._bPlaying = true;

    main.seq.Update(1.f); // nested 1.75 s: past its end, it stops and rests
    EXPECT_FALSE(part->_Sequence._bPlaying);
    EXPECT_EQ(inner->_eState, State_DemoStarted);

    main.seq.Update(2.5f); // the outer bar ends at 5 s
    EXPECT_EQ(part->_eState, State_SequenceStarted);
    EXPECT_EQ(inner->_eState, State_DemoStarted);

    fxSequence::SyncDuration(part);
    EXPECT_EQ(part->_nEnd, 60 + 90);
}

TEST(NestedSequence, TimeSeekStartsInsideAndStopsPastTheEnd)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    RegisterTestClasses();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(
        dir, {{"Data/seq/main.seq", SeqJson({NestedJson("late", "Data/seq/inner.seq", 0, 600),
                                             NestedJson("early", "Data/seq/inner.seq", 0, 600)})},
              {"Data/seq/inner.seq", SeqJson({ProbeJson("inner", 30, 90)})}}));
    MainTimeline main("Data/seq/main.seq");
    main.Nested(0)->_fTimeSeek = 10.f; // beyond the nested length: starts at its end
    main.Nested(1)->_fTimeSeek = -1.f; // 0 or less: starts at 0
    main.seq.Update(0.f);
    EXPECT_FLOAT_EQ(main.Nested(0)->_Sequence._fTime, 1.5f);
    EXPECT_EQ(main.Nested(1)->_Sequence._fTime, 0.f);
    main.seq.Update(1.f / 60.f);
    EXPECT_FALSE(main.Nested(0)->_Sequence._bPlaying);
    EXPECT_TRUE(main.Nested(1)->_Sequence._bPlaying);
}

TEST(NestedSequence, ATimelineIncludingItselfIsRefused)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    RegisterTestClasses();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(
        dir,
        {{"Data/seq/self.seq",
          SeqJson({NestedJson("me", "./Data/seq/self.seq", 0, 60), ProbeJson("p", 0, 60)})},
         {"Data/seq/a.seq", SeqJson({NestedJson("to-b", "Data/seq/b.seq", 0, 60)})},
         {"Data/seq/b.seq", SeqJson({NestedJson("to-a", "Data/seq/a.seq", 0, 60), ProbeJson("p", 0, 60)})}}));
    // Each refusal is named once on stderr, with the effect and the timeline.
    {
        testing::internal::CaptureStderr();
        MainTimeline main("Data/seq/self.seq"); // directly
        EXPECT_EQ(
            testing::internal::GetCapturedStderr(),
            "morvane: warning: fxSequence \"me\": timeline \"./Data/seq/self.seq\" would include itself; "
            "not loaded\n");
        EXPECT_EQ(main.Nested(0)->_Sequence.ItemCount(), 0);
        EXPECT_EQ(main.seq.ItemCount(), 2);
    }
    {
        testing::internal::CaptureStderr();
        MainTimeline main("Data/seq/a.seq"); // through another timeline
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "morvane: warning: fxSequence \"to-a\": timeline \"Data/seq/a.seq\" would include itself; "
                  "not loaded\n");
        rvSequence& b = main.Nested(0)->_Sequence;
        ASSERT_EQ(b.ItemCount(), 2);
        EXPECT_EQ(static_cast<fxSequence*>(b._apEffects[0])->_Sequence.ItemCount(), 0);
        main.seq.Update(0.5f);
    }
    {
        // An effect outside any timeline (as the effect tester holds it) refuses as well.
        fxSequence* alone = static_cast<fxSequence*>(fxSequence::Create(fxSequence::GetDescriptor()));
        alone->_sSequenceFile = "Data/seq/self.seq";
        alone->SetState(State_EffectStarted);
        ASSERT_EQ(alone->_Sequence.ItemCount(), 2);
        EXPECT_EQ(static_cast<fxSequence*>(alone->_Sequence._apEffects[0])->_Sequence.ItemCount(), 0);
        alone->SetState(State_DemoStoped);
        delete alone;
    }
}

// The outer effect's TimeScale speeds its nested timeline up: nested time = scaled local time.
TEST(NestedSequence, TimeScaleSpeedsTheNestedTimeline)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    RegisterTestClasses();
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(
        dir, {{"Data/seq/main.seq", SeqJson({NestedJson("part", "Data/seq/inner.seq", 0, 600)})},
              {"Data/seq/inner.seq", SeqJson({ProbeJson("inner", 0, 900)})}}));
    MainTimeline main("Data/seq/main.seq");
    fxSequence* part = main.Nested(0);
    part->_fTimeScale = 3.f;
    for (int frame = 0; frame < 120; ++frame)
    {
        main.seq.Update(1.f / 60.f);
        ASSERT_EQ(part->_Sequence._fTime, part->_fTime) << frame;
    }
    EXPECT_NEAR(part->_Sequence._fTime, 6.f, 1e-3);
}
