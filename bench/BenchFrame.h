#pragma once
// What the frame-cost benchmarks share: a "Default" buffer of the run's size (720p unless the run
// asks for another) on the shared hidden window (under Xvfb; on Mesa llvmpipe the GL work is CPU
// work), and one whole frame ended by glFinish so that the time is what the frame costs, not what
// was queued.
#include "GLTestContext.h"
#include "TestSupport.h"
#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Loader/rvLoader.h"
#include "Sequencer/rvSequence.h"
#include "rvSceneDisplay.h"

#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

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

// The window and "Default" at w x h (the loading bar keeps "Default" at the window's size); false
// (the benchmark skipped) without a display.
inline bool OpenAtSize(benchmark::State* state, int w, int h)
{
    GLFWwindow* window = rvTest::SharedWindow();
    if (!window)
    {
        if (state) state->SkipWithError("no display: run under xvfb-run");
        return false;
    }
    glfwSetWindowSize(window, w, h);
    for (int i = 0; i < 200; ++i)
    {
        int fw = 0, fh = 0;
        glfwPollEvents();
        glfwGetFramebufferSize(window, &fw, &fh);
        if (fw == w && fh == h) break;
        usleep(5000);
    }
    rvSceneDisplay::ResizeDefaultBuffer(w, h);
    rvSceneDisplay::SetCurrentBuffer(nullptr, true);
    return true;
}

// The committed timelines and input recordings, packed into the work directory `dir` as the
// player reads them; false (the benchmark skipped) when packing fails.
inline bool PackCommittedData(rvTest::TempWorkDir& dir, benchmark::State& state)
{
    dir.CopyFromSource("Data/seq", ".seq");
    dir.CopyFromSource("Data/input", ".input");
    rvTest::LinkGeneratedAssets();
    const std::string pack =
        "python3 '" + rvTest::SourcePath("tools/pack-data") + "' --root . --no-assets >/dev/null";
    if (std::system(pack.c_str()) == 0) return true;
    state.SkipWithError("tools/pack-data failed");
    return false;
}

// The demo timeline loaded through the loading pass, every class registered; false (the benchmark
// skipped) when it does not load.
inline bool LoadDemo(rvSequence& seq, benchmark::State& state)
{
    if (!Factory::_pInstance) new Factory();
    Factory::_pInstance->RegisterAll();
    rvLoader::Begin(rvTest::SharedWindow());
    const bool loaded = seq.LoadSequence("Data/seq/_DemoFull_.seq", true);
    rvLoader::End();
    if (!loaded) state.SkipWithError("the demo timeline did not load");
    return loaded;
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
