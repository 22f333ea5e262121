// Tests of the button family's geometry, colours, value rules and key handling.
#include "look/drawn_controls.h"

#include <gtest/gtest.h>

#include "field_helpers.h"

#include <climits>
#include <memory>
#include <string>

#include "model/field.h"
#include "model/function_keys.h"
#include "model/page.h"

namespace vantor {
namespace {

TEST(DrawnGradients, EmptyForNoHeight) {
  EXPECT_TRUE(GradientTable(kFaceLight, kFaceDark, 0).empty());
  EXPECT_TRUE(GradientTable(kFaceLight, kFaceDark, -5).empty());
  EXPECT_TRUE(SteepGradientTable(kFaceLight, kFaceDark, -1).empty());
}

TEST(DrawnButton, OutlineLeavesCornersOpen) {
  const auto lines = OutlineSegments(0, 0, 10, 6);
  EXPECT_EQ(lines[0], (Segment{{1, 0}, {9, 0}, kOutlineColour}));
  EXPECT_EQ(lines[1], (Segment{{9, 1}, {9, 5}, kOutlineColour}));
  EXPECT_EQ(lines[2], (Segment{{1, 5}, {9, 5}, kOutlineColour}));
  EXPECT_EQ(lines[3], (Segment{{0, 1}, {0, 5}, kOutlineColour}));
  // Lines stop before their last point: no corner pixel (0,0), (9,0), (0,5), (9,5) is ever reached.
  for (const Segment& s : lines) {
    for (Point corner : {Point{0, 0}, Point{9, 0}, Point{0, 5}, Point{9, 5}}) EXPECT_NE(s.from, corner);
  }
}

TEST(DrawnButton, NormalAndPressedFacesMirrorEachOther) {
  const auto table = ButtonTable(0, 6);
  const Face normal = ButtonFace(0, 0, 10, 6, table, table, false);
  const Face pressed = ButtonFace(0, 0, 10, 6, table, table, true);
  ASSERT_EQ(normal.rows.size(), 4u);
  ASSERT_EQ(pressed.rows.size(), 4u);
  EXPECT_EQ(normal.rows[0], (FaceRow{Box{1, 1, 9, 2}, table[0]}));
  EXPECT_EQ(normal.rows[3].colour, table[3]);
  EXPECT_EQ(pressed.rows[0].colour, table[5]);
  EXPECT_EQ(pressed.rows[3], (FaceRow{Box{1, 4, 9, 5}, table[2]}));
  ASSERT_EQ(normal.edges.size(), 2u);
  EXPECT_EQ(normal.edges[0], (Segment{{1, 1}, {1, 4}, table[0]}));
  EXPECT_EQ(normal.edges[1], (Segment{{8, 4}, {8, 1}, table[3]}));
  EXPECT_EQ(pressed.edges[0].colour, table[3]);
  EXPECT_EQ(pressed.edges[1].colour, table[1]);
}

TEST(DrawnButton, CheckedSelectButtonTakesRowsFromTheSteepTable) {
  const auto first = GradientTable(kFaceLight, kFaceDark, 8);
  const auto second = SteepGradientTable(kFaceLight, kFaceDark, 8);
  const Face face = ButtonFace(0, 0, 20, 8, second, first, true);
  ASSERT_EQ(face.rows.size(), 6u);
  EXPECT_EQ(face.rows[0].colour, second[7]);
  EXPECT_EQ(face.rows[5].colour, second[2]);
  EXPECT_EQ(face.edges[0].colour, first[5]);
  EXPECT_EQ(face.edges[1].colour, first[1]);
}

TEST(DrawnButton, NarrowButtonRowsAreAtLeastOnePixelWide) {
  const auto table = ButtonTable(0, 5);
  const Face face = ButtonFace(0, 0, 2, 5, table, table, false);
  ASSERT_FALSE(face.rows.empty());
  EXPECT_EQ(face.rows[0].box.right - face.rows[0].box.left, 1);
}

TEST(DrawnButton, UnderThreePixelsHighDrawsNoFace) {
  for (int height : {-1, 0, 1, 2}) {
    const auto table = ButtonTable(0, height);
    const Face face = ButtonFace(0, 0, 30, height, table, table, false);
    EXPECT_TRUE(face.rows.empty()) << height;
    EXPECT_TRUE(face.edges.empty()) << height;
  }
  // A short table never indexes past its end.
  const auto shortTable = ButtonTable(0, 2);
  EXPECT_TRUE(ButtonFace(0, 0, 30, 10, shortTable, shortTable, true).rows.empty());
}

TEST(DrawnFocus, DashesAreTwoPixelsEveryFour) {
  const auto dashes = DashedRun({1, 1}, {11, 1}, kBlack);
  ASSERT_EQ(dashes.size(), 3u);
  EXPECT_EQ(dashes[0], (Segment{{1, 1}, {3, 1}, kBlack}));
  EXPECT_EQ(dashes[1], (Segment{{5, 1}, {7, 1}, kBlack}));
  EXPECT_EQ(dashes[2], (Segment{{9, 1}, {11, 1}, kBlack}));
  const auto up = DashedRun({4, 9}, {4, 6}, kWhite);
  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0], (Segment{{4, 9}, {4, 7}, kWhite}));
  EXPECT_TRUE(DashedRun({0, 0}, {5, 5}, kBlack).empty());
  EXPECT_TRUE(DashedRun({3, 3}, {3, 3}, kBlack).empty());
}

