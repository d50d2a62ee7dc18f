// The one entry point of morvane_bench: every other file in bench/ only registers benchmarks.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
