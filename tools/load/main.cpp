// vantor-load: N scripted terminals from one process against a host (docs/load.md).
//
//   vantor-load --host HOST:PORT --terminals N --script FILE [--first-id K] [--ramp SECONDS]
//               [--duration SECONDS] [--think SECONDS] [--json FILE]
//               [--max-p99 MS] [--max-errors N] [--max-reconnects N] [--drop-every SECONDS]
//               [--tls] [--tls-pin HEX] [--tls-ca FILE]
//   vantor-load --help
// Exit codes: 0 passed, 1 failed (no script ran to its end, or a limit was crossed: script errors above
// --max-errors, 0 by default, and the other gates), 2 a bad command line, script or JSON file.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "load_run.h"
#include "platform/net.h"

namespace vantor::load {
namespace {

constexpr const char* kUsage =
    "usage: vantor-load --host HOST:PORT --terminals N --script FILE [--first-id K] [--ramp SECONDS]\n"
    "                   [--duration SECONDS] [--think SECONDS] [--json FILE]\n"
    "                   [--max-p99 MS] [--max-errors N] [--max-reconnects N] [--drop-every SECONDS]\n"
    "                   [--tls] [--tls-pin HEX] [--tls-ca FILE]\n"
    "  runs N terminals with ids K.. (default 1) against the host, each running the script (the command\n"
    "  language of vantor-headless, {id} replaced by its id) once, or again and again for the duration;\n"
    "  they start evenly over the ramp; --think: the operator's average pause after each wait;\n"
    "  --drop-every: each terminal's link is cut at a random moment about that often. A progress\n"
    "  line each second on stderr, a summary on stdout. Exit code 1 when no script ran to its end or\n"
    "  a limit was crossed: turnaround p99 over MS, script errors over N (0 unless given), reconnects\n"
    "  over N; 2 for a bad command line, script or JSON file. An IPv6 host is written [::1]:9999.\n"
    "  --tls: the terminals' link is TLS (the handshake's time is reported); --tls-pin: only the host\n"
    "  certificate with this SHA-256 fingerprint; --tls-ca: CA certificates trusted besides the system's\n"
    "  (both imply --tls)\n";

int Refused(const std::string& why) {
  std::fprintf(stderr, "vantor-load: %s\n", why.c_str());
  return 2;
}

int Main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (std::find(args.begin(), args.end(), "--help") != args.end() ||
      std::find(args.begin(), args.end(), "-h") != args.end()) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::string why;
  const std::optional<LoadOptions> options = ParseLoadOptions(args, why);
  if (!options) return Refused(why + "\n" + kUsage);
  // Opened before the run, so that a path that cannot be written does not cost the whole test.
  std::ofstream json;
  if (!options->jsonFile.empty()) {
    json.open(options->jsonFile, std::ios::binary | std::ios::trunc);
    if (!json) return Refused("cannot write " + options->jsonFile);
  }
  std::int64_t lastScreens = 0;
  int second = 0;
  const LoadReport report = RunLoad(*options, [&](const Progress& now) {
    std::fprintf(stderr, "[%4ds] connected %d/%d  screens/s %lld  errors %lld  p99 %.1f ms\n", ++second, now.connected,
                 options->terminals, static_cast<long long>(now.screens - lastScreens),
                 static_cast<long long>(now.errors), now.p99);
    lastScreens = now.screens;
  });
  std::fputs(FormatTable(report).c_str(), stdout);
  std::fflush(stdout);
  const std::vector<std::string> failures = Failures(report, options->gates);
  if (json.is_open() && (!(json << ToJson(report, failures)) || !json.flush()))
    return Refused("cannot write " + options->jsonFile);
  for (const std::string& failure : failures) std::fprintf(stderr, "vantor-load: failed: %s\n", failure.c_str());
  return failures.empty() ? 0 : 1;
}

}  // namespace
}  // namespace vantor::load

int main(int argc, char** argv) {
  vantor::net::Startup();
  return vantor::load::Main(argc, argv);
}
