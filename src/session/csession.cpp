// The session object: screen state, focus navigation, responses and the main window's requests.
#include "session/csession.h"

#include "platform/codepage.h"
#include "settings/settings.h"
#include "interpreter/interpreter.h"
#include "interpreter/screen_effects.h"
#include "session/session_thread.h"

namespace vantor {

bool CSession::LinkSender::SendRecord(int terminalId, std::string_view data) {
  return link_.Send(terminalId, data);
}

CSession::CSession(Settings& settings, ScreenEffects& effects, const Clock& clock)
    : settings_(settings), effects_(effects), clock_(clock) {
  const std::uint32_t background =
      settings_.CustomColours() ? settings_.BackgroundColour() : kDefaultPageBackground;
  pages_ = std::make_unique<PageList>(effects_, background);
  for (int code = 0; code < kKeyLabelCount; ++code) keyLabels_[code].code = static_cast<std::uint8_t>(code);
}

CSession::~CSession() { Stop(); }

bool CSession::Start(SessionPort& port) {
  if (thread_ && thread_->Kept()) return false;
  screenCols_ = settings_.ScreenColumns();
  screenRows_ = settings_.ScreenRows();
  terminalId_ = settings_.TerminalId();
  effects_.Relayout();
  SessionParams params;
  params.hostName = EncodeText(settings_.HostName(), CodePage::Ansi);
  params.port = static_cast<std::uint16_t>(settings_.HostPort());
  params.terminalId = terminalId_;
  params.onConnected = [this] { Stamp(); };
  if (!thread_) thread_ = std::make_unique<SessionThread>(link_, port);
  return thread_->Start(std::move(params));
}

void CSession::Stop() {
  if (thread_) {
    thread_->Stop();
    thread_.reset();
  }
  link_.Close();
}

void CSession::SetRecordSender(RecordSender* sender) { sender_ = sender ? sender : &linkSender_; }

CodePage CSession::HostPage() const { return HostCodePage(settings_.HostTextIsUtf8()); }

FieldList* CSession::CurrentFields() const {
  Page* page = CurrentPagePtr();
  return page ? &page->Fields() : nullptr;
}

Field* CSession::CurrentField() const {
  FieldList* fields = CurrentFields();
  return fields ? fields->Find(focusField_) : nullptr;
}

const std::u16string* CSession::KeyLabel(int code) const {
  if (code < 0 || code >= kKeyLabelCount || !keyLabels_[code].set) return nullptr;
  return &keyLabels_[code].text;
}

bool CSession::SetKeyLabel(int code, std::u16string_view text) {
  if (code < 0 || code >= kKeyLabelCount) return false;
  keyLabels_[code].text.assign(text);
  keyLabels_[code].set = true;
  return true;
}

void CSession::NotifyKeyLabel(int code) { effects_.KeyLabelChanged(code); }

std::u16string_view CSession::MessageText() const {
  std::u16string_view text(messageText_);
  const std::size_t start = text.find_first_not_of(u' ');
  return start == std::u16string_view::npos ? std::u16string_view() : text.substr(start);
}

void CSession::PromptBuffer(std::u16string_view reply) {
  promptReply_.assign(CutText(reply, promptLength_ > 0 ? promptLength_ : 0));
}

void CSession::CancelHostDialog() {
  if (hostDialog_ != 0) effects_.CancelHostDialog(hostDialog_);
}

void CSession::Stamp() { stamp_.store(clock_.UtcSecond()); }

int CSession::FirstInputField() const {
  FieldList* fields = CurrentFields();
  if (!fields) return -1;
  for (Field* field = fields->Head(); field; field = field->NextById()) {
    if (field->IsInputField()) return field->id;
  }
  return -1;
}

namespace {

// The focus field's entry, else the first entry with a larger number, else none.
Field* SearchPosition(FieldList& fields, int focus) {
  for (Field* field = fields.Head(); field; field = field->NextById()) {
    if (field->id >= focus) return field;
  }
  return nullptr;
}

}  // namespace

void CSession::FocusNext() {
  int result = -1;
  if (FieldList* fields = CurrentFields()) {
    if (Field* position = SearchPosition(*fields, focusField_)) {
      for (Field* field = position->NextById(); field; field = field->NextById()) {
        if (field->IsInputField()) {
          result = field->id;
          break;
        }
      }
    }
    if (result < 0) result = FirstInputField();
  }
  focusField_ = result;
  PlaceFocus();
}

void CSession::FocusPrevious() {
  int result = -1;
  if (FieldList* fields = CurrentFields()) {
    if (Field* position = SearchPosition(*fields, focusField_)) {
      for (Field* field = position->PreviousById(); field; field = field->PreviousById()) {
        if (field->IsInputField()) {
          result = field->id;
          break;
        }
      }
    }
    if (result < 0) {
      for (Field* field = fields->Tail(); field; field = field->PreviousById()) {
        if (field->IsInputField()) {
          result = field->id;
          break;
        }
      }
    }
  }
  focusField_ = result;
  PlaceFocus();
}

void CSession::PlaceFocus() {
  effects_.Indicator(1, 0);
  FocusCurrentPage();
}

void CSession::FocusCurrentPage() {
  Page* page = CurrentPagePtr();
  if (!page) return;
  if (focusField_ < 0) {
    effects_.FocusPage(*page);
    return;
  }
  Field* field = page->Fields().Find(focusField_);
  if (field && field->window != 0) effects_.RequestFocus(*page, *field);
}

bool CSession::Send(std::string_view record) { return sender_->SendRecord(terminalId_, record); }

bool CSession::SendFunctionKey(int functionCode) {
  keyboardState_.store(kKeyboardLocked);
  return Send(BuildKeyResponse(functionCode, focusField_, CurrentFields(), HostPage()));
}

bool CSession::SendFieldResponse() {
  keyboardState_.store(kKeyboardLocked);
  return Send(BuildFieldResponse(focusField_, CurrentFields(), HostPage()));
}

bool CSession::SendPromptReply() {
  const std::u16string_view reply =
      promptLength_ == -1 ? std::u16string_view() : std::u16string_view(promptReply_);
  const std::string record = BuildPromptReply(reply, HostPage());
  keyboardState_.store(kKeyboardLocked);
  const bool sent = Send(record);
  promptReply_.clear();
  promptReply_.shrink_to_fit();
  return sent;
}

bool CSession::SendSerialInput(std::string_view data) {
  bool ok = true;
  SendSerialInputResponses(data, [this, &ok](std::string_view record) { return ok = Send(record); });
  return ok;
}

bool CSession::SendGoodbye() { return Send(kGoodbyeRecord); }

bool CSession::SendStatus() { return Send(BuildStatusResponse(screenCols_, screenRows_, stamp_.load())); }

bool CSession::OnKey(int fieldId, long lparam) {
  if (KeyboardState() >= kKeyboardLocked) return false;
  effects_.Indicator(1, 1);
  focusField_ = fieldId;
  SendFunctionKey(static_cast<int>(lparam & 0xFFFF));
  return true;
}

void CSession::OnNavigate(int direction) {
  if (direction == 1) FocusNext();
  else if (direction == -1) FocusPrevious();
  else PlaceFocus();
}

bool CSession::OnToolbarKey(int code) { return OnKey(focusField_, code & 0xFFFF); }

bool CSession::OnFieldChanged(int fieldId) {
  if (KeyboardState() >= kKeyboardLocked) return false;
  effects_.Indicator(1, 1);
  focusField_ = fieldId;
  SendFieldResponse();
  return true;
}

void CSession::OnInputOn() {
  keyboardState_.store(kKeyboardReady);
  pages_->Enable(currentPage_);
  PlaceFocus();
}

void CSession::OnInputOff() { pages_->DisableAll(); }

void CSession::OnHostMessageClosed(int wparam, long lparam) {
  if (wparam == 1) {
    focusField_ = static_cast<std::int16_t>(lparam & 0xFFFF);
    PlaceFocus();
  } else {
    OnInputOff();
  }
}

void CSession::SendOwnRecord(std::string_view record, bool withPrefix) {
  sender_->SendRecord(withPrefix ? terminalId_ : 0, record);
}

void CSession::InterpretScreen(const std::uint8_t* begin, const std::uint8_t* end) {
  Interpret(*this, begin, end);
}

void CSession::ResetScreen() {
  effects_.Indicator(0, 0);
  focusField_ = -1;
  currentPage_ = 0;
  shownPage_ = 0;
  pendingDialog_ = kNoDialog;
  pages_->ClearAll();
  Stamp();
  CancelHostDialog();
}

void CSession::Indicator(int wparam, int lparam) { effects_.Indicator(wparam, lparam); }

}  // namespace vantor
