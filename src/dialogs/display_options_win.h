// The Scanner, Screen, Field and Font options dialogs (templates 182, 183, 188, 189).
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace vantor {

class CSettings;

// Each runs its dialog modally over the owner (which may be none), re-reads the settings file when it
// opens and writes it on OK; 1 for OK, 0 for Cancel (nothing stored).
INT_PTR RunScannerOptionsDialog(HINSTANCE resources, HWND owner, CSettings& settings);
INT_PTR RunScreenOptionsDialog(HINSTANCE resources, HWND owner, CSettings& settings);
INT_PTR RunFieldOptionsDialog(HINSTANCE resources, HWND owner, CSettings& settings);
INT_PTR RunFontOptionsDialog(HINSTANCE resources, HWND owner, CSettings& settings);

}  // namespace vantor
