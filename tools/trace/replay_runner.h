// The replay on a socket: one terminal connects, the recorded host chunks go to it in order, each once
// the terminal has answered what it answered in the recording.
#pragma once

#include <chrono>
#include <ostream>
#include <vector>

#include "network.h"
#include "trace/replay.h"

namespace vantor::trace {

struct ReplaySettings {
  Endpoint listen;
  std::chrono::milliseconds recordTimeout{5000};    // for each terminal record
  std::chrono::milliseconds connectTimeout{60000};  // for the terminal to connect
  std::chrono::milliseconds quiet{300};             // after the last step, for records beyond the recording
};

// Prints the listening address on `status`, the differences and a summary on `report`. Returns the exit
// code: 0 no difference, 1 differences, 2 when it could not listen (the reason on `status`).
int RunReplay(std::vector<ReplayStep> script, const ReplaySettings& settings, std::ostream& report,
              std::ostream& status);

}  // namespace vantor::trace
