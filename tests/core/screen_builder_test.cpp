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

TEST(ScreenBuilder, FieldOptions) {
  using namespace option;
  EXPECT_EQ(ScreenBuilder().Options(7, {Type('S'), Centred()}).Commands(), "w70@AS@M");
  EXPECT_EQ(ScreenBuilder().Options(7, {MaxLength(2000), Selected(true), CheckSize(2), Recreate(), Letter('F')}).Commands(),
            "w70@B07D0@H1@S2@P@F");
  EXPECT_EQ(ScreenBuilder().Options(1, {MaxLengthDigits("0x7d")}, 5).Commands(), "w15@B0x7d");
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
