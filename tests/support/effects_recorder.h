// Test doubles of the core's seams: a ScreenView that records every call and stands in for the
// windows, a record capture, a fixed clock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/screen_view.h"
#include "platform/clock.h"
#include "session/responses.h"

namespace vantor::testing_support {

// Printable ASCII as it is, every other byte and the backslash as \xHH.
std::string Escaped(std::string_view bytes);

// Lines, one per call, in call order:
//   "Refresh <page>"  "Show <page>"  "Focus <page>:<field>"  "PageFocus <page>"  "EnableInput <page>"
//   "DisableInput"  "ShowLock B|H"  "HideLock"  "HostMessage <field>"  "HostPrompt"  "CancelDialog"
//   "Sound <event>"  "Serial <bytes>" (bytes outside 0x20..0x7E as \xHH)  "Relayout"
//   "KeyLabel <code> <label>"  "Scanner <0|1>"  "Discard <page>:<handle>"  "Edited <field>"  "Beep <type>"
// The page refresh carries out its plan: a created record gets a window handle (1000, 1001, ...) when
// its kind has a control, so that focus requests and discards can be observed.
class EffectsRecorder : public ScreenView {
 public:
  std::vector<std::string> calls;
  std::uintptr_t nextWindow = 1000;
  int windowsCreated = 0;

  // All lines joined with " | ".
  std::string Joined() const;
  void Clear() { calls.clear(); }

  void RefreshPage(Page& page, const RefreshPlan& plan) override;
  void DiscardWindow(int page, WindowHandle window) override {
    calls.push_back("Discard " + std::to_string(page) + ":" + std::to_string(window));
  }
  void ShowPage(int page) override { calls.push_back("Show " + std::to_string(page)); }
  void Relayout() override { calls.push_back("Relayout"); }
  void FieldEdited(Field& field) override;
  void EnableInput(int page) override { calls.push_back("EnableInput " + std::to_string(page)); }
  void DisableInput() override { calls.push_back("DisableInput"); }
  void FocusField(Page& page, Field& field) override;
  void FocusPage(Page& page) override;
  void ShowLock(LockMode mode) override { calls.push_back(mode == LockMode::Connecting ? "ShowLock B" : "ShowLock H"); }
  void HideLock() override { calls.push_back("HideLock"); }
  void OpenHostMessage(int focusAfter) override { calls.push_back("HostMessage " + std::to_string(focusAfter)); }
  void OpenHostPrompt() override { calls.push_back("HostPrompt"); }
  void CancelHostDialog() override { calls.push_back("CancelDialog"); }
  void PlaySound(SoundEvent event) override { calls.push_back("Sound " + std::to_string(IndexOf(event))); }
  void SerialOut(std::string_view bytes) override { calls.push_back("Serial " + Escaped(bytes)); }
  void KeyLabelChanged(int code, std::u16string_view label) override;
  void EnableScanner(bool enable) override { calls.push_back(enable ? "Scanner 1" : "Scanner 0"); }
  void Beep(std::uint32_t type) override { calls.push_back("Beep " + std::to_string(type)); }
};

// Captures the session's outgoing records as (terminal id, bytes).
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
