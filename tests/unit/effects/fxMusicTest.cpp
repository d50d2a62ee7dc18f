// The music effect against a recording audio layer: which calls each lifecycle event sends.
#include "RecordingAudio.h"
#include "effects/fxMusic/fxMusic.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/BassDriver.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/rvSequence.h"
#include "TestSupport.h"
#include "rvAudio.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace
{
using Calls = std::vector<std::string>;

class MusicEffect : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fxMusic::RegisterAttributes();
        fxMusic::_hMusicChannel = 0;
    }
    void TearDown() override
    {
        for (fxMusic* p : _apEffects)
        {
            p->SetState(State_DemoStoped);
            delete p;
        }
        fxMusic::_hMusicChannel = 0;
    }
    fxMusic* Make(int nEnd = 6000)
    {
        fxMusic* p = static_cast<fxMusic*>(fxMusic::Create(fxMusic::GetDescriptor()));
        p->_nEnd = nEnd;
        _apEffects.push_back(p);
        return p;
    }
    // One update as the timeline does it while playing (a time step) or paused (0).
    static void Step(fxMusic* p, float fDelta)
    {
        p->_fPendingDelta = fDelta;
        p->Update();
    }
    static AttribDesc* Volume() { return fxMusic::GetDescriptor()->FindAttrib("Volume"); }

    rvTest::RecordingAudio _audio;
    std::vector<fxMusic*> _apEffects;
};
} // namespace

TEST_F(MusicEffect, RegistersItsAttributesInOrder)
{
    const auto& a = fxMusic::GetDescriptor()->_apAttribs;
    ASSERT_EQ(a.size(), 8u);
    const char* asNames[] = {"MP3 File", "Radius Left", "Radius Right", "Volume",
                             "TempoBpm", "TempoShift",  "TempoMesures", "TempoMarkers"};
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(a[i]->_sName, asNames[i]);
    EXPECT_EQ(a[0]->_sFilter, ".mp3");
    EXPECT_EQ(fxMusic::GetDescriptor()->_pParent, fxBase::GetDescriptor());
    fxMusic* p = Make();
    EXPECT_EQ(p->_sFile, "Data/Audio/Morvane.mp3");
    EXPECT_EQ(p->_fVolume, 1.0f);
    EXPECT_EQ(p->_nTempoMesures, 16);
    EXPECT_EQ(p->_fStartOffset, 0.0f);
}

TEST_F(MusicEffect, EachLifecycleEventSendsItsCalls)
{
    fxMusic* p = Make();
    p->SetState(State_DemoStarted);
    EXPECT_THAT(_audio.Take(), ElementsAre("Init(-1,44100)", "Create(Data/Audio/Morvane.mp3,4)"));
    EXPECT_EQ(p->_hStream, 7u);
    EXPECT_EQ(fxMusic::_hMusicChannel, 7u);
    EXPECT_EQ(BassDriver::GetLevelSource().pfnGetChannel(), 7u)
        << "the audio-level driver reads this channel";

    p->SetState(State_SequenceStarted);
    EXPECT_THAT(_audio.Take(), IsEmpty());

    p->SetState(State_EffectStarted);
    EXPECT_THAT(_audio.Take(), ElementsAre("Play(7,1)", "SetPosition(7,0)", "Pause(7)"));

    Step(p, 1.0f / 60);
    EXPECT_THAT(_audio.Take(), ElementsAre("Play(7,0)"));

    p->SetState(State_SequenceStarted);
    EXPECT_THAT(_audio.Take(), ElementsAre("Stop(7)"));
    p->SetState(State_DemoStarted);
    EXPECT_THAT(_audio.Take(), IsEmpty());

    p->SetState(State_DemoStoped);
    EXPECT_THAT(_audio.Take(), ElementsAre("Stop(7)", "StreamFree(7)"));
    EXPECT_EQ(p->_hStream, 0u);
    EXPECT_EQ(fxMusic::_hMusicChannel, 0u);

    // A second Init while a stream is open closes it first.
    p->SetState(State_DemoStarted);
    p->Init();
    EXPECT_THAT(_audio.Take(),
                ElementsAre("Init(-1,44100)", "Create(Data/Audio/Morvane.mp3,4)", "Stop(8)", "StreamFree(8)",
                            "Init(-1,44100)", "Create(Data/Audio/Morvane.mp3,4)"));
    EXPECT_EQ(fxMusic::_hMusicChannel, 9u);
}

