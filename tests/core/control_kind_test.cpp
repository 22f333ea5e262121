// Which kind of control shows a record, and which controls take the focus.
#include "model/control_kind.h"

#include <gtest/gtest.h>

#include "field_helpers.h"

namespace vantor {
namespace {

TEST(ControlKindTest, ModeAndTypeChooseTheKind) {
  using K = ControlKind;
  struct Row {
    int mode, type;
    ControlKind kind;
  };
  const Row rows[] = {
      {1, 0, K::Fixed},        {3, 0, K::Entry},         {1, 1, K::Button},      {3, 1, K::Button},
      {1, 3, K::SelectButton}, {3, 3, K::SelectButton},  {1, 4, K::CheckBox},    {3, 4, K::CheckBox},
      {1, 5, K::RadioButton},  {3, 5, K::RadioButton},   {2, 0, K::System},      {2, 5, K::System},
      {0, 0, K::None},         {0, 1, K::None},          {3, 2, K::None},        {1, 6, K::None},
      {2, 255, K::None},       {3, -1, K::None},         {4, 0, K::None},        {-1, 0, K::None},
  };
  for (const Row& r : rows) EXPECT_EQ(ControlKindFor(r.mode, r.type), r.kind) << r.mode << "," << r.type;
}

TEST(ControlKindTest, ButtonsAndNonSerialEntriesTakeTheFocus) {
  FieldList list(nullptr);
  Field& entry = testing_support::AddField(list, 1, 0, 0, 5);
  entry.flags = kModeInput;
  EXPECT_TRUE(TakesFocus(entry));
  entry.serial = 1;
  EXPECT_FALSE(TakesFocus(entry));
  Field& text = testing_support::AddField(list, 2, 0, 0, 5);
  text.flags = kModeDisplay;
  EXPECT_FALSE(TakesFocus(text));
  text.type = kTypeCheckBox;  // a display-mode check box is engraved but still takes the focus
  EXPECT_TRUE(TakesFocus(text));
  text.flags = kModeSystem;
  EXPECT_FALSE(TakesFocus(text));
}

}  // namespace
}  // namespace vantor
