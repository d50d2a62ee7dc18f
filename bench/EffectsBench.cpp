// Frame cost of the grid background and of circles on a 1280x720 "Default" buffer (run under
// Xvfb; on Mesa llvmpipe the GL work is CPU work). Each iteration ends with glFinish, so the
// time is what the frame costs, not what was queued.
#include "BenchFrame.h"
#include "effects/fxBackGrid/fxBackGrid.h"
#include "effects/fxCircle/fxCircle.h"
#include "rvSceneDisplay.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{
template <class T> std::unique_ptr<T> Started()
{
    std::unique_ptr<T> e(static_cast<T*>(T::Create(T::RegisterAttributes())));
    e->SetState(State_EffectStarted);
    return e;
}

using rvBench::OpenDefault;
} // namespace

// The grid background alone: one full-screen pass.
static void BM_BackGridFrame(benchmark::State& state)
{
    if (!OpenDefault(state)) return;
    auto grid = Started<fxBackGrid>();
    for (auto _ : state)
    {
        grid->_fPendingDelta = 1.0f / 60.0f;
        grid->Update();
        glFinish();
    }
    grid->SetState(State_DemoStoped);
    grid.reset();
    rvSceneDisplay::Shutdown();
}
BENCHMARK(BM_BackGridFrame)->Unit(benchmark::kMillisecond);

// A whole frame with the grid and N circles: begin, effects, present (decay, glow, composite).
static void BM_GridAndCirclesFrame(benchmark::State& state)
{
    if (!OpenDefault(state)) return;
    auto grid = Started<fxBackGrid>();
    std::vector<std::unique_ptr<fxCircle>> circles;
    for (int i = 0; i < state.range(0); ++i)
    {
        circles.push_back(Started<fxCircle>());
        circles.back()->_vPos = glm::vec3(float(i % 10) * 8.0f - 40.0f, float(i / 10) * 8.0f - 40.0f, 0.0f);
        circles.back()->_fRadius = 3.0f + float(i % 7);
    }
    for (auto _ : state)
    {
        rvSceneDisplay::BeginFrame(rvTest::SharedWindow());
        grid->_fPendingDelta = 1.0f / 60.0f;
        grid->Update();
        for (auto& c : circles)
        {
            c->_fPendingDelta = 1.0f / 60.0f;
            c->Update();
        }
        rvSceneDisplay::PresentFrame(false);
        glFinish();
    }
    grid->SetState(State_DemoStoped);
    for (auto& c : circles)
        c->SetState(State_DemoStoped);
    grid.reset();
    rvSceneDisplay::Shutdown();
}
BENCHMARK(BM_GridAndCirclesFrame)->Arg(0)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
