// One terminal without windows on a real host connection.
#include "headless/runner.h"

#include <algorithm>
#include <utility>

namespace vantor {

namespace {
using SteadyClock = std::chrono::steady_clock;
}  // namespace

HeadlessRunner::HeadlessRunner(Settings& settings, const Clock& clock)
    : port_([this] { terminal_.ConnectionStarting(); },
            [this](RecordBytes record) { terminal_.ReceiveRecord(record); }),
      connection_(port_),
      terminal_(settings, connection_, clock),
      engine_(terminal_) {
  terminal_.SetLinkSource([this] {
    return LinkStatus{tls_, connection_.Protocol(), Describe(connection_.LastFailure())};
  });
}

ConnectionParams HeadlessRunner::Params() {
  ConnectionParams params = terminal_.Restart();
  params.tls.caFile = caFile_;
  tls_ = params.tls.enabled;
  params.onConnected = [this, connected = std::move(params.onConnected)] {
    if (connected) connected();
    port_.Wake();
  };
  return params;
}

void HeadlessRunner::Start() {
  stopped_ = false;
  if (!connection_.Start(Params())) reconnectAt_ = SteadyClock::now() + kReconnectDelay;
}

void HeadlessRunner::Stop() {
  stopped_ = true;
  reconnectAt_.reset();
  connection_.Stop();
  port_.TakeEnded();
  terminal_.SetConnected(false);
}

void HeadlessRunner::Drop() {
  connection_.Stop();
  port_.TakeEnded();
  terminal_.ConnectionEnded();
  if (!stopped_) reconnectAt_ = SteadyClock::now() + kReconnectDelay;
}

void HeadlessRunner::Pump() {
  port_.Serve();
  if (const std::optional<bool> ended = port_.TakeEnded()) {
    connection_.Stop();
    terminal_.ConnectionEnded();
    if (!*ended && !stopped_) reconnectAt_ = SteadyClock::now() + kReconnectDelay;
  }
  if (reconnectAt_ && SteadyClock::now() >= *reconnectAt_) {
    reconnectAt_.reset();
    if (!connection_.Start(Params())) reconnectAt_ = SteadyClock::now() + kReconnectDelay;
  }
}

void HeadlessRunner::WaitUntil(TimePoint deadline) {
  port_.WaitForWork(reconnectAt_ ? std::min(deadline, *reconnectAt_) : deadline);
}

Reply HeadlessRunner::Execute(std::string_view line) {
  Pump();
  std::optional<Reply> reply = engine_.Start(line, SteadyClock::now());
  while (!reply) {
    Pump();
    reply = engine_.Poll(SteadyClock::now());
    if (!reply) WaitUntil(engine_.Deadline().value_or(SteadyClock::now()));
  }
  if (reply->drop) Drop();
  return *reply;
}

bool HeadlessRunner::ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const TimePoint deadline = SteadyClock::now() + timeout;
  for (;;) {
    Pump();
    if (done()) return true;
    if (SteadyClock::now() >= deadline) return false;
    WaitUntil(deadline);
  }
}

}  // namespace vantor
