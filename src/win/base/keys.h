// The keyboard as the window system reports it, in the core's vocabulary.
#pragma once

#include <windows.h>

#include "model/function_keys.h"

namespace vantor {

inline bool KeyHeld(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

// Ctrl, Shift and Alt as the thread's keyboard state has them now.
inline KeyModifiers HeldModifiers() { return {KeyHeld(VK_CONTROL), KeyHeld(VK_SHIFT), KeyHeld(VK_MENU)}; }

}  // namespace vantor
