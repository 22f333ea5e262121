// The transports' TCP connection: connect to each address with a time-out, waits ended by a shutdown.
#include "platform/stream_socket.h"

#include <chrono>

namespace vantor {

namespace {
using SteadyClock = std::chrono::steady_clock;

int MillisecondsLeft(SteadyClock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}
}  // namespace

LinkFailure StreamSocket::Connect(const std::string& host, std::uint16_t port, int milliseconds) {
  Close();
  shut_ = false;
  const net::Resolution resolved = net::Resolve(host, port);
  LinkFailure failure = resolved.failure;
  for (const net::Address& address : resolved.addresses) {
    const net::Handle socket = net::OpenStream(address);
    auto wakeup = std::make_unique<net::Wakeup>();
    if (socket == net::kInvalid || !wakeup->Valid()) {
      if (socket != net::kInvalid) net::Close(socket);
      failure = LinkFailure::kConnectFailed;
      continue;
    }
    {
      // Published before the connect, so that a shutdown from another thread can end it.
      std::unique_lock lock(use_);
      handle_ = socket;
      wakeup_ = std::move(wakeup);
    }
    {
      std::shared_lock lock(use_);
      failure = shut_.load() ? LinkFailure::kClosed : net::ConnectWithin(socket, address, *wakeup_, milliseconds);
    }
    if (failure == LinkFailure::kNone && shut_.load()) failure = LinkFailure::kClosed;
    if (failure == LinkFailure::kNone) return failure;
    Release();
    if (failure == LinkFailure::kClosed) break;
  }
  return failure;
}

void StreamSocket::Shutdown() {
  shut_ = true;
  std::shared_lock lock(use_);
  if (wakeup_) wakeup_->Signal();
  const net::Handle socket = handle_.load();
  if (socket != net::kInvalid) net::Shutdown(socket);
}

void StreamSocket::Close() {
  Shutdown();
  Release();
}

void StreamSocket::Release() {
  std::unique_lock lock(use_);
  const net::Handle socket = handle_.exchange(net::kInvalid);
  if (socket != net::kInvalid) net::Close(socket);
  wakeup_.reset();
}

StreamSocket::Use::Use(StreamSocket& socket) : owner_(socket), lock_(socket.use_), handle_(socket.handle_.load()) {}

net::WaitResult StreamSocket::Use::Wait(net::Direction direction, int milliseconds) const {
  if (handle_ == net::kInvalid) return net::WaitResult::kFailed;
  return net::WaitFor(handle_, direction, *owner_.wakeup_, milliseconds);
}

int StreamSocket::Use::ReceiveSome(char* buffer, int size) const {
  if (handle_ == net::kInvalid) return -1;
  return net::ReceiveSome(handle_, buffer, size);
}

bool StreamSocket::Use::WriteAll(std::string_view bytes, int milliseconds) const {
  if (handle_ == net::kInvalid) return false;
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(milliseconds);
  while (!bytes.empty()) {
    const int sent = net::SendSome(handle_, bytes.data(), static_cast<int>(bytes.size()));
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (sent != net::kWouldBlock) return false;
    const int wait = milliseconds == net::kForever ? net::kForever : MillisecondsLeft(deadline);
    if (net::WaitFor(handle_, net::Direction::kWrite, *owner_.wakeup_, wait) != net::WaitResult::kReady) return false;
  }
  return true;
}

}  // namespace vantor
