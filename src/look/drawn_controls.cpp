// Geometry and colours of the button family, kept apart from GDI so they can be checked anywhere.
#include "look/drawn_controls.h"

#include <algorithm>
#include <cstdint>

#include "model/field.h"
#include "settings/settings.h"

namespace vantor {

namespace {

int Channel(double value) {
  const int v = static_cast<int>(value);  // truncation, as the tables are defined
  return std::clamp(v, 0, 255);
}

}  // namespace

std::vector<Colour> GradientTable(Colour start, Colour end, int n) {
  std::vector<Colour> table;
  if (n <= 0) return table;
  table.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    auto at = [&](int s, int e) { return Channel(static_cast<double>(i) * (e - s) / n + s); };
    table.push_back(
        Rgb(at(RedOf(start), RedOf(end)), at(GreenOf(start), GreenOf(end)), at(BlueOf(start), BlueOf(end))));
  }
  return table;
}

std::vector<Colour> SteepGradientTable(Colour start, Colour end, int n) {
  std::vector<Colour> table;
  if (n <= 0) return table;
  table.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    auto at = [&](int s, int e) { return Channel(2.0 * (static_cast<double>(i) * (e - s) / n) + s); };
    table.push_back(
        Rgb(at(RedOf(start), RedOf(end)), at(GreenOf(start), GreenOf(end)), at(BlueOf(start), BlueOf(end))));
  }
  return table;
}

std::vector<Colour> ButtonTable(int style, int height) {
  if (style == 2) return GradientTable(kSelectedLight, kSelectedDark, height);
  return GradientTable(kFaceLight, kFaceDark, height);
}

std::array<Segment, 4> OutlineSegments(int x, int y, int width, int height) {
  const int r = x + width - 1;
  const int b = y + height - 1;
  return {Segment{{x + 1, y}, {r, y}, kOutlineColour}, Segment{{r, y + 1}, {r, b}, kOutlineColour},
          Segment{{x + 1, b}, {r, b}, kOutlineColour}, Segment{{x, y + 1}, {x, b}, kOutlineColour}};
}

Face ButtonFace(int x, int y, int width, int height, const std::vector<Colour>& rows, const std::vector<Colour>& edges,
                bool pressed) {
  Face face;
  // Fewer than three entries leave the edge colours undefined: such a sliver keeps just its outline.
  if (height < 3 || static_cast<int>(rows.size()) < height || edges.size() < 3) return face;
  const int r = x + width - 1;
  const int b = y + height - 1;
  const int rowWidth = std::max(width - 2, 1);
  for (int k = 0; k <= height - 3; ++k) {
    const int entry = pressed ? height - 1 - k : k;
    face.rows.push_back(
        FaceRow{Box{x + 1, y + 1 + k, x + 1 + rowWidth, y + 2 + k}, rows[static_cast<std::size_t>(entry)]});
  }
  const std::size_t count = edges.size();
  const Colour left = pressed ? edges[count - 3] : edges[0];
  const Colour right = pressed ? edges[1] : edges[count - 3];
  face.edges.push_back(Segment{{x + 1, y + 1}, {x + 1, b - 1}, left});
  face.edges.push_back(Segment{{r - 1, b - 1}, {r - 1, y + 1}, right});
  return face;
}

std::vector<Segment> DashedRun(Point from, Point to, Colour colour) {
  std::vector<Segment> dashes;
  const int dx = to.x > from.x ? 1 : (to.x < from.x ? -1 : 0);
  const int dy = to.y > from.y ? 1 : (to.y < from.y ? -1 : 0);
  if ((dx != 0) == (dy != 0)) return dashes;  // slanted or empty
  const int length = dx != 0 ? (to.x - from.x) * dx : (to.y - from.y) * dy;
  for (int p = 0; p < length; p += 4) {
    const int end = std::min(p + 2, length);
    dashes.push_back(Segment{{from.x + dx * p, from.y + dy * p}, {from.x + dx * end, from.y + dy * end}, colour});
  }
  return dashes;
}

std::vector<Segment> ButtonFocusDashes(int x, int y, int width, int height) {
  const int r = x + width - 1;
  const int b = y + height - 1;
  std::vector<Segment> all;
  for (auto [from, to] :
       {std::pair{Point{x + 1, y + 1}, Point{r, y + 1}}, std::pair{Point{r - 1, y + 1}, Point{r - 1, b - 2}},
        std::pair{Point{r - 2, b - 1}, Point{x + 1, b - 1}}, std::pair{Point{x + 1, b - 2}, Point{x + 1, y + 1}}}) {
    const auto run = DashedRun(from, to, kBlack);
    all.insert(all.end(), run.begin(), run.end());
  }
  return all;
}

