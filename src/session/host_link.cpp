// The host link on the transport seam: connecting, sending framed records, receiving with unescaping.
#include "session/host_link.h"

#include <algorithm>
#include <cstring>

#include "session/wire_format.h"

namespace vantor {

int SendPieceSize(int sendBufferSize) {
  const int buffer = sendBufferSize < 0 ? kAssumedSendBuffer : sendBufferSize;
  return std::clamp(buffer, 1, kLargestSendPiece);
}

HostLink::HostLink() : transport_(MakeClearTransport()) {}

HostLink::~HostLink() { Close(); }

LinkFailure HostLink::Connect(const std::string& host, std::uint16_t port, const TlsOptions& tls,
                              std::chrono::milliseconds timeout) {
  Close();
  pendingFf_ = false;
  if (tls != options_) {
    std::unique_lock lock(swap_);
    transport_ = MakeTransport(tls);
    options_ = tls;
  }
  std::shared_lock lock(swap_);
  return transport_->Connect(host, port, timeout);
}

bool HostLink::Send(int terminalId, std::string_view data) {
  std::lock_guard oneRecord(sending_);
  std::shared_lock lock(swap_);
  if (!transport_->IsConnected()) return false;
  const std::string frame = FrameRecord(terminalId, data);
  // The transport hides its socket's buffer: pieces as large as for the usual one.
  const auto piece = static_cast<std::size_t>(SendPieceSize(kAssumedSendBuffer));
  if (frame.size() <= piece) return transport_->Send(frame);
  std::string_view record = WithoutTerminator(frame);
  for (; !record.empty(); record.remove_prefix(std::min(piece, record.size()))) {
    // A failed piece ends the connection, so no terminator can make a cut record look whole.
    if (!transport_->Send(record.substr(0, piece))) return false;
  }
  return transport_->Send(kTerminator);
}

int HostLink::Receive(std::uint8_t* buffer, int size, int seconds) {
  if (buffer == nullptr || size <= 0) return -1;
  std::memset(buffer, 0, static_cast<std::size_t>(size));
  std::shared_lock lock(swap_);
  const int got = transport_->Receive(buffer, size, seconds);
  if (got <= 0) return got;
  const int length = UnescapeInPlace(buffer, got, pendingFf_);
  return length > 0 ? length : -1;
}

void HostLink::Close() {
  std::shared_lock lock(swap_);
  transport_->Close();
}

void HostLink::Shutdown() {
  std::shared_lock lock(swap_);
  transport_->Shutdown();
}

bool HostLink::IsConnected() const {
  std::shared_lock lock(swap_);
  return transport_->IsConnected();
}

LinkFailure HostLink::LastFailure() const {
  std::shared_lock lock(swap_);
  return transport_->LastFailure();
}

std::string HostLink::Protocol() const {
  std::shared_lock lock(swap_);
  return transport_->Protocol();
}

}  // namespace vantor
