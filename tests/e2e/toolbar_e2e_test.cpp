// The toolbar of Vantor.exe on the virtual display: the host's key labels bind and free its buttons,
// taps send their keys, and "toolbarsize" chooses its size or leaves it out.
#include <array>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

constexpr int kSave = 0, kBack = 1, kExit = 2, kNext = 3, kClear = 4;
constexpr Rgb kFace{191, 191, 191};
constexpr Rgb kBevelLight{230, 230, 230};
constexpr long long kSize3x = 1021;  // the Screen Options radio button

// A greyed picture blends every pixel half-way to grey 191, so no channel falls below 95; the
// coloured pictures all have darker pixels.
bool Coloured(const Rgb& c) { return c.r < 90 || c.g < 90 || c.b < 90; }

int ColouredPixels(const Image& shot, const WindowInfo& button) {
  int count = 0;
  for (int y = button.clientY + 2; y < button.clientY + button.clientHeight - 2; ++y)
    for (int x = button.clientX + 2; x < button.clientX + button.clientWidth - 2; ++x) count += Coloured(shot.At(x, y));
  return count;
}

// The top edge of an enabled button is the bevel's light ring; a disabled one is plain face there.
Rgb TopEdge(const Image& shot, const WindowInfo& button) { return shot.At(button.clientX + 1, button.clientY); }

class ToolbarEndToEnd : public TerminalTest {
 protected:
  std::optional<WindowInfo> Bar(const WindowList& windows) const {
    for (const WindowInfo& w : ChildrenOf(windows, main_.handle))
      if (w.className == "VdxCToolBar") return w;
    return std::nullopt;
  }

  // The five buttons of the bar by their control id; false unless all five are there.
  bool Buttons(const WindowList& windows, std::array<WindowInfo, 5>& buttons) const {
    const auto bar = Bar(windows);
    if (!bar) return false;
    int found = 0;
    for (const WindowInfo& w : ChildrenOf(windows, bar->handle)) {
      if (w.className != "VdxCToolBarButton" || w.id < 0 || w.id >= 5) continue;
      buttons[static_cast<size_t>(w.id)] = w;
      ++found;
    }
    return found == 5;
  }

  // Waits until every button's enabled state is as given; the buttons are then in buttons_.
  bool WaitEnabled(const std::array<bool, 5>& enabled) {
    return WaitWindows([&](const WindowList& windows) {
      if (!Buttons(windows, buttons_)) return false;
      for (size_t i = 0; i < 5; ++i)
        if (buttons_[i].enabled != enabled[i]) return false;
      return true;
    });
  }

  // A screenshot once the button at `index` is drawn the way `enabled` says (painting follows the
  // state change, so a shot may come a moment early).
  std::optional<Image> ShotWhenDrawn(int index, bool enabled) {
    const WindowInfo& button = buttons_[static_cast<size_t>(index)];
    return ShotWhen([&](const Image& shot) {
      return enabled ? TopEdge(shot, button) == kBevelLight && ColouredPixels(shot, button) > 0
                     : TopEdge(shot, button) == kFace && ColouredPixels(shot, button) == 0;
    });
  }

  void ShowReceivingScreen() {
    SendScreen(ScreenBuilder()
                   .SelectPage(0)
                   .Fixed(1, 0, 0, "Goods receiving")
                   .Fixed(2, 2, 0, "Item")
                   .Define(20, 3, 0, kInputFlags, kPlainAttributes, 12)
                   .Text(20, "4711-02")
                   .Fixed(3, 5, 0, "NEXT: next item")
                   .ShowPage(0)
                   .FocusAndUnlock(20));
    ASSERT_TRUE(WaitControl(20).has_value()) << Describe(windows_);
  }

