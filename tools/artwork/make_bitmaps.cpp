// Draws the toolbar pictures and the lock indicator pictures and writes them as palette BMP files.
//
// Build and run by hand (the outputs are committed under src/win/toolbar/art/):
//   g++ -std=c++20 -O2 -o /tmp/make_bitmaps tools/artwork/make_bitmaps.cpp
//   /tmp/make_bitmaps src/win/toolbar/art
//
// Every picture that is drawn transparently keeps the key colour (255, 0, 255) in its top-left pixel;
// edges are smoothed against the colour the picture is drawn on (the toolbar face or the indicator's
// background), so no pink fringe shows.
#include "canvas.h"

namespace {

using namespace artwork;

// --- toolbar pictures, designed on a 16-unit grid ---

const Rgb kFace{191, 191, 191};

// Outline thickness in grid units: one pixel at 16, a little heavier at the larger sizes.
double OutlineUnits(int size) { return size == 16 ? 1.0 : size == 32 ? 0.75 : 0.62; }

void DrawSave(Image& img, int size) {
  const double u = size / 16.0, t = OutlineUnits(size);
  const Rgb dark{20, 36, 84};
  img.FillOutlined(Scaled(Polygon({{1, 1}, {13, 1}, {15, 3}, {15, 15}, {1, 15}}), u),
                   ScaledPaint(VGrad(1, {72, 112, 200}, 15, {36, 66, 142}), u), dark, t);
  // Metal shutter with its slot.
  const double shutterBottom = size == 16 ? 7 : 6.5;
  img.FillOutlined(Scaled(Rect(4, 1, 12, shutterBottom), u),
                   ScaledPaint(VGrad(1, {232, 235, 240}, shutterBottom, {170, 176, 188}), u), dark, t);
  img.Fill(Scaled(size == 16 ? Rect(8, 2, 10, 6) : Rect(9, 2.2, 10.8, 5.4), u), Solid(dark));
  // Paper label with writing lines.
  img.FillOutlined(Scaled(Rect(3, 8.5, 13, 15), u), Solid({250, 250, 244}), dark, t);
  if (size >= 32) {
    img.Fill(Scaled(Rect(4.5, 10.2, 11.5, 10.9), u), Solid({130, 150, 200}));
    img.Fill(Scaled(Rect(4.5, 12.2, 11.5, 12.9), u), Solid({130, 150, 200}));
  } else {
    img.Fill(Scaled(Rect(4, 11, 12, 12), u), Solid({130, 150, 200}));
  }
}

void DrawBack(Image& img, int size) {
  const double u = size / 16.0, t = OutlineUnits(size);
  const Rgb dark{18, 62, 128};
  // A return arrow: the head points left at the top, the tail turns down and back under it.
  const Shape head = Polygon({{0.6, 5.5}, {6.5, 0.6}, {6.5, 10.4}});
  const Shape bar = Rect(5.5, 3.5, 10, 7.5);
  const Shape bend = Arc(10, 9.5, 2.0, 6.0, -kPi / 2, kPi / 2);
  const Shape tail = Rect(6, 11.5, 10.05, 15.5);
  const Shape arrow = Union(Union(head, bar), Union(bend, tail));
  img.FillOutlined(Scaled(arrow, u), ScaledPaint(VGrad(0.6, {104, 170, 240}, 15.5, {34, 100, 196}), u), dark, t);
}

void DrawExit(Image& img, int size) {
  const double u = size / 16.0, t = OutlineUnits(size);
  const Rgb dark{48, 32, 20};
  // Door frame with the dark opening, the leaf swung towards the viewer.
  img.FillOutlined(Scaled(Rect(1, 1, 10, 15), u), Solid({40, 44, 56}), dark, t);
  img.FillOutlined(Scaled(Polygon({{1, 1}, {6.5, 2.6}, {6.5, 15.9}, {1, 15}}), u),
                   ScaledPaint(HGrad(1, {214, 150, 84}, 6.5, {156, 96, 44}), u), dark, t);
  img.Fill(Scaled(Circle(5.3, 9, size == 16 ? 0.7 : 0.55), u), Solid({250, 214, 80}));
  // The way out.
  const Rgb red{214, 40, 34}, redDark{110, 14, 10};
  const Shape arrow = Union(Rect(7.5, 6.5, 12, 9.5), Polygon({{11, 3.4}, {15.6, 8}, {11, 12.6}}));
  img.FillOutlined(Scaled(arrow, u), ScaledPaint(VGrad(3.4, {250, 96, 80}, 12.6, red), u), redDark, t);
}

void DrawNext(Image& img, int size) {
  const double u = size / 16.0, t = OutlineUnits(size);
  const Rgb dark{16, 84, 30};
  const Shape arrow = Union(Rect(1, 5, 9, 11), Polygon({{8, 0.6}, {15.4, 8}, {8, 15.4}}));
  img.FillOutlined(Scaled(arrow, u), ScaledPaint(VGrad(0.6, {120, 220, 110}, 15.4, {36, 150, 54}), u), dark, t);
}

void DrawClear(Image& img, int size) {
  const double u = size / 16.0, t = OutlineUnits(size);
  const Rgb dark{60, 30, 50};
  // A wiped trail under an eraser held at an angle.
  img.Fill(Scaled(Rect(1, 14, 8, 15), u), Solid({120, 120, 128}));
  const double angle = -kPi / 4;
  const Shape body = Rotated(RoundRect(2.5, 5, 14.5, 10, 1.2), 8.5, 7.5, angle);
  const Shape tip = Intersect(body, Rotated(Rect(0, 0, 6.5, 16), 8.5, 7.5, angle));
  img.FillOutlined(Scaled(body, u, 0, 0.4 * u), ScaledPaint(VGrad(0, {96, 140, 230}, 16, {36, 70, 170}), u), dark, t);
  img.FillOutlined(Scaled(tip, u, 0, 0.4 * u), ScaledPaint(VGrad(4, {255, 190, 200}, 16, {226, 110, 136}), u), dark, t);
}

// --- indicator pictures, in pixels ---

const Rgb kSkyTop{226, 236, 246};
const Rgb kSkyBottom{196, 212, 230};
const Rgb kIndicatorMatte{210, 224, 238};

void DrawBackground(Image& img) {
  img.Fill(Rect(0, 0, 200, 70), VGrad(0, kSkyTop, 70, kSkyBottom));
  img.Fill(Rect(0, 58, 200, 70), VGrad(58, {188, 202, 220}, 70, {172, 188, 208}));
  img.Fill(Rect(0, 58, 200, 59), Solid({160, 176, 198}));
  // Faint network line from the terminal to the host.
  for (int x = 40; x < 150; x += 6) img.Fill(Rect(x, 63, x + 3, 64), Solid({150, 168, 192}));
}

void DrawTerminal(Image& img) {
  const Rgb dark{30, 32, 40};
  img.FillOutlined(RoundRect(3, 1, 30, 63, 5), HGrad(3, {96, 102, 116}, 30, {54, 58, 68}), dark, 1);
  img.Fill(Rect(11, 1, 22, 3.5), Solid({220, 40, 40}));  // scanner window
  img.FillOutlined(Rect(7, 8, 26, 30), VGrad(8, {190, 230, 200}, 30, {120, 180, 140}), dark, 1);
  for (int line = 0; line < 4; ++line)
    img.Fill(Rect(9, 11 + line * 4, line == 3 ? 17 : 23, 12.5 + line * 4), Solid({40, 90, 60}));
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 3; ++col) {
      const double x = 7.5 + col * 6.5, y = 35 + row * 6;
      img.FillOutlined(RoundRect(x, y, x + 5, y + 4.5, 1.2), VGrad(y, {236, 238, 242}, y + 4.5, {176, 180, 190}), dark,
                       0.8);
    }
  }
}

