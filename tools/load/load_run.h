// A load run: N scripted terminals, each a full session on the shared engine, on one event loop.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "load_report.h"
#include "platform/net.h"
#include "platform/tls_options.h"

namespace vantor::load {

struct LoadOptions {
  std::string host;
  std::vector<net::Address> addresses;  // the host's, as the terminal resolves it: tried in turn
  std::uint16_t port = 0;
  TlsOptions tls;  // the terminals' link, as the terminal's settings make it
  int terminals = 0;
  int firstId = 1;
  double rampSeconds = 0;
  double thinkSeconds = 0;                // the operator's pause after each `wait`, on average (0.5 to 1.5 times)
  std::optional<double> durationSeconds;  // none: each terminal runs the script once
  double dropEverySeconds = 0;            // each terminal's link is cut about this often (0.5 to 1.5 times); 0: never
  std::vector<std::string> script;        // command lines, comments and empty lines left out
  std::string jsonFile;
  LoadGates gates;
};

inline constexpr int kMostTerminals = 20000;

// The options of a command line (argv[0] left out); the reason when they are not sound. Reads the script
// and checks its commands.
std::optional<LoadOptions> ParseLoadOptions(const std::vector<std::string>& args, std::string& why);

// "{id}" replaced by the terminal's id.
std::string WithId(const std::string& line, int id);

struct Progress {
  int connected = 0;
  std::int64_t screens = 0;
  std::int64_t errors = 0;
  double p99 = 0;
};

// Runs the terminals until each has run its script once (no duration) or the duration is over, then
// reports. A terminal whose `wait` times out has a script error, never hangs. `progress` is called
// about once a second.
LoadReport RunLoad(const LoadOptions& options, const std::function<void(const Progress&)>& progress = {},
                   std::chrono::milliseconds progressInterval = std::chrono::milliseconds(1000));

}  // namespace vantor::load
