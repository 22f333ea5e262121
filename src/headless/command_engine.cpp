// Parsing and running the command language over one terminal without windows.
#include "headless/command_engine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "headless/headless_terminal.h"
#include "headless/screen_text.h"
#include "platform/codepage.h"

namespace vantor {

namespace {

constexpr double kDefaultWaitSeconds = 10;
constexpr double kLongestWaitSeconds = 24 * 3600;

Reply Error(std::string reason) {
  Reply reply;
  reply.status = "error: " + std::move(reason);
  return reply;
}

Reply Done(const std::string& why) { return why.empty() ? Reply{} : Error(why); }

// Seconds as digits with an optional fraction ("2", "0.25"), at most a day; none otherwise.
std::optional<double> ParseSeconds(std::string_view text) {
  if (text.empty() || text.size() > 16) return std::nullopt;
  double value = 0, scale = 1;
  bool point = false, digits = false;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      digits = true;
      if (point) {
        scale /= 10;
        value += (c - '0') * scale;
      } else {
        value = value * 10 + (c - '0');
      }
    } else {
      return std::nullopt;
    }
  }
  if (!digits || value > kLongestWaitSeconds) return std::nullopt;
  return value;
}

// A field id: an optional minus and up to five digits.
std::optional<int> ParseId(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 5) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<Command> Refuse(std::string& why, std::string reason) {
  why = std::move(reason);
  return std::nullopt;
}

// "[connected] [SECONDS]" after wait.
std::optional<Command> ParseWait(std::string_view argument, std::string& why) {
  Command command;
  command.kind = Command::Kind::Wait;
  if (argument == "connected" || argument.starts_with("connected ")) {
    command.kind = Command::Kind::WaitConnected;
    argument.remove_prefix(argument.size() > 9 ? 10 : 9);
  }
  command.seconds = kDefaultWaitSeconds;
  if (argument.empty()) return command;
  const std::optional<double> seconds = ParseSeconds(argument);
  if (!seconds) return Refuse(why, "not a number of seconds: \"" + std::string(argument) + "\"");
  command.seconds = *seconds;
  return command;
}

// What follows expect: TEXT, or a keyword (text, no, field, row, message, prompt) and its arguments.
std::optional<Command> ParseExpect(std::string_view argument, std::string& why) {
  using Check = Command::Check;
  Command command;
  command.kind = Command::Kind::Expect;
  command.text = argument;
  std::string_view rest;
  const auto keyword = [&](std::string_view word) {
    if (!argument.starts_with(word) || (argument.size() > word.size() && argument[word.size()] != ' ')) return false;
    rest = argument.substr(std::min(argument.size(), word.size() + 1));
    return true;
  };
  if (keyword("text") || keyword("no")) {
    if (rest.empty())
      return Refuse(why, "expect " + std::string(argument.substr(0, argument.find(' '))) + " needs a text");
    command.check = argument[0] == 'n' ? Check::NotOnScreen : Check::OnScreen;
    command.text = rest;
  } else if (keyword("message") || keyword("prompt")) {
    command.check = argument[0] == 'm' ? Check::Message : Check::Prompt;
    command.text = rest;
  } else if (keyword("field") || keyword("row")) {
    const bool field = argument[0] == 'f';
    const std::string usage = field ? "expect field takes ID = TEXT or ID ~ PATTERN" : "expect row takes N ~ PATTERN";
    const std::size_t space = rest.find(' ');
    const std::optional<int> number = ParseId(rest.substr(0, space));
    const std::string_view check = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    if (!number || (!field && *number < 0)) return Refuse(why, usage);
    command.number = *number;
    if (field && (check == "=" || check.starts_with("= "))) {
      command.check = Check::FieldIs;
      command.text = check.substr(std::min<std::size_t>(2, check.size()));
      return command;
    }
    if (!check.starts_with("~ ") || check.size() == 2) return Refuse(why, usage);
    command.check = field ? Check::FieldMatches : Check::RowMatches;
    command.text = check.substr(2);
    try {
      command.pattern = std::make_shared<const std::regex>(command.text);
    } catch (const std::regex_error&) {
      return Refuse(why, "not a regular expression: \"" + command.text + "\"");
    }
  }
  return command;
}

}  // namespace

