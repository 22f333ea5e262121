// The console's JSON and metrics from a snapshot, and its access rule.
#include "admin_views.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <nlohmann/json.hpp>

#include "trace/trace_decoder.h"

namespace vantor::gateway {

namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string Iso(WallClock::time_point at) {
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(millis / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(millis % 1000));
  return text;
}

const char* StateName(SessionState state) {
  switch (state) {
    case SessionState::Connecting: return "connecting";
    case SessionState::Attached: return "attached";
    case SessionState::Held: return "held";
  }
  return "?";
}

std::string TlsOf(const ConsoleSnapshot& snapshot, std::string_view terminalId) {
  const auto found = snapshot.tls.find(terminalId);
  return found == snapshot.tls.end() ? "?" : found->second.empty() ? "none" : found->second;
}

Json SummaryJson(const ConsoleSnapshot& snapshot, const TerminalSummary& terminal, WallClock::time_point now) {
  const WallClock::time_point since = snapshot.Wall(terminal.since);
  return {{"id", terminal.terminalId},
          {"peer", terminal.peer},
          {"state", StateName(terminal.state)},
          {"since", Iso(since)},
          {"forSeconds", std::max(0.0, std::chrono::duration<double>(now - since).count())},
          {"connected", Iso(snapshot.Wall(terminal.connected))},
          {"screens", terminal.screens},
          {"lastActivity", Iso(snapshot.Wall(terminal.lastActivity))},
          {"keyboardLocked", terminal.keyboardLocked},
          {"tls", TlsOf(snapshot, terminal.terminalId)}};
}

// The values the terminal reports for the password fields of its page, as stars: `markers` are
// those fields' `field=N text="` as the trace writes them.
std::string Masked(std::string line, const std::vector<std::string>& markers) {
  for (const std::string& marker : markers) {
    for (std::size_t at = line.find(marker); at != std::string::npos; at = line.find(marker, at)) {
      at += marker.size();
      std::size_t end = at, characters = 0;
      for (; end < line.size() && line[end] != '"'; ++characters) end += line[end] == '\\' ? 2 : 1;
      line.replace(at, std::min(end, line.size()) - at, characters, '*');
    }
  }
  return line;
}

Json DecodedRecords(const std::vector<PassedRecord>& records, const Json& fields) {
  std::vector<std::string> markers;
  for (const Json& field : fields) {
    if (field.is_object() && field.value("password", false))
      markers.push_back("field=" + std::to_string(field.value("id", -1)) + " text=\"");
  }
  Json lines = Json::array();
  trace::TraceDecoder decoder([&](const std::string& line) {
    lines.push_back(line.find(" T>H ") != std::string::npos ? Masked(line, markers) : line);
  });
  decoder.Add({trace::CaptureEvent::Opened, 1, records.empty() ? 0 : records.front().micros, "host session"});
  for (const PassedRecord& record : records) {
    decoder.Add({record.toHost ? trace::CaptureEvent::FromTerminal : trace::CaptureEvent::FromHost,
                 static_cast<std::uint32_t>(record.link + 1), record.micros, record.bytes});
  }
  return lines;
}

void Metric(std::string& out, const char* name, const char* type, const char* help) {
  out += "# HELP ";
  out += name;
  out += ' ';
  out += help;
  out += "\n# TYPE ";
  out += name;
  out += ' ';
  out += type;
  out += '\n';
}

void Sample(std::string& out, std::string_view name, std::string_view labels, double value) {
  char number[32];
  std::snprintf(number, sizeof number, "%.17g", value);
  out += name;
  out += labels;
  out += ' ';
  out += number;
  out += '\n';
}

}  // namespace

std::string TerminalsJson(const ConsoleSnapshot& snapshot, WallClock::time_point now) {
  Json terminals = Json::array();
  for (const TerminalSummary& terminal : snapshot.terminals) terminals.push_back(SummaryJson(snapshot, terminal, now));
  return Dump({{"time", Iso(now)}, {"terminals", std::move(terminals)}});
}

std::optional<std::string> TerminalJson(const ConsoleSnapshot& snapshot, std::string_view terminalId,
                                        WallClock::time_point now) {
  const auto found = std::find_if(snapshot.terminals.begin(), snapshot.terminals.end(),
                                  [&](const TerminalSummary& terminal) { return terminal.terminalId == terminalId; });
  if (terminalId.empty() || found == snapshot.terminals.end()) return std::nullopt;
  Json json = SummaryJson(snapshot, *found, now);
  json["time"] = Iso(now);
  if (const auto screen = snapshot.screens.find(terminalId); screen != snapshot.screens.end()) {
    Json fields = Json::parse(screen->second.fieldsJson, nullptr, false);
    json["records"] = DecodedRecords(screen->second.records, fields);
    json["screen"] = {{"lines", screen->second.lines},
                      {"fields", std::move(fields)},
                      {"status", Json::parse(screen->second.statusJson, nullptr, false)}};
  } else {
    json["screen"] = nullptr;
    json["records"] = Json::array();
  }
  return Dump(json);
}

