// Geometry, colours and rules of the button family: push buttons, select buttons, check boxes, radio buttons.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/button_rules.h"
#include "settings/palette.h"

namespace vantor {

class Field;
class Settings;

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};
// Left, top inclusive; right, bottom exclusive (as GDI takes them).
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Box&) const = default;
  bool Empty() const { return right <= left || bottom <= top; }
};
// A line from `from` up to but excluding `to`, as LineTo draws it.
struct Segment {
  Point from, to;
  Colour colour = 0;
  bool operator==(const Segment&) const = default;
};

// ---- gradients -----------------------------------------------------------------------------------

// n entries from start to end: per channel truncate(i * (end - start) / n + start).
std::vector<Colour> GradientTable(Colour start, Colour end, int n);
// The select button's checked face: per channel truncate(2 * (i * (end - start) / n) + start), held
// to 0..255.
std::vector<Colour> SteepGradientTable(Colour start, Colour end, int n);
// A push button's face: style 2 (selected) yellow, any other style grey; n = the button's height.
std::vector<Colour> ButtonTable(int style, int height);

// ---- push and select buttons ---------------------------------------------------------------------

// The thin outline with its four corner pixels left open; x, y, width, height as the painters get
// them (width = client width - 1).
std::array<Segment, 4> OutlineSegments(int x, int y, int width, int height);

struct FaceRow {
  Box box;
  Colour colour = 0;
  bool operator==(const FaceRow&) const = default;
};
// The face inside the outline: one row per pixel line and the light and dark edge lines. Pressed
// (or checked) turns the gradient upside down and swaps the edges. Rows take their colours from
// `rows`, edges from `edges` (the select button's checked face uses its steep table for the rows).
// A face needs three table entries: a button under 3 pixels high draws its outline and label only.
struct Face {
  std::vector<FaceRow> rows;
  std::vector<Segment> edges;
};
Face ButtonFace(int x, int y, int width, int height, const std::vector<Colour>& rows, const std::vector<Colour>& edges,
                bool pressed);

// Dashes two pixels long every four pixels from `from` towards `to` (horizontal or vertical; `to`
// itself excluded). A slanted run gives nothing.
std::vector<Segment> DashedRun(Point from, Point to, Colour colour);
// The dotted focus rectangle of push and select buttons (inside the outline).
std::vector<Segment> ButtonFocusDashes(int x, int y, int width, int height);
// The dotted focus rectangle of check boxes and radio buttons (around the whole client area).
std::vector<Segment> BoxFocusDashes(const Box& client, Colour colour);

// ---- check boxes and radio buttons ---------------------------------------------------------------

// (right - left) / cells, or the whole width when cells < 1; never negative.
int CellWidthFor(const Box& client, int cells);
// cell width * check size, at most the client height, never negative.
int MarkSizeFor(int cellWidth, int checkSize, const Box& client);
// The square the mark is drawn in: s wide and high, vertically centred (one lower for the check box),
// one pixel in from the left, or two pixels in from the right when right-aligned.
Box MarkBoxFor(const Box& client, int markSize, bool rightAligned, bool checkBox);
// Where the label goes: beyond two cells from the mark's side; right-aligned labels end two cells
// before the right edge.
Box LabelBoxFor(const Box& client, int cellWidth, bool rightAligned);

// The check box's sunken frame around the mark box (mark size s).
std::vector<Segment> CheckFrameSegments(const Box& mark, int markSize);
// The interior: s - 3 horizontal lines.
std::vector<Segment> CheckInteriorSegments(const Box& mark, int markSize, bool engraved);
// The tick: six points of a filled polygon over the mark box (bottom = top + s - 1).
std::array<Point, 6> TickPolygon(const Box& mark, int markSize);

struct Disk {
  Box box;
  int entry = 0;  // index in the radio button's gradient table
  bool operator==(const Disk&) const = default;
};
// The shaded disks inside the radio button's circle, outermost first: from entry (cell width - 1) / 4
// when checked, (cell width - 1) / 3 when not, each one pixel further in.
std::vector<Disk> RadioDisks(const Box& mark, int cellWidth, int markSize, int tableCount, bool checked);
// The radio button's dot: the mark box inset by a quarter of its width and height.
Box RadioDot(const Box& mark);

// ---- looks as data -------------------------------------------------------------------------------

// The drawing style: push button 2 when selected; the others 2 when blinking or reverse; a radio
// button in display mode 3; otherwise 0.
int DrawStyleFor(ButtonKind kind, const Field& field);
// Whether the label is hidden now (a blinking control in blink phase 0).
bool LabelBlinkedOut(const Field& field, bool blinkPhase);
// The label colour of a check box or radio button: reverse white; else `ForeGroundColor` in custom
// colour mode, black otherwise. Engraved labels are drawn separately.
Colour BoxLabelColour(const Field& field, const Settings& settings);
// The tick and dot colour: `CheckBoxCheckAndRadioButtonDotColor` in custom colour mode, grey when
// engraved, black otherwise.
Colour MarkColour(bool engraved, const Settings& settings);

}  // namespace vantor
