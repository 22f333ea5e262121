// The decoded trace: each connection's two byte streams cut into records as the terminal and the host
// cut them, decoded, and written as lines.
#include "trace/trace_decoder.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "session/record_assembler.h"
#include "session/wire_format.h"
#include "trace/record_decoder.h"
#include "trace/trace_text.h"

namespace vantor::trace {

// One direction of one connection: cuts the stream into records and keeps the unfinished one's bytes,
// to show them if the connection closes inside it.
class RecordStream {
 public:
  // Calls onRecord for each record the bytes complete and onDropped for each record over the bound, in
  // the order they end on the wire.
  void Feed(std::string_view bytes, const std::function<void(RecordBytes)>& onRecord,
            const std::function<void()>& onDropped) {
    // Every terminator ends with its second byte: fed piece by piece up to each such byte, a piece
    // ends at most one record, so a drop is told before the records after it.
    for (std::string_view rest = bytes; !rest.empty();) {
      const std::size_t end = std::min(rest.find(static_cast<char>(kTerminatorSecond)), rest.size() - 1) + 1;
      const std::size_t dropped = assembler_.DroppedRecords();
      assembler_.Feed(RecordBytes(reinterpret_cast<const std::uint8_t*>(rest.data()), end), onRecord);
      if (assembler_.DroppedRecords() != dropped) onDropped();
      rest.remove_prefix(end);
    }
    unfinished_.append(bytes);
    const std::size_t pending = assembler_.PendingBytes();
    if (unfinished_.size() > pending) unfinished_.erase(0, unfinished_.size() - pending);
  }
  // The unfinished record's bytes, and forgets them.
  std::string TakeUnfinished() {
    assembler_.Reset();
    return std::exchange(unfinished_, {});
  }

 private:
  RecordAssembler assembler_;
  std::string unfinished_;
};

class ConnectionTrace {
 public:
  ConnectionTrace(std::uint32_t number, const LineSink& sink) : number_(std::to_string(number)), sink_(sink) {}

  // False once both directions have ended.
  bool Add(const CaptureEntry& entry) {
    micros_ = entry.micros;
    switch (entry.event) {
      case CaptureEvent::Opened:
        Line("T>H", "-", "open" + (entry.bytes.empty() ? "" : " " + Quoted(entry.bytes)));
        break;
      case CaptureEvent::FromTerminal: FromTerminal(entry.bytes); break;
      case CaptureEvent::FromHost: FromHost(entry.bytes); break;
      case CaptureEvent::TerminalEnded:
        Ended(toHost_, "T>H", "the terminal closed the connection");
        terminalEnded_ = true;
        break;
      case CaptureEvent::HostEnded:
        Ended(toTerminal_, "H>T", "the host closed the connection");
        hostEnded_ = true;
        break;
    }
    return !(terminalEnded_ && hostEnded_);
  }

  void Finish(std::uint64_t micros) {
    micros_ = micros;
    Cut(toHost_, "T>H", "the capture ends");
    Cut(toTerminal_, "H>T", "the capture ends");
  }

 private:
  void Line(std::string_view direction, std::string_view id, const std::string& text) {
    sink_(std::to_string(micros_ / 1000) + " " + number_ + " " + std::string(direction) + " " + std::string(id) + " " +
          text);
  }

  std::string Dropped() const {
    return "dropped: a record over " + std::to_string(kMaxRecordBytes) + " bytes, passed over whole";
  }

  void FromTerminal(std::string_view bytes) {
    toHost_.Feed(
        bytes,
        [this](RecordBytes record) {
          const DecodedRecord decoded =
              DecodeTerminalRecord(std::string_view(reinterpret_cast<const char*>(record.data()), record.size()));
          if (!decoded.terminalId.empty()) terminalId_ = decoded.terminalId;
          Line("T>H", decoded.terminalId.empty() ? "-" : decoded.terminalId, decoded.head);
        },
        [this] { Line("T>H", terminalId_, Dropped()); });
  }

  void FromHost(std::string_view bytes) {
    // Unescaped as the terminal's link does, 0xFF 0xFF pairs split between reads included.
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    const int length = UnescapeInPlace(data.data(), static_cast<int>(data.size()), pendingFf_);
    toTerminal_.Feed(
        std::string_view(reinterpret_cast<const char*>(data.data()), static_cast<std::size_t>(length)),
        [this](RecordBytes record) {
          const DecodedRecord decoded = host_.Decode(record);
          Line("H>T", terminalId_, decoded.head);
          for (const std::string& line : decoded.lines) sink_(line);
        },
        [this] { Line("H>T", terminalId_, Dropped()); });
  }

  void Cut(RecordStream& stream, std::string_view direction, std::string_view reason) {
    const std::string bytes = stream.TakeUnfinished();
    if (!bytes.empty())
      Line(direction, terminalId_, "cut: " + Hex(bytes) + " (" + std::string(reason) + " inside a record)");
  }

  void Ended(RecordStream& stream, std::string_view direction, std::string_view reason) {
    Cut(stream, direction, reason);
    Line(direction, terminalId_, "closed");
  }

  std::string number_;
  const LineSink& sink_;
  std::uint64_t micros_ = 0;
  std::string terminalId_ = "-";
  bool pendingFf_ = false;
  bool terminalEnded_ = false;
  bool hostEnded_ = false;
  RecordStream toHost_;
  RecordStream toTerminal_;
  HostRecordDecoder host_;
};

TraceDecoder::TraceDecoder(LineSink sink) : sink_(std::move(sink)) {}

TraceDecoder::~TraceDecoder() = default;

ConnectionTrace& TraceDecoder::Connection(std::uint32_t number) {
  std::unique_ptr<ConnectionTrace>& connection = connections_[number];
  if (!connection) connection = std::make_unique<ConnectionTrace>(number, sink_);
  return *connection;
}

void TraceDecoder::Add(const CaptureEntry& entry) {
  if (!Connection(entry.connection).Add(entry)) connections_.erase(entry.connection);
}

void TraceDecoder::Finish(std::uint64_t micros) {
  for (auto& [number, connection] : connections_) connection->Finish(micros);
}

}  // namespace vantor::trace
