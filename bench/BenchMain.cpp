// The one entry point of morvane_bench: every other file in bench/ only registers benchmarks.
// Besides google benchmark's own flags it takes the frame size, "--size=720p" (the default) or
// "--size=1080p", also given by the environment variable MORVANE_BENCH_SIZE.
// With MORVANE_BENCH_STARTUP set, the program is the start-up run of StartupBench.cpp instead.
#include "BenchFrame.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int rvBenchStartupChild();

int main(int argc, char** argv)
{
    if (std::getenv("MORVANE_BENCH_STARTUP")) return rvBenchStartupChild();
    const char* pszSize = std::getenv("MORVANE_BENCH_SIZE");
    int kept = 1;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strncmp(argv[i], "--size=", 7) == 0)
            pszSize = argv[i] + 7;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    if (pszSize && !rvBench::SetRunSize(pszSize))
    {
        std::fprintf(stderr, "morvane_bench: unknown size \"%s\" (720p or 1080p)\n", pszSize);
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
