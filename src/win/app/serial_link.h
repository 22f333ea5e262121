// The main window's hold on the serial channel: built, configured, fed and closed through plain values,
// so that the window code needs nothing of the channel's own configuration types.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vantor {

class SerialChannel;

struct SerialChannelDeleter {
  void operator()(SerialChannel* channel) const;
};
using SerialChannelPtr = std::unique_ptr<SerialChannel, SerialChannelDeleter>;

// The channel's configuration as the settings hold it.
struct SerialSetup {
  std::u16string port;
  std::u16string baud;
  char16_t parity = 0;    // first character of the parity text
  char16_t dataBits = 0;  // first character of the data-bits text
  std::u16string stopBits;
  bool serialIn = false;
  std::uint8_t startByte = 0;
  std::uint8_t endByte = 0;
  bool serialOut = false;
  std::uint8_t prefix = 0;
  std::uint8_t suffix = 0;
  std::array<std::uint32_t, 5> timeouts{};  // in the settings' stored order
};

// Runs on the channel's reader thread with each received message.
using SerialDataHandler = std::function<void(const std::uint8_t* data, std::size_t length)>;

// A new channel with the handler, configured (a port that cannot be opened leaves it closed and its
// sends dropped). Null only when it could not be built.
SerialChannelPtr OpenSerialChannel(const SerialSetup& setup, SerialDataHandler handler);

// Queues bytes for the port (prefix and suffix added by the channel); dropped when it is not open.
void SendSerial(SerialChannel& channel, std::string_view bytes);

// Closes and destroys the channel, if any.
void CloseSerialChannel(SerialChannelPtr& channel);

}  // namespace vantor
