// Registration of the control and page window classes, each with the window procedure of its class.
#include "win/controls/control_classes.h"

#include "win/base/app_support.h"
#include "win/controls/button_controls.h"
#include "win/controls/entry_field.h"
#include "win/controls/fixed_text.h"
#include "win/controls/page_window.h"
#include "win/controls/system_line.h"

namespace vantor {

LRESULT CALLBACK EntryWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return EntryFieldProc(window, message, wparam, lparam);
}
LRESULT CALLBACK FixedWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return FixedTextProc(window, message, wparam, lparam);
}
LRESULT CALLBACK SystemWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return SystemLineProc(window, message, wparam, lparam);
}
LRESULT CALLBACK ButtonWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return ButtonFamilyProc(window, message, wparam, lparam, ButtonKind::Button);
}
LRESULT CALLBACK SelectButtonWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return ButtonFamilyProc(window, message, wparam, lparam, ButtonKind::SelectButton);
}
LRESULT CALLBACK CheckBoxWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return ButtonFamilyProc(window, message, wparam, lparam, ButtonKind::CheckBox);
}
LRESULT CALLBACK RadioButtonWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return ButtonFamilyProc(window, message, wparam, lparam, ButtonKind::RadioButton);
}

ControlClassAtoms RegisterControlClasses(HINSTANCE instance) {
  static constexpr WNDPROC kProcedures[kRegisteredClassCount] = {
      EntryWindowProc,       FixedWindowProc,    SystemWindowProc,      ButtonWindowProc,
      SelectButtonWindowProc, CheckBoxWindowProc, RadioButtonWindowProc, PageWindowProc,
  };
  ControlClassAtoms atoms{};
  for (int i = 0; i < kRegisteredClassCount; ++i) {
    atoms[static_cast<std::size_t>(i)] = RegisterControlClass(
        reinterpret_cast<const wchar_t*>(RegisteredClassName(i)), kProcedures[i], instance);
  }
  return atoms;
}

void UnregisterControlClasses(HINSTANCE instance, ControlClassAtoms& atoms) {
  for (int i = 0; i < kRegisteredClassCount; ++i) {
    ATOM& atom = atoms[static_cast<std::size_t>(i)];
    if (atom != 0) UnregisterClassW(reinterpret_cast<const wchar_t*>(RegisteredClassName(i)), instance);
    atom = 0;
  }
}

}  // namespace vantor
