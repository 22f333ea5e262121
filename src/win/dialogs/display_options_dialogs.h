// The Scanner, Screen, Field and Font options dialogs (templates 182, 183, 188, 189).
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

namespace vantor {

class Settings;

// Each runs its dialog modally over the owner (which may be none), re-reads the settings file when it
// opens and writes it on OK; 1 for OK, 0 for Cancel (nothing stored).
INT_PTR RunScannerOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings);
INT_PTR RunScreenOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings);
INT_PTR RunFieldOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings);
INT_PTR RunFontOptionsDialog(HINSTANCE resources, HWND owner, Settings& settings);

// The state of one open dialog; result is -1 while it is open, then 1 (OK) or 0 (Cancel).
struct DisplayOptionsDialogState {
  Settings* settings = nullptr;
  INT_PTR result = -1;
};

// Open the dialogs modeless (for the tests); each ends as the modal one does but stays until destroyed.
HWND CreateScannerOptionsDialog(HINSTANCE resources, HWND owner, DisplayOptionsDialogState* state);
HWND CreateScreenOptionsDialog(HINSTANCE resources, HWND owner, DisplayOptionsDialogState* state);
HWND CreateFieldOptionsDialog(HINSTANCE resources, HWND owner, DisplayOptionsDialogState* state);
HWND CreateFontOptionsDialog(HINSTANCE resources, HWND owner, DisplayOptionsDialogState* state);

// The installed font families for the default character set, each once, in enumeration order.
std::vector<std::u16string> InstalledFontFamilies(HDC dc, int outPrecision, int quality);

}  // namespace vantor
