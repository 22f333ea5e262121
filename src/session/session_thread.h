// The session thread: connects to the host, identifies the terminal, receives and cuts records and
// hands each one to the UI thread; started and stopped by the UI thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "session/session_port.h"
#include "session/host_link.h"

namespace vantor {

inline constexpr int kReceiveChunkBytes = 8192;
inline constexpr int kReceiveTimeoutSeconds = 5;

// What the thread needs of the settings, copied on the UI thread at Start.
struct SessionParams {
  std::string hostName;    // 8-bit host name (the `hostname` setting in the ANSI code page)
  std::uint16_t port = 0;  // `hostport`
  int terminalId = 1;      // `terminalid`
  // Called on the session thread right after a successful connect: the owner takes its session
  // stamp there. May be empty.
  std::function<void()> onConnected;
};

class SessionThread {
 public:
  // Both must outlive this object.
  SessionThread(HostLink& link, SessionPort& port);
  // Stops a running session.
  ~SessionThread();
  SessionThread(const SessionThread&) = delete;
  SessionThread& operator=(const SessionThread&) = delete;

  // UI thread. Clears the stop flag and starts the thread; false (and nothing done) while a session
  // thread is still kept (Stop has not been called since the last Start).
  bool Start(SessionParams params);

  // UI thread. Sets the stop flag, closes the link under a waiting receive, waits for the thread
  // through SessionPort::AwaitSessionThread (which keeps serving the thread's calls) and joins it.
  // Does nothing more when no thread is kept.
  void Stop();

  // True between Start and Stop (the thread may have ended by itself already).
  bool Kept() const { return thread_.joinable(); }
  // True once the thread has posted SessionEnded.
  bool Finished() const { return finished_.load(); }
  int StopFlag() const { return stop_.load(); }

 private:
  void Run(SessionParams params);

  HostLink& link_;
  SessionPort& port_;
  std::atomic<int> stop_{0};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace vantor
