// Drawing for the artwork tool: shapes and paints in picture units, a supersampled image, palette BMP files.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace artwork {

constexpr double kPi = 3.14159265358979323846;

struct Rgb {
  double r = 0, g = 0, b = 0;
};
Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

using Shape = std::function<bool(double, double)>;
using Paint = std::function<Rgb(double, double)>;

Paint Solid(Rgb c) {
  return [c](double, double) { return c; };
}
// Linear vertical gradient between y0 (top colour) and y1 (bottom colour).
Paint VGrad(double y0, Rgb top, double y1, Rgb bottom) {
  return [=](double, double y) { return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0, 1.0)); };
}
Paint HGrad(double x0, Rgb left, double x1, Rgb right) {
  return [=](double x, double) { return Mix(left, right, std::clamp((x - x0) / (x1 - x0), 0.0, 1.0)); };
}

// --- shapes, in whatever units the caller scales ---

Shape Rect(double x0, double y0, double x1, double y1) {
  return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}
Shape RoundRect(double x0, double y0, double x1, double y1, double r) {
  return [=](double x, double y) {
    if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
    const double cx = std::clamp(x, x0 + r, x1 - r);
    const double cy = std::clamp(y, y0 + r, y1 - r);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
  };
}
Shape Circle(double cx, double cy, double r) {
  return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}
struct Pt {
  double x, y;
};
// Non-zero winding.
Shape Polygon(std::vector<Pt> pts) {
  return [pts](double x, double y) {
    int winding = 0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
      const Pt a = pts[i], b = pts[(i + 1) % pts.size()];
      if (a.y <= y) {
        if (b.y > y && (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y) > 0) ++winding;
      } else if (b.y <= y && (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y) < 0) {
        --winding;
      }
    }
    return winding != 0;
  };
}
// Ring between radii r0 and r1, between angles a0 and a1 (radians, y downwards, a0 < a1).
Shape Arc(double cx, double cy, double r0, double r1, double a0, double a1) {
  return [=](double x, double y) {
    const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    if (d2 < r0 * r0 || d2 > r1 * r1) return false;
    double a = std::atan2(y - cy, x - cx);
    while (a < a0) a += 2 * kPi;
    return a <= a1;
  };
}
Shape Union(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) || b(x, y); };
}
Shape Intersect(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) && b(x, y); };
}
// The points that stay inside when moved by up to t in any direction.
Shape Erode(Shape s, double t) {
  return [=](double x, double y) {
    if (!s(x, y)) return false;
    for (int k = 0; k < 16; ++k) {
      const double a = k * kPi / 8;
      if (!s(x + t * std::cos(a), y + t * std::sin(a))) return false;
    }
    return true;
  };
}
Shape Rotated(Shape s, double cx, double cy, double angle) {
  const double c = std::cos(-angle), sn = std::sin(-angle);
  return [=](double x, double y) {
    const double dx = x - cx, dy = y - cy;
    return s(cx + dx * c - dy * sn, cy + dx * sn + dy * c);
  };
}
// Design units to pixels: the shape was drawn on a grid where one unit is `unit` pixels.
Shape Scaled(Shape s, double unit, double ox = 0, double oy = 0) {
  return [=](double x, double y) { return s((x - ox) / unit, (y - oy) / unit); };
}
Paint ScaledPaint(Paint p, double unit, double ox = 0, double oy = 0) {
  return [=](double x, double y) { return p((x - ox) / unit, (y - oy) / unit); };
}

// --- the image, premultiplied, with supersampled coverage ---

class Image {
 public:
  Image(int w, int h) : w_(w), h_(h), c_(static_cast<std::size_t>(w * h)), a_(static_cast<std::size_t>(w * h), 0.0) {}
  int width() const { return w_; }
  int height() const { return h_; }

  void Fill(const Shape& shape, const Paint& paint, double opacity = 1.0) {
    constexpr int kS = 8;
    for (int py = 0; py < h_; ++py) {
      for (int px = 0; px < w_; ++px) {
        int hits = 0;
        for (int sy = 0; sy < kS; ++sy) {
          for (int sx = 0; sx < kS; ++sx) {
            if (shape(px + (sx + 0.5) / kS, py + (sy + 0.5) / kS)) ++hits;
          }
        }
        if (hits == 0) continue;
        const double a = opacity * hits / (kS * kS);
        const Rgb col = paint(px + 0.5, py + 0.5);
        const std::size_t i = static_cast<std::size_t>(py * w_ + px);
        c_[i] = {col.r * a + c_[i].r * (1 - a), col.g * a + c_[i].g * (1 - a), col.b * a + c_[i].b * (1 - a)};
        a_[i] = a + a_[i] * (1 - a);
      }
    }
  }
  // Filled shape with an inner outline of thickness t (same units as the shape).
  void FillOutlined(const Shape& shape, const Paint& fill, Rgb outline, double t) {
    Fill(shape, Solid(outline));
    Fill(Erode(shape, t), fill);
  }

  // Flattens onto a matte colour: barely covered pixels become the key colour.
  std::vector<Rgb> Flatten(Rgb matte, bool keyed, double threshold = 0.3) const {
    std::vector<Rgb> out(c_.size());
    for (std::size_t i = 0; i < c_.size(); ++i) {
      if (keyed && a_[i] < threshold) {
        out[i] = {255, 0, 255};
        continue;
      }
      out[i] = {c_[i].r + (1 - a_[i]) * matte.r, c_[i].g + (1 - a_[i]) * matte.g, c_[i].b + (1 - a_[i]) * matte.b};
    }
    return out;
  }

 private:
  int w_, h_;
  std::vector<Rgb> c_;
  std::vector<double> a_;
};

