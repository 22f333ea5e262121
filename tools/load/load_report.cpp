// The summary of a load run.
#include "load_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <nlohmann/json.hpp>

namespace vantor::load {

Percentiles PercentilesOf(std::vector<double> samples) {
  if (samples.empty()) return {};
  // Selection, not a sort: the progress line asks for these every second over every sample so far.
  const auto rank = [&](double share) {
    const auto nearest = static_cast<std::size_t>(std::ceil(share * static_cast<double>(samples.size())));
    const std::size_t index = std::clamp<std::size_t>(nearest, 1, samples.size()) - 1;
    const auto at = samples.begin() + static_cast<std::ptrdiff_t>(index);
    std::nth_element(samples.begin(), at, samples.end());
    return *at;
  };
  return {rank(0.50), rank(0.95), rank(0.99), *std::max_element(samples.begin(), samples.end())};
}

namespace {

// The links the run cut, when it cut any.
std::string Drops(const LoadReport& report) {
  if (report.drops == 0) return {};
  char text[256];
  std::snprintf(text, sizeof text, "links cut           %lld (%lld at a ready screen: %lld came back as they were)\n",
                static_cast<long long>(report.drops), static_cast<long long>(report.dropsAtReadyScreen),
                static_cast<long long>(report.screensBack));
  return text;
}

}  // namespace

std::string FormatTable(const LoadReport& report) {
  const Percentiles t = PercentilesOf(report.turnaroundMs);
  const std::string failure =
      report.firstConnectionFailure.empty() ? "" : " (the first: " + report.firstConnectionFailure + ")";
  char text[1536];
  std::snprintf(text, sizeof text,
                "terminals            %d (%d connected, %d ran their script to the end)\n"
                "script runs          %lld\n"
                "screens              %lld in %.1f s; measured %.1f s: %.1f screens/s\n"
                "turnaround (ms)      p50 %.2f  p95 %.2f  p99 %.2f  max %.2f  (%zu samples)\n",
                report.terminals, report.terminalsConnected, report.terminalsCompleted,
                static_cast<long long>(report.scriptRuns), static_cast<long long>(report.screens), report.seconds,
                report.measuredSeconds, report.ScreensPerSecond(), t.p50, t.p95, t.p99, t.max,
                report.turnaroundMs.size());
  std::string table = text;
  if (!report.handshakeMs.empty()) {
    const Percentiles h = PercentilesOf(report.handshakeMs);
    std::snprintf(text, sizeof text, "TLS handshake (ms)   p50 %.2f  p95 %.2f  p99 %.2f  max %.2f  (%zu samples)\n",
                  h.p50, h.p95, h.p99, h.max, report.handshakeMs.size());
    table += text;
  }
  std::snprintf(text, sizeof text,
                "connection failures  %lld%s\n"
                "reconnects           %lld\n"
                "script errors        %lld\n"
                "peak memory          %ld KiB\n",
                static_cast<long long>(report.connectionFailures), failure.c_str(),
                static_cast<long long>(report.reconnects), static_cast<long long>(report.errors), report.maxRssKib);
  table += text;
  table += Drops(report);
  for (const std::string& error : report.firstErrors) table += "  " + error + "\n";
  return table;
}

std::vector<std::string> Failures(const LoadReport& report, const LoadGates& gates) {
  std::vector<std::string> failures;
  char text[256];
  if (report.scriptRuns == 0) failures.push_back("no terminal ran its script to the end");
  if (report.errors > gates.maxErrors) {
    std::snprintf(text, sizeof text, "%lld script errors, more than %lld", static_cast<long long>(report.errors),
                  static_cast<long long>(gates.maxErrors));
    failures.push_back(text);
  }
  if (gates.maxReconnects && report.reconnects > *gates.maxReconnects) {
    std::snprintf(text, sizeof text, "%lld reconnects, more than %lld", static_cast<long long>(report.reconnects),
                  static_cast<long long>(*gates.maxReconnects));
    failures.push_back(text);
  }
  const double p99 = PercentilesOf(report.turnaroundMs).p99;
  if (gates.maxP99Ms && p99 > *gates.maxP99Ms) {
    std::snprintf(text, sizeof text, "turnaround p99 %.2f ms, more than %g ms", p99, *gates.maxP99Ms);
    failures.push_back(text);
  }
  return failures;
}

std::string ToJson(const LoadReport& report, const std::vector<std::string>& failures) {
  const auto rounded = [](double value) { return std::round(value * 100.0) / 100.0; };
  const auto percentiles = [&rounded](const std::vector<double>& samples) {
    const Percentiles p = PercentilesOf(samples);
    return nlohmann::json{{"p50", rounded(p.p50)},
                          {"p95", rounded(p.p95)},
                          {"p99", rounded(p.p99)},
                          {"max", rounded(p.max)},
                          {"samples", samples.size()}};
  };
  const nlohmann::json json = {
      {"terminals", report.terminals},
      {"terminals_connected", report.terminalsConnected},
      {"terminals_completed", report.terminalsCompleted},
      {"script_runs", report.scriptRuns},
      {"screens", report.screens},
      {"seconds", rounded(report.seconds)},
      {"measured_screens", report.measuredScreens},
      {"measured_seconds", rounded(report.measuredSeconds)},
      {"screens_per_s", rounded(report.ScreensPerSecond())},
      {"turnaround_ms", percentiles(report.turnaroundMs)},
      {"handshake_ms", percentiles(report.handshakeMs)},
      {"connection_failures", report.connectionFailures},
      {"first_connection_failure", report.firstConnectionFailure},
      {"reconnects", report.reconnects},
      {"drops", report.drops},
      {"drops_at_ready_screen", report.dropsAtReadyScreen},
      {"screens_back", report.screensBack},
      {"errors", report.errors},
      {"first_errors", report.firstErrors},
      {"max_rss_kib", report.maxRssKib},
      {"passed", failures.empty()},
      {"failures", failures},
  };
  // Replaced, not thrown on: an error text from a host may hold any bytes.
  return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace vantor::load
