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
  void DiscardWindow(int page, WindowHandle window) override;
  void ShowPage(int page) override;
  void Relayout() override;
  void FieldEdited(Field& field) override;
  void EnableInput(int page) override;
  void DisableInput() override;
  void FocusField(Page& page, Field& field) override;
  void FocusPage(Page& page) override;
  void ShowLock(LockMode mode) override;
  void HideLock() override;
  void OpenHostMessage(int focusAfter) override;
  void OpenHostPrompt() override;
  void CancelHostDialog() override;
  void PlaySound(SoundEvent event) override;
  void SerialOut(std::string_view bytes) override;
  void KeyLabelChanged(int code, std::u16string_view label) override;
  void EnableScanner(bool enable) override;
  void Beep(std::uint32_t type) override;
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
