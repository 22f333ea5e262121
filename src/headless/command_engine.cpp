// Parsing and running the command language over one terminal without windows.
#include "headless/command_engine.h"

#include <cmath>

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

std::optional<Reply> CommandEngine::Start(std::string_view line, TimePoint now) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (pending_) return Error("a wait is pending");
  const std::size_t space = line.find(' ');
  const std::string_view command = line.substr(0, space);
  const bool hasArgument = space != std::string_view::npos;
  const std::string_view argument = hasArgument ? line.substr(space + 1) : std::string_view();
  return Run(command, argument, hasArgument, now);
}

std::optional<Reply> CommandEngine::Run(std::string_view command, std::string_view argument, bool hasArgument,
                                        TimePoint now) {
  Operator& hands = terminal_.Hands();
  const auto text = [&] { return DecodeText(argument, CodePage::Utf8); };
  if (command == "wait") return StartWait(argument, now);
  if (command == "screen" || command == "fields" || command == "status" || command == "cancel" || command == "ok" ||
      command == "quit") {
    if (hasArgument) return Error(std::string(command) + " takes no argument");
    Reply reply;
    if (command == "screen") reply.data = ScreenLines(terminal_);
    if (command == "fields") reply.data = FieldLines(terminal_);
    if (command == "status") reply.data = {StatusLine(terminal_)};
    if (command == "cancel") reply = Done(hands.Cancel());
    if (command == "ok") reply = Done(hands.Ok());
    reply.quit = command == "quit";
    return reply;
  }
  if (command == "answer") return Done(hands.Answer(text()));
  if (!hasArgument || argument.empty()) {
    if (command == "type" || command == "key" || command == "focus" || command == "tap" || command == "scan" ||
        command == "expect") {
      return Error(std::string(command) + " needs an argument");
    }
    return Error("unknown command \"" + std::string(command) + "\"");
  }
  if (command == "type") return Done(hands.Type(text()));
  if (command == "expect") {
    for (const std::string& line : ScreenLines(terminal_)) {
      if (line.find(argument) != std::string::npos) return Reply{};
    }
    return Error("not on the screen: \"" + std::string(argument) + "\"");
  }
  if (command == "key") return Done(hands.Key(argument));
  if (command == "focus" || command == "tap") {
    const std::optional<int> id = ParseId(argument);
    if (!id) return Error("not a field id: \"" + std::string(argument) + "\"");
    return Done(command == "focus" ? hands.Focus(*id) : hands.Tap(*id));
  }
  if (command == "scan") {
    std::string bytes;
    if (!Unescape(argument, bytes)) return Error("bad escape in scan data (\\r \\n \\t \\xHH \\\\)");
    return Done(hands.Scan(bytes));
  }
  return Error("unknown command \"" + std::string(command) + "\"");
}

std::optional<Reply> CommandEngine::StartWait(std::string_view argument, TimePoint now) {
  Until until = Until::Ready;
  if (argument == "connected" || argument.starts_with("connected ")) {
    until = Until::Connected;
    argument.remove_prefix(argument.size() > 9 ? 10 : 9);
  }
  double seconds = kDefaultWaitSeconds;
  if (!argument.empty()) {
    const std::optional<double> parsed = ParseSeconds(argument);
    if (!parsed) return Error("not a number of seconds: \"" + std::string(argument) + "\"");
    seconds = *parsed;
  }
  const auto span = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(std::ceil(seconds * 1000) / 1000));
  pending_ = Wait{until, now + span};
  return Poll(now);
}

bool CommandEngine::Holds(Until until) const {
  return until == Until::Connected ? terminal_.Connected() : terminal_.View().InputEnabled();
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
