// Frame-time report of the demo: the committed timeline "Data/seq/_DemoFull_.seq" (packed from
// the sources into a temporary directory) played with a fixed step on a "Default" buffer of the
// run's size, as the player plays it (frame begin, timeline update, present), under Xvfb.
//
//   build/morvane_bench --benchmark_filter=DemoTimeline [--size=720p|--size=1080p]
//   tools/frame-report.sh [720p|1080p]     (the player's own frame times beside these)
//
// The argument is the step in frames per second of timeline time (20: every third frame of the
// 60 fps timeline, so the whole demo is sampled in a reasonable time on a software renderer).
// The timeline drives the music (fxMusic::_bTimelineDrivesMusic): every frame the music is moved
// to the timeline's time, so what listens to it (the live spectrum, the audio-level drivers)
// hears what the player plays at that time, however long the frame took.
// MORVANE_BENCH_SPAN="FROM,TO" (seconds of the demo) plays only that span, to profile one section:
//   MORVANE_BENCH_SPAN=72.96,76.8 perf record -g build/morvane_bench --benchmark_filter=DemoTimeline
//
// A frame is the player's frame: the events polled, the editor's ImGui frame built hidden (the
// timeline's editor window with it), the frame begun, the timeline updated, the frame presented and
// the window swapped.
// Two passes over the span. The first times whole frames only (one glFinish after the swap):
// the whole demo and each of its sections, side by side with the floor
// measured in the same run, an empty frame (nothing on the timeline, one black dot so that the
// fixed passes run) with the glow on and off. The sections are read from the timeline: it is cut
// where no item crosses (the items that run the whole demo, the music and the tint, aside), and
// each stretch is named after its longest item. The second pass splits the frame per item:
// timing probes (effects that only call glFinish and read the clock) sit between the timeline's
// items, and between those of the nested part, so each item's cost is the time from the probe
// before it to the probe after it, its GPU work included. The probes change what llvmpipe overlaps
// (a frame with probes costs more than one without): only the split's figures carry them.
// MORVANE_BENCH_SPLIT=0 leaves the second pass out. MORVANE_BENCH_FRAMES=FILE writes the first
// pass's frames in the player's frame log format ("TIME MS" a line); MORVANE_BENCH_REPORT=FILE takes
// them from such a file instead of playing the timeline (no floor and no split then): the report
// beside a player run made after it (tools/frame-report.sh plays the player before and after).
//
// MORVANE_BENCH_PLAYER=FILE sets the player's frame log (`MORVANE_FRAME_LOG=FILE build/morvane`)
// beside the first pass: the median frame of the whole demo and of each section, in the report
// and in the player, counted per frame (as the player's frames come) and per second of the demo
// (as the report's fixed steps come).
#include "BenchFrame.h"
#include "GLTestContext.h"
#include "TestSupport.h"

#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "Loader/rvLoader.h"
#include "Sequencer/rvSequence.h"
#include "effects/fxMusic/fxMusic.h"
#include "effects/fxSequence/fxSequence.h"
#include "rvMain.h"
#include "rvSceneDisplay.h"
#include "rvFile.h"
#include "rvPlatform.h"
#include "vector_display/vector_display.h"

#include <GLFW/glfw3.h>
#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>
#include <benchmark/benchmark.h>
#include <imgui.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The player builds the editor's frame every frame, hidden (built, not drawn): the events polled,
// an ImGui frame begun and ended, the timeline's editor window built by its update. The report's
// frames do the same, so what the hidden editor costs the player counts here too.
class HiddenEditor
{
public:
    explicit HiddenEditor(GLFWwindow* window)
    {
        if (ImGui::GetCurrentContext()) return; // another benchmark's context serves
        _bOwn = true;
        ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        ImGui::StyleColorsDark();
        ImGui_ImplGlfw_InitForOpenGL(window, false);
        ImGui_ImplOpenGL3_Init("#version 400");
    }
    ~HiddenEditor()
    {
        if (!_bOwn) return;
        ImGui_ImplOpenGL3_Shutdown();
        ImGui_ImplGlfw_Shutdown();
        ImGui::DestroyContext();
    }
    HiddenEditor(const HiddenEditor&) = delete;
    HiddenEditor& operator=(const HiddenEditor&) = delete;

