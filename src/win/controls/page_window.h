// The page window (`VdxCPage`): one per page, parent of the page's control windows; carries out the
// core's refresh plans, runs the blink timer and the page's keys.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>

#include "look/cell_metrics.h"
#include "look/control_look.h"
#include "model/control_kind.h"
#include "model/refresh_plan.h"
#include "win/base/class_names.h"
#include "win/controls/control_pool.h"

namespace vantor {

class Settings;

inline constexpr UINT_PTR kBlinkTimer = 5;
inline constexpr UINT kBlinkPeriodMs = 500;
// Settles the page's discarded control windows when no refresh of the page came to take them.
inline constexpr UINT_PTR kSettleTimer = 6;

// What a page window and its controls reach: the page object (null once detached), the settings
// (cell metrics, colours, keys) and the window that receives the controls' notifications.
struct PageWindowState {
  Page* page = nullptr;
  Settings* settings = nullptr;
  HWND notify = nullptr;
  bool blinkPhase = false;  // toggled by the blink timer
  ControlPool controls{};   // the page's control windows, and those no record holds
  bool settleTimerSet = false;
};

// What a control window keeps of its own beside its record: how it paints, and what only painting
// reads. Made when the window is created, made anew when the page's pool hands the window to another
// record (only the kind and the place stay), gone with the window.
struct ControlWindowState {
  Field* field = nullptr;                // null once the control is detached from its record
  ControlKind kind = ControlKind::None;  // the window's class
  ControlBox box;                        // where the page last placed the window
  ControlLook look;
  int caretX = 2;             // entry field: the caret's place in pixels, as the last paint put it
  bool pressed = false;       // push button: held down by a tap
  bool focused = false;       // holds the keyboard focus
  bool captured = false;      // holds the mouse capture
  std::uint32_t binding = 0;  // changes whenever the window leaves its record or takes another
};

LRESULT CALLBACK PageWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Creates the page window ("PAGE", child of the main window, disabled, the main window's client
// size) with the state attached; stores the window in the page. Null on failure.
HWND CreatePageWindow(HWND mainWindow, HINSTANCE instance, PageWindowState* state);

// Whether the window is of the page class. The lookups below take their window's kind on trust (its
// user data is read as theirs): a window of unknown kind is checked with this first.
bool IsPageWindow(HWND window);
// The state of a page window, or of the page that holds a control window; null when detached.
PageWindowState* PageStateOf(HWND page);
PageWindowState* PageStateOfControl(HWND control);
// The field record attached to a control window, or null.
Field* FieldOfControl(HWND control);
// The control window's own state, or null (the window could not be attached at its creation).
ControlWindowState* ControlStateOf(HWND control);

// What a control window's procedure works on: its record, its page and its own state (all set, or
// none).
struct ControlContext {
  Field* field = nullptr;
  PageWindowState* page = nullptr;
  ControlWindowState* state = nullptr;
  explicit operator bool() const { return field != nullptr; }
};
// At WM_CREATE: makes the control's own state attached to the record handed over in the create
// parameters, with the colours of its kind; nothing is made and nothing returned when the record, the
// page or its settings are missing.
ControlContext AttachControlAtCreate(HWND control, LPARAM createParams, ControlKind kind);
// The colours a control of the kind takes when it is made for the record.
ControlColours ColoursAtCreation(ControlKind kind, const Field& field, const Settings& settings);
// Every control procedure first: the focus and the capture, as its state keeps them (attached or not).
void TrackControlInput(HWND control, UINT message);
// Afterwards: the attached record, its page and the state; nothing once the control or its page is
// detached.
ControlContext ControlContextOf(HWND control);
// At WM_NCDESTROY: the control's own state goes with its window.
void ReleaseControlState(HWND control);
// A control window without a record does nothing but close itself.
LRESULT OrphanControlMessage(HWND control, UINT message, WPARAM wparam, LPARAM lparam);

// Detaches the page window and every control window of the page from their objects, so that no
// later message reaches a freed record (used before the page objects are freed); the page's pool is
// emptied.
void DetachPageWindow(HWND page);

// Brings a page to the front (under the lock indicator when that is the main window's topmost child),
// or sends it to the back and hides it.
void PlacePageWindow(HWND mainWindow, HWND page, bool front);

// Whether the page window's page is the one in front (controls paint only then).
bool PageWindowShown(HWND page);

}  // namespace vantor