  // Starts with the given "toolbarsize", binds SAVE, EXIT and NEXT, and checks the bar, its buttons,
  // the page below it and the bar's drawing.
  void CheckBar(const char* setting, int barHeight, int buttonSize, const std::array<int, 5>& buttonX) {
    StartConnected({{"toolbarsize", setting}});
    ShowReceivingScreen();
    SendScreen(ScreenBuilder().KeyLabel(1, "SAVE").KeyLabel(4, "NEXT").KeyLabel(8, "EXIT"));
    ASSERT_TRUE(WaitEnabled({true, false, true, true, false})) << Describe(windows_);

    const auto bar = Bar(windows_);
    ASSERT_TRUE(bar.has_value());
    EXPECT_EQ(bar->XIn(main_), 0);
    EXPECT_EQ(bar->YIn(main_), 0);
    EXPECT_EQ(bar->width, main_.clientWidth);
    EXPECT_EQ(bar->height, barHeight);
    for (size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(buttons_[i].XIn(*bar), buttonX[i]) << "button " << i;
      EXPECT_EQ(buttons_[i].YIn(*bar), 4) << "button " << i;
      EXPECT_EQ(buttons_[i].width, buttonSize) << "button " << i;
      EXPECT_EQ(buttons_[i].height, buttonSize) << "button " << i;
    }
    const auto page = ShownPage(windows_);
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->YIn(main_), barHeight);
    EXPECT_EQ(page->height, main_.clientHeight - barHeight);

    // The bar's own drawing: its edge lines left of the first button, its last row dark.
    const auto shot = ShotWhenDrawn(kExit, true);
    ASSERT_TRUE(shot.has_value());
    EXPECT_EQ(shot->At(bar->clientX + 1, bar->clientY), (Rgb{140, 140, 140}));
    EXPECT_EQ(shot->At(bar->clientX + 1, bar->clientY + barHeight / 2), kFace);
    EXPECT_EQ(shot->At(bar->clientX + 1, bar->clientY + barHeight - 1), (Rgb{64, 64, 64}));
    EXPECT_EQ(TopEdge(*shot, buttons_[kExit]), kBevelLight);
    EXPECT_EQ(TopEdge(*shot, buttons_[kBack]), kFace);
  }

  std::array<WindowInfo, 5> buttons_;
};

TEST_F(ToolbarEndToEnd, HostLabelEnablesNextAndItsTapSendsTheLabelledCode) {
  StartConnected();
  ShowReceivingScreen();
  ASSERT_TRUE(WaitEnabled({false, false, false, false, false})) << Describe(windows_);
  auto shot = ShotWhenDrawn(kNext, false);
  ASSERT_TRUE(shot.has_value());
  EXPECT_EQ(TopEdge(*shot, buttons_[kNext]), kFace) << "no bevel before the host defines the key";
  EXPECT_EQ(ColouredPixels(*shot, buttons_[kNext]), 0) << "greyed picture before the host defines the key";

  SendScreen(ScreenBuilder().KeyLabel(7, "NEXT").KeyLabel(1, "SAVE"));
  ASSERT_TRUE(WaitEnabled({true, false, false, true, false})) << Describe(windows_);
  shot = ShotWhenDrawn(kNext, true);
  ASSERT_TRUE(shot.has_value());
  EXPECT_EQ(TopEdge(*shot, buttons_[kNext]), kBevelLight);
  EXPECT_GT(ColouredPixels(*shot, buttons_[kNext]), 10) << "the coloured picture once enabled";
  EXPECT_EQ(TopEdge(*shot, buttons_[kBack]), kFace) << "BACK stays disabled";
  EXPECT_EQ(ColouredPixels(*shot, buttons_[kBack]), 0);
  EXPECT_TRUE(SaveDocPicture("toolbar", main_.x, main_.y, main_.width, main_.height));

  ASSERT_TRUE(TapCentre(buttons_[kNext])) << probe_.LastError();
  const std::string key = NextBody();
  EXPECT_EQ(key.rfind(KeyResponse(7, 20), 0), 0u) << key;
  EXPECT_TRUE(WaitFor([&] { return KeyboardState() == 2; }, Millis(3000)));
  // One key per screen: while the host holds the screen a second tap goes nowhere.
  ASSERT_TRUE(TapCentre(buttons_[kNext])) << probe_.LastError();
  EXPECT_TRUE(host_.NothingArrives(Millis(1000))) << "a tap while locked sent a second key";

  // The same letters in lower case match no label, so the button holding code 7 is freed.
  SendScreen(ScreenBuilder().KeyLabel(7, "next").FocusAndUnlock(20));
  ASSERT_TRUE(WaitUnlocked());
  ASSERT_TRUE(WaitEnabled({true, false, false, false, false})) << Describe(windows_);
  shot = ShotWhenDrawn(kNext, false);
  ASSERT_TRUE(shot.has_value());
  EXPECT_EQ(TopEdge(*shot, buttons_[kNext]), kFace);
  EXPECT_EQ(ColouredPixels(*shot, buttons_[kNext]), 0);
  ASSERT_TRUE(TapCentre(buttons_[kNext])) << probe_.LastError();
  EXPECT_TRUE(host_.NothingArrives(Millis(1500))) << "a disabled button sends nothing";

  // The terminal still answers taps: SAVE keeps its binding.
  ASSERT_TRUE(TapCentre(buttons_[kSave])) << probe_.LastError();
  const std::string save = NextBody();
  EXPECT_EQ(save.rfind(KeyResponse(1, 20), 0), 0u) << save;
}

