// Registration of the control and page window classes, each with the window procedure of its class.
#include "win/controls/control_classes.h"

#include "win/base/app_support.h"
#include "win/base/class_names.h"
#include "win/controls/button_controls.h"
#include "win/controls/entry_field.h"
#include "win/controls/fixed_text.h"
#include "win/controls/page_window.h"
#include "win/controls/system_line.h"

namespace vantor {

namespace {

template <ButtonKind kKind>
LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return ButtonFamilyProc(window, message, wparam, lparam, kKind);
}

struct ClassEntry {
  const wchar_t* name;
  WNDPROC procedure;
};
constexpr ClassEntry kClasses[kRegisteredClassCount] = {
    {kEntryClass, EntryFieldProc},
    {kFixedClass, FixedTextProc},
    {kSystemClass, SystemLineProc},
    {kButtonClass, ButtonProc<ButtonKind::Button>},
    {kSelectButtonClass, ButtonProc<ButtonKind::SelectButton>},
    {kCheckBoxClass, ButtonProc<ButtonKind::CheckBox>},
    {kRadioButtonClass, ButtonProc<ButtonKind::RadioButton>},
    {kPageClass, PageWindowProc},
};

}  // namespace

const wchar_t* ControlClassName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Entry: return kEntryClass;
    case ControlKind::Fixed: return kFixedClass;
    case ControlKind::System: return kSystemClass;
    case ControlKind::Button: return kButtonClass;
    case ControlKind::SelectButton: return kSelectButtonClass;
    case ControlKind::CheckBox: return kCheckBoxClass;
    case ControlKind::RadioButton: return kRadioButtonClass;
    case ControlKind::None: break;
  }
  return nullptr;
}

ControlClassAtoms RegisterControlClasses(HINSTANCE instance) {
  ControlClassAtoms atoms{};
  for (int i = 0; i < kRegisteredClassCount; ++i) {
    atoms[static_cast<std::size_t>(i)] = RegisterControlClass(kClasses[i].name, kClasses[i].procedure, instance);
  }
  return atoms;
}

void UnregisterControlClasses(HINSTANCE instance, ControlClassAtoms& atoms) {
  for (int i = 0; i < kRegisteredClassCount; ++i) {
    ATOM& atom = atoms[static_cast<std::size_t>(i)];
    if (atom != 0) UnregisterClassW(kClasses[i].name, instance);
    atom = 0;
  }
}

}  // namespace vantor
