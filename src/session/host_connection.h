// The connection to the host: the host link and the session thread that connects, identifies the
// terminal, receives and cuts records and hands each one to the owner's thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "session/connection_port.h"
#include "session/host_link.h"
#include "session/responses.h"

namespace vantor {

inline constexpr int kReceiveChunkBytes = 8192;
inline constexpr int kReceiveTimeoutSeconds = 5;

// Started and stopped on the owner's thread; records go out from any thread, one at a time.
class HostConnection final : public RecordSender {
 public:
  // The port must outlive this object.
  explicit HostConnection(ConnectionPort& port);
  // Stops a running session.
  ~HostConnection() override;
  HostConnection(const HostConnection&) = delete;
  HostConnection& operator=(const HostConnection&) = delete;

  // Clears the stop flag and starts the session thread; false (and nothing done) while a session
  // thread is still kept (Stop has not been called since the last Start) or none could be made.
  bool Start(ConnectionParams params);

  // Sets the stop flag, closes the link under a waiting receive, waits for the thread through
  // ConnectionPort::AwaitSessionThread (which keeps serving the thread's calls) and joins it. Does
  // nothing more when no thread is kept.
  void Stop();

  // True between Start and Stop (the thread may have ended by itself already).
  bool Kept() const { return thread_.joinable(); }
  // True once the thread has reported ConnectionEnded.
  bool Finished() const { return finished_.load(); }

  // Any thread: why the last connection failed or ended (kNone while connected and before the first
  // attempt; a session ended by Stop leaves it as it was), and the protocol agreed with the host while
  // connected ("TLSv1.3"; empty for clear text).
  LinkFailure LastFailure() const;
  std::string Protocol() const;

  bool SendRecord(int terminalId, std::string_view data) override { return link_.Send(terminalId, data); }
  HostLink& Link() { return link_; }

 private:
  void Run(const ConnectionParams& params);
  void Report(LinkFailure failure, std::string protocol);

  HostLink link_;
  ConnectionPort& port_;
  std::atomic<int> stop_{0};
  std::atomic<bool> finished_{false};
  std::thread thread_;
  mutable std::mutex status_;  // guards the two below
  LinkFailure failure_ = LinkFailure::kNone;
  std::string protocol_;
};

}  // namespace vantor
