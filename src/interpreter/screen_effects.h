// Every effect of the core on windows, dialogs, sounds and devices: implemented by the main window.
#pragma once

#include <cstdint>
#include <string_view>

namespace vantor {

class Field;
class Page;

// The core (session, dispatcher, interpreter, registry) runs on the UI thread and never touches a
// window itself: each effect below leaves the core through this interface, in the order the core
// calls it. The Win32 main window implements it; tests record the calls (tests/support).
// All operations: thread UI; they must not call back into the interpreter.
class ScreenEffects {
 public:
  // Sound events, in the order of the players, the Sounds menu and the settings groups.
  static constexpr int kSoundNormal = 0;
  static constexpr int kSoundError = 1;
  static constexpr int kSoundScanAccept = 2;
  static constexpr int kSoundScanReject = 3;
  static constexpr int kSoundUser01 = 4;
  static constexpr int kSoundUser02 = 5;
  static constexpr int kSoundUser03 = 6;
  static constexpr int kSoundUser04 = 7;

  virtual ~ScreenEffects() = default;

  // Page refresh (WM_VDX_REFRESH_PAGE). Called at the end of a screen record that changed
  // something, for the shown page. Must, when the page has a live window, walk its records in id
  // order: reposition an existing window; create the window of a record with `create` set (clearing
  // it); for `recreate`, clear it, discard the window, create it again and invalidate it. Stores each
  // new window in Field::window. A page without a live window: nothing.
  virtual void RefreshPage(Page& page) = 0;

  // Brings page n to the front (Z order under the lock indicator) and hides every other page.
  // Called after PageList has set the pages' shown flags; n may name no page (then all are hidden).
  virtual void ShowPage(int page) = 0;

  // Focus request to a field's control (WM_SETCURSOR, HTCLIENT / WM_LBUTTONDOWN). Called only for a
  // record of the given page whose window is set; the control decides whether it takes the focus.
  virtual void RequestFocus(Page& page, Field& field) = 0;

  // WM_VDX_PAGE_FOCUS: the page window takes the focus (the session has no focus field).
  virtual void FocusPage(Page& page) = 0;

  // WM_VDX_INPUT_ON to the main window, sent by the end of a screen record when the keyboard is
  // unlocked. Must drop queued keystrokes and then call CSession::OnInputOn.
  virtual void InputOn() = 0;

  // WM_VDX_INPUT_OFF to the main window. Must call CSession::OnInputOff.
  virtual void InputOff() = 0;

  // WM_VDX_INDICATOR (wparam = mode, lparam 1 show / other hide). Called by the session, the
  // dispatcher and the interpreter. On show the main window also turns input off (CSession::OnInputOff).
  virtual void Indicator(int wparam, int lparam) = 0;

  // Posts WM_VDX_HOST_MESSAGE (wParam 1, lParam = focusField in 16 bits). Must only post: the dialog
  // runs after the record has been interpreted.
  virtual void PostHostMessage(int focusField) = 0;

  // Posts WM_VDX_HOST_PROMPT (lParam = the prompt's input length). Must only post, as above.
  virtual void PostHostPrompt(int inputLength) = 0;

  // Plays the player of sound event 0..7 (kSound...). Must keep the order of a record's sounds and
  // must not block the UI thread for the sound's length.
  virtual void PlaySound(int soundEvent) = 0;

  // WM_VDX_SERIAL_OUT: bytes for the serial port, already framed by the command. The view is valid
  // only during the call: the implementation copies what it keeps. Dropped without a channel.
  virtual void SerialOut(std::string_view bytes) = 0;

  // WM_VDX_RELAYOUT to the main window (font size step changed): every page recomputes its cell
  // metrics and moves its controls.
  virtual void Relayout() = 0;

  // WM_VDX_KEYLABEL: key code 0..36 got a new label (CSession::KeyLabel); hand it to the toolbar.
  virtual void KeyLabelChanged(int code) = 0;

  // WM_VDX_SCANNER_ENABLE: calls the scanner hook with enable.
  virtual void ScannerEnable(bool enable) = 0;

  // The open host message or prompt dialog (its window as recorded by CSession::SetHostDialog) is
  // cancelled: if it is still a window, post WM_COMMAND IDCANCEL to it. Never called with 0.
  virtual void CancelHostDialog(std::uintptr_t dialog) = 0;

  // Discards a control window whose record is being removed or re-created: if alive, hide it, clear
  // its user data (so it no longer reaches the record), and destroy it through the page (page
  // number given). Never called with 0. The record is freed right after the call.
  virtual void DiscardWindow(int page, std::uintptr_t window) = 0;

  // EnableWindow(TRUE) on page n's window, if it exists.
  virtual void EnablePage(int page) = 0;

  // EnableWindow(FALSE) on every page window.
  virtual void DisableAllPages() = 0;
};

}  // namespace vantor
