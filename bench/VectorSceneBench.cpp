// Cost of the vector scene's per-frame work on a text-like tree (one child per character),
// and of simplifying long noisy lines.
#include "VectorScene/VectorScene.h"
#include "VectorScene/VectorSceneOutput.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{
// Counts what would reach the display.
struct CountingOutput : VectorSceneOutput
{
    long nPoints = 0;
    void SetStyle(float, float, float, float) override {}
    void StripBegin(const glm::vec3&) override { ++nPoints; }
    void StripTo(const glm::vec3&) override { ++nPoints; }
    void StripEnd() override {}
};

// nChars children of 3 strokes of 20 points each.
void BuildText(VectorScene& root, int nChars)
{
    for (int c = 0; c < nChars; ++c)
    {
        VectorScene* pChar = root.AddChild();
        for (int s = 0; s < 3; ++s)
        {
            VectorSceneLine* pLine = pChar->AddLine(20);
            for (int i = 0; i < 20; ++i)
                pLine->AddPoint(float(c) + 0.5f * std::sin(float(i + s)), float(i) * 0.05f, 0.f);
        }
    }
}
} // namespace

// Writing text: DrawFraction(0, t) with t sweeping the characters.
static void BM_DrawFraction(benchmark::State& state)
{
    VectorScene root;
    const int nChars = int(state.range(0));
    BuildText(root, nChars);
    CountingOutput out;
    float t = 0.f;
    for (auto _ : state)
    {
        root.DrawFraction(out, 0.f, t);
        t += 0.37f;
        if (t > float(nChars)) t = 0.f;
    }
    benchmark::DoNotOptimize(out.nPoints);
}
BENCHMARK(BM_DrawFraction)->Arg(16)->Arg(256);

// Placing particles along another effect's shape.
static void BM_PointAtLength(benchmark::State& state)
{
    VectorScene root;
    BuildText(root, int(state.range(0)));
    const float fTotal = root.GetLength();
    float s = 0.f;
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(root.PointAtLength(s));
        s += fTotal * 0.0137f;
        if (s > fTotal) s -= fTotal;
    }
}
BENCHMARK(BM_PointAtLength)->Arg(16)->Arg(256);

static void BM_SimplifyLine(benchmark::State& state)
{
    VectorScene root;
    VectorSceneLine* pLine = root.AddLine(int(state.range(0)));
    for (int i = 0; i < state.range(0); ++i)
        pLine->AddPoint(float(i) * 0.01f, std::sin(float(i) * 0.01f) + 0.001f * float(i % 7), 0.f);
    for (auto _ : state)
    {
        pLine->Simplify(0.002f);
        benchmark::DoNotOptimize(pLine->_aIndices.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SimplifyLine)->Arg(1000)->Arg(100000);
