// What the gateway tells: one line per event (and a JSON line per event when asked), and each
// terminal's records both ways decoded as vantor-trace shows them.
#pragma once

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "gateway_core.h"
#include "trace/trace_decoder.h"

namespace vantor::gateway {

// "2026-12-08T07:00:00.123Z hold id=7 peer=10.0.0.5:50123 ..." to `text`, and with a JSON file the
// same as {"time":..,"event":..,"id":..,"peer":..,"detail":..} lines.
class EventLog final : public EventSink {
 public:
  explicit EventLog(std::FILE* text) : text_(text) {}
  // False when the file cannot be written.
  bool OpenJson(const std::string& path);
  void Event(const GatewayEvent& event) override;

 private:
  std::FILE* text_;
  std::ofstream json_;
};

// One file per terminal id in a folder ("7.trace"; a terminal without an id gets the session's
// number), appended to by each of its sessions.
class TraceFiles final : public TrafficObserver {
 public:
  explicit TraceFiles(std::string folder);
  ~TraceFiles() override;

  void FromHost(SessionId session, std::string_view terminalId, std::string_view bytes) override;
  void ToHost(SessionId session, std::string_view terminalId, std::string_view record) override;
  void Rebuilt(SessionId session, std::string_view terminalId, int link, std::string_view wire) override;
  void SessionEnded(SessionId session) override;

 private:
  struct File;
  void Add(SessionId session, std::string_view terminalId, trace::CaptureEvent event, std::uint32_t connection,
           std::string_view bytes);

  std::string folder_;
  std::map<SessionId, std::unique_ptr<File>> files_;
  SteadyClock::time_point start_ = SteadyClock::now();
};

}  // namespace vantor::gateway
