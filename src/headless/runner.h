// One terminal without windows on a real host connection: the session thread hands records over a
// queued port, and the owner's thread serves them, reconnects after a loss and runs command lines.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "headless/command_engine.h"
#include "headless/headless_terminal.h"
#include "headless/queued_port.h"
#include "session/host_connection.h"

namespace vantor {

inline constexpr std::chrono::milliseconds kReconnectDelay{1000};

// Used on one thread, the owner's, except Wake.
class HeadlessRunner {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  // settings and clock must outlive it.
  explicit HeadlessRunner(Settings& settings, const Clock& clock = SystemClock());
  ~HeadlessRunner() { Stop(); }
  HeadlessRunner(const HeadlessRunner&) = delete;
  HeadlessRunner& operator=(const HeadlessRunner&) = delete;

  // A PEM file of CA certificates the link trusts besides the system's store (with TLS, without a pin).
  void TrustCaFile(std::string file) { caFile_ = std::move(file); }
  // Connects with the terminal's settings; after a loss it connects again a second later.
  void Start();
  // Ends the connection for good (no goodbye, as when the window closes).
  void Stop();
  // Cuts the connection at once, as a lost Wi-Fi does (no goodbye); it connects again a second later.
  void Drop();

  // Runs one command line and serves the connection until its reply is complete.
  Reply Execute(std::string_view line);
  // Serves the connection until done() holds (true) or the time-out passes (false).
  bool ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Any thread: ServeUntil looks at its condition again.
  void Wake() { port_.Wake(); }

  HeadlessTerminal& Terminal() { return terminal_; }

 private:
  ConnectionParams Params();
  // Serves waiting session calls, a lost connection and a due reconnect.
  void Pump();
  void WaitUntil(TimePoint deadline);

  QueuedPort port_;
  HostConnection connection_;
  HeadlessTerminal terminal_;
  CommandEngine engine_;
  std::optional<TimePoint> reconnectAt_;
  bool stopped_ = true;
  std::string caFile_;
  bool tls_ = false;  // the last connection's, for `status`
};

}  // namespace vantor
