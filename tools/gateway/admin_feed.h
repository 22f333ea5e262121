// The console's view of the gateway: copies taken on the event loop and published as an immutable
// snapshot, so that the console's threads read them while the loop never waits on a browser.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <asio.hpp>

#include "gateway_core.h"

namespace vantor::gateway {

using WallClock = std::chrono::system_clock;

// Seconds from a terminal's key to the host's first bytes after it.
struct TurnaroundHistogram {
  static constexpr std::array<double, 12> kBounds{0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025,
                                                  0.05,   0.1,   0.25,   0.5,   1.0,  2.5};
  std::array<std::int64_t, kBounds.size()> buckets{};  // not cumulative; above the last bound: count - sum
  std::int64_t count = 0;
  double sum = 0;
  void Add(double seconds);
};

// One record (or a host's chunk of bytes) as it passed; link 0 is the host connection, a rebuild
// written to the terminal's n-th connection is told with link n.
struct PassedRecord {
  std::uint64_t micros = 0;  // since the feed started
  bool toHost = false;
  int link = 0;
  std::string bytes;
};

// What a terminal's page shows, taken from its shadow.
struct TerminalScreen {
  std::vector<std::string> lines;  // the page in front, cell by cell (passwords as '*')
  std::string fieldsJson;          // an array: each field with its value (a password's as '*'), video, focus
  std::string statusJson;          // keyboard, lock, focus, dialog and its text, labels
  std::vector<PassedRecord> records;
};

struct ConsoleSnapshot {
  TimePoint taken{};
  WallClock::time_point wallTaken{};
  std::vector<TerminalSummary> terminals;
  GatewayCounts counts;
  TurnaroundHistogram turnaround;
  std::map<std::string, std::string, std::less<>> tls;         // by terminal id: its (last) link's TLS protocol
  std::set<std::string, std::less<>> asked;                    // the screens a console asked for lately
  std::map<std::string, TerminalScreen, std::less<>> screens;  // those of them with a shadow
  WallClock::time_point Wall(TimePoint at) const {
    return wallTaken + std::chrono::duration_cast<WallClock::duration>(at - taken);
  }
};

// Where the loop puts snapshots and the console takes them. The console says what it wants; the loop
// builds snapshots only while someone asks.
class SnapshotBoard {
 public:
  // The latest snapshot, fresh enough for a request made now (with the screen of `terminalId` when
  // not empty): waits for the loop's next one when it is not, at most `wait`. Never null.
  std::shared_ptr<const ConsoleSnapshot> Take(std::string_view terminalId, std::chrono::milliseconds wait);

  // ---- the loop's side ----
  bool Wanted(TimePoint now) const;
  // Terminals whose screens were asked for lately.
  std::set<std::string, std::less<>> Watched(TimePoint now);
  void Publish(std::shared_ptr<const ConsoleSnapshot> snapshot);
  // A request is waiting for a snapshot younger than the current one.
  bool Waiting() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable published_;
  std::shared_ptr<const ConsoleSnapshot> current_ = std::make_shared<ConsoleSnapshot>();
  std::map<std::string, TimePoint, std::less<>> watched_;
  TimePoint lastAsked_{};
  int waiting_ = 0;
};

// On the loop's thread: passes the traffic and the events on (to the trace files, or none, and the
// log), keeps each session's last records, its TLS protocol and the turnaround, and publishes
// snapshots of `core` to the board.
class ConsoleFeed final : public TrafficObserver, public EventSink {
 public:
  ConsoleFeed(asio::io_context& io, SnapshotBoard& board, TrafficObserver* next, EventSink& events);
  // The TLS protocol of the terminal connected from an address ("" plain).
  using Protocols = std::function<std::string(std::string_view peer)>;
  // Starts publishing from the core; the core must outlive the feed's timer (Stop).
  void Start(const GatewayCore& core, Protocols protocols);
  void Stop();

  void FromHost(SessionId session, std::string_view terminalId, std::string_view bytes) override;
  void ToHost(SessionId session, std::string_view terminalId, std::string_view record) override;
  void Rebuilt(SessionId session, std::string_view terminalId, int link, std::string_view wire) override;
  void SessionEnded(SessionId session) override;
  void Event(const GatewayEvent& event) override;

  // Records kept per session.
  static constexpr std::size_t kKeptRecords = 24;

 private:
  struct Passed {
    std::string terminalId;
    std::deque<PassedRecord> records;
    std::optional<TimePoint> keySent;
  };
  // What a terminal's screen was drawn from, and when.
  struct Drawn {
    TimePoint lastActivity{};
    std::int64_t screens = 0;
    SessionState state = SessionState::Connecting;
    TimePoint at{};
    bool Same(const Drawn& other) const {
      return lastActivity == other.lastActivity && screens == other.screens && state == other.state;
    }
  };
  void Keep(SessionId session, std::string_view terminalId, bool toHost, int link, std::string_view bytes);
  void Tick();
  void PublishNow(TimePoint now);

  asio::steady_timer timer_;
  SnapshotBoard& board_;
  TrafficObserver* next_;
  EventSink& events_;
  const GatewayCore* core_ = nullptr;
  Protocols protocols_;
  std::map<std::string, std::string, std::less<>> tls_;  // by terminal id: its last link's
  std::map<SessionId, Passed> passed_;
  std::map<std::string, SessionId, std::less<>> latest_;  // terminal id: its latest session
  TurnaroundHistogram turnaround_;
  TimePoint started_ = SteadyClock::now();
  TimePoint lastPublished_{};
  std::int64_t lastFingerprint_ = -1;
  std::set<std::string, std::less<>> lastWatched_;
  std::shared_ptr<const ConsoleSnapshot> last_;  // its screens are taken again when nothing changed
  std::map<std::string, Drawn, std::less<>> drawn_;
  bool stopped_ = false;
};

}  // namespace vantor::gateway
