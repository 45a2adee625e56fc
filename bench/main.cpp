// One entry point for every benchmark file linked into corvantile-bench.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
