// The terminal's custom window messages (WM_USER + 2001 onward), shared by its window classes.
#pragma once

namespace vantor {

inline constexpr unsigned kWmUser = 0x0400;

enum VdxMessage : unsigned {
  // From the session thread to the main window.
  WM_VDX_SESSION_ENDED = kWmUser + 2002,   // posted: wParam 1 stopped, 0 lost
  WM_VDX_SESSION_RECORD = kWmUser + 2003,  // sent: lParam the record's bytes (RecordBytes*)
  WM_VDX_CONNECTING = kWmUser + 2016,      // sent at the session thread's start
  // From the controls to the main window (wParam the field id, or -1 for the page).
  WM_VDX_KEY = kWmUser + 2006,       // lParam the function key code
  WM_VDX_NAVIGATE = kWmUser + 2009,  // wParam 1 next, -1 previous, 0 back to the focus field
  WM_VDX_FIELD_FOCUSED = kWmUser + 2012,
  WM_VDX_FIELD_CHANGED = kWmUser + 2013,
  WM_VDX_GET_CURRENT_FIELD = kWmUser + 2024,  // lParam a Field** that receives the focused record
  // From the toolbar to the main window: a released key (wParam its function key code).
  WM_VDX_TOOLBARKEY = kWmUser + 2011,
  // Posted by the main window to itself: the host dialogs run after the record that asked for them.
  WM_VDX_HOST_MESSAGE = kWmUser + 2014,  // lParam the field that gets the focus afterwards (16 bits)
  WM_VDX_HOST_PROMPT = kWmUser + 2015,
  // Posted by the serial reader: messages wait in the main window's inbox.
  WM_VDX_SERIAL_INPUT = kWmUser + 2033,
  // To pages and controls.
  WM_VDX_BLINK = kWmUser + 2021,         // lParam the blink phase
  WM_VDX_RELAYOUT = kWmUser + 2022,      // new cell metrics: controls move to their cells
  WM_VDX_FIELD_EDITED = kWmUser + 2029,  // the terminal edited the record: repaint, caret placed
};

// lParam of the focus request: WM_SETCURSOR with HTCLIENT and WM_LBUTTONDOWN, as a tap sends it.
inline constexpr long kFocusRequest = 0x02010001;

}  // namespace vantor