    static void Begin()
    {
        glfwPollEvents();
        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplGlfw_NewFrame();
        ImGui::NewFrame();
    }
    static void End() { ImGui::EndFrame(); }

private:
    bool _bOwn = false;
};

// Frames with nothing on the timeline, the glow at its default strength or off. One black dot is
// queued each frame: a display with nothing pending skips its flush, glow and composite, and the
// floor is the cost of those fixed passes and the swap with nothing to show.
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
        glfwSwapBuffers(window);
        glFinish();
        row.ms.push_back(Ms(t0, Clock::now()));
    }
    display->settings.color_brightness = fBrightness;
    return row;
}

// A row; one that never ran prints dashes, or nothing when bSkipEmpty (a span's run).
void PrintRow(const Row& r, bool bSkipEmpty = false)
{
    if (r.ms.empty())
    {
        if (bSkipEmpty) return;
        std::printf("  %-44s %8s %8s %6s\n", r.label.c_str(), "-", "-", "0");
        return;
    }
    std::vector<double> v = r.ms;
    std::sort(v.begin(), v.end());
    std::printf("  %-44s %8.2f %8.2f %6zu\n", r.label.c_str(), v[v.size() / 2], v.back(), v.size());
}

// A section of the demo: frames [nFrom, nTo) of the timeline, named after its longest item.
struct Section
{
    int nFrom, nTo;
    std::string name;
};

// The timeline's sections: it is cut at an item's start that no other item crosses (by more than
// a tenth of a second: bars rounded to frames overlap by one), the items that run the whole
// timeline aside.
std::vector<Section> SectionsOf(const std::vector<fxBase*>& items, int endFrame)
{
    constexpr int SLACK = 6;
    std::vector<const fxBase*> placed;
    for (const fxBase* e : items)
        if (e->_nStart > 0 || e->_nEnd < endFrame) placed.push_back(e);
    std::vector<int> starts;
    for (const fxBase* e : placed)
        starts.push_back(e->_nStart);
    std::sort(starts.begin(), starts.end());
    std::vector<int> cuts{0};
    for (int t : starts)
    {
        if (t - cuts.back() <= SLACK || t >= endFrame - SLACK) continue;
        const bool crossed = std::any_of(placed.begin(), placed.end(), [t](const fxBase* e) {
            return e->_nStart < t - SLACK && e->_nEnd > t + SLACK;
        });
        if (!crossed) cuts.push_back(t);
    }
    cuts.push_back(std::max(endFrame, 1));
    std::vector<Section> sections;
    for (size_t i = 0; i + 1 < cuts.size(); ++i)
    {
        Section s{cuts[i], cuts[i + 1], ""};
        int longest = 0;
        for (const fxBase* e : placed)
        {
            const int overlap = std::min(e->_nEnd, s.nTo) - std::max(e->_nStart, s.nFrom);
            if (overlap > longest)
            {
                longest = overlap;
                s.name = e->_sName;
            }
        }
        sections.push_back(s);
    }
    return sections;
}

