#pragma once
// The start of every benchmark program (bench/CMakeLists.txt includes this header in each of
// them): XelBenchInitialize(&argc, argv) in place of benchmark::Initialize.
//  - The machine's load average is written in the context printed before the runs and again on
//    standard error when the program ends: a ratio measured under load is read with it.
//  - Unless the command line (or BENCHMARK_REPETITIONS) says otherwise, every benchmark is
//    repeated 3 times and the console shows the aggregates (mean, median, spread) rather than
//    the single runs: quote medians.
// Arguments the benchmark library does not know stay in argc/argv, as with its own Initialize.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <stdlib.h> // getloadavg

namespace xelbench {

/// The 1, 5 and 15 minute load averages, "unavailable" when the system does not say.
inline std::string LoadAverage() {
  double load[3] = {0.0, 0.0, 0.0};
  const int n = getloadavg(load, 3);
  if (n < 1)
    return "unavailable";
  char text[64];
  std::snprintf(text, sizeof(text), "%.2f, %.2f, %.2f", load[0], n > 1 ? load[1] : 0.0,
                n > 2 ? load[2] : 0.0);
  return text;
}

inline void PrintLoadAfter() {
  std::fprintf(stderr, "load average after the runs: %s\n", LoadAverage().c_str());
}

/// True when an argument is iFlag or iFlag=value.
inline bool HasFlag(int iArgc, char** iArgv, const char* iFlag) {
  const size_t length = std::strlen(iFlag);
  for (int i = 1; i < iArgc; ++i)
    if (iArgv[i] && std::strncmp(iArgv[i], iFlag, length) == 0 &&
        (iArgv[i][length] == '\0' || iArgv[i][length] == '='))
      return true;
  return false;
}

} // namespace xelbench

inline void XelBenchInitialize(int* ioArgc, char** ioArgv) {
  static char repetitions[] = "--benchmark_repetitions=3";
  static char aggregates[] = "--benchmark_display_aggregates_only=true";
  std::vector<char*> args(ioArgv, ioArgv + *ioArgc);
  if (!xelbench::HasFlag(*ioArgc, ioArgv, "--benchmark_repetitions") &&
      !std::getenv("BENCHMARK_REPETITIONS")) {
    args.push_back(repetitions);
    if (!xelbench::HasFlag(*ioArgc, ioArgv, "--benchmark_display_aggregates_only") &&
        !xelbench::HasFlag(*ioArgc, ioArgv, "--benchmark_report_aggregates_only"))
      args.push_back(aggregates);
  }
  args.push_back(nullptr);
  int argc = static_cast<int>(args.size()) - 1;
  benchmark::AddCustomContext("load average before the runs", xelbench::LoadAverage());
  benchmark::Initialize(&argc, args.data());
  // Initialize removed the flags it read (the added ones among them): the rest goes back.
  for (int i = 0; i < argc && i < *ioArgc; ++i)
    ioArgv[i] = args[static_cast<size_t>(i)];
  *ioArgc = argc < *ioArgc ? argc : *ioArgc;
  ioArgv[*ioArgc] = nullptr;
  static bool registered = false;
  if (!registered) {
    registered = true;
    std::atexit(xelbench::PrintLoadAfter);
  }
}
