#pragma once
// What the frame-cost benchmarks share: a "Default" buffer of the run's size (720p unless the run
// asks for another) on the shared hidden window (under Xvfb; on Mesa llvmpipe the GL work is CPU
// work), and one whole frame ended by glFinish so that the time is what the frame costs, not what
// was queued.
#include "GLTestContext.h"
#include "Factory/fxBase.h"
#include "rvSceneDisplay.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace rvBench
{
// The frame size of the run: "--size=720p" or "--size=1080p" on the command line (taken out
// before google benchmark reads the rest), else the environment variable MORVANE_BENCH_SIZE,
// else 720p.
struct FrameSize
{
    int w, h;
    const char* name;
};
inline FrameSize& RunSize()
{
    static FrameSize s_Size{1280, 720, "720p"};
    return s_Size;
}
// Sets the run's size by name; false (nothing changed) for a name that is neither.
inline bool SetRunSize(const char* pszName)
{
    if (std::strcmp(pszName, "720p") == 0)
        RunSize() = FrameSize{1280, 720, "720p"};
    else if (std::strcmp(pszName, "1080p") == 0)
        RunSize() = FrameSize{1920, 1080, "1080p"};
    else
        return false;
    return true;
}

// Makes "Default" the run's size and current; false (the benchmark skipped) without a display.
inline bool OpenDefault(benchmark::State& state)
{
    if (!rvTest::SharedWindow())
    {
        state.SkipWithError("no display");
        return false;
    }
    rvSceneDisplay::ResizeDefaultBuffer(RunSize().w, RunSize().h);
    rvSceneDisplay::SetCurrentBuffer(nullptr, true);
    return true;
}

// One whole frame: begin, the effect (if any) updated with a 1/60 s step, present, glFinish.
inline void Frame(fxBase* pEffect)
{
    rvSceneDisplay::BeginFrame(rvTest::SharedWindow());
    if (pEffect)
    {
        pEffect->_fPendingDelta = 1.0f / 60.0f;
        pEffect->Update();
    }
    rvSceneDisplay::PresentFrame(false);
    glFinish();
}
} // namespace rvBench