std::string MetricsText(const ConsoleSnapshot& snapshot) {
  const GatewayCounts& counts = snapshot.counts;
  std::string out;
  Metric(out, "vantor_gateway_terminals", "gauge", "Terminal sessions, by whether their handheld is connected.");
  Sample(out, "vantor_gateway_terminals", "{state=\"attached\"}", static_cast<double>(counts.attached));
  Sample(out, "vantor_gateway_terminals", "{state=\"held\"}", static_cast<double>(counts.held));
  Metric(out, "vantor_gateway_sessions_resumed_total", "counter", "Terminals that came back to a held session.");
  Sample(out, "vantor_gateway_sessions_resumed_total", "", static_cast<double>(counts.resumed));
  Metric(out, "vantor_gateway_sessions_expired_total", "counter", "Held sessions whose hold ran out.");
  Sample(out, "vantor_gateway_sessions_expired_total", "", static_cast<double>(counts.expired));
  Metric(out, "vantor_gateway_sessions_taken_over_total", "counter", "Sessions a second connection took over.");
  Sample(out, "vantor_gateway_sessions_taken_over_total", "", static_cast<double>(counts.takenOver));
  Metric(out, "vantor_gateway_records_total", "counter", "Records passed, by direction.");
  Sample(out, "vantor_gateway_records_total", "{direction=\"to_host\"}", static_cast<double>(counts.recordsToHost));
  Sample(out, "vantor_gateway_records_total", "{direction=\"to_terminal\"}",
         static_cast<double>(counts.recordsToTerminal));
  Metric(out, "vantor_gateway_host_connect_failures_total", "counter", "Host connections that could not be made.");
  Sample(out, "vantor_gateway_host_connect_failures_total", "", static_cast<double>(counts.hostConnectFailures));
  const TurnaroundHistogram& turnaround = snapshot.turnaround;
  Metric(out, "vantor_gateway_turnaround_seconds", "histogram", "From a terminal's key to the host's answer.");
  std::int64_t cumulative = 0;
  for (std::size_t i = 0; i < TurnaroundHistogram::kBounds.size(); ++i) {
    cumulative += turnaround.buckets[i];
    char label[48];
    std::snprintf(label, sizeof label, "{le=\"%g\"}", TurnaroundHistogram::kBounds[i]);
    Sample(out, "vantor_gateway_turnaround_seconds_bucket", label, static_cast<double>(cumulative));
  }
  Sample(out, "vantor_gateway_turnaround_seconds_bucket", "{le=\"+Inf\"}", static_cast<double>(turnaround.count));
  Sample(out, "vantor_gateway_turnaround_seconds_sum", "", turnaround.sum);
  Sample(out, "vantor_gateway_turnaround_seconds_count", "", static_cast<double>(turnaround.count));
  return out;
}

// ---- access ----

bool IsLoopback(std::string_view address) {
  if (address.starts_with("::ffff:")) address.remove_prefix(7);
  return address.starts_with("127.") || address == "::1";
}

bool SameSecret(std::string_view given, std::string_view expected) {
  unsigned difference = given.size() == expected.size() ? 0U : 1U;
  for (std::size_t i = 0; i < given.size(); ++i) {
    const char other = expected.empty() ? '\0' : expected[i % expected.size()];
    difference |= static_cast<unsigned char>(given[i] ^ other);
  }
  return difference == 0 && !expected.empty();
}

Access Decide(const AccessRule& rule, std::string_view remote, std::string_view authorization,
              std::string_view cookie) {
  if (rule.token.empty()) return IsLoopback(remote) ? Access::Allowed : Access::Refused;
  constexpr std::string_view kBearer = "Bearer ";
  if (authorization.starts_with(kBearer) && SameSecret(authorization.substr(kBearer.size()), rule.token))
    return Access::Allowed;
  // "a=1; vantor_console=KEY; b=2"
  while (!cookie.empty()) {
    const std::size_t end = std::min(cookie.find(';'), cookie.size());
    std::string_view pair = cookie.substr(0, end);
    cookie.remove_prefix(std::min(end + 1, cookie.size()));
    while (pair.starts_with(' ')) pair.remove_prefix(1);
    if (pair.starts_with(kCookieName) && pair.substr(kCookieName.size()).starts_with('=') &&
        SameSecret(pair.substr(kCookieName.size() + 1), rule.cookieKey))
      return Access::Allowed;
  }
  return Access::Unauthorized;
}

}  // namespace vantor::gateway
