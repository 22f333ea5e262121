// Resource and command numbers shared by the resource script and the Win32 shell (plain macros, so
// that the resource compiler reads them too).
#pragma once

// Strings.
#define IDS_APP_TITLE 1
#define IDS_WINDOW_CLASS 2

// Icons: large and small program icon.
#define IDI_VANTOR 176
#define IDI_VANTOR_SMALL 177

// Menus: administrator and user mode.
#define IDR_MENU_ADMIN 102
#define IDR_MENU_USER 204

// Accelerator table.
#define IDR_ACCELERATORS 2

// Dialog templates.
#define IDD_ABOUT 105
#define IDD_ADVISORY 178
#define IDD_PROMPT 179
#define IDD_LOGIN 181
#define IDD_SCANNER_OPTIONS 182
#define IDD_SCREEN_OPTIONS 183
#define IDD_SERIAL_FEATURE_OPTIONS 184
#define IDD_SERIAL_PORT_OPTIONS 185
#define IDD_SOUND_OPTIONS 186
#define IDD_FIELD_OPTIONS 188
#define IDD_FONT_OPTIONS 189
#define IDD_HOST_OPTIONS 190

// Host options controls.
#define IDC_HOST_TERMINAL_ID 1064
#define IDC_HOST_TERMINAL_ID_SPIN 1065
#define IDC_HOST_NAME 1066
#define IDC_HOST_PORT 1067
#define IDC_HOST_PORT_SPIN 1068
#define IDC_HOST_PING 1069
#define IDC_HOST_PING_RESULT 1070
#define IDC_HOST_UTF8 1072

// Menu and accelerator commands.
#define IDM_EXIT 101
#define IDM_ABOUT 32771
#define IDM_OPTIONS 32788
#define IDM_HOST 32789
#define IDM_SCANNER 32790
#define IDM_SCREEN 32791
#define IDM_FIELDS 32792
#define IDM_FONT 32793
#define IDM_SERIAL_SETTINGS 32794
#define IDM_SERIAL_FEATURE 32795
#define IDM_USER_MODE 32796
#define IDM_SOUND_NORMAL 32797
#define IDM_SOUND_ERROR 32798
#define IDM_SOUND_SCAN_ACCEPT 32799
#define IDM_SOUND_SCAN_REJECT 32800
#define IDM_FULLSCREEN 32803
#define IDM_SOUND_USER1 32811
#define IDM_SOUND_USER2 32812
#define IDM_SOUND_USER3 32813
#define IDM_SOUND_USER4 32814
// Alt+F4 is bound to this command ahead of Exit, so that it closes nothing.
#define IDM_ALT_F4 40000
