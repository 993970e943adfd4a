// The console reporter of the benchmarks that measure a reference in the same run: after the
// usual table, one line per pair, the CPU time of BM_<case>_<Ours> over that of
// BM_<case>_<Reference> (CPU time suffers less than wall time from other work on a shared
// machine; with repetitions the median stands for the benchmark).
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

class TRatioReporter : public benchmark::ConsoleReporter {
public:
  // Title heads the ratio lines; Notes adds a text after the line of a case (its target).
  TRatioReporter(std::string Ours, std::string Reference, std::string Title,
                 std::map<std::string, std::string> Notes = {})
      : FOurs("_" + std::move(Ours)), FReference("_" + std::move(Reference)),
        FTitle(std::move(Title)), FNotes(std::move(Notes))
  {
  }

  void ReportRuns(const std::vector<Run>& runs) override
  {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred)
        continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
        continue;
      FTimes[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
  }

  void Finalize() override
  {
    ConsoleReporter::Finalize();
    std::printf("\n%s:\n", FTitle.c_str());
    for (const auto& [name, time] : FTimes) {
      const size_t cut = name.rfind(FOurs);
      if (cut == std::string::npos || name.compare(0, 3, "BM_") != 0)
        continue;
      const std::string key = name.substr(3, cut - 3);
      const std::string reference = name.substr(0, cut) + FReference;
      auto it = FTimes.find(reference);
      if (it == FTimes.end() || it->second <= 0) {
        std::printf("  %-28s  no reference\n", key.c_str());
        continue;
      }
      auto note = FNotes.find(key);
      std::printf("  %-28s %6.2fx%s\n", key.c_str(), time / it->second,
                  note == FNotes.end() ? "" : ("  (" + note->second + ")").c_str());
    }
  }

private:
  std::string FOurs, FReference, FTitle;
  std::map<std::string, std::string> FNotes;
  std::map<std::string, double> FTimes;
};
