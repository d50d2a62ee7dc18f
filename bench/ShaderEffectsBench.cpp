// Frame cost of the shader effects against an empty frame on a "Default" buffer of the run's size (run
// under Xvfb; on Mesa llvmpipe the GL work is CPU work). A frame is begin, the effect's update and
// present; each ends with glFinish, so the time is what the frame costs, not what was queued.
//
//   build/morvane_bench --benchmark_filter='EmptyFrame|ShaderEffectFrame'
#include "BenchFrame.h"
#include "Factory/Factory.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxAmbientParticles/fxAmbientParticles.h"
#include "effects/fxOcean/fxOcean.h"
#include "effects/fxPostDistortion/fxPostDistortion.h"
#include "effects/fxPostVHS/fxPostVHS.h"
#include "rvSceneDisplay.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{
// "Default" with the camera of the ocean in the demo.
bool OpenDefault(benchmark::State& state)
{
    if (!rvBench::OpenDefault(state)) return false;
    // 15 units above the water, looking a little down (the ocean's view in the demo).
    rvSceneDisplay::_DefaultBuffer._vPosition = glm::vec3(0.0f, -15.0f, 0.0f);
    rvSceneDisplay::_DefaultBuffer._vRotation = glm::vec3(0.12f, 0.0f, 0.0f);
    return true;
}

using rvBench::Frame;

template <class T> fxBase* Make()
{
    return T::Create(T::RegisterAttributes());
}
// The test shaders' descriptors are made by the Factory.
fxBase* MakeByName(const char* pszClass)
{
    if (!Factory::_pInstance) new Factory();
    Factory::_pInstance->RegisterAll();
    fxDescriptor* d = Factory::_pInstance->FindDescriptor(pszClass);
    return d->_pfnCreate(d);
}

// The effects measured, by argument; null for the empty frame.
fxBase* MakeEffect(int nWhich, const char** ppszLabel)
{
    switch (nWhich)
    {
    case 0:
        *ppszLabel = "fxBasicShader2d";
        return MakeByName("fxBasicShader2d");
    case 1:
        *ppszLabel = "fxBasicShader3d";
        return MakeByName("fxBasicShader3d");
    case 2:
        *ppszLabel = "fxPostVHS (defaults)";
        return Make<fxPostVHS>();
    case 3:
    {
        *ppszLabel = "fxPostDistortion (bump running)";
        auto* p = static_cast<fxPostDistortion*>(Make<fxPostDistortion>());
        p->_shProgram._fBumpDuration = 1000.0f;
        return p;
    }
    case 4:
        *ppszLabel = "fxOcean (defaults: calm, caustics)";
        return Make<fxOcean>();
    case 5:
    {
        *ppszLabel = "fxOcean (weather 0.6, 80 steps)";
        auto* p = static_cast<fxOcean*>(Make<fxOcean>());
        p->_shProgram._fWeather = 0.6f;
        p->_shProgram._fMaxSteps = 80.0f;
        return p;
    }
    case 6:
        *ppszLabel = "fxAmbientParticles (defaults)";
        return Make<fxAmbientParticles>();
    case 7:
        *ppszLabel = "fxJoyDivision (defaults)";
        return MakeByName("fxJoyDivision");
    case 8:
        *ppszLabel = "fxStarField (defaults)";
        return MakeByName("fxStarField");
    default:
        return nullptr;
    }
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

static void BM_ShaderEffectFrame(benchmark::State& state)
{
    if (!OpenDefault(state)) return;
    const char* pszLabel = "";
    std::unique_ptr<fxBase> effect(MakeEffect(int(state.range(0)), &pszLabel));
    state.SetLabel(pszLabel);
    effect->_fFadeIn = effect->_fFadeOut = 0.0f;
    effect->_nEnd = 1 << 30; // never reaches its end
    effect->SetState(State_EffectStarted);
    Frame(effect.get()); // builds the program outside the measure
    for (auto _ : state)
        Frame(effect.get());
    effect->SetState(State_DemoStoped);
    effect.reset();
    rvSceneDisplay::Shutdown();
}
BENCHMARK(BM_ShaderEffectFrame)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);
