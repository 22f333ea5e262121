// Record decoding: the terminal's responses read field by field, the host's records through a shadow
// terminal whose interpreter reports every command and argument it reads.
#include "trace/record_decoder.h"

#include <cstdint>
#include <optional>

#include "interpreter/command_args.h"
#include "interpreter/interpreter.h"
#include "interpreter/null_view.h"
#include "session/terminal.h"
#include "settings/settings.h"
#include "trace/trace_text.h"

namespace vantor::trace {

namespace {

constexpr std::string_view kTerminator{"\xFF\xEF", 2};

// Reads a response body front to back; nothing is read past its end.
class BodyReader {
 public:
  BodyReader(std::string_view body, std::size_t at) : body_(body), at_(at) {}
  bool AtEnd() const { return at_ >= body_.size(); }
  std::optional<unsigned char> Byte() {
    if (AtEnd()) return std::nullopt;
    return static_cast<unsigned char>(body_[at_++]);
  }
  // A length as the terminal writes it: one byte + 48, or '!' hi lo.
  std::optional<long> Length() {
    const auto first = Byte();
    if (!first || *first != '!') return first ? std::optional<long>(*first - 48) : std::nullopt;
    const auto hi = Byte();
    const auto lo = Byte();
    if (!hi || !lo) return std::nullopt;
    return (*hi - 48) * 208L + (*lo - 48);
  }
  std::string_view Take(long n) {
    const std::string_view taken = body_.substr(at_, n > 0 ? static_cast<std::size_t>(n) : 0);
    at_ += taken.size();
    return taken;
  }
  std::string_view Rest() const { return AtEnd() ? std::string_view() : body_.substr(at_); }

 private:
  std::string_view body_;
  std::size_t at_;
};

std::string FieldByte(unsigned char byte) { return byte == '/' ? "none" : std::to_string(byte - 48); }

constexpr std::string_view kCut = " (cut: the record ends here)";

// A payload of `length` bytes, quoted; noted when the record holds fewer.
std::string Payload(BodyReader& reader, long length) {
  const std::string_view text = reader.Take(length);
  std::string out = Quoted(text);
  if (length < 0) out += " (bad length " + std::to_string(length) + ")";
  if (static_cast<long>(text.size()) < length) out += kCut;
  return out;
}

// Field items '=' field length text, up to the end of the body.
void AppendItems(BodyReader& reader, std::string& out) {
  while (!reader.AtEnd()) {
    if (reader.Rest()[0] != '=') {
      out += " rest: " + Hex(reader.Rest()) + " (a field item begins with '=')";
      return;
    }
    reader.Take(1);
    const auto field = reader.Byte();
    const auto length = reader.Length();
    if (!field || !length) {
      out += " field item" + std::string(kCut);
      return;
    }
    out += " field=" + FieldByte(*field) + " text=" + Payload(reader, *length);
  }
}

// Anything left after a response that should have ended.
void AppendLeftOver(const BodyReader& reader, std::string& out) {
  if (!reader.AtEnd()) out += " rest: " + Hex(reader.Rest()) + " (after the end of the response)";
}

std::string DecodeResponse(std::string_view body) {
  BodyReader reader(body, 2);
  const char kind = body[1];
  std::string out(body.substr(0, 2));
  if (kind == 'F' || kind == '%') {
    if (kind == 'F') {
      const auto code = reader.Byte();
      if (!code) return out + kCut.data();
      out += " key=" + KeyText(*code - 48);
    }
    const auto focus = reader.Byte();
    if (!focus) return out + kCut.data();
    out += " focus=" + FieldByte(*focus);
    AppendItems(reader, out);
    return out;
  }
  if (kind == '?') {
    const auto length = reader.Length();
    if (!length) return out + kCut.data();
    out += " reply=" + Payload(reader, *length);
    AppendLeftOver(reader, out);
    return out;
  }
  if (kind == '<' && body.size() >= 3 && body[2] == '1') {
    reader.Take(1);
    const auto length = reader.Byte();
    if (!length) return "R<1" + std::string(kCut);
    out = "R<1 data=" + Payload(reader, *length - 48);
    AppendLeftOver(reader, out);
    return out;
  }
  if (kind == '!' && body.size() == 10 &&
      body.substr(2, 4) ==
          "\x82"
          "210" &&
      body[8] == '@') {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(body[i]) - 48; };
    return out + " columns=" + std::to_string(byte(6) * 2) + " rows=" + std::to_string((byte(7) & 15) * 2) +
           " stamp=" + std::to_string(byte(9));
  }
  return "unknown: " + Hex(body) + " (not a terminal record)";
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
  if (record.size() >= 2 && record.substr(record.size() - 2) == kTerminator) record.remove_suffix(2);
  DecodedRecord out;
  std::size_t digits = 0;
  while (digits < record.size() && record[digits] >= '0' && record[digits] <= '9') ++digits;
  out.terminalId = std::string(record.substr(0, digits));
  const std::string_view body = record.substr(digits);
  if (body.empty()) {
    out.head = "bare terminator";
  } else if (body == "I") {
    out.head = "I identification";
  } else if (body == "H") {
    out.head = "H screen received";
  } else if (body == "&") {
    out.head = "& goodbye";
  } else if (body.size() >= 2 && body[0] == 'R') {
    out.head = DecodeResponse(body);
  } else {
    out.head = "unknown: " + Hex(body) + " (not a terminal record)";
  }
  return out;
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
  const bool terminated = size >= 2 && data[size - 2] == 0xFF && data[size - 1] == 0xEF;
  const std::size_t ending = terminated ? size - 2 : size;
  // The record types as the dispatcher scans them (DispatchRecord); what it passes over is listed.
  std::string passed;
  bool screen = false;
  for (std::size_t at = 0; at < size && !screen;) {
    const std::uint8_t byte = data[at];
    const std::string kind = byte == 'A' ? "A identify" : byte == 'H' ? "H screen" : byte == 'I' ? "I reset" : "";
    if (byte == 0xFF && at + 1 < size && data[at + 1] == 0xEF) {
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
