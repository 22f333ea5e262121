// The gateway's sessions: identification, records both ways with their acknowledgements matched,
// the hold, the rebuild on coming back, and the ends.
#include "gateway_core.h"

#include <algorithm>
#include <utility>

#include "screen_builder.h"
#include "screen_rebuild.h"
#include "session/record_dispatch.h"
#include "session/wire_format.h"

namespace vantor::gateway {

using host_records::ScreenBuilder;

namespace {

// A terminal's responses are far below this (one page's fields); a terminal that never ends a record
// cannot hold more of the gateway's memory.
constexpr std::size_t kTerminalRecordLimit = 1024 * 1024;
// An identification is the id and one letter; more bytes before one are not a terminal's.
constexpr std::size_t kIdentifyBytes = 64;
// Host records a terminal has not acknowledged: past this it is taken to have them.
constexpr std::size_t kMostUnacknowledged = 256;
// How long a terminal that came back may take to send its fields before its screen is rebuilt anyway.
constexpr std::chrono::seconds kResumeWait{5};

std::string_view Text(RecordBytes bytes) { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }
RecordBytes Bytes(std::string_view text) { return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}; }

bool OwnRecord(TerminalRecordKind kind) {
  return kind == TerminalRecordKind::Identify || kind == TerminalRecordKind::ScreenReceived ||
         kind == TerminalRecordKind::Empty || kind == TerminalRecordKind::Status;
}

// A record of the terminal's that answers a host record without being asked by the operator.
struct Answer {
  TerminalRecordKind kind = TerminalRecordKind::Empty;
  std::string record;  // the shadow's own (framed), sent when the terminal's never comes
};

std::vector<Answer> AnswersOf(const Answers& records) {
  std::vector<Answer> answers;
  for (const std::string& record : records) answers.push_back({ReadTerminalRecord(record).kind, record});
  return answers;
}

// The records the dispatcher itself answers a host record with, before any screen command runs:
// the first of them is the terminal's acknowledgement that it has the record.
std::vector<Answer> DispatcherAnswers(RecordBytes record) {
  class Probe final : public DispatchTarget {
   public:
    std::vector<Answer> answers;
    void SendOwnRecord(std::string_view own, bool) override { answers.push_back({ReadTerminalRecord(own).kind, {}}); }
    void InterpretScreen(const std::uint8_t*, const std::uint8_t*) override {}
    void ResetScreen() override {}
  } probe;
  DispatchRecord(probe, record);
  return std::move(probe.answers);
}

std::string WireOf(RecordBytes record) {
  std::string wire = EscapeForWire(WithoutTerminator(Text(record)));
  wire.append(kTerminator);
  return wire;
}

// Unwrapped from the wire: the rebuild's records as the terminal's dispatcher sees them.
std::string Unescaped(std::string wire) {
  bool pending = false;
  const int length =
      UnescapeInPlace(reinterpret_cast<std::uint8_t*>(wire.data()), static_cast<int>(wire.size()), pending);
  wire.resize(static_cast<std::size_t>(length));
  return wire;
}

bool HoldsSession(std::string_view id) { return !id.empty() && id.size() <= 3 && id.front() != '0'; }

}  // namespace

const char* EventName(EventKind kind) {
  switch (kind) {
    case EventKind::Attach: return "attach";
    case EventKind::Hold: return "hold";
    case EventKind::ComeBack: return "come back";
    case EventKind::TakeOver: return "take-over";
    case EventKind::Expire: return "expire";
    case EventKind::HostClosed: return "host closed";
    case EventKind::Unreachable: return "unreachable";
    case EventKind::Ended: return "ended";
    case EventKind::NoIdentify: return "no identification";
    case EventKind::BadIdentify: return "bad identification";
    case EventKind::CutRecord: return "cut record";
    case EventKind::OversizedRecord: return "oversized record";
  }
  return "?";
}

struct GatewayCore::Connection {
  ConnectionId id = 0;
  std::string peer;
  TimePoint deadline{};  // to identify itself by
  RecordAssembler assembler{kTerminalRecordLimit};
  bool identified = false;
  SessionId session = 0;  // 0: none (not yet, or its session ended and it is being closed)
};

