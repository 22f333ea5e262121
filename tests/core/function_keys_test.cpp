// Tests of the function key code numbering shared by the page, the controls and the main window.
#include "model/function_keys.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

constexpr unsigned kF3 = 114;

KeyAction Code(int code) { return {KeyAction::Code, code}; }
const KeyAction kNothing{};
const KeyAction kNavigate{KeyAction::Navigate, 0};

KeyAction Press(unsigned vk, bool ctrl = false, bool shift = false, bool alt = false) {
  return FunctionKeyAction(vk, {ctrl, shift, alt}, true, KeyOrigin::Control);
}

TEST(FunctionKeysTest, FunctionKeysWithShiftAndCtrl) {
  EXPECT_EQ(Press(kF3, true, true), Code(23));  // Ctrl wins over Shift
  EXPECT_EQ(Press(kVkF1), Code(1));
  EXPECT_EQ(Press(kVkF1, false, true), Code(11));
  EXPECT_EQ(Press(122), Code(11));  // F11 alone equals Shift+F1
  EXPECT_EQ(Press(kVkF24), Code(24));
  EXPECT_EQ(Press(kVkF24, false, true), Code(34));
  EXPECT_EQ(Press(kVkF24, true), Code(44));
  EXPECT_EQ(Press(kF3, false, false, true), Code(3));  // Alt changes nothing for F-keys
}

TEST(FunctionKeysTest, CtrlWithADigitActsAsAFunctionKeyWithCtrl) {
  EXPECT_EQ(Press('1', true), Code(21));
  EXPECT_EQ(Press('9', true), Code(29));
  EXPECT_EQ(Press('0', true), Code(30));
  // Only with Ctrl alone.
  EXPECT_EQ(Press('4'), kNothing);
  EXPECT_EQ(Press('4', true, true), kNothing);
  EXPECT_EQ(Press('4', true, false, true), kNothing);
}

TEST(FunctionKeysTest, DeviceKeys240To245) {
  EXPECT_EQ(Press(240), Code(25));
  EXPECT_EQ(Press(245), Code(30));
  EXPECT_EQ(Press(239), kNothing);
  EXPECT_EQ(Press(246), kNothing);
}

TEST(FunctionKeysTest, OtherKeysGiveNothing) {
  for (unsigned vk : {0u, 8u, 9u, 27u, 65u, 90u, 111u, 136u, 255u, 0xFFFFFFFFu}) {
    EXPECT_EQ(Press(vk), kNothing) << vk;
    EXPECT_EQ(Press(vk, true), kNothing) << vk;
  }
}

TEST(FunctionKeysTest, EnterDependsOnTheSettingAndWhereItWasPressed) {
  for (KeyOrigin origin : {KeyOrigin::Control, KeyOrigin::Page, KeyOrigin::MainWindow}) {
    EXPECT_EQ(FunctionKeyAction(kVkReturn, {false, false, false}, true, origin), Code(0));
  }
  EXPECT_EQ(FunctionKeyAction(kVkReturn, {false, false, false}, false, KeyOrigin::Control), kNavigate);
  EXPECT_EQ(FunctionKeyAction(kVkReturn, {false, false, false}, false, KeyOrigin::Page), kNothing);
  EXPECT_EQ(FunctionKeyAction(kVkReturn, {false, false, false}, false, KeyOrigin::MainWindow), kNothing);
}

}  // namespace
}  // namespace vantor
