// A host that times the terminal's answer to a screen record ending in W: from sending the record to
// the key response's arrival (the "H" echo comes first), as a host application feels it.
//
//   round_trip_host [--port P] [--count N] [--fields F]
//
// Listens on 127.0.0.1:P (0: any free port, printed), waits up to a minute for one terminal, then sends
// N screens of F fields each (page erased, fields defined and filled, page shown, W) and prints the
// median, 90th percentile, minimum and maximum in milliseconds. The host's socket is a plain one: it
// acknowledges as its system does (no forced immediate ACKs).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/net.h"
#include "screen_builder.h"
#include "test_host.h"

namespace {

using namespace vantor::testing_support;
using namespace vantor::host_records;
using Clock = std::chrono::steady_clock;

struct Options {
  int port = 0;
  int count = 100;
  int fields = 60;
};

bool ParseInt(const char* text, int low, int high, int& out) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < low || value > high) return false;
  out = static_cast<int>(value);
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 >= argc) return false;
    const char* value = argv[i + 1];
    if (std::strcmp(argv[i], "--port") == 0) {
      if (!ParseInt(value, 0, 65535, options.port)) return false;
    } else if (std::strcmp(argv[i], "--count") == 0) {
      if (!ParseInt(value, 1, 100000, options.count)) return false;
    } else if (std::strcmp(argv[i], "--fields") == 0) {
      if (!ParseInt(value, 1, 200, options.fields)) return false;
    } else {
      return false;
    }
  }
  return true;
}

// A screen of `fields` input fields with texts, over the whole grid, and W asking for key 5.
std::string ScreenWithKeyRequest(int fields, int round) {
  ScreenBuilder screen;
  screen.ErasePage();
  for (int id = 1; id <= fields; ++id) {
    const int row = (id - 1) / 3;
    const int column = ((id - 1) % 3) * 9;
    screen.Input(id, row, column, 8).Text(id, "R" + std::to_string(round) + "F" + std::to_string(id));
  }
  return screen.ShowPage(0).SendFields(5).RecordData();
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const std::size_t at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: round_trip_host [--port P] [--count N] [--fields F]\n");
    return 2;
  }
  if (!vantor::net::Startup()) return 1;
  TestHost host(static_cast<std::uint16_t>(options.port));
  if (!host.Listening()) {
    std::fprintf(stderr, "round_trip_host: cannot listen on port %d\n", options.port);
    return 1;
  }
  std::printf("listening on 127.0.0.1:%u\n", static_cast<unsigned>(host.Port()));
  std::fflush(stdout);
  if (!host.Accept(Millis(60000)) || !host.ReadRecord(Millis(10000))) {
    std::fprintf(stderr, "round_trip_host: no terminal identified itself\n");
    return 1;
  }
  std::vector<double> times;
  for (int round = 0; round < options.count; ++round) {
    const std::string record = ScreenWithKeyRequest(options.fields, round);
    const auto sent = Clock::now();
    if (!host.SendRecord(record)) break;
    bool answered = false;
    while (auto reply = host.ReadRecord(Millis(10000))) {
      if (reply->body.rfind("RF", 0) == 0) {
        answered = true;
        break;
      }
    }
    if (!answered) {
      std::fprintf(stderr, "round_trip_host: no key response to screen %d\n", round);
      return 1;
    }
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
  }
  std::printf("screens %zu of %d fields: median %.1f ms, p90 %.1f ms, min %.1f ms, max %.1f ms\n", times.size(),
              options.fields, Percentile(times, 0.5), Percentile(times, 0.9),
              *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()));
  return 0;
}
