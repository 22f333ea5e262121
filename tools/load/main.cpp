// vantor-load: N scripted terminals from one process against a host (docs/load.md).
//
//   vantor-load --host HOST:PORT --terminals N --script FILE [--first-id K] [--ramp SECONDS]
//               [--duration SECONDS] [--think SECONDS] [--json FILE]
// Exit codes: 0 no script error, 1 a script error, 2 a bad command line or an unwritable JSON file.
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
    "  runs N terminals with ids K.. (default 1) against the host, each running the script (the command\n"
    "  language of vantor-headless, {id} replaced by its id) once, or again and again for the duration;\n"
    "  they start evenly over the ramp; --think: the operator's average pause after each wait. A progress\n"
    "  line each second on stderr, a summary on stdout.\n";

int Main(int argc, char** argv) {
  std::string why;
  const std::optional<LoadOptions> options = ParseLoadOptions(std::vector<std::string>(argv + 1, argv + argc), why);
  if (!options) {
    std::fprintf(stderr, "vantor-load: %s\n%s", why.c_str(), kUsage);
    return 2;
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
  if (!options->jsonFile.empty()) {
    std::ofstream json(options->jsonFile, std::ios::binary);
    if (!(json << ToJson(report)) || !json.flush()) {
      std::fprintf(stderr, "vantor-load: cannot write %s\n", options->jsonFile.c_str());
      return 2;
    }
  }
  return report.errors > 0 ? 1 : 0;
}

}  // namespace
}  // namespace vantor::load

int main(int argc, char** argv) {
  vantor::net::Startup();
  return vantor::load::Main(argc, argv);
}
