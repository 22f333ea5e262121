// A scripted host for tests: listens on loopback, accepts one terminal at a time, reads its records and
// sends it records and raw bytes. Every wait has a time-out, so no test can hang on it.
#pragma once

#include <chrono>
#include <memory>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "loopback_listener.h"

namespace vantor::testing_support {

using Millis = std::chrono::milliseconds;
inline constexpr Millis kHostWait{5000};

// One record of the terminal's, as the host sees it.
struct HostRecord {
  std::string raw;         // as received, terminator included
  std::string terminalId;  // the leading decimal digits ("" when there is no prefix)
  std::string body;        // what follows the prefix, terminator cut off
};

// The record terminator as text, for building expectations.
inline const std::string kRecordEnd("\xFF\xEF", 2);

// The terminal's responses as the host reads them. A small number or field id is one byte (none, -1: '/').
inline std::string ResponseByte(int value) { return std::string(1, static_cast<char>(value + 48)); }
// A response's head, then each changed field's data item ("=", id, length, text).
inline std::string Response(std::string head, const std::vector<std::pair<int, std::string>>& fields = {}) {
  for (const auto& [id, text] : fields)
    head += "=" + ResponseByte(id) + ResponseByte(static_cast<int>(text.size())) + text;
  return head;
}
// A key response: "RF", the key code and the focus field, then the changed fields.
inline std::string KeyResponse(int code, int focus, const std::vector<std::pair<int, std::string>>& fields = {}) {
  return Response("RF" + ResponseByte(code) + ResponseByte(focus), fields);
}

// Usable from a test thread while the terminal runs in another thread or process. Reading calls are
// serialised among themselves, sending calls among themselves.
class TestHost {
 public:
  // Listens on 127.0.0.1: on an ephemeral port when port is 0, else on that port.
  explicit TestHost(std::uint16_t port = 0);
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  bool Listening() const;
  std::uint16_t Port() const { return port_; }

  // Waits for a terminal to connect; a connection held from before is closed first.
  bool Accept(Millis timeout = kHostWait);
  bool Connected() const;

  // The next record from the terminal; none when no whole record arrived in time or the terminal
  // closed first (bytes of an unfinished record stay for a later call).
  std::optional<HostRecord> ReadRecord(Millis timeout = kHostWait);
  // True when no byte arrives within `quiet` and no whole record is waiting.
  bool NothingArrives(Millis quiet);
  // Waits until the terminal closes the connection (orderly or by reset). Records arriving meanwhile
  // are kept for ReadRecord.
  bool WaitPeerClosed(Millis timeout = kHostWait);
  bool PeerClosed() const;
  // Every byte received on the current connection so far.
  std::string ReceivedBytes() const;

  // Sends body + terminator.
  bool SendRecord(std::string_view body);
  bool SendRaw(std::string_view bytes);
  // Ends the host's direction of the connection (the terminal reads end of stream); reading goes on.
  bool HalfClose();
  // Closes the current connection.
  void CloseConnection();
  // Closes the connection and stops listening.
  void Close();

 private:
  bool FillOnce(Millis timeout);  // reading lock held
  std::optional<HostRecord> TakeRecord();

  std::uint16_t port_ = 0;
  mutable std::mutex readMutex_;
  mutable std::mutex sendMutex_;
  mutable std::mutex stateMutex_;  // guards the handles and the state below
  std::unique_ptr<LoopbackListener> listener_;
  std::intptr_t connection_ = -1;
  bool peerClosed_ = false;
  std::string inbox_;     // received, not yet taken as records
  std::string received_;  // every byte of this connection
};

}  // namespace vantor::testing_support
