// Menus and their commands (plain macros, read by the resource compiler too).
#pragma once

// Administrator and user mode.
#define IDR_MENU_ADMIN 102
#define IDR_MENU_USER 204

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
