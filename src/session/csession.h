// The session object: everything the host has set up on the terminal, and the operator's requests.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "model/page_list.h"
#include "session/responses.h"
#include "session/session_port.h"
#include "session/host_link.h"

namespace vantor {

class Settings;
class ScreenEffects;
class SessionThread;

inline constexpr int kKeyLabelCount = 37;

// Pending host dialog, consumed by the end of the record that set it.
inline constexpr int kNoDialog = 0;
inline constexpr int kDialogMessageAtField = 1;
inline constexpr int kDialogMessage = 2;
inline constexpr int kDialogPrompt = 3;

// Keyboard states.
inline constexpr int kKeyboardReady = 0;
inline constexpr int kKeyboardResetFocus = 1;  // ready; the focus goes to the first input field
inline constexpr int kKeyboardLocked = 2;      // waiting for the host

struct KeyLabelEntry {
  std::uint8_t code = 0;
  bool set = false;
  std::u16string text;
};

// One per process, owned by the main window; used on the UI thread only (the session thread hands
// records over through SessionPort). The keyboard state and the stamp are atomics because the serial
// reader and the session thread read or take them.
class CSession final : public DispatchTarget {
 public:
  CSession(Settings& settings, ScreenEffects& effects, const Clock& clock = SystemClock());
  ~CSession() override;
  CSession(const CSession&) = delete;
  CSession& operator=(const CSession&) = delete;

  // Starts the session thread (connect, identify, receive) reporting through port, which must
  // outlive the session; copies the screen size and terminal id from the settings. False when a
  // session thread is still kept.
  bool Start(SessionPort& port);
  // Ends the session thread (no goodbye) and closes the link; nothing when none runs.
  void Stop();

  // Outgoing records go to sender instead of the host link (tests); null restores the link.
  void SetRecordSender(RecordSender* sender);

  Settings& GetSettings() { return settings_; }
  ScreenEffects& Effects() { return effects_; }
  PageList& Pages() { return *pages_; }
  HostLink& Link() { return link_; }

  int KeyboardState() const override { return keyboardState_.load(); }
  void SetKeyboardState(int state) { keyboardState_.store(state); }
  int FocusField() const { return focusField_; }
  void SetFocusField(int field) { focusField_ = field; }
  int CurrentPage() const { return currentPage_; }
  void SetCurrentPage(int page) { currentPage_ = page; }
  int ShownPage() const { return shownPage_; }
  void SetShownPage(int page) { shownPage_ = page; }
  int PendingDialog() const { return pendingDialog_; }
  void SetPendingDialog(int dialog) { pendingDialog_ = dialog; }
  int MessageFocusField() const { return messageFocusField_; }
  void SetMessageFocusField(int field) { messageFocusField_ = field; }
  int ScreenRows() const { return screenRows_; }
  int ScreenCols() const { return screenCols_; }
  void SetScreenSize(int cols, int rows) { screenCols_ = cols; screenRows_ = rows; }
  int TerminalId() const { return terminalId_; }
  void SetTerminalId(int id) { terminalId_ = id; }
  int SessionStamp() const { return stamp_.load(); }

  // The current page, or null when its number names no page.
  Page* CurrentPagePtr() const { return pages_->At(currentPage_); }
  // The focus field's record on the current page, or null.
  Field* CurrentField() const;

  // Key labels (codes 0..36). KeyLabel is null for another code or a label never set.
  const std::u16string* KeyLabel(int code) const;
  // False (nothing stored) for a code outside 0..36.
  bool SetKeyLabel(int code, std::u16string_view text);
  // Tells the main window that the label of code changed.
  void NotifyKeyLabel(int code);

  // Host dialog texts.
  void SetMessageText(std::u16string_view text) { messageText_.assign(text); }
  // The message text without its leading blanks (U+0020).
  std::u16string_view MessageText() const;
  int PromptLength() const { return promptLength_; }
  void SetPromptLength(int length) { promptLength_ = length; }
  // Replaces the prompt reply with the operator's answer, cut to PromptLength characters.
  void PromptBuffer(std::u16string_view reply);
  const std::u16string& PromptReply() const { return promptReply_; }
  // The open host dialog's window (0 when it closes).
  void SetHostDialog(std::uintptr_t dialog) { hostDialog_ = dialog; }
  std::uintptr_t HostDialog() const { return hostDialog_; }
  void CancelHostDialog();

