// The host-side screen builder writes exactly the bytes of each command.
#include "screen_builder.h"

#include <gtest/gtest.h>

namespace vantor::testing_support {
namespace {

TEST(ScreenBuilder, NumberEncodings) {
  EXPECT_EQ(ShortNumber(0), "0");
  EXPECT_EQ(ShortNumber(207), "\xFF");
  EXPECT_EQ(ShortNumber(-1), "/");
  EXPECT_EQ(LongNumber(207), "\xFF");
  EXPECT_EQ(LongNumber(208), "!10");
  EXPECT_EQ(LongNumber(210), "!12");
  EXPECT_EQ(LongNumber(43263), "!\xFF\xFF");
  EXPECT_EQ(LongNumber(99999), "!\xFF\xFF");
}

TEST(ScreenBuilder, FieldCommands) {
  EXPECT_EQ(ScreenBuilder().Fixed(5, 2, 3, "abcd").Commands(), "f5234abcd");
  EXPECT_EQ(ScreenBuilder().Input(1, 4, 0, 10).Commands(), "i140C@:");
  EXPECT_EQ(ScreenBuilder().Define(2, 0, 0, 'A', 'D', 210).Commands(), "i200AD!12");
  EXPECT_EQ(ScreenBuilder().Text(3, "hi").Commands(), "u32hi");
  EXPECT_EQ(ScreenBuilder().Prefix(4, 13, "PX").Commands(), "y4=2PX");
  EXPECT_EQ(ScreenBuilder().Attributes(4, 'C', 'D').Commands(), "+4CD");
  EXPECT_EQ(ScreenBuilder().SerialFlags(4, '1').Commands(), "b41");
  EXPECT_EQ(ScreenBuilder().ClearField(1).ClearInputFields().DeleteField(2).ErasePage().CopyText(1, 2).Commands(),
            "c1Ce2Ek12");
}

TEST(ScreenBuilder, FieldOptions) {
  using namespace option;
  EXPECT_EQ(ScreenBuilder().Options(7, {Type('S'), Centred()}).Commands(), "w70@AS@M");
  EXPECT_EQ(ScreenBuilder().Options(7, {MaxLength(2000), Selected(true), CheckSize(2), Recreate(), Letter('F')}).Commands(),
            "w70@B07D0@H1@S2@P@F");
  EXPECT_EQ(ScreenBuilder().Options(1, {MaxLengthDigits("0x7d")}, 5).Commands(), "w15@B0x7d");
}

TEST(ScreenBuilder, PageFocusDialogAndDeviceCommands) {
  EXPECT_EQ(ScreenBuilder().SelectPage(1).ShowPage(1).Focus(3).FocusAndUnlock(-1).Lock().Commands(), "s1d1@3o/l");
  EXPECT_EQ(ScreenBuilder().MessageAt(2, "Hi").Message("Yo").Prompt(5, "Qty").Commands(), "a22HiA2Yoh53Qty");
  EXPECT_EQ(ScreenBuilder().KeyLabel(3, "SAVE").Sound().Commands(), "S34SAVE#");
  EXPECT_EQ(ScreenBuilder().ScannerEnable(1).UserSound(2).DeviceValues(1, 2, 210).Commands(), "Ze1Zs2Zv12!12");
  EXPECT_EQ(ScreenBuilder().SerialOut(2, "abc").FontStep(1).StatusRequest().SendFields(4).Commands(),
            ">023abcF1!W4");
}

TEST(ScreenBuilder, IgnoredCommandsHaveTheirShapes) {
  EXPECT_EQ(ScreenBuilder().Ignored('B').Ignored('K').Ignored('p', "x").Commands(), "BK0px0");
  EXPECT_EQ(ScreenBuilder().Ignored('D', "abc").Commands(), "Dabc00000000");
  EXPECT_EQ(ScreenBuilder().Ignored('$', "ab").Ignored('j', "c").Ignored('L', "").Commands(), "$2abj01cL000");
  EXPECT_EQ(ScreenBuilder().Ignored('v', "ab").Ignored('M', std::string(208, 'q')).Commands().substr(0, 8),
            "v02abM!1");
  EXPECT_EQ(ScreenBuilder().Ignored('P', "xyz").Ignored('Q', "", 'Q').Commands(), "PxyzBQQ");
}

TEST(ScreenBuilder, RecordFormsAndWireEscaping) {
  ScreenBuilder b;
  b.Focus(207);
  EXPECT_EQ(b.Record(), std::string("H@\xFF\xFF\xEF", 5));
  EXPECT_EQ(b.RecordData(), "H@\xFF");
  EXPECT_EQ(b.Wire(), std::string("H@\xFF\xFF\xFF\xEF", 6));
  EXPECT_EQ(EscapeForWire("\xFF\xFF"), "\xFF\xFF\xFF\xFF");
}

}  // namespace
}  // namespace vantor::testing_support
