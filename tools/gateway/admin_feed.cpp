// The console's snapshots: built on the loop only while a console asks, and handed over under a lock.
#include "admin_feed.h"

#include <nlohmann/json.hpp>

#include "headless/screen_text.h"
#include "model/page.h"

namespace vantor::gateway {

namespace {

constexpr std::chrono::milliseconds kPublishInterval{100};
// A snapshot this old is still good when nothing changed; older ones are taken again first.
constexpr std::chrono::milliseconds kLongestUnchanged{1000};
// The loop builds snapshots until no console has asked for this long.
constexpr std::chrono::seconds kInterest{10};
// A host screen is far smaller; a chunk beyond it is kept cut.
constexpr std::size_t kLongestKept = 16 * 1024;

using Json = nlohmann::ordered_json;

std::string Dump(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

TerminalScreen ScreenOf(const Shadow& shadow) {
  const HeadlessTerminal& terminal = shadow.Terminal();
  TerminalScreen screen;
  screen.lines = ScreenLines(terminal);
  const Screen& model = terminal.Engine().GetScreen();
  const Page* page = model.pages.At(model.shownPage);
  Json fields = Json::array();
  for (const std::string& line : FieldLines(terminal)) {
    Json field = Json::parse(line, nullptr, false);
    if (field.is_discarded()) continue;
    if (field.value("password", false)) field["text"] = std::string(field["text"].get<std::string>().size(), '*');
    const Field* found = page != nullptr ? page->Fields().Find(field.value("id", -1)) : nullptr;
    const int video = found != nullptr ? found->Video() : kVideoNormal;
    field["video"] = video == kVideoReverse ? "reverse"
                     : video == kVideoBold  ? "bold"
                     : video == kVideoBlink ? "blink"
                                            : "normal";
    fields.push_back(std::move(field));
  }
  screen.fieldsJson = Dump(fields);
  screen.statusJson = StatusLine(terminal);
  return screen;
}

std::int64_t Fingerprint(const GatewayCounts& counts, std::size_t sessions) {
  std::int64_t print = static_cast<std::int64_t>(sessions);
  for (const std::int64_t value : {counts.attached, counts.held, counts.resumed, counts.expired, counts.takenOver,
                                   counts.hostConnectFailures, counts.recordsToHost, counts.recordsToTerminal}) {
    print = print * 1000003 + value;
  }
  return print;
}

}  // namespace

void TurnaroundHistogram::Add(double seconds) {
  ++count;
  sum += seconds;
  for (std::size_t i = 0; i < kBounds.size(); ++i) {
    if (seconds <= kBounds[i]) {
      ++buckets[i];
      return;
    }
  }
}

// ---- the board ----

std::shared_ptr<const ConsoleSnapshot> SnapshotBoard::Take(std::string_view terminalId,
                                                           std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  const TimePoint now = SteadyClock::now();
  lastAsked_ = now;
  if (!terminalId.empty()) {
    const auto found = watched_.find(terminalId);
    if (found != watched_.end()) {
      found->second = now;
    } else if (watched_.size() < 16) {  // what a few people look at, not what a script could ask for
      watched_.emplace(std::string(terminalId), now);
    }
  }
  const auto fresh = [&] {
    return current_->taken + kLongestUnchanged >= now &&
           (terminalId.empty() || current_->asked.count(terminalId) > 0 || !watched_.count(terminalId));
  };
  if (!fresh()) {
    ++waiting_;
    published_.wait_for(lock, wait, fresh);
    --waiting_;
  }
  return current_;
}

bool SnapshotBoard::Wanted(TimePoint now) const {
  const std::lock_guard lock(mutex_);
  return lastAsked_ != TimePoint{} && now - lastAsked_ < kInterest;
}

std::set<std::string, std::less<>> SnapshotBoard::Watched(TimePoint now) {
  const std::lock_guard lock(mutex_);
  std::set<std::string, std::less<>> ids;
  for (auto it = watched_.begin(); it != watched_.end();) {
    if (now - it->second >= kInterest) {
      it = watched_.erase(it);
    } else {
      ids.insert(it->first);
      ++it;
    }
  }
  return ids;
}

void SnapshotBoard::Publish(std::shared_ptr<const ConsoleSnapshot> snapshot) {
  {
    const std::lock_guard lock(mutex_);
    current_ = std::move(snapshot);
  }
  published_.notify_all();
}

bool SnapshotBoard::Waiting() const {
  const std::lock_guard lock(mutex_);
  return waiting_ > 0;
}

// ---- the feed ----

ConsoleFeed::ConsoleFeed(asio::io_context& io, SnapshotBoard& board, TrafficObserver* next, EventSink& events)
    : timer_(io), board_(board), next_(next), events_(events) {}

void ConsoleFeed::Event(const GatewayEvent& event) {
  events_.Event(event);
  const bool linked =
      event.kind == EventKind::Attach || event.kind == EventKind::ComeBack || event.kind == EventKind::TakeOver;
  if (linked && protocols_) tls_[event.terminalId] = protocols_(event.peer);
}

void ConsoleFeed::Start(const GatewayCore& core, Protocols protocols) {
  core_ = &core;
  protocols_ = std::move(protocols);
  stopped_ = false;
  Tick();
}

void ConsoleFeed::Stop() {
  stopped_ = true;
  timer_.cancel();
}

void ConsoleFeed::Keep(SessionId session, std::string_view terminalId, bool toHost, int link, std::string_view bytes) {
  Passed& passed = passed_[session];
  if (passed.terminalId.empty() && !terminalId.empty()) {
    passed.terminalId = terminalId;
    latest_[passed.terminalId] = session;
  }
  const auto micros = static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() - started_).count());
  passed.records.push_back({micros, toHost, link, std::string(bytes.substr(0, kLongestKept))});
  if (passed.records.size() > kKeptRecords) passed.records.pop_front();
}

