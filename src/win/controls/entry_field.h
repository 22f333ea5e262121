// The entry field window (`VdxEntry`): routes keys and characters to the editor, paints the text strip.
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace vantor {

class Field;
class Settings;
struct ControlLook;

LRESULT CALLBACK EntryFieldProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Paints the field into target (the window's DC or a paint DC) in one copy; returns the caret x.
// caretMode: a repaint asked for by the editing code.
int PaintEntryField(HWND window, HDC target, const Field& field, const ControlLook& look, const Settings& settings,
                    bool caretMode);

}  // namespace vantor
