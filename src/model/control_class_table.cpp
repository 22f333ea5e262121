// Which window class shows a field record.
#include "model/control_class_table.h"

namespace vantor {

namespace {

constexpr const char16_t* kClassNames[kRegisteredClassCount] = {
    u"VdxEntry", u"VdxFixed", u"VdxSystem", u"VdxButton", u"VdxSelectButton", u"VdxCheckBox", u"VdxRadioButton",
    u"VdxCPage",
};

}  // namespace

ControlClass ControlClassFor(int mode, int type) {
  if (mode == 0 || mode < 0 || mode > 3) return ControlClass::None;
  switch (type) {
    case 0:
    case 1:
    case 3:
    case 4:
    case 5:
      break;
    default:
      return ControlClass::None;
  }
  if (mode == 2) return ControlClass::System;
  switch (type) {
    case 1: return ControlClass::Button;
    case 3: return ControlClass::SelectButton;
    case 4: return ControlClass::CheckBox;
    case 5: return ControlClass::RadioButton;
    default: return mode == 1 ? ControlClass::Fixed : ControlClass::Entry;
  }
}

const char16_t* ControlClassName(ControlClass controlClass) {
  switch (controlClass) {
    case ControlClass::Entry: return kClassNames[0];
    case ControlClass::Fixed: return kClassNames[1];
    case ControlClass::System: return kClassNames[2];
    case ControlClass::Button: return kClassNames[3];
    case ControlClass::SelectButton: return kClassNames[4];
    case ControlClass::CheckBox: return kClassNames[5];
    case ControlClass::RadioButton: return kClassNames[6];
    case ControlClass::None: break;
  }
  return nullptr;
}

const char16_t* RegisteredClassName(int index) {
  return index >= 0 && index < kRegisteredClassCount ? kClassNames[index] : nullptr;
}

}  // namespace vantor

namespace vantor {

namespace {

int Saturate(long long value) {
  if (value > 0x7FFFFFFFLL) return 0x7FFFFFFF;
  if (value < -0x7FFFFFFFLL - 1) return -0x7FFFFFFF - 1;
  return static_cast<int>(value);
}

}  // namespace

ControlBox ControlBoxFor(int column, int row, int width, int cellWidth, int cellHeight) {
  ControlBox box;
  box.x = Saturate(static_cast<long long>(column) * cellWidth);
  box.y = Saturate(static_cast<long long>(row) * cellHeight);
  box.width = Saturate(static_cast<long long>(width) * cellWidth);
  box.height = cellHeight;
  if (box.width < 0) box.width = 0;
  if (box.height < 0) box.height = 0;
  return box;
}

}  // namespace vantor