std::string FormatReply(const Reply& reply) {
  std::string out;
  for (const std::string& line : reply.data) out += "data: " + line + "\n";
  return out + reply.status + "\n";
}

bool IsCommandLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return !line.empty() && line[0] != '#';
}

bool Unescape(std::string_view text, std::string& bytes) {
  bytes.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case 'r': bytes += '\r'; break;
      case 'n': bytes += '\n'; break;
      case 't': bytes += '\t'; break;
      case '\\': bytes += '\\'; break;
      case 'x': {
        const int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

std::optional<Command> ParseCommand(std::string_view line, std::string& why) {
  using Kind = Command::Kind;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::size_t space = line.find(' ');
  const std::string_view name = line.substr(0, space);
  const bool hasArgument = space != std::string_view::npos;
  const std::string_view argument = hasArgument ? line.substr(space + 1) : std::string_view();
  const auto refuse = [&why](std::string reason) { return Refuse(why, std::move(reason)); };
  Command command;
  command.text = argument;
  if (name == "wait") return ParseWait(argument, why);
  static constexpr std::array<std::pair<std::string_view, Kind>, 7> kBare{{{"screen", Kind::Screen},
                                                                           {"fields", Kind::Fields},
                                                                           {"status", Kind::Status},
                                                                           {"cancel", Kind::Cancel},
                                                                           {"ok", Kind::Ok},
                                                                           {"drop", Kind::Drop},
                                                                           {"quit", Kind::Quit}}};
  for (const auto& [bare, kind] : kBare) {
    if (name != bare) continue;
    if (hasArgument) return refuse(std::string(name) + " takes no argument");
    command.kind = kind;
    return command;
  }
  if (name == "answer") {
    command.kind = Kind::Answer;
    return command;
  }
  static constexpr std::array<std::pair<std::string_view, Kind>, 6> kWithArgument{{{"type", Kind::Type},
                                                                                   {"key", Kind::Key},
                                                                                   {"focus", Kind::Focus},
                                                                                   {"tap", Kind::Tap},
                                                                                   {"scan", Kind::Scan},
                                                                                   {"expect", Kind::Expect}}};
  const auto found =
      std::find_if(kWithArgument.begin(), kWithArgument.end(), [&](const auto& entry) { return entry.first == name; });
  if (found == kWithArgument.end()) return refuse("unknown command \"" + std::string(name) + "\"");
  if (argument.empty()) return refuse(std::string(name) + " needs an argument");
  command.kind = found->second;
  switch (command.kind) {
    case Kind::Key:
      if (!ParseKeyName(argument)) return refuse("unknown key \"" + std::string(argument) + "\"");
      break;
    case Kind::Focus:
    case Kind::Tap: {
      const std::optional<int> id = ParseId(argument);
      if (!id) return refuse("not a field id: \"" + std::string(argument) + "\"");
      command.number = *id;
      break;
    }
    case Kind::Scan:
      if (!Unescape(argument, command.text)) return refuse("bad escape in scan data (\\r \\n \\t \\xHH \\\\)");
      break;
    case Kind::Expect: return ParseExpect(argument, why);
    default: break;
  }
  return command;
}

bool ReadScriptFile(const std::string& path, std::vector<std::string>& lines, std::string& why) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    why = path + " is a folder, not a script";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  lines.clear();
  for (std::string line; in && std::getline(in, line);) lines.push_back(line);
  if (!in.is_open() || in.bad()) {
    why = "cannot read the script " + path;
    return false;
  }
  return true;
}

std::optional<Reply> CommandEngine::Start(std::string_view line, TimePoint now) {
  if (pending_) return Error("a wait is pending");
  std::string why;
  const std::optional<Command> command = ParseCommand(line, why);
  if (!command) return Error(why);
  return Run(*command, now);
}

std::optional<Reply> CommandEngine::Run(const Command& command, TimePoint now) {
  using Kind = Command::Kind;
  Operator& hands = terminal_.Hands();
  const auto text = [&] { return DecodeText(command.text, CodePage::Utf8); };
  Reply reply;
  switch (command.kind) {
    case Kind::Wait:
    case Kind::WaitConnected: {
      const auto span = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          std::chrono::duration<double>(std::ceil(command.seconds * 1000) / 1000));
      pending_ = Wait{command.kind, now + span};
      return Poll(now);
    }
    case Kind::Screen: reply.data = ScreenLines(terminal_); break;
    case Kind::Fields: reply.data = FieldLines(terminal_); break;
    case Kind::Status: reply.data = {StatusLine(terminal_)}; break;
    case Kind::Expect: {
      const std::string why = Expect(command);
      if (why.empty()) break;
      reply = Error(why);
      reply.data = ScreenLines(terminal_);  // what the screen showed instead
      break;
    }
    case Kind::Type: reply = Done(hands.Type(text())); break;
    case Kind::Key: reply = Done(hands.Key(command.text)); break;
    case Kind::Focus: reply = Done(hands.Focus(command.number)); break;
    case Kind::Tap: reply = Done(hands.Tap(command.number)); break;
    case Kind::Scan: reply = Done(hands.Scan(command.text)); break;
    case Kind::Answer: reply = Done(hands.Answer(text())); break;
    case Kind::Cancel: reply = Done(hands.Cancel()); break;
    case Kind::Ok: reply = Done(hands.Ok()); break;
    case Kind::Drop:
      if (!terminal_.Connected()) return Error("not connected");
      reply.drop = true;
      break;
    case Kind::Quit: reply.quit = true; break;
  }
  return reply;
}

