// What a load run measured: counts, turnaround percentiles, errors; as a table and as JSON.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantor::load {

struct Percentiles {
  double p50 = 0, p95 = 0, p99 = 0, max = 0;  // milliseconds
};

// Nearest-rank percentiles of the samples (all zero when there are none).
Percentiles PercentilesOf(std::vector<double> samples);

struct LoadReport {
  int terminals = 0;
  int terminalsConnected = 0;   // terminals that reached the host at least once
  int terminalsCompleted = 0;   // terminals that ran their script to its end at least once
  std::int64_t scriptRuns = 0;  // script runs completed, over all terminals
  std::int64_t screens = 0;     // host records received
  double seconds = 0;
  std::vector<double> turnaroundMs;  // from the record that locked the keyboard to the screen that unlocked it
  std::int64_t connectionFailures = 0;
  std::int64_t reconnects = 0;  // connections lost and made again
  std::int64_t errors = 0;      // script commands that answered "error: ..."
  std::vector<std::string> firstErrors;
  long maxRssKib = 0;

  double ScreensPerSecond() const { return seconds > 0 ? static_cast<double>(screens) / seconds : 0; }
};

inline constexpr std::size_t kFirstErrorsKept = 5;

std::string FormatTable(const LoadReport& report);
std::string ToJson(const LoadReport& report);

}  // namespace vantor::load
