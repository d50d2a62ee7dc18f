// Frame-time report of the demo: the committed timeline "Data/seq/_DemoFull_.seq" (packed from
// the sources into a temporary directory) played with a fixed step on a "Default" buffer of the
// run's size, as the player plays it (frame begin, timeline update, present), under Xvfb.
//
//   build/morvane_bench --benchmark_filter=Demo [--size=720p|--size=1080p]
//
// The argument is the step in frames per second of timeline time (20: every third frame of the
// 60 fps timeline, so the whole demo is sampled in a reasonable time on a software renderer).
// MORVANE_BENCH_SPAN="FROM,TO" (seconds of the demo) plays only that span, to profile one section:
//   MORVANE_BENCH_SPAN=72.96,76.8 perf record -g build/morvane_bench --benchmark_filter=DemoTimeline
// Timing probes (effects that only call glFinish and read the clock) sit between the timeline's
// items, and between those of the nested part, so each item's cost is the time from the probe
// before it to the probe after it, its GPU work included. The report prints, per item and per
// frame, the median and the worst over the frames in which the item ran; then the whole frame per
// placed section of the demo; then, side by side, the median frame of the whole demo and of each
// section against the floor measured in the same run: an empty frame (nothing on the timeline, one
// black dot so that the fixed passes run) with the glow on, and with it off.
#include "BenchFrame.h"
#include "GLTestContext.h"
#include "TestSupport.h"

#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "Loader/rvLoader.h"
#include "Sequencer/rvSequence.h"
#include "effects/fxSequence/fxSequence.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

// Costs in milliseconds, one per frame in which the item ran.
struct Row
{
    std::string label;
    std::vector<double> ms;
};

// A do-nothing effect whose Render waits for the GL work queued so far and reads the clock.
class fxTimingProbe : public fxBase
{
public:
    explicit fxTimingProbe(fxDescriptor* d) : fxBase(d) {}
    static fxDescriptor* GetDescriptor()
    {
        static fxDescriptor s_Descriptor(fxBase::GetDescriptor(), "fxTimingProbe", &Create);
        return &s_Descriptor;
    }
    static fxBase* Create(fxDescriptor* d) { return new fxTimingProbe(d); }
    void Render() override
    {
        glFinish();
        _Now = Clock::now();
        _bRan = true;
    }
    Clock::time_point _Now;
    bool _bRan = false;
};

// Puts a probe before every item of a timeline and one after the last; returns them in order.
std::vector<fxTimingProbe*> InsertProbes(rvSequence& seq, int endFrame)
{
    std::vector<fxBase*> items = seq._apEffects;
    std::vector<fxBase*> withProbes;
    std::vector<fxTimingProbe*> probes;
    for (size_t i = 0; i <= items.size(); ++i)
    {
        auto* probe = static_cast<fxTimingProbe*>(fxTimingProbe::Create(fxTimingProbe::GetDescriptor()));
        probe->_nStart = 0;
        probe->_nEnd = endFrame; // the timeline keeps its length
        probe->_pSequence = &seq;
        probe->SetState(State_DemoStarted);
        probes.push_back(probe);
        withProbes.push_back(probe);
        if (i < items.size()) withProbes.push_back(items[i]);
    }
    seq._apEffects = withProbes;
    return probes;
}

double Ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double Median(std::vector<double> v)
{
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Frames with nothing on the timeline, the glow at its default strength or off. One black dot is
// queued each frame: a display with nothing pending skips its flush, glow and composite, and the
// floor is the cost of those fixed passes with nothing to show.
Row EmptyFrames(GLFWwindow* window, bool bGlow)
{
    Row row{bGlow ? "[empty frame, glow on]" : "[empty frame, glow off]", {}};
    rvSceneDisplay::BeginFrame(window); // "Default"'s display exists from the first frame
    rvSceneDisplay::PresentFrame(false);
    vector_display* display = rvSceneDisplay::_DefaultBuffer._pVectorDisplay;
    if (!display) return row;
    const float fBrightness = display->settings.color_brightness;
    display->settings.color_brightness = bGlow ? 1.0f : 0.0f;
    const vector_display_point dot(0.f, 0.f, 0.f, 0.f, 0.f, 0.f);
    for (int i = 0; i < 60; ++i)
    {
        glFinish();
        const Clock::time_point t0 = Clock::now();
        rvSceneDisplay::BeginFrame(window);
        vector_display_add_dot(display, &dot);
        rvSceneDisplay::PresentFrame(false);
        glFinish();
        row.ms.push_back(Ms(t0, Clock::now()));
    }
    display->settings.color_brightness = fBrightness;
    return row;
}

void PrintRow(const Row& r)
{
    if (r.ms.empty())
    {
        std::printf("  %-34s %8s %8s %6s\n", r.label.c_str(), "-", "-", "0");
        return;
    }
    std::vector<double> v = r.ms;
    std::sort(v.begin(), v.end());
    std::printf("  %-34s %8.2f %8.2f %6zu\n", r.label.c_str(), v[v.size() / 2], v.back(), v.size());
}

// Per item of one timeline: the cost between its two probes in the frames where it ran.
void Collect(const std::vector<fxBase*>& items, const std::vector<fxTimingProbe*>& probes,
             std::vector<Row>& rows, const std::string& indent)
{
    for (size_t i = 0; i < items.size(); ++i)
    {
        Row& row = rows[i];
        if (row.label.empty())
            row.label = indent + items[i]->_sName + " (" + items[i]->_pDescriptor->_sClassName + ")";
        if (items[i]->_eState == State_EffectStarted && probes[i]->_bRan && probes[i + 1]->_bRan)
            row.ms.push_back(Ms(probes[i]->_Now, probes[i + 1]->_Now));
    }
}
} // namespace

