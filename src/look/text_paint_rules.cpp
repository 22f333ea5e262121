// Paint arithmetic of the text controls: colours by state and attribute, strip scrolling, frame
// shading and joining, the system line's cells and the watermark's fitting.
#include "look/text_paint_rules.h"

#include <algorithm>
#include <cstdint>

#include "settings/settings.h"
#include "model/field.h"

namespace vantor {

namespace {

constexpr Colour kSystemFill = kScreenBlue;

int VideoClass(const Field& field) { return (field.format.attributes >> 4) & 3; }

}  // namespace

int EntryState(const Field& field, bool focused) {
  if (focused) return 1;
  return field.format.selected ? 2 : 0;
}

TextColours EntryColours(const Field& field, const ControlLook& look, const Settings& settings, bool focused) {
  const int s = EntryState(field, focused);
  const ControlColours& slot = look.colours;
  TextColours c;
  if (settings.CustomColours()) {
    if (s == 0)
      c = {settings.InputBackgroundColour(), settings.InputTextColour(), settings.InputTextColour()};
    else if (s == 1)
      c = {settings.FocusBackgroundColour(), settings.FocusTextColour(), settings.InputTextColour()};
    else
      c = {settings.SelectedBackgroundColour(), settings.SelectedTextColour(), slot.selectedFrame};
  } else {
    if (s == 0)
      c = {slot.background, slot.text, slot.frame};
    else if (s == 1)
      c = {slot.focusBackground, slot.text, slot.frame};
    else
      c = {slot.selectedBackground, slot.text, slot.selectedFrame};
  }
  const int a = VideoClass(field);
  if ((a == 1 && !look.blinkPhase) || (a == 3 && s != 1)) std::swap(c.background, c.text);
  return c;
}

int EntryStripWidth(int textLength, int width, int cellWidth, int additionalWidth) {
  const double cells = static_cast<double>(std::max(textLength, 0)) + std::max(width, 0);
  const double strip = cells * (static_cast<double>(cellWidth) + additionalWidth) * 1.7;
  if (strip <= 0) return 0;
  return strip >= kMaxStripWidth ? kMaxStripWidth : static_cast<int>(strip);
}

EntryLayout LayoutEntry(int clientWidth, int textLength, int caret, bool rightJustified, bool password,
                        const std::function<int(int)>& extent) {
  const int w = clientWidth;
  caret = std::clamp(caret, 0, std::max(textLength, 0));
  EntryLayout out;
  if (password) {
    out = {0, 1, extent(caret)};
  } else {
    const int full = extent(textLength);
    const int atCaret = extent(caret);
    if (full >= w) {
      if (atCaret >= w) {
        out.scroll = atCaret - w;
        out.offset = 1;
        out.caretX = rightJustified ? w - 2 : atCaret - out.scroll;
      } else {
        out.scroll = 0;
        out.offset = rightJustified ? 2 : 1;
        out.caretX = atCaret;
      }
    } else if (!rightJustified) {
      out = {0, 1, atCaret};
    } else {
      out = {0, w - full, w - full + atCaret - 1};
    }
  }
  if (out.caretX < 1) out.caretX = 2;
  if (out.caretX >= w) out.caretX = w - 2;
  return out;
}

FixedLook FixedTextLook(const Field& field, const ControlLook& control, const Settings& settings) {
  const int a = VideoClass(field);
  const bool selected = field.format.selected;
  const bool phase = control.blinkPhase;
  FixedLook look;
  if (settings.CustomColours()) {
    const Colour fore = settings.TextColour(), back = settings.BackgroundColour();
    const Colour selFore = settings.SelectedTextColour(), selBack = settings.SelectedBackgroundColour();
    if (!selected) {
      look.background = a == 3 ? fore : back;
      look.text = a == 3 ? back : fore;
      if (a == 1 && phase) look.textVisible = false;
    } else {
      const bool swapped = a == 3 || (a == 1 && phase);
      look.background = swapped ? selFore : selBack;
      look.text = swapped ? selBack : selFore;
    }
    look.underline = settings.UnderlineFixedText();
    return look;
  }
  const ControlColours& slot = control.colours;
  if (!selected) {
    if (a == 3) {
      look.background = slot.reverseBackground;
      look.text = kBlack;
      look.reverseFrame = true;
      return look;
    }
    look.background = slot.background;
    look.text = slot.text;
    if (a == 1 && !phase) look.textVisible = false;
    look.pageEdges = true;
    look.underline = true;
    return look;
  }
  const bool swapped = a == 3 || (a == 1 && phase);
  look.background = swapped ? slot.selectedText : slot.selectedBackground;
  look.text = swapped ? slot.selectedBackground : slot.selectedText;
  look.underline = true;
  return look;
}

int CellWidthOf(int clientWidth, int width) { return width > 0 ? clientWidth / width : 0; }

TextBox FixedTextBox(int clientWidth, int clientHeight, int width) {
  const int cw = CellWidthOf(clientWidth, width);
  return {1, 1, 1 + width * cw - 1, clientHeight - 2};
}

int FrameThickness(int height) { return std::clamp(height * 15 / 100, 0, 5); }

Colour Shade(Colour from, Colour to, int k, int n) {
  if (n <= 0) return from;
  const std::uint32_t d = to - from;  // one 32-bit subtraction, as the frame has always been shaded
  Colour result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t base = (from >> shift) & 0xFF;
    const std::uint32_t step = ((d >> shift) & 0xFF) / static_cast<std::uint32_t>(n);
    result |= ((base + step * static_cast<std::uint32_t>(k)) & 0xFF) << shift;
  }
  return result;
}

