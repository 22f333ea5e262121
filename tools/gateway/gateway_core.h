// The gateway without sockets: terminals' and hosts' bytes in, what to send and close out. It keeps
// each terminal's host session and shadow while the terminal is away and rebuilds its screen when it
// comes back. The network layer (gateway_server.h), the tests and the fuzz target drive it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/record_assembler.h"
#include "session/responses.h"
#include "settings/settings.h"
#include "shadow.h"

namespace vantor::gateway {

using SteadyClock = std::chrono::steady_clock;
using TimePoint = SteadyClock::time_point;

using ConnectionId = std::uint64_t;  // one terminal connection to the gateway
using SessionId = std::uint64_t;     // one host session: its host connection, its shadow

enum class CloseMode {
  AfterSending,  // what is queued goes out, then the end of the stream
  Reset,         // at once, as a lost peer's connection ends
};

// What the core asks of the network. Calls never come back into the core before they return; their
// outcome arrives later as an event (HostConnected, TerminalClosed...). A connection or session the
// core closed is never reported again.
class GatewayIo {
 public:
  virtual ~GatewayIo() = default;
  virtual void SendToTerminal(ConnectionId connection, std::string_view bytes) = 0;
  virtual void CloseTerminal(ConnectionId connection, CloseMode mode) = 0;
  virtual void ConnectHost(SessionId session) = 0;
  virtual void SendToHost(SessionId session, std::string_view bytes) = 0;
  virtual void CloseHost(SessionId session, CloseMode mode) = 0;
};

enum class EventKind {
  Attach,           // a terminal identified itself and its host session started
  Hold,             // its connection ended: the host session is held
  ComeBack,         // it came back within the hold: its screen was rebuilt
  TakeOver,         // a second connection with its id took the session over
  Expire,           // the hold ran out: the host connection was closed
  HostClosed,       // the host ended the session
  Unreachable,      // the host could not be reached: the terminal's connection was closed
  Ended,            // a terminal without hold left: its host connection was closed
  NoIdentify,       // a connection that never identified itself was closed
  BadIdentify,      // a connection's first record was no identification: closed
  CutRecord,        // a record the terminal sent only in part was not passed on
  OversizedRecord,  // a record over the size bound was dropped
};
const char* EventName(EventKind kind);

struct GatewayEvent {
  EventKind kind = EventKind::Attach;
  std::string terminalId;  // as the terminal sends it ("" without)
  std::string peer;        // the terminal's address, when a connection is concerned
  std::string detail;      // what else there is to say, in words
};

class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void Event(const GatewayEvent& event) = 0;
};

// The bytes of one session as they pass, for the per-terminal trace. `link` 0 is the host
// connection; the records the gateway itself writes to a terminal are told with the number of that
// terminal connection within the session (1, 2, ...).
class TrafficObserver {
 public:
  virtual ~TrafficObserver() = default;
  virtual void FromHost(SessionId session, std::string_view terminalId, std::string_view bytes) = 0;
  virtual void ToHost(SessionId session, std::string_view terminalId, std::string_view record) = 0;
  virtual void Rebuilt(SessionId session, std::string_view terminalId, int link, std::string_view wire) = 0;
  virtual void SessionEnded(SessionId session) = 0;
};

struct CoreOptions {
  std::chrono::milliseconds hold{std::chrono::seconds(600)};
  std::chrono::milliseconds identifyTimeout{std::chrono::seconds(30)};
  Settings site;  // the terminals' settings as the shadows take them (code page, grid, toolbar)
  // Host records kept for a terminal that is away, beyond its rebuild; past it they go into the
  // shadow only (their sounds and serial output are not replayed).
  std::size_t heldBytesLimit = 32 * 1024;
};

enum class SessionState { Connecting, Attached, Held };

// One terminal's session as a console lists it: plain data, copied on the loop.
struct TerminalSummary {
  std::string terminalId;
  std::string peer;
  SessionState state = SessionState::Connecting;
  bool hostConnected = false;
  TimePoint since{};         // in this state since
  TimePoint connected{};     // the session started
  TimePoint lastActivity{};  // the last record either way
  std::int64_t screens = 0;  // host records
  bool keyboardLocked = true;
};

struct GatewayCounts {
  std::int64_t attached = 0, held = 0;  // sessions now
  std::int64_t resumed = 0, expired = 0, takenOver = 0, hostConnectFailures = 0;
  std::int64_t recordsToHost = 0, recordsToTerminal = 0;
};

class GatewayCore {
 public:
  GatewayCore(CoreOptions options, GatewayIo& io, EventSink& events, TrafficObserver* traffic = nullptr);
  ~GatewayCore();
  GatewayCore(const GatewayCore&) = delete;
  GatewayCore& operator=(const GatewayCore&) = delete;

  // ---- events from the network ----
  void TerminalConnected(ConnectionId connection, std::string peer, TimePoint now);
  void TerminalBytes(ConnectionId connection, std::string_view bytes, TimePoint now);
  // The terminal's connection ended (end of stream, reset, failed write): without a goodbye of ours.
  void TerminalClosed(ConnectionId connection, TimePoint now);
  void HostConnected(SessionId session, TimePoint now);
  void HostConnectFailed(SessionId session, const std::string& why, TimePoint now);
  // Bytes as the host writes them (0xFF doubled).
  void HostBytes(SessionId session, std::string_view bytes, TimePoint now);
  void HostClosed(SessionId session, TimePoint now);
  // Time-outs: unidentified connections, holds that ran out.
  void Tick(TimePoint now);

  // ---- what a console reads (on the loop's thread) ----
  std::vector<TerminalSummary> Summaries() const;
  // The shadow of a held or attached terminal with that id; null when there is none.
  const Shadow* ShadowOf(std::string_view terminalId) const;
  GatewayCounts Counts() const;
  std::size_t Connections() const { return connections_.size(); }
  std::size_t Sessions() const { return sessions_.size(); }

 private:
  struct Connection;
  struct Session;

  void Identify(Connection& connection, std::string_view record, TimePoint now);
  void StartSession(Connection& connection, const std::string& id, bool holds, std::string_view identify,
                    TimePoint now);
  void Attach(Session& session, Connection& connection, TimePoint now);
  // takeOver: the terminal is back at once on another connection (no hold is told).
  void Detach(Session& session, TimePoint now, bool takeOver = false);
  void Resume(Session& session);
  void FromTerminal(Session& session, std::string_view record, TimePoint now);
  void SendOrKeep(Session& session, std::string_view record);
  bool Answered(Session& session, const TerminalRecord& read, std::string_view record);
  void FromHost(Session& session, RecordBytes record, TimePoint now);
  void HoldRecord(Session& session, RecordBytes record);
  void AcknowledgeOldest(Session& session);
  void SendHost(Session& session, std::string_view record);
  void SendTerminal(Session& session, std::string_view wire);
  void EndSession(SessionId id);
  void CloseConnection(ConnectionId id, CloseMode mode);
  void Emit(EventKind kind, const std::string& terminalId, const std::string& peer, std::string detail = {});
  Session* FindSession(SessionId id);
  Connection* FindConnection(ConnectionId id);

  CoreOptions options_;
  GatewayIo& io_;
  EventSink& events_;
  TrafficObserver* traffic_;
  std::map<ConnectionId, std::unique_ptr<Connection>> connections_;
  std::map<SessionId, std::unique_ptr<Session>> sessions_;
  std::map<std::string, SessionId, std::less<>> byId_;  // sessions that hold, by terminal id
  SessionId nextSession_ = 1;
  GatewayCounts counts_;
};

}  // namespace vantor::gateway