void DrawHost(Image& img) {
  const Rgb dark{26, 30, 40};
  img.Fill(Rect(8, 50, 14, 53), Solid(dark));
  img.Fill(Rect(34, 50, 40, 53), Solid(dark));
  img.FillOutlined(RoundRect(4, 1, 44, 51, 3), HGrad(4, {122, 132, 150}, 44, {76, 84, 100}), dark, 1);
  for (int bay = 0; bay < 3; ++bay) {
    const double y = 6 + bay * 8;
    img.FillOutlined(Rect(8, y, 40, y + 6), VGrad(y, {70, 76, 90}, y + 6, {46, 50, 60}), dark, 1);
    img.Fill(Rect(11, y + 2.5, 30, y + 3.5), Solid({140, 148, 164}));
    img.Fill(Circle(35.5, y + 3, 1.1), Solid(bay == 0 ? Rgb{90, 230, 110} : Rgb{90, 100, 120}));
  }
  // Activity lamps: the indicator blinks black dots over this strip.
  img.FillOutlined(Rect(25, 34, 42, 41), Solid({120, 226, 120}), dark, 1);
  img.FillOutlined(Circle(14, 38, 3.6), Solid({200, 206, 216}), dark, 1);
  img.Fill(Arc(14, 38, 1.2, 2.1, -kPi * 0.35, kPi * 1.35), Solid({40, 140, 60}));
  img.Fill(Rect(13.5, 35.5, 14.5, 38), Solid({40, 140, 60}));
}

