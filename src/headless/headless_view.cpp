// The view without windows: focus, input, lock, toolbar and host dialogs, and the controls' rules.
#include "headless/headless_view.h"

#include "model/button_controller.h"
#include "model/control_kind.h"
#include "model/entry_editor.h"
#include "model/page.h"
#include "session/terminal.h"
#include "settings/settings.h"

namespace vantor {

namespace {

ButtonKind ButtonKindOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::SelectButton: return ButtonKind::SelectButton;
    case ControlKind::CheckBox: return ButtonKind::CheckBox;
    case ControlKind::RadioButton: return ButtonKind::RadioButton;
    default: return ButtonKind::Button;
  }
}

bool IsButtonFamily(ControlKind kind) {
  return kind == ControlKind::Button || kind == ControlKind::SelectButton || kind == ControlKind::CheckBox ||
         kind == ControlKind::RadioButton;
}

}  // namespace

// The entry field without a window: characters for another control go to it; nothing to repaint.
class HeadlessView::EntryControl final : public EntryWindow {
 public:
  EntryControl(HeadlessView& view, Field& field) : view_(view), field_(field) {}

  bool OwnsFocus() override { return view_.focused_ == &field_; }
  void Beep(std::uint32_t) override { ++view_.beeps_; }
  void CaretChanged() override {}
  void Paste() override {}  // no clipboard
  void ForwardChar(char16_t c) override {
    if (view_.focused_ != nullptr && view_.focused_ != &field_) view_.CharTo(view_.focused_, c, {});
  }

 private:
  HeadlessView& view_;
  Field& field_;
};

HeadlessView::HeadlessView(const Settings& settings) : settings_(settings), toolbarBuilt_(settings.ToolbarSize() >= 0) {
  for (std::size_t i = 0; i < toolbar_.size(); ++i) {
    toolbar_[i] = {std::u16string(toolbar::kButtons[i].label), toolbar::kButtons[i].defaultKey, false};
  }
}

void HeadlessView::RefreshPage(Page&, const RefreshPlan& plan) {
  for (const RefreshStep& step : plan) {
    if (step.change == WindowChange::Touch) continue;
    Field& field = *step.field;
    if (field.link.window != kNoWindow) Detach(field.link.window);
    field.link.window = kNoWindow;
    const ControlKind kind = ControlKindOf(field);
    if (kind == ControlKind::None) continue;
    field.link.window = nextWindow_++;
  }
}

void HeadlessView::Detach(WindowHandle window) {
  // The window went with its record already detached: it loses the focus without a word, and the
  // page has it.
  if (focused_ != nullptr && focused_->link.window == window) focused_ = nullptr;
}

void HeadlessView::FocusField(Page&, Field& field) {
  // Under an open dialog the main window and its controls are disabled.
  if (!dialogs_.empty() || field.link.window == kNoWindow || !TakesFocus(field)) return;
  SetFocus(&field);
}

void HeadlessView::FocusPage(Page&) {
  if (dialogs_.empty()) SetFocus(nullptr);
}

void HeadlessView::CancelHostDialog() {
  if (!dialogs_.empty()) posted_.push_back({Posted::Cancel, -1});
}

void HeadlessView::KeyLabelChanged(int code, std::u16string_view label) {
  if (!toolbarBuilt_) return;
  std::array<toolbar::KeyBinding, toolbar::kButtonCount> bindings;
  for (std::size_t i = 0; i < bindings.size(); ++i)
    bindings[i] = {toolbar_[i].label, toolbar_[i].code, toolbar_[i].enabled};
  const toolbar::LabelResult result = toolbar::ApplyKeyLabel(bindings, static_cast<unsigned>(code), label);
  if (result.index < 0) return;
  ToolbarButtonState& button = toolbar_[static_cast<std::size_t>(result.index)];
  button.code = bindings[static_cast<std::size_t>(result.index)].key;
  button.enabled = result.effect == toolbar::LabelEffect::Enabled;
}

bool HeadlessView::KeyboardReady() const {
  return lock_ == Lock::None && terminal_ != nullptr && terminal_->GetScreen().keyboard != Keyboard::Locked;
}

// ---- focus ----

