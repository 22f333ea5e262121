// Rules of the Scanner, Screen, Field and Font options dialogs: what each shows when it opens, what OK stores.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/setting_rules.h"
#include "settings/setting_table.h"

namespace vantor {

// Edit-box limits of the dialogs, in characters.
inline constexpr int kScreenSizeTextMax = DecimalDigits(kScreenSizeMax);
inline constexpr int kWaterMarkTextLimit = static_cast<int>(kWaterMarkTextMax) + 1;  // one more than is kept
inline constexpr int kFontSizeTextMax = 2;
inline constexpr int kNumericCharsTextMax = static_cast<int>(kNumericCharsMax);

// "Character Cell Additional Width" is held to this range on OK.
inline constexpr int kCellWidthMin = 0, kCellWidthMax = 9;

// ---- Scanner Options ----------------------------------------------------------------------------

struct ScannerOptionsForm {
  bool callbackMode = true;  // "Callback  (Vantor only)" checked, else "Wedge Reader (shared)"
  bool appendEnter = false;
  bool appendF0 = true;
  bool overwriteFields = true;
  bool operator==(const ScannerOptionsForm&) const = default;
};

// Re-reads the settings file (a missing file keeps what is held) and returns what the dialog shows.
ScannerOptionsForm OpenScannerOptions(Settings& settings);
ScannerOptionsForm ScannerOptionsFrom(const Settings& settings);
// Stores the controls' states whatever the mode; the caller writes the file.
void ApplyScannerOptions(const ScannerOptionsForm& form, Settings& settings);

// ---- Screen Options -----------------------------------------------------------------------------

// The toolbar radio buttons; kNone when none is checked.
enum class ToolbarChoice { kNone, kDisabled, kSize1x, kSize2x, kSize3x };

// Below 0 "Disabled" (no toolbar is built), 1 "Size 2x", 2 "Size 3x", any other value "Size 1x".
ToolbarChoice ToolbarChoiceFor(int toolbarsize);
// -1, 0, 1 or 2; 0 when none is checked.
int ToolbarSizeFor(ToolbarChoice choice);

struct ScreenOptionsForm {
  bool fullScreen = false;
  bool customColors = false;
  bool showWaterMark = true;
  std::u16string waterMarkText;
  std::u16string cols;  // edit texts: unsigned decimal, clamped on OK
  std::u16string rows;
  ToolbarChoice toolbar = ToolbarChoice::kSize1x;
  bool operator==(const ScreenOptionsForm&) const = default;
};

ScreenOptionsForm OpenScreenOptions(Settings& settings);
ScreenOptionsForm ScreenOptionsFrom(const Settings& settings);
// Columns and rows read as unsigned decimals (no number reads 0) and clamped by the setter; the
// watermark text is cut by its setter.
void ApplyScreenOptions(const ScreenOptionsForm& form, Settings& settings);

// ---- Field Options ------------------------------------------------------------------------------

struct FieldOptionsForm {
  bool enterToF0 = true;
  bool overwrite = true;  // "Overwrite Keyboard Entry Fields": `fieldedit`
  std::u16string numerics;
  bool operator==(const FieldOptionsForm&) const = default;
};

FieldOptionsForm OpenFieldOptions(Settings& settings);
FieldOptionsForm FieldOptionsFrom(const Settings& settings);
// The numerics go through the settings' filter (no double quotes, each character once, up to its limit).
void ApplyFieldOptions(const FieldOptionsForm& form, Settings& settings);

// ---- Font Options -------------------------------------------------------------------------------

struct FontOptionsForm {
  // The selected family; none when the list is empty, and then the stored name stays.
  std::optional<std::u16string> fontName;
  std::u16string pointSize;  // unsigned decimal, stored as typed
  bool autoSize = false;
  std::u16string additionalWidth;  // unsigned decimal, held to 0..9
  bool upperCase = false;
  bool operator==(const FontOptionsForm&) const = default;
};

FontOptionsForm OpenFontOptions(Settings& settings);
FontOptionsForm FontOptionsFrom(const Settings& settings);
void ApplyFontOptions(const FontOptionsForm& form, Settings& settings);

// Appends a family name unless an identical entry is already there (a family is enumerated once
// per character set); empty names are left out. True when it was added.
bool AddFontFamily(std::vector<std::u16string>& families, std::u16string_view name);

// The entry to select for the stored name: the identical entry, else one that differs only in the
// case of ASCII letters (face names are matched that way), else the first; -1 for an empty list.
int FontEntryToSelect(const std::vector<std::u16string>& entries, std::u16string_view stored);

}  // namespace vantor
