// The system line window (`VdxSystem`): the time with a blinking colon, or the date.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

namespace vantor {

class Field;
class Settings;

LRESULT CALLBACK SystemLineProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

void FillSystemColours(Field& field);

// Reads the clock into the record's text and paints it into target in one copy.
void PaintSystemLine(HWND window, HDC target, Field& field, const Settings& settings);

// The formatted clock text for a moment: "HH:mm" (colon blank on odd seconds) or "dd-MMM-yy".
std::u16string FormatSystemLine(const SYSTEMTIME& time, bool date);

}  // namespace vantor