// The last pixel a segment paints (its end point is excluded).
Point LastPixel(const Segment& s) {
  auto step = [](int from, int to) { return to > from ? -1 : (to < from ? 1 : 0); };
  return Point{s.to.x + step(s.from.x, s.to.x), s.to.y + step(s.from.y, s.to.y)};
}

TEST(DrawnFocus, RectanglesStayInsideTheirArea) {
  for (const Segment& s : ButtonFocusDashes(0, 0, 40, 16)) {
    for (Point p : {s.from, LastPixel(s)}) {
      EXPECT_GE(p.x, 1);
      EXPECT_LE(p.x, 38);
      EXPECT_GE(p.y, 1);
      EXPECT_LE(p.y, 14);
    }
  }
  const Box client{0, 0, 30, 12};
  const auto box = BoxFocusDashes(client, kWhite);
  ASSERT_FALSE(box.empty());
  EXPECT_EQ(box.front(), (Segment{{0, 0}, {2, 0}, kWhite}));
  for (const Segment& s : box) {
    for (Point p : {s.from, LastPixel(s)}) {
      EXPECT_GE(p.x, 0);
      EXPECT_LE(p.x, 29);
      EXPECT_GE(p.y, 0);
      EXPECT_LE(p.y, 11);
    }
  }
}

TEST(DrawnMarks, RightAlignedRadioButtonPlacesCircleAndLabel) {
  const Box client{0, 0, 80, 12};
  const int cell = CellWidthFor(client, 10);
  const int s = MarkSizeFor(cell, 1, client);
  const Box mark = MarkBoxFor(client, s, true, false);
  EXPECT_EQ(mark, (Box{70, 2, 78, 10}));
  const Box label = LabelBoxFor(client, cell, true);
  EXPECT_EQ(label, (Box{0, 0, 64, 12}));
  EXPECT_EQ(MarkBoxFor(client, s, false, false), (Box{1, 2, 8, 10}));
  EXPECT_EQ(LabelBoxFor(client, cell, false), (Box{16, 0, 80, 12}));
}

TEST(DrawnMarks, CheckBoxMarkSitsOneLower) {
  const Box client{0, 0, 80, 12};
  EXPECT_EQ(MarkBoxFor(client, 8, false, true).top, MarkBoxFor(client, 8, false, false).top + 1);
}

