// A host that times the terminal's answer to a screen record ending in W: from sending the screen's
// first record to the key response's arrival (the "H" echo comes first), as a host application feels it.
//
//   round_trip_host [--port P] [--count N] [--fields F] [--scenario erase|same|other|value]
//
// Listens on 127.0.0.1:P (0: any free port, printed), waits up to a minute for one terminal, then sends
// N screens of F fields each, after two untimed ones, as the scenario says (round_trip_screens.h; erase
// by default: the page erased, entry fields defined and filled, the page shown, W) and prints the
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
#include "round_trip_screens.h"
#include "screen_builder.h"
#include "test_host.h"

namespace {

using namespace vantor::testing_support;
using namespace vantor::host_records;
using namespace vantor::bench;
using Clock = std::chrono::steady_clock;

struct Options {
  int port = 0;
  int count = 100;
  int fields = 60;
  Scenario scenario = Scenario::Erase;
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
    } else if (std::strcmp(argv[i], "--scenario") == 0) {
      if (!ParseScenario(value, options.scenario)) return false;
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

std::string Padded(std::string text, int width) {
  text.resize(static_cast<std::size_t>(width), ' ');
  return text;
}

// A screen of the given shape built on an empty page (after an I record), with texts of its round.
std::string ShapedScreen(int shape, int fields, int round) {
  ScreenBuilder screen;
  for (int index = 0; index < fields; ++index) {
    const ShapeField place = FieldOfShape(shape, index);
    const int id = index + 1;
    const std::string text = "R" + std::to_string(round) + "F" + std::to_string(id);
    switch (place.kind) {
      case ShapeKind::Fixed: screen.Fixed(id, place.row, place.column, Padded(text, place.width)); break;
      case ShapeKind::Input: screen.Input(id, place.row, place.column, place.width).Text(id, text); break;
      case ShapeKind::Button:
        screen.Input(id, place.row, place.column, place.width).Options(id, {option::Type('B')}).Text(id, text);
        break;
      case ShapeKind::CheckBox:
        screen.Input(id, place.row, place.column, place.width).Options(id, {option::Type('C')}).Text(id, " " + text);
        break;
    }
  }
  return screen.ShowPage(0).SendFields(5).RecordData();
}

// The records of screen `round`, in the order they are sent.
std::vector<std::string> RoundRecords(const Options& options, int round) {
  switch (options.scenario) {
    case Scenario::Erase: return {ScreenWithKeyRequest(options.fields, round)};
    case Scenario::Same:
    case Scenario::Other: return {"I", ShapedScreen(ShapeOfRound(options.scenario, round), options.fields, round)};
    case Scenario::Value:
      return {ScreenBuilder().Text(kUpdatedFieldId, "V" + std::to_string(round)).SendFields(5).RecordData()};
  }
  return {};
}

// Sends the records in one write (a second write would wait for the acknowledgement of the first) and
// waits for the key response; false when none came.
bool SendAndAwaitKey(TestHost& host, const std::vector<std::string>& records) {
  std::string bytes;
  for (const std::string& record : records) bytes += record + kRecordEnd;
  if (!host.SendRaw(bytes)) return false;
  while (auto reply = host.ReadRecord(Millis(10000))) {
    if (reply->body.rfind("RF", 0) == 0) return true;
  }
  return false;
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
    std::fprintf(stderr,
                 "usage: round_trip_host [--port P] [--count N] [--fields F] [--scenario erase|same|other|value]\n");
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
  // The value-only updates change a screen that is already there.
  if (options.scenario == Scenario::Value && !SendAndAwaitKey(host, {"I", ShapedScreen(0, options.fields, 0)})) {
    std::fprintf(stderr, "round_trip_host: no key response to the first screen\n");
    return 1;
  }
  // Two screens untimed: the terminal has then seen both shapes of the scenario.
  constexpr int kWarmUpRounds = 2;
  std::vector<double> times;
  for (int round = 0; round < kWarmUpRounds + options.count; ++round) {
    const std::vector<std::string> records = RoundRecords(options, round);
    const auto sent = Clock::now();
    if (!SendAndAwaitKey(host, records)) {
      std::fprintf(stderr, "round_trip_host: no key response to screen %d\n", round);
      return 1;
    }
    if (round >= kWarmUpRounds) times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
  }
  constexpr const char* kScenarioNames[] = {"erase", "same", "other", "value"};
  std::printf("%s: screens %zu of %d fields: median %.1f ms, p90 %.1f ms, min %.1f ms, max %.1f ms\n",
              kScenarioNames[static_cast<int>(options.scenario)], times.size(), options.fields, Percentile(times, 0.5),
              Percentile(times, 0.9), *std::min_element(times.begin(), times.end()),
              *std::max_element(times.begin(), times.end()));
  return 0;
}
