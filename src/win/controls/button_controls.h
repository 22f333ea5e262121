// The window procedure of the button family (VdxButton, VdxSelectButton, VdxCheckBox, VdxRadioButton).
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "look/drawn_controls.h"

namespace vantor {

// Handles every message of a control of the given kind: taps, keys, focus, blink and painting.
LRESULT ButtonFamilyProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, ButtonKind kind);

}  // namespace vantor
