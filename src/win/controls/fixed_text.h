// The fixed text window (`VdxFixed`) and the shaded reverse-video frame it shares with the system line.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "look/text_paint_rules.h"
#include "model/control_kind.h"

namespace vantor {

class Field;
class Settings;

LRESULT CALLBACK FixedTextProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// What tells the display-only classes (fixed text, system line) apart; their messages are handled alike.
struct DisplayControlClass {
  ControlKind kind;
  void (*paint)(HWND window, HDC target, const Field& field, const ControlLook& look, const Settings& settings);
  bool (*blinks)(const Field& field);  // whether a blink tick repaints the control
};
// Attaches the record at creation, paints and blinks only while the page is in front, takes no input.
LRESULT DisplayControlMessage(const DisplayControlClass& kind, HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Paints the fixed text into target in one copy.
void PaintFixedText(HWND window, HDC target, const Field& field, const ControlLook& look, const Settings& settings);

// Draws the frame lines of a reverse-video field, shaded from the page background to the control's
// reverse background.
void DrawReverseFrame(HDC dc, const Field& field, COLORREF pageBackground, COLORREF reverseBackground,
                      const FrameInput& input);

// The right and bottom edge lines in the page's background colour.
void DrawPageEdges(HDC dc, int width, int height, COLORREF pageBackground);

// The page's background colour (the record's page, or the default).
COLORREF PageBackgroundOf(const Field& field);

}  // namespace vantor
