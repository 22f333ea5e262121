// GDI drawing of the button family's looks; the geometry and colours come from drawn_controls.
#include "win/controls/button_painters.h"

#include <algorithm>

#include "win/base/gdi.h"
#include "model/field.h"
#include "settings/settings.h"

namespace vantor {

namespace {

// Lines and shapes use the DC pen and brush, so painting creates no GDI objects at all.
class DcTools {
 public:
  explicit DcTools(HDC dc) : dc_(dc), pen_(dc, GetStockObject(DC_PEN)), brush_(dc, GetStockObject(DC_BRUSH)) {}
  void Line(const Segment& s) {
    SetDCPenColor(dc_, s.colour);
    MoveToEx(dc_, s.from.x, s.from.y, nullptr);
    LineTo(dc_, s.to.x, s.to.y);
  }
  void Lines(const std::vector<Segment>& segments) {
    for (const Segment& s : segments) Line(s);
  }
  void Ellipse(const Box& box, Colour pen, Colour brush) {
    if (box.Empty()) return;
    SetDCPenColor(dc_, pen);
    SetDCBrushColor(dc_, brush);
    ::Ellipse(dc_, box.left, box.top, box.right, box.bottom);
  }
  void Fill(const Box& box, Colour colour) {
    if (box.Empty()) return;
    const RECT rect{box.left, box.top, box.right, box.bottom};
    gdi::FillSolid(dc_, rect, colour);
  }

 private:
  HDC dc_;
  gdi::Select pen_;
  gdi::Select brush_;
};

void Text(HDC dc, std::u16string_view text, RECT rect, UINT format, Colour colour) {
  if (text.empty()) return;
  SetTextColor(dc, colour);
  DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()), &rect, format);
}

// Engraved: a white copy one pixel lower (and right when asked), then grey.
void EngravedText(HDC dc, std::u16string_view text, RECT rect, UINT format, bool shiftRight) {
  RECT shadow = rect;
  OffsetRect(&shadow, shiftRight ? 1 : 0, 1);
  Text(dc, text, shadow, format, kWhite);
  Text(dc, text, rect, format, kEngravedColour);
}

// Host labels are shown as sent: an ampersand is no mnemonic.
constexpr UINT kCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

void DrawOutline(HDC dc, int x, int y, int width, int height) {
  DcTools tools(dc);
  for (const Segment& s : OutlineSegments(x, y, width, height)) tools.Line(s);
}

void DrawFace(HDC dc, const Face& face) {
  DcTools tools(dc);
  for (const FaceRow& row : face.rows) tools.Fill(row.box, row.colour);
  tools.Lines(face.edges);
}

}  // namespace

// ---- PushButtonPainter -------------------------------------------------------------------------------------

PushButtonPainter::PushButtonPainter(HDC dc, int x, int y, int width, int height, std::u16string_view label, int style,
                                     bool blink, bool blinkPhase, bool reverse, bool engraved, const Field* record)
    : dc_(dc),
      x_(x),
      y_(y),
      width_(width),
      height_(height),
      label_(label),
      table_(ButtonTable(style, height)),
      blink_(blink),
      blinkPhase_(blinkPhase),
      reverse_(reverse),
      engraved_(engraved),
      record_(record) {}

void PushButtonPainter::DrawFace(bool pressed) {
  DrawOutline(dc_, x_, y_, width_, height_);
  vantor::DrawFace(dc_, ButtonFace(x_, y_, width_, height_, table_, table_, pressed));
  DrawLabel();
}

void PushButtonPainter::DrawNormal() { DrawFace(false); }
void PushButtonPainter::DrawPressed() { DrawFace(true); }

void PushButtonPainter::DrawLabel() {
  if (blink_ && !blinkPhase_) return;
  SetBkMode(dc_, TRANSPARENT);
  const RECT rect{x_, y_, width_, height_};
  if (engraved_) {
    EngravedText(dc_, label_, rect, kCentred, false);
  } else {
    Text(dc_, label_, rect, kCentred, reverse_ ? kWhite : GetTextColor(dc_));
  }
}

