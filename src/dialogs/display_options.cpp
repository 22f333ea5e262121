// Rules of the Scanner, Screen, Field and Font options dialogs.
#include "dialogs/display_options.h"

#include <algorithm>
#include <string>

#include "config/setting_rules.h"
#include "config/settings.h"

namespace vantor {

namespace {

std::u16string Decimal(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

}  // namespace

// ---- Scanner Options ----------------------------------------------------------------------------

ScannerOptionsForm ScannerOptionsFrom(const CSettings& settings) {
  ScannerOptionsForm form;
  form.callbackMode = settings.ScannerModeCallBack();
  form.appendEnter = settings.scannerappendenter();
  form.appendF0 = settings.scannerappendf0();
  form.overwriteFields = settings.scanneroverwritefield();
  return form;
}

ScannerOptionsForm OpenScannerOptions(CSettings& settings) {
  settings.ReadSettings();
  return ScannerOptionsFrom(settings);
}

void ApplyScannerOptions(const ScannerOptionsForm& form, CSettings& settings) {
  settings.set_scannerappendenter(form.appendEnter);
  settings.set_scannerappendf0(form.appendF0);
  settings.set_scanneroverwritefield(form.overwriteFields);
  settings.set_ScannerModeCallBack(form.callbackMode);
}

// ---- Screen Options -----------------------------------------------------------------------------

ToolbarChoice ToolbarChoiceFor(int toolbarsize) {
  // Every negative size means no toolbar; showing it as "Size 1x" would build one on an unchanged OK.
  if (toolbarsize < 0) return ToolbarChoice::kDisabled;
  switch (toolbarsize) {
    case 1:
      return ToolbarChoice::kSize2x;
    case 2:
      return ToolbarChoice::kSize3x;
    default:
      return ToolbarChoice::kSize1x;
  }
}

int ToolbarSizeFor(ToolbarChoice choice) {
  switch (choice) {
    case ToolbarChoice::kDisabled:
      return -1;
    case ToolbarChoice::kSize2x:
      return 1;
    case ToolbarChoice::kSize3x:
      return 2;
    case ToolbarChoice::kSize1x:
    case ToolbarChoice::kNone:
      return 0;
  }
  return 0;
}

ScreenOptionsForm ScreenOptionsFrom(const CSettings& settings) {
  ScreenOptionsForm form;
  form.fullScreen = settings.fullscreen();
  form.customColors = settings.CustomColorMode();
  form.showWaterMark = settings.ShowWaterMark();
  form.waterMarkText = settings.WaterMarkText();
  form.cols = Decimal(settings.screencols());
  form.rows = Decimal(settings.screenrows());
  form.toolbar = ToolbarChoiceFor(settings.toolbarsize());
  return form;
}

ScreenOptionsForm OpenScreenOptions(CSettings& settings) {
  settings.ReadSettings();
  return ScreenOptionsFrom(settings);
}

void ApplyScreenOptions(const ScreenOptionsForm& form, CSettings& settings) {
  settings.set_screensize(ReadUnsignedDecimal(form.cols), ReadUnsignedDecimal(form.rows));
  settings.set_toolbarsize(ToolbarSizeFor(form.toolbar));
  settings.set_fullscreen(form.fullScreen);
  settings.set_CustomColorMode(form.customColors);
  settings.set_ShowWaterMark(form.showWaterMark);
  settings.set_WaterMarkText(form.waterMarkText);
}

// ---- Field Options ------------------------------------------------------------------------------

FieldOptionsForm FieldOptionsFrom(const CSettings& settings) {
  FieldOptionsForm form;
  form.enterToF0 = settings.fieldentertof0();
  form.overwrite = settings.fieldedit();
  form.numerics = settings.fieldnumericvalue();
  return form;
}

FieldOptionsForm OpenFieldOptions(CSettings& settings) {
  settings.ReadSettings();
  return FieldOptionsFrom(settings);
}

void ApplyFieldOptions(const FieldOptionsForm& form, CSettings& settings) {
  settings.set_fieldentertof0(form.enterToF0);
  settings.set_fieldedit(form.overwrite);
  settings.set_fieldnumericvalue(form.numerics);
}

// ---- Font Options -------------------------------------------------------------------------------

FontOptionsForm FontOptionsFrom(const CSettings& settings) {
  FontOptionsForm form;
  form.fontName = settings.fontname();
  form.pointSize = Decimal(settings.fontpointsize());
  form.autoSize = settings.fontautosize();
  form.additionalWidth = Decimal(settings.CharacterCellAdditionalWidth());
  form.upperCase = settings.UpperCaseInputMode();
  return form;
}

FontOptionsForm OpenFontOptions(CSettings& settings) {
  settings.ReadSettings();
  return FontOptionsFrom(settings);
}

void ApplyFontOptions(const FontOptionsForm& form, CSettings& settings) {
  settings.set_fontautosize(form.autoSize);
  settings.set_fontpointsize(ReadUnsignedDecimal(form.pointSize));
  settings.set_CharacterCellAdditionalWidth(
      ClampSetting(ReadUnsignedDecimal(form.additionalWidth), kCellWidthMin, kCellWidthMax));
  settings.set_UpperCaseInputMode(form.upperCase);
  // With no family to choose from, storing an empty name would lose the operator's font.
  if (form.fontName) settings.set_fontname(*form.fontName);
}

bool AddFontFamily(std::vector<std::u16string>& families, std::u16string_view name) {
  if (name.empty()) return false;
  if (std::find(families.begin(), families.end(), name) != families.end()) return false;
  families.emplace_back(name);
  return true;
}

int FontEntryToSelect(const std::vector<std::u16string>& entries, std::u16string_view stored) {
  if (entries.empty()) return -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == stored) return static_cast<int>(i);
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (EqualIgnoringAsciiCase(entries[i], stored)) return static_cast<int>(i);
  }
  return 0;
}

}  // namespace vantor
