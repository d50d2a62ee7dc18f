// Cost of one frame of the scene display: begin, vector-display flush (decay ring and glow) and
// present of "Default", at the demo's two window sizes, as segments and decay steps grow.
// GL runs on the hidden test window (Mesa llvmpipe under Xvfb): times are CPU-rendered.
#include <benchmark/benchmark.h>

#include <cmath>

#include "GLTestContext.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

namespace
{
// `segments` line segments in strips of 50, spread over the view of the default demo camera.
void AddSegments(vector_display* d, int segments)
{
    vector_display_set_rgb(d, 0.6f, 1.f, 0.8f);
    d->settings.thickness = 0.5f;
    int done = 0;
    for (int strip = 0; done < segments; ++strip)
    {
        const float y = -40.f + float(strip % 80);
        vector_display_strip_begin(d, -80.f, y, 0.f);
        for (int i = 1; i <= 50 && done < segments; ++i, ++done)
            vector_display_strip_to(d, -80.f + 3.2f * float(i), y + 2.f * std::sin(float(i + strip)), 0.f);
        vector_display_strip_end(d);
    }
}

void BM_SceneFrame(benchmark::State& state)
{
    GLFWwindow* window = rvTest::SharedWindow();
    if (!window)
    {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    const int w = int(state.range(0)), h = int(state.range(1));
    const int segments = int(state.range(2));
    rvSceneDisplay::ResizeDefaultBuffer(w, h);
    rvSceneDisplay::SetCurrentBuffer(nullptr, true);
    vector_display* d = rvSceneDisplay::_DefaultBuffer._pVectorDisplay;
    d->settings.decay_steps = float(state.range(3));

    // Fill the decay ring once so every step drawn holds lines.
    for (int i = 0; i < 32; ++i)
    {
        rvSceneDisplay::BeginFrame(window);
        AddSegments(d, segments);
        rvSceneDisplay::PresentFrame(false);
    }
    glFinish();

    for (auto _ : state)
    {
        rvSceneDisplay::BeginFrame(window);
        AddSegments(d, segments);
        rvSceneDisplay::PresentFrame(false);
        glFinish();
    }
    state.counters["segments"] = double(segments);
    state.counters["decay_steps"] = double(state.range(3));
    rvSceneDisplay::Shutdown();
}
} // namespace

// (width, height, segments, decay steps)
BENCHMARK(BM_SceneFrame)
    ->ArgNames({"w", "h", "segments", "decay"})
    ->Args({1280, 720, 0, 10})
    ->Args({1280, 720, 1000, 10})
    ->Args({1280, 720, 10000, 10})
    ->Args({1280, 720, 1000, 1})
    ->Args({1280, 720, 1000, 32})
    ->Args({1920, 1080, 0, 10})
    ->Args({1920, 1080, 1000, 10})
    ->Args({1920, 1080, 10000, 10})
    ->Args({1920, 1080, 1000, 32})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
