// The command language of the terminal without windows: one line in, data lines and a status out. It
// never blocks: a wait is left pending until its condition holds or its deadline passes, so that an
// event loop can drive many terminals on one thread.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class HeadlessTerminal;

struct Reply {
  std::vector<std::string> data;
  std::string status = "ok";  // "ok" or "error: <reason>"
  bool quit = false;          // the command asked the process to end
  bool drop = false;          // the command asked for the connection to be cut (its owner cuts it)

  bool Ok() const { return status == "ok"; }
};

// "data: " lines, then the status line; every line ends with '\n'.
std::string FormatReply(const Reply& reply);

// Empty lines and comments (first character '#') are no commands.
bool IsCommandLine(std::string_view line);

// Turns "\r", "\n", "\t", "\xHH" and "\\" into their bytes; false on any other backslash.
bool Unescape(std::string_view text, std::string& bytes);

// One command line, parsed and checked as far as that can be done without a terminal.
struct Command {
  enum class Kind {
    Wait,
    WaitConnected,
    Screen,
    Fields,
    Status,
    Expect,
    Type,
    Key,
    Focus,
    Tap,
    Scan,
    Answer,
    Cancel,
    Ok,
    Drop,
    Quit
  };
  // What an expect checks.
  enum class Check { OnScreen, NotOnScreen, FieldIs, FieldMatches, RowMatches, Message, Prompt };

  Kind kind = Kind::Screen;
  Check check = Check::OnScreen;
  std::string text;  // the text typed, answered, expected or matched; a key's name; scan bytes
  int number = 0;    // a field id (focus, tap, expect field) or a row (expect row)
  double seconds = 0;
  std::shared_ptr<const std::regex> pattern;  // expect ... ~ PATTERN
};

// The command of a line (its trailing CR dropped); none, with the reason, when it is no command.
std::optional<Command> ParseCommand(std::string_view line, std::string& why);

// The lines of a script file; false, with the reason, when it is a folder or cannot be read.
bool ReadScriptFile(const std::string& path, std::vector<std::string>& lines, std::string& why);

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
  struct Wait {
    Command::Kind until = Command::Kind::Wait;
    TimePoint deadline;
  };

  std::optional<Reply> Run(const Command& command, TimePoint now);
  // Empty when the expected holds, else why not.
  std::string Expect(const Command& command) const;
  bool Holds(Command::Kind until) const;

  HeadlessTerminal& terminal_;
  std::optional<Wait> pending_;
};

}  // namespace vantor