void ConsoleFeed::FromHost(SessionId session, std::string_view terminalId, std::string_view bytes) {
  if (next_ != nullptr) next_->FromHost(session, terminalId, bytes);
  Keep(session, terminalId, false, 0, bytes);
  Passed& passed = passed_[session];
  if (passed.keySent) {
    turnaround_.Add(std::chrono::duration<double>(SteadyClock::now() - *passed.keySent).count());
    passed.keySent.reset();
  }
}

void ConsoleFeed::ToHost(SessionId session, std::string_view terminalId, std::string_view record) {
  if (next_ != nullptr) next_->ToHost(session, terminalId, record);
  Keep(session, terminalId, true, 0, record);
  const TerminalRecordKind kind = ReadTerminalRecord(record).kind;
  Passed& passed = passed_[session];
  if ((kind == TerminalRecordKind::Key || kind == TerminalRecordKind::PromptReply) && !passed.keySent) {
    passed.keySent = SteadyClock::now();
  }
}

void ConsoleFeed::Rebuilt(SessionId session, std::string_view terminalId, int link, std::string_view wire) {
  if (next_ != nullptr) next_->Rebuilt(session, terminalId, link, wire);
  Keep(session, terminalId, false, link, wire);
}

void ConsoleFeed::SessionEnded(SessionId session) {
  if (next_ != nullptr) next_->SessionEnded(session);
  const auto found = passed_.find(session);
  if (found == passed_.end()) return;
  const auto latest = latest_.find(found->second.terminalId);
  if (latest != latest_.end() && latest->second == session) {
    latest_.erase(latest);
    tls_.erase(found->second.terminalId);
  }
  passed_.erase(found);
}

void ConsoleFeed::Tick() {
  timer_.expires_after(kPublishInterval);
  timer_.async_wait([this](const std::error_code& error) {
    if (error || stopped_) return;
    const TimePoint now = SteadyClock::now();
    if (board_.Wanted(now)) {
      std::set<std::string, std::less<>> watched = board_.Watched(now);
      const std::int64_t print = Fingerprint(core_->Counts(), core_->Sessions());
      if (print != lastFingerprint_ || watched != lastWatched_ || board_.Waiting() ||
          now - lastPublished_ >= kLongestUnchanged / 2) {
        lastFingerprint_ = print;
        lastWatched_ = std::move(watched);
        PublishNow(now);
      }
    }
    Tick();
  });
}

void ConsoleFeed::PublishNow(TimePoint now) {
  auto snapshot = std::make_shared<ConsoleSnapshot>();
  snapshot->taken = now;
  snapshot->wallTaken = WallClock::now();
  snapshot->terminals = core_->Summaries();
  snapshot->counts = core_->Counts();
  snapshot->turnaround = turnaround_;
  for (const TerminalSummary& terminal : snapshot->terminals) {
    if (const auto known = tls_.find(terminal.terminalId); known != tls_.end()) snapshot->tls.insert(*known);
  }
  tls_ = snapshot->tls;  // the ids of sessions that ended go
  snapshot->asked = lastWatched_;
  std::map<std::string, Drawn, std::less<>> drawn;
  for (const TerminalSummary& terminal : snapshot->terminals) {
    const Shadow* shadow = lastWatched_.count(terminal.terminalId) ? core_->ShadowOf(terminal.terminalId) : nullptr;
    if (shadow == nullptr) continue;
    // Drawn again when a record passed or its state changed, and each second for the clock.
    const Drawn basis{terminal.lastActivity, terminal.screens, terminal.state, now};
    const auto before = drawn_.find(terminal.terminalId);
    const TerminalScreen* earlier = nullptr;
    if (last_) {
      if (const auto found = last_->screens.find(terminal.terminalId); found != last_->screens.end())
        earlier = &found->second;
    }
    if (earlier != nullptr && before != drawn_.end() && before->second.Same(basis) &&
        now - before->second.at < kLongestUnchanged) {
      snapshot->screens.emplace(terminal.terminalId, *earlier);
      drawn.emplace(terminal.terminalId, before->second);
      continue;
    }
    TerminalScreen screen = ScreenOf(*shadow);
    if (const auto latest = latest_.find(terminal.terminalId); latest != latest_.end()) {
      const std::deque<PassedRecord>& records = passed_[latest->second].records;
      screen.records.assign(records.begin(), records.end());
    }
    snapshot->screens.emplace(terminal.terminalId, std::move(screen));
    drawn.emplace(terminal.terminalId, basis);
  }
  drawn_ = std::move(drawn);
  lastPublished_ = now;
  last_ = snapshot;
  board_.Publish(std::move(snapshot));
}

}  // namespace vantor::gateway
