// Which kind of control shows a field record.
#include "model/control_kind.h"

namespace vantor {

ControlKind ControlKindFor(int mode, int type) {
  if (mode <= 0 || mode > 3) return ControlKind::None;
  switch (type) {
    case kTypeText:
      return mode == kModeSystem ? ControlKind::System : mode == kModeDisplay ? ControlKind::Fixed : ControlKind::Entry;
    case kTypeButton: return mode == kModeSystem ? ControlKind::System : ControlKind::Button;
    case kTypeSelectButton: return mode == kModeSystem ? ControlKind::System : ControlKind::SelectButton;
    case kTypeCheckBox: return mode == kModeSystem ? ControlKind::System : ControlKind::CheckBox;
    case kTypeRadioButton: return mode == kModeSystem ? ControlKind::System : ControlKind::RadioButton;
    default: return ControlKind::None;
  }
}

bool TakesFocus(const Field& field) {
  switch (ControlKindOf(field)) {
    case ControlKind::Entry: return !field.IsSerial();
    case ControlKind::Button:
    case ControlKind::SelectButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: return true;
    default: return false;
  }
}

}  // namespace vantor
