// The session thread: connect, identify, receive loop, goodbye, and the owner's start and stop.
#include "session/host_connection.h"

#include <system_error>
#include <utility>
#include <vector>

#include "session/record_assembler.h"

namespace vantor {

HostConnection::HostConnection(ConnectionPort& port) : port_(port) {}

HostConnection::~HostConnection() { Stop(); }

bool HostConnection::Start(ConnectionParams params) {
  // A second thread on the same link would read half of each record.
  if (thread_.joinable()) return false;
  stop_ = 0;
  finished_ = false;
  try {
    thread_ = std::thread(&HostConnection::Run, this, std::move(params));
  } catch (const std::system_error&) {
    return false;  // no thread could be made; the caller tries again later
  }
  return true;
}

void HostConnection::Stop() {
  stop_ = 1;
  link_.Close();
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id()) return;  // the thread cannot wait for itself
  port_.AwaitSessionThread([this] {
    if (finished_.load()) return true;
    // A connect that began after the close above starts a connection of its own: end that one too.
    link_.Shutdown();
    return false;
  });
  thread_.join();
}

LinkFailure HostConnection::LastFailure() const {
  std::lock_guard lock(status_);
  return failure_;
}

std::string HostConnection::Protocol() const {
  std::lock_guard lock(status_);
  return protocol_;
}

void HostConnection::Report(LinkFailure failure, std::string protocol) {
  std::lock_guard lock(status_);
  failure_ = failure;
  protocol_ = std::move(protocol);
}

void HostConnection::Run(const ConnectionParams& params) {
  port_.ConnectionStarting();
  LinkFailure failure = LinkFailure::kClosed;
  if (stop_.load() == 0) failure = link_.Connect(params.hostName, params.port, params.tls);
  if (failure == LinkFailure::kNone) {
    Report(LinkFailure::kNone, link_.Protocol());
    if (params.onConnected) params.onConnected();
    if (stop_.load() == 0) link_.Send(params.terminalId, kIdentifyRecord);
    RecordAssembler assembler;
    std::vector<std::uint8_t> buffer(kReceiveChunkBytes);
    const auto deliver = [this](RecordBytes record) {
      if (stop_.load() == 0) port_.DeliverRecord(record);
    };
    while (stop_.load() == 0) {
      const int got = link_.Receive(buffer.data(), kReceiveChunkBytes, kReceiveTimeoutSeconds);
      if (got == 0) break;  // host closed, or the read failed
      if (got < 0) {
        // A failed send (on either thread) ended the connection: every further wait fails at once.
        if (!link_.IsConnected()) break;
        continue;
      }
      assembler.Feed(RecordBytes(buffer.data(), static_cast<std::size_t>(got)), deliver);
    }
    if (stop_.load() == 0) link_.Send(params.terminalId, kGoodbyeRecord);
    failure = link_.LastFailure();
    if (failure == LinkFailure::kNone) failure = LinkFailure::kConnectionLost;
  }
  link_.Close();
  if (stop_.load() == 0) {
    Report(failure, {});
  } else {
    std::lock_guard lock(status_);
    protocol_.clear();
  }
  port_.ConnectionEnded(stop_.load() != 0);
  finished_ = true;
}

}  // namespace vantor
