// The scripted test host on a loopback listener and the platform's sockets.
#include "test_host.h"

#include "platform/net.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

#include <algorithm>
#include <utility>

namespace vantor::testing_support {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::intptr_t kNone = -1;

bool ShutdownSend(std::intptr_t s) {
#ifdef _WIN32
  return ::shutdown(static_cast<SOCKET>(s), SD_SEND) == 0;
#else
  return ::shutdown(static_cast<int>(s), SHUT_WR) == 0;
#endif
}

bool WaitReadable(std::intptr_t s, Millis timeout) {
  static const net::Wakeup never;
  const int ms = static_cast<int>(std::clamp<Millis::rep>(timeout.count(), 0, 600000));
  return net::WaitFor(s, net::Direction::kRead, never, ms) == net::WaitResult::kReady;
}

Millis Remaining(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
  return left.count() > 0 ? left : Millis(0);
}

// Splits one record into prefix and body. The terminal's own records never start with a digit, so the
// leading digits are the terminal id.
HostRecord ParseTerminalRecord(std::string raw) {
  HostRecord record;
  std::size_t end = raw.size();
  if (end >= 2 && raw.compare(end - 2, 2, kRecordEnd) == 0) end -= 2;
  std::size_t digits = 0;
  while (digits < end && raw[digits] >= '0' && raw[digits] <= '9') ++digits;
  record.terminalId = raw.substr(0, digits);
  record.body = raw.substr(digits, end - digits);
  record.raw = std::move(raw);
  return record;
}

}  // namespace

TestHost::TestHost(std::uint16_t port) : listener_(std::make_unique<LoopbackListener>(false, port)) {
  port_ = listener_->Port();
}

TestHost::~TestHost() { Close(); }

bool TestHost::Listening() const {
  std::lock_guard lock(stateMutex_);
  return listener_ && listener_->Listening();
}

bool TestHost::Connected() const {
  std::lock_guard lock(stateMutex_);
  return connection_ != kNone;
}

bool TestHost::PeerClosed() const {
  std::lock_guard lock(stateMutex_);
  return peerClosed_;
}

std::string TestHost::ReceivedBytes() const {
  std::lock_guard lock(stateMutex_);
  return received_;
}

bool TestHost::Accept(Millis timeout) {
  LoopbackListener* listener;
  {
    std::lock_guard lock(stateMutex_);
    listener = listener_.get();
  }
  if (listener == nullptr || !WaitReadable(listener->Handle(), timeout)) return false;
  const std::intptr_t accepted = listener->Accept(Millis(0));
  if (accepted == kNone) return false;
  CloseConnection();
  std::scoped_lock lock(readMutex_, sendMutex_, stateMutex_);
  connection_ = accepted;
  peerClosed_ = false;
  inbox_.clear();
  received_.clear();
  return true;
}

bool TestHost::FillOnce(Millis timeout) {
  std::intptr_t connection;
  {
    std::lock_guard lock(stateMutex_);
    if (connection_ == kNone || peerClosed_) return false;
    connection = connection_;
  }
  if (!WaitReadable(connection, timeout)) return false;
  char chunk[8192];
  const int got = net::Receive(connection, chunk, sizeof chunk);
  std::lock_guard lock(stateMutex_);
  if (got <= 0) {
    peerClosed_ = true;  // end of stream or reset
    return false;
  }
  inbox_.append(chunk, static_cast<std::size_t>(got));
  received_.append(chunk, static_cast<std::size_t>(got));
  return true;
}

std::optional<HostRecord> TestHost::TakeRecord() {
  std::lock_guard lock(stateMutex_);
  const std::size_t at = inbox_.find(kRecordEnd);
  if (at == std::string::npos) return std::nullopt;
  std::string raw = inbox_.substr(0, at + 2);
  inbox_.erase(0, at + 2);
  return ParseTerminalRecord(std::move(raw));
}

std::optional<HostRecord> TestHost::ReadRecord(Millis timeout) {
  std::lock_guard reading(readMutex_);
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (auto record = TakeRecord()) return record;
    if (!FillOnce(Remaining(deadline))) {
      // The last read may have brought a record together with the close.
      if (auto record = TakeRecord()) return record;
      if (PeerClosed() || Clock::now() >= deadline) return std::nullopt;
    }
  }
}

bool TestHost::NothingArrives(Millis quiet) {
  std::lock_guard reading(readMutex_);
  {
    std::lock_guard lock(stateMutex_);
    if (inbox_.find(kRecordEnd) != std::string::npos) return false;
  }
  const std::size_t before = ReceivedBytes().size();
  const auto deadline = Clock::now() + quiet;
  while (Clock::now() < deadline && !PeerClosed()) FillOnce(Remaining(deadline));
  return ReceivedBytes().size() == before;
}

bool TestHost::WaitPeerClosed(Millis timeout) {
  std::lock_guard reading(readMutex_);
  const auto deadline = Clock::now() + timeout;
  while (!PeerClosed()) {
    if (!Connected() || Clock::now() >= deadline) return false;
    FillOnce(Remaining(deadline));
  }
  return true;
}

bool TestHost::SendRaw(std::string_view bytes) {
  std::lock_guard sending(sendMutex_);
  std::intptr_t connection;
  {
    std::lock_guard lock(stateMutex_);
    connection = connection_;
  }
  if (connection == kNone) return false;
  while (!bytes.empty()) {
    const int piece = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20));
    const int sent = net::Send(connection, bytes.data(), piece);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool TestHost::SendRecord(std::string_view body) {
  std::string record(body);
  record += kRecordEnd;
  return SendRaw(record);
}

bool TestHost::HalfClose() {
  std::lock_guard sending(sendMutex_);
  std::lock_guard lock(stateMutex_);
  return connection_ != kNone && ShutdownSend(connection_);
}

void TestHost::CloseConnection() {
  std::intptr_t connection;
  {
    std::lock_guard lock(stateMutex_);
    connection = connection_;
  }
  if (connection == kNone) return;
  net::Shutdown(connection);  // wakes a reader waiting on it
  std::scoped_lock lock(readMutex_, sendMutex_, stateMutex_);
  if (connection_ == connection) {
    net::Close(connection_);
    connection_ = kNone;
  }
}

void TestHost::Close() {
  CloseConnection();
  std::lock_guard lock(stateMutex_);
  listener_.reset();
}

}  // namespace vantor::testing_support
