// The timeline's step per frame: the frame's clamped time without music, the music's position
// while it plays.
#include "Sequencer/rvTimelineClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace
{
struct Frame
{
    const char* what;
    float fTimeline; // where the timeline is when the frame begins
    float fRaw;      // the frame's raw time
    bool bMusic;     // the music plays
    double fMusic;   // and is here on the timeline
    float fExpected; // where the timeline is after the frame
};
} // namespace

TEST(TimelineClock, FollowsThePlayingMusicAndClampsWithoutIt)
{
    const float f60 = 1.0f / 60.0f;
    const std::vector<Frame> frames = {
        // No music (editor, tester, a timeline without a stream): the frame's time, at most 0.1 s.
        {"no music, 60 fps", 3.0f, f60, false, 0.0, 3.0f + f60},
        {"no music, stall", 3.0f, 2.5f, false, 0.0, 3.1f},
        {"no music, no time", 3.0f, 0.0f, false, 0.0, 3.0f},
        // The first frame after loading: a moment passes, the music starts with it from 0.
        {"first frame", 0.0f, 0.0001f, false, 0.0, 0.0001f},
        {"second frame, 0.2 s long", 0.0001f, 0.2f, true, 0.2001, 0.2001f},
        // On time at 60 fps, the frame's own time.
        {"in step", 12.0f, f60, true, 12.0 + f60, 12.0f + f60},
        // Slow frames (at least FollowTime): the timeline lands on the music itself.
        {"slow frame, music ahead", 5.0f, 0.3f, true, 5.34, 5.34f},
        {"slow frame, music behind", 5.0f, 0.3f, true, 5.28, 5.28f},
        // A stall: nothing of it is lost.
        {"stall", 10.0f, 2.5f, true, 12.5, 12.5f},
        // A small gap is closed over FollowTime: 0.05 s of frame closes a fifth of it.
        {"music 10 ms ahead", 20.0f, 0.05f, true, 20.06, 20.052f},
        {"music 10 ms behind", 20.0f, 0.05f, true, 20.04, 20.048f},
        // Ahead of the music: slower, never standing still (a zero step pauses the music).
        {"timeline 0.25 s ahead", 20.0f, 0.1f, true, 19.85, 20.025f},
        // A seek of the music: the timeline joins it at once.
        {"music moved ahead", 30.0f, f60, true, 45.0, 45.0f},
        // The stream looped back to its start while the timeline plays on: its own time.
        {"stream looped", 207.35f, f60, true, 0.01, 207.35f + f60},
        // The timeline looped: at 0 with its music stopped, then the music restarts from 0.
        {"timeline looped, music stopped", 0.0f, f60, false, 207.36, f60},
        {"timeline looped, music restarted", f60, f60, true, 2.0 * f60, 2.0f * f60},
        // Nothing usable read from the music.
        {"music time not a number", 8.0f, 0.5f, true, std::nan(""), 8.1f},
    };
    for (const Frame& f : frames)
    {
        rvTimelineClock::Music music;
        music.bPlaying = f.bMusic;
        music.fTime = f.fMusic;
        const float fAfter = f.fTimeline + rvTimelineClock::Step(f.fTimeline, f.fRaw, music);
        EXPECT_NEAR(fAfter, f.fExpected, 2e-5f) << f.what;
    }
}

// A whole run against an audio clock as the audio layer reports it: the mixer moves the play
// position a buffer (1024 frames at 44100 Hz) at a time, ahead of what is heard, and runs 2 %
// slower than the frame clock. Frames alternate between 60 fps and slow ones.
TEST(TimelineClock, StaysWithAStepwiseDriftingMusicAndNeverStops)
{
    const double fBuffer = 1024.0 / 44100.0;
    const double fAudioRate = 0.98;
    const float aFrames[] = {1.0f / 60.0f, 1.0f / 60.0f, 1.0f / 60.0f, 0.15f,
                             1.0f / 30.0f, 0.4f,         1.0f / 60.0f};
    double fWall = 0.0;
    float fTimeline = 0.0f;
    double fWorstGap = 0.0;
    for (int i = 0; i < 3000; ++i)
    {
        const float fRaw = aFrames[i % 7];
        fWall += fRaw;
        rvTimelineClock::Music music;
        music.bPlaying = true;
        music.fTime = (std::floor(fWall * fAudioRate / fBuffer) + 1.0) * fBuffer;
        const float fStep = rvTimelineClock::Step(fTimeline, fRaw, music);
        ASSERT_GT(fStep, 0.0f) << "frame " << i;
        fTimeline += fStep;
        if (i > 60) fWorstGap = std::max(fWorstGap, std::fabs(double(fTimeline) - music.fTime));
    }
    // Over four and a half minutes the music falls more than 5 s behind the frame clock; the
    // timeline stays with the music, within a buffer and a little.
    EXPECT_GT(fWall * (1.0 - fAudioRate), 5.0);
    EXPECT_LT(fWorstGap, 1.0 / 30.0);
    EXPECT_NEAR(fTimeline, fWall * fAudioRate, 1.0 / 30.0);
}

TEST(TimelineClock, SimulationStepsAreBoundedBothWays)
{
    EXPECT_FLOAT_EQ(rvTimelineClock::BoundedStep(0.05f), 0.05f);
    EXPECT_FLOAT_EQ(rvTimelineClock::BoundedStep(2.5f), rvTimelineClock::MaxFrameDelta);
    EXPECT_FLOAT_EQ(rvTimelineClock::BoundedStep(-2.5f), -rvTimelineClock::MaxFrameDelta);
}

// A frame's time for a simulation: the fewest equal steps of at most a tenth of a second, at
// most MaxSimulationSteps of them; a move back is one bounded step, a move of no number none.
TEST(TimelineClock, SimulationTimeIsCutIntoBoundedSteps)
{
    using rvTimelineClock::MaxFrameDelta;
    using rvTimelineClock::MaxSimulationSteps;
    const float kInf = std::numeric_limits<float>::infinity(), kNaN = std::numeric_limits<float>::quiet_NaN();
    struct Case
    {
        float fDelta;
        int nCount;
        float fStep;
    } cases[] = {
        {1.f / 60.f, 1, 1.f / 60.f},
        {0.1f, 1, 0.1f},
        {0.3f, 3, 0.1f},
        {0.25f, 3, 0.25f / 3.f},
        {float(MaxSimulationSteps) * MaxFrameDelta, MaxSimulationSteps, MaxFrameDelta},
        {30.f, MaxSimulationSteps, MaxFrameDelta}, // a seek forward: its first second only
        {kInf, MaxSimulationSteps, MaxFrameDelta},
        {0.f, 1, 0.f},
        {-0.05f, 1, -0.05f},
        {-30.f, 1, -MaxFrameDelta}, // a seek back
        {kNaN, 1, 0.f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.fDelta);
        const rvTimelineClock::SimulationSteps s = rvTimelineClock::SplitSimulationStep(c.fDelta);
        EXPECT_EQ(s.nCount, c.nCount);
        EXPECT_FLOAT_EQ(s.fStep, c.fStep);
    }
}
