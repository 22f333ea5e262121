// Host screens on Vantor.exe under Wine: control windows of the right classes in the right cells,
// hidden ones not shown, the I record clearing every page, and the page's own colour on the screen.
#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

using ScreenTest = TerminalTest;
namespace option = testing_support::option;

TEST_F(ScreenTest, FieldsOnPage1BecomeControlsOfTheirClassesInTheirCells) {
  StartConnected();
  ScreenBuilder screen;
  screen.SelectPage(1)
      .Fixed(1, 0, 0, "HELLO")
      .Define(2, 2, 3, kInputFlags, kPlainAttributes, 8)
      .Define(3, 4, 1, kInputFlags, kPlainAttributes, 6)
      .Options(3, {option::Type('B')})
      .Text(3, "OK")
      .Define(4, 5, 0, kInputFlags, kPlainAttributes, 10)
      .Options(4, {option::Type('C')})
      .Text(4, " Yes")
      .Define(5, 6, 2, kSystemFlags, kPlainAttributes, 5)
      .Define(6, 7, 4, kInputFlags, kPlainAttributes, 3)
      .Options(6, {option::Type('R')})
      .Define(7, 8, 0, kInputFlags, kPlainAttributes, 3)
      .Options(7, {option::Type('S')})
      .Define(8, 9, 0, kInputFlags, kPlainAttributes | 0x02, 6)
      .ShowPage(1)
      .FocusAndUnlock(2);
  SendScreen(screen);
  ASSERT_TRUE(WaitUnlocked());
  ASSERT_TRUE(WaitWindows([&](const WindowList& w) {
    const auto page = ShownPage(w);
    return page && ChildrenOf(w, page->handle).size() == 8;
  })) << Describe(windows_);

  // Page 1 is in front; the other fifteen pages are hidden and hold no controls.
  const auto page = ShownPage(windows_);
  ASSERT_TRUE(page.has_value());
  int hidden = 0;
  for (const WindowInfo& other : Pages(windows_)) {
    if (other.handle == page->handle) continue;
    ++hidden;
    EXPECT_FALSE(other.visible);
    EXPECT_TRUE(ChildrenOf(windows_, other.handle).empty()) << Describe(windows_);
  }
  EXPECT_EQ(hidden, 15);

  const struct {
    long long id;
    const char* className;
    int row, column, width;
  } expected[] = {{1, "VdxFixed", 0, 0, 5},       {2, "VdxEntry", 2, 3, 8},    {3, "VdxButton", 4, 1, 6},
                  {4, "VdxCheckBox", 5, 0, 10},   {5, "VdxSystem", 6, 2, 5},   {6, "VdxRadioButton", 7, 4, 3},
                  {7, "VdxSelectButton", 8, 0, 3}};
  const auto fixed = Control(windows_, 1);
  ASSERT_TRUE(fixed.has_value());
  const Cell cell{fixed->width / 5, fixed->height};
  EXPECT_EQ(fixed->width % 5, 0);
  EXPECT_GE(cell.width, 4);
  EXPECT_LE(cell.width, 24);
  EXPECT_GE(cell.height, 8);
  EXPECT_LE(cell.height, 40);
  for (const auto& e : expected) {
    const auto control = Control(windows_, e.id);
    ASSERT_TRUE(control.has_value()) << "field " << e.id << "\n" << Describe(windows_);
    EXPECT_EQ(control->className, e.className) << "field " << e.id;
    EXPECT_EQ(control->XIn(*page), e.column * cell.width) << "field " << e.id;
    EXPECT_EQ(control->YIn(*page), e.row * cell.height) << "field " << e.id;
    EXPECT_EQ(control->width, e.width * cell.width) << "field " << e.id;
    EXPECT_EQ(control->height, cell.height) << "field " << e.id;
    EXPECT_TRUE(control->visible) << "field " << e.id;
  }
  // The hidden attribute makes a control that is there but not shown.
  const auto invisible = Control(windows_, 8);
  ASSERT_TRUE(invisible.has_value());
  EXPECT_FALSE(invisible->visible);
  EXPECT_EQ(fixed->title, "HELLO");
  EXPECT_EQ(Control(windows_, 3)->title, "OK");
}

TEST_F(ScreenTest, IRecordClearsEveryPage) {
  StartConnected();
  // Each page's controls are made when the page is shown; show three pages in turn.
  for (int pageNumber : {0, 2, 1}) {
    std::string label = "PAGE ";
    label += std::to_string(pageNumber);
    SendScreen(ScreenBuilder()
                   .SelectPage(pageNumber)
                   .Fixed(1, 0, 0, label)
                   .Define(20, 2, 0, kInputFlags, kPlainAttributes, 4)
                   .ShowPage(pageNumber)
                   .FocusAndUnlock(20));
    ASSERT_TRUE(WaitWindows([&](const WindowList& w) {
      const auto title = Control(w, 1);
      return title && title->title == label && Control(w, 20);
    })) << "page " << pageNumber << "\n" << Describe(windows_);
  }
  auto controls = [&](const WindowList& w) {
    size_t count = 0;
    for (const WindowInfo& page : Pages(w)) count += ChildrenOf(w, page.handle).size();
    return count;
  };
  ASSERT_TRUE(WaitWindows([&](const WindowList& w) { return controls(w) == 6; })) << Describe(windows_);

  // An I record alone resets the screen and is answered with the bare terminator.
  ASSERT_TRUE(host_.SendRecord("I"));
  const auto answer = host_.ReadRecord(Millis(5000));
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(answer->raw, kRecordEnd);
  EXPECT_TRUE(WaitWindows([&](const WindowList& w) { return Pages(w).size() == 16 && controls(w) == 0; }))
      << Describe(windows_);
}

TEST_F(ScreenTest, PageBackgroundHasThePageColourAtAnEmptyCell) {
  StartConnected({{"ShowWaterMark", "false"}});
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Fixed(1, 0, 0, "X")
                 .Define(20, 2, 0, kInputFlags, kPlainAttributes, 6)
                 .ShowPage(0)
                 .FocusAndUnlock(20));
  const auto entry = WaitControl(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  const auto page = ShownPage(windows_);
  const auto fixed = Control(windows_, 1);
  ASSERT_TRUE(page && fixed);
  const Cell cell{fixed->width, fixed->height};
  // Row 6, column 12 holds no field.
  const int x = page->clientX + 12 * cell.width + cell.width / 2;
  const int y = page->clientY + 6 * cell.height + cell.height / 2;
  ASSERT_LT(x, main_.x + main_.width);
  ASSERT_LT(y, main_.y + main_.height);
  const Rgb pageColour{149, 178, 195};
  const auto shot = ShotWhen([&](const Image& s) { return s.At(x, y) == pageColour; });
  ASSERT_TRUE(shot.has_value()) << "no screenshot";
  EXPECT_TRUE(shot->At(x, y) == pageColour) << "at (" << x << "," << y << "): " << ToString(shot->At(x, y));
  // The entry field is painted in a colour of its own over the page.
  EXPECT_NE(shot->At(entry->x + entry->width / 2, entry->y + entry->height / 2), pageColour);
}

}  // namespace
}  // namespace vantor::e2e
