// The main of a benchmark program whose library writes log lines: they go to /dev/null, so that
// the figures measure the work and the terminal shows only the results.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#define QUIET_BENCHMARK_MAIN()                        \
  int main(int argc, char** argv) {                   \
    int devNull = ::open("/dev/null", O_WRONLY);      \
    if (devNull >= 0) ::dup2(devNull, STDERR_FILENO); \
    benchmark::Initialize(&argc, argv);               \
    benchmark::RunSpecifiedBenchmarks();              \
    benchmark::Shutdown();                            \
    return 0;                                         \
  }
