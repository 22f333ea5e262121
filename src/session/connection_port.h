// How a session thread reaches the thread that owns the terminal.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/tls_options.h"

namespace vantor {

using RecordBytes = std::span<const std::uint8_t>;

// What the session thread needs, copied on the owner's thread when it starts.
struct ConnectionParams {
  std::string hostName;  // 8-bit host name (the host setting in the ANSI code page)
  std::uint16_t port = 0;
  int terminalId = 1;
  // Called on the session thread right after a successful connect (the terminal takes its session
  // stamp there). May be empty.
  std::function<void()> onConnected;
  TlsOptions tls;  // clear text unless enabled
};

// The Win32 main window implements it with window messages, the headless front end and the tests
// with a queue and a lock. Screen state is touched only on the owner's thread, inside the calls
// marked "owner's thread".
class ConnectionPort {
 public:
  virtual ~ConnectionPort() = default;
  // Session thread, at its start: returns once the owner's thread has shown that the terminal is
  // connecting (Terminal::ConnectionStarting).
  virtual void ConnectionStarting() = 0;
  // Session thread: hands one complete record (terminator included) to the owner's thread and
  // returns once it has been dispatched there (Terminal::ReceiveRecord).
  virtual void DeliverRecord(RecordBytes record) = 0;
  // Session thread, its last act; must not wait for the owner's thread. stopped: the session was
  // ended by Stop, else the connection failed or was lost (the owner connects again a second later).
  virtual void ConnectionEnded(bool stopped) = 0;
  // Owner's thread, called by Stop: returns once finished() is true, serving the session thread's
  // ConnectionStarting and DeliverRecord meanwhile, so that Stop never deadlocks.
  virtual void AwaitSessionThread(const std::function<bool()>& finished) = 0;
};

}  // namespace vantor
