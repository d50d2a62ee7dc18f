// Frame cost of the tunnel of rings on a 1280x720 "Default" buffer (under Xvfb; on Mesa llvmpipe
// the GL work is CPU work), against the empty frame of ShaderEffectsBench: begin, the effect's
// update, present, glFinish.
#include "BenchFrame.h"
#include "effects/fxTunnelPattern3d/fxTunnelPattern3d.h"
#include "rvSceneDisplay.h"

#include <benchmark/benchmark.h>

#include <memory>

using rvBench::Frame;
using rvBench::OpenDefault;

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
