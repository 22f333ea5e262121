// The main window's hold on the serial channel.
#include "win/app/serial_link.h"

#include "devices/serial_channel_win.h"
#include "settings/settings.h"

namespace vantor {

void SerialChannelDeleter::operator()(SerialChannel* channel) const { delete channel; }

SerialChannelPtr OpenSerialChannel(const Settings& settings, SerialDataHandler handler) {
  SerialChannelPtr channel(new SerialChannel());
  channel->SetDataHandler(std::move(handler));
  const SerialLineSettings& line = settings.SerialLine();
  const SerialFeatureSettings& feature = settings.SerialFeature();
  const SerialTimeoutSettings& t = settings.SerialTimeouts();
  SerialTimeouts timeouts;
  timeouts.readInterval = static_cast<std::uint32_t>(t.readIntervalTimeout);
  timeouts.readTotalMultiplier = static_cast<std::uint32_t>(t.readTotalTimeoutMultiplier);
  timeouts.readTotalConstant = static_cast<std::uint32_t>(t.readTotalTimeoutConstant);
  timeouts.writeTotalMultiplier = static_cast<std::uint32_t>(t.writeTotalTimeoutMultiplier);
  timeouts.writeTotalConstant = static_cast<std::uint32_t>(t.writeTotalTimeoutConstant);
  const char16_t parity = line.parity.empty() ? u'\0' : line.parity.front();
  const char16_t dataBits = line.dataBits.empty() ? u'\0' : line.dataBits.front();
  channel->Configure(line.port, line.baud, parity, dataBits, line.stopBits, feature.inEnabled, feature.inStart,
                     feature.inEnd, feature.outEnabled, feature.outPrefix, feature.outSuffix, timeouts);
  return channel;
}

void SendSerial(SerialChannel& channel, std::string_view bytes) {
  channel.Send(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void CloseSerialChannel(SerialChannelPtr& channel) {
  if (!channel) return;
  channel->Close();
  channel.reset();
}

}  // namespace vantor