void PushButtonPainter::DrawFocus() {
  if (record_ != nullptr && record_->Mode() == kModeDisplay) return;
  DcTools(dc_).Lines(ButtonFocusDashes(x_, y_, width_, height_));
  DrawLabel();
}

// ---- SelectButtonPainter -------------------------------------------------------------------------------

SelectButtonPainter::SelectButtonPainter(HDC dc, int x, int y, int width, int height, std::u16string_view text,
                                         int style, const Field* record, const ControlLook& look)
    : dc_(dc),
      x_(x),
      y_(y),
      width_(width),
      height_(height),
      first_(GradientTable(kFaceLight, kFaceDark, height)),
      second_(SteepGradientTable(kFaceLight, kFaceDark, height)),
      text_(text),
      record_(record),
      look_(look) {
  (void)style;  // one look for every style
}

void SelectButtonPainter::DrawUnchecked() {
  DrawOutline(dc_, x_, y_, width_, height_);
  DrawFace(dc_, ButtonFace(x_, y_, width_, height_, first_, first_, false));
  DrawLabel();
}

void SelectButtonPainter::DrawChecked() {
  DrawOutline(dc_, x_, y_, width_, height_);
  DrawFace(dc_, ButtonFace(x_, y_, width_, height_, second_, first_, true));
  DrawLabel();
}

void SelectButtonPainter::DrawLabel() {
  if (record_ != nullptr && LabelBlinkedOut(*record_, look_.blinkPhase)) return;
  SetBkMode(dc_, TRANSPARENT);
  const RECT rect{x_, y_, width_, height_};
  const std::u16string_view label = LabelOf(ButtonKind::SelectButton, text_, 0);
  if (record_ != nullptr && record_->Mode() == kModeDisplay) {
    EngravedText(dc_, label, rect, kCentred, true);
  } else {
    const bool reverse = record_ != nullptr && record_->Video() == kVideoReverse;
    Text(dc_, label, rect, kCentred, reverse ? kWhite : GetTextColor(dc_));
  }
}

void SelectButtonPainter::DrawFocus() {
  if (record_ != nullptr && record_->Mode() == kModeDisplay) return;
  DcTools(dc_).Lines(ButtonFocusDashes(x_, y_, width_, height_));
}

// ---- CheckBoxPainter -----------------------------------------------------------------------------------

namespace {

constexpr UINT kBoxLabel = DT_NOCLIP | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

Box ToBox(const RECT& r) { return Box{r.left, r.top, r.right, r.bottom}; }

void DrawBoxLabel(HDC dc, std::u16string_view label, const Box& client, int cellWidth, bool rightAligned, bool engraved,
                  const Field* record, const ControlLook& look, const Settings& settings) {
  if (record != nullptr && LabelBlinkedOut(*record, look.blinkPhase)) return;
  const Box box = LabelBoxFor(client, cellWidth, rightAligned);
  const RECT rect{box.left, box.top, box.right, box.bottom};
  const UINT format = kBoxLabel | (rightAligned ? DT_RIGHT : DT_LEFT);
  SetBkMode(dc, TRANSPARENT);
  if (engraved) {
    EngravedText(dc, label, rect, format, true);
  } else {
    const Colour colour = record != nullptr ? BoxLabelColour(*record, settings)
                                            : (settings.CustomColours() ? settings.TextColour() : kBlack);
    Text(dc, label, rect, format, colour);
  }
}

void FillSelected(HDC dc, const Box& client, const Field* record, const ControlLook& look) {
  if (record != nullptr && record->format.selected) DcTools(dc).Fill(client, look.colours.selectedBackground);
}

}  // namespace

CheckBoxPainter::CheckBoxPainter(HDC dc, const RECT& client, std::u16string_view label, int style, int cellCount,
                                 bool rightAligned, int checkSize, bool engraved, const Field* record,
                                 const ControlLook& look, const Settings& settings)
    : dc_(dc),
      client_(ToBox(client)),
      cellCount_(cellCount),
      cellWidth_(CellWidthFor(client_, cellCount)),
      label_(label),
      rightAligned_(rightAligned),
      checkSize_(checkSize),
      markSize_(MarkSizeFor(cellWidth_, checkSize, client_)),
      engraved_(engraved),
      record_(record),
      look_(look),
      settings_(settings) {
  (void)style;
}

