// The gateway's web console on a thread of its own (cpp-httplib): the terminals, their screens and
// the metrics, read from the snapshots the event loop publishes; it changes nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "admin_feed.h"

namespace vantor::gateway {

struct AdminOptions {
  std::string host = "127.0.0.1";
  std::uint16_t port = 0;  // 0: a free one
  std::string token;       // empty: no token, loopback peers only
};

class AdminServer {
 public:
  AdminServer(SnapshotBoard& board, AdminOptions options);
  ~AdminServer();
  AdminServer(const AdminServer&) = delete;
  AdminServer& operator=(const AdminServer&) = delete;

  // Binds and starts serving; false (with the reason) when it cannot listen.
  bool Start(std::string& error);
  std::uint16_t Port() const { return port_; }
  // Stops serving and joins its threads.
  void Stop();

 private:
  struct Web;
  SnapshotBoard& board_;
  AdminOptions options_;
  std::unique_ptr<Web> web_;
  std::thread thread_;
  std::uint16_t port_ = 0;
};

// The pages' static parts.
extern const char* const kListPage;
extern const char* const kTerminalPage;
extern const char* const kLoginPage;  // "{why}": what went wrong, or nothing
extern const char* const kConsoleScript;
extern const char* const kConsoleStyle;

}  // namespace vantor::gateway