struct GatewayCore::Session {
  // A host record sent to the terminal and not yet wholly answered by it, or a record of the
  // gateway's own (a rebuild, a replay) whose answers are the gateway's to take.
  struct Unanswered {
    enum Origin { Host, Probe, Delivery } origin = Host;  // Probe: the send-fields record of a come-back
    std::string record;  // a host record until the terminal acknowledges it: then it goes into the shadow
    bool applied = false;
    TerminalRecordKind first = TerminalRecordKind::Empty;  // the acknowledgement expected
    std::vector<Answer> answers;
    std::size_t matched = 0;
    bool FromHost() const { return origin == Host; }
  };
  // What a terminal that is away has not seen: its screen before, and the host records since.
  struct Missed {
    std::optional<std::vector<std::string>> screen;                    // rebuild records, taken before the first record
    std::vector<std::pair<std::string, std::vector<Answer>>> records;  // wire form, their answers
    std::size_t bytes = 0;
    bool overflowed = false;  // too much: the screen is rebuilt from the shadow, the effects are gone
  };

  SessionId id = 0;
  std::string terminalId;
  bool holds = false;
  std::unique_ptr<Shadow> shadow;  // none without hold
  SessionState state = SessionState::Connecting;
  bool hostConnected = false;
  ConnectionId terminal = 0;
  std::string peer;
  std::string identify;                                // the terminal's identification, for the host once connected
  std::vector<std::string> preHost;                    // the terminal's records before the host connection was up
  bool pendingFf = false;                              // a doubled 0xFF split between two reads of the host
  RecordAssembler hostRecords;                         // the terminal's own bound
  std::deque<Unanswered> unanswered;                   // in the order sent
  Missed missed;                                       // while away
  Missed delivering;                                   // sent on coming back, until the terminal has taken all of it
  std::size_t deliveryLeft = 0, deliveryReceived = 0;  // its records still unanswered, and those begun
  bool resuming = false;                               // back, asked for its fields; its screen follows their answer
  TimePoint resumeBy{};
  std::optional<TerminalRecord> unsent;  // the fields and focus the terminal had not sent
  int links = 0;                         // terminal connections so far
  TimePoint holdEnds{}, since{}, started{}, lastActivity{};
  std::int64_t screens = 0;
};

GatewayCore::GatewayCore(CoreOptions options, GatewayIo& io, EventSink& events, TrafficObserver* traffic)
    : options_(std::move(options)), io_(io), events_(events), traffic_(traffic) {}

GatewayCore::~GatewayCore() = default;

GatewayCore::Session* GatewayCore::FindSession(SessionId id) {
  const auto found = sessions_.find(id);
  return found == sessions_.end() ? nullptr : found->second.get();
}

GatewayCore::Connection* GatewayCore::FindConnection(ConnectionId id) {
  const auto found = connections_.find(id);
  return found == connections_.end() ? nullptr : found->second.get();
}

void GatewayCore::Emit(EventKind kind, const std::string& terminalId, const std::string& peer, std::string detail) {
  events_.Event({kind, terminalId, peer, std::move(detail)});
}

void GatewayCore::CloseConnection(ConnectionId id, CloseMode mode) {
  io_.CloseTerminal(id, mode);
  connections_.erase(id);
}

// ---- terminals ----

void GatewayCore::TerminalConnected(ConnectionId connection, std::string peer, TimePoint now) {
  auto added = std::make_unique<Connection>();
  added->id = connection;
  added->peer = std::move(peer);
  added->deadline = now + options_.identifyTimeout;
  connections_[connection] = std::move(added);
}

void GatewayCore::TerminalBytes(ConnectionId id, std::string_view bytes, TimePoint now) {
  Connection* connection = FindConnection(id);
  if (connection == nullptr) return;
  std::vector<std::string> records;
  const std::size_t dropped = connection->assembler.DroppedRecords();
  connection->assembler.Feed(Bytes(bytes), [&records](RecordBytes record) { records.emplace_back(Text(record)); });
  for (const std::string& record : records) {
    if (!connection->identified) {
      Identify(*connection, record, now);
    } else if (Session* session = FindSession(connection->session); session != nullptr && session->terminal == id) {
      FromTerminal(*session, record, now);
    }
    connection = FindConnection(id);
    if (connection == nullptr) return;
  }
  if (connection->assembler.DroppedRecords() != dropped) {
    Emit(EventKind::OversizedRecord, {}, connection->peer, "from the terminal, not passed on");
  }
  if (!connection->identified && connection->assembler.PendingBytes() > kIdentifyBytes) {
    Emit(EventKind::BadIdentify, {}, connection->peer, "no identification in its first bytes");
    CloseConnection(id, CloseMode::Reset);
  }
}

