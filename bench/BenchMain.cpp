// Entry point shared by every benchmark of morvane_bench.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
