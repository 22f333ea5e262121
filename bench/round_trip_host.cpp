// A host that times the terminal's answer to a screen record ending in W: from sending the record to
// the key response's arrival (the "H" echo comes first), as a host application feels it.
//
//   round_trip_host [--port P] [--count N] [--fields F] [--scenario erase|same|other|value] [--tls CERT KEY]
//
// Listens on 127.0.0.1:P (0: any free port, printed), waits up to a minute for one terminal, then sends
// N screens of F fields each, after two untimed ones, as the scenario says (round_trip_screens.h; erase
// by default: the page erased, entry fields defined and filled, the page shown, W) and prints the
// median, 90th percentile, minimum and maximum in milliseconds. With --tls the terminal speaks TLS to
// it, the host presenting the certificate (PEM) with its key, and the handshake's time is printed too.
// The host's socket is a plain one: it acknowledges as its system does (no forced immediate ACKs).
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <asio.hpp>

#include "asio_tls.h"
#include "round_trip_screens.h"
#include "screen_builder.h"
#include "session/record_assembler.h"
#include "session/wire_format.h"

namespace {

using namespace vantor;
using namespace vantor::host_records;
using namespace vantor::bench;
using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

struct Options {
  int port = 0;
  int count = 100;
  int fields = 60;
  Scenario scenario = Scenario::Erase;
  std::string certificate, key;  // TLS when given
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
    } else if (std::strcmp(argv[i], "--tls") == 0 && i + 2 < argc) {
      options.certificate = value;
      options.key = argv[i + 2];
      ++i;
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
  return screen.ShowPage(0).SendFields(5).Wire();
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
  return screen.ShowPage(0).SendFields(5).Wire();
}

// The records of screen `round`, in the order they are sent.
std::vector<std::string> RoundRecords(const Options& options, int round) {
  switch (options.scenario) {
    case Scenario::Erase: return {ScreenWithKeyRequest(options.fields, round)};
    case Scenario::Same:
    case Scenario::Other:
      return {ScreenBuilder().Raw("I").Wire(),
              ShapedScreen(ShapeOfRound(options.scenario, round), options.fields, round)};
    case Scenario::Value:
      return {ScreenBuilder().Text(kUpdatedFieldId, "V" + std::to_string(round)).SendFields(5).Wire()};
  }
  return {};
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(std::lround(p * static_cast<double>(values.size() - 1)));
  return values[std::min(at, values.size() - 1)];
}

// Runs one asynchronous step to its end within the time-out; its error (timed_out when it did not end).
template <typename Start>
std::error_code Step(asio::io_context& io, Millis timeout, Start start) {
  std::optional<std::error_code> result;
  start([&result](const std::error_code& error, auto&&...) { result = error; });
  io.restart();
  io.run_for(timeout);
  return result.value_or(asio::error::timed_out);
}

// One terminal's records, as the host reads them, over a socket or a TLS stream.
template <typename Stream>
class Terminal {
 public:
  Terminal(asio::io_context& io, Stream& stream) : io_(io), stream_(stream) {}

  // The next record's body (terminal id and terminator cut off); none when none came in time.
  std::optional<std::string> NextRecord(Millis timeout) {
    const auto deadline = Clock::now() + timeout;
    while (ready_.empty() && Clock::now() < deadline) {
      std::size_t got = 0;
      const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
      if (Step(io_, left, [&](auto done) {
            stream_.async_read_some(asio::buffer(buffer_), [&got, done](const std::error_code& error, std::size_t n) {
              got = n;
              done(error);
            });
          }))
        return std::nullopt;
      assembler_.Feed(RecordBytes(buffer_.data(), got), [this](RecordBytes record) {
        std::string body(record.begin(), record.end() - 2);
        ready_.push_back(body.substr(std::min(body.find_first_not_of("0123456789"), body.size())));
      });
    }
    if (ready_.empty()) return std::nullopt;
    std::string record = std::move(ready_.front());
    ready_.pop_front();
    return record;
  }

  bool Send(const std::string& bytes) {
    return !Step(io_, Millis(10000), [&](auto done) { asio::async_write(stream_, asio::buffer(bytes), done); });
  }

