// Access code check and About text of the Login and About dialogs.
#include "forms/host_dialogs.h"

#include <cstdio>

#include "settings/settings.h"

namespace vantor {

LoginOutcome CheckAccessCode(std::u16string_view typed) {
  if (typed == kAccessCode) return LoginOutcome{true, u"Terminal UnLocked", u"Admin Mode"};
  return LoginOutcome{false, u"Terminal Locked", u"User Mode"};
}

LoginOutcome ApplyLogin(Settings& settings, std::u16string_view typed) {
  const LoginOutcome outcome = CheckAccessCode(typed);
  settings.SetAdminMode(outcome.admin);
  return outcome;
}

std::u16string AboutText(std::u16string_view name, std::uint32_t versionMs, std::uint32_t versionLs) {
  char version[64];
  std::snprintf(version, sizeof version, "Version: %u.%u.%u.%u", static_cast<unsigned>(versionMs >> 16),
                static_cast<unsigned>(versionMs & 0xFFFF), static_cast<unsigned>(versionLs >> 16),
                static_cast<unsigned>(versionLs & 0xFFFF));
  std::u16string text(name);
  text += u"\r\n";
  for (const char* c = version; *c != '\0'; ++c) text += static_cast<char16_t>(*c);
  text += u"\r\n";
  text += kCopyrightLine;
  return text;
}

}  // namespace vantor