void GatewayCore::TerminalClosed(ConnectionId id, TimePoint now) {
  Connection* connection = FindConnection(id);
  if (connection == nullptr) return;
  Session* session = FindSession(connection->session);
  if (session != nullptr && session->terminal == id) {
    if (connection->assembler.PendingBytes() > 0) {
      Emit(EventKind::CutRecord, session->terminalId, connection->peer,
           std::to_string(connection->assembler.PendingBytes()) + " bytes");
    }
    Detach(*session, now);
  }
  connections_.erase(id);
}

void GatewayCore::Identify(Connection& connection, std::string_view record, TimePoint now) {
  const TerminalRecord read = ReadTerminalRecord(record);
  if (read.kind != TerminalRecordKind::Identify || !read.Whole()) {
    Emit(EventKind::BadIdentify, read.terminalId, connection.peer, "its first record is no identification");
    CloseConnection(connection.id, CloseMode::Reset);
    return;
  }
  connection.identified = true;
  const bool holds = HoldsSession(read.terminalId);
  if (holds) {
    if (const auto found = byId_.find(read.terminalId); found != byId_.end()) {
      Attach(*FindSession(found->second), connection, now);
      return;
    }
  }
  StartSession(connection, read.terminalId, holds, record, now);
}

void GatewayCore::StartSession(Connection& connection, const std::string& id, bool holds, std::string_view identify,
                               TimePoint now) {
  auto session = std::make_unique<Session>();
  session->id = nextSession_++;
  session->terminalId = id;
  session->holds = holds;
  if (holds) session->shadow = std::make_unique<Shadow>(options_.site, std::stoi(id));
  session->terminal = connection.id;
  session->peer = connection.peer;
  session->identify = identify;
  session->links = 1;
  session->since = session->started = session->lastActivity = now;
  connection.session = session->id;
  const SessionId sessionId = session->id;
  if (holds) byId_[id] = sessionId;
  sessions_[sessionId] = std::move(session);
  Emit(EventKind::Attach, id, connection.peer, holds ? std::string() : "no hold");
  io_.ConnectHost(sessionId);
}

void GatewayCore::Attach(Session& session, Connection& connection, TimePoint now) {
  if (session.terminal != 0) {
    const ConnectionId previous = session.terminal;
    if (session.state != SessionState::Connecting) Detach(session, now, true);
    session.terminal = 0;
    CloseConnection(previous, CloseMode::Reset);
    ++counts_.takenOver;
    Emit(EventKind::TakeOver, session.terminalId, connection.peer, "from " + session.peer);
  } else {
    ++counts_.resumed;
    Emit(EventKind::ComeBack, session.terminalId, connection.peer);
  }
  session.terminal = connection.id;
  session.peer = connection.peer;
  session.since = now;
  connection.session = session.id;
  ++session.links;
  if (session.state == SessionState::Connecting) return;  // nothing has reached the terminal yet
  session.state = SessionState::Attached;
  // First the operator's work it had not sent (typed values, the focus): a send-fields record, whose
  // key response the gateway keeps. The screen follows once it has come.
  const std::string probe = ScreenBuilder().SendFields(0).Wire();
  SendTerminal(session, probe);
  if (traffic_ != nullptr) traffic_->Rebuilt(session.id, session.terminalId, session.links - 1, probe);
  Session::Unanswered entry;
  entry.origin = Session::Unanswered::Probe;
  entry.applied = true;
  entry.answers = {{TerminalRecordKind::ScreenReceived, {}}, {TerminalRecordKind::Key, {}}};
  session.unanswered.push_back(std::move(entry));
  session.resuming = true;
  session.resumeBy = now + kResumeWait;
  session.unsent.reset();
}