TEST_F(ToolbarEndToEnd, ReleaseAwayFromThePressedButtonStillSendsItsKey) {
  StartConnected();
  ShowReceivingScreen();
  SendScreen(ScreenBuilder().KeyLabel(9, "EXIT"));
  ASSERT_TRUE(WaitEnabled({false, false, true, false, false})) << Describe(windows_);
  const WindowInfo& exitButton = buttons_[kExit];
  ASSERT_TRUE(probe_.MouseDown(exitButton.clientX + 5, exitButton.clientY + 5)) << probe_.LastError();
  const auto page = ShownPage(windows_);
  ASSERT_TRUE(page.has_value());
  ASSERT_TRUE(probe_.MouseUp(page->clientX + 20, page->clientY + page->clientHeight - 20)) << probe_.LastError();
  const std::string key = NextBody();
  EXPECT_EQ(key.rfind(KeyResponse(9, 20), 0), 0u) << key;
}

// A screen reset by the host's I record keeps the bindings; a label for a code that an earlier
// button still carries by default frees that button and leaves the named one alone.
TEST_F(ToolbarEndToEnd, BindingsOutliveTheResetAndAnEarlierCodeHolderIsFreed) {
  StartConnected();
  ShowReceivingScreen();
  SendScreen(ScreenBuilder().KeyLabel(1, "SAVE").KeyLabel(2, "CLEAR"));
  ASSERT_TRUE(WaitEnabled({true, false, false, false, true})) << Describe(windows_);

  ASSERT_TRUE(host_.SendRecord("I"));
  EXPECT_EQ(NextBody(), "") << "the I record is answered with the empty record";
  // A menu screen without an input field: no focus field.
  SendScreen(ScreenBuilder().SelectPage(0).Fixed(1, 0, 0, "Main menu").ShowPage(0).FocusAndUnlock(-1));
  ASSERT_TRUE(WaitUnlocked());
  ASSERT_TRUE(WaitEnabled({true, false, false, false, true})) << Describe(windows_);

  // SAVE carries code 1, so "NEXT" for code 1 stops at SAVE.
  SendScreen(ScreenBuilder().KeyLabel(1, "NEXT"));
  ASSERT_TRUE(WaitEnabled({false, false, false, false, true})) << Describe(windows_);
  ASSERT_TRUE(TapCentre(buttons_[kClear])) << probe_.LastError();
  EXPECT_EQ(NextBody(), "RF2/") << "the key with no focus field";
}

// The bar spans the client area whatever the window's width; the buttons keep their places.
TEST_F(ToolbarEndToEnd, ResizedMainWindowStretchesTheBarAndKeepsTheButtons) {
  StartConnected({{"toolbarsize", "1"}});
  ShowReceivingScreen();
  for (const int width : {300, 200}) {
    ASSERT_TRUE(probe_.Move(main_.handle, main_.x, main_.y, width, main_.height)) << probe_.LastError();
    std::optional<WindowInfo> bar;
    ASSERT_TRUE(WaitWindows([&](const WindowList& windows) {
      bar = Bar(windows);
      const auto page = ShownPage(windows);
      return main_.width == width && bar && bar->width == main_.clientWidth && page &&
             page->width == main_.clientWidth && Buttons(windows, buttons_);
    })) << "width " << width << "\n" << Describe(windows_);
    EXPECT_EQ(bar->height, 43);
    EXPECT_EQ(buttons_[kClear].XIn(*bar), 176);
    EXPECT_EQ(ShownPage(windows_)->YIn(main_), 43);
  }
}