TEST_F(MusicEffect, PausedTimelineSendsPauseEveryFrameAndPlayResumes)
{
    fxMusic* p = Make();
    p->SetState(State_EffectStarted);
    _audio.Take();
    for (int i = 0; i < 3; ++i)
        Step(p, 0.0f);
    EXPECT_THAT(_audio.Take(), ElementsAre("Pause(7)", "Pause(7)", "Pause(7)"));
    for (int i = 0; i < 2; ++i)
        Step(p, 1.0f / 60);
    EXPECT_THAT(_audio.Take(), ElementsAre("Play(7,0)", "Play(7,0)"));
}

TEST_F(MusicEffect, SeekPositionsAtStartOffsetPlusLocalTime)
{
    fxMusic* p = Make();
    p->_fStartOffset = 30.0f;
    p->SetState(State_SequenceStarted);
    _audio.Take();
    p->SetState(State_EffectStarted);
    EXPECT_THAT(_audio.Take(), ElementsAre("Play(7,1)", "SetPosition(7,30000)", "Pause(7)"));

    p->_fSeekTime = 12.5f;
    p->Update();
    // Seek, then the frame's own Render (the jump is a moving time).
    EXPECT_THAT(_audio.Take(), ElementsAre("Pause(7)", "SetPosition(7,42500)", "Play(7,0)", "Play(7,0)"));

    // The clamped local time is used, not the requested one: End 6000 frames = 100 s.
    p->_fSeekTime = 250.0f;
    p->Update();
    EXPECT_THAT(_audio.Take(), ElementsAre("Pause(7)", "SetPosition(7,130000)", "Play(7,0)", "Play(7,0)"));
}

TEST_F(MusicEffect, VolumeZeroPausesAndStaysPausedAboveOneIsClamped)
{
    fxMusic* p = Make();
    p->SetState(State_EffectStarted);
    Step(p, 1.0f / 60);
    _audio.Take();

    p->_fVolume = 0.0f;
    p->OnAttribChanged(Volume());
    EXPECT_THAT(_audio.Take(), ElementsAre("Pause(7)", "SetAttribute(7,0x200,0)", "SetAttribute(7,0x105,0)"));
    Step(p, 1.0f / 60);
    Step(p, 1.0f / 60);
    EXPECT_THAT(_audio.Take(), ElementsAre("Pause(7)", "Pause(7)"));

    p->_fVolume = 1.5f;
    p->OnAttribChanged(Volume());
    EXPECT_THAT(_audio.Take(),
                ElementsAre("Pause(7)", "SetAttribute(7,0x200,1)", "SetAttribute(7,0x105,1)", "Play(7,0)"));

    // Other attributes change nothing.
    p->OnAttribChanged(fxMusic::GetDescriptor()->FindAttrib("TempoBpm"));
    EXPECT_THAT(_audio.Take(), IsEmpty());
}

TEST_F(MusicEffect, VolumeChangedOutsideTheWindowDoesNotStartTheMusic)
{
    fxMusic* p = Make();
    p->SetState(State_EffectStarted);
    p->SetState(State_SequenceStarted); // the stream is stopped
    _audio.Take();
    p->_fVolume = 0.8f;
    p->OnAttribChanged(Volume());
    EXPECT_THAT(_audio.Take(),
                ElementsAre("Pause(7)", "SetAttribute(7,0x200,0.8)", "SetAttribute(7,0x105,0.8)"));
}

TEST_F(MusicEffect, AFileThatCannotPlayIsReportedOnceAndTheEffectStaysSilent)
{
    _audio._bFailCreate = true;
    fxMusic* p = Make();
    p->_sFile = "Data/Audio/missing.mp3";
    testing::internal::CaptureStderr();
    p->SetState(State_EffectStarted);
    std::string sErr = testing::internal::GetCapturedStderr();
    EXPECT_NE(sErr.find("Can't play file\n(error code: 2)"), std::string::npos) << sErr;
    EXPECT_THAT(_audio.Take(), ElementsAre("Init(-1,44100)", "Create(Data/Audio/missing.mp3,4)"));
    Step(p, 1.0f / 60);
    p->_fSeekTime = 1.0f;
    p->Update();
    p->OnAttribChanged(Volume());
    p->SetState(State_DemoStoped);
    EXPECT_THAT(_audio.Take(), IsEmpty());
    EXPECT_EQ(fxMusic::_hMusicChannel, 0u);
}

