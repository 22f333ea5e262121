// Lock indicator rules: random source, tick counter, sprite seeding and flight, dot patterns, frame plans.
#include "look/animation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace vantor::animation {
namespace {

TEST(AnimationCounter, RunsUpToEightAndBackOneStepPerTick) {
  TickCounter counter;
  counter.value = 5;
  counter.rising = false;
  counter.Reset();
  std::vector<int> painted;
  for (int tick = 0; tick < 20; ++tick) {
    counter.Turn();
    painted.push_back(counter.value);
    counter.Step();
  }
  const std::vector<int> expected{0, 1, 2, 3, 4, 5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3};
  EXPECT_EQ(painted, expected);
}

TEST(AnimationSpeeds, StayInTheirRanges) {
  Random random(77);
  std::set<int> buckets;
  for (int i = 0; i < 2000; ++i) {
    const double x = DrawSpeedX(random);
    const double y = DrawSpeedY(random);
    ASSERT_GE(x, 0.5);
    ASSERT_LE(x, 3.0);
    ASSERT_GE(y, -0.8);
    ASSERT_LE(y, 0.8);
    buckets.insert(static_cast<int>(x * 2));
  }
  EXPECT_GE(buckets.size(), 5u) << "speeds should spread over the range";
}

Sprite Flying(double x, double y, int age) {
  Sprite s;
  s.active = true;
  s.age = age;
  s.x = x;
  s.y = y;
  s.speedX = 2.0;
  s.speedY = -0.5;
  s.frame = 4;
  s.frameRising = true;
  return s;
}

TEST(AnimationSprites, AFlyingSpriteAgesAndMovesLeft) {
  Random random(1);
  Sprite s = Flying(100, 20, 10);
  AdvanceSprite(s, random);
  EXPECT_EQ(s.age, 11);
  EXPECT_DOUBLE_EQ(s.x, 98);
  EXPECT_DOUBLE_EQ(s.y, 19.5);
  EXPECT_EQ(s.frame, 5);
  EXPECT_DOUBLE_EQ(s.speedX, 2.0);
}

TEST(AnimationSprites, LeavingThePictureOrGrowingOldStartsAgainAtTheOrigin) {
  struct Case {
    const char* why;
    Sprite sprite;
  };
  const Case cases[] = {
      {"flown out to the left", Flying(-29.5, 20, 50)},
      {"below the picture", Flying(100, 70.5, 50)},
      {"above the picture", Flying(100, -39.5, 50)},
      {"old", Flying(100, 20, 128)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Random random(42);
    Sprite s = c.sprite;
    AdvanceSprite(s, random);
    EXPECT_EQ(s.age, 0);
    EXPECT_TRUE(s.active);
    EXPECT_DOUBLE_EQ(s.x, 182);
    EXPECT_DOUBLE_EQ(s.y, 15);
    EXPECT_EQ(s.frame, 0);
    EXPECT_TRUE(s.frameRising);
    EXPECT_GE(s.speedX, 0.5);
    EXPECT_LE(s.speedX, 3.0);
    EXPECT_NE(s.speedX, 2.0);
  }
  // Just inside: still flying.
  Random random(42);
  Sprite edge = Flying(-28.5, 70, 50);
  AdvanceSprite(edge, random);
  EXPECT_EQ(edge.age, 51);
}

TEST(AnimationSprites, FramesRunUpToNineAndBack) {
  Random random(1);
  Sprite s = Flying(150, 20, 1);
  s.frame = 0;
  s.speedX = 0.5;
  s.speedY = 0;
  std::vector<int> frames;
  for (int i = 0; i < 20; ++i) {
    AdvanceSprite(s, random);
    frames.push_back(s.frame);
  }
  const std::vector<int> expected{1, 2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2};
  EXPECT_EQ(frames, expected);
}

TEST(AnimationSprites, ScaledSizeGrowsWithAgeAndNeverVanishes) {
  EXPECT_EQ(ScaledSpriteWidth(0), 1);
  EXPECT_EQ(ScaledSpriteHeight(0), 1);
  EXPECT_EQ(ScaledSpriteWidth(1), 1);
  EXPECT_EQ(ScaledSpriteWidth(64), 14);
  EXPECT_EQ(ScaledSpriteHeight(64), 19);
  EXPECT_EQ(ScaledSpriteWidth(128), 29);
  EXPECT_EQ(ScaledSpriteHeight(128), 39);
  EXPECT_EQ(ScaledSpriteWidth(500), 29);
  EXPECT_EQ(ScaledSpriteHeight(-3), 1);
}

TEST(AnimationDots, OnlyTheLowFourBitsChooseAPattern) {
  std::set<std::uint8_t> patterns;
  for (int r = 0; r < 16; ++r) {
    EXPECT_NE(DotMask(r), 0) << r;
    EXPECT_EQ(DotMask(r) >> kDotXOffsets.size(), 0) << r;  // no dot past the last place
    patterns.insert(DotMask(r));
  }
  EXPECT_EQ(patterns.size(), 16u);
  EXPECT_EQ(DotMask(16), DotMask(0));
  EXPECT_EQ(DotMask(32767), DotMask(15));
  EXPECT_EQ(DotMask(-1), DotMask(15));
}

const DrawOp* Find(const FramePlan& plan, Picture picture) {
  for (const DrawOp& op : plan.ops)
    if (op.picture == picture) return &op;
  return nullptr;
}

TEST(AnimationSlidingFrame, PairMovesApartWithTheCounter) {
  for (int c : {0, 4, 8}) {
    SCOPED_TRACE(c);
    Random random(10);
    const FramePlan plan = PlanSlidingFrame(c, random);
    ASSERT_EQ(plan.ops.size(), 5u);
    EXPECT_EQ(plan.ops[0].picture, Picture::Background);  // drawn first, under everything
    const DrawOp* left = Find(plan, Picture::Left);
    const DrawOp* right = Find(plan, Picture::Right);
    const DrawOp* one = Find(plan, Picture::Slide1);
    const DrawOp* two = Find(plan, Picture::Slide2);
    ASSERT_TRUE(left && right && one && two);
    EXPECT_EQ(std::make_pair(left->x, left->y), std::make_pair(2, 3));
    EXPECT_EQ(std::make_pair(right->x, right->y), std::make_pair(150, 8));
    EXPECT_EQ(std::make_pair(one->x, one->y), std::make_pair(47 - c, 17));
    EXPECT_EQ(std::make_pair(two->x, two->y), std::make_pair(88 + c, 16));
  }
}

TEST(AnimationHostFrame, EveryFrameAdvancesTheFigureAndTheSprites) {
  HostScene scene;
  ResetHostScene(scene);
  const auto seeded = scene.sprites;
  std::vector<int> frames;
  for (int paint = 0; paint < 6; ++paint) {
    const FramePlan plan = PlanHostFrame(scene);
    const DrawOp* figure = Find(plan, Picture::Figure);
    ASSERT_NE(figure, nullptr);
    EXPECT_EQ(std::make_pair(figure->x, figure->y), std::make_pair(86, 11));
    frames.push_back(figure->frame);
    EXPECT_EQ(std::count_if(plan.ops.begin(), plan.ops.end(), [](const DrawOp& op) { return op.picture == Picture::Sprite; }),
              kSpriteCount);
  }
  EXPECT_EQ(frames, (std::vector<int>{0, 1, 2, 3, 0, 1}));
  EXPECT_EQ(scene.sprites[1].age, seeded[1].age + 6);
  EXPECT_LT(scene.sprites[1].x, seeded[1].x);
}

TEST(AnimationFrames, DotsGoOverTheStillPicturesAndUnderWhatMoves) {
  Random random;
  HostScene scene;
  ResetHostScene(scene);
  const FramePlan sliding = PlanSlidingFrame(0, random);
  ASSERT_EQ(sliding.dotsAfter, 3u);
  EXPECT_EQ(sliding.ops[2].picture, Picture::Right);
  const FramePlan host = PlanHostFrame(scene);
  ASSERT_EQ(host.dotsAfter, 2u);
  EXPECT_EQ(host.ops[1].picture, Picture::Right);
  EXPECT_EQ(host.ops[2].picture, Picture::Figure);
}

TEST(AnimationFrames, ChangedAreasCoverWhatMovedAndNothingElse) {
  Random random;
  const FramePlan one = PlanSlidingFrame(3, random);
  FramePlan same = one;
  EXPECT_TRUE(ChangedAreas(one, same).empty());
  FramePlan moved = one;
  moved.ops[3].x += 1;  // the first sliding picture moves one pixel
  moved.dots = static_cast<std::uint8_t>(one.dots ^ 1u);
  const std::vector<Area> areas = ChangedAreas(one, moved);
  EXPECT_EQ(areas, (std::vector<Area>{AreaOf(one.ops[3]), AreaOf(moved.ops[3]), DotsArea()}));
  EXPECT_EQ(DotsArea(), (Area{178, 45, 189, 46}));
  // From nothing shown yet, everything is new.
  EXPECT_EQ(ChangedAreas(FramePlan{}, one).size(), one.ops.size() + 1);
}

TEST(AnimationHostFrame, ASpriteThatFliesOutRestartsAtTheOriginAtItsSmallest) {
  HostScene scene;
  ResetHostScene(scene);
  scene.sprites[3].x = -40;
  const auto before = scene.sprites;
  const FramePlan plan = PlanHostFrame(scene);
  std::vector<DrawOp> sprites;
  for (const DrawOp& op : plan.ops)
    if (op.picture == Picture::Sprite) sprites.push_back(op);
  ASSERT_EQ(sprites.size(), static_cast<std::size_t>(kSpriteCount));
  const DrawOp& restarted = sprites[3];
  EXPECT_EQ(std::make_pair(restarted.x, restarted.y), std::make_pair(182, 15));
  EXPECT_EQ(std::make_pair(restarted.width, restarted.height), std::make_pair(1, 1));
  EXPECT_EQ(restarted.frame, 0);
  // The sprites still in flight carry on at their grown size.
  int inFlight = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    const Sprite& b = before[i];
    if (i == 3 || b.x + kSpriteWidth < 0 || b.y > kClientHeight || b.y + kSpriteHeight < 0) continue;
    ++inFlight;
    EXPECT_GE(sprites[i].width, restarted.width) << i;
    EXPECT_EQ(sprites[i].x, static_cast<int>(b.x - b.speedX)) << i;
  }
  EXPECT_GE(inFlight, 3);
}

TEST(AnimationHostFrame, LongRunsKeepEverySpriteInsideItsBounds) {
  HostScene scene;
  ResetHostScene(scene);
  TickCounter counter;
  for (int tick = 0; tick < 3000; ++tick) {
    counter.Turn();
    const FramePlan plan = PlanHostFrame(scene);
    counter.Step();
    for (const DrawOp& op : plan.ops) {
      if (op.picture != Picture::Sprite) continue;
      ASSERT_GE(op.frame, 0);
      ASSERT_LE(op.frame, 9);
      ASSERT_GE(op.width, 1);
      ASSERT_LE(op.width, kSpriteWidth);
      ASSERT_GE(op.height, 1);
      ASSERT_LE(op.height, kSpriteHeight);
      // A sprite is restarted before it is drawn entirely outside the picture.
      ASSERT_GT(op.x + kSpriteWidth, -kSpriteWidth) << tick;
      ASSERT_LE(op.y, kClientHeight + 1) << tick;
    }
  }
}

}  // namespace
}  // namespace vantor::animation