TEST_F(ToolbarEndToEnd, NegativeSizeBuildsNoBarAndThePageStartsAtTheTop) {
  StartConnected({{"toolbarsize", "-1"}});
  ShowReceivingScreen();
  ASSERT_TRUE(WaitWindows([&](const WindowList& windows) {
    const auto page = ShownPage(windows);
    return page && page->YIn(main_) == 0;
  })) << Describe(windows_);
  EXPECT_TRUE(OfClass(windows_, "VdxCToolBar").empty()) << Describe(windows_);
  EXPECT_TRUE(OfClass(windows_, "VdxCToolBarButton").empty());
  const auto page = ShownPage(windows_);
  ASSERT_TRUE(page.has_value());
  EXPECT_EQ(page->XIn(main_), 0);
  EXPECT_EQ(page->height, main_.clientHeight);
  // Labels without a toolbar are stored and change nothing on screen.
  SendScreen(ScreenBuilder().KeyLabel(4, "NEXT").FocusAndUnlock(20));
  ASSERT_TRUE(WaitUnlocked());
  EXPECT_TRUE(terminal_.Running());
}

// Screen Options confirmed with another size: the main window builds a new bar, lays the page out
// below it, and every button waits for the host's labels again.
TEST_F(ToolbarEndToEnd, ScreenOptionsRebuildTheBarWithEveryButtonFreed) {
  StartConnected({{"KorvathAdminMode", "true"}});
  ShowReceivingScreen();
  SendScreen(ScreenBuilder().KeyLabel(1, "SAVE").KeyLabel(4, "NEXT"));
  ASSERT_TRUE(WaitEnabled({true, false, false, true, false})) << Describe(windows_);

  const auto dialog = OpenFromFileMenu("s", "Screen Options");
  ASSERT_TRUE(dialog.has_value()) << "no Screen Options\n" << Describe(windows_);
  const auto large = Item(*dialog, kSize3x);
  ASSERT_TRUE(large.has_value());
  ASSERT_TRUE(probe_.Tap(large->x + 6, large->y + large->height / 2)) << probe_.LastError();
  ASSERT_TRUE(WaitFor([&] { return CheckState(*dialog, kSize3x) == 1; }, Millis(3000), Millis(100)));
  ASSERT_TRUE(TapItem(*dialog, 1)) << probe_.LastError();
  ASSERT_TRUE(Gone("Screen Options"));
  EXPECT_EQ(Ini("toolbarsize"), "2");

  ASSERT_TRUE(WaitWindows([&](const WindowList& windows) {
    const auto bar = Bar(windows);
    const auto page = ShownPage(windows);
    return bar && bar->height == 59 && page && page->YIn(main_) == 59 && Buttons(windows, buttons_);
  })) << Describe(windows_);
  EXPECT_EQ(OfClass(windows_, "VdxCToolBar").size(), 1u) << "the old bar is gone";
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_FALSE(buttons_[i].enabled) << "button " << i;
    EXPECT_EQ(buttons_[i].width, 52) << "button " << i;
  }

  // The new bar binds again when the host labels its keys again.
  SendScreen(ScreenBuilder().KeyLabel(6, "NEXT").FocusAndUnlock(20));
  ASSERT_TRUE(WaitEnabled({false, false, false, true, false})) << Describe(windows_);
  ASSERT_TRUE(WaitUnlocked());
  ASSERT_TRUE(TapCentre(buttons_[kNext])) << probe_.LastError();
  const std::string key = NextBody();
  EXPECT_EQ(key.rfind(KeyResponse(6, 20), 0), 0u) << key;
}

TEST_F(ToolbarEndToEnd, SizeOutsideTheTableBuildsTheSmallBar) {
  CheckBar("5", 27, 20, {4, 31, 58, 85, 112});
}

// The last large button starts at the window's right edge and is clipped away.
TEST_F(ToolbarEndToEnd, SizeTwoBuildsTheLargeBar) {
  CheckBar("2", 59, 52, {4, 63, 122, 181, 240});
  EXPECT_TRUE(SaveDocPicture("toolbar-large", main_.x, main_.y, main_.width, main_.height));
}

}  // namespace
}  // namespace vantor::e2e
