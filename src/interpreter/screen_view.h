// The seam between the terminal's core and a front end: every change the core makes that a front end shows.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/refresh_plan.h"
#include "settings/settings.h"

namespace vantor {

// What the lock indicator says: "Lock-B" while connecting, "Lock-H" while the host holds the screen.
enum class LockMode { Connecting, Host };

// The core calls these on its one thread after it has changed its own state, in the order shown
// to the operator. They report; none of them needs to call the core back. A front end may still
// report operator events that a call sets off (a focus change ends an edit), at any time: the core's
// state is whole before every call.
class ScreenView {
 public:
  virtual ~ScreenView() = default;

  // Carries out the plan for a page's control windows: a new window's handle is stored in its
  // record's window slot. Called at the end of a record that changed the page in front.
  virtual void RefreshPage(Page& page, const RefreshPlan& plan) = 0;
  // A record of page `page` is gone: its window (never kNoWindow) no longer shows it; the front end may
  // keep the window for a later record of its kind, but it never sends or paints for the record again.
  virtual void DiscardWindow(int page, WindowHandle window) = 0;
  // Page n is in front and every other page hidden (n may name no page: then all are hidden). The
  // pages' shown marks are set before the call.
  virtual void ShowPage(int page) = 0;
  // The host's font step changed or the terminal restarted: the pages lay their controls out again.
  virtual void Relayout() = 0;
  // The core edited a field (serial data): repaint it, and place its caret when it has the focus.
  virtual void FieldEdited(Field& field) = 0;

  // The keyboard is ready: keys typed while it was locked are dropped, page n takes input.
  virtual void EnableInput(int page) = 0;
  // No page takes input.
  virtual void DisableInput() = 0;
  // The control of a record of the page asks for the focus (called only for a record with a window);
  // whether it takes it is the control's rule (TakesFocus).
  virtual void FocusField(Page& page, Field& field) = 0;
  // The page itself takes the focus (no focus field).
  virtual void FocusPage(Page& page) = 0;
  virtual void ShowLock(LockMode mode) = 0;
  virtual void HideLock() = 0;

  // The host's message (Screen::MessageShown) is to be shown once the record has been interpreted;
  // when it closes, the front end calls Terminal::HostMessageClosed(focusAfter).
  virtual void OpenHostMessage(int focusAfter) = 0;
  // The host's prompt, likewise; it ends with Terminal::PromptClosed.
  virtual void OpenHostPrompt() = 0;
  // An open host message or prompt is cancelled (the host started the screen again).
  virtual void CancelHostDialog() = 0;

  // Plays an event's sound without holding up the core; a record's sounds keep their order.
  virtual void PlaySound(SoundEvent event) = 0;
  // Bytes for the serial port, framed as the command asked; the view is valid during the call only.
  virtual void SerialOut(std::string_view bytes) = 0;
  // Key code 0..36 got a new label.
  virtual void KeyLabelChanged(int code, std::u16string_view label) = 0;
  // Switches the bar-code scanner.
  virtual void EnableScanner(bool enable) = 0;
  // A refused character (kBeepRefused) or a plain beep (kBeepSimple).
  virtual void Beep(std::uint32_t type) = 0;
};

}  // namespace vantor
