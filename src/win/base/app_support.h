// Small Win32 services the windows share: text conversion, module directory, settings path, control
// class registration, common controls, resource strings, dialog centring, the scanner hook.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

namespace vantor {

// UTF-16 text of the core as the Win32 API's wide text and back (both are 16-bit units here).
inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}
inline std::u16string FromWide(const std::wstring& text) { return FromWide(text.data(), text.size()); }

// The program's directory without a trailing backslash ("\" when the path has none); false when the
// module path cannot be read. Paths longer than MAX_PATH are read in full.
bool ModuleDirectory(std::u16string* directory);
// The directory followed by "\Vantor.ini"; false when the module path cannot be read.
bool SettingsPath(std::u16string* path);

// Registers a control window class: CS_HREDRAW | CS_VREDRAW, icon 176, arrow cursor, no background
// brush, no menu. Returns the class atom, 0 on failure.
ATOM RegisterControlClass(const wchar_t* className, WNDPROC procedure, HINSTANCE instance);

// Registers the common control classes the program uses (bars, up-down spin buttons).
void InitAppCommonControls();

// A string resource (at most 100 units, as the title and class name are kept); empty when missing.
std::wstring LoadResourceString(HINSTANCE instance, UINT id);

// The text of a window (an edit box, a static) in full.
std::wstring WindowText(HWND window);

// Centres a dialog over its owner's client area (over the desktop without an owner), kept inside
// the work area of the owner's monitor.
void CentreDialogOverOwner(HWND dialog);

// Switches the device's bar-code scanner; this platform has none: does nothing, returns its argument.
bool EnableScanner(bool enable);

}  // namespace vantor
