// The system line window (`VdxSystem`): the time with a blinking colon, or the date.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

namespace vantor {

class Field;
class Settings;
struct ControlLook;

LRESULT CALLBACK SystemLineProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Reads the clock and paints it into target in one copy.
void PaintSystemLine(HWND window, HDC target, const Field& field, const ControlLook& look, const Settings& settings);

// The formatted clock text for a moment: "HH:mm" (colon blank on odd seconds) or "dd-MMM-yy".
std::u16string FormatSystemLine(const SYSTEMTIME& time, bool date);

}  // namespace vantor