// The plug on the terminal's cable (slides left and right).
void DrawPlug(Image& img) {
  const Rgb dark{24, 30, 48};
  img.FillOutlined(Rect(0, 14.5, 27, 20.5), VGrad(14.5, {90, 94, 104}, 20.5, {40, 42, 48}), dark, 1);
  img.FillOutlined(Rect(41, 10, 50, 14), VGrad(10, {250, 240, 190}, 14, {196, 170, 90}), {110, 90, 30}, 1);
  img.FillOutlined(Rect(41, 21, 50, 25), VGrad(21, {250, 240, 190}, 25, {196, 170, 90}), {110, 90, 30}, 1);
  img.FillOutlined(RoundRect(24, 5, 43, 30, 4), VGrad(5, {110, 156, 226}, 30, {40, 80, 160}), dark, 1);
  for (int g = 0; g < 3; ++g) img.Fill(Rect(28 + g * 4, 9, 30 + g * 4, 26), Solid({52, 92, 170}));
}

// The socket on the host's cable.
void DrawSocket(Image& img) {
  const Rgb dark{24, 30, 48};
  img.FillOutlined(Rect(18, 14, 52, 20), VGrad(14, {90, 94, 104}, 20, {40, 42, 48}), dark, 1);
  img.FillOutlined(RoundRect(0, 3, 21, 30, 4), VGrad(3, {250, 176, 90}, 30, {200, 110, 30}), dark, 1);
  img.Fill(Rect(1, 11, 9, 16), Solid({40, 30, 24}));
  img.Fill(Rect(1, 22, 9, 27), Solid({40, 30, 24}));
}

// A tooth-edged wheel; `teeth` teeth, turned by `turn` radians.
Shape Gear(double cx, double cy, double r, int teeth, double turn) {
  return [=](double x, double y) {
    const double dx = x - cx, dy = y - cy;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d > r + 2.2) return false;
    if (d < r * 0.28) return false;  // axle hole
    double a = std::atan2(dy, dx) - turn;
    const double pitch = 2 * kPi / teeth;
    a = std::fmod(a, pitch);
    if (a < 0) a += pitch;
    const bool onTooth = std::fabs(a - pitch / 2) < pitch * 0.25;
    return d <= r - 0.8 || (onTooth && d <= r + 2.2);
  };
}

// The host at work: two meshing wheels; frame k turns them a quarter of a tooth further.
void DrawGears(Image& img, int frame) {
  const Rgb dark{40, 44, 60};
  const int bigTeeth = 12, smallTeeth = 8;
  const double bigTurn = frame * (2 * kPi / bigTeeth) / 4;
  const double smallTurn = -frame * (2 * kPi / smallTeeth) / 4 + kPi / smallTeeth;
  img.FillOutlined(Gear(21, 25, 17, bigTeeth, bigTurn), VGrad(6, {150, 190, 240}, 44, {60, 100, 170}), dark, 1);
  img.Fill(Circle(21, 25, 6.5), Solid({60, 100, 170}), 0.5);
  img.FillOutlined(Gear(48.5, 17.5, 11.3, smallTeeth, smallTurn), VGrad(4, {250, 200, 110}, 32, {210, 130, 40}), dark,
                   1);
  img.Fill(Circle(48.5, 17.5, 4.2), Solid({210, 130, 40}), 0.5);
}