void CheckBoxPainter::DrawBox(bool checked) {
  FillSelected(dc_, client_, record_, look_);
  const Box mark = MarkBoxFor(client_, markSize_, rightAligned_, true);
  DcTools tools(dc_);
  tools.Lines(CheckFrameSegments(mark, markSize_));
  tools.Lines(CheckInteriorSegments(mark, markSize_, engraved_));
  if (checked && markSize_ > 0) {
    const auto points = TickPolygon(mark, markSize_);
    POINT polygon[6];
    for (std::size_t i = 0; i < points.size(); ++i) polygon[i] = POINT{points[i].x, points[i].y};
    SetDCPenColor(dc_, engraved_ ? kEngravedColour : kBlack);
    SetDCBrushColor(dc_, MarkColour(engraved_, settings_));
    Polygon(dc_, polygon, 6);
  }
  DrawLabel();
}

void CheckBoxPainter::DrawUnchecked() { DrawBox(false); }
void CheckBoxPainter::DrawChecked() { DrawBox(true); }

void CheckBoxPainter::DrawLabel() {
  DrawBoxLabel(dc_, label_, client_, cellWidth_, rightAligned_, engraved_, record_, look_, settings_);
}

void CheckBoxPainter::DrawFocus() {
  if (engraved_) return;
  const bool selected = record_ != nullptr && record_->format.selected;
  DcTools(dc_).Lines(BoxFocusDashes(client_, selected ? kWhite : kBlack));
}

// ---- RadioButtonPainter --------------------------------------------------------------------------------

RadioButtonPainter::RadioButtonPainter(HDC dc, const RECT& client, std::u16string_view label, int style, int cellCount,
                                       bool rightAligned, int checkSize, bool engraved, const Field* record,
                                       const ControlLook& look, const Settings& settings)
    : dc_(dc),
      client_(ToBox(client)),
      cellCount_(cellCount),
      cellWidth_(CellWidthFor(client_, cellCount)),
      label_(label),
      table_(GradientTable(kFaceLight, kFaceDark, cellWidth_)),
      rightAligned_(rightAligned),
      checkSize_(checkSize),
      markSize_(MarkSizeFor(cellWidth_, checkSize, client_)),
      engraved_(engraved),
      record_(record),
      look_(look),
      settings_(settings) {
  (void)style;
}

void RadioButtonPainter::DrawCircle(bool checked) {
  FillSelected(dc_, client_, record_, look_);
  const Box mark = MarkBoxFor(client_, markSize_, rightAligned_, false);
  DcTools tools(dc_);
  const Box inner{mark.left + 1, mark.top + 1, mark.right - 1, mark.bottom - 1};
  tools.Ellipse(mark, kWhite, kWhite);
  if (checked)
    tools.Ellipse(inner, kOutlineColour, kOutlineColour);
  else
    tools.Ellipse(inner, kWhite, kWhite);
  for (const Disk& disk : RadioDisks(mark, cellWidth_, markSize_, static_cast<int>(table_.size()), checked)) {
    const Colour colour = table_[static_cast<std::size_t>(disk.entry)];
    tools.Ellipse(disk.box, colour, colour);
  }
  if (checked) tools.Ellipse(RadioDot(mark), kBlack, MarkColour(engraved_, settings_));
  DrawLabel();
}

void RadioButtonPainter::DrawUnchecked() { DrawCircle(false); }
void RadioButtonPainter::DrawChecked() { DrawCircle(true); }

void RadioButtonPainter::DrawLabel() {
  DrawBoxLabel(dc_, label_, client_, cellWidth_, rightAligned_, engraved_, record_, look_, settings_);
}

void RadioButtonPainter::DrawFocus() {
  if (engraved_) return;
  const bool selected = record_ != nullptr && record_->format.selected;
  DcTools(dc_).Lines(BoxFocusDashes(client_, selected ? kWhite : kBlack));
  DrawLabel();
}

}  // namespace vantor
