// Registration of the control and page window classes with the window procedure of each.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <array>

#include "model/control_class_table.h"

namespace vantor {

// The class atoms in registration order (VdxEntry, VdxFixed, VdxSystem, VdxButton, VdxSelectButton,
// VdxCheckBox, VdxRadioButton, VdxCPage); 0 for a class that could not be registered.
using ControlClassAtoms = std::array<ATOM, kRegisteredClassCount>;

// Registers the eight classes in order with the control class parameters.
ControlClassAtoms RegisterControlClasses(HINSTANCE instance);
// Unregisters every class whose atom is non-zero and clears the atoms.
void UnregisterControlClasses(HINSTANCE instance, ControlClassAtoms& atoms);

// The window procedure of each control class.
LRESULT CALLBACK EntryWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK FixedWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK SystemWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK ButtonWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK SelectButtonWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK CheckBoxWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK RadioButtonWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace vantor
