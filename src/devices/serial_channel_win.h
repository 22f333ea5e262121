// The serial port channel: one port, a reader thread cutting received messages, a writer thread with its queue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "devices/serial_config.h"

namespace vantor {

// Built, given its handler and configured on the user-interface thread; never reconfigured in place
// (a change of settings builds a new channel). Send, Close and destruction also belong to that thread.
class SerialChannel {
 public:
  // Runs on the reader thread with each cut message (data followed by a zero byte, length may be 0).
  // It must not touch fields, the session or windows, and must not wait for the user-interface thread
  // (no SendMessageW): it hands the bytes over (SerialInbox) and posts a wake-up, nothing more.
  // Otherwise Close, which waits on the user-interface thread for the reader, could wait for it.
  using DataHandler = std::function<void(const std::uint8_t* data, std::size_t length)>;

  SerialChannel();
  ~SerialChannel();
  SerialChannel(const SerialChannel&) = delete;
  SerialChannel& operator=(const SerialChannel&) = delete;

  // Before Configure; false (and ignored) once the channel has been configured.
  bool SetDataHandler(DataHandler handler);

  // 0 when serial in and serial out are both off (nothing is opened); otherwise 1, whether or not the
  // port could be opened (a port that cannot be opened leaves the channel closed, sends dropped).
  int Configure(std::u16string_view portName, std::u16string_view baudText, char16_t parityChar, char16_t dataBitsChar,
                std::u16string_view stopBitsText, bool serialIn, std::uint8_t startByte, std::uint8_t endByte,
                bool serialOut, std::uint8_t prefixByte, std::uint8_t suffixByte, const SerialTimeouts& timeouts);
  int Configure(const SerialConfig& config);

  // Queues prefix + data + suffix for the writer. True also when the data are dropped because the
  // channel is not open or serial out is off; false only when the queue is full.
  bool Send(const std::uint8_t* data, std::size_t length);

  // False when the channel was not open (never opened, already closed, or closed by an I/O error; the
  // port is released in each case) or its threads did not end within 20 seconds (then the port and
  // threads are left as they are).
  bool Close();

  bool IsOpen() const;
  const SerialConfig& Config() const;

  struct State;  // shared with the channel's threads, which keep it alive while they run

 private:
  bool Open();
  bool StartThread(bool reader);

  std::shared_ptr<State> state_;
};

}  // namespace vantor
