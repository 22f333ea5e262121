// The entry field window (`VdxEntry`): routes keys and characters to the editor, paints the text strip.
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace vantor {

class Field;
class Settings;

LRESULT CALLBACK EntryFieldProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Fills the entry field's colour slots (at creation).
void FillEntryColours(Field& field, const Settings& settings);

// Paints the field into target (the window's DC or a paint DC) in one copy; returns the caret x and
// stores it and the strip width in the record. caretMode: a repaint asked for by the editing code.
int PaintEntryField(HWND window, HDC target, Field& field, const Settings& settings, bool caretMode);

}  // namespace vantor
