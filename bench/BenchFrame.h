#pragma once
// What the frame-cost benchmarks share: a 1280x720 "Default" buffer on the shared hidden window
// (under Xvfb; on Mesa llvmpipe the GL work is CPU work), and one whole frame ended by glFinish so
// that the time is what the frame costs, not what was queued.
#include "GLTestContext.h"
#include "Factory/fxBase.h"
#include "rvSceneDisplay.h"

#include <benchmark/benchmark.h>

namespace rvBench
{
// Makes "Default" 1280x720 and current; false (the benchmark skipped) without a display.
inline bool OpenDefault(benchmark::State& state)
{
    if (!rvTest::SharedWindow())
    {
        state.SkipWithError("no display");
        return false;
    }
    rvSceneDisplay::ResizeDefaultBuffer(1280, 720);
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