// --- palette and BMP ---

using Rgb8 = std::array<std::uint8_t, 3>;
constexpr Rgb8 kKey{255, 0, 255};

Rgb8 To8(Rgb c) {
  auto q = [](double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); };
  return {q(c.r), q(c.g), q(c.b)};
}

// Median cut over the picture's colours; the key colour keeps index 0 of its own.
std::vector<Rgb8> MakePalette(const std::vector<Rgb8>& pixels, std::size_t colours) {
  std::map<Rgb8, int> counts;
  for (const Rgb8& p : pixels) {
    if (p != kKey) ++counts[p];
  }
  std::vector<std::pair<Rgb8, int>> all(counts.begin(), counts.end());
  std::vector<Rgb8> palette{kKey};
  if (all.size() <= colours) {
    for (auto& [c, n] : all) palette.push_back(c);
    return palette;
  }
  struct Box {
    std::vector<std::pair<Rgb8, int>> items;
  };
  std::vector<Box> boxes{{all}};
  auto spread = [](const Box& b, int& channel) {
    int best = -1;
    for (int ch = 0; ch < 3; ++ch) {
      int lo = 255, hi = 0;
      for (auto& [c, n] : b.items) {
        lo = std::min<int>(lo, c[static_cast<std::size_t>(ch)]);
        hi = std::max<int>(hi, c[static_cast<std::size_t>(ch)]);
      }
      if (hi - lo > best) {
        best = hi - lo;
        channel = ch;
      }
    }
    return best;
  };
  while (boxes.size() < colours) {
    std::size_t pick = boxes.size();
    double score = 0;
    int channel = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].items.size() < 2) continue;
      int ch = 0;
      long pop = 0;
      for (auto& [c, n] : boxes[i].items) pop += n;
      const double s = spread(boxes[i], ch) * std::sqrt(static_cast<double>(pop));
      if (s > score) {
        score = s;
        pick = i;
        channel = ch;
      }
    }
    if (pick == boxes.size()) break;
    spread(boxes[pick], channel);
    auto& items = boxes[pick].items;
    std::sort(items.begin(), items.end(), [channel](auto& a, auto& b) {
      return a.first[static_cast<std::size_t>(channel)] < b.first[static_cast<std::size_t>(channel)];
    });
    long total = 0, half = 0;
    for (auto& [c, n] : items) total += n;
    std::size_t cut = 0;
    while (cut < items.size() - 1 && half + items[cut].second <= total / 2) half += items[cut++].second;
    if (cut == 0) cut = 1;
    Box second{{items.begin() + static_cast<long>(cut), items.end()}};
    items.resize(cut);
    boxes.push_back(std::move(second));
  }
  for (const Box& b : boxes) {
    double r = 0, g = 0, bl = 0, n = 0;
    for (auto& [c, k] : b.items) {
      r += c[0] * k;
      g += c[1] * k;
      bl += c[2] * k;
      n += k;
    }
    Rgb8 c = To8({r / n, g / n, bl / n});
    if (c == kKey) c[0] = 254;
    palette.push_back(c);
  }
  return palette;
}

std::size_t Nearest(const std::vector<Rgb8>& palette, const Rgb8& c) {
  if (c == kKey) return 0;
  std::size_t best = 1;
  long bestD = -1;
  for (std::size_t i = 1; i < palette.size(); ++i) {
    const long dr = c[0] - palette[i][0], dg = c[1] - palette[i][1], db = c[2] - palette[i][2];
    const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    if (bestD < 0 || d < bestD) {
      bestD = d;
      best = i;
    }
  }
  return best;
}

void Put16(std::vector<std::uint8_t>& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// Writes a bottom-up palette BMP (4 or 8 bits per pixel).
bool WriteBmp(const std::string& path, int w, int h, const std::vector<Rgb>& pixels, int bits, bool keyed) {
  std::vector<Rgb8> p8;
  for (const Rgb& c : pixels) p8.push_back(To8(c));
  const std::size_t maxColours = (std::size_t{1} << bits) - 1;
  std::vector<Rgb8> palette = MakePalette(p8, maxColours);
  if (keyed && p8[0] != kKey) {
    std::fprintf(stderr, "%s: top-left pixel is not the key colour\n", path.c_str());
    return false;
  }
  const int stride = ((w * bits + 31) / 32) * 4;
  const std::uint32_t paletteBytes = 4u << bits;
  const std::uint32_t offset = 14 + 40 + paletteBytes;
  const std::uint32_t imageBytes = static_cast<std::uint32_t>(stride * h);
  std::vector<std::uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, offset + imageBytes);
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, static_cast<std::uint32_t>(w));
  Put32(b, static_cast<std::uint32_t>(h));
  Put16(b, 1);
  Put16(b, static_cast<unsigned>(bits));
  Put32(b, 0);  // BI_RGB
  Put32(b, imageBytes);
  Put32(b, 2835);
  Put32(b, 2835);
  // The full table is written, and said so: a BITMAP resource has no file header, so the loader
  // finds the pixels right after biClrUsed table entries.
  Put32(b, 1u << bits);
  Put32(b, 0);
  for (std::size_t i = 0; i < (std::size_t{1} << bits); ++i) {
    const Rgb8 c = i < palette.size() ? palette[i] : Rgb8{0, 0, 0};
    b.push_back(c[2]);
    b.push_back(c[1]);
    b.push_back(c[0]);
    b.push_back(0);
  }
  for (int y = h - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(stride), 0);
    for (int x = 0; x < w; ++x) {
      const std::size_t index = Nearest(palette, p8[static_cast<std::size_t>(y * w + x)]);
      if (bits == 8) {
        row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(index);
      } else {
        row[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
      }
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace artwork
