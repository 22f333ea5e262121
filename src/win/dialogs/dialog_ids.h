// Dialog template numbers and the Host options dialog's controls (plain macros, read by the resource compiler too).
#pragma once

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

#define IDC_HOST_TERMINAL_ID 1064
#define IDC_HOST_TERMINAL_ID_SPIN 1065
#define IDC_HOST_NAME 1066
#define IDC_HOST_PORT 1067
#define IDC_HOST_PORT_SPIN 1068
#define IDC_HOST_PING 1069
#define IDC_HOST_PING_RESULT 1070
#define IDC_HOST_UTF8 1072
#define IDC_HOST_TLS 1076
#define IDC_HOST_TLS_PIN 1077
#define IDC_HOST_LINK_FAILURE 1078
