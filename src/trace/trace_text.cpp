// Quoted texts, hexadecimal dumps and the names of host key codes.
#include "trace/trace_text.h"

namespace vantor::trace {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& out, unsigned char byte) {
  out += kDigits[byte >> 4];
  out += kDigits[byte & 15];
}

std::string More(std::size_t total) { return " ... (" + std::to_string(total) + " bytes)"; }

}  // namespace

std::string Quoted(std::string_view bytes, std::size_t limit) {
  std::string out = "\"";
  for (const char c : bytes.substr(0, limit)) {
    const auto byte = static_cast<unsigned char>(c);
    switch (byte) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (byte >= 0x20 && byte < 0x7F) {
          out += c;
        } else {
          out += "\\x";
          AppendHexByte(out, byte);
        }
    }
  }
  out += '"';
  if (bytes.size() > limit) out += More(bytes.size());
  return out;
}

std::string Hex(std::string_view bytes, std::size_t limit) {
  std::string out;
  for (const char c : bytes.substr(0, limit)) {
    if (!out.empty()) out += ' ';
    AppendHexByte(out, static_cast<unsigned char>(c));
  }
  if (bytes.size() > limit) out += More(bytes.size());
  return out;
}

std::string ByteText(unsigned char byte) {
  if (byte > 0x20 && byte < 0x7F) return std::string{'\'', static_cast<char>(byte), '\''};
  std::string out = "0x";
  AppendHexByte(out, byte);
  return out;
}

std::string KeyNames(int code) {
  if (code == 0) return "Enter";
  std::string out;
  const auto add = [&out](const std::string& name) { out += (out.empty() ? "" : "|") + name; };
  // The same ranges as the terminal's key numbering: they overlap, so a code may stand for several keys.
  if (code >= 1 && code <= 24) add("F" + std::to_string(code));
  if (code >= 11 && code <= 34) add("Shift+F" + std::to_string(code - 10));
  if (code >= 21 && code <= 44) add("Ctrl+F" + std::to_string(code - 20));
  if (code >= 25 && code <= 30) add("Key" + std::to_string(code + 215));
  return out;
}

std::string KeyText(int code) {
  const std::string names = KeyNames(code);
  return names.empty() ? std::to_string(code) : std::to_string(code) + " (" + names + ")";
}

}  // namespace vantor::trace
