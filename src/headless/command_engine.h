// The command language of the terminal without windows: one line in, data lines and a status out. It
// never blocks: a wait is left pending until its condition holds or its deadline passes, so that an
// event loop can drive many terminals on one thread.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class HeadlessTerminal;

struct Reply {
  std::vector<std::string> data;
  std::string status = "ok";  // "ok" or "error: <reason>"
  bool quit = false;          // the command asked the process to end

  bool Ok() const { return status == "ok"; }
};

// "data: " lines, then the status line; every line ends with '\n'.
std::string FormatReply(const Reply& reply);

// Empty lines and comments (first character '#') are no commands.
bool IsCommandLine(std::string_view line);

// Turns "\r", "\n", "\t", "\xHH" and "\\" into their bytes; false on any other backslash.
bool Unescape(std::string_view text, std::string& bytes);

class CommandEngine {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  explicit CommandEngine(HeadlessTerminal& terminal) : terminal_(terminal) {}

  // Runs one line (its trailing CR is dropped). The reply when the command is done at once; none
  // while a wait is pending (then Poll finishes it). A line while a wait is pending is refused.
  std::optional<Reply> Start(std::string_view line, TimePoint now);
  // A pending wait's reply once its condition holds or at its deadline; none before.
  std::optional<Reply> Poll(TimePoint now);
  bool Pending() const { return pending_.has_value(); }
  // When a pending wait gives up.
  std::optional<TimePoint> Deadline() const;

 private:
  enum class Until { Ready, Connected };
  struct Wait {
    Until until = Until::Ready;
    TimePoint deadline;
  };

  std::optional<Reply> Run(std::string_view command, std::string_view argument, bool hasArgument, TimePoint now);
  std::optional<Reply> StartWait(std::string_view argument, TimePoint now);
  bool Holds(Until until) const;

  HeadlessTerminal& terminal_;
  std::optional<Wait> pending_;
};

}  // namespace vantor
