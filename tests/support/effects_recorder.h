// Session test doubles: a ScreenEffects that records every call and stands in for the windows, a record capture, a fixed clock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "interpreter/screen_effects.h"
#include "session/responses.h"

namespace vantor::testing_support {

// Lines, one per call, in call order:
//   "Refresh <page>"  "Show <page>"  "Focus <page>:<field>"  "PageFocus <page>"  "InputOn"
//   "InputOff"  "Indicator <w>,<l>"  "HostMessage <field>"  "HostPrompt <length>"  "Sound <event>"
//   "Serial <bytes>" (bytes outside 0x20..0x7E as \xHH)  "Relayout"  "KeyLabel <code>"
//   "Scanner <0|1>"  "CancelDialog <handle>"  "Discard <page>:<handle>"  "Enable <page>"
//   "DisableAll"
// Page refresh stands in for the page window when fakeWindows is on: records with `create` set get a
// window handle (1000, 1001, ...) when their mode selects a class, and `recreate` swaps the handle
// for a new one, so that focus requests and discards can be observed.
class EffectsRecorder : public ScreenEffects {
 public:
  std::vector<std::string> calls;
  bool fakeWindows = true;
  std::uintptr_t nextWindow = 1000;
  int windowsCreated = 0;
  // Called after the line is recorded (for instance to chain to CSession::OnInputOn / OnInputOff).
  std::function<void()> onInputOn;
  std::function<void()> onInputOff;

  // All lines joined with " | ".
  std::string Joined() const;
  // Number of lines that begin with prefix.
  int Count(std::string_view prefix) const;
  void Clear() { calls.clear(); }

  void RefreshPage(Page& page) override;
  void ShowPage(int page) override;
  void RequestFocus(Page& page, Field& field) override;
  void FocusPage(Page& page) override;
  void InputOn() override;
  void InputOff() override;
  void Indicator(int wparam, int lparam) override;
  void PostHostMessage(int focusField) override;
  void PostHostPrompt(int inputLength) override;
  void PlaySound(int soundEvent) override;
  void SerialOut(std::string_view bytes) override;
  void Relayout() override;
  void KeyLabelChanged(int code) override;
  void ScannerEnable(bool enable) override;
  void CancelHostDialog(std::uintptr_t dialog) override;
  void DiscardWindow(int page, std::uintptr_t window) override;
  void EnablePage(int page) override;
  void DisableAllPages() override;
};

// Captures the session's outgoing records (CSession::SetRecordSender) as (terminal id, bytes).
class RecordCapture : public RecordSender {
 public:
  struct Sent {
    int terminalId = 0;
    std::string data;
  };
  std::vector<Sent> records;
  bool fail = false;  // report every send as failed (still captured)

  bool SendRecord(int terminalId, std::string_view data) override {
    records.push_back({terminalId, std::string(data)});
    return !fail;
  }
  // The bytes of every record, in order.
  std::vector<std::string> Data() const;
  void Clear() { records.clear(); }
};

// A clock that tells what the test sets.
class FixedClock : public Clock {
 public:
  int second = 0;
  LocalDateTime local;
  int UtcSecond() const override { return second; }
  LocalDateTime LocalNow() const override { return local; }
};

}  // namespace vantor::testing_support
