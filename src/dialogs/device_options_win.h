// The Serial port, Serial feature and Sound options dialogs (templates 185, 184, 186).
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace vantor {

class CSettings;

// Each runs its dialog modally over the owner (which may be none) and writes the settings file on OK;
// 1 for OK, 0 for Cancel (nothing stored). The serial dialogs re-read the file when they open.
INT_PTR RunSerialPortOptionsDialog(HINSTANCE resources, HWND owner, CSettings& settings);
INT_PTR RunSerialFeatureOptionsDialog(HINSTANCE resources, HWND owner, CSettings& settings);

// The dialog of one sound event (0 Normal .. 7 User 4); only Normal's re-reads the file. Its Play
// preview builds a player with soundAvailable; the vibration controls are enabled by vibratorPresent.
INT_PTR RunSoundOptionsDialog(HINSTANCE resources, HWND owner, CSettings& settings, int soundEvent,
                              bool soundAvailable, bool vibratorPresent);

}  // namespace vantor
