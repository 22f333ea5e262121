// Strings, icons and the accelerator table of the program (plain macros, read by the resource compiler too).
#pragma once

#define IDS_APP_TITLE 1
#define IDS_WINDOW_CLASS 2

// Large and small program icon.
#define IDI_VANTOR 176
#define IDI_VANTOR_SMALL 177

#define IDR_ACCELERATORS 2
