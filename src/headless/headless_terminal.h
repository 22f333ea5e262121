// One terminal without windows: the engine, its view and its operator, for any connection a driver gives it.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "headless/headless_view.h"
#include "headless/operator.h"
#include "platform/clock.h"
#include "session/terminal.h"

namespace vantor {

class Settings;

// The link as `status` reports it.
struct LinkStatus {
  bool tls = false;
  std::string protocol;  // agreed with the host while connected ("TLSv1.3"); empty for clear text
  std::string failure;   // why the last connection failed or ended; empty while connected
};

// Used on its owner's thread, except Connected and SetConnected (any thread).
class HeadlessTerminal {
 public:
  // settings, sender and clock must outlive it.
  HeadlessTerminal(Settings& settings, RecordSender& sender, const Clock& clock = SystemClock());
  HeadlessTerminal(const HeadlessTerminal&) = delete;
  HeadlessTerminal& operator=(const HeadlessTerminal&) = delete;

  Terminal& Engine() { return terminal_; }
  const Terminal& Engine() const { return terminal_; }
  HeadlessView& View() { return view_; }
  const HeadlessView& View() const { return view_; }
  Operator& Hands() { return operator_; }
  const Clock& GetClock() const { return clock_; }

  // Before each connection: what the session needs; its connect also marks the terminal connected.
  ConnectionParams Restart();
  void ConnectionStarting() { terminal_.ConnectionStarting(); }
  // The connection is gone: the main window takes the keyboard focus, as the window's does.
  void ConnectionEnded();
  // One host record, then the dialogs it asked for open (as the window's posted messages would).
  void ReceiveRecord(RecordBytes record);

  bool Connected() const { return connected_.load(); }
  void SetConnected(bool connected) { connected_.store(connected); }

  // The link as the connection's driver knows it (a terminal without one reports an unused link).
  void SetLinkSource(std::function<LinkStatus()> source) { linkSource_ = std::move(source); }
  LinkStatus Link() const { return linkSource_ ? linkSource_() : LinkStatus{}; }

 private:
  const Clock& clock_;
  HeadlessView view_;
  Terminal terminal_;
  Operator operator_;
  std::atomic<bool> connected_{false};
  std::function<LinkStatus()> linkSource_;
};

}  // namespace vantor
