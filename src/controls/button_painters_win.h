// The painters of the button family: CButton, CSelectButton, CCheckBox and CRadioButton draw one state
// of a control into a memory DC that already holds the background and the screen font.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string_view>
#include <vector>

#include "controls/drawn_controls.h"

namespace vantor {

class CField;

// Colours of check boxes and radio buttons that come from the settings.
struct BoxColours {
  bool custom = false;         // custom colour mode
  Colour foreground = 0;       // `ForeGroundColor`
  Colour mark = 0;             // `CheckBoxCheckAndRadioButtonDotColor`
};

class CButton {
 public:
  CButton(HDC dc, int x, int y, int width, int height, std::u16string_view label, int style, bool blink,
          bool blinkPhase, bool reverse, bool engraved, CField* record);
  virtual ~CButton() = default;
  CButton(const CButton&) = delete;
  CButton& operator=(const CButton&) = delete;

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
  CField* record_;
};

class CSelectButton {
 public:
  // Sets the record's checked byte from the text ("X" first).
  CSelectButton(HDC dc, int x, int y, int width, int height, std::u16string_view text, int style, CField* record);
  virtual ~CSelectButton() = default;
  CSelectButton(const CSelectButton&) = delete;
  CSelectButton& operator=(const CSelectButton&) = delete;

  void DrawUnchecked();
  void DrawChecked();
  void DrawFocus();

 private:
  void DrawLabel();

  HDC dc_;
  int x_, y_, width_, height_;
  std::vector<Colour> first_, second_;
  std::u16string_view text_;
  CField* record_;
};

class CCheckBox {
 public:
  CCheckBox(HDC dc, const RECT& client, std::u16string_view label, int style, int cellCount, bool rightAligned,
            int checkSize, bool engraved, CField* record, const BoxColours& colours);
  virtual ~CCheckBox() = default;
  CCheckBox(const CCheckBox&) = delete;
  CCheckBox& operator=(const CCheckBox&) = delete;

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
  CField* record_;
  BoxColours colours_;
};

class CRadioButton {
 public:
  CRadioButton(HDC dc, const RECT& client, std::u16string_view label, int style, int cellCount, bool rightAligned,
               int checkSize, bool engraved, CField* record, const BoxColours& colours);
  virtual ~CRadioButton() = default;
  CRadioButton(const CRadioButton&) = delete;
  CRadioButton& operator=(const CRadioButton&) = delete;

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
  CField* record_;
  BoxColours colours_;
};

}  // namespace vantor