// A page of data turning about its upright axis: frame 0 flat on, frame 9 nearly edge-on.
void DrawPage(Image& img, int frame) {
  const double squeeze = std::max(0.12, std::cos(frame * (kPi / 2) / 9.5));
  const double cx = 14.5;
  auto sx = [&](double x) { return cx + (x - cx) * squeeze; };
  const Rgb dark{50, 66, 100};
  const Shape page = Polygon({{sx(3), 2}, {sx(19), 2}, {sx(26), 9}, {sx(26), 37}, {sx(3), 37}});
  img.FillOutlined(page, VGrad(2, {255, 255, 255}, 37, {214, 224, 240}), dark, 1);
  img.FillOutlined(Polygon({{sx(19), 2}, {sx(26), 9}, {sx(19), 9}}), Solid({190, 204, 228}), dark, 0.8);
  if (squeeze > 0.3) {
    for (int line = 0; line < 6; ++line) {
      const double y = 13 + line * 4;
      img.Fill(Rect(sx(7), y, sx(line % 3 == 2 ? 15 : 22), y + 1.4), Solid({90, 120, 180}));
    }
  }
}

// Kept with the set for later use: a lock badge.
void DrawBanner(Image& img) {
  const Rgb dark{30, 40, 60};
  img.FillOutlined(RoundRect(1, 1, 92, 35, 8), VGrad(1, {250, 250, 252}, 35, {200, 212, 228}), dark, 1);
  img.Fill(Arc(18, 15, 5, 8, -kPi, 0), Solid({120, 128, 140}));
  img.Fill(Rect(10, 13.5, 13, 16), Solid({120, 128, 140}));
  img.Fill(Rect(23, 13.5, 26, 16), Solid({120, 128, 140}));
  img.FillOutlined(RoundRect(8, 15, 28, 31, 2), VGrad(15, {250, 210, 90}, 31, {210, 150, 40}), dark, 1);
  img.Fill(Circle(18, 21.5, 2.2), Solid(dark));
  img.Fill(Rect(17, 22, 19, 27), Solid(dark));
  for (int k = 0; k < 3; ++k)
    img.Fill(Circle(44 + k * 14, 18, 4.5), Solid(k == 0 ? Rgb{60, 140, 220} : Rgb{170, 186, 210}));
}

struct Job {
  std::string name;
  int w, h, bits;
  bool keyed;
  Rgb matte;
  std::function<void(Image&)> draw;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  std::vector<Job> jobs;
  struct Tool {
    const char* name;
    void (*draw)(Image&, int);
  };
  const Tool tools[] = {
      {"save", DrawSave}, {"back", DrawBack}, {"exit", DrawExit}, {"next", DrawNext}, {"clear", DrawClear}};
  for (const Tool& tool : tools) {
    for (int size : {16, 32, 48}) {
      // The large eraser is a 16-colour picture.
      const int bits = (size == 48 && std::string(tool.name) == "clear") ? 4 : 8;
      auto draw = tool.draw;
      jobs.push_back({std::string(tool.name) + std::to_string(size), size, size, bits, true, kFace,
                      [draw, size](Image& img) { draw(img, size); }});
    }
  }
  jobs.push_back({"lock_background", 200, 70, 8, false, kIndicatorMatte, DrawBackground});
  jobs.push_back({"lock_terminal", 33, 64, 8, true, kIndicatorMatte, DrawTerminal});
  jobs.push_back({"lock_host", 48, 54, 8, true, kIndicatorMatte, DrawHost});
  jobs.push_back({"lock_plug", 50, 35, 8, true, kIndicatorMatte, DrawPlug});
  jobs.push_back({"lock_socket", 52, 33, 8, true, kIndicatorMatte, DrawSocket});
  for (int f = 0; f < 4; ++f) {
    jobs.push_back(
        {"lock_gears" + std::to_string(f), 64, 48, 8, true, kIndicatorMatte, [f](Image& img) { DrawGears(img, f); }});
  }
  for (int f = 0; f < 10; ++f) {
    jobs.push_back(
        {"lock_page" + std::to_string(f), 29, 39, 8, true, kIndicatorMatte, [f](Image& img) { DrawPage(img, f); }});
  }
  jobs.push_back({"lock_badge", 93, 36, 8, true, kIndicatorMatte, DrawBanner});

  int failures = 0;
  for (const Job& job : jobs) {
    Image img(job.w, job.h);
    job.draw(img);
    const std::string path = dir + "/" + job.name + ".bmp";
    if (!WriteBmp(path, job.w, job.h, img.Flatten(job.matte, job.keyed), job.bits, job.keyed)) {
      std::fprintf(stderr, "failed: %s\n", path.c_str());
      ++failures;
    }
  }
  std::printf("%zu pictures, %d failed\n", jobs.size(), failures);
  return failures == 0 ? 0 : 1;
}
