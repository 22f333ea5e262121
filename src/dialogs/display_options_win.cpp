// The Scanner, Screen, Field and Font options dialogs.
#include "dialogs/display_options_win.h"

namespace vantor {

INT_PTR RunScannerOptionsDialog(HINSTANCE, HWND, CSettings&) { return -1; }
INT_PTR RunScreenOptionsDialog(HINSTANCE, HWND, CSettings&) { return -1; }
INT_PTR RunFieldOptionsDialog(HINSTANCE, HWND, CSettings&) { return -1; }
INT_PTR RunFontOptionsDialog(HINSTANCE, HWND, CSettings&) { return -1; }

}  // namespace vantor