std::string CommandEngine::Expect(const Command& command) const {
  using Check = Command::Check;
  const auto quoted = [](std::string_view text) { return "\"" + std::string(text) + "\""; };
  const auto pattern = [&] { return "/" + command.text + "/"; };
  switch (command.check) {
    case Check::OnScreen:
    case Check::NotOnScreen: {
      const std::vector<std::string> lines = ScreenLines(terminal_);
      for (std::size_t row = 0; row < lines.size(); ++row) {
        if (lines[row].find(command.text) == std::string::npos) continue;
        if (command.check == Check::OnScreen) return {};
        return "on the screen at row " + std::to_string(row) + ": " + quoted(command.text);
      }
      return command.check == Check::OnScreen ? "not on the screen: " + quoted(command.text) : std::string();
    }
    case Check::FieldIs:
    case Check::FieldMatches: {
      const std::string name = "field " + std::to_string(command.number);
      const std::optional<std::string> value = FieldText(terminal_, command.number);
      if (!value) return "no " + name + " on the page";
      if (command.check == Check::FieldIs)
        return *value == command.text ? std::string()
                                      : name + " is " + quoted(*value) + ", not " + quoted(command.text);
      if (std::regex_search(*value, *command.pattern)) return {};
      return name + " is " + quoted(*value) + ", which does not match " + pattern();
    }
    case Check::RowMatches: {
      const std::vector<std::string> lines = ScreenLines(terminal_);
      const auto row = static_cast<std::size_t>(command.number);
      if (row >= lines.size())
        return "no row " + std::to_string(row) + " (the screen has " + std::to_string(lines.size()) + ")";
      if (std::regex_search(lines[row], *command.pattern)) return {};
      return "row " + std::to_string(row) + " does not match " + pattern();
    }
    case Check::Message:
    case Check::Prompt: {
      const bool prompt = command.check == Check::Prompt;
      const std::string what = prompt ? "host prompt" : "host message";
      const std::vector<OpenDialog>& dialogs = terminal_.View().Dialogs();
      if (dialogs.empty() || (dialogs.back().kind == DialogKind::Prompt) != prompt) return "no " + what + " is open";
      const std::string shown = EncodeText(terminal_.Engine().GetScreen().MessageShown(), CodePage::Utf8);
      if (shown.find(command.text) != std::string::npos) return {};
      return "the " + what + " is " + quoted(shown) + ", without " + quoted(command.text);
    }
  }
  return {};
}

bool CommandEngine::Holds(Command::Kind until) const {
  return until == Command::Kind::WaitConnected ? terminal_.Connected() : terminal_.View().KeyboardReady();
}

std::optional<Reply> CommandEngine::Poll(TimePoint now) {
  if (!pending_) return std::nullopt;
  if (Holds(pending_->until)) {
    pending_.reset();
    return Reply{};
  }
  if (now < pending_->deadline) return std::nullopt;
  pending_.reset();
  return Error("timeout");
}

std::optional<CommandEngine::TimePoint> CommandEngine::Deadline() const {
  if (!pending_) return std::nullopt;
  return pending_->deadline;
}

}  // namespace vantor