TEST(DrawnMarks, CheckFrameInteriorAndTick) {
  const Box mark{1, 3, 9, 11};  // s = 8
  const auto frame = CheckFrameSegments(mark, 8);
  ASSERT_EQ(frame.size(), 8u);
  EXPECT_EQ(frame[0], (Segment{{1, 2}, {8, 2}, kFrameDark}));
  EXPECT_EQ(frame[3], (Segment{{2, 3}, {2, 9}, kBlack}));
  EXPECT_EQ(frame[4], (Segment{{8, 2}, {8, 11}, kWhite}));
  EXPECT_EQ(frame[7], (Segment{{7, 9}, {1, 9}, kFrameLight}));
  const auto interior = CheckInteriorSegments(mark, 8, false);
  ASSERT_EQ(interior.size(), 5u);
  EXPECT_EQ(interior[0], (Segment{{3, 4}, {6, 4}, kWhite}));
  EXPECT_EQ(CheckInteriorSegments(mark, 8, true)[0].colour, kFrameLight);
  EXPECT_TRUE(CheckInteriorSegments(mark, 2, false).empty());
  const auto tick = TickPolygon(mark, 8);
  EXPECT_EQ(tick[0], (Point{9, 3}));
  EXPECT_EQ(tick[1], (Point{5, 10}));
  EXPECT_EQ(tick[2], (Point{1, 6}));
  EXPECT_EQ(tick[3], (Point{3, 4}));
  EXPECT_EQ(tick[4], (Point{5, 6}));
  EXPECT_EQ(tick[5], tick[0]);
}

TEST(DrawnMarks, RadioDisksShrinkUntilTheTableOrMarkEnds) {
  const Box mark{1, 0, 13, 12};
  const auto checked = RadioDisks(mark, 12, 12, 12, true);
  ASSERT_FALSE(checked.empty());
  EXPECT_EQ(checked[0], (Disk{Box{3, 2, 11, 10}, 2}));  // (12 - 1) / 4
  EXPECT_EQ(checked[1], (Disk{Box{4, 3, 10, 9}, 3}));
  for (const Disk& d : checked) EXPECT_FALSE(d.box.Empty());
  EXPECT_EQ(checked.size(), 4u);  // the fifth would have no width
  const auto unchecked = RadioDisks(mark, 12, 12, 12, false);
  EXPECT_EQ(unchecked[0].entry, 3);  // (12 - 1) / 3
  EXPECT_TRUE(RadioDisks(mark, 12, 2, 12, true).empty());
  EXPECT_TRUE(RadioDisks(mark, 0, 12, 0, true).empty());
  EXPECT_EQ(RadioDot(mark), (Box{4, 3, 10, 9}));
}

std::unique_ptr<Field> NewField(int type, int mode, std::u16string_view text, int maxLength = 20) {
  auto field = std::make_unique<Field>(7, 1, 0, 10, nullptr);
  field->type = static_cast<std::uint8_t>(type);
  field->flags = static_cast<std::uint8_t>(mode);
  field->SetMaxLength(maxLength);
  field->SetText(text);
  return field;
}

TEST(DrawnLabels, EachKindShowsItsPart) {
  EXPECT_EQ(LabelOf(ButtonKind::Button, u"XSave", 10), u"XSave");
  EXPECT_EQ(LabelOf(ButtonKind::CheckBox, u"XYes", 10), u"Yes");
  EXPECT_EQ(LabelOf(ButtonKind::SelectButton, u" Fast", 10), u"Fast");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, u"X\x7F\x7FRed", 10), u"Red");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, u" Blue and more", 4), u"Blue");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, std::u16string(u" ab\0cd", 6), 10), u"ab");
  EXPECT_EQ(LabelOf(ButtonKind::CheckBox, u"", 10), u"");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, u"X\x7F", -3), u"");
}

