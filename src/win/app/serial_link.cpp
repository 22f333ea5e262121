// The main window's hold on the serial channel.
#include "win/app/serial_link.h"

#include "devices/serial_channel_win.h"

namespace vantor {

void SerialChannelDeleter::operator()(SerialChannel* channel) const { delete channel; }

SerialChannelPtr OpenSerialChannel(const SerialSetup& setup, SerialDataHandler handler) {
  SerialChannelPtr channel(new SerialChannel());
  channel->SetDataHandler(std::move(handler));
  SerialTimeouts timeouts;
  timeouts.readInterval = setup.timeouts[0];
  timeouts.readTotalMultiplier = setup.timeouts[1];
  timeouts.readTotalConstant = setup.timeouts[2];
  timeouts.writeTotalMultiplier = setup.timeouts[3];
  timeouts.writeTotalConstant = setup.timeouts[4];
  channel->Configure(setup.port, setup.baud, setup.parity, setup.dataBits, setup.stopBits, setup.serialIn,
                     setup.startByte, setup.endByte, setup.serialOut, setup.prefix, setup.suffix, timeouts);
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
