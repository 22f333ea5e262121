// The main window's hold on the serial channel: opened from the settings, fed, closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace vantor {

class SerialChannel;
class Settings;

struct SerialChannelDeleter {
  void operator()(SerialChannel* channel) const;
};
using SerialChannelPtr = std::unique_ptr<SerialChannel, SerialChannelDeleter>;

// Runs on the channel's reader thread with each received message.
using SerialDataHandler = std::function<void(const std::uint8_t* data, std::size_t length)>;

// A new channel with the handler, configured from the `serial`, `serialfeature` and time-out settings
// (a port that cannot be opened leaves it closed and its sends dropped). Null only when it could not be
// built.
SerialChannelPtr OpenSerialChannel(const Settings& settings, SerialDataHandler handler);

// Queues bytes for the port (prefix and suffix added by the channel); dropped when it is not open.
void SendSerial(SerialChannel& channel, std::string_view bytes);

// Closes and destroys the channel, if any.
void CloseSerialChannel(SerialChannelPtr& channel);

}  // namespace vantor
