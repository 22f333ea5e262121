// Paint arithmetic of the entry field, fixed text, system line and watermark, free of GDI.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "look/control_look.h"
#include "settings/palette.h"

namespace vantor {

class Field;
class FieldList;
class Settings;

// Colours of one paint: fill, text and (entry field) frame.
struct TextColours {
  Colour background = 0;
  Colour text = 0;
  Colour frame = 0;
};

// ---- entry field ----

// 1 focused, 2 selected, else 0.
int EntryState(const Field& field, bool focused);
TextColours EntryColours(const Field& field, const ControlLook& look, const Settings& settings, bool focused);

// Pixel width of the off-screen text strip; 0 or more, capped so that a bitmap can hold it.
int EntryStripWidth(int textLength, int width, int cellWidth, int additionalWidth);
inline constexpr int kMaxStripWidth = 32767;

// Where the strip is copied from and to, and where the caret stands.
struct EntryLayout {
  int scroll = 0;  // strip x copied to the field's left
  int offset = 1;  // field x the strip lands at
  int caretX = 2;
};
// extent(n): pixel width of the first n characters as drawn (stars for password fields).
EntryLayout LayoutEntry(int clientWidth, int textLength, int caret, bool rightJustified, bool password,
                        const std::function<int(int)>& extent);

// ---- fixed text ----

// How a fixed text is painted.
struct FixedLook {
  Colour background = 0;
  Colour text = 0;
  bool textVisible = true;
  bool pageEdges = false;     // right and bottom line in the page's background colour
  bool underline = false;     // frame-colour line two pixels above the bottom
  bool reverseFrame = false;  // the shaded reverse-video frame
};
FixedLook FixedTextLook(const Field& field, const ControlLook& look, const Settings& settings);

// Fills from a rectangle of the record's cells: text rectangle and alignment.
struct TextBox {
  int left = 0, top = 0, right = 0, bottom = 0;
};
// Cell width of a field painted across clientWidth; 0 for a field of width 0 (paint the fill only).
int CellWidthOf(int clientWidth, int width);
TextBox FixedTextBox(int clientWidth, int clientHeight, int width);

// ---- reverse-video frame ----

int FrameThickness(int height);
Colour Shade(Colour from, Colour to, int k, int n);

// One straight line from (x1, y1) to (x2, y2), the end point not drawn, in shade colour k.
struct FrameLine {
  int k = 0;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool operator==(const FrameLine&) const = default;
};
struct FrameInput {
  int column = 0, row = 0, width = 0;
  int clientWidth = 0, clientHeight = 0;
  bool fullBottom = false;  // system line on or below the last screen row
};
// kindAt(column, row): FieldList::KindAt; low byte 4 is reverse-video text.
std::vector<FrameLine> ReverseFrameLines(const FrameInput& input, const std::function<std::int32_t(int, int)>& kindAt);

// ---- system line ----

// The GetTimeFormatW picture: the colon blinks off on odd seconds.
std::u16string_view ClockPicture(int second);
inline constexpr char16_t kDatePicture[] = u"dd-MMM-yy";
// The formatted text cut to the field's width.
std::u16string SystemLineText(std::u16string_view formatted, int width);

struct CellText {
  int left = 0, right = 0;
  bool alignRight = false;
  bool centre = false;
};
// One rectangle per character; empty for a field of width 0.
std::vector<CellText> SystemLineCells(int textLength, int width, int clientWidth, bool rightJustified);

struct SystemLook {
  Colour background = 0;
  Colour text = 0;
  bool pageEdges = false;
  bool reverseFrame = false;
};
SystemLook SystemLineLook(const Field& field, const ControlLook& look);

// ---- watermark ----

Colour WatermarkColour(const Settings& settings);
struct WatermarkFont {
  int height = 0;  // lfHeight magnitude
  int width = 0;   // lfWidth
};
// measure(height, width): width in pixels of the text in such a font. Narrows the letters until the
// text fits innerWidth; stops at width 1 for a text that never fits. A zero size means draw nothing.
WatermarkFont FitWatermark(int innerWidth, int textLength, const std::function<int(int, int)>& measure);

}  // namespace vantor
