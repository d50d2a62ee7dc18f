// Frame cost of each line-art effect alone, with its default drawing or text, on a 1280x720
// "Default" buffer, against an empty frame (Arg 0: frame begin and present only). The drawings
// and fonts come from the generated assets, packed into a temporary archive once per process
// (run this filter on its own: the archive is mounted by the first read of the process).
//
//   build/morvane_bench --benchmark_filter=LineArt
#include "GLTestContext.h"
#include "TestSupport.h"

#include "Factory/Factory.h"
#include "effects/fxBBC/fxBBC.h"
#include "effects/fxMantaRay/fxMantaRay.h"
#include "effects/fxMorph/fxMorph.h"
#include "effects/fxSVG/fxSVG.h"
#include "effects/fxText/fxText.h"
#include "effects/fxTextNeon/fxTextNeon.h"
#include "effects/nanoSVGScene/nanoSVGScene.h"
#include "effects/rvEyesUniverse/rvEyesUniverse.h"
#include "rvSceneDisplay.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace
{
// The generated drawings and fonts packed in a temporary working directory, kept for the process.
bool PackAssets()
{
    static bool s_bDone = false, s_bOk = false;
    if (s_bDone) return s_bOk;
    s_bDone = true;
    static rvTest::TempWorkDir* s_pDir = new rvTest::TempWorkDir();
    (void)s_pDir;
    rvTest::LinkGeneratedAssets();
    const std::string pack =
        "python3 '" + rvTest::SourcePath("tools/pack-data") + "' --root . --no-assets >/dev/null";
    s_bOk = std::system(pack.c_str()) == 0;
    return s_bOk;
}

template <class T> T* Make()
{
    T* e = static_cast<T*>(T::Create(T::RegisterAttributes()));
    e->_fFadeIn = e->_fFadeOut = 0.f;
    e->_nEnd = 60 * 60;
    return e;
}

fxBase* MakeEffect(int k)
{
    switch (k)
    {
    case 1: return Make<fxText>();
    case 2:
    {
        fxTextNeon* n = Make<fxTextNeon>();
        n->_fNeon = 0.5f;
        return n;
    }
    case 3: return Make<fxSVG>();
    case 4:
    {
        nanoSVGScene* m = Make<nanoSVGScene>();
        m->_Transform._vRotation.x = 180.f;
        return m;
    }
    case 5:
    {
        rvEyesUniverse* e = Make<rvEyesUniverse>();
        for (rvEyesUniverseLayer& l : e->_aLayers)
        {
            l._bDraw = true;
            l._Transform._vPosition.z = -60.f;
        }
        return e;
    }
    case 6:
    {
        fxMorph* m = Make<fxMorph>();
        m->_fUserMorph = 0.5f;
        return m;
    }
    case 7:
    {
        fxBBC* b = Make<fxBBC>();
        b->_nItemCount = 8;
        b->_fItemRadius = 2.5f;
        return b;
    }
    case 8:
    {
        fxMantaRay* m = Make<fxMantaRay>();
        m->_Transform._vScale.x = 4.f;
        m->_fWindHeight = 1.5f;
        return m;
    }
    default: return nullptr;
    }
}

const char* const kLabels[] = {"empty frame", "fxText",  "fxTextNeon", "fxSVG",     "nanoSVGScene",
                               "rvEyesUniverse", "fxMorph", "fxBBC",      "fxMantaRay"};
} // namespace

// A whole frame (begin, the effect, present with decay and glow) with one line-art effect.
static void BM_LineArtFrame(benchmark::State& state)
{
    if (!rvTest::SharedWindow())
    {
        state.SkipWithError("no display");
        return;
    }
    if (!PackAssets())
    {
        state.SkipWithError("tools/pack-data failed");
        return;
    }
    if (!Factory::_pInstance) new Factory();
    Factory::_pInstance->RegisterAll();
    rvSceneDisplay::ResizeDefaultBuffer(1280, 720);
    rvSceneDisplay::SetCurrentBuffer(nullptr, true);
    const int k = int(state.range(0));
    state.SetLabel(kLabels[k]);
    std::unique_ptr<fxBase> effect(MakeEffect(k));
    if (effect) effect->SetState(State_EffectStarted);
    for (auto _ : state)
    {
        rvSceneDisplay::BeginFrame(rvTest::SharedWindow());
        if (effect)
        {
            effect->_fPendingDelta = 1.0f / 60.0f;
            effect->Update();
        }
        rvSceneDisplay::PresentFrame(false);
        glFinish();
    }
    if (effect) effect->SetState(State_DemoStoped);
    effect.reset();
    rvSceneDisplay::Shutdown();
}
BENCHMARK(BM_LineArtFrame)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);
