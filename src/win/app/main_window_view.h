// The terminal's view on the Win32 main window: each change the core reports, carried out on the
// pages, controls, lock indicator, toolbar, sound players and serial port.
#pragma once

#include "interpreter/screen_view.h"

namespace vantor {

class MainWindow;
class SoundBoard;

class MainWindowView final : public ScreenView {
 public:
  MainWindowView(MainWindow& window, SoundBoard& sounds) : window_(window), sounds_(sounds) {}

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

 private:
  MainWindow& window_;
  SoundBoard& sounds_;
};

}  // namespace vantor
