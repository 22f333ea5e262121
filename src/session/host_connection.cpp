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
  port_.AwaitSessionThread([this] { return finished_.load(); });
  thread_.join();
}

void HostConnection::Run(ConnectionParams params) {
  port_.ConnectionStarting();
  if (stop_.load() == 0 && link_.Connect(params.hostName, params.port)) {
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
  }
  link_.Close();
  port_.ConnectionEnded(stop_.load() != 0);
  finished_ = true;
}

}  // namespace vantor
