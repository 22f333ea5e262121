// Which class shows a record, and where its window goes on the page.
#include "model/control_class_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vantor {
namespace {

std::u16string NameFor(int mode, int type) {
  const char16_t* name = ControlClassName(ControlClassFor(mode, type));
  return name != nullptr ? name : u"";
}

TEST(ControlClassTableTest, DisplayAndInputModesChooseByType) {
  EXPECT_EQ(NameFor(1, 0), u"VdxFixed");
  EXPECT_EQ(NameFor(3, 0), u"VdxEntry");
  for (int mode : {1, 3}) {
    EXPECT_EQ(NameFor(mode, 1), u"VdxButton");
    EXPECT_EQ(NameFor(mode, 3), u"VdxSelectButton");
    EXPECT_EQ(NameFor(mode, 4), u"VdxCheckBox");
    EXPECT_EQ(NameFor(mode, 5), u"VdxRadioButton");
  }
}

TEST(ControlClassTableTest, SystemModeIsAlwaysTheSystemLineAndModeZeroNoWindow) {
  for (int type : {0, 1, 3, 4, 5}) {
    EXPECT_EQ(NameFor(2, type), u"VdxSystem") << type;
    EXPECT_EQ(ControlClassFor(0, type), ControlClass::None) << type;
  }
}

TEST(ControlClassTableTest, TypesOutsideTheTableGetNoWindow) {
  for (int mode : {1, 2, 3}) {
    for (int type : {2, 6, 255, -1}) EXPECT_EQ(ControlClassFor(mode, type), ControlClass::None) << mode << type;
  }
  EXPECT_EQ(ControlClassName(ControlClass::None), nullptr);
}

TEST(ControlClassTableTest, EveryControlClassIsRegisteredBeforeThePage) {
  std::set<std::u16string> registered;
  for (int i = 0; i < kRegisteredClassCount - 1; ++i) registered.insert(RegisteredClassName(i));
  for (int c = static_cast<int>(ControlClass::Entry); c <= static_cast<int>(ControlClass::RadioButton); ++c)
    EXPECT_EQ(registered.count(ControlClassName(static_cast<ControlClass>(c))), 1u) << c;
  EXPECT_EQ(registered.size(), 7u);
  EXPECT_EQ(std::u16string(RegisteredClassName(kRegisteredClassCount - 1)), u"VdxCPage");
  EXPECT_EQ(RegisteredClassName(-1), nullptr);
  EXPECT_EQ(RegisteredClassName(kRegisteredClassCount), nullptr);
}

TEST(ControlClassTableTest, BoxIsInCells) {
  EXPECT_EQ(ControlBoxFor(4, 3, 7, 9, 16), (ControlBox{36, 48, 63, 16}));
  EXPECT_EQ(ControlBoxFor(0, 0, 0, 9, 16), (ControlBox{0, 0, 0, 16}));
}

TEST(ControlClassTableTest, HostileSizesSaturateInsteadOfWrapping) {
  const ControlBox wide = ControlBoxFor(207, 207, 43263, 1000000, 1000000);
  EXPECT_EQ(wide.x, 207000000);
  EXPECT_EQ(wide.width, 2147483647);
  EXPECT_EQ(wide.height, 1000000);
  const ControlBox negative = ControlBoxFor(-5, -1, -3, 10, 12);
  EXPECT_EQ(negative.x, -50);
  EXPECT_EQ(negative.y, -12);
  EXPECT_EQ(negative.width, 0);
}

}  // namespace
}  // namespace vantor