TEST_F(MusicEffect, SharedChannelIsClearedOnlyWhenItsOwnStreamIsReleased)
{
    fxMusic* pA = Make();
    fxMusic* pB = Make();
    pA->SetState(State_DemoStarted);
    pB->SetState(State_DemoStarted);
    EXPECT_EQ(fxMusic::_hMusicChannel, 8u) << "the stream opened last";

    fxMusic* pC = Make(); // a new music effect (the effect tester) leaves the channel alone
    EXPECT_EQ(fxMusic::_hMusicChannel, 8u);

    pA->SetState(State_DemoStoped);
    EXPECT_EQ(fxMusic::_hMusicChannel, 8u) << "A released its own stream 7, not the shared one";
    pC->SetState(State_DemoStarted);
    EXPECT_EQ(fxMusic::_hMusicChannel, 9u);
    pC->SetState(State_DemoStoped);
    EXPECT_EQ(fxMusic::_hMusicChannel, 0u);
    pB->SetState(State_DemoStoped);
    EXPECT_EQ(fxMusic::_hMusicChannel, 0u);
}

TEST_F(MusicEffect, ReInitWhileStartedRepositionsToTheLocalTime)
{
    fxMusic* p = Make();
    p->_fStartOffset = 30.0f;
    p->SetState(State_SequenceStarted);
    p->SetState(State_EffectStarted);
    // The timeline plays 5 s into the window.
    Step(p, 5.0f);
    Step(p, 1.0f / 60);
    _audio.Take();
    const float fLocal = p->_fTime;

    // A new file: Kill and Init run at the next update and the local time restarts at 0.
    p->_sFile = "Data/Audio/Other.mp3";
    p->_bReInit = true;
    Step(p, 1.0f / 60);
    EXPECT_THAT(_audio.Take(), ElementsAre("Stop(7)", "Stop(7)", "StreamFree(7)", "Init(-1,44100)",
                                           "Create(Data/Audio/Other.mp3,4)", "Play(8,1)",
                                           "SetPosition(8,30000)", "Pause(8)", "Pause(8)"));
    EXPECT_EQ(p->_fTime, 0.0f);

    // The timeline writes its target minus the effect's time: the music follows it there.
    const float fTarget = fLocal + 2.0f / 60;
    Step(p, fTarget - p->_fTime);
    Calls a = _audio.Take();
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0], "SetPosition(8," + std::to_string(std::llround((30.0 + fTarget) * 1000.0)) + ")");
    EXPECT_EQ(a[1], "Pause(8)");
    Step(p, 1.0f / 60);
    EXPECT_THAT(_audio.Take(), ElementsAre("Play(8,0)"));
}

TEST_F(MusicEffect, TimelineClockPlacesTheFirstStartedMusicOnItsTimeline)
{
    rvSequence timeline(false);
    fxMusic* pWaiting = Make();
    fxMusic* pPlaying = Make();
    timeline.AddEffect(pWaiting);
    timeline.AddEffect(pPlaying);
    pWaiting->SetState(State_SequenceStarted); // outside its window: no clock
    pPlaying->_nStart = 600;
    pPlaying->_fStartOffset = 30.0f;
    _audio._fClockSeconds = 42.5;
    EXPECT_FALSE(fxMusic::TimelineClock(timeline).bPlaying) << "no music in its window";

    pPlaying->SetState(State_EffectStarted);
    _audio._bClockPlaying = true;
    rvTimelineClock::Music clock = fxMusic::TimelineClock(timeline);
    EXPECT_TRUE(clock.bPlaying);
    EXPECT_DOUBLE_EQ(clock.fTime, 10.0 + 42.5 - 30.0) << "Start + position - start offset";

    _audio._bClockPlaying = false;
    EXPECT_FALSE(fxMusic::TimelineClock(timeline).bPlaying) << "paused";
    _audio._bClockPlaying = true;
    pPlaying->_fTimeScale = 2.0f;
    EXPECT_FALSE(fxMusic::TimelineClock(timeline).bPlaying) << "a scaled music is no clock";
    timeline._apEffects.clear(); // owned by the fixture
}

