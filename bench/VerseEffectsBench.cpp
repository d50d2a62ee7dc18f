// Cost of the simulations of the second verse without GL: a swarm step, a metaball frame (pair
// tracing, grouping, Clipper union and inset) and the replay of the recorded asteroid game, each
// drawing into a vector display that only collects geometry. What they cost on screen is in the
// frame-time report (--benchmark_filter=DemoTimeline, rows "Swarm", "MetaBalls", "Asteroids").
#include "TestSupport.h"
#include "effects/fxAsteroid/fxAsteroid.h"
#include "effects/fxMetaBallSystem/fxMetaBallSystem.h"
#include "effects/fxSwarm/fxSwarm.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
// A collecting display made current for the life of the object.
struct CollectingDisplay
{
    CollectingDisplay()
    {
        vector_display_create(&_p, 640, 360);
        rvSceneDisplay::_pCurrentDisplay = _p;
    }
    ~CollectingDisplay()
    {
        rvSceneDisplay::_pCurrentDisplay = nullptr;
        vector_display_destroy(_p);
    }
    vector_display* _p = nullptr;
};

template <class T> T* Started()
{
    T* e = static_cast<T*>(T::Create(T::RegisterAttributes()));
    e->SetState(State_EffectStarted);
    return e;
}

template <class T> void Stop(T* e)
{
    e->SetState(State_DemoStoped);
    delete e;
}
} // namespace

// One frame of the flock at its defaults (150 boids): step and draw.
static void BM_SwarmFrame(benchmark::State& state)
{
    CollectingDisplay display;
    fxSwarm* s = Started<fxSwarm>();
    s->_nBoidCount = int(state.range(0));
    for (auto _ : state)
    {
        display._p->npoints = 0;
        s->_fPendingDelta = 1.0f / 60.0f;
        s->Update();
    }
    Stop(s);
}
BENCHMARK(BM_SwarmFrame)->Arg(150)->Arg(300)->Unit(benchmark::kMicrosecond);

// One frame of the metaballs at their defaults, the time moving on.
static void BM_MetaBallFrame(benchmark::State& state)
{
    CollectingDisplay display;
    fxMetaBallSystem* m = Started<fxMetaBallSystem>();
    m->_nEnd = 1 << 30;
    for (auto _ : state)
    {
        display._p->npoints = 0;
        m->_fPendingDelta = 1.0f / 60.0f;
        m->Update();
    }
    Stop(m);
}
BENCHMARK(BM_MetaBallFrame)->Unit(benchmark::kMicrosecond);

// The whole recorded game replayed headless, one step per frame.
static void BM_AsteroidReplay(benchmark::State& state)
{
    CollectingDisplay display;
    const std::string bytes = rvTest::ReadFileBytes(rvTest::SourcePath("Data/input/Asteroid.input"));
    for (auto _ : state)
    {
        auto* g = static_cast<fxAsteroid*>(fxAsteroid::Create(fxAsteroid::RegisterAttributes()));
        g->_sRecordFile.clear();
        g->_nEnd = int(bytes.size()) + 60;
        g->SetState(State_DemoStarted);
        g->_aInputs.assign(bytes.begin(), bytes.end());
        g->SetState(State_EffectStarted);
        g->_fPendingDelta = 0.0f;
        for (size_t i = 0; i < bytes.size(); ++i)
        {
            display._p->npoints = 0;
            g->Update();
            g->_fPendingDelta = 1.0f / 60.0f;
        }
        benchmark::DoNotOptimize(g->_nScore);
        Stop(g);
    }
    state.counters["steps"] = double(bytes.size());
}
BENCHMARK(BM_AsteroidReplay)->Unit(benchmark::kMillisecond);
