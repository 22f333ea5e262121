// The Serial port, Serial feature and Sound options dialogs.
#include "dialogs/device_options_win.h"

namespace vantor {

INT_PTR RunSerialPortOptionsDialog(HINSTANCE, HWND, CSettings&) { return -1; }
INT_PTR RunSerialFeatureOptionsDialog(HINSTANCE, HWND, CSettings&) { return -1; }
INT_PTR RunSoundOptionsDialog(HINSTANCE, HWND, CSettings&, int, bool, bool) { return -1; }

}  // namespace vantor
