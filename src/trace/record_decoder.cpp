// Record decoding: the terminal's records as the response reader reads them, the host's records through
// a shadow terminal whose interpreter reports every command and argument it reads.
#include "trace/record_decoder.h"

#include <cstdint>

#include "interpreter/command_args.h"
#include "interpreter/interpreter.h"
#include "interpreter/null_view.h"
#include "session/responses.h"
#include "session/terminal.h"
#include "session/wire_format.h"
#include "settings/settings.h"
#include "trace/trace_text.h"

namespace vantor::trace {

namespace {

constexpr std::string_view kCut = " (cut: the record ends here)";

std::string FieldText(int field) { return field == -1 ? "none" : std::to_string(field); }

// Where reading stopped short, and why.
std::string Problem(const TerminalRecord& read) {
  switch (read.problem) {
    case ReadProblem::None: return {};
    case ReadProblem::Cut:
    case ReadProblem::TextCut: return std::string(kCut);
    case ReadProblem::NotAFieldItem: return " rest: " + Hex(read.rest) + " (a field item begins with '=')";
    case ReadProblem::BadLength: return " rest: " + Hex(read.rest) + " (a length below 0)";
    case ReadProblem::LeftOver: return " rest: " + Hex(read.rest) + " (after the end of the response)";
  }
  return {};
}

// A text, when its length could be read.
std::string TextPart(const TerminalRecord& read, std::string_view name) {
  if (read.problem == ReadProblem::Cut || read.problem == ReadProblem::BadLength) return {};
  return " " + std::string(name) + "=" + Quoted(read.text);
}

std::string Head(const TerminalRecord& read) {
  using Kind = TerminalRecordKind;
  switch (read.kind) {
    case Kind::Empty: return "bare terminator";
    case Kind::Identify: return "I identification";
    case Kind::ScreenReceived: return "H screen received";
    case Kind::Goodbye: return "& goodbye";
    case Kind::Key:
    case Kind::FieldChange: {
      std::string out = read.kind == Kind::Key ? "RF" : "R%";
      if (read.functionCode) out += " key=" + KeyText(*read.functionCode);
      if (read.focusField) out += " focus=" + FieldText(*read.focusField);
      for (const ReportedField& field : read.fields) {
        out += " field=" + FieldText(field.field) + " text=" + Quoted(field.text);
      }
      if (read.problem == ReadProblem::Cut && read.focusField) out += " field item";
      return out + Problem(read);
    }
    case Kind::PromptReply: return "R?" + TextPart(read, "reply") + Problem(read);
    case Kind::SerialInput: return "R<1" + TextPart(read, "data") + Problem(read);
    case Kind::Status:
      return "R! columns=" + std::to_string(read.columns) + " rows=" + std::to_string(read.rows) +
             " stamp=" + std::to_string(read.stamp);
    case Kind::Unknown: break;
  }
  return "unknown: " + Hex(read.rest) + " (not a terminal record)";
}

// The shadow's answers go nowhere: the real terminal's are in the other direction of the trace.
class DroppedRecords final : public RecordSender {
 public:
  bool SendRecord(int, std::string_view) override { return true; }
};

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  while (!text.empty()) {
    const std::size_t blank = text.find(' ');
    words.push_back(text.substr(0, blank));
    text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
  }
  return words;
}

// Builds one line per command from the interpreter's reports, and one per run of passed-over bytes.
class CommandLines final : public ArgObserver {
 public:
  CommandLines(const std::uint8_t* terminator, std::vector<std::string>& lines)
      : terminator_(terminator), lines_(lines) {}

  void Command(const std::uint8_t* at, bool handled) override {
    EndCommand();
    if (!handled) {
      // The terminator is passed over at the end of every record: not worth a line.
      if (at < terminator_) passed_ += static_cast<char>(*at);
      return;
    }
    EndPassed();
    letter_ = *at;
    open_ = true;
    cut_ = false;
    reads_.clear();
  }

  void Read(ArgRead kind, long value, std::string_view bytes) override {
    if (!open_) return;
    std::size_t needed = 1;
    if (kind == ArgRead::Long && !bytes.empty() && bytes[0] == '!') needed = 3;
    if (kind == ArgRead::Bytes || kind == ArgRead::Skip) needed = value > 0 ? static_cast<std::size_t>(value) : 0;
    const auto* last = reinterpret_cast<const std::uint8_t*>(bytes.data()) + bytes.size();
    if (bytes.size() < needed || last > terminator_) cut_ = true;
    reads_.push_back({kind, value, std::string(bytes)});
  }

  void Finish() {
    EndCommand();
    EndPassed();
  }

 private:
  struct Seen {
    ArgRead kind;
    long value;
    std::string bytes;
  };

  static bool IsPayload(const Seen& read) { return read.kind == ArgRead::Bytes || read.kind == ArgRead::Skip; }

