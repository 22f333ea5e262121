// Bounded reading of screen command arguments and decoding of host text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

// Walks the arguments of one command. The position is always the last byte consumed (the command
// letter before any argument is read). Every read is bounded by the end: bytes missing at the end of
// the record read as zero bytes and the position never moves past the end.
class ArgReader {
 public:
  ArgReader(const std::uint8_t* position, const std::uint8_t* end) : position_(position), end_(end) {}

  const std::uint8_t* Position() const { return position_; }
  const std::uint8_t* End() const { return end_; }
  void SetPosition(const std::uint8_t* position) { position_ = position < end_ ? position : end_; }

  // Moves on by n bytes, never past the end; 0 or a negative count does nothing.
  void Skip(long n) {
    if (n <= 0) return;
    const auto left = static_cast<std::size_t>(end_ - position_);
    position_ += static_cast<std::size_t>(n) < left ? static_cast<std::size_t>(n) : left;
  }

  // The byte after the position without consuming it; 0 when the record ends there.
  std::uint8_t Peek() const { return end_ - position_ > 1 ? position_[1] : 0; }

  // One raw byte (flags, attributes, option letters).
  std::uint8_t Raw() {
    if (end_ - position_ > 1) return *++position_;
    position_ = end_;
    return 0;
  }

  // A short number: the byte minus 48. Bytes below '0' give negative values.
  int Short() { return static_cast<int>(Raw()) - 48; }

  // A long number: a short number, or '!' and two bytes hi, lo giving hi * 208 + lo.
  int Long() {
    const int first = Raw();
    if (first != '!') return first - 48;
    const int hi = Short();
    const int lo = Short();
    return hi * 208 + lo;
  }

  // The next n bytes (fewer when the record ends first; none for 0 or a negative count), consumed.
  std::string_view Bytes(long n) {
    if (n <= 0) return {};
    const std::uint8_t* from = position_ + (position_ < end_ ? 1 : 0);
    Skip(n);
    const std::uint8_t* to = position_ < end_ ? position_ + 1 : end_;
    if (to < from) to = from;
    return {reinterpret_cast<const char*>(from), static_cast<std::size_t>(to - from)};
  }

 private:
  const std::uint8_t* position_;
  const std::uint8_t* end_;
};

// Host text as the terminal keeps it: the bytes up to the first zero byte, decoded with UTF-8 when
// `utf8` is set and with the ANSI code page otherwise, cut to `capacity` UTF-16 units. A cut never
// leaves the first half of a surrogate pair at the end.
std::u16string DecodeHostText(std::string_view bytes, bool utf8, std::size_t capacity);

// The 8-bit bytes of a host payload as far as the first zero byte.
std::string_view UpToZero(std::string_view bytes);

}  // namespace vantor
