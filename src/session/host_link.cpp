// The host link on the platform socket calls: connect, sending framed records, receive with unescaping.
#include "session/host_link.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "session/wire_format.h"

namespace vantor {

namespace {
// Winsock's closesocket ends a select, recv or connect waiting on the socket in another thread, and
// its shutdown does not; a BSD close wakes nothing, its shutdown does. So on BSD sockets a close shuts
// the socket down first and releases the handle once no other call uses it (the number could be
// reused at once), while on Winsock it closes at once.
#ifdef _WIN32
constexpr bool kCloseWakesWaiters = true;
#else
constexpr bool kCloseWakesWaiters = false;
#endif
}  // namespace

int SendPieceSize(int sendBufferSize) {
  const int buffer = sendBufferSize < 0 ? kAssumedSendBuffer : sendBufferSize;
  return std::clamp(buffer, 1, kLargestSendPiece);
}

HostLink::~HostLink() { Close(); }

bool HostLink::Connect(const std::string& host, std::uint16_t port) {
  Close();
  pendingFf_ = false;
  const net::Handle socket = net::OpenTcp();
  if (socket == net::kInvalid) {
    lastError_ = net::LastError();
    return false;
  }
  net::SetLingerZero(socket);
  net::SetNoDelay(socket);
  {
    // Published before the blocking connect, so that a close from the UI thread can abort it.
    std::unique_lock lock(use_);
    broken_ = false;
    socket_ = socket;
  }
  bool ok = false;
  address_ = net::ResolveHost(host);
  if (address_ == 0) {
    lastError_ = net::LastError();
  } else {
    std::shared_lock lock(use_, std::defer_lock);
    if constexpr (!kCloseWakesWaiters) lock.lock();
    if (socket_.load() != socket) {
      // Closed by the UI thread meanwhile: the number may belong to another socket by now.
    } else if (net::Connect(socket, address_, port)) {
      ok = !broken_.load();  // shut down while connecting: the session is being stopped
    } else {
      lastError_ = net::LastError();
    }
  }
  if (!ok) Close();
  return ok;
}

bool HostLink::SendAll(net::Handle socket, std::string_view bytes) {
  // A short send would cut the record; keep going until every byte is out.
  while (!bytes.empty()) {
    const int sent = net::Send(socket, bytes.data(), static_cast<int>(bytes.size()));  // a piece at most
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool HostLink::Send(int terminalId, std::string_view data) {
  std::lock_guard oneRecord(sending_);
  std::shared_lock lock(use_);
  const net::Handle socket = socket_.load();
  if (socket == net::kInvalid || broken_.load()) return false;
  const std::string frame = FrameRecord(terminalId, data);
  const auto piece = static_cast<std::size_t>(SendPieceSize(net::SendBufferSize(socket)));
  bool ok = true;
  if (frame.size() <= piece) {
    ok = SendAll(socket, frame);
  } else {
    std::string_view record = WithoutTerminator(frame);
    while (ok && !record.empty()) {
      ok = SendAll(socket, record.substr(0, piece));
      record.remove_prefix(std::min(piece, record.size()));
    }
    // No terminator after a failed piece: the host must not take a cut record for a whole one.
    if (ok) SendAll(socket, kTerminator);
  }
  if (!ok) {
    Break(socket);
    return false;
  }
  return true;
}

int HostLink::Receive(std::uint8_t* buffer, int size, int seconds) {
  if (buffer == nullptr || size <= 0) return -1;
  std::memset(buffer, 0, static_cast<std::size_t>(size));
  std::shared_lock lock(use_);
  const net::Handle socket = socket_.load();
  if (socket == net::kInvalid || broken_.load()) return -1;
  if (net::WaitReadable(socket, seconds) != 1) return -1;
  const int got = net::Receive(socket, reinterpret_cast<char*>(buffer), size);
  if (got <= 0) return 0;
  const int length = UnescapeInPlace(buffer, got, pendingFf_);
  return length > 0 ? length : -1;
}

void HostLink::Break(net::Handle socket) {
  broken_ = true;
  net::Shutdown(socket);
}

void HostLink::Shutdown() {
  std::shared_lock lock(use_);
  const net::Handle socket = socket_.load();
  if (socket != net::kInvalid) Break(socket);
}

bool HostLink::Close() {
  std::unique_lock lock(use_, std::defer_lock);
  if constexpr (!kCloseWakesWaiters) {
    // Wake every call waiting on the socket, then close once they have let go of the handle.
    Shutdown();
    lock.lock();
  }
  const net::Handle socket = socket_.exchange(net::kInvalid);
  if (socket == net::kInvalid) return true;
  return net::Close(socket);
}

}  // namespace vantor