TEST(MusicEffectOnTheAudioLayer, PlaysFollowsSeeksAndPublishesItsLevel)
{
    // The real layer on the silent driver, with the tone fixture (0.5 s silence, then 440 Hz).
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    fxMusic::RegisterAttributes();
    fxMusic* p = static_cast<fxMusic*>(fxMusic::Create(fxMusic::GetDescriptor()));
    p->_sFile = rvTest::SourcePath("tests/data/tone440.mp3");
    p->_nEnd = 600;
    p->SetState(State_EffectStarted);
    ASSERT_NE(p->_hStream, 0u);
    rvAudio& audio = rvAudio::Get();
    EXPECT_EQ(audio.GetLevel(fxMusic::_hMusicChannel), 0u) << "waiting, paused";

    p->_fSeekTime = 0.8f;
    p->Update();
    EXPECT_NEAR(double(audio.GetPosition(p->_hStream)) / 4 / 44100, 0.8, 0.05);
    EXPECT_GT(audio.GetLevel(fxMusic::_hMusicChannel) & 0xFFFF, 8000u) << "playing the tone";

    p->_fPendingDelta = 0.0f; // the timeline pauses
    p->Update();
    EXPECT_EQ(audio.GetLevel(fxMusic::_hMusicChannel), 0u);

    p->SetState(State_DemoStoped);
    EXPECT_EQ(fxMusic::_hMusicChannel, 0u);
    delete p;
    audio.Free(); // the silent driver has one device per process: give it back
}

// The frame-time report steps the timeline at a fixed rate, whatever a frame costs, and starts a
// span anywhere; the player's timeline follows the music instead. With the timeline driving the
// music, what a listener reads at a timeline time (here the strongest bin of the spectrum, on the
// sweep fixture: 200 to 3000 Hz over 8 s, exponential, about 370 Hz a second at 5 s) is what the
// player reads there.
TEST(MusicEffectOnTheAudioLayer, AFixedStepSpanHearsWhatThePlayerHearsAtTheSameTime)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    fxMusic::RegisterAttributes();
    struct Guard
    {
        ~Guard() { fxMusic::_bTimelineDrivesMusic = false; }
    } guard;
    // The strongest bin of the left channel, in Hz; -1 when nothing plays.
    const auto PeakHz = []
    {
        std::vector<float> a(rvAudio::SPECTRUM_FLOATS);
        if (rvAudio::Get().GetSpectrum(fxMusic::_hMusicChannel, a.data()) < 0) return -1.0;
        int nBest = 1;
        for (int k = 1; k < rvAudio::SPECTRUM_FLOATS / 2; ++k)
            if (a[size_t(2 * k)] > a[size_t(2 * nBest)]) nBest = k;
        return nBest * 44100.0 / 1024.0;
    };
    const auto Restart = [](rvSequence& timeline, float fFrom)
    {
        timeline._fTime = fFrom;
        timeline._bPlaying = true;
        for (fxBase* e : timeline._apEffects)
            e->SetState(State_SequenceStarted);
    };
    rvSequence timeline(false);
    fxMusic* p = static_cast<fxMusic*>(fxMusic::Create(fxMusic::GetDescriptor()));
    p->_sFile = rvTest::SourcePath("tests/data/sweep22k.mp3");
    p->_nEnd = 8 * 60;
    timeline.AddEffect(p);
    const float fAt = 5.0f;

    // The player: real frames, the timeline following the music's clock, from a jump shortly
    // before (as the editor's play head moves it).
    Restart(timeline, 0.0f);
    timeline.Seek(fAt - 0.5f);
    auto tLast = std::chrono::steady_clock::now();
    double fPlayerHz = -1.0;
    float fPlayerTime = 0.0f;
    for (int i = 0; i < 1000 && timeline._fTime < fAt; ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        const auto tNow = std::chrono::steady_clock::now();
        const float fRaw = std::chrono::duration<float>(tNow - tLast).count();
        tLast = tNow;
        rvTimelineClock::Music music;
        if (!timeline.SeekPending()) music = fxMusic::TimelineClock(timeline);
        timeline.Update(rvTimelineClock::Step(timeline._fTime, fRaw, music));
        fPlayerHz = PeakHz();
        fPlayerTime = timeline._fTime;
    }
    ASSERT_GE(fPlayerTime, fAt);
    EXPECT_NEAR(fPlayerHz, 200.0 * std::pow(15.0, fPlayerTime / 8.0), 130.0) << "the player hears the sweep there";

    // A span from 4 s in steps of 1/20 s whose frames take far less real time than that.
    fxMusic::_bTimelineDrivesMusic = true;
    Restart(timeline, fAt - 1.0f);
    double fSpanHz = -1.0;
    while (timeline._bPlaying && timeline._fTime < fPlayerTime)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        timeline.Update(1.0f / 20.0f);
        fSpanHz = PeakHz();
    }
    EXPECT_NEAR(timeline._fTime, fPlayerTime, 0.05f + 1e-4f);
    EXPECT_NEAR(fSpanHz, fPlayerHz, 130.0) << "at " << timeline._fTime << " s";

    timeline.Clear();
    rvAudio::Get().Free(); // the silent driver has one device per process: give it back
}
