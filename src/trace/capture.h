// The raw capture: both directions of every connection, byte for byte, with times, in one file.
//
// The file is the 8 bytes "VTRACE1\n", then one entry per event, each:
//   event       1 byte: 'O' connection opened (bytes: the terminal's address), 'T' bytes from the
//               terminal, 'H' bytes from the host (as sent, 0xFF still doubled), 't' the terminal
//               ended its direction, 'h' the host ended its direction
//   connection  4 bytes, little-endian: numbered from 1 in the order the terminals connected
//   time        8 bytes, little-endian: microseconds since the capture started
//   length      4 bytes, little-endian: the number of bytes that follow (at most kLargestCaptureEntry)
//   bytes
// Entries are written whole and flushed one by one, so a capture cut short loses at most its last entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <istream>
#include <string>
#include <string_view>

namespace vantor::trace {

inline constexpr std::string_view kCaptureMagic = "VTRACE1\n";
inline constexpr std::size_t kCaptureEntryHeader = 17;
inline constexpr std::size_t kLargestCaptureEntry = 16u * 1024u * 1024u;

enum class CaptureEvent : char {
  Opened = 'O',
  FromTerminal = 'T',
  FromHost = 'H',
  TerminalEnded = 't',
  HostEnded = 'h',
};

struct CaptureEntry {
  CaptureEvent event = CaptureEvent::Opened;
  std::uint32_t connection = 0;
  std::uint64_t micros = 0;
  std::string bytes;
};

// The entry as the file holds it (bytes beyond kLargestCaptureEntry are not written).
std::string EncodeCaptureEntry(const CaptureEntry& entry);

class CaptureWriter {
 public:
  // Creates (or empties) the file and writes the magic; false when it cannot be written.
  bool Open(const std::string& path);
  // False once a write failed.
  bool Write(const CaptureEntry& entry);

 private:
  std::ofstream file_;
};

class CaptureReader {
 public:
  // Reads from `in` (opened in binary mode), which must outlive the reader.
  explicit CaptureReader(std::istream& in);
  // The next entry; false at the end of the file or at the first damaged entry (Error says which).
  bool Next(CaptureEntry& entry);
  // Empty after a clean end; otherwise why reading stopped.
  const std::string& Error() const { return error_; }

 private:
  std::istream& in_;
  bool started_ = false;
  std::size_t entries_ = 0;
  std::string error_;
};

}  // namespace vantor::trace
