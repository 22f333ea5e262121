// The decoded trace: capture events of any number of connections in, one line per record out.
//
// A line is "time_ms connection direction terminal_id kind details": the direction is T>H (terminal to
// host) or H>T, the terminal id is the one the terminal's records carry ('-' before the first). A host
// screen record is followed by one indented line per command. Bytes that are no record, a record cut
// by a closed connection and a record over the terminal's size bound are shown with the reason.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "trace/capture.h"

namespace vantor::trace {

// Receives each line of the trace (without its line end).
using LineSink = std::function<void(const std::string& line)>;

class ConnectionTrace;

class TraceDecoder {
 public:
  explicit TraceDecoder(LineSink sink);
  ~TraceDecoder();
  TraceDecoder(const TraceDecoder&) = delete;
  TraceDecoder& operator=(const TraceDecoder&) = delete;

  // One event, in capture order.
  void Add(const CaptureEntry& entry);
  // The capture ended: records still unfinished on open connections are shown.
  void Finish(std::uint64_t micros);

 private:
  ConnectionTrace& Connection(std::uint32_t number);

  LineSink sink_;
  std::map<std::uint32_t, std::unique_ptr<ConnectionTrace>> connections_;
};

}  // namespace vantor::trace
