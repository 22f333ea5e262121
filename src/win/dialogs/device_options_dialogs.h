// The Serial port, Serial feature and Sound options dialogs (templates 185, 184, 186).
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace vantor {

class Settings;

// Each runs its dialog modally over the owner (which may be none) and writes the settings file on OK;
// 1 for OK, 0 for Cancel (nothing stored). The serial dialogs re-read the file when they open.
INT_PTR RunSerialPortOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings);
INT_PTR RunSerialFeatureOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings);

// The dialog of one sound event (0 Normal .. 7 User 4); only Normal's re-reads the file. Its Play
// preview builds a player with soundAvailable; the vibration controls are enabled by vibratorPresent.
// An event outside 0..7 shows nothing and gives 0.
INT_PTR RunSoundOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings, int soundEvent, bool soundAvailable,
                              bool vibratorPresent);

// The state of one open dialog; result is -1 while it is open, then 1 (OK) or 0 (Cancel). The sound
// fields are used by the Sound options dialog only; plays counts its Play presses.
struct DeviceOptionsDialogState {
  Settings* settings = nullptr;
  int soundEvent = 0;
  bool soundAvailable = true;
  bool vibratorPresent = false;
  INT_PTR result = -1;
  int plays = 0;
};

// Open the dialogs modeless (for the tests); each ends as the modal one does but stays until destroyed.
HWND CreateSerialPortOptionsDialog(HINSTANCE resources, HWND owner, DeviceOptionsDialogState* state);
HWND CreateSerialFeatureOptionsDialog(HINSTANCE resources, HWND owner, DeviceOptionsDialogState* state);
HWND CreateSoundOptionsDialog(HINSTANCE resources, HWND owner, DeviceOptionsDialogState* state);

}  // namespace vantor
