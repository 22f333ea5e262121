// Lock indicator rules: tick counter, frame plans and what they repaint.
#include "look/animation.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace vantor::animation {
namespace {

TEST(AnimationTest, CounterRunsUpToEightAndBackOneStepPerTick) {
  TickCounter counter{5, false};
  counter.Reset();
  std::vector<int> painted;
  for (int tick = 0; tick < 20; ++tick) {
    counter.Turn();
    painted.push_back(counter.value);
    counter.Step();
  }
  EXPECT_EQ(painted, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3}));
}

TEST(AnimationTest, SlidingPairMovesApartWithTheCounterOverTheDotsAndOnlyWhatMovesIsRepainted) {
  for (int c : {0, 4, 8}) {
    Random random(10);
    const FramePlan plan = PlanSlidingFrame(c, random);
    std::vector<std::tuple<Picture, int, int>> placed;
    for (const DrawOp& op : plan.ops) placed.emplace_back(op.picture, op.x, op.y);
    EXPECT_EQ(placed, (std::vector<std::tuple<Picture, int, int>>{{Picture::Background, 0, 0},
                                                                  {Picture::Left, 2, 3},
                                                                  {Picture::Right, 150, 8},
                                                                  {Picture::Slide1, 47 - c, 17},
                                                                  {Picture::Slide2, 88 + c, 16}}))
        << c;
    EXPECT_EQ(plan.dotsAfter, 3u);  // over the still pictures, under what moves
  }
  Random random;
  const FramePlan one = PlanSlidingFrame(3, random);
  EXPECT_TRUE(ChangedAreas(one, one).empty());
  FramePlan moved = one;
  moved.ops[3].x += 1;  // the first sliding picture moves one pixel
  moved.dots = static_cast<std::uint8_t>(one.dots ^ 1u);
  EXPECT_EQ(ChangedAreas(one, moved), (std::vector<Area>{{44, 17, 94, 52}, {45, 17, 95, 52}, {178, 45, 189, 46}}));
  EXPECT_EQ(ChangedAreas(FramePlan{}, one).size(), one.ops.size() + 1);  // from nothing shown, everything is new
}

TEST(AnimationTest, HostFrameAdvancesTheFigureAndTheSprites) {
  HostScene scene;
  ResetHostScene(scene);
  scene.sprites[3].x = -40;  // flown out: restarts at the origin at its smallest
  const Sprite second = scene.sprites[1];
  std::vector<int> figures;
  for (int paint = 0; paint < 6; ++paint) {
    const FramePlan plan = PlanHostFrame(scene);
    ASSERT_EQ(plan.ops.size(), 3u + kSpriteCount);
    EXPECT_EQ(std::make_tuple(plan.dotsAfter, plan.ops[2].picture, plan.ops[2].x),
              std::make_tuple(2u, Picture::Figure, 86));
    figures.push_back(plan.ops[2].frame);
    if (paint > 0) continue;
    EXPECT_EQ(plan.ops[3 + 3], (DrawOp{Picture::Sprite, 0, 182, 15, 1, 1}));
    // The second sprite, seeded at frame 1 rising and age 12, carries on at its grown size.
    EXPECT_EQ(std::make_tuple(plan.ops[3 + 1].frame, plan.ops[3 + 1].width, plan.ops[3 + 1].x),
              std::make_tuple(2, 2, static_cast<int>(second.x - second.speedX)));
  }
  EXPECT_EQ(figures, (std::vector<int>{0, 1, 2, 3, 0, 1}));
  EXPECT_EQ(scene.sprites[1].age, second.age + 6);
}

}  // namespace
}  // namespace vantor::animation
