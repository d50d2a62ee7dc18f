// Start-up and memory of the player, each measured in a process of its own (under Xvfb):
//
//   build/morvane_bench --benchmark_filter=Startup       (seconds)
//   build/morvane_bench --benchmark_filter=DemoPeakMemory (the demo's length and more)
//
// Time to the first frame: this program starts itself again (MORVANE_BENCH_STARTUP set, see
// BenchMain.cpp) in the repository root, and that process does what the player does before its
// first frame: the window and its context at 1280x720 with the player's hints, ImGui, "Default",
// the effect classes, the loading pass over "Data/seq/_DemoFull_.seq" (music included), then one
// frame shown and finished. It reports when it was launched, when its window and context were
// ready and when the first frame was done, and the processor time it used; three launches, the
// median kept. The target: the
// first frame within three times the window and context creation of the same launch.
//
// Peak memory: the player itself, `build/morvane 720p`, plays the whole demo on SDL's silent
// driver; its peak resident size (VmHWM, from the kernel's accounting of the ended child) is
// reported. The player goes full screen, so it runs on a 1280x720 X screen of its own (an Xvfb
// this program starts): on a larger screen "720p" would take that screen's size.
#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Loader/rvLoader.h"
#include "Sequencer/rvSequence.h"
#include "TestSupport.h"
#include "rvMainWindow.h"
#include "rvSceneDisplay.h"

#include <epoxy/gl.h>

#include <GLFW/glfw3.h>
#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>
#include <benchmark/benchmark.h>
#include <imgui.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
double Now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The peak resident size of this process so far, in kB.
long PeakKilobytes()
{
    long kb = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r"))
    {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
        std::fclose(f);
    }
    return kb;
}

struct Launch
{
    double windowMs = 0., firstFrameMs = 0., cpuMs = 0.;
    long peakKb = 0;
};

// The processor time this process used so far (user and system), in ms.
double CpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-3;
}

// Starts this program in its start-up mode in the repository root; false when it failed.
bool LaunchOnce(Launch& out)
{
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return false;
    exe[n] = 0;
    const std::string command = "cd '" + rvTest::SourcePath("") + "' && SDL_AUDIODRIVER=dummy MORVANE_BENCH_STARTUP=1 '" +
                                std::string(exe) + "' 2>/dev/null";
    const double launched = Now();
    FILE* p = popen(command.c_str(), "r");
    if (!p) return false;
    double started = 0., window = 0., first = 0., cpu = 0.;
    long kb = 0;
    const int got = std::fscanf(p, "startup %lf %lf %lf %ld %lf", &started, &window, &first, &kb, &cpu);
    const int status = pclose(p);
    if (got != 5 || status != 0) return false;
    out.cpuMs = cpu;
    out.windowMs = (window - started) * 1e3;
    out.firstFrameMs = (first - launched) * 1e3;
    out.peakKb = kb;
    return true;
}