TEST(DrawnRules, CheckBoxToggleFlipsTheFirstCharacter) {
  auto boxPtr = NewField(kTypeCheckBox, kModeInput, u" Yes");
  Field& box = *boxPtr;
  ASSERT_TRUE(ToggleValue(box));
  EXPECT_EQ(box.Text(), u"XYes");
  EXPECT_EQ(box.checked, 1);
  EXPECT_EQ(box.modified, 1);
  box.modified = 0;
  ASSERT_TRUE(ToggleValue(box));
  EXPECT_EQ(box.Text(), u" Yes");
  EXPECT_EQ(box.checked, 0);
  EXPECT_EQ(box.modified, 1);
  // Any character other than "X" reads as unchecked.
  auto oddPtr = NewField(kTypeCheckBox, kModeInput, u"xNo");
  Field& odd = *oddPtr;
  ToggleValue(odd);
  EXPECT_EQ(odd.Text(), u"XNo");
}

TEST(DrawnRules, ToggleOfAnEmptyOrRoomlessRecord) {
  auto emptyPtr = NewField(kTypeSelectButton, kModeInput, u"");
  Field& empty = *emptyPtr;
  ASSERT_TRUE(ToggleValue(empty));
  EXPECT_EQ(empty.Text(), u"X");
  auto roomlessPtr = NewField(kTypeCheckBox, kModeInput, u"", 0);
  Field& roomless = *roomlessPtr;
  EXPECT_FALSE(ToggleValue(roomless));
  EXPECT_EQ(roomless.modified, 0);
  EXPECT_EQ(roomless.Text(), u"");
  auto oneCellPtr = NewField(kTypeCheckBox, kModeInput, u"", 1);  // room for the mark alone
  ASSERT_TRUE(ToggleValue(*oneCellPtr));
  EXPECT_EQ(oneCellPtr->Text(), u"X");
}

TEST(DrawnRules, RadioGroupIsEveryRadioButtonOfThePage) {
  Page page(0, kDefaultPageBackground);
  auto add = [&](int id, int type, std::u16string_view text) -> Field& {
    Field& f = testing_support::AddField(page.Fields(), id, id, 0, 10);
    f.type = static_cast<std::uint8_t>(type);
    f.flags = kModeInput;
    f.SetMaxLength(10);
    f.SetText(text);
    return f;
  };
  Field& first = add(1, kTypeRadioButton, u" One");
  Field& second = add(2, kTypeRadioButton, u"XTwo");
  Field& third = add(3, kTypeRadioButton, u" Three");
  Field& box = add(4, kTypeCheckBox, u"XBox");
  const auto changed = SelectRadio(third);
  ASSERT_EQ(changed.size(), 2u);
  EXPECT_EQ(changed[0], &third);
  EXPECT_EQ(changed[1], &second);
  EXPECT_EQ(first.Text(), u" One");
  EXPECT_EQ(second.Text(), u" Two");
  EXPECT_EQ(third.Text(), u"XThree");
  EXPECT_EQ(first.modified, 0);
  EXPECT_EQ(second.modified, 1);
  EXPECT_EQ(third.modified, 1);
  EXPECT_EQ(box.Text(), u"XBox");  // check boxes are not in the group
  EXPECT_EQ(box.modified, 0);
  third.modified = 0;
  second.modified = 0;
  EXPECT_TRUE(SelectRadio(third).empty());
  EXPECT_EQ(third.modified, 0);
  EXPECT_EQ(second.modified, 0);
}

TEST(DrawnRules, AutoSendReportsTheFieldThenEnterAsCodeZero) {
  auto boxPtr = NewField(kTypeCheckBox, kModeInput, u" Yes");
  Field& box = *boxPtr;
  EXPECT_TRUE(ChangeNotices(box).empty());
  box.flags |= kFlagAutoSend;
  const auto notices = ChangeNotices(box);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0], (Notice{Notice::FieldChanged, 7}));
  EXPECT_EQ(notices[1], (Notice{Notice::Key, 0}));
}

using R = ButtonKeyResult;