static void BM_DemoTimeline(benchmark::State& state)
{
    if (!rvTest::SharedWindow())
    {
        state.SkipWithError("no display");
        return;
    }
    GLFWwindow* window = rvTest::SharedWindow();
    const int kW = rvBench::RunSize().w, kH = rvBench::RunSize().h;
    const int stepsPerSecond = int(state.range(0));

    // The committed timelines, packed as the player reads them.
    rvTest::TempWorkDir dir;
    if (!rvBench::PackCommittedData(dir, state)) return;
    // The music plays (on SDL's silent driver) when it was generated, as in the player.
    const std::string music = rvTest::SourcePath("Data/Audio/Morvane.mp3");
    if (access(music.c_str(), R_OK) == 0)
    {
        mkdir("Data/Audio", 0755);
        if (symlink(music.c_str(), "Data/Audio/Morvane.mp3") != 0) std::perror("symlink");
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    if (!rvBench::OpenAtSize(&state, kW, kH)) return;
    rvSequence seq(false);
    if (!rvBench::LoadDemo(seq, state)) return;
    const int endFrame = seq.LastFrame();
    const std::vector<fxBase*> items = seq._apEffects;
    const std::vector<fxTimingProbe*> probes = InsertProbes(seq, endFrame);
    // The nested parts get their own probes.
    struct Part
    {
        fxSequence* pPart;
        std::vector<fxBase*> items;
        std::vector<fxTimingProbe*> probes;
        std::vector<Row> rows;
    };
    std::vector<Part> parts;
    for (fxBase* e : items)
        if (e->_pDescriptor->_sClassName == "fxSequence")
        {
            auto* part = static_cast<fxSequence*>(e);
            Part p{part, part->_Sequence._apEffects, {}, {}};
            p.probes = InsertProbes(part->_Sequence, part->_Sequence.LastFrame());
            p.rows.resize(p.items.size());
            parts.push_back(p);
        }

    std::vector<Row> rows(items.size());
    Row begin{"[frame begin]", {}}, present{"[present: flush, glow, composite]", {}},
        total{"[whole frame]", {}};
    const float dt = 1.f / float(stepsPerSecond);

    // The floor: frames with nothing on the timeline, glow on and off.
    const Row emptyGlow = EmptyFrames(window, true);
    const Row emptyNoGlow = EmptyFrames(window, false);
    // Whole frames grouped by the demo's sections, on the music's sections where
    // tools/make-demo-seq.py places them (its PLACEMENT), the closing picture from bar 106 to the
    // end of the timeline; a bar is 1.92 s. A timeline of another length keeps the cuts before its end.
    std::vector<double> sectionBars{0.0, 8.0, 16.0, 24.0, 32.0, 42.0, 52.0, 64.0, 74.5, 86.0, 96.0, 106.0};
    const double endBar = endFrame / 60.0 / 1.92;
    while (sectionBars.size() > 1 && sectionBars.back() >= endBar - 0.01)
        sectionBars.pop_back();
    sectionBars.push_back(endBar);
    std::vector<Row> sections(sectionBars.size() - 1);
    for (size_t i = 0; i < sections.size(); ++i)
    {
        char label[64];
        std::snprintf(label, sizeof label, "[whole frame, bars %g-%g]", sectionBars[i], sectionBars[i + 1]);
        sections[i].label = label;
    }
    const auto SectionOf = [&](double seconds) {
        size_t i = 0;
        while (i + 1 < sectionBars.size() && sectionBars[i + 1] * 1.92 <= seconds)
            ++i;
        return i;
    };
    // The span to play (the whole demo unless MORVANE_BENCH_SPAN names one).
    double spanFrom = 0.0, spanTo = 1e30;
    if (const char* span = std::getenv("MORVANE_BENCH_SPAN"))
        if (std::sscanf(span, "%lf,%lf", &spanFrom, &spanTo) != 2 || !(spanFrom >= 0.0) || !(spanTo > spanFrom))
        {
            state.SkipWithError("MORVANE_BENCH_SPAN: FROM,TO in seconds, FROM < TO");
            return;
        }
    for (auto _ : state)
    {
        seq._fTime = float(spanFrom);
        seq._bPlaying = true;
        for (fxBase* e : seq._apEffects)
            e->SetState(State_SequenceStarted);
        while (seq._bPlaying)
        {
            for (fxTimingProbe* p : probes)
                p->_bRan = false;
            for (Part& p : parts)
                for (fxTimingProbe* q : p.probes)
                    q->_bRan = false;
            glFinish();
            const Clock::time_point t0 = Clock::now();
            rvSceneDisplay::BeginFrame(window);
            glFinish();
            const Clock::time_point t1 = Clock::now();
            seq.Update(dt);
            glFinish();
            const Clock::time_point t2 = Clock::now();
            rvSceneDisplay::PresentFrame(!seq._bPlaying);
            glFinish();
            const Clock::time_point t3 = Clock::now();
            if (!seq._bPlaying) break; // the update that ended the timeline drew nothing
            if (double(seq._fTime) > spanTo) break;
            begin.ms.push_back(Ms(t0, t1));
            present.ms.push_back(Ms(t2, t3));
            total.ms.push_back(Ms(t0, t3));
            // The frame drew the timeline at the time its update reached.
            const size_t section = SectionOf(std::max(0.0, double(seq._fTime)));
            if (section < sections.size()) sections[section].ms.push_back(Ms(t0, t3));
            Collect(items, probes, rows, "");
            for (Part& p : parts)
                Collect(p.items, p.probes, p.rows, "  | ");
        }
    }

    std::printf(
        "\nDemo frame costs at %dx%d, fixed step 1/%d s, %zu frames (ms: median, worst, frames run)\n", kW,
        kH, stepsPerSecond, total.ms.size());
    PrintRow(begin);
    for (size_t i = 0; i < items.size(); ++i)
    {
        PrintRow(rows[i]);
        for (Part& p : parts)
            if (p.pPart == items[i])
                for (const Row& r : p.rows)
                    PrintRow(r);
    }
    PrintRow(present);
    PrintRow(total);
    for (const Row& r : sections)
        PrintRow(r);
    PrintRow(emptyGlow);
    PrintRow(emptyNoGlow);

    // Side by side: each median against the two floors of this run.
    const double floorGlow = Median(emptyGlow.ms), floorNoGlow = Median(emptyNoGlow.ms);
    std::printf("\nDemo frame against the floor at %s (%dx%d): median ms, and as a multiple of the empty\n"
                "frame with the glow on (%.2f ms) and off (%.2f ms)\n",
                rvBench::RunSize().name, kW, kH, floorGlow, floorNoGlow);
    std::printf("  %-34s %8s %9s %9s\n", "", "ms", "x glow on", "x glow off");
    const auto PrintRatio = [&](const Row& r) {
        if (r.ms.empty()) return;
        const double m = Median(r.ms);
        std::printf("  %-34s %8.2f %9.2f %9.2f\n", r.label.c_str(), m, floorGlow > 0 ? m / floorGlow : 0.0,
                    floorNoGlow > 0 ? m / floorNoGlow : 0.0);
    };
    PrintRatio(total);
    for (const Row& r : sections)
        PrintRatio(r);
    PrintRatio(present);
    std::fflush(stdout);
    if (!total.ms.empty())
    {
        std::vector<double> v = total.ms;
        std::sort(v.begin(), v.end());
        state.counters["frame_median_ms"] = v[v.size() / 2];
        state.counters["frame_worst_ms"] = v.back();
        state.counters["frames"] = double(v.size());
        state.counters["floor_glow_on_ms"] = floorGlow;
        state.counters["floor_glow_off_ms"] = floorNoGlow;
        if (floorGlow > 0) state.counters["x_glow_on"] = v[v.size() / 2] / floorGlow;
    }

    // Probes out (they are not the timelines' to delete), then everything down.
    for (Part& p : parts)
        p.pPart->_Sequence._apEffects = p.items;
    seq._apEffects = items;
    for (fxTimingProbe* p : probes)
    {
        p->SetState(State_DemoStoped);
        delete p;
    }
    for (Part& p : parts)
        for (fxTimingProbe* q : p.probes)
        {
            q->SetState(State_DemoStoped);
            delete q;
        }
    seq.Clear();
    rvLoader::Release();
    rvSceneDisplay::Shutdown();
    glfwSetWindowSize(window, 64, 64);
}
BENCHMARK(BM_DemoTimeline)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);