  // Session stamp = seconds of the current UTC time (0..59).
  void Stamp();

  // Focus among the input fields of the current page (mode 3, not serial), in id order.
  int FirstInputField() const;
  void FocusNext();
  void FocusPrevious();
  // Indicator removed, then the focus placed on the current page (FocusCurrentPage).
  void PlaceFocus();
  // Focus request to the focus field's window on the current page, or the page itself takes the
  // focus when the focus field is negative; nothing when the page or the window does not exist.
  void FocusCurrentPage();

  // Responses (each sends one record, or several for serial input; false when a send failed).
  bool SendFunctionKey(int functionCode);
  bool SendFieldResponse();
  bool SendPromptReply();
  bool SendSerialInput(std::string_view data);
  bool SendGoodbye();
  bool SendStatus();

  // The main window's requests (Win32 messages of the same names).
  // WM_VDX_KEY: false (dropped) while the keyboard is locked.
  bool OnKey(int fieldId, long lparam);
  // WM_VDX_NAVIGATE: 1 next, -1 previous, other values place the focus again.
  void OnNavigate(int direction);
  // WM_VDX_TOOLBARKEY: a key for the focus field.
  bool OnToolbarKey(int code);
  // WM_VDX_FIELD_FOCUSED.
  void OnFieldFocused(int fieldId) { focusField_ = fieldId; }
  // WM_VDX_FIELD_CHANGED: false (dropped) while the keyboard is locked.
  bool OnFieldChanged(int fieldId);
  // WM_VDX_INPUT_ON: keyboard ready, current page enabled, focus placed.
  void OnInputOn();
  // WM_VDX_INPUT_OFF: every page disabled.
  void OnInputOff();
  // After the host message dialog closed (wParam, lParam of WM_VDX_HOST_MESSAGE): wParam 1 focuses
  // the field in the low 16 bits of lParam (read as signed, so -1 is the page), else input off.
  void OnHostMessageClosed(int wparam, long lparam);
  // WM_VDX_KEYBOARD_STATE.
  int KeyboardStateQuery() const { return KeyboardState(); }

  // DispatchTarget (the record dispatcher, UI thread).
  void SendOwnRecord(std::string_view record, bool withPrefix) override;
  void InterpretScreen(const std::uint8_t* begin, const std::uint8_t* end) override;
  void ResetScreen() override;
  void Indicator(int wparam, int lparam) override;

 private:
  class LinkSender final : public RecordSender {
   public:
    explicit LinkSender(HostLink& link) : link_(link) {}
    bool SendRecord(int terminalId, std::string_view data) override;

   private:
    HostLink& link_;
  };

  CodePage HostPage() const;
  FieldList* CurrentFields() const;
  bool Send(std::string_view record);

  Settings& settings_;
  ScreenEffects& effects_;
  const Clock& clock_;
  int screenRows_ = 10;
  int screenCols_ = 26;
  std::unique_ptr<PageList> pages_;
  std::atomic<int> stamp_{0};
  int focusField_ = -1;
  int messageFocusField_ = -1;
  int currentPage_ = 0;
  int shownPage_ = 0;
  int pendingDialog_ = kNoDialog;
  std::u16string messageText_;
  std::u16string promptReply_;
  int promptLength_ = -1;  // no prompt yet
  std::atomic<int> keyboardState_{kKeyboardLocked};
  HostLink link_;
  LinkSender linkSender_{link_};
  RecordSender* sender_ = &linkSender_;
  int terminalId_ = 1;
  std::array<KeyLabelEntry, kKeyLabelCount> keyLabels_{};
  std::unique_ptr<SessionThread> thread_;
  std::uintptr_t hostDialog_ = 0;
};

}  // namespace vantor
