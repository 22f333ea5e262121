// The host link on the platform socket calls: connect, record framing, receive with unescaping.
#include "session/host_link.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace vantor {

namespace {
constexpr int kPrefixMax = 3;
constexpr int kFrameBuffer = 2048;
static_assert(kPrefixMax + kLargestSendPiece + 2 <= kFrameBuffer);

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

std::string TerminalIdPrefix(int terminalId) {
  if (terminalId <= 0) return {};
  return std::to_string(std::min(terminalId, kHighestTerminalIdPrefix));
}

std::string FrameRecord(int terminalId, std::string_view data) {
  std::string frame = TerminalIdPrefix(terminalId);
  frame.append(data.substr(0, data.find('\0')));
  frame.push_back(static_cast<char>(kTerminatorFirst));
  frame.push_back(static_cast<char>(kTerminatorSecond));
  return frame;
}

int SendPieceSize(int sendBufferSize) {
  const int buffer = sendBufferSize < 0 ? kAssumedSendBuffer : sendBufferSize;
  return std::clamp(buffer, 1, kLargestSendPiece);
}

int UnescapeInPlace(std::uint8_t* data, int length, bool& pendingFf) {
  int out = 0;
  for (int in = 0; in < length; ++in) {
    const std::uint8_t byte = data[in];
    if (pendingFf && byte == 0xFF) {
      pendingFf = false;  // second half of an escaped pair: its first half is already kept
      continue;
    }
    data[out++] = byte;
    pendingFf = byte == 0xFF;
  }
  return out;
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

bool HostLink::SendAll(net::Handle socket, const char* data, int length) {
  // A short send would cut the record; keep going until every byte is out.
  while (length > 0) {
    const int sent = net::Send(socket, data, length);
    if (sent <= 0) return false;
    data += sent;
    length -= sent;
  }
  return true;
}

bool HostLink::Send(int terminalId, std::string_view data) {
  std::lock_guard oneRecord(sending_);
  std::shared_lock lock(use_);
  const net::Handle socket = socket_.load();
  if (socket == net::kInvalid || broken_.load()) return false;
  data = data.substr(0, data.find('\0'));
  const int piece = SendPieceSize(net::SendBufferSize(socket));
  const std::string prefix = TerminalIdPrefix(terminalId);
  const int prefixLength = static_cast<int>(prefix.size());
  const std::size_t total = prefix.size() + data.size() + 2;

  char frame[kFrameBuffer];
  bool ok = true;
  if (total <= static_cast<std::size_t>(piece)) {
    std::memcpy(frame, prefix.data(), prefix.size());
    if (!data.empty()) std::memcpy(frame + prefixLength, data.data(), data.size());
    frame[total - 2] = static_cast<char>(kTerminatorFirst);
    frame[total - 1] = static_cast<char>(kTerminatorSecond);
    ok = SendAll(socket, frame, static_cast<int>(total));
  } else {
    std::size_t at = std::min(data.size(), static_cast<std::size_t>(piece));
    std::memcpy(frame, prefix.data(), prefix.size());
    std::memcpy(frame + prefixLength, data.data(), at);
    ok = SendAll(socket, frame, prefixLength + static_cast<int>(at));
    while (ok && at < data.size()) {
      const std::size_t length = std::min(data.size() - at, static_cast<std::size_t>(piece));
      ok = SendAll(socket, data.data() + at, static_cast<int>(length));
      at += length;
    }
    // No terminator after a failed piece: the host must not take a cut record for a whole one.
    if (ok) {
      const char terminator[2] = {static_cast<char>(kTerminatorFirst), static_cast<char>(kTerminatorSecond)};
      SendAll(socket, terminator, 2);
    }
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
