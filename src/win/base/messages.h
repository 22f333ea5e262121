// The terminal's custom window message numbers (WM_USER + 2001 onward), shared by every window class.
#pragma once

namespace vantor {

inline constexpr unsigned kWmUser = 0x0400;

enum VdxMessage : unsigned {
  WM_VDX_START_SESSION = kWmUser + 2001,    // 3025
  WM_VDX_SESSION_ENDED = kWmUser + 2002,    // 3026
  WM_VDX_SESSION_RECORD = kWmUser + 2003,   // 3027: a host record handed from the session thread
  WM_VDX_DESTROY_CONTROL = kWmUser + 2004,  // 3028
  WM_VDX_KEY = kWmUser + 2006,              // 3030
  WM_VDX_PAGE_FOCUS = kWmUser + 2007,       // 3031
  WM_VDX_REFRESH_PAGE = kWmUser + 2008,     // 3032
  WM_VDX_NAVIGATE = kWmUser + 2009,         // 3033
  WM_VDX_KEYLABEL = kWmUser + 2010,         // 3034
  WM_VDX_TOOLBARKEY = kWmUser + 2011,       // 3035
  WM_VDX_FIELD_FOCUSED = kWmUser + 2012,    // 3036
  WM_VDX_FIELD_CHANGED = kWmUser + 2013,    // 3037
  WM_VDX_HOST_MESSAGE = kWmUser + 2014,     // 3038
  WM_VDX_HOST_PROMPT = kWmUser + 2015,      // 3039
  WM_VDX_INDICATOR = kWmUser + 2016,        // 3040
  WM_VDX_INPUT_OFF = kWmUser + 2017,        // 3041
  WM_VDX_INPUT_ON = kWmUser + 2018,         // 3042
  WM_VDX_INDICATOR_OFF = kWmUser + 2019,    // 3043
  WM_VDX_FEED_CHAR = kWmUser + 2020,        // 3044
  WM_VDX_BLINK = kWmUser + 2021,            // 3045
  WM_VDX_RELAYOUT = kWmUser + 2022,         // 3046
  WM_VDX_GET_INPUT_PAGE = kWmUser + 2023,   // 3047
  WM_VDX_GET_CURRENT_FIELD = kWmUser + 2024,// 3048
  WM_VDX_SERIAL_OUT = kWmUser + 2025,       // 3049
  WM_VDX_KEYBOARD_STATE = kWmUser + 2028,   // 3052
  WM_VDX_CLEAR_FIELD = kWmUser + 2029,      // 3053
  WM_VDX_ARRANGE = kWmUser + 2031,          // 3055
  WM_VDX_SCANNER_ENABLE = kWmUser + 2032,   // 3056
  WM_VDX_SERIAL_INPUT = kWmUser + 2033,     // 3057: serial messages wait in the main window's inbox
};

// WM_VDX_SERIAL_OUT carries its bytes as a std::string made with new (lParam; wParam = its size),
// which the main window deletes.

// lParam of the focus request (WM_SETCURSOR with HTCLIENT and WM_LBUTTONDOWN).
inline constexpr long kFocusRequest = 0x02010001;

}  // namespace vantor
