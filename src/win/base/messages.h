// The terminal's custom window messages (WM_USER + 2001 onward), shared by its window classes.
#pragma once

namespace vantor {

inline constexpr unsigned kWmUser = 0x0400;

// Numbers 3025..3056 form a table that other programs on the handheld (a keyboard wedge, a kiosk
// tool) may send to the terminal's windows: each keeps its number and meaning. The terminal's own
// messages use numbers the table leaves free.
enum VdxMessage : unsigned {
  // ---- the table ----
  // To the main window.
  WM_VDX_SESSION_ENDED = kWmUser + 2002,  // 3026, posted: wParam 1 stopped, 0 lost
  WM_VDX_KEY = kWmUser + 2006,            // 3030: wParam the field id (-1 the page), lParam the key code
  WM_VDX_NAVIGATE = kWmUser + 2009,       // 3033: wParam 1 next, -1 previous, 0 back to the focus field
  WM_VDX_TOOLBARKEY = kWmUser + 2011,     // 3035: a released toolbar key (wParam its function key code)
  WM_VDX_FIELD_FOCUSED = kWmUser + 2012,  // 3036: wParam the field id
  WM_VDX_FIELD_CHANGED = kWmUser + 2013,  // 3037: wParam the field id
  // Posted by the main window to itself: the host dialogs run after the record that asked for them.
  WM_VDX_HOST_MESSAGE = kWmUser + 2014,  // 3038: lParam the field that gets the focus afterwards (16 bits)
  WM_VDX_HOST_PROMPT = kWmUser + 2015,   // 3039
  // 3040: lParam 1: input off and the lock indicator shown, "Lock-B" for wParam 0, else "Lock-H" unless
  // the indicator is up already; any other lParam: the indicator removed. The session thread sends
  // (0, 1) when it starts.
  WM_VDX_INDICATOR = kWmUser + 2016,
  // 3052: returns the keyboard state as Keyboard numbers it (0 when there is no terminal).
  WM_VDX_KEYBOARD_STATE = kWmUser + 2028,
  // To an entry field.
  WM_VDX_FEED_CHAR = kWmUser + 2020,    // 3044: wParam a character, fed as the serial feed feeds one
  WM_VDX_CLEAR_FIELD = kWmUser + 2029,  // 3053: the text emptied, counted as a change
  // To pages and controls.
  WM_VDX_BLINK = kWmUser + 2021,     // 3045: lParam the blink phase
  WM_VDX_RELAYOUT = kWmUser + 2022,  // 3046: new cell metrics, controls move to their cells

  // ---- the terminal's own ----
  WM_VDX_SESSION_RECORD = kWmUser + 2003,  // 3027, sent by the session thread: lParam the record (RecordBytes*)
  WM_VDX_FIELD_EDITED = kWmUser + 2026,    // 3050, to an entry field: the terminal edited the record
  WM_VDX_ENTER = kWmUser + 2027,           // 3051, to the main window: Enter in an entry field (wParam its id)
  WM_VDX_SERIAL_INPUT = kWmUser + 2033,    // 3057, posted by the serial reader: messages wait in the inbox
};

// lParam of the focus request: WM_SETCURSOR with HTCLIENT and WM_LBUTTONDOWN, as a tap sends it.
inline constexpr long kFocusRequest = 0x02010001;

}  // namespace vantor
