#pragma once
// How far the timeline moves in one frame.
//
// Where no music plays (the editor, the effect tester, a timeline without a stream of its own)
// the frame's raw time is the clock, limited to MaxFrameDelta: a frame that took seconds (a
// stall, a window drag) moves the timeline by a tenth of a second only.
//
// While the demo's music plays, the music is the clock: the timeline moves to where the music
// is, so a slow frame loses nothing and the pictures stay on the beat at any frame rate. The
// play position moves in steps of an audio buffer, so the timeline does not copy it: it moves
// by the frame's raw time and closes the remaining gap to the music over FollowTime (a slow
// frame closes it at once). A timeline ahead of the music slows down but never stops (a step
// of 0 would pause the music) and never goes back. A music far ahead of the timeline (moved
// by a seek) is joined at once; a music far behind it (a stream that looped back to its start,
// an audio output that stalled) is left, and the frame's own clamped time is used instead.
namespace rvTimelineClock
{
// Longest step taken by the frame's own clock, and the longest step handed to an effect that
// integrates its own simulation, in seconds.
constexpr float MaxFrameDelta = 0.1f;
// Time over which the timeline closes its gap to the music, in seconds.
constexpr float FollowTime = 0.25f;
// A gap to the music larger than this is a jump of the music, not a drift, in seconds.
constexpr float JumpDistance = 0.5f;
// The slowest the timeline runs while it waits for the music, as a share of the frame's time.
constexpr float SlowestRate = 0.25f;

// The music's clock for one frame: whether a stream plays, and where it is in timeline time
// (the timeline time the picture should show for what is heard).
struct Music
{
    bool bPlaying = false;
    double fTime = 0.0;
};

// The frame's raw time limited to MaxFrameDelta (no lower limit).
float ClampFrameDelta(float fRawDelta);

// A step for an effect that integrates a simulation: within [-MaxFrameDelta, MaxFrameDelta].
float BoundedStep(float fDelta);

// The most steps a simulation runs in one frame: MaxSimulationSteps x MaxFrameDelta seconds.
constexpr int MaxSimulationSteps = 10;

// A frame's time for an effect that integrates a simulation, as nCount equal steps of fStep.
struct SimulationSteps
{
    int nCount = 1;
    float fStep = 0.0f;
    float Total() const { return float(nCount) * fStep; }
};

// fDelta cut into the fewest equal steps of at most MaxFrameDelta, so that a simulation keeps
// time with the music at any frame rate: a slow frame runs several steps. At most
// MaxSimulationSteps of them: a longer move (a seek forward, a stall) runs only its first
// MaxSimulationSteps x MaxFrameDelta seconds. A move back is one step of at most MaxFrameDelta
// back; 0 or a delta that is not a number, one step of 0.
SimulationSteps SplitSimulationStep(float fDelta);

// The timeline's step for a frame that took fRawDelta seconds, the timeline being at fTimeline
// when the music clock was read.
float Step(float fTimeline, float fRawDelta, const Music& music);
} // namespace rvTimelineClock
