// Bounded reading of screen command arguments and decoding of host text.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace vantor {

// What one argument read was: a raw byte, a short or long number, a payload taken or passed over.
enum class ArgRead { Raw, Short, Long, Bytes, Skip };

// Sees the commands of a record as the interpreter reads them (the trace tool shows them); the
// terminal itself runs without one.
class ArgObserver {
 public:
  virtual ~ArgObserver() = default;
  // The letter at `at` is taken as a command: handled, or passed over when it has no handler.
  virtual void Command(const std::uint8_t* at, bool handled) = 0;
  // One read of the current command: the value read (the count asked for, for Bytes and Skip) and
  // the record bytes it consumed (fewer than it needed when the record ended first).
  virtual void Read(ArgRead kind, long value, std::string_view bytes) = 0;
};

// Walks the arguments of one command. The position is always the last byte consumed (the command
// letter before any argument is read). Every read is bounded by the end: bytes missing at the end of
// the record read as zero bytes and the position never moves past the end.
class ArgReader {
 public:
  ArgReader(const std::uint8_t* position, const std::uint8_t* end) : position_(position), end_(end) {}

  const std::uint8_t* Position() const { return position_; }
  const std::uint8_t* End() const { return end_; }
  // Moves to `position` (never past the end); seen as a Skip of the bytes passed.
  void SetPosition(const std::uint8_t* position) {
    const std::uint8_t* from = position_;
    position_ = position < end_ ? position : end_;
    const std::ptrdiff_t passed = position_ > from ? position_ - from : 0;
    Tell(ArgRead::Skip, static_cast<long>(std::min<std::ptrdiff_t>(passed, std::numeric_limits<long>::max())), from);
  }

  // Every later read is told to `observer` (null: none).
  void Observe(ArgObserver* observer) { observer_ = observer; }

  // On to the next command letter: a step of the walk, not an argument read.
  void Step() { Advance(1); }

  // Moves on by n bytes, never past the end; 0 or a negative count does nothing.
  void Skip(long n) {
    const std::uint8_t* from = position_;
    Advance(n);
    Tell(ArgRead::Skip, n, from);
  }

  // The byte after the position without consuming it; 0 when the record ends there.
  std::uint8_t Peek() const { return end_ - position_ > 1 ? position_[1] : 0; }

  // One raw byte (flags, attributes, option letters).
  std::uint8_t Raw() {
    const std::uint8_t* from = position_;
    const std::uint8_t byte = Next();
    Tell(ArgRead::Raw, byte, from);
    return byte;
  }

  // A short number: the byte minus 48. Bytes below '0' give negative values.
  int Short() {
    const std::uint8_t* from = position_;
    const int value = static_cast<int>(Next()) - 48;
    Tell(ArgRead::Short, value, from);
    return value;
  }

  // A long number: a short number, or '!' and two bytes hi, lo giving hi * 208 + lo.
  int Long() {
    const std::uint8_t* from = position_;
    const int first = Next();
    int value = first - 48;
    if (first == '!') {
      const int hi = Next() - 48;
      const int lo = Next() - 48;
      value = hi * 208 + lo;
    }
    Tell(ArgRead::Long, value, from);
    return value;
  }

  // The next n bytes (fewer when the record ends first; none for 0 or a negative count), consumed.
  std::string_view Bytes(long n) {
    const std::uint8_t* from = position_;
    Advance(n);
    const std::string_view bytes = Consumed(from);
    if (observer_ != nullptr) observer_->Read(ArgRead::Bytes, n, bytes);
    return bytes;
  }

 private:
  void Advance(long n) {
    if (n <= 0) return;
    const auto left = static_cast<std::size_t>(end_ - position_);
    position_ += static_cast<std::size_t>(n) < left ? static_cast<std::size_t>(n) : left;
  }
  std::uint8_t Next() {
    if (end_ - position_ > 1) return *++position_;
    position_ = end_;
    return 0;
  }
  // The bytes after `from` up to and including the position, within the record.
  std::string_view Consumed(const std::uint8_t* from) const {
    const std::uint8_t* begin = from + (from < end_ ? 1 : 0);
    const std::uint8_t* to = position_ < end_ ? position_ + 1 : end_;
    if (to < begin) to = begin;
    return {reinterpret_cast<const char*>(begin), static_cast<std::size_t>(to - begin)};
  }
  void Tell(ArgRead kind, long value, const std::uint8_t* from) {
    if (observer_ != nullptr) observer_->Read(kind, value, Consumed(from));
  }

  const std::uint8_t* position_;
  const std::uint8_t* end_;
  ArgObserver* observer_ = nullptr;
};

// Host text as the terminal keeps it: the bytes up to the first zero byte, decoded with UTF-8 when
// `utf8` is set and with the ANSI code page otherwise, cut to `capacity` UTF-16 units. A cut never
// leaves the first half of a surrogate pair at the end.
std::u16string DecodeHostText(std::string_view bytes, bool utf8, std::size_t capacity);

// The 8-bit bytes of a host payload as far as the first zero byte.
std::string_view UpToZero(std::string_view bytes);

}  // namespace vantor