std::vector<FrameLine> ReverseFrameLines(const FrameInput& in, const std::function<std::int32_t(int, int)>& kindAt) {
  std::vector<FrameLine> lines;
  const int n = FrameThickness(in.clientHeight);
  const int cw = CellWidthOf(in.clientWidth, in.width);
  if (n == 0 || cw == 0) return lines;
  const int right = in.clientWidth, bottom = in.clientHeight;
  auto reverseAt = [&](int column, int row) { return (kindAt(column, row) & 0xFF) == 4; };

  // One horizontal edge against a neighbouring row; returns whether its first and last cells got lines.
  struct EdgeEnds {
    bool first = true, last = true;
  };
  auto edge = [&](bool top) {
    EdgeEnds ends;
    const bool whole = top ? in.row == 0 : in.fullBottom;
    for (int k = 0; k < n; ++k) {
      const int y = top ? k : bottom - k - 1;
      const int away = top ? -1 : bottom;  // joining lines run off the field toward the neighbour
      if (whole) {
        lines.push_back({k, 0, y, right, y});
        continue;
      }
      const int neighbourRow = top ? in.row - 1 : in.row + 1;
      bool previous = false;
      for (int i = 0; i < in.width; ++i) {
        const bool reverse = reverseAt(in.column + i, neighbourRow);
        if (!reverse) lines.push_back({k, i * cw, y, (i + 1) * cw, y});
        if (i >= 1 && reverse && !previous) {
          lines.push_back({k, i * cw, y, i * cw + k, y});
          lines.push_back({k, i * cw + k, y, i * cw + k, away});
        } else if (i >= 1 && !reverse && previous) {
          lines.push_back({k, i * cw - 1, y, i * cw - 1 - k, y});
          lines.push_back({k, i * cw - 1 - k, y, i * cw - 1 - k, away});
        }
        if (i == 0) ends.first = !reverse;
        if (i == in.width - 1) ends.last = !reverse;
        previous = reverse;
      }
    }
    return ends;
  };
  const EdgeEnds topEnds = edge(true);
  const EdgeEnds bottomEnds = edge(false);
  const bool leftOpen = !reverseAt(in.column - 1, in.row);
  const bool rightOpen = !reverseAt(in.column + in.width, in.row);
  for (int k = 0; k < n; ++k) {
    if (leftOpen) lines.push_back({k, k, topEnds.first ? k : 0, k, bottomEnds.first ? bottom - k : bottom});
    if (rightOpen) {
      const int x = right - k - 1;
      lines.push_back({k, x, topEnds.last ? k : 0, x, bottomEnds.last ? bottom - k : bottom});
    }
  }
  return lines;
}

std::u16string_view ClockPicture(int second) { return (second & 1) ? u"HH mm" : u"HH:mm"; }

std::u16string SystemLineText(std::u16string_view formatted, int width) {
  const std::size_t cut = width > 0 ? static_cast<std::size_t>(width) : 0;
  std::u16string text(formatted.substr(0, std::min(cut, formatted.size())));
  const std::size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

std::vector<CellText> SystemLineCells(int textLength, int width, int clientWidth, bool rightJustified) {
  std::vector<CellText> cells;
  const int cw = CellWidthOf(clientWidth, width);
  if (cw == 0 || textLength <= 0) return cells;
  textLength = std::min(textLength, width);
  const int offset = rightJustified ? width - textLength : 0;
  const int edge = clientWidth - 2;
  bool alignRight = false;
  for (int i = 0; i < textLength; ++i) {
    CellText cell{(i + offset) * cw + 1, (i + offset) * cw + 1 + cw, false, false};
    if (cell.right > edge) {
      cell.right = edge;
      cell.left = edge - cw;
      alignRight = true;
    }
    cell.alignRight = alignRight;
    cells.push_back(cell);
  }
  if (width == 1 && textLength == 1) cells[0].centre = true;
  return cells;
}

SystemLook SystemLineLook(const Field& field, const ControlLook& control) {
  const int a = VideoClass(field);
  SystemLook look;
  if (a == 3) {
    look.background = control.colours.reverseBackground;
    look.text = control.colours.reverseText;
    look.reverseFrame = true;
    return look;
  }
  look.background = kSystemFill;
  look.text = kBlack;
  if (a == 1) look.text = !control.blinkPhase ? control.colours.text : kSystemFill;
  look.pageEdges = true;
  return look;
}

Colour WatermarkColour(const Settings& settings) {
  if (!settings.CustomColours()) return kWatermarkBlue;
  const Colour back = settings.BackgroundColour();
  auto lift = [](int v) { return v + 5 > 255 ? 250 : v + 5; };
  return Rgb(lift(static_cast<int>(back & 0xFF)), lift(static_cast<int>((back >> 8) & 0xFF)),
             lift(static_cast<int>((back >> 16) & 0xFF)));
}

WatermarkFont FitWatermark(int innerWidth, int textLength, const std::function<int(int, int)>& measure) {
  if (innerWidth <= 0 || textLength <= 0) return {};
  constexpr int kDivisor = 6;
  int w = innerWidth / textLength;
  for (;;) {
    const int measured = w >= 1 ? measure(innerWidth / kDivisor, w) : 0;
    w -= 2;
    if (measured <= innerWidth || w < 1) break;
  }
  return {innerWidth / (kDivisor + 2), std::max(w, 1)};
}

}  // namespace vantor
