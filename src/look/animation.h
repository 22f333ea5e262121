// Lock indicator rules without windows: the tick counter, the random source, sprites, dots and the frame plans.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vantor::animation {

// The indicator's client area and its pictures (resource number, width, height).
inline constexpr int kClientWidth = 200;
inline constexpr int kClientHeight = 70;

enum class Picture : int {
  Background,  // 155, 200 x 70
  Left,        // 131, 33 x 64 ("Lock-B")
  Right,       // 132, 48 x 54 (both modes)
  Slide1,      // 153, 50 x 35 ("Lock-B")
  Slide2,      // 154, 52 x 33 ("Lock-B")
  Figure,      // 148..151, 64 x 48 ("Lock-H")
  Sprite,      // 159..168, 29 x 39 ("Lock-H")
};

struct PictureInfo {
  int firstResource;
  int frames;
  int width;
  int height;
};
PictureInfo InfoOf(Picture picture);

// Resources of the indicator that are never drawn but belong to its set.
inline constexpr int kSpareResource = 152;  // 93 x 36

// The indicator's pseudo-random numbers: the classic C runtime generator (0..32767), one instance
// per indicator so that its sequence does not depend on other users of rand().
class Random {
 public:
  explicit Random(std::uint32_t seed = 1) : state_(seed) {}
  void Seed(std::uint32_t seed) { state_ = seed; }
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
  }

 private:
  std::uint32_t state_;
};

// The process-wide tick counter: 0, 1, ..., 8, 7, ..., 0, 1, ... one step per timer tick.
struct TickCounter {
  int value = 0;
  bool rising = true;
  void Reset() {
    value = 0;
    rising = true;
  }
  // Before the tick's repaint: turn at either end.
  void Turn() {
    if (value >= 8) rising = false;
    if (value <= 0) rising = true;
  }
  // After the tick's repaint.
  void Step() { value += rising ? 1 : -1; }
};

struct Sprite {
  int frame = 0;  // 0..9
  bool frameRising = true;
  int age = 0;  // 0..128
  bool active = false;
  double x = 0, y = 0;
  double speedX = 0, speedY = 0;
};

inline constexpr int kSpriteCount = 10;
inline constexpr int kSpriteWidth = 29;
inline constexpr int kSpriteHeight = 39;
inline constexpr int kMaxAge = 128;
// Right picture position; the dots and the "Lock-H" layout hang off it.
inline constexpr int kRightX = kClientWidth - 48 - 2;     // 150
inline constexpr int kRightY = (kClientHeight - 54) / 2;  // 8
// Where a sprite starts again after leaving the picture.
inline constexpr int kSpriteOriginX = kRightX + 64 / 2;                     // 182
inline constexpr int kSpriteOriginY = (kClientHeight - kSpriteHeight) / 2;  // 15

// Sprite speeds from angles drawn from the generator: x from 0.5 to 3 (towards the left), y
// within +-0.8. The number of draws is bounded, so a poor generator cannot hang the paint.
double DrawSpeedX(Random& random);
double DrawSpeedY(Random& random);

// The ten sprites spread along their paths, from a generator seeded with 3232.
std::array<Sprite, kSpriteCount> SeedSprites(Random& random);

// One tick of a sprite: ageing, leaving the picture, frame ping-pong, moving or starting again at
// the origin with fresh speeds.
void AdvanceSprite(Sprite& sprite, Random& random, int clientHeight = kClientHeight);

// Scaled size of a sprite by age: full size at age 128, never below one pixel.
int ScaledSpriteWidth(int age);
int ScaledSpriteHeight(int age);

// Dot pattern r (0..15; other values are masked): x offsets from the right picture's left edge,
// all at y offset 37.
inline constexpr int kDotYOffset = 37;
inline constexpr std::array<int, 6> kDotXOffsets{28, 30, 32, 34, 36, 38};
// Bit i set: a dot at kDotXOffsets[i].
std::uint8_t DotMask(int r);

// One drawing step of a frame, in painting order.
struct DrawOp {
  Picture picture;
  int frame = 0;  // for the figure and the sprites
  int x = 0, y = 0;
  int width = 0, height = 0;  // drawn size (sprites are scaled)
  bool operator==(const DrawOp&) const = default;
};

struct FramePlan {
  std::vector<DrawOp> ops;
  std::uint8_t dots = 0;      // DotMask, relative to the right picture
  std::size_t dotsAfter = 0;  // the dots are drawn after this many ops (over the still pictures)
  bool operator==(const FramePlan&) const = default;
};

// The pixels an op covers (sprites at their drawn size).
struct Area {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Area&) const = default;
};
Area AreaOf(const DrawOp& op);
// The dots' row under the right picture.
Area DotsArea();
// Where two frames differ: the areas of the ops of either frame that the other does not draw the
// same way, and the dots when they changed. Empty when the frames are the same.
std::vector<Area> ChangedAreas(const FramePlan& before, const FramePlan& after);

// "Lock-B": background, the two end pictures, the dots, the sliding pair moving with the counter.
FramePlan PlanSlidingFrame(int counter, Random& random);

// "Lock-H" state carried from paint to paint.
struct HostScene {
  std::array<Sprite, kSpriteCount> sprites{};
  Random random{1};
  int figureFrame = 0;
};

// Seeds the scene's generator with 3232 and spreads the sprites.
void ResetHostScene(HostScene& scene);

// "Lock-H": background, right picture, dots, the figure, the sprites. Every frame planned advances
// the figure (cycling its four frames) and the sprites, whatever the counter says.
FramePlan PlanHostFrame(HostScene& scene, int clientHeight = kClientHeight);

}  // namespace vantor::animation