void GatewayCore::Resume(Session& session) {
  session.resuming = false;
  Session::Missed missed = std::move(session.missed);
  session.missed = {};
  // Values typed into the screen the terminal still has: nothing from the host came between.
  if (session.unsent && !missed.screen && !missed.overflowed) session.shadow->TakeUnsent(*session.unsent);
  session.unsent.reset();
  const bool replay = missed.screen.has_value() && !missed.overflowed;
  const std::vector<std::string> screen = replay ? *missed.screen : RebuildRecords(*session.shadow);
  const auto own = [&](const std::string& wire, std::vector<Answer> answers) {
    SendTerminal(session, wire);
    if (traffic_ != nullptr) traffic_->Rebuilt(session.id, session.terminalId, session.links - 1, wire);
    Session::Unanswered entry;
    entry.origin = Session::Unanswered::Delivery;
    entry.applied = true;
    entry.answers = std::move(answers);
    session.unanswered.push_back(std::move(entry));
    ++session.deliveryLeft;
  };
  session.deliveryReceived = 0;
  for (const std::string& wire : screen) own(wire, DispatcherAnswers(Bytes(Unescaped(wire))));
  if (replay) {
    for (auto& [wire, answers] : missed.records) own(wire, std::move(answers));
  }
  session.delivering = replay ? std::move(missed) : Session::Missed{};
}

void GatewayCore::Detach(Session& session, TimePoint now, bool takeOver) {
  // What the terminal may not have: the records of its coming back, and host records it did not
  // acknowledge (they go into the shadow now, and are kept to be sent again).
  if (!session.resuming && session.deliveryLeft > 0) {
    if (session.deliveryReceived == 0) {
      session.missed = std::move(session.delivering);
    } else {
      session.missed = {};
      session.missed.overflowed = true;
    }
  }
  session.resuming = false;
  session.delivering = {};
  session.deliveryLeft = session.deliveryReceived = 0;
  std::deque<Session::Unanswered> unanswered = std::move(session.unanswered);
  session.unanswered.clear();
  const bool holds = session.holds;
  for (Session::Unanswered& entry : unanswered) {
    if (!entry.FromHost() || !holds) continue;
    if (!entry.applied) {
      HoldRecord(session, Bytes(entry.record));
      continue;
    }
    for (std::size_t i = entry.matched; i < entry.answers.size(); ++i) SendHost(session, entry.answers[i].record);
  }
  session.terminal = 0;
  session.since = now;
  if (!holds) {
    Emit(EventKind::Ended, session.terminalId, session.peer, "no hold: host connection closed");
    io_.CloseHost(session.id, CloseMode::Reset);
    EndSession(session.id);
    return;
  }
  if (session.hostConnected) session.state = SessionState::Held;
  session.holdEnds = now + options_.hold;
  if (!takeOver) Emit(EventKind::Hold, session.terminalId, session.peer);
}

void GatewayCore::FromTerminal(Session& session, std::string_view record, TimePoint now) {
  session.lastActivity = now;
  if (!session.shadow) {
    SendOrKeep(session, record);
    return;
  }
  const TerminalRecord read = ReadTerminalRecord(record);
  if (Answered(session, read, record)) return;
  if (session.resuming) Resume(session);                 // it went on without answering: its screen as it was
  if (read.kind == TerminalRecordKind::Goodbye) return;  // the terminal's, to the gateway: the session goes on
  // Values the terminal had typed before it came back are the gateway's to report with its next key.
  // The host gets the record first: the shadow's work is not on the way to its answer.
  const std::string merged = session.shadow->WithUnreported(read);
  if (merged.empty()) {
    SendOrKeep(session, record);
    session.shadow->TerminalRecord(read);
    return;
  }
  SendOrKeep(session, merged);
  session.shadow->TerminalRecord(ReadTerminalRecord(merged));
}

void GatewayCore::SendOrKeep(Session& session, std::string_view record) {
  if (session.hostConnected) {
    SendHost(session, record);
  } else {
    session.preHost.emplace_back(record);
  }
}

bool GatewayCore::Answered(Session& session, const TerminalRecord& read, std::string_view record) {
  if (session.unanswered.empty()) return false;
  Session::Unanswered& head = session.unanswered.front();
  if (head.applied && head.matched >= head.answers.size()) return false;
  const TerminalRecordKind expected = head.applied ? head.answers[head.matched].kind : head.first;
  // A key before the record's acknowledgement is the operator's; after it, the send-fields command's.
  if (read.kind != expected || (!OwnRecord(read.kind) && head.matched == 0)) return false;
  if (head.FromHost()) SendHost(session, record);  // before the shadow's work
  if (!head.applied) {
    Answers answers;
    session.shadow->HostRecord(Bytes(head.record), answers);
    head.answers = AnswersOf(answers);
    head.applied = true;
    std::string().swap(head.record);
  }
  if (read.kind == TerminalRecordKind::Status && read.Whole()) session.shadow->SetGrid(read.columns, read.rows);
  if (head.origin == Session::Unanswered::Probe) {
    if (read.kind == TerminalRecordKind::Key) session.unsent = read;
  } else if (read.kind == TerminalRecordKind::Key) {
    session.shadow->TerminalAnswer(read);
  }
  if (head.origin == Session::Unanswered::Delivery && head.matched == 0) ++session.deliveryReceived;
  if (++head.matched < head.answers.size()) return true;
  const Session::Unanswered::Origin origin = head.origin;
  session.unanswered.pop_front();
  if (origin == Session::Unanswered::Delivery && --session.deliveryLeft == 0) {
    session.delivering = {};
    session.deliveryReceived = 0;
  }
  if (origin == Session::Unanswered::Probe && session.resuming) Resume(session);
  return true;
}