  static std::string Value(const Seen& read, std::string_view name) {
    switch (read.kind) {
      case ArgRead::Raw: return ByteText(static_cast<unsigned char>(read.value));
      case ArgRead::Short:
      case ArgRead::Long: return name == "key" ? KeyText(static_cast<int>(read.value)) : std::to_string(read.value);
      default: return Quoted(read.bytes);
    }
  }

  // A field option's value: plain when it is a few printable bytes.
  static std::string OptionValue(const Seen& read) {
    if (!IsPayload(read)) return Value(read, {});
    for (const char c : read.bytes) {
      if (c <= ' ' || c >= 0x7F || c == '"' || c == '\\') return Quoted(read.bytes);
    }
    return read.bytes;
  }

  void EndCommand() {
    if (!open_) return;
    open_ = false;
    const CommandDescription* description = DescribeCommand(letter_);
    const std::vector<std::string_view> names = Words(description != nullptr ? description->arguments : "");
    std::string line = "    " + std::string(1, static_cast<char>(letter_));
    for (std::size_t i = 0; i < reads_.size(); ++i) {
      const Seen& read = reads_[i];
      if (i < names.size()) {
        // A length is shown only when the payload after it does not tell it.
        const bool told = names[i] == "len" && i + 1 < reads_.size() && IsPayload(reads_[i + 1]) &&
                          reads_[i + 1].value == read.value &&
                          reads_[i + 1].bytes.size() == static_cast<std::size_t>(read.value);
        if (!told) line += " " + std::string(names[i]) + "=" + Value(read, names[i]);
      } else if (read.kind == ArgRead::Skip && read.bytes == "@") {
        line += " @";  // the options of w: '@', the option letter and its value
      } else if (read.kind == ArgRead::Raw && line.back() == '@') {
        const auto byte = static_cast<unsigned char>(read.value);
        line += byte > ' ' && byte < 0x7F ? std::string(1, static_cast<char>(byte)) : ByteText(byte);
      } else {
        line += "=" + OptionValue(read);
      }
    }
    if (cut_) line += "  (cut: the record ends inside this command)";
    lines_.push_back(std::move(line));
  }

  void EndPassed() {
    if (passed_.empty()) return;
    lines_.push_back("    passed over (no command): " + Hex(passed_));
    passed_.clear();
  }

  const std::uint8_t* terminator_;
  std::vector<std::string>& lines_;
  bool open_ = false;
  bool cut_ = false;
  std::uint8_t letter_ = 0;
  std::vector<Seen> reads_;
  std::string passed_;
};

}  // namespace

DecodedRecord DecodeTerminalRecord(std::string_view record) {
  const TerminalRecord read = ReadTerminalRecord(record);
  return {read.terminalId, Head(read), {}};
}

struct HostRecordDecoder::Shadow {
  Settings settings;
  NullView view;
  DroppedRecords sender;
  Terminal terminal{settings, view, sender};
};

HostRecordDecoder::HostRecordDecoder() : shadow_(std::make_unique<Shadow>()) {}

HostRecordDecoder::~HostRecordDecoder() = default;

DecodedRecord HostRecordDecoder::Decode(RecordBytes record) {
  DecodedRecord out;
  const std::uint8_t* data = record.data();
  const std::size_t size = record.size();
  const bool terminated = size >= kTerminator.size() && TerminatorAt(data + size - kTerminator.size(), data + size);
  const std::size_t ending = terminated ? size - kTerminator.size() : size;
  // The record types as the dispatcher scans them (DispatchRecord); what it passes over is listed.
  std::string passed;
  bool screen = false;
  for (std::size_t at = 0; at < size && !screen;) {
    const std::uint8_t byte = data[at];
    const std::string kind = byte == 'A' ? "A identify" : byte == 'H' ? "H screen" : byte == 'I' ? "I reset" : "";
    if (TerminatorAt(data + at, data + size)) {
      out.head += out.head.empty() ? "bare terminator" : ", bare terminator";
    } else if (!kind.empty()) {
      out.head += (out.head.empty() ? "" : ", ") + kind;
      if (byte == 'A' && at + 1 < ending) passed += static_cast<char>(data[at + 1]);  // not looked at
      screen = byte == 'H';
    } else if (at < ending) {
      passed += static_cast<char>(byte);
    }
    at += byte == 'A' ? 2 : 1;
  }
  if (out.head.empty()) out.head = "passed over";
  if (!passed.empty()) out.lines.push_back("    passed over (no record type): " + Hex(passed));
  if (!screen) {
    shadow_->terminal.ReceiveRecord(record);
    return out;
  }
  CommandLines commands(data + ending, out.lines);
  shadow_->terminal.ReceiveRecord(record, commands);
  commands.Finish();
  return out;
}

}  // namespace vantor::trace
