// Rules of the Scanner, Screen, Field and Font options dialogs.
#include "forms/display_options.h"

#include <algorithm>
#include <string>

#include "settings/setting_rules.h"
#include "settings/settings.h"

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

ScannerOptionsForm ScannerOptionsFrom(const Settings& settings) {
  ScannerOptionsForm form;
  form.callbackMode = settings.ScannerCallbackMode();
  form.appendEnter = settings.ScannerAppendsEnter();
  form.appendF0 = settings.ScannerAppendsF0();
  form.overwriteFields = settings.ScannerOverwritesField();
  return form;
}

ScannerOptionsForm OpenScannerOptions(Settings& settings) {
  settings.ReadSettings();
  return ScannerOptionsFrom(settings);
}

void ApplyScannerOptions(const ScannerOptionsForm& form, Settings& settings) {
  settings.SetScannerAppendsEnter(form.appendEnter);
  settings.SetScannerAppendsF0(form.appendF0);
  settings.SetScannerOverwritesField(form.overwriteFields);
  settings.SetScannerCallbackMode(form.callbackMode);
}

// ---- Screen Options -----------------------------------------------------------------------------

ToolbarChoice ToolbarChoiceFor(int toolbarsize) {
  // Every negative size means no toolbar; showing it as "Size 1x" would build one on an unchanged OK.
  if (toolbarsize < 0) return ToolbarChoice::kDisabled;
  switch (toolbarsize) {
    case 1: return ToolbarChoice::kSize2x;
    case 2: return ToolbarChoice::kSize3x;
    default: return ToolbarChoice::kSize1x;
  }
}

int ToolbarSizeFor(ToolbarChoice choice) {
  switch (choice) {
    case ToolbarChoice::kDisabled: return -1;
    case ToolbarChoice::kSize2x: return 1;
    case ToolbarChoice::kSize3x: return 2;
    case ToolbarChoice::kSize1x:
    case ToolbarChoice::kNone: return 0;
  }
  return 0;
}

ScreenOptionsForm ScreenOptionsFrom(const Settings& settings) {
  ScreenOptionsForm form;
  form.fullScreen = settings.FullScreen();
  form.customColors = settings.CustomColours();
  form.showWaterMark = settings.ShowWatermark();
  form.waterMarkText = settings.WatermarkText();
  form.cols = Decimal(settings.ScreenColumns());
  form.rows = Decimal(settings.ScreenRows());
  form.toolbar = ToolbarChoiceFor(settings.ToolbarSize());
  return form;
}

ScreenOptionsForm OpenScreenOptions(Settings& settings) {
  settings.ReadSettings();
  return ScreenOptionsFrom(settings);
}

void ApplyScreenOptions(const ScreenOptionsForm& form, Settings& settings) {
  settings.SetScreenSize(ReadUnsignedDecimal(form.cols), ReadUnsignedDecimal(form.rows));
  settings.SetToolbarSize(ToolbarSizeFor(form.toolbar));
  settings.SetFullScreen(form.fullScreen);
  settings.SetCustomColours(form.customColors);
  settings.SetShowWatermark(form.showWaterMark);
  settings.SetWatermarkText(form.waterMarkText);
}

// ---- Field Options ------------------------------------------------------------------------------

FieldOptionsForm FieldOptionsFrom(const Settings& settings) {
  FieldOptionsForm form;
  form.enterToF0 = settings.EnterSendsKey();
  form.overwrite = settings.FirstKeyReplaces();
  form.numerics = settings.NumericChars();
  return form;
}

FieldOptionsForm OpenFieldOptions(Settings& settings) {
  settings.ReadSettings();
  return FieldOptionsFrom(settings);
}

void ApplyFieldOptions(const FieldOptionsForm& form, Settings& settings) {
  settings.SetEnterSendsKey(form.enterToF0);
  settings.SetFirstKeyReplaces(form.overwrite);
  settings.SetNumericChars(form.numerics);
}

// ---- Font Options -------------------------------------------------------------------------------

FontOptionsForm FontOptionsFrom(const Settings& settings) {
  FontOptionsForm form;
  form.fontName = settings.FontName();
  form.pointSize = Decimal(settings.FontPointSize());
  form.autoSize = settings.FontAutoSize();
  form.additionalWidth = Decimal(settings.ExtraCellWidth());
  form.upperCase = settings.UpperCaseInput();
  return form;
}

FontOptionsForm OpenFontOptions(Settings& settings) {
  settings.ReadSettings();
  return FontOptionsFrom(settings);
}

void ApplyFontOptions(const FontOptionsForm& form, Settings& settings) {
  settings.SetFontAutoSize(form.autoSize);
  settings.SetFontPointSize(ReadUnsignedDecimal(form.pointSize));
  settings.SetExtraCellWidth(ClampSetting(ReadUnsignedDecimal(form.additionalWidth), kCellWidthMin, kCellWidthMax));
  settings.SetUpperCaseInput(form.upperCase);
  // With no family to choose from, storing an empty name would lose the operator's font.
  if (form.fontName) settings.SetFontName(*form.fontName);
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
