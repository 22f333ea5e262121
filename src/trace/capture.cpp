// Writing and reading the raw capture's entries.
#include "trace/capture.h"

namespace vantor::trace {

namespace {

void PutLittle(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t GetLittle(const char* in, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[i]);
  return value;
}

bool KnownEvent(char event) {
  switch (static_cast<CaptureEvent>(event)) {
    case CaptureEvent::Opened:
    case CaptureEvent::FromTerminal:
    case CaptureEvent::FromHost:
    case CaptureEvent::TerminalEnded:
    case CaptureEvent::HostEnded: return true;
  }
  return false;
}

}  // namespace

std::string EncodeCaptureEntry(const CaptureEntry& entry) {
  const std::string_view bytes = std::string_view(entry.bytes).substr(0, kLargestCaptureEntry);
  std::string out;
  out.reserve(kCaptureEntryHeader + bytes.size());
  out += static_cast<char>(entry.event);
  PutLittle(out, entry.connection, 4);
  PutLittle(out, entry.micros, 8);
  PutLittle(out, bytes.size(), 4);
  out += bytes;
  return out;
}

bool CaptureWriter::Open(const std::string& path) {
  file_.open(path, std::ios::binary | std::ios::trunc);
  file_.write(kCaptureMagic.data(), static_cast<std::streamsize>(kCaptureMagic.size()));
  file_.flush();
  return file_.good();
}

bool CaptureWriter::Write(const CaptureEntry& entry) {
  const std::string encoded = EncodeCaptureEntry(entry);
  file_.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
  file_.flush();
  return file_.good();
}

CaptureReader::CaptureReader(std::istream& in) : in_(in) {}

bool CaptureReader::Next(CaptureEntry& entry) {
  if (!error_.empty()) return false;
  if (!started_) {
    started_ = true;
    char magic[kCaptureMagic.size()];
    in_.read(magic, sizeof magic);
    if (in_.gcount() != static_cast<std::streamsize>(sizeof magic) ||
        std::string_view(magic, sizeof magic) != kCaptureMagic) {
      error_ = "not a vantor-trace capture (it does not begin with VTRACE1)";
      return false;
    }
  }
  char header[kCaptureEntryHeader];
  in_.read(header, sizeof header);
  const std::streamsize got = in_.gcount();
  const std::string where = " after " + std::to_string(entries_) + " entries";
  if (got == 0) return false;
  if (got != static_cast<std::streamsize>(sizeof header)) {
    error_ = "the capture ends inside an entry" + where;
    return false;
  }
  const std::uint64_t length = GetLittle(header + 13, 4);
  if (!KnownEvent(header[0]) || length > kLargestCaptureEntry) {
    error_ = "damaged entry" + where;
    return false;
  }
  entry.event = static_cast<CaptureEvent>(header[0]);
  entry.connection = static_cast<std::uint32_t>(GetLittle(header + 1, 4));
  entry.micros = GetLittle(header + 5, 8);
  entry.bytes.resize(static_cast<std::size_t>(length));
  in_.read(entry.bytes.data(), static_cast<std::streamsize>(length));
  if (in_.gcount() != static_cast<std::streamsize>(length)) {
    error_ = "the capture ends inside an entry" + where;
    return false;
  }
  ++entries_;
  return true;
}

}  // namespace vantor::trace
