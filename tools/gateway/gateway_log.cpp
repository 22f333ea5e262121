// The event lines, their JSON form, and the per-terminal decoded traces.
#include "gateway_log.h"

#include <chrono>
#include <ctime>
#include <nlohmann/json.hpp>

namespace vantor::gateway {

namespace {

// UTC with milliseconds: "2026-12-08T07:00:00.123Z".
std::string Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(millis));
  return text;
}

}  // namespace

bool EventLog::OpenJson(const std::string& path) {
  json_.open(path, std::ios::binary | std::ios::app);
  return json_.good();
}

void EventLog::Event(const GatewayEvent& event) {
  const std::string time = Now();
  std::string line = time + " " + EventName(event.kind);
  if (!event.terminalId.empty()) line += " id=" + event.terminalId;
  if (!event.peer.empty()) line += " peer=" + event.peer;
  if (!event.detail.empty()) line += " (" + event.detail + ")";
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), text_);
  if (!json_.is_open()) return;
  const nlohmann::ordered_json json = {{"time", time},
                                       {"event", EventName(event.kind)},
                                       {"id", event.terminalId},
                                       {"peer", event.peer},
                                       {"detail", event.detail}};
  json_ << json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  json_.flush();
}

struct TraceFiles::File {
  explicit File(const std::string& path)
      : out(path, std::ios::binary | std::ios::app),
        decoder([this](const std::string& line) { out << line << '\n'; }) {}
  std::ofstream out;
  trace::TraceDecoder decoder;
};

TraceFiles::TraceFiles(std::string folder) : folder_(std::move(folder)) {}

TraceFiles::~TraceFiles() {
  for (auto& [session, file] : files_) file->decoder.Finish(0);
}

void TraceFiles::Add(SessionId session, std::string_view terminalId, trace::CaptureEvent event,
                     std::uint32_t connection, std::string_view bytes) {
  std::unique_ptr<File>& file = files_[session];
  const auto micros = static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() - start_).count());
  if (!file) {
    const std::string name = terminalId.empty() ? "session-" + std::to_string(session) : std::string(terminalId);
    file = std::make_unique<File>(folder_ + "/" + name + ".trace");
    file->decoder.Add({trace::CaptureEvent::Opened, 1, micros, "host session " + std::to_string(session)});
  }
  file->decoder.Add({event, connection, micros, std::string(bytes)});
  file->out.flush();
}

void TraceFiles::FromHost(SessionId session, std::string_view terminalId, std::string_view bytes) {
  Add(session, terminalId, trace::CaptureEvent::FromHost, 1, bytes);
}

void TraceFiles::ToHost(SessionId session, std::string_view terminalId, std::string_view record) {
  Add(session, terminalId, trace::CaptureEvent::FromTerminal, 1, record);
}

void TraceFiles::Rebuilt(SessionId session, std::string_view terminalId, int link, std::string_view wire) {
  // Shown as a connection of its own: the screen the gateway wrote to the terminal's link-th connection.
  Add(session, terminalId, trace::CaptureEvent::FromHost, static_cast<std::uint32_t>(link + 1), wire);
}

void TraceFiles::SessionEnded(SessionId session) {
  const auto found = files_.find(session);
  if (found == files_.end()) return;
  found->second->decoder.Finish(0);
  files_.erase(found);
}

}  // namespace vantor::gateway
