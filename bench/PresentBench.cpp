// The present stage and the floor of a frame, at the demo's two window sizes, and a dump of demo
// frames at fixed times for comparing the pictures of two builds.
//
//   build/morvane_bench --benchmark_filter='Present|EmptyFrame'
//   MORVANE_FRAME_DIR=/tmp/frames build/morvane_bench --benchmark_filter=DemoFrameDump
//
// BM_PresentStage: "Default" holds a drawn picture and its vector display a typical set of lines;
// the time is the present alone (the display's flush: decay ring, glow, composition; then the copy
// to the window), ended by glFinish.
// BM_EmptyFrame: a whole frame with nothing drawn. Its glow argument: 1 leaves one dot pending, so
// the flush, the glow and the composition run over a black picture; 0 does the same with the glow
// off (brightness 0); -1 leaves nothing pending (the flush returns at once).
// BM_Glow: the glow and the composition alone (vector_display_glow of the "Default" display onto
// "Default"), as effects with a glow of their own call it.
// The counter cpu_ms is the CPU time of the benchmark's thread per iteration: with LP_NUM_THREADS=0
// llvmpipe draws on that thread, so it is the rendering work, steady on a loaded machine.
// BM_DemoFrameDump (only with MORVANE_FRAME_DIR set): plays the committed demo timeline and writes
// the window's picture at twelve times spread over the demo and three in its most involved
// sections as binary PPM files "frame-NN.ppm" (MORVANE_FRAME_SIZE=WxH, default 1280x720). The timeline moves in steps of 1/4 s, and of 1/20 s
// for the two seconds before each time, so the decay trails and the effects' own motion are those
// of a played demo while a run takes minutes, not a quarter of an hour. The run is the same in
// every build: the calendar clock stands still (effects seed their random numbers from it), the
// wall clock is set to the timeline's time before each frame, and no music plays. tools/compare-frames.py
// compares two such directories; tools/frame-check.sh does the whole before/after run.
#include "BenchFrame.h"
#include "GLTestContext.h"
#include "TestSupport.h"

#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Loader/rvLoader.h"
#include "Sequencer/rvSequence.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;
bool s_bFixedCalendar = false;
} // namespace

// The C library's calendar clock, standing still while demo frames are dumped.
extern "C" time_t time(time_t* out)
{
    timespec now{};
    if (!s_bFixedCalendar) clock_gettime(CLOCK_REALTIME, &now);
    const time_t t = s_bFixedCalendar ? time_t(1700000000) : now.tv_sec;
    if (out) *out = t;
    return t;
}

