// The TLS transport: a TLS session over the transports' TCP connection, shared by both engines. The
// socket is waited on without a lock; the session is used under one, and its output leaves in the
// order it was made.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <span>
#include <vector>

#include "platform/stream_socket.h"
#include "platform/tls_session.h"
#include "platform/transport.h"

namespace vantor {

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr int kCipherChunk = 16 * 1024 + 512;  // one whole record with its overhead

int MillisecondsLeft(SteadyClock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, 24 * 3600 * 1000));
}

class TlsTransport final : public Transport {
 public:
  explicit TlsTransport(TlsOptions options) : options_(std::move(options)) {}
  ~TlsTransport() override { Close(); }

  LinkFailure Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout) override {
    Close();
    failure_ = LinkFailure::kNone;
    const int milliseconds = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, 86400000));
    NewTlsSession made = MakeTlsSession(options_, host);
    LinkFailure failure = made.failure;
    if (made.session) failure = socket_.Connect(host, port, milliseconds);
    if (failure == LinkFailure::kNone) {
      failure = Handshake(*made.session, SteadyClock::now() + std::chrono::milliseconds(milliseconds));
    }
    if (failure != LinkFailure::kNone) {
      socket_.Close();
      failure_ = failure;
      return failure;
    }
    TlsSession::Step step;
    {
      std::lock_guard lock(engine_);
      session_ = std::move(made.session);
      protocol_ = session_->Protocol();
      plain_.clear();
      outbox_.clear();
      // Records that came with the end of the handshake.
      step = session_->Decrypt({}, plain_, outbox_);
      peerClosed_ = step == TlsSession::Step::kClosed;
    }
    if (step == TlsSession::Step::kFailed) {
      socket_.Close();
      failure_ = LinkFailure::kConnectionLost;
      return LinkFailure::kConnectionLost;
    }
    connected_ = true;
    return LinkFailure::kNone;
  }

  bool Send(std::string_view bytes) override {
    StreamSocket::Use use(socket_);
    if (!connected_.load() || !use.Live()) return false;
    bool encrypted = false;
    {
      std::lock_guard lock(engine_);
      encrypted = session_ != nullptr && session_->Encrypt(bytes, outbox_);
    }
    if (encrypted && Flush(use, true)) return true;
    End(LinkFailure::kConnectionLost);
    return false;
  }

  int Receive(std::uint8_t* buffer, int size, int seconds) override {
    if (buffer == nullptr || size <= 0) return -1;
    StreamSocket::Use use(socket_);
    if (!connected_.load() || !use.Held()) return -1;
    const auto deadline = SteadyClock::now() + std::chrono::seconds(std::max(seconds, 0));
    for (;;) {
      {
        std::lock_guard lock(engine_);
        if (!plain_.empty()) {
          const std::size_t count = std::min(plain_.size(), static_cast<std::size_t>(size));
          std::copy_n(plain_.begin(), count, buffer);
          plain_.erase(0, count);
          return static_cast<int>(count);
        }
        if (peerClosed_) return HostEnded();
      }
      if (!use.Live()) return 0;
      if (!Flush(use, false)) return End(LinkFailure::kConnectionLost);
      switch (use.Wait(net::Direction::kRead, MillisecondsLeft(deadline))) {
        case net::WaitResult::kReady: break;
        case net::WaitResult::kTimedOut:
        case net::WaitResult::kFailed: return -1;
        case net::WaitResult::kWoken: return 0;
      }
      const int got = use.ReceiveSome(received_.data(), static_cast<int>(received_.size()));
      if (got == net::kWouldBlock) continue;
      if (got < 0) return End(LinkFailure::kConnectionLost);
      if (got == 0) return HostEnded();
      std::lock_guard lock(engine_);
      const auto bytes =
          std::span(reinterpret_cast<const std::uint8_t*>(received_.data()), static_cast<std::size_t>(got));
      const auto step = session_->Decrypt(bytes, plain_, outbox_);
      if (step == TlsSession::Step::kFailed) {
        plain_.clear();
        return End(LinkFailure::kConnectionLost);
      }
      if (step == TlsSession::Step::kClosed) peerClosed_ = true;
    }
  }

  void Shutdown() override { End(LinkFailure::kClosed); }

  void Close() override {
    End(LinkFailure::kClosed);
    connected_ = false;
    socket_.Close();  // no call uses the session from here on
    std::lock_guard lock(engine_);
    session_.reset();
    protocol_.clear();
    plain_.clear();
    outbox_.clear();
  }

  bool IsConnected() const override { return connected_.load() && socket_.IsOpen(); }

  std::string Protocol() const override {
    std::lock_guard lock(engine_);
    return connected_.load() ? protocol_ : std::string();
  }

  LinkFailure LastFailure() const override { return failure_.load(); }

 private:
  // On the connecting thread, before the session is shared: nothing else can use it yet.
  LinkFailure Handshake(TlsSession& session, SteadyClock::time_point deadline) {
    StreamSocket::Use use(socket_);
    std::string out;
    std::vector<std::uint8_t> firstReply;
    bool replyLooksTls = false;
    auto step = session.Handshake({}, out);
    for (;;) {
      if (!out.empty() && !use.WriteAll(out, MillisecondsLeft(deadline))) {
        return use.Live() ? (SteadyClock::now() >= deadline ? LinkFailure::kTimedOut : LinkFailure::kConnectionLost)
                          : LinkFailure::kClosed;
      }
      out.clear();
      if (step == TlsSession::Step::kDone) return LinkFailure::kNone;
      if (step != TlsSession::Step::kMore) return session.Failure();
      switch (use.Wait(net::Direction::kRead, MillisecondsLeft(deadline))) {
        case net::WaitResult::kReady: break;
        case net::WaitResult::kTimedOut: return LinkFailure::kTimedOut;
        case net::WaitResult::kWoken: return LinkFailure::kClosed;
        case net::WaitResult::kFailed: return LinkFailure::kConnectFailed;
      }
      const int got = use.ReceiveSome(received_.data(), static_cast<int>(received_.size()));
      if (got == net::kWouldBlock) continue;
      if (got <= 0) return firstReply.empty() ? LinkFailure::kClosedWithoutReply : LinkFailure::kHandshakeFailed;
      const auto bytes =
          std::span(reinterpret_cast<const std::uint8_t*>(received_.data()), static_cast<std::size_t>(got));
      if (!replyLooksTls) {
        // Judged before the engine sees it: an engine's own error for a reply that is no TLS at all
        // would not tell the administrator what is wrong.
        firstReply.insert(firstReply.end(), bytes.begin(), bytes.end());
        const HelloReply reply = ClassifyHelloReply(firstReply);
        if (reply == HelloReply::kNotTls) return LinkFailure::kNotTls;
        replyLooksTls = reply == HelloReply::kTls;
      }
      step = session.Handshake(bytes, out);
    }
  }

  // Writes what the session made, in the order it made it. A caller that may not wait (the receiving
  // thread) leaves the writing to a thread already at it, which takes everything queued before it lets go.
  bool Flush(const StreamSocket::Use& use, bool wait) {
    for (;;) {
      std::unique_lock writer(writing_, std::defer_lock);
      if (wait) {
        writer.lock();
      } else if (!writer.try_lock()) {
        return true;
      }
      for (;;) {
        std::string chunk;
        {
          std::lock_guard lock(engine_);
          chunk.swap(outbox_);
        }
        if (chunk.empty()) break;
        if (!use.WriteAll(chunk, net::kForever)) return false;
      }
      writer.unlock();
      std::lock_guard lock(engine_);
      if (outbox_.empty()) return true;
    }
  }

  // The host ended its side: this side stays open for a last record.
  int HostEnded() {
    LinkFailure none = LinkFailure::kNone;
    failure_.compare_exchange_strong(none, LinkFailure::kConnectionLost);
    return 0;
  }

  int End(LinkFailure failure) {
    LinkFailure none = LinkFailure::kNone;
    failure_.compare_exchange_strong(none, failure);
    socket_.Shutdown();
    return 0;
  }

  const TlsOptions options_;
  StreamSocket socket_;
  std::atomic<bool> connected_{false};
  std::atomic<LinkFailure> failure_{LinkFailure::kNone};
  // Lock order: writing_, then engine_.
  std::mutex writing_;  // one writer on the socket at a time
  mutable std::mutex engine_;
  std::unique_ptr<TlsSession> session_;
  std::string protocol_;
  std::string plain_;   // decrypted, not yet handed out
  std::string outbox_;  // made by the session, not yet written
  bool peerClosed_ = false;
  std::vector<char> received_ = std::vector<char>(kCipherChunk);  // the connecting and receiving thread's
};

}  // namespace

std::unique_ptr<Transport> MakeTlsTransport(const TlsOptions& options) {
  return std::make_unique<TlsTransport>(options);
}

}  // namespace vantor
