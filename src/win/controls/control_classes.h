// Registration of the control and page window classes with the window procedure of each.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <array>

#include "model/control_kind.h"

namespace vantor {

// The classes in registration order: the seven control classes, then the page.
inline constexpr int kRegisteredClassCount = 8;
// The class atoms in registration order; 0 for a class that could not be registered.
using ControlClassAtoms = std::array<ATOM, kRegisteredClassCount>;

// Registers the eight classes in order with the control class parameters.
ControlClassAtoms RegisterControlClasses(HINSTANCE instance);
// Unregisters every class whose atom is non-zero and clears the atoms.
void UnregisterControlClasses(HINSTANCE instance, ControlClassAtoms& atoms);

// The class that shows a record of this kind; null for ControlKind::None.
const wchar_t* ControlClassName(ControlKind kind);

}  // namespace vantor
