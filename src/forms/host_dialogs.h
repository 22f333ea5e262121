// What the Login and About dialogs decide and show, apart from their windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

class Settings;

// The fixed access code of administrator mode.
inline constexpr std::u16string_view kAccessCode = u"604817";

struct LoginOutcome {
  bool admin = false;
  std::u16string_view message;  // "Terminal UnLocked" / "Terminal Locked"
  std::u16string_view caption;  // "Admin Mode" / "User Mode"
};

// Compares the typed code with the access code, exactly; anything else (empty included) is user mode.
LoginOutcome CheckAccessCode(std::u16string_view typed);
// Sets `KorvathAdminMode` from the code and returns what the operator is told.
LoginOutcome ApplyLogin(Settings& settings, std::u16string_view typed);

// The About text: name, "Version: a.b.c.d" from the two 32-bit version numbers (high half first),
// and the copyright line, separated by CR LF.
std::u16string AboutText(std::u16string_view name, std::uint32_t versionMs, std::uint32_t versionLs);

inline constexpr std::u16string_view kCopyrightLine = u"Copyright (C) Vantor developers";

}  // namespace vantor
