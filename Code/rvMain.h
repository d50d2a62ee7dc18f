#pragma once
// The rules of the program's shell that do not need a window: window size from the
// command line, the frame's time step, the windowed position, and when the window closes.
#include "Sequencer/rvTimelineClock.h"

#include <string>
#include <utility>
#include <vector>

namespace rvMain
{
// A stored window position holding this value was never set.
constexpr int UnsetWindowPosition = -9999999;
// Position used for a window that leaves full screen without a stored position.
constexpr int DefaultWindowedPosition = 50;
// Longest time step the frame's own clock hands to the timeline and the effects, in seconds.
constexpr float MaxFrameDelta = rvTimelineClock::MaxFrameDelta;
// GLFW's key code of Escape, also the index of ImGui's key arrays.
constexpr int EscapeKey = 256;

// Window size for a command line: 1280 x 720 when "720p" appears anywhere in it
// (the program path included), 1920 x 1080 otherwise.
void WindowSizeForCommandLine(const std::string& commandLine, int& width, int& height);

// The frame's time step: the raw difference of two clock readings, limited to
// MaxFrameDelta. There is no lower limit.
float ClampFrameDelta(float rawDelta);

// A stored windowed position, or DefaultWindowedPosition when it was never set.
int WindowedPosition(int stored);

// Whether the frame is presented paused (the vector display's decay then stands still):
// the timeline's pause while "Sequencer" is on, else a frame in which no time passed.
bool PresentPaused(bool sequencerOn, bool timelinePlaying, float rawDelta);

// The timeline time reached its length (frames at 60 per second).
bool TimelineReachedEnd(float time, int frameMax);

// Escape went down in the current ImGui frame: its key-down duration is exactly 0,
// which holds only in the frame of the press.
bool EscapeDownDurationIsZero();

// The player's test hook (for the end-to-end tests, not a user option), from the environment
// variable MORVANE_TEST_HOOK: blank-separated "slow=S" (every frame lasts at least S seconds,
// 0 to 10), "end=T" (the window closes once the timeline reaches T seconds) and "slowload=S"
// (every step of the loading pass, each file read and each effect's Init, lasts at least S
// seconds more, 0 to 10: a slow Init that reads nothing). While it is set the player writes on
// stderr where the timeline and the music were in its last frame. Unknown words and values
// out of range are ignored.
struct TestHook
{
    bool bOn = false;
    float fSlowFrame = 0.f;
    float fEnd = -1.f; // below 0: the timeline's own end
    float fSlowLoadStep = 0.f;
};
TestHook ParseTestHook(const char* text);

// The player's frame log, asked for with the environment variable MORVANE_FRAME_LOG=FILE: the
// real frame times beside the frame-time report's (tools/frame-report.sh). One line per frame
// shown, "TIME MS": the timeline time the frame showed, in seconds, and how long the frame took,
// from its start to the next frame's start (its swap included), in milliseconds. The last frame,
// which has no next one, is left out. Written once, at exit.
class FrameLog
{
public:
    // A frame began at fStart seconds (any steady clock) and showed the timeline at fTime.
    void Add(double fStart, float fTime);
    std::string Text() const;

    // Writes (TIME, MS) pairs as a log's lines; the frame-time report writes its own frames so.
    static std::string Format(const std::vector<std::pair<double, double>>& frames);
    // Reads a log's lines back as (TIME, MS) pairs; lines that are not two finite numbers, MS
    // not negative, are skipped.
    static std::vector<std::pair<double, double>> Parse(const std::string& text);

private:
    std::vector<std::pair<double, float>> _aFrames; // (start, timeline time)
};

// The median of (value, weight) pairs: the smallest value at which the weights of the values up
// to it pass half of the total. With equal weights, the middle value (the upper one of an even
// count). 0 when nothing weighs. The frame-time report compares two kinds of samples with it: the
// player shows one frame after another, so its median counts frames; the report steps the
// timeline by a fixed time, so each of its frames stands for the step over the frame's cost
// player frames (many cheap frames, few dear ones), and each of the player's frames for its own
// time when seconds of the demo are counted.
double WeightedMedian(std::vector<std::pair<double, double>> valueWeight);

// The exit rule, checked once per frame after the swap. The timeline's end closes the
// window only in the player (editor not drawn): in the editor the play head can be
// moved to the end without quitting.
bool ShouldCloseWindow(bool escapeWentDown, bool timelineReachedEnd, bool editorDrawn);
} // namespace rvMain
