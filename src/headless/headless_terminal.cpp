// One terminal without windows.
#include "headless/headless_terminal.h"

#include <utility>

namespace vantor {

HeadlessTerminal::HeadlessTerminal(Settings& settings, RecordSender& sender, const Clock& clock)
    : clock_(clock), view_(settings), terminal_(settings, view_, sender, clock), operator_(terminal_, view_) {
  view_.Attach(terminal_);
}

ConnectionParams HeadlessTerminal::Restart() {
  connected_.store(false);
  ConnectionParams params = terminal_.Restart();
  params.onConnected = [this, stamp = std::move(params.onConnected)] {
    if (stamp) stamp();
    connected_.store(true);
  };
  return params;
}

void HeadlessTerminal::ConnectionEnded() {
  connected_.store(false);
  view_.SetFocus(nullptr);
}

void HeadlessTerminal::ReceiveRecord(RecordBytes record) {
  terminal_.ReceiveRecord(record);
  view_.RunPosted();
}

}  // namespace vantor
