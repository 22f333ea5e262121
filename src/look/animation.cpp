// Lock indicator rules without windows: speeds, sprite ticks, dot patterns and the frame plans.
#include "look/animation.h"

#include <algorithm>
#include <cmath>

namespace vantor::animation {

namespace {

// Generous: with a working generator the first few draws succeed.
constexpr int kMaxDraws = 1000;

constexpr std::array<std::uint8_t, 16> kDotPatterns{
    0b000001,  // 28
    0b000010,  // 30
    0b000100,  // 32
    0b001000,  // 34
    0b010000,  // 36
    0b100000,  // 38
    0b100101,  // 28, 32, 38
    0b010110,  // 30, 32, 36
    0b110001,  // 28, 36, 38
    0b010101,  // 28, 32, 36
    0b001010,  // 30, 34
    0b101110,  // 30, 32, 34, 38
    0b001111,  // 28, 30, 32, 34
    0b101101,  // 28, 32, 34, 38
    0b110011,  // 28, 30, 36, 38
    0b111111,  // all six
};

void AddBackgroundRightAndDots(FramePlan& plan, Random& random) {
  plan.ops.push_back({Picture::Background, 0, 0, 0, kClientWidth, kClientHeight});
  plan.ops.push_back({Picture::Right, 0, kRightX, kRightY, 48, 54});
  plan.dots = DotMask(random.Next());
  plan.dotsAfter = plan.ops.size();
}

}  // namespace

PictureInfo InfoOf(Picture picture) {
  switch (picture) {
    case Picture::Background: return {155, 1, 200, 70};
    case Picture::Left: return {131, 1, 33, 64};
    case Picture::Right: return {132, 1, 48, 54};
    case Picture::Slide1: return {153, 1, 50, 35};
    case Picture::Slide2: return {154, 1, 52, 33};
    case Picture::Figure: return {148, 4, 64, 48};
    case Picture::Sprite: return {159, 10, kSpriteWidth, kSpriteHeight};
  }
  return {0, 0, 0, 0};
}

double DrawSpeedX(Random& random) {
  for (int i = 0; i < kMaxDraws; ++i) {
    const double speed = std::fabs(std::cos(static_cast<double>(random.Next())) * 1.5 + 1.5);
    if (speed >= 0.5) return speed;
  }
  return 0.5;
}

double DrawSpeedY(Random& random) {
  for (int i = 0; i < kMaxDraws; ++i) {
    const double speed = std::sin(static_cast<double>(random.Next()));
    if (speed >= -0.8 && speed <= 0.8) return speed;
  }
  return 0.0;
}

std::array<Sprite, kSpriteCount> SeedSprites(Random& random) {
  random.Seed(3232);
  std::array<Sprite, kSpriteCount> sprites{};
  constexpr int kSpriteStartX = kRightX + kSpriteWidth / 2;  // whole pixels
  for (int i = 0; i < kSpriteCount; ++i) {
    Sprite& s = sprites[static_cast<std::size_t>(i)];
    s.active = true;
    s.age = 12 * i;
    s.x = kSpriteStartX;
    s.y = kSpriteOriginY;
    s.frame = i & 3;
    s.frameRising = true;
    s.speedX = DrawSpeedX(random);
    s.speedY = DrawSpeedY(random);
    for (int step = 0; step < s.age; ++step) {
      s.x -= s.speedX;
      s.y += s.speedY;
    }
  }
  return sprites;
}

void AdvanceSprite(Sprite& s, Random& random, int clientHeight) {
  if (++s.age > kMaxAge) s.age = 0;
  if (s.y > clientHeight || s.y + kSpriteHeight < 0 || s.x + kSpriteWidth < 0) s.age = 0;
  if (s.frameRising) {
    if (++s.frame >= 9) {
      s.frame = 9;
      s.frameRising = false;
    }
  } else {
    if (--s.frame < 1) {
      s.frame = 0;
      s.frameRising = true;
    }
  }
  if (s.age != 0) {
    s.x -= s.speedX;
    s.y += s.speedY;
  } else {
    s.active = true;
    s.x = kSpriteOriginX;
    s.y = kSpriteOriginY;
    s.frame = 0;
    s.frameRising = true;
    s.speedX = DrawSpeedX(random);
    s.speedY = DrawSpeedY(random);
  }
}

int ScaledSpriteWidth(int age) { return std::clamp(kSpriteWidth * age / kMaxAge, 1, kSpriteWidth); }
int ScaledSpriteHeight(int age) { return std::clamp(kSpriteHeight * age / kMaxAge, 1, kSpriteHeight); }

std::uint8_t DotMask(int r) { return kDotPatterns[static_cast<std::size_t>(r & 15)]; }

FramePlan PlanSlidingFrame(int counter, Random& random) {
  FramePlan plan;
  plan.ops.reserve(5);
  plan.ops.push_back({Picture::Background, 0, 0, 0, kClientWidth, kClientHeight});
  plan.ops.push_back({Picture::Left, 0, 2, (kClientHeight - 64) / 2, 33, 64});
  plan.ops.push_back({Picture::Right, 0, kRightX, kRightY, 48, 54});
  plan.dots = DotMask(random.Next());
  plan.dotsAfter = plan.ops.size();
  plan.ops.push_back({Picture::Slide1, 0, 47 - counter, 17, 50, 35});
  plan.ops.push_back({Picture::Slide2, 0, 88 + counter, 16, 52, 33});
  return plan;
}

void ResetHostScene(HostScene& scene) {
  scene.sprites = SeedSprites(scene.random);
  scene.figureFrame = 0;
}

FramePlan PlanHostFrame(HostScene& scene, int clientHeight) {
  FramePlan plan;
  plan.ops.reserve(3 + kSpriteCount);
  AddBackgroundRightAndDots(plan, scene.random);
  scene.figureFrame = ((scene.figureFrame % 4) + 4) % 4;
  plan.ops.push_back({Picture::Figure, scene.figureFrame, kRightX - 64, (kClientHeight - 48) / 2, 64, 48});
  scene.figureFrame = (scene.figureFrame + 1) % 4;
  for (Sprite& sprite : scene.sprites) {
    AdvanceSprite(sprite, scene.random, clientHeight);
    if (!sprite.active) continue;
    plan.ops.push_back({Picture::Sprite, std::clamp(sprite.frame, 0, 9), static_cast<int>(sprite.x),
                        static_cast<int>(sprite.y), ScaledSpriteWidth(sprite.age), ScaledSpriteHeight(sprite.age)});
  }
  return plan;
}

Area AreaOf(const DrawOp& op) { return {op.x, op.y, op.x + op.width, op.y + op.height}; }

Area DotsArea() {
  return {kRightX + kDotXOffsets.front(), kRightY + kDotYOffset, kRightX + kDotXOffsets.back() + 1,
          kRightY + kDotYOffset + 1};
}

std::vector<Area> ChangedAreas(const FramePlan& before, const FramePlan& after) {
  std::vector<Area> areas;
  auto drawnIn = [](const FramePlan& plan, const DrawOp& op) {
    return std::find(plan.ops.begin(), plan.ops.end(), op) != plan.ops.end();
  };
  for (const DrawOp& op : before.ops) {
    if (!drawnIn(after, op)) areas.push_back(AreaOf(op));
  }
  for (const DrawOp& op : after.ops) {
    if (!drawnIn(before, op)) areas.push_back(AreaOf(op));
  }
  if (before.dots != after.dots || before.dotsAfter != after.dotsAfter) areas.push_back(DotsArea());
  return areas;
}

}  // namespace vantor::animation