TEST(DrawnKeys, DisplayModeBoxesAcceptOnlyEnter) {
  for (ButtonKind kind : {ButtonKind::CheckBox, ButtonKind::RadioButton}) {
    EXPECT_EQ(ButtonKey(kind, false, kVkReturn, {false, false, false}, true), (R{R::Key, 0}));
    EXPECT_EQ(ButtonKey(kind, false, kVkReturn, {false, false, false}, false), (R{R::Navigate, 1}));
    EXPECT_EQ(ButtonKey(kind, false, kVkSpace, {false, false, false}, true), R{});
    EXPECT_EQ(ButtonKey(kind, false, kVkTab, {false, false, false}, true), R{});
    EXPECT_EQ(ButtonKey(kind, false, 112, {false, false, false}, true), R{});
  }
  // Push and select buttons in display mode still take Tab and the function keys.
  EXPECT_EQ(ButtonKey(ButtonKind::Button, false, kVkTab, {false, false, false}, true), (R{R::Navigate, 1}));
  EXPECT_EQ(ButtonKey(ButtonKind::SelectButton, false, 113, {false, false, false}, true), (R{R::Key, 2}));
  EXPECT_EQ(ButtonKey(ButtonKind::SelectButton, false, kVkSpace, {false, false, false}, true), R{});
}

TEST(DrawnKeys, SpaceActsByClass) {
  EXPECT_EQ(ButtonKey(ButtonKind::CheckBox, true, kVkSpace, {false, false, false}, true), (R{R::Toggle, 0}));
  EXPECT_EQ(ButtonKey(ButtonKind::SelectButton, true, kVkSpace, {false, false, false}, true), (R{R::Toggle, 0}));
  EXPECT_EQ(ButtonKey(ButtonKind::RadioButton, true, kVkSpace, {false, false, false}, true), (R{R::Select, 0}));
  EXPECT_EQ(ButtonKey(ButtonKind::Button, true, kVkSpace, {false, false, false}, true), R{});
}

TEST(DrawnKeys, TabArrowsAndEnter) {
  const ButtonKind k = ButtonKind::CheckBox;
  EXPECT_EQ(ButtonKey(k, true, kVkTab, {false, false, false}, false), (R{R::Navigate, 1}));
  EXPECT_EQ(ButtonKey(k, true, kVkTab, {false, true, false}, false), (R{R::Navigate, -1}));
  EXPECT_EQ(ButtonKey(k, true, kVkTab, {true, true, false}, false), R{});
  EXPECT_EQ(ButtonKey(k, true, kVkTab, {false, false, true}, false), R{});
  EXPECT_EQ(ButtonKey(k, true, kVkLeft, {false, false, false}, false), (R{R::Navigate, -1}));
  EXPECT_EQ(ButtonKey(k, true, kVkUp, {false, false, false}, false), (R{R::Navigate, -1}));
  EXPECT_EQ(ButtonKey(k, true, kVkRight, {false, false, false}, false), (R{R::Navigate, 1}));
  EXPECT_EQ(ButtonKey(k, true, kVkDown, {false, false, false}, false), (R{R::Navigate, 1}));
  EXPECT_EQ(ButtonKey(ButtonKind::Button, true, kVkReturn, {false, false, false}, true), (R{R::Key, 0}));
  EXPECT_EQ(ButtonKey(ButtonKind::Button, true, kVkReturn, {false, false, false}, false), (R{R::Navigate, 1}));
  EXPECT_EQ(ButtonKey(k, true, 'A', {false, false, false}, true), R{});
}

// The codes themselves are the shared function key rules; here which buttons take them.
TEST(DrawnKeys, FunctionKeysAndDeviceKeys) {
  EXPECT_EQ(ButtonKey(ButtonKind::RadioButton, true, 112, {false, true, false}, true), (R{R::Key, 11}));
  EXPECT_EQ(ButtonKey(ButtonKind::Button, true, '3', {true, false, false}, true), (R{R::Key, 23}));
  EXPECT_EQ(ButtonKey(ButtonKind::CheckBox, true, 242, {false, false, false}, true), (R{R::Key, 27}));
  EXPECT_EQ(ButtonKey(ButtonKind::Button, true, 242, {false, false, false}, true), R{});
}

}  // namespace
}  // namespace vantor
