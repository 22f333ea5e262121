// A view that shows nothing: the front end of a terminal without windows that only needs its records
// (a tool's shadow terminal, a benchmark, a fuzz run). Derive from it to watch some of the calls.
#pragma once

#include <cstdint>
#include <string_view>

#include "interpreter/screen_view.h"

namespace vantor {

class NullView : public ScreenView {
 public:
  void RefreshPage(Page&, const RefreshPlan&) override {}
  void DiscardWindow(int, WindowHandle) override {}
  void ShowPage(int) override {}
  void Relayout() override {}
  void FieldEdited(Field&) override {}
  void EnableInput(int) override {}
  void DisableInput() override {}
  void FocusField(Page&, Field&) override {}
  void FocusPage(Page&) override {}
  void ShowLock(LockMode) override {}
  void HideLock() override {}
  void OpenHostMessage(int) override {}
  void OpenHostPrompt() override {}
  void CancelHostDialog() override {}
  void PlaySound(SoundEvent) override {}
  void SerialOut(std::string_view) override {}
  void KeyLabelChanged(int, std::u16string_view) override {}
  void EnableScanner(bool) override {}
  void Beep(std::uint32_t) override {}
};

}  // namespace vantor
