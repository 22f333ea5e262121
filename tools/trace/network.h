// What the proxy and the replay share: addresses from the command line, the clock.
#pragma once

#include <chrono>
#include <cstdint>

#include "host_port.h"

namespace vantor::trace {

// "[ADDR:]PORT" or "HOST:PORT" as tools::ParseHostPort reads them.
using Endpoint = tools::HostPort;

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