void HeadlessView::SetFocus(Field* control) {
  if (control == focused_) return;
  Field* previous = focused_;
  focused_ = control;
  if (previous != nullptr) LoseFocus(*previous);
  // Losing it may have moved the focus again.
  if (control != nullptr && focused_ == control) GainFocus(*control);
}

void HeadlessView::LoseFocus(Field& control) {
  const ControlKind kind = ControlKindOf(control);
  if (kind == ControlKind::Entry) {
    EntryControl entry(*this, control);
    EntryEditor(control, settings_, entry, *terminal_).EndEditing();
  }
}

void HeadlessView::GainFocus(Field& control) {
  const ControlKind kind = ControlKindOf(control);
  if (kind == ControlKind::Entry) {
    EntryControl entry(*this, control);
    EntryEditor(control, settings_, entry, *terminal_).StartEditing();
  } else if (IsButtonFamily(kind)) {
    ButtonOf(control).Focused();
  }
}

// ---- keys and taps ----

void HeadlessView::KeyDown(unsigned virtualKey, KeyModifiers modifiers) {
  if (focused_ != nullptr) {
    ControlKeyDown(*focused_, virtualKey, modifiers);
    return;
  }
  const KeyAction action = FunctionKeyAction(virtualKey, modifiers, settings_.EnterSendsKey(), KeyOrigin::Page);
  if (action.kind == KeyAction::Code) terminal_->KeyPressed(-1, FunctionKeyFromCode(action.code));
}

void HeadlessView::CharTo(Field* control, char16_t c, KeyModifiers modifiers) {
  // Only the entry field takes characters; the page and the buttons pass them over.
  if (control == nullptr || ControlKindOf(*control) != ControlKind::Entry) return;
  EntryControl entry(*this, *control);
  EntryEditor(*control, settings_, entry, *terminal_).TypedChar(c, modifiers, entry);
}

void HeadlessView::ControlKeyDown(Field& control, unsigned virtualKey, KeyModifiers modifiers) {
  const ControlKind kind = ControlKindOf(control);
  if (kind == ControlKind::Entry) {
    EntryControl entry(*this, control);
    EntryEditor(control, settings_, entry, *terminal_).KeyDown(virtualKey, modifiers);
  } else if (IsButtonFamily(kind)) {
    ButtonOf(control).KeyDown(virtualKey, modifiers);
  }
}

void HeadlessView::Tap(Field& control) {
  SetFocus(&control);
  ButtonController button = ButtonOf(control);
  button.Press();
  button.Release({});
}

ButtonController HeadlessView::ButtonOf(Field& control) {
  return ButtonController(control, ButtonKindOf(ControlKindOf(control)), settings_.EnterSendsKey(), buttons_,
                          *terminal_);
}

// ---- host dialogs ----

void HeadlessView::RunPosted() {
  while (!posted_.empty()) {
    const Posted posted = posted_.front();
    posted_.erase(posted_.begin());
    if (posted.kind != Posted::Cancel) {
      Open(posted);
    } else if (!dialogs_.empty()) {
      CloseDialog(false);
    }
  }
}

void HeadlessView::Open(const Posted& posted) {
  if (posted.kind == Posted::Prompt && !terminal_->PromptExpected()) return;
  terminal_->HostDialogOpening();
  // The dialog takes the keyboard focus from the control that has it.
  if (dialogs_.empty()) SetFocus(nullptr);
  const Screen& screen = terminal_->GetScreen();
  dialogs_.push_back({posted.kind == Posted::Prompt ? DialogKind::Prompt : DialogKind::Message, posted.focusAfter,
                      screen.messageText, screen.promptLength});
}

void HeadlessView::CloseDialog(bool ok, std::u16string_view answer) {
  if (dialogs_.empty()) return;
  const OpenDialog closed = dialogs_.back();
  dialogs_.pop_back();
  if (dialogs_.empty()) {
    // The main window has the focus again and hands it to the focus field's control.
    Field* field = terminal_->GetScreen().FocusedField();
    SetFocus(field != nullptr && field->link.window != kNoWindow && field->Mode() != kModeDisplay ? field : nullptr);
  }
  if (closed.kind == DialogKind::Message) {
    terminal_->HostMessageClosed(closed.focusAfter);
  } else {
    terminal_->PromptClosed(ok, answer);
  }
}

}  // namespace vantor
