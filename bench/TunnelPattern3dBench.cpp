// Frame cost of the tunnel of rings on a 1280x720 "Default" buffer (under Xvfb; on Mesa llvmpipe
// the GL work is CPU work), against an empty frame: begin, the effect's update, present, glFinish.
#include "GLTestContext.h"
#include "effects/fxTunnelPattern3d/fxTunnelPattern3d.h"
#include "rvSceneDisplay.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{
bool OpenDefault(benchmark::State& state)
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

// One whole frame; the effect (if any) is updated with a 1/60 s step.
void Frame(fxBase* pEffect)
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
} // namespace

static void BM_EmptyFrame(benchmark::State& state)
{
    if (!OpenDefault(state)) return;
    for (auto _ : state)
        Frame(nullptr);
    rvSceneDisplay::Shutdown();
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond);

// The argument is the ring count (the default is 64; 128 draws 127 bands).
static void BM_TunnelPattern3dFrame(benchmark::State& state)
{
    if (!OpenDefault(state)) return;
    std::unique_ptr<fxTunnelPattern3d> tunnel(
        static_cast<fxTunnelPattern3d*>(fxTunnelPattern3d::Create(fxTunnelPattern3d::RegisterAttributes())));
    tunnel->_Design._nCircleCount = int(state.range(0));
    tunnel->_fFadeIn = tunnel->_fFadeOut = 0.0f;
    tunnel->SetState(State_EffectStarted);
    for (auto _ : state)
        Frame(tunnel.get());
    tunnel->SetState(State_DemoStoped);
    tunnel.reset();
    rvSceneDisplay::Shutdown();
}
BENCHMARK(BM_TunnelPattern3dFrame)->Arg(48)->Arg(64)->Arg(128)->Unit(benchmark::kMillisecond);
