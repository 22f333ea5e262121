// The terminal's engine: the screen the host sets up, the operator's requests and the records that
// answer the host. No thread and no socket of its own, so one process can hold many.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "interpreter/interpreter.h"
#include "interpreter/screen.h"
#include "interpreter/screen_view.h"
#include "model/terminal_requests.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "session/connection_port.h"
#include "session/record_dispatch.h"
#include "session/responses.h"
#include "session/serial_input.h"

namespace vantor {

class Settings;

// Used on one thread, the owner's (a session thread hands records over through ConnectionPort).
// Every request changes the screen first, then reports to the view and sends what the host must see.
class Terminal final : public TerminalRequests, private DispatchTarget, private HostReplies, private SerialInputTarget {
 public:
  // settings, view and sender must outlive the terminal. The page background comes from the settings.
  Terminal(Settings& settings, ScreenView& view, RecordSender& sender, const Clock& clock = SystemClock());
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // Front ends read the screen; the terminal alone changes it (the control windows edit their records).
  const Screen& GetScreen() const { return screen_; }
  const Settings& GetSettings() const { return settings_; }
  int TerminalId() const { return terminalId_; }

  // ---- the host side ----
  // Before each connection: the screen size and terminal id are taken from the settings again and
  // the pages lay out again. Returns what the session thread needs (it calls Connected).
  ConnectionParams Restart();
  // The session thread has started: input off, "Lock-B".
  void ConnectionStarting();
  // Connected: the session stamp is taken (any thread).
  void Connected() { Stamp(); }
  // One complete host record (terminator included): dispatched, then the lock indicator follows the
  // keyboard: "Lock-H" while locked, gone otherwise.
  void ReceiveRecord(RecordBytes record);
  // The same, with every screen command and argument read told to `observer` (a tool's shadow terminal).
  void ReceiveRecord(RecordBytes record, ArgObserver& observer);

  // ---- the operator side (TerminalRequests) ----
  // A key for the host with the focus field it came from (-1: none); false (dropped) while locked.
  bool KeyPressed(int field, FunctionKey key) override;
  bool EnterPressed(int field) override;
  // An auto-send field changed; false (dropped) while locked.
  bool FieldChanged(int field) override;
  // A control took the focus.
  void FieldFocused(int field) override { screen_.focusField = field; }
  void Navigate(Direction direction) override;
  // A host message or prompt dialog opens: input is on while it shows.
  void HostDialogOpening();
  // The host message closed: the focus goes to focusAfter (-1: the page).
  void HostMessageClosed(int focusAfter);
  // Whether a prompt dialog should open (the host asked for an answer).
  bool PromptExpected() const { return screen_.promptLength != -1; }
  // The prompt closed: input off, and on OK the answer goes to the host (cut to the prompt's length).
  void PromptClosed(bool ok, std::u16string_view answer);
  // Data the serial scanner read: to the host in command mode, else into the serial input fields.
  void SerialReceived(SerialBytes data);

  // The session stamp: the UTC second of the last connect or reset.
  int SessionStamp() const { return stamp_.load(); }

 private:
  // DispatchTarget
  void SendOwnRecord(std::string_view record, bool withPrefix) override;
  void InterpretScreen(const std::uint8_t* begin, const std::uint8_t* end) override;
  void ResetScreen() override;
  // HostReplies
  void SendStatus() override;
  void SendKey(FunctionKey key) override;
  // SerialInputTarget
  bool KeyboardReady() const override { return screen_.keyboard == Keyboard::Ready; }
  int FirstSerialInputField() override;
  bool FieldHasWindow(int field) override;
  int FieldLength(int field) override;
  void ClearField(int field) override;
  void FeedChar(int field, char16_t ch) override;

  class FieldDisplay;
  CodePage HostPage() const;
  bool Send(std::string_view record);
  void SendPromptReply(std::u16string_view answer);
  void SendSerialInput(std::string_view data);
  void Stamp();

  Settings& settings_;
  ScreenView& view_;
  RecordSender& sender_;
  const Clock& clock_;
  Screen screen_;
  int terminalId_ = 1;
  std::atomic<int> stamp_{0};
  ArgObserver* observer_ = nullptr;  // set only during an observed ReceiveRecord
};

}  // namespace vantor
