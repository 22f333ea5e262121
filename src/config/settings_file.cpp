// The settings file "Vantor.ini": the token-based reader and the fixed-order writer.
#include "config/settings.h"

namespace vantor {

bool CSettings::ReadSettings() { return false; }

bool CSettings::WriteSettings() const { return false; }

std::string CSettings::SettingsText() const { return {}; }

void CSettings::ApplySettingsText(std::string_view) {}

}  // namespace vantor