std::vector<Segment> BoxFocusDashes(const Box& c, Colour colour) {
  std::vector<Segment> all;
  for (auto [from, to] : {std::pair{Point{c.left, c.top}, Point{c.right, c.top}},
                          std::pair{Point{c.right - 1, c.top}, Point{c.right - 1, c.bottom}},
                          std::pair{Point{c.right - 1, c.bottom - 1}, Point{c.left - 1, c.bottom - 1}},
                          std::pair{Point{c.left, c.bottom - 1}, Point{c.left, c.top - 1}}}) {
    const auto run = DashedRun(from, to, colour);
    all.insert(all.end(), run.begin(), run.end());
  }
  return all;
}

int CellWidthFor(const Box& client, int cells) {
  const int span = std::max(client.right - client.left, 0);
  return cells < 1 ? span : span / cells;
}

int MarkSizeFor(int cellWidth, int checkSize, const Box& client) {
  // A hostile check size must not overflow: work in 64 bits and clip to the height.
  const std::int64_t size = static_cast<std::int64_t>(std::max(cellWidth, 0)) * std::max(checkSize, 0);
  const int height = std::max(client.bottom - client.top, 0);
  return static_cast<int>(std::min<std::int64_t>(size, height));
}

Box MarkBoxFor(const Box& client, int s, bool rightAligned, bool checkBox) {
  const int top = client.top + (client.bottom - client.top - s) / 2 + (checkBox ? 1 : 0);
  if (rightAligned) return Box{client.right - s - 2, top, client.right - 2, top + s};
  return Box{client.left + 1, top, client.left + s, top + s};
}

Box LabelBoxFor(const Box& client, int cellWidth, bool rightAligned) {
  if (rightAligned) return Box{0, client.top, client.right - 2 * cellWidth, client.bottom};
  return Box{2 * cellWidth, client.top, client.right, client.bottom};
}

std::vector<Segment> CheckFrameSegments(const Box& m, int s) {
  const int l = m.left, t = m.top, rt = m.right, bt = m.top + s - 1;
  return {Segment{{l, t - 1}, {rt - 1, t - 1}, kFrameDark},   Segment{{l, t - 1}, {l, bt}, kFrameDark},
          Segment{{l + 1, t}, {rt - 2, t}, kBlack},           Segment{{l + 1, t}, {l + 1, bt - 1}, kBlack},
          Segment{{rt - 1, t - 1}, {rt - 1, bt + 1}, kWhite}, Segment{{l, bt}, {rt - 1, bt}, kWhite},
          Segment{{rt - 2, t}, {rt - 2, bt}, kFrameLight},    Segment{{rt - 2, bt - 1}, {l, bt - 1}, kFrameLight}};
}

std::vector<Segment> CheckInteriorSegments(const Box& m, int s, bool engraved) {
  std::vector<Segment> lines;
  const Colour colour = engraved ? kFrameLight : kWhite;
  for (int j = 0; j < s - 3; ++j)
    lines.push_back(Segment{{m.left + 2, m.top + 1 + j}, {m.left + s - 3, m.top + 1 + j}, colour});
  return lines;
}

std::array<Point, 6> TickPolygon(const Box& m, int s) {
  const int l = m.left, t = m.top, rt = m.right, bt = m.top + s - 1;
  const int mx = l + (rt - l) / 2;
  const int my = t + (bt - t) / 2;
  return {Point{rt, t},  Point{mx, bt}, Point{l, my}, Point{l + (rt - l) / 4, t + (bt - t) / 4},
          Point{mx, my}, Point{rt, t}};
}

std::vector<Disk> RadioDisks(const Box& m, int cellWidth, int markSize, int tableCount, bool checked) {
  std::vector<Disk> disks;
  int k = std::max((cellWidth - 1) / (checked ? 4 : 3), 0);
  for (int inset = 2; k < markSize && k < tableCount; ++k, ++inset) {
    const Box box{m.left + inset, m.top + inset, m.right - inset, m.bottom - inset};
    if (box.Empty()) break;
    disks.push_back(Disk{box, k});
  }
  return disks;
}

Box RadioDot(const Box& m) {
  const int dx = (m.right - m.left) / 4;
  const int dy = (m.bottom - m.top) / 4;
  return Box{m.left + dx, m.top + dy, m.right - dx, m.bottom - dy};
}

int DrawStyleFor(ButtonKind kind, const Field& field) {
  if (kind == ButtonKind::Button) return field.format.selected ? 2 : 0;
  if (kind == ButtonKind::RadioButton && field.Mode() == kModeDisplay) return 3;
  const int video = field.Video();
  return video == kVideoBlink || video == kVideoReverse ? 2 : 0;
}

bool LabelBlinkedOut(const Field& field, bool blinkPhase) { return field.Video() == kVideoBlink && !blinkPhase; }

Colour BoxLabelColour(const Field& field, const Settings& settings) {
  if (field.Video() == kVideoReverse) return kWhite;
  return settings.CustomColours() ? settings.TextColour() : kBlack;
}

Colour MarkColour(bool engraved, const Settings& settings) {
  if (settings.CustomColours()) return settings.MarkColour();
  return engraved ? kEngravedColour : kBlack;
}

}  // namespace vantor