 private:
  asio::io_context& io_;
  Stream& stream_;
  RecordAssembler assembler_;
  std::deque<std::string> ready_;
  std::array<std::uint8_t, 8192> buffer_{};
};

// Sends the records in one write (a second write would wait for the acknowledgement of the first) and
// waits for the key response; false when none came.
template <typename Stream>
bool SendAndAwaitKey(Terminal<Stream>& terminal, const std::vector<std::string>& records) {
  std::string bytes;
  for (const std::string& record : records) bytes += record;
  if (!terminal.Send(bytes)) return false;
  while (auto reply = terminal.NextRecord(Millis(10000))) {
    if (reply->rfind("RF", 0) == 0) return true;
  }
  return false;
}

template <typename Stream>
int TimeRoundTrips(asio::io_context& io, Stream& stream, const Options& options) {
  Terminal<Stream> terminal(io, stream);
  if (!terminal.NextRecord(Millis(10000))) {
    std::fprintf(stderr, "round_trip_host: no terminal identified itself\n");
    return 1;
  }
  // The value-only updates change a screen that is already there.
  if (options.scenario == Scenario::Value &&
      !SendAndAwaitKey(terminal, {ScreenBuilder().Raw("I").Wire(), ShapedScreen(0, options.fields, 0)})) {
    std::fprintf(stderr, "round_trip_host: no key response to the first screen\n");
    return 1;
  }
  // Two screens untimed: the terminal has then seen both shapes of the scenario.
  constexpr int kWarmUpRounds = 2;
  std::vector<double> times;
  for (int round = 0; round < kWarmUpRounds + options.count; ++round) {
    const std::vector<std::string> records = RoundRecords(options, round);
    const auto sent = Clock::now();
    if (!SendAndAwaitKey(terminal, records)) {
      std::fprintf(stderr, "round_trip_host: no key response to screen %d\n", round);
      return 1;
    }
    if (round >= kWarmUpRounds) times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
  }
  constexpr const char* kScenarioNames[] = {"erase", "same", "other", "value"};
  std::printf("%s: screens %zu of %d fields: median %.2f ms, p90 %.2f ms, min %.2f ms, max %.2f ms\n",
              kScenarioNames[static_cast<int>(options.scenario)], times.size(), options.fields, Percentile(times, 0.5),
              Percentile(times, 0.9), *std::min_element(times.begin(), times.end()),
              *std::max_element(times.begin(), times.end()));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: round_trip_host [--port P] [--count N] [--fields F] [--scenario erase|same|other|value] "
                 "[--tls CERT KEY]\n");
    return 2;
  }
  asio::io_context io;
  asio::ssl::context context(asio::ssl::context::tls_server);
  if (!options.certificate.empty()) {
    const std::string why = tools::ConfigureServer(context, options.certificate, options.key);
    if (!why.empty()) {
      std::fprintf(stderr, "round_trip_host: %s\n", why.c_str());
      return 2;
    }
  }
  asio::ip::tcp::acceptor acceptor(io);
  std::error_code failed;
  const asio::ip::tcp::endpoint endpoint(asio::ip::address_v4::loopback(), static_cast<std::uint16_t>(options.port));
  acceptor.open(endpoint.protocol(), failed);
  if (!failed) acceptor.bind(endpoint, failed);
  if (!failed) acceptor.listen(1, failed);
  if (failed) {
    std::fprintf(stderr, "round_trip_host: cannot listen on port %d\n", options.port);
    return 1;
  }
  std::printf("listening on 127.0.0.1:%u\n", static_cast<unsigned>(acceptor.local_endpoint().port()));
  std::fflush(stdout);
  asio::ip::tcp::socket socket(io);
  if (Step(io, Millis(60000), [&](auto done) { acceptor.async_accept(socket, done); })) {
    std::fprintf(stderr, "round_trip_host: no terminal connected\n");
    return 1;
  }
  if (options.certificate.empty()) return TimeRoundTrips(io, socket, options);
  tools::TlsSocket stream(std::move(socket), context);
  const auto accepted = Clock::now();
  if (const std::error_code error =
          Step(io, Millis(10000), [&](auto done) { stream.async_handshake(asio::ssl::stream_base::server, done); })) {
    std::fprintf(stderr, "round_trip_host: TLS handshake failed: %s\n", error.message().c_str());
    return 1;
  }
  std::printf("%s handshake %.2f ms\n", SSL_get_version(stream.native_handle()),
              std::chrono::duration<double, std::milli>(Clock::now() - accepted).count());
  return TimeRoundTrips(io, stream, options);
}
