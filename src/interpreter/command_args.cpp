// Host text decoding for the screen commands.
#include "interpreter/command_args.h"

#include <cstring>

#include "platform/codepage.h"

namespace vantor {

std::string_view UpToZero(std::string_view bytes) {
  const void* zero = bytes.empty() ? nullptr : std::memchr(bytes.data(), 0, bytes.size());
  if (zero == nullptr) return bytes;
  return bytes.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data()));
}

std::u16string DecodeHostText(std::string_view bytes, bool utf8, std::size_t capacity) {
  bytes = UpToZero(bytes);
  // Each byte gives at most one UTF-16 unit, so a few bytes beyond the capacity are enough to
  // finish the last character that fits.
  if (bytes.size() > capacity && bytes.size() - capacity > 4) bytes = bytes.substr(0, capacity + 4);
  std::u16string text;
  bool ascii = true;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) {
    // Both code pages agree on ASCII; spare the converter.
    const std::size_t n = bytes.size() < capacity ? bytes.size() : capacity;
    text.resize(n);
    for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<char16_t>(bytes[i]);
    return text;
  }
  text = DecodeText(bytes, HostCodePage(utf8));
  if (text.size() > capacity) {
    text.resize(capacity);
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
  }
  return text;
}

}  // namespace vantor