// The section showing the timeline at fSeconds (the last one holds the end).
size_t SectionAt(const std::vector<Section>& sections, double fSeconds)
{
    size_t i = 0;
    while (i + 1 < sections.size() && sections[i + 1].nFrom / 60.0 <= fSeconds)
        ++i;
    return i;
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


// A frame log's (TIME, MS) pairs read from a file (none when it cannot be read).
std::vector<std::pair<double, double>> ReadFrameLog(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return rvMain::FrameLog::Parse(text.str());
}

// Files the frames shown within [spanFrom, spanTo] into the whole row and their sections' rows.
void FileFrames(const std::vector<std::pair<double, double>>& frames, const std::vector<Section>& sections,
                double spanFrom, double spanTo, Row& whole, std::vector<Row>& bySection)
{
    for (const auto& f : frames)
    {
        if (f.first < spanFrom || f.first > spanTo) continue;
        whole.ms.push_back(f.second);
        bySection[SectionAt(sections, f.first)].ms.push_back(f.second);
    }
}

// The report's frames without probes beside the player's, counted two ways. Per frame, as the
// player's own median counts them: each report frame stands for the step over its cost player
// frames. Per second of the demo, as the report's own median counts them: each player frame
// stands for its time. (A section that is cheap for a second and dear after has most of the
// player's frames in that second and most of the report's steps after it.)
void PrintBesideThePlayer(const std::vector<Section>& sections, const Row& total, const std::vector<Row>& bySection,
                          const char* pszLog, double spanFrom, double spanTo, double fStepMs)
{
    const std::vector<std::pair<double, double>> frames = ReadFrameLog(pszLog);
    if (frames.empty())
    {
        std::printf("\nMORVANE_BENCH_PLAYER: no frames in \"%s\"\n", pszLog);
        return;
    }
    Row player{"", {}};
    std::vector<Row> playerBySection(sections.size());
    FileFrames(frames, sections, spanFrom, spanTo, player, playerBySection);
    using Weighted = std::vector<std::pair<double, double>>;
    const auto PerFrame = [fStepMs](const Row& report) {
        Weighted w;
        for (double ms : report.ms)
            w.emplace_back(ms, fStepMs / std::max(ms, 1e-3));
        return rvMain::WeightedMedian(w);
    };
    const auto PerSecond = [](const Row& player) {
        Weighted w;
        for (double ms : player.ms)
            w.emplace_back(ms, ms);
        return rvMain::WeightedMedian(w);
    };
    std::printf("\nReport (fixed step, no probes) beside the player's frame log \"%s\": median ms, counted\n"
                "per frame (the player's frames; a report frame stands for step / cost of them) and per second\n"
                "of the demo (the report's steps; a player frame stands for its time)\n",
                pszLog);
    std::printf("  %-44s %8s %8s %6s %8s %8s %6s %7s\n", "", "report", "player", "ratio", "report", "player",
                "ratio", "frames");
    std::printf("  %-44s %24s %24s\n", "", "per frame", "per second");
    const auto Print = [&](const Row& r, const Row& p) {
        if (r.ms.empty() || p.ms.empty()) return;
        const double rf = PerFrame(r), pf = Median(p.ms), rs = Median(r.ms), ps = PerSecond(p);
        std::printf("  %-44s %8.2f %8.2f %6.2f %8.2f %8.2f %6.2f %7zu\n", r.label.c_str(), rf, pf,
                    pf > 0 ? rf / pf : 0.0, rs, ps, ps > 0 ? rs / ps : 0.0, p.ms.size());
    };
    Print(total, player);
    for (size_t i = 0; i < sections.size(); ++i)
        Print(bySection[i], playerBySection[i]);
    double fSum = 0.0;
    for (double ms : player.ms)
        fSum += ms;
    if (fSum > 0.0) std::printf("  player: %zu frames, %.1f fps mean\n", player.ms.size(), 1000.0 * double(player.ms.size()) / fSum);
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

    // Paths given relative to where the report started (it works in a directory of its own).
    const auto FromStart = [here = rvPlatform::WorkingDirectory()](const char* path) {
        if (!path || !*path) return std::string();
        return path[0] == '/' ? std::string(path) : here + "/" + path;
    };
    const std::string framesPath = FromStart(std::getenv("MORVANE_BENCH_FRAMES"));
    const std::string playerPath = FromStart(std::getenv("MORVANE_BENCH_PLAYER"));
    const std::string reportPath = FromStart(std::getenv("MORVANE_BENCH_REPORT"));

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

    // The span to play (the whole demo unless MORVANE_BENCH_SPAN names one).
    double spanFrom = 0.0, spanTo = 1e30;
    if (const char* span = std::getenv("MORVANE_BENCH_SPAN"))
        if (std::sscanf(span, "%lf,%lf", &spanFrom, &spanTo) != 2 || !(spanFrom >= 0.0) || !(spanTo > spanFrom))
        {
            state.SkipWithError("MORVANE_BENCH_SPAN: FROM,TO in seconds, FROM < TO");
            return;
        }
    const char* pszSplit = std::getenv("MORVANE_BENCH_SPLIT");
    const bool bSplit = !(pszSplit && std::strcmp(pszSplit, "0") == 0) && reportPath.empty();
    const bool bSpan = std::getenv("MORVANE_BENCH_SPAN") != nullptr;

    if (!rvBench::OpenAtSize(&state, kW, kH)) return;
    const HiddenEditor editor(window);
    rvSequence seq(true); // its editor window is built every frame, as in the player
    if (!rvBench::LoadDemo(seq, state)) return;
    fxMusic::_bTimelineDrivesMusic = true;
    const int endFrame = seq.LastFrame();
    const std::vector<fxBase*> items = seq._apEffects;
    const std::vector<Section> sections = SectionsOf(items, endFrame);
    const float dt = 1.f / float(stepsPerSecond);

    // The floor: frames with nothing on the timeline, glow on and off.
    const Row emptyGlow = reportPath.empty() ? EmptyFrames(window, true) : Row{"", {}};
    const Row emptyNoGlow = reportPath.empty() ? EmptyFrames(window, false) : Row{"", {}};

    // Plays the span once; frame(t) runs one frame, the timeline's update included, and returns
    // false when the update ended the timeline (that frame drew nothing).
    const auto PlaySpan = [&](auto&& frame) {
        seq._fTime = float(spanFrom);
        seq._bPlaying = true;
        for (fxBase* e : seq._apEffects)
            e->SetState(State_SequenceStarted);
        while (seq._bPlaying)
            if (!frame() || double(seq._fTime) > spanTo) break;
    };

    // First pass: whole frames, no probes.
    Row total{"[whole frame]", {}};
    std::vector<std::pair<double, double>> frameLog; // (timeline time shown, ms) of total's frames
    std::vector<Row> bySection(sections.size());
    for (size_t i = 0; i < sections.size(); ++i)
    {
        char label[96];
        std::snprintf(label, sizeof label, "[whole frame, %.2f-%.2f s %s]", sections[i].nFrom / 60.0,
                      sections[i].nTo / 60.0, sections[i].name.c_str());
        bySection[i].label = label;
    }
    // Frames taken from an earlier run's MORVANE_BENCH_FRAMES instead of played.
    if (!reportPath.empty())
    {
        FileFrames(ReadFrameLog(reportPath), sections, spanFrom, spanTo, total, bySection);
        if (total.ms.empty())
        {
            state.SkipWithError("MORVANE_BENCH_REPORT: no frames in the file");
            return;
        }
    }
    for (auto _ : state)
        if (reportPath.empty())
            PlaySpan([&] {
                glFinish();
                const Clock::time_point t0 = Clock::now();
                HiddenEditor::Begin();
                rvSceneDisplay::BeginFrame(window);
                seq.Update(dt);
                rvSceneDisplay::PresentFrame(!seq._bPlaying);
                HiddenEditor::End();
                glfwSwapBuffers(window); // the player swaps every frame: its copy to the screen counts
                glFinish();
                const Clock::time_point t1 = Clock::now();
                if (!seq._bPlaying || double(seq._fTime) > spanTo) return false;
                total.ms.push_back(Ms(t0, t1));
                // The frame drew the timeline at the time its update reached.
                bySection[SectionAt(sections, std::max(0.0, double(seq._fTime)))].ms.push_back(Ms(t0, t1));
                frameLog.emplace_back(double(seq._fTime), Ms(t0, t1));
                return true;
            });
    if (!framesPath.empty() && !rvSaveFile(framesPath, rvMain::FrameLog::Format(frameLog)))
        std::printf("MORVANE_BENCH_FRAMES: cannot write \"%s\"\n", framesPath.c_str());

    // Second pass: the frame split per item, with probes.
    const std::vector<fxTimingProbe*> probes = bSplit ? InsertProbes(seq, endFrame) : std::vector<fxTimingProbe*>();
    // The nested parts get their own probes.
    struct Part
    {
        fxSequence* pPart;
        std::vector<fxBase*> items;
        std::vector<fxTimingProbe*> probes;
        std::vector<Row> rows;
    };
    std::vector<Part> parts;
    std::vector<Row> rows(items.size());
    Row begin{"[frame begin]", {}}, present{"[present: flush, glow, composite]", {}},
        probed{"[whole frame, with probes]", {}};
    if (bSplit)
    {
        for (fxBase* e : items)
            if (e->_pDescriptor->_sClassName == "fxSequence")
            {
                auto* part = static_cast<fxSequence*>(e);
                Part p{part, part->_Sequence._apEffects, {}, {}};
                p.probes = InsertProbes(part->_Sequence, part->_Sequence.LastFrame());
                p.rows.resize(p.items.size());
                parts.push_back(p);
            }
        PlaySpan([&] {
            for (fxTimingProbe* p : probes)
                p->_bRan = false;
            for (Part& p : parts)
                for (fxTimingProbe* q : p.probes)
                    q->_bRan = false;
            glFinish();
            const Clock::time_point t0 = Clock::now();
            HiddenEditor::Begin();
            rvSceneDisplay::BeginFrame(window);
            glFinish();
            const Clock::time_point t1 = Clock::now();
            seq.Update(dt);
            glFinish();
            const Clock::time_point t2 = Clock::now();
            rvSceneDisplay::PresentFrame(!seq._bPlaying);
            HiddenEditor::End();
            glFinish();
            const Clock::time_point t3 = Clock::now();
            if (!seq._bPlaying || double(seq._fTime) > spanTo) return false;
            begin.ms.push_back(Ms(t0, t1));
            present.ms.push_back(Ms(t2, t3));
            probed.ms.push_back(Ms(t0, t3));
            Collect(items, probes, rows, "");
            for (Part& p : parts)
                Collect(p.items, p.probes, p.rows, "  | ");
            return true;
        });
    }

    std::printf("\nDemo frames at %dx%d, fixed step 1/%d s, %zu frames, no probes (ms: median, worst, frames)%s%s%s\n",
                kW, kH, stepsPerSecond, total.ms.size(), reportPath.empty() ? "" : ", read from \"",
                reportPath.c_str(), reportPath.empty() ? "" : "\"");
    PrintRow(total);
    for (const Row& r : bySection)
        PrintRow(r, bSpan);
    PrintRow(emptyGlow, true);
    PrintRow(emptyNoGlow, true);

    // Side by side: each median against the two floors of this run.
    const double floorGlow = Median(emptyGlow.ms), floorNoGlow = Median(emptyNoGlow.ms);
    if (floorGlow > 0)
    {
        std::printf("\nDemo frame against the floor at %s (%dx%d): median ms, and as a multiple of the empty\n"
                    "frame with the glow on (%.2f ms) and off (%.2f ms)\n",
                    rvBench::RunSize().name, kW, kH, floorGlow, floorNoGlow);
        std::printf("  %-44s %8s %9s %9s\n", "", "ms", "x glow on", "x glow off");
    }
    const auto PrintRatio = [&](const Row& r) {
        if (r.ms.empty() || !(floorGlow > 0)) return;
        const double m = Median(r.ms);
        std::printf("  %-44s %8.2f %9.2f %9.2f\n", r.label.c_str(), m, m / floorGlow,
                    floorNoGlow > 0 ? m / floorNoGlow : 0.0);
    };
    PrintRatio(total);
    for (const Row& r : bySection)
        PrintRatio(r);

    if (bSplit)
    {
        std::printf("\nThe frame split per item, second pass, WITH probes (a glFinish between items; these\n"
                    "figures carry the probes' cost): ms: median, worst, frames run\n");
        PrintRow(begin);
        for (size_t i = 0; i < items.size(); ++i)
        {
            PrintRow(rows[i], bSpan);
            for (Part& p : parts)
                if (p.pPart == items[i])
                    for (const Row& r : p.rows)
                        PrintRow(r, bSpan);
        }
        PrintRow(present);
        PrintRow(probed);
    }
    if (!playerPath.empty())
        PrintBesideThePlayer(sections, total, bySection, playerPath.c_str(), spanFrom, spanTo, 1000.0 * double(dt));
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
        if (!probed.ms.empty()) state.counters["frame_median_probed_ms"] = Median(probed.ms);
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
    fxMusic::_bTimelineDrivesMusic = false;
    seq.Clear();
    rvLoader::Release();
    rvSceneDisplay::Shutdown();
    glfwSetWindowSize(window, 64, 64);
}
BENCHMARK(BM_DemoTimeline)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);
