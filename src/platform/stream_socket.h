// One TCP connection as the transports hold it: each address of the host tried in turn with a time-out,
// waits that a shutdown from any thread ends, and a handle released only once no call uses it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>

#include "platform/link_failure.h"
#include "platform/net.h"

namespace vantor {

class StreamSocket {
 public:
  StreamSocket() = default;
  ~StreamSocket() { Close(); }
  StreamSocket(const StreamSocket&) = delete;
  StreamSocket& operator=(const StreamSocket&) = delete;

  // Closes an open connection, then connects to each address of the host in turn until one answers,
  // each try bounded by `milliseconds`. kNone once connected; else the last address's failure, or
  // kClosed when Shutdown was called meanwhile (which also ends the tries).
  LinkFailure Connect(const std::string& host, std::uint16_t port, int milliseconds);

  // Any thread: ends every wait on the socket at once and every later one, and ends the connection;
  // the handle is kept until Close.
  void Shutdown();
  // Any thread: shuts down, then releases the handle once no Use holds it.
  void Close();

  // Connected and not shut down.
  bool IsOpen() const { return handle_.load() != net::kInvalid && !shut_.load(); }

  // One call's use of the socket: Close waits until it ends, so the handle it holds stays this
  // connection's.
  class Use {
   public:
    explicit Use(StreamSocket& socket);
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

    // A connection is held (shut down or not).
    bool Held() const { return handle_ != net::kInvalid; }
    bool Live() const { return Held() && !owner_.shut_.load(); }
    net::WaitResult Wait(net::Direction direction, int milliseconds) const;
    // Bytes read, 0 when the host closed, net::kWouldBlock when none are there, -1 on failure.
    int ReceiveSome(char* buffer, int size) const;
    // Every byte, waiting for room up to `milliseconds` in all (net::kForever: until shut down).
    bool WriteAll(std::string_view bytes, int milliseconds) const;

   private:
    const StreamSocket& owner_;
    std::shared_lock<std::shared_mutex> lock_;
    net::Handle handle_;
  };

 private:
  void Release();

  // Shared by every Use and by Shutdown; exclusive while the handle or the wake-up is replaced.
  mutable std::shared_mutex use_;
  std::atomic<net::Handle> handle_{net::kInvalid};
  std::unique_ptr<net::Wakeup> wakeup_;
  std::atomic<bool> shut_{false};
};

}  // namespace vantor