// ---- hosts ----

void GatewayCore::HostConnected(SessionId id, TimePoint now) {
  Session* session = FindSession(id);
  if (session == nullptr || session->hostConnected) return;
  session->hostConnected = true;
  session->since = now;
  session->state = session->terminal != 0 ? SessionState::Attached : SessionState::Held;
  SendHost(*session, session->identify);
  for (const std::string& record : session->preHost) SendHost(*session, record);
  session->preHost.clear();
}

void GatewayCore::HostConnectFailed(SessionId id, const std::string& why, TimePoint) {
  Session* session = FindSession(id);
  if (session == nullptr || session->hostConnected) return;
  ++counts_.hostConnectFailures;
  Emit(EventKind::Unreachable, session->terminalId, session->peer, why);
  if (session->terminal != 0) CloseConnection(session->terminal, CloseMode::Reset);
  EndSession(id);
}

void GatewayCore::HostBytes(SessionId id, std::string_view bytes, TimePoint now) {
  Session* session = FindSession(id);
  if (session == nullptr || !session->hostConnected) return;
  if (traffic_ != nullptr) traffic_->FromHost(id, session->terminalId, bytes);
  if (!session->shadow) {
    // Passed through as it comes.
    session->lastActivity = now;
    if (session->terminal != 0) io_.SendToTerminal(session->terminal, bytes);
    return;
  }
  std::string chunk(bytes);
  const int length = UnescapeInPlace(reinterpret_cast<std::uint8_t*>(chunk.data()), static_cast<int>(chunk.size()),
                                     session->pendingFf);
  std::vector<std::string> records;
  const std::size_t dropped = session->hostRecords.DroppedRecords();
  session->hostRecords.Feed(
      RecordBytes(reinterpret_cast<const std::uint8_t*>(chunk.data()), static_cast<std::size_t>(length)),
      [&records](RecordBytes record) { records.emplace_back(Text(record)); });
  if (session->hostRecords.DroppedRecords() != dropped) {
    Emit(EventKind::OversizedRecord, session->terminalId, session->peer,
         "from the host, dropped as the terminal drops it");
  }
  for (const std::string& record : records) FromHost(*session, Bytes(record), now);
}

void GatewayCore::FromHost(Session& session, RecordBytes record, TimePoint now) {
  ++session.screens;
  session.lastActivity = now;
  if (session.terminal == 0 || session.resuming) {
    HoldRecord(session, record);
    return;
  }
  SendTerminal(session, WireOf(record));
  Session::Unanswered entry;
  std::vector<Answer> first = DispatcherAnswers(record);
  if (first.empty()) {
    Answers ignored;
    session.shadow->HostRecord(record, ignored);
    return;
  }
  entry.first = first.front().kind;
  entry.record = std::string(Text(record));
  session.unanswered.push_back(std::move(entry));
  if (session.unanswered.size() > kMostUnacknowledged) AcknowledgeOldest(session);
}

void GatewayCore::AcknowledgeOldest(Session& session) {
  Session::Unanswered head = std::move(session.unanswered.front());
  session.unanswered.pop_front();
  if (head.FromHost() && !head.applied) {
    Answers ignored;
    session.shadow->HostRecord(Bytes(head.record), ignored);
  } else if (head.origin == Session::Unanswered::Delivery) {
    if (head.matched == 0) ++session.deliveryReceived;
    if (--session.deliveryLeft == 0) session.delivering = {};
  } else if (head.origin == Session::Unanswered::Probe && session.resuming) {
    Resume(session);
  }
}

