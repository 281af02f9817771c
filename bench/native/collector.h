// Google Benchmark runs its benchmarks as usual and prints them; this
// reporter also keeps the best time per iteration of every benchmark, so
// that the program can put two of them side by side as a ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class TRunCollector : public benchmark::ConsoleReporter {
 public:
  // Plain text, so that the figure lines that follow can be read by a script.
  TRunCollector() : benchmark::ConsoleReporter(OO_None) {}

  void ReportRuns(const std::vector<Run>& vRuns) override {
    benchmark::ConsoleReporter::ReportRuns(vRuns);
    for (const Run& run : vRuns) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
      const double dSeconds = run.real_accumulated_time / static_cast<double>(run.iterations);
      const std::string sName = run.run_name.function_name;
      auto it = mapSeconds.find(sName);
      if (it == mapSeconds.end() || dSeconds < it->second) mapSeconds[sName] = dSeconds;
    }
  }

  // Seconds per iteration of the named benchmark (its best repetition); 0 if it did not run.
  double Seconds(const std::string& sName) const {
    auto it = mapSeconds.find(sName);
    return it == mapSeconds.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> mapSeconds;
};

// Removes --smoke from the arguments; true if it was there.
inline bool TakeSmokeFlag(int& argc, char** argv) {
  bool bSmoke = false;
  int iOut = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--smoke")
      bSmoke = true;
    else
      argv[iOut++] = argv[i];
  }
  argc = iOut;
  return bSmoke;
}
