// The wire format: framing, escaping, and writing and reading numbers and lengths.
#include "session/wire_format.h"

#include <algorithm>

namespace vantor {

std::string_view WithoutTerminator(std::string_view record) {
  if (record.ends_with(kTerminator)) record.remove_suffix(kTerminator.size());
  return record;
}

std::string TerminalIdPrefix(int terminalId) {
  if (terminalId <= 0) return {};
  return std::to_string(std::min(terminalId, kHighestTerminalIdPrefix));
}

std::string_view TerminalIdOf(std::string_view record) {
  std::size_t digits = 0;
  while (digits < record.size() && record[digits] >= '0' && record[digits] <= '9') ++digits;
  return record.substr(0, digits);
}

std::string FrameRecord(int terminalId, std::string_view data) {
  data = data.substr(0, data.find('\0'));
  std::string frame = TerminalIdPrefix(terminalId);
  frame.reserve(frame.size() + data.size() + kTerminator.size());
  frame.append(data);
  frame.append(kTerminator);
  return frame;
}

std::string EscapeForWire(std::string_view recordData) {
  std::string out;
  out.reserve(recordData.size() + 8);
  for (const char c : recordData) {
    out += c;
    if (static_cast<std::uint8_t>(c) == kTerminatorFirst) out += c;
  }
  return out;
}

int UnescapeInPlace(std::uint8_t* data, int length, bool& pendingFf) {
  int out = 0;
  for (int in = 0; in < length; ++in) {
    const std::uint8_t byte = data[in];
    if (pendingFf && byte == kTerminatorFirst) {
      pendingFf = false;  // second half of an escaped pair: its first half is already kept
      continue;
    }
    data[out++] = byte;
    pendingFf = byte == kTerminatorFirst;
  }
  return out;
}

void AppendShort(std::string& out, int value) { out.push_back(static_cast<char>((value + 48) & 0xFF)); }

void AppendLength(std::string& out, std::size_t length) {
  if (length <= kShortNumberMax) {
    AppendShort(out, static_cast<int>(length));
    return;
  }
  length = std::min(length, kLongestLength);
  out.push_back(kLongLengthMark);
  AppendShort(out, static_cast<int>(length / 208));
  AppendShort(out, static_cast<int>(length % 208));
}

char FieldNumberByte(int number) {
  if (number < 0 || number > kShortNumberMax) return '/';
  return static_cast<char>(number + 48);
}

LengthRead ReadLength(std::string_view bytes, std::size_t& at, std::size_t& length) {
  if (at >= bytes.size()) return LengthRead::Cut;
  if (bytes[at] != kLongLengthMark) {
    const int value = ShortValue(bytes[at]);
    if (value < 0) return LengthRead::Bad;
    length = static_cast<std::size_t>(value);
    ++at;
    return LengthRead::Read;
  }
  if (bytes.size() - at < 3) return LengthRead::Cut;
  const int high = ShortValue(bytes[at + 1]);
  const int low = ShortValue(bytes[at + 2]);
  if (high < 0 || low < 0) return LengthRead::Bad;
  length = static_cast<std::size_t>(high) * 208 + static_cast<std::size_t>(low);
  at += 3;
  return LengthRead::Read;
}

}  // namespace vantor