void GatewayCore::HoldRecord(Session& session, RecordBytes record) {
  Session::Missed& missed = session.missed;
  if (!missed.overflowed && !missed.screen) {
    missed.screen = RebuildRecords(*session.shadow);
    for (const std::string& wire : *missed.screen) missed.bytes += wire.size();
  }
  Answers answers;
  session.shadow->HostRecord(record, answers);
  for (const std::string& answer : answers) SendHost(session, answer);
  if (missed.overflowed) return;
  std::string wire = WireOf(record);
  missed.bytes += wire.size();
  missed.records.emplace_back(std::move(wire), AnswersOf(answers));
  if (missed.bytes > options_.heldBytesLimit) {
    missed = {};
    missed.overflowed = true;
  }
}

void GatewayCore::HostClosed(SessionId id, TimePoint) {
  Session* session = FindSession(id);
  if (session == nullptr) return;
  Emit(EventKind::HostClosed, session->terminalId, session->peer,
       session->terminal != 0 ? "terminal connection closed" : "held session dropped");
  if (session->terminal != 0) CloseConnection(session->terminal, CloseMode::AfterSending);
  EndSession(id);
}

void GatewayCore::SendHost(Session& session, std::string_view record) {
  ++counts_.recordsToHost;
  if (traffic_ != nullptr) traffic_->ToHost(session.id, session.terminalId, record);
  io_.SendToHost(session.id, record);
}

void GatewayCore::SendTerminal(Session& session, std::string_view wire) {
  ++counts_.recordsToTerminal;
  io_.SendToTerminal(session.terminal, wire);
}

void GatewayCore::EndSession(SessionId id) {
  Session* session = FindSession(id);
  if (session == nullptr) return;
  if (session->holds) {
    const auto found = byId_.find(session->terminalId);
    if (found != byId_.end() && found->second == id) byId_.erase(found);
  }
  if (Connection* connection = FindConnection(session->terminal)) connection->session = 0;
  if (traffic_ != nullptr) traffic_->SessionEnded(id);
  sessions_.erase(id);
}

void GatewayCore::Tick(TimePoint now) {
  std::vector<ConnectionId> silent;
  for (const auto& [id, connection] : connections_) {
    if (!connection->identified && now >= connection->deadline) silent.push_back(id);
  }
  for (const ConnectionId id : silent) {
    Emit(EventKind::NoIdentify, {}, FindConnection(id)->peer, "closed after waiting for its identification");
    CloseConnection(id, CloseMode::Reset);
  }
  for (const auto& [id, session] : sessions_) {
    if (session->resuming && now >= session->resumeBy) Resume(*session);
  }
  std::vector<SessionId> expired;
  for (const auto& [id, session] : sessions_) {
    if (session->terminal == 0 && now >= session->holdEnds) expired.push_back(id);
  }
  for (const SessionId id : expired) {
    Session& session = *FindSession(id);
    ++counts_.expired;
    Emit(EventKind::Expire, session.terminalId, session.peer, "host connection closed as a lost terminal's");
    io_.CloseHost(id, CloseMode::Reset);
    EndSession(id);
  }
}

// ---- for a console ----

std::vector<TerminalSummary> GatewayCore::Summaries() const {
  std::vector<TerminalSummary> summaries;
  summaries.reserve(sessions_.size());
  for (const auto& [id, session] : sessions_) {
    TerminalSummary summary;
    summary.terminalId = session->terminalId;
    summary.peer = session->peer;
    summary.state = session->state;
    summary.hostConnected = session->hostConnected;
    summary.since = session->since;
    summary.connected = session->started;
    summary.lastActivity = session->lastActivity;
    summary.screens = session->screens;
    summary.keyboardLocked =
        session->shadow && session->shadow->Terminal().Engine().GetScreen().keyboard == Keyboard::Locked;
    summaries.push_back(std::move(summary));
  }
  return summaries;
}

const Shadow* GatewayCore::ShadowOf(std::string_view terminalId) const {
  const auto found = byId_.find(terminalId);
  if (found == byId_.end()) return nullptr;
  return sessions_.at(found->second)->shadow.get();
}

GatewayCounts GatewayCore::Counts() const {
  GatewayCounts counts = counts_;
  for (const auto& [id, session] : sessions_) {
    if (session->terminal != 0)
      ++counts.attached;
    else
      ++counts.held;
  }
  return counts;
}

}  // namespace vantor::gateway
