// The real wall clock.
#include "platform/clock.h"

#include <ctime>

namespace vantor {

namespace {

class RealClock final : public Clock {
 public:
  int UtcSecond() const override {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &now);
#else
    gmtime_r(&now, &parts);
#endif
    return parts.tm_sec > 59 ? 59 : parts.tm_sec;
  }

  LocalDateTime LocalNow() const override {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &now);
#else
    localtime_r(&now, &parts);
#endif
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec > 59 ? 59 : parts.tm_sec};
  }
};

}  // namespace

const Clock& SystemClock() {
  static const RealClock clock;
  return clock;
}

}  // namespace vantor
