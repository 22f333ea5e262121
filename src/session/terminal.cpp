// The terminal's engine: host records in, operator requests, responses out.
#include "session/terminal.h"

#include <algorithm>

#include "interpreter/focus.h"
#include "model/entry_editor.h"
#include "settings/settings.h"

namespace vantor {

// How the terminal's own edits of a field (serial data) show: through the view.
class Terminal::FieldDisplay final : public EntryDisplay {
 public:
  FieldDisplay(ScreenView& view, Field& field) : view_(view), field_(field) {}

  void CaretChanged() override { view_.FieldEdited(field_); }
  void Beep(std::uint32_t type) override { view_.Beep(type); }

 private:
  ScreenView& view_;
  Field& field_;
};

Terminal::Terminal(Settings& settings, ScreenView& view, RecordSender& sender, const Clock& clock)
    : settings_(settings),
      view_(view),
      sender_(sender),
      clock_(clock),
      screen_(settings.CustomColours() ? settings.BackgroundColour() : kDefaultPageBackground) {}

CodePage Terminal::HostPage() const { return HostCodePage(settings_.HostTextIsUtf8()); }

void Terminal::Stamp() { stamp_.store(clock_.UtcSecond()); }

bool Terminal::Send(std::string_view record) { return sender_.SendRecord(terminalId_, record); }

// ---- the host side ----

ConnectionParams Terminal::Restart() {
  screen_.columns = settings_.ScreenColumns();
  screen_.rows = settings_.ScreenRows();
  terminalId_ = settings_.TerminalId();
  view_.Relayout();
  ConnectionParams params;
  params.hostName = EncodeText(settings_.HostName(), CodePage::Ansi);
  params.port = static_cast<std::uint16_t>(settings_.HostPort());
  params.tls.enabled = settings_.HostTls();
  params.tls.pin = EncodeText(settings_.HostTlsPin(), CodePage::Ansi);
  params.terminalId = terminalId_;
  params.onConnected = [this] { Connected(); };
  return params;
}

void Terminal::ConnectionStarting() { Lock(view_, LockMode::Connecting); }

void Terminal::ReceiveRecord(RecordBytes record) {
  DispatchRecord(*this, record);
  if (screen_.keyboard == Keyboard::Locked) {
    Lock(view_, LockMode::Host);
  } else {
    view_.HideLock();
  }
}

void Terminal::ReceiveRecord(RecordBytes record, ArgObserver& observer) {
  observer_ = &observer;
  ReceiveRecord(record);
  observer_ = nullptr;
}

void Terminal::SendOwnRecord(std::string_view record, bool withPrefix) {
  sender_.SendRecord(withPrefix ? terminalId_ : 0, record);
}

void Terminal::InterpretScreen(const std::uint8_t* begin, const std::uint8_t* end) {
  Interpret(ScreenContext{screen_, settings_, view_, *this, observer_}, begin, end);
}

void Terminal::ResetScreen() {
  view_.HideLock();
  screen_.focusField = -1;
  screen_.currentPage = 0;
  screen_.shownPage = 0;
  screen_.pendingDialog = PendingDialog::None;
  RemovedFields removed;
  screen_.pages.ClearAll(removed);
  DiscardRemoved(removed, view_);
  Stamp();
  view_.CancelHostDialog();
}

// ---- the operator side ----

bool Terminal::KeyPressed(int field, FunctionKey key) {
  if (screen_.keyboard == Keyboard::Locked) return false;
  Lock(view_, LockMode::Host);
  screen_.focusField = field;
  SendKey(key);
  return true;
}

bool Terminal::EnterPressed(int field) {
  const Field* focus = screen_.FocusedField();
  return KeyPressed(focus != nullptr ? focus->id : field, FunctionKey::Enter);
}

bool Terminal::FieldChanged(int field) {
  if (screen_.keyboard == Keyboard::Locked) return false;
  Lock(view_, LockMode::Host);
  screen_.focusField = field;
  screen_.keyboard = Keyboard::Locked;
  Send(BuildFieldResponse(screen_.focusField, screen_.CurrentFields(), HostPage()));
  return true;
}

void Terminal::Navigate(Direction direction) {
  if (direction == Direction::Next) {
    screen_.focusField = screen_.NextInputField();
  } else if (direction == Direction::Previous) {
    screen_.focusField = screen_.PreviousInputField();
  }
  PlaceFocus(screen_, view_);
}

void Terminal::HostDialogOpening() { InputOn(screen_, view_); }

void Terminal::HostMessageClosed(int focusAfter) {
  screen_.focusField = focusAfter;
  PlaceFocus(screen_, view_);
}

void Terminal::PromptClosed(bool ok, std::u16string_view answer) {
  view_.DisableInput();
  if (ok) SendPromptReply(answer);
}

void Terminal::SerialReceived(SerialBytes data) {
  const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
  if (settings_.SerialCommandMode()) {
    SendSerialInput(bytes);
    return;
  }
  if (screen_.CurrentPage() == nullptr) return;
  FeedSerialFields(DecodeText(bytes, CodePage::Ansi), *this);
}

int Terminal::FirstSerialInputField() {
  FieldList* fields = screen_.CurrentFields();
  Field* field = fields != nullptr ? fields->FirstSerialInputField() : nullptr;
  return field != nullptr ? field->id : kNoSerialField;
}

bool Terminal::FieldHasWindow(int field) {
  const Field* record = screen_.CurrentField(field);
  return record != nullptr && record->link.window != kNoWindow;
}

int Terminal::FieldLength(int field) {
  const Field* record = screen_.CurrentField(field);
  return record != nullptr ? record->MaxLength() : 0;
}

void Terminal::ClearField(int field) {
  Field* record = screen_.CurrentField(field);
  if (record == nullptr) return;
  FieldDisplay display(view_, *record);
  EntryEditor(*record, settings_, display, *this).Empty();
}

void Terminal::FeedChar(int field, char16_t ch) {
  Field* record = screen_.CurrentField(field);
  if (record == nullptr || record->link.window == kNoWindow) return;
  FieldDisplay display(view_, *record);
  EntryEditor(*record, settings_, display, *this).FedChar(ch);
}

// ---- responses ----

void Terminal::SendStatus() { Send(BuildStatusResponse(screen_.columns, screen_.rows, stamp_.load())); }

void Terminal::SendKey(FunctionKey key) {
  screen_.keyboard = Keyboard::Locked;
  Send(BuildKeyResponse(CodeOf(key), screen_.focusField, screen_.CurrentFields(), HostPage()));
}

void Terminal::SendPromptReply(std::u16string_view answer) {
  const std::string record = BuildPromptReply(CutText(answer, std::max(screen_.promptLength, 0)), HostPage());
  screen_.keyboard = Keyboard::Locked;
  Send(record);
}

void Terminal::SendSerialInput(std::string_view data) {
  SendSerialInputResponses(data, [this](std::string_view record) { return Send(record); });
}

}  // namespace vantor