namespace
{

void Close()
{
    rvSceneDisplay::Shutdown();
    glfwSetWindowSize(rvTest::SharedWindow(), 64, 64);
}

// A few hundred segments in strips across the view of the default camera, as a vector effect adds.
void AddLines(vector_display* d, int frame)
{
    vector_display_set_rgb(d, 0.5f, 1.f, 0.7f);
    d->settings.thickness = 0.6f;
    for (int strip = 0; strip < 8; ++strip)
    {
        const float y = -30.f + 8.f * float(strip);
        vector_display_strip_begin(d, -70.f, y, 0.f);
        for (int i = 1; i <= 40; ++i)
            vector_display_strip_to(d, -70.f + 3.5f * float(i), y + 3.f * std::sin(0.3f * float(i + frame + strip)),
                                    0.f);
        vector_display_strip_end(d);
    }
}

// A picture in "Default" as a full-screen effect leaves it: a clear to a colour.
void DrawBackground()
{
    glClearColor(0.1f, 0.05f, 0.2f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
}

double Ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1.0e6;
}

void BM_PresentStage(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    if (!rvBench::OpenAtSize(&state, w, h)) return;
    GLFWwindow* window = rvTest::SharedWindow();
    vector_display* d = rvSceneDisplay::_DefaultBuffer._pVectorDisplay;
    int frame = 0;
    double cpu = 0.0;
    // The decay ring filled first, so each step drawn holds lines.
    for (; frame < 32; ++frame)
    {
        rvSceneDisplay::BeginFrame(window);
        DrawBackground();
        AddLines(d, frame);
        rvSceneDisplay::PresentFrame(false);
    }
    glFinish();
    for (auto _ : state)
    {
        rvSceneDisplay::BeginFrame(window);
        DrawBackground();
        AddLines(d, frame++);
        glFinish();
        const Clock::time_point t0 = Clock::now();
        const double c0 = ThreadCpuMs();
        rvSceneDisplay::PresentFrame(false);
        glFinish();
        cpu += ThreadCpuMs() - c0;
        state.SetIterationTime(Ms(t0, Clock::now()) / 1000.0);
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    Close();
}

void BM_EmptyFrame(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    const int glow = int(state.range(2));
    if (!rvBench::OpenAtSize(&state, w, h)) return;
    GLFWwindow* window = rvTest::SharedWindow();
    vector_display* d = rvSceneDisplay::_DefaultBuffer._pVectorDisplay;
    d->settings.color_brightness = glow > 0 ? 1.f : 0.f;
    const vector_display_point dot(0.f, 0.f, 0.f, 0.f, 0.f, 0.f);
    const double c0 = ThreadCpuMs();
    for (auto _ : state)
    {
        rvSceneDisplay::BeginFrame(window);
        if (glow >= 0) vector_display_add_dot(d, &dot);
        rvSceneDisplay::PresentFrame(false);
        glFinish();
    }
    state.counters["cpu_ms"] = benchmark::Counter(ThreadCpuMs() - c0, benchmark::Counter::kAvgIterations);
    Close();
}

void BM_Glow(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    if (!rvBench::OpenAtSize(&state, w, h)) return;
    rvBufferDisplay& target = rvSceneDisplay::_DefaultBuffer;
    vector_display* d = target._pVectorDisplay;
    glFinish();
    const double c0 = ThreadCpuMs();
    for (auto _ : state)
    {
        vector_display_glow(d, target._glFrameBuffer);
        glFinish();
    }
    state.counters["cpu_ms"] = benchmark::Counter(ThreadCpuMs() - c0, benchmark::Counter::kAvgIterations);
    Close();
}

// The middles of twelve equal spans of the demo, and frames of the sections whose drawing is the
// most involved (the spectrum's bars through the decay ring, the wave lines with their occlusion),
// in time order.
std::vector<float> DumpTimes(float length)
{
    std::vector<float> times;
    // MORVANE_FRAME_TIMES="T1,T2,..." (seconds) takes those frames instead.
    if (const char* list = std::getenv("MORVANE_FRAME_TIMES"))
    {
        for (const char* p = list; *p;)
        {
            char* next = nullptr;
            const float t = std::strtof(p, &next);
            if (next == p) break;
            if (t >= 0.f && t < length) times.push_back(t);
            p = *next == ',' ? next + 1 : next;
        }
        std::sort(times.begin(), times.end());
        return times;
    }
    for (int i = 0; i < 12; ++i)
        times.push_back(length * (float(i) + 0.5f) / 12.f);
    for (float t : {74.5f, 154.2f, 156.9f})
        if (t < length) times.push_back(t);
    std::sort(times.begin(), times.end());
    return times;
}

bool WriteWindowPPM(const std::string& path, int w, int h)
{
    std::vector<unsigned char> rgb(size_t(w) * size_t(h) * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    // Rows top first, as the file format has them.
    bool ok = true;
    for (int y = h - 1; y >= 0 && ok; --y)
        ok = std::fwrite(&rgb[size_t(y) * size_t(w) * 3], 1, size_t(w) * 3, f) == size_t(w) * 3;
    return std::fclose(f) == 0 && ok;
}

void BM_DemoFrameDump(benchmark::State& state)
{
    const char* outDir = std::getenv("MORVANE_FRAME_DIR");
    if (!outDir || !*outDir)
    {
        state.SkipWithError("MORVANE_FRAME_DIR not set");
        return;
    }
    int w = 1280, h = 720;
    if (const char* size = std::getenv("MORVANE_FRAME_SIZE"))
        if (std::sscanf(size, "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0 || w > 4096 || h > 4096)
        {
            state.SkipWithError("MORVANE_FRAME_SIZE is not WxH");
            return;
        }
    const std::string out = outDir[0] == '/' ? outDir : rvTest::BinaryPath(outDir);
    mkdir(out.c_str(), 0755);

    rvTest::TempWorkDir dir;
    if (!rvBench::PackCommittedData(dir, state)) return;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!rvBench::OpenAtSize(&state, w, h)) return;
    s_bFixedCalendar = true;
    GLFWwindow* window = rvTest::SharedWindow();
    rvSequence seq(false);
    if (!rvBench::LoadDemo(seq, state)) return;
    const std::vector<float> times = DumpTimes(float(seq.LastFrame()) / 60.f);
    int written = 0;
    for (auto _ : state)
    {
        seq._fTime = 0.f;
        seq._bPlaying = true;
        for (fxBase* e : seq._apEffects)
            e->SetState(State_SequenceStarted);
        size_t next = 0;
        while (seq._bPlaying && next < times.size())
        {
            glfwSetTime(double(seq._fTime));
            rvSceneDisplay::BeginFrame(window);
            seq.Update(times[next] - seq._fTime > 2.f ? 0.25f : 1.f / 20.f);
            rvSceneDisplay::PresentFrame(!seq._bPlaying);
            if (seq._bPlaying && seq._fTime >= times[next])
            {
                char name[32];
                std::snprintf(name, sizeof name, "/frame-%02zu.ppm", next);
                if (WriteWindowPPM(out + name, w, h)) ++written;
                ++next;
            }
        }
    }
    std::printf("%d frames at %dx%d written to %s\n", written, w, h, out.c_str());
    state.counters["frames"] = double(written);
    seq.Clear();
    rvLoader::Release();
    Close();
    s_bFixedCalendar = false;
}
} // namespace

BENCHMARK(BM_PresentStage)
    ->ArgNames({"w", "h"})
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyFrame)
    ->ArgNames({"w", "h", "glow"})
    ->Args({1280, 720, 1})
    ->Args({1280, 720, 0})
    ->Args({1280, 720, -1})
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, -1})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Glow)
    ->ArgNames({"w", "h"})
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoFrameDump)->Iterations(1)->Unit(benchmark::kSecond);
