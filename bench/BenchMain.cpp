// The one entry point of morvane_bench: every other file in bench/ only registers benchmarks.
// With MORVANE_BENCH_STARTUP set, the program is the start-up run of StartupBench.cpp instead.
#include <benchmark/benchmark.h>

#include <cstdlib>

int rvBenchStartupChild();

int main(int argc, char** argv)
{
    if (std::getenv("MORVANE_BENCH_STARTUP")) return rvBenchStartupChild();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
