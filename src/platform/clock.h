// The wall clock, behind an interface so that tests can set the time.
#pragma once

namespace vantor {

struct LocalDateTime {
  int year = 0, month = 1, day = 1;  // month 1..12
  int hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds field (0..59) of the current UTC time.
  virtual int UtcSecond() const = 0;
  virtual LocalDateTime LocalNow() const = 0;
};

// The real clock; lives for the whole process.
const Clock& SystemClock();

}  // namespace vantor