// An X server of its own with one 1280x720 screen, for as long as the object lives.
struct Screen720p
{
    pid_t pid = -1;
    std::string display; // ":N" once started
    bool Start()
    {
        int fds[2];
        if (pipe(fds) != 0) return false;
        pid = fork();
        if (pid < 0)
        {
            close(fds[0]);
            close(fds[1]);
            return false;
        }
        if (pid == 0)
        {
            close(fds[0]);
            std::freopen("/dev/null", "w", stderr);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x720x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char buf[32] = {};
        ssize_t got = 0, n = 0;
        while (got < ssize_t(sizeof buf - 1) && (n = read(fds[0], buf + got, sizeof buf - 1 - size_t(got))) > 0)
        {
            got += n;
            if (std::memchr(buf, '\n', size_t(got))) break;
        }
        close(fds[0]);
        if (got <= 0) return false;
        display = ":" + std::to_string(std::atoi(buf));
        return true;
    }
    ~Screen720p()
    {
        if (pid > 0)
        {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

// Plays the whole demo with the player at 720p on `display`; its peak resident size in kB, or -1.
long PlayerPeakKilobytes(const std::string& display)
{
    const std::string player = rvTest::BinaryPath("morvane");
    if (access(player.c_str(), X_OK) != 0) return -1;
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0)
    {
        if (chdir(rvTest::SourcePath("").c_str()) != 0) _exit(127);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("DISPLAY", display.c_str(), 1);
        std::freopen("/dev/null", "w", stderr);
        execl(player.c_str(), player.c_str(), "720p", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return usage.ru_maxrss;
}
} // namespace

// The start-up mode: the player's steps up to its first frame, then the times on stdout.
int rvBenchStartupChild()
{
    const double started = Now();
    if (!glfwInit()) return 2;
    rvMain::ApplyWindowHints();
    GLFWwindow* window = glfwCreateWindow(1280, 720, "Convoxa - Morvane - ZQ4", nullptr, nullptr);
    if (!window) return 3;
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0);
    glClear(GL_COLOR_BUFFER_BIT); // the context really made
    glFinish();
    const double windowReady = Now();

    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;
    ImGui_ImplGlfw_InitForOpenGL(window, true);
    ImGui_ImplOpenGL3_Init("#version 400");
    rvSceneDisplay::ResizeDefaultBuffer(1280, 720);
    rvSceneDisplay::SetCurrentBuffer(&rvSceneDisplay::_DefaultBuffer);
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    glfwSwapBuffers(window);
    new Factory();
    Factory::_pInstance->RegisterAll();

    // Left to the process's end, as the player leaves its timeline.
    auto* timeline = new rvSequence(true);
    rvLoader::Begin(window);
    const bool loaded = timeline->LoadSequence("Data/seq/_DemoFull_.seq", true);
    rvLoader::End();
    if (!loaded) return 4;
    timeline->_fTime = 0.f;
    timeline->_bPlaying = true;
    for (fxBase* effect : timeline->_apEffects)
        effect->SetState(State_SequenceStarted);

    glfwPollEvents();
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplGlfw_NewFrame();
    ImGui::NewFrame();
    rvSceneDisplay::BeginFrame(window);
    timeline->Update(1.f / 60.f);
    rvSceneDisplay::PresentFrame(false);
    ImGui::EndFrame();
    glfwSwapBuffers(window);
    glFinish();
    const double firstFrame = Now();

    std::printf("startup %.9f %.9f %.9f %ld %.3f\n", started, windowReady, firstFrame, PeakKilobytes(), CpuMs());
    std::fflush(stdout);
    _exit(0); // no tear-down: the measure is taken
}

static void BM_Startup(benchmark::State& state)
{
    if (!getenv("DISPLAY"))
    {
        state.SkipWithError("no display");
        return;
    }
    std::vector<Launch> launches;
    for (auto _ : state)
        for (int i = 0; i < 3; ++i)
        {
            Launch l;
            if (!LaunchOnce(l))
            {
                state.SkipWithError("the start-up run failed (is the data packed? run tools/build.sh)");
                return;
            }
            launches.push_back(l);
        }
    std::sort(launches.begin(), launches.end(),
              [](const Launch& a, const Launch& b) { return a.firstFrameMs < b.firstFrameMs; });
    const Launch& m = launches[launches.size() / 2];
    std::printf("\nStart-up at 1280x720 (median of %zu launches)\n", launches.size());
    std::printf("  window and context creation      %8.1f ms\n", m.windowMs);
    std::printf("  launch to first frame finished   %8.1f ms  (%.2fx window and context)\n", m.firstFrameMs,
                m.firstFrameMs / m.windowMs);
    std::printf("  processor time to first frame    %8.1f ms  (user and system; less swayed by a loaded machine)\n",
                m.cpuMs);
    std::printf("  peak memory at the first frame   %8.1f MB\n", double(m.peakKb) / 1024.);
    std::fflush(stdout);
    state.counters["window_ms"] = m.windowMs;
    state.counters["first_frame_ms"] = m.firstFrameMs;
    state.counters["first_frame_ratio"] = m.firstFrameMs / m.windowMs;
    state.counters["first_frame_cpu_ms"] = m.cpuMs;
    state.counters["startup_peak_mb"] = double(m.peakKb) / 1024.;
}
BENCHMARK(BM_Startup)->Iterations(1)->Unit(benchmark::kMillisecond);

static void BM_DemoPeakMemory720p(benchmark::State& state)
{
    if (!getenv("DISPLAY"))
    {
        state.SkipWithError("no display");
        return;
    }
    Screen720p screen;
    const bool own = screen.Start();
    const std::string display = own ? screen.display : std::string(getenv("DISPLAY"));
    long playerKb = -1;
    for (auto _ : state)
        playerKb = PlayerPeakKilobytes(display);
    if (playerKb <= 0)
    {
        state.SkipWithError("build/morvane 720p did not play to its end");
        return;
    }
    std::printf("\nPeak memory of the whole demo at 720p (build/morvane 720p, %s): %.1f MB\n",
                own ? "on a 1280x720 screen of its own" : "no Xvfb: on this display, at its size",
                double(playerKb) / 1024.);
    std::fflush(stdout);
    state.counters["demo_720p_peak_mb"] = double(playerKb) / 1024.;
}
BENCHMARK(BM_DemoPeakMemory720p)->Iterations(1)->Unit(benchmark::kSecond);
