// What the proxy and the replay share: addresses from the command line, the trace's output, the clock.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace vantor::trace {

// "[ADDR:]PORT" or "HOST:PORT" split; none when the port is no number in 0..65535 or a host is missing.
struct Endpoint {
  std::string host;
  std::uint16_t port = 0;
};
std::optional<Endpoint> ParseEndpoint(const std::string& text, bool hostRequired);

// Microseconds since the object was made: the capture's times.
class Stopwatch {
 public:
  std::uint64_t Micros() const {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count());
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace vantor::trace
