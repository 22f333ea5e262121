// The terminal's view without windows: which control has the focus, whether input is on, the lock,
// the toolbar's bindings and the host dialogs, with the controls' own focus, key and tap rules.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/screen_view.h"
#include "look/toolbar_layout.h"
#include "model/button_controller.h"
#include "model/field.h"
#include "model/function_keys.h"

namespace vantor {

class Terminal;

enum class DialogKind { Message, Prompt };

struct OpenDialog {
  DialogKind kind = DialogKind::Message;
  int focusAfter = -1;    // a message's focus field once it closes
  std::u16string text{};  // the host's text as it was when the dialog opened
  int promptLength = -1;  // a prompt's longest answer
};

// One toolbar button: its fixed label, the code it sends and whether the host bound it.
struct ToolbarButtonState {
  std::u16string label;
  unsigned code = 0;
  bool enabled = false;
};

// Calls from the core and the operator's input arrive on the owner's thread only. What the window
// posts to itself (opening a host dialog) waits here until RunPosted, which the front end calls once
// the record is done.
class HeadlessView final : public ScreenView {
 public:
  enum class Lock { None, Connecting, Host };

  // The toolbar exists when the settings ask for one (toolbarsize 0 or more), as on the window.
  explicit HeadlessView(const Settings& settings);
  // The terminal the controls report to; before any other call.
  void Attach(Terminal& terminal) { terminal_ = &terminal; }

  // ---- ScreenView ----
  void RefreshPage(Page& page, const RefreshPlan& plan) override;
  void DiscardWindow(int, WindowHandle window) override { Detach(window); }
  void ShowPage(int) override {}
  void Relayout() override {}
  void FieldEdited(Field&) override {}
  void EnableInput(int) override { inputEnabled_ = true; }
  void DisableInput() override { inputEnabled_ = false; }
  void FocusField(Page& page, Field& field) override;
  void FocusPage(Page& page) override;
  void ShowLock(LockMode mode) override { lock_ = mode == LockMode::Connecting ? Lock::Connecting : Lock::Host; }
  void HideLock() override { lock_ = Lock::None; }
  void OpenHostMessage(int focusAfter) override { posted_.push_back({Posted::Message, focusAfter}); }
  void OpenHostPrompt() override { posted_.push_back({Posted::Prompt, -1}); }
  void CancelHostDialog() override;
  void PlaySound(SoundEvent) override { ++sounds_; }
  void SerialOut(std::string_view) override { ++serialOutputs_; }
  void KeyLabelChanged(int code, std::u16string_view label) override;
  void EnableScanner(bool) override {}
  void Beep(std::uint32_t) override { ++beeps_; }

  // ---- what the operator sees ----
  // The page takes taps (its windows are enabled).
  bool InputEnabled() const { return inputEnabled_; }
  // Keys and typing reach the terminal: it waits for no host record and no lock shows. After a host
  // prompt's Cancel the keyboard is ready while the page stays disabled, as in the window.
  bool KeyboardReady() const;
  Lock LockShown() const { return lock_; }
  // The control holding the keyboard focus; null when the page (or a dialog) has it.
  Field* FocusedControl() const { return focused_; }
  // Open host dialogs, the one in front last.
  const std::vector<OpenDialog>& Dialogs() const { return dialogs_; }
  bool ToolbarBuilt() const { return toolbarBuilt_; }
  const std::array<ToolbarButtonState, toolbar::kButtonCount>& Toolbar() const { return toolbar_; }
  int Beeps() const { return beeps_; }
  int Sounds() const { return sounds_; }
  // Data handed to the serial port.
  int SerialOutputs() const { return serialOutputs_; }

  // ---- the operator's input ----
  // The control (null: the current page) takes the keyboard focus as SetFocus gives it: the one that
  // had it loses it first; nothing happens when it has it already.
  void SetFocus(Field* control);
  // A key going down, delivered to the focus control, else to the page.
  void KeyDown(unsigned virtualKey, KeyModifiers modifiers);
  // The character a key made, delivered to the control the key went to (null: the page).
  void CharTo(Field* control, char16_t c, KeyModifiers modifiers);
  // A tap on a control of the button family: it takes the focus, then the press and the release.
  void Tap(Field& control);
  // Closes the dialog in front; ok tells OK from Cancel, answer is a prompt's.
  void CloseDialog(bool ok, std::u16string_view answer = {});

  // Carries out what was posted since the last call (host dialogs open, cancels close), in order.
  void RunPosted();

 private:
  class EntryControl;
  // The button family without windows: nothing to show.
  class ButtonControl final : public ButtonWindow {
   public:
    void ValueChanged(Field&) override {}
    void ShowPressed(bool) override {}
  };
  struct Posted {
    enum Kind { Message, Prompt, Cancel } kind = Message;
    int focusAfter = -1;
  };

  void LoseFocus(Field& control);
  void GainFocus(Field& control);
  void ControlKeyDown(Field& control, unsigned virtualKey, KeyModifiers modifiers);
  ButtonController ButtonOf(Field& control);
  void Open(const Posted& posted);
  void Detach(WindowHandle window);

  const Settings& settings_;
  Terminal* terminal_ = nullptr;
  ButtonControl buttons_;
  WindowHandle nextWindow_ = 1;
  Field* focused_ = nullptr;
  bool inputEnabled_ = false;
  Lock lock_ = Lock::None;
  std::vector<Posted> posted_;
  std::vector<OpenDialog> dialogs_;
  bool toolbarBuilt_ = false;
  std::array<ToolbarButtonState, toolbar::kButtonCount> toolbar_{};
  int beeps_ = 0;
  int sounds_ = 0;
  int serialOutputs_ = 0;
};

}  // namespace vantor
