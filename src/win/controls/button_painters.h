// The painters of the button family: PushButtonPainter, SelectButtonPainter, CheckBoxPainter and RadioButtonPainter
// draw one state of a control into a memory DC that already holds the background and the screen font.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string_view>
#include <vector>

#include "look/control_look.h"
#include "look/drawn_controls.h"

namespace vantor {

class Field;
class Settings;

class PushButtonPainter {
 public:
  PushButtonPainter(HDC dc, int x, int y, int width, int height, std::u16string_view label, int style, bool blink,
                    bool blinkPhase, bool reverse, bool engraved, const Field* record);
  virtual ~PushButtonPainter() = default;
  PushButtonPainter(const PushButtonPainter&) = delete;
  PushButtonPainter& operator=(const PushButtonPainter&) = delete;

  void DrawNormal();
  void DrawPressed();
  void DrawFocus();

 private:
  void DrawFace(bool pressed);
  void DrawLabel();

  HDC dc_;
  int x_, y_, width_, height_;
  std::u16string_view label_;
  std::vector<Colour> table_;
  bool blink_, blinkPhase_, reverse_, engraved_;
  const Field* record_;
};

class SelectButtonPainter {
 public:
  SelectButtonPainter(HDC dc, int x, int y, int width, int height, std::u16string_view text, int style,
                      const Field* record, const ControlLook& look);
  virtual ~SelectButtonPainter() = default;
  SelectButtonPainter(const SelectButtonPainter&) = delete;
  SelectButtonPainter& operator=(const SelectButtonPainter&) = delete;

  void DrawUnchecked();
  void DrawChecked();
  void DrawFocus();

 private:
  void DrawLabel();

  HDC dc_;
  int x_, y_, width_, height_;
  std::vector<Colour> first_, second_;
  std::u16string_view text_;
  const Field* record_;
  const ControlLook& look_;
};

class CheckBoxPainter {
 public:
  // The label and mark colours come from the settings in custom colour mode.
  CheckBoxPainter(HDC dc, const RECT& client, std::u16string_view label, int style, int cellCount, bool rightAligned,
                  int checkSize, bool engraved, const Field* record, const ControlLook& look, const Settings& settings);
  virtual ~CheckBoxPainter() = default;
  CheckBoxPainter(const CheckBoxPainter&) = delete;
  CheckBoxPainter& operator=(const CheckBoxPainter&) = delete;

  void DrawUnchecked();
  void DrawChecked();
  void DrawFocus();

 private:
  void DrawBox(bool checked);
  void DrawLabel();

  HDC dc_;
  Box client_;
  int cellCount_, cellWidth_;
  std::u16string_view label_;
  bool rightAligned_;
  int checkSize_, markSize_;
  bool engraved_;
  const Field* record_;
  const ControlLook& look_;
  const Settings& settings_;
};

class RadioButtonPainter {
 public:
  RadioButtonPainter(HDC dc, const RECT& client, std::u16string_view label, int style, int cellCount, bool rightAligned,
                     int checkSize, bool engraved, const Field* record, const ControlLook& look,
                     const Settings& settings);
  virtual ~RadioButtonPainter() = default;
  RadioButtonPainter(const RadioButtonPainter&) = delete;
  RadioButtonPainter& operator=(const RadioButtonPainter&) = delete;

  void DrawUnchecked();
  void DrawChecked();
  void DrawFocus();

 private:
  void DrawCircle(bool checked);
  void DrawLabel();

  HDC dc_;
  Box client_;
  int cellCount_, cellWidth_;
  std::u16string_view label_;
  std::vector<Colour> table_;
  bool rightAligned_;
  int checkSize_, markSize_;
  bool engraved_;
  const Field* record_;
  const ControlLook& look_;
  const Settings& settings_;
};

}  // namespace vantor
