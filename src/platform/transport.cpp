// The clear TCP transport, and the choice between it and TLS.
#include "platform/transport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <span>
#include <utility>

#include "platform/stream_socket.h"

namespace vantor {

namespace {

int ToMilliseconds(std::chrono::milliseconds timeout) {
  return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, 24 * 3600 * 1000));
}

class ClearTransport final : public Transport {
 public:
  ~ClearTransport() override { Close(); }

  LinkFailure Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout) override {
    Close();
    firstBytes_ = true;
    const LinkFailure failure = socket_.Connect(host, port, ToMilliseconds(timeout));
    failure_ = failure;
    return failure;
  }

  bool Send(std::string_view bytes) override {
    StreamSocket::Use use(socket_);
    if (!use.Live()) return false;
    std::lock_guard oneAtATime(sending_);
    if (use.WriteAll(bytes, net::kForever)) return true;
    End(LinkFailure::kConnectionLost);
    return false;
  }

  int Receive(std::uint8_t* buffer, int size, int seconds) override {
    if (buffer == nullptr || size <= 0) return -1;
    StreamSocket::Use use(socket_);
    if (!use.Live()) return use.Held() ? 0 : -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(seconds, 0));
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      switch (use.Wait(net::Direction::kRead, ToMilliseconds(left))) {
        case net::WaitResult::kReady: break;
        case net::WaitResult::kTimedOut:
        case net::WaitResult::kFailed: return -1;
        case net::WaitResult::kWoken: return 0;
      }
      const int got = use.ReceiveSome(reinterpret_cast<char*>(buffer), size);
      if (got == net::kWouldBlock) continue;
      if (got <= 0) {
        const LinkFailure why = firstBytes_ ? LinkFailure::kClosedWithoutReply : LinkFailure::kConnectionLost;
        return got == 0 ? HostEnded(why) : End(why);  // a reset leaves nothing to send on
      }
      if (std::exchange(firstBytes_, false) && StartsWithTlsAlert(std::span(buffer, static_cast<std::size_t>(got))))
        return End(LinkFailure::kExpectsTls);
      return got;
    }
  }

  void Shutdown() override { End(LinkFailure::kClosed); }
  void Close() override {
    End(LinkFailure::kClosed);
    socket_.Close();
  }
  bool IsConnected() const override { return socket_.IsOpen(); }
  std::string Protocol() const override { return {}; }
  LinkFailure LastFailure() const override { return failure_.load(); }

 private:
  // The host ended its side: why is kept, and this side stays open for a last record.
  int HostEnded(LinkFailure failure) {
    LinkFailure none = LinkFailure::kNone;
    failure_.compare_exchange_strong(none, failure);
    return 0;
  }

  int End(LinkFailure failure) {
    HostEnded(failure);
    socket_.Shutdown();
    return 0;
  }

  StreamSocket socket_;
  std::mutex sending_;
  std::atomic<LinkFailure> failure_{LinkFailure::kNone};
  bool firstBytes_ = true;  // touched by the receiving thread only
};

}  // namespace

std::unique_ptr<Transport> MakeClearTransport() { return std::make_unique<ClearTransport>(); }

std::unique_ptr<Transport> MakeTransport(const TlsOptions& options) {
  return options.enabled ? MakeTlsTransport(options) : MakeClearTransport();
}

}  // namespace vantor
