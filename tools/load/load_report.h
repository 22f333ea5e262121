// What a load run measured: counts, turnaround percentiles, errors; as a table and as JSON.
#pragma once

#include <cstdint>
#include <optional>
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
  // The measured window: from the end of the ramp to the end of the duration (without a duration, to the
  // first terminal done); the whole run when that window is empty.
  std::int64_t measuredScreens = 0;
  double measuredSeconds = 0;
  std::vector<double> turnaroundMs;  // from the record that locked the keyboard to the screen that unlocked it
  std::vector<double> handshakeMs;   // TLS: from the TCP connection to the host's certificate passing the checks
  std::int64_t connectionFailures = 0;
  std::string firstConnectionFailure;   // the reason of the first
  std::int64_t reconnects = 0;          // connections lost and made again
  std::int64_t drops = 0;               // links cut by the run (--drop-every)
  std::int64_t dropsAtReadyScreen = 0;  // of them, cut while the screen was ready for the operator
  std::int64_t screensBack = 0;         // of those, the screen was there again once connected again
  std::int64_t errors = 0;              // script commands that answered "error: ..."
  std::vector<std::string> firstErrors;
  long maxRssKib = 0;

  double ScreensPerSecond() const {
    return measuredSeconds > 0 ? static_cast<double>(measuredScreens) / measuredSeconds : 0;
  }
};

// What a run must stay within to pass: the limits a CI job sets (none: no limit).
struct LoadGates {
  std::optional<double> maxP99Ms;
  std::int64_t maxErrors = 0;
  std::optional<std::int64_t> maxReconnects;
};

// Why the run did not pass, one reason a line: no script ran to its end, or a gate was crossed.
std::vector<std::string> Failures(const LoadReport& report, const LoadGates& gates);

inline constexpr std::size_t kFirstErrorsKept = 5;

std::string FormatTable(const LoadReport& report);
// The summary as JSON, with the failures.
std::string ToJson(const LoadReport& report, const std::vector<std::string>& failures = {});

}  // namespace vantor::load
