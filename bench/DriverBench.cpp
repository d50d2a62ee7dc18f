// Cost of the drivers per evaluation, and of laying out a long driver plot.
#include "Factory/AttribDesc.h"
#include "Factory/Drivers/ExpressionDriver.h"
#include "Factory/Drivers/Noise.h"
#include "Factory/ImGuiCustomPlotter.h"

#include <benchmark/benchmark.h>

#include <cfloat>
#include <memory>
#include <vector>

static void BM_Noise1D(benchmark::State& state)
{
    const int nOctaves = int(state.range(0));
    float x = 0.1234f;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(noise1D(x, nOctaves, 0.5f));
        x += 0.0167f;
    }
}
BENCHMARK(BM_Noise1D)->Arg(0)->Arg(4)->Arg(8);

// One frame's evaluation of a formula with two slider variables (compiled once).
static void BM_ExpressionGetValue(benchmark::State& state)
{
    std::unique_ptr<AttribDesc> pDesc(AttribDesc::Create(TYPE_FLOAT, "Bench/Value", 0));
    ExpressionDriver d(nullptr, pDesc.get());
    d._sExpression = "amp * sin(x * 2 * pi * freq) + clamp(x / 3, 0, 1)";
    d.GetValue(0.f, false);
    d._aUserVars[0]._fValue = 0.5f;
    d._aUserVars[1]._fValue = 2.f;
    float t = 0.f;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(d.GetValue(t, false));
        t += 1.f / 60.f;
    }
    state.counters["compiles"] = d.GetCompileCount();
}
BENCHMARK(BM_ExpressionGetValue);

// The driver window of a ten-minute effect: 36000 samples laid out every frame.
static void BM_PlotLayout(benchmark::State& state)
{
    std::vector<float> aSamples(36000);
    for (size_t k = 0; k < aSamples.size(); ++k)
        aSamples[k] = noise1D(float(k) / 60.f, 4, 0.5f);
    for (auto _ : state)
    {
        PlotCurveLayout l = LayoutPlotCurve(aSamples.data(), nullptr, int(aSamples.size()), FLT_MAX, FLT_MAX,
                                            ImVec2(0.f, 0.f), ImVec2(300.f, 100.f), 1200, -1);
        benchmark::DoNotOptimize(l.aSegments.data());
    }
}
BENCHMARK(BM_PlotLayout)->Unit(benchmark::kMicrosecond);
