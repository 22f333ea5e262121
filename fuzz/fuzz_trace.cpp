// Fuzzes vantor-trace's decoders: both directions of a connection in chunks, the capture reader and the
// replay's comparison. Each input is a run of chunks: a header byte (bit 0: from the host, else from
// the terminal; bits 1-7: the chunk's length) and that many bytes.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "session/record_assembler.h"
#include "session/record_dispatch.h"
#include "session/wire_format.h"
#include "trace/capture.h"
#include "trace/record_decoder.h"
#include "trace/replay.h"
#include "trace/trace_decoder.h"

namespace vantor::trace {
namespace {

// Counts what the terminal's dispatcher does with a record, to hold the decoder's account of it to.
class DispatchCount final : public DispatchTarget {
 public:
  void SendOwnRecord(std::string_view record, bool) override {
    (record == "I" ? identify : record == "H" ? screen : bare)++;
  }
  void InterpretScreen(const std::uint8_t*, const std::uint8_t*) override {}
  void ResetScreen() override { ++reset; }
  int identify = 0, screen = 0, bare = 0, reset = 0;
};

int Count(const std::string& text, const std::string& word) {
  int n = 0;
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

// The decoder's record kinds must be the dispatcher's actions, one for one.
void CheckHostRecord(HostRecordDecoder& decoder, RecordBytes record) {
  DispatchCount count;
  DispatchRecord(count, record);
  const std::string head = decoder.Decode(record).head;
  if (Count(head, "A identify") != count.identify || Count(head, "H screen") != count.screen ||
      Count(head, "bare terminator") != count.bare || Count(head, "I reset") != count.reset)
    __builtin_trap();
}

}  // namespace
}  // namespace vantor::trace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantor;
  using namespace vantor::trace;
  std::vector<CaptureEntry> entries;
  std::string fromHost;
  for (std::size_t at = 0; at < size;) {
    const std::uint8_t header = data[at++];
    const std::size_t n = std::min<std::size_t>(header >> 1, size - at);
    const bool host = (header & 1) != 0;
    std::string bytes(reinterpret_cast<const char*>(data + at), n);
    if (host) fromHost += bytes;
    entries.push_back({host ? CaptureEvent::FromHost : CaptureEvent::FromTerminal, 1, at, std::move(bytes)});
    at += n;
  }
  entries.push_back({CaptureEvent::TerminalEnded, 1, size, {}});

  std::size_t lines = 0;
  TraceDecoder decoder([&lines](const std::string& line) {
    if (line.empty()) __builtin_trap();
    ++lines;
  });
  for (const CaptureEntry& entry : entries) decoder.Add(entry);
  decoder.Finish(size);

  // The host's records once more, each held to the dispatcher.
  std::vector<std::uint8_t> unescaped(fromHost.begin(), fromHost.end());
  bool pendingFf = false;
  const int length = UnescapeInPlace(unescaped.data(), static_cast<int>(unescaped.size()), pendingFf);
  HostRecordDecoder host;
  RecordAssembler assembler;
  assembler.Feed(RecordBytes(unescaped.data(), static_cast<std::size_t>(length)),
                 [&host](RecordBytes record) { CheckHostRecord(host, record); });

  // The replay of this session against a terminal that sends the same bytes ends with no difference.
  Replay replay(ReplayScript(entries, 0));
  for (const CaptureEntry& entry : entries) {
    if (entry.event == CaptureEvent::FromTerminal) replay.FromTerminal(entry.bytes);
  }
  for (Replay::Action action; (action = replay.Next()) != Replay::Action::Finished;) {
    if (action == Replay::Action::Wait) __builtin_trap();
  }
  if (replay.Differences() != 0) __builtin_trap();

  // The input read as a capture file.
  std::istringstream file(std::string(kCaptureMagic) + std::string(reinterpret_cast<const char*>(data), size));
  CaptureReader reader(file);
  TraceDecoder fileDecoder([](const std::string&) {});
  for (CaptureEntry entry; reader.Next(entry);) fileDecoder.Add(entry);
  return 0;
}
