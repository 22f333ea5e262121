// The table of settings: one row per setting of "Vantor.ini" (key, form, default, limits), in file
// order. It gives a new object's values, the reader, the writer and the limits of setters and dialogs.
#pragma once

#include <array>
#include <climits>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "settings/settings.h"

namespace vantor {

// Setter limits of a number: a value below min gives min, above max gives max.
struct IntRange {
  int min = INT_MIN;
  int max = INT_MAX;
};

// Each form says how a value is read and written; `missing` is what a file without the key gives.

// Decimal; read like atoi from the token after the key.
struct IntSetting {
  int SettingValues::*value;
  int initial;
  int missing = initial;
  IntRange limits = {};
  bool twoDigits = false;  // written with at least two digits; a number over 99 reads as `missing`
};

// "true" or "false", read in any case; any other token reads as `missing`.
struct BoolSetting {
  bool SettingValues::*value;
  bool initial;
  bool missing = initial;
};

// Text cut to maxUnits UTF-16 units (0: no limit). Quoted: between double quotes, read from the rest of
// the key's line; bare: read from the token after the key, written without quotes.
struct TextSetting {
  std::u16string SettingValues::*value;
  std::u16string_view initial;
  std::size_t maxUnits;
  bool quoted = true;
};

// RRGGBB, red first; anything but six hexadecimal digits reads as `initial`.
struct ColourSetting {
  Colour SettingValues::*value;
  Colour initial;
};

// Four numbers joined by ","; fewer read as `malformed`.
struct WindowPosSetting {
  WindowPos SettingValues::*value;
  WindowPos initial;
  WindowPos malformed;
};

// Five texts joined by "," inside double quotes, each cut to maxUnits; fewer read as `initial`.
struct SerialLineSetting {
  SerialLineSettings SettingValues::*value;
  std::array<std::u16string_view, 5> initial;
  std::size_t maxUnits;
};

// A bool, two bytes, a bool and two bytes joined by ","; the bytes written as signed 8-bit numbers,
// read as their low 8 bits. Fewer than six items read as `malformed`.
struct SerialFeatureSetting {
  SerialFeatureSettings SettingValues::*value;
  SerialFeatureSettings initial;
  SerialFeatureSettings malformed;
};

// The group of one sound event: the row's key is the prefix of each key in kSoundParts.
struct SoundGroupSetting {
  SoundEvent event;
};

using SettingForm = std::variant<IntSetting, BoolSetting, TextSetting, ColourSetting, WindowPosSetting,
                                 SerialLineSetting, SerialFeatureSetting, SoundGroupSetting>;

struct SettingRow {
  std::string_view key;  // as stored; the reader compares keys without regard to case
  SettingForm form;
  // Left out of the file while the value is the default, so that a new setting leaves the files of
  // those who never change it as they were.
  bool writtenOnlyWhenChanged = false;

  constexpr SettingRow WrittenOnlyWhenChanged() const {
    SettingRow row = *this;
    row.writtenOnlyWhenChanged = true;
    return row;
  }
};

// One part of a sound group. A new object's group is SoundEventSettings{}; a file without the key
// gives 0 or an empty text.
struct SoundPart {
  std::string_view suffix;
  std::variant<int SoundEventSettings::*, std::u16string SoundEventSettings::*> value;
  std::size_t maxUnits = 0;  // for the text
};

inline constexpr SoundPart kSoundParts[] = {
    {"SoundType", &SoundEventSettings::SoundType},
    {"SoundFile", &SoundEventSettings::SoundFile, 259},
    {"SoundToneFrequency", &SoundEventSettings::SoundToneFrequency},
    {"SoundToneDuration", &SoundEventSettings::SoundToneDuration},
    {"VibrateEnabled", &SoundEventSettings::VibrateEnabled},
    {"VibrateOnTime", &SoundEventSettings::VibrateOnTime},
    {"VibrateOffTime", &SoundEventSettings::VibrateOffTime},
    {"VibrateIterations", &SoundEventSettings::VibrateIterations},
};

// Row makers, one per form.
constexpr SettingRow IntRow(std::string_view key, int SettingValues::*value, int initial, IntRange limits = {}) {
  return {key, IntSetting{value, initial, initial, limits}};
}
constexpr SettingRow TwoDigitRow(std::string_view key, int SettingValues::*value, int initial) {
  return {key, IntSetting{value, initial, initial, {}, true}};
}
constexpr SettingRow BoolRow(std::string_view key, bool SettingValues::*value, bool initial) {
  return {key, BoolSetting{value, initial, initial}};
}
constexpr SettingRow TextRow(std::string_view key, std::u16string SettingValues::*value, std::u16string_view initial,
                             std::size_t maxUnits) {
  return {key, TextSetting{value, initial, maxUnits}};
}
constexpr SettingRow BareTextRow(std::string_view key, std::u16string SettingValues::*value,
                                 std::u16string_view initial) {
  return {key, TextSetting{value, initial, 0, false}};
}
constexpr SettingRow ColourRow(std::string_view key, Colour SettingValues::*value, Colour initial) {
  return {key, ColourSetting{value, initial}};
}
constexpr SettingRow SoundGroupRow(std::string_view prefix, SoundEvent event) {
  return {prefix, SoundGroupSetting{event}};
}

inline constexpr IntRange kScreenSizeRange{1, 207};  // columns and rows

// In the order the file holds them. A setting that older files lack is written only when changed
// (BoolRow(...).WrittenOnlyWhenChanged()), so that those files stay as they are.
inline constexpr SettingRow kSettingRows[] = {
    BareTextRow("hostname", &SettingValues::hostName, u"127.0.0.1"),
    IntRow("hostport", &SettingValues::hostPort, 9999, {1, 65535}),
    BoolRow("hosttls", &SettingValues::hostTls, false).WrittenOnlyWhenChanged(),
    // Unbounded, so that whatever the file holds is written back as it was read.
    TextRow("hosttlspin", &SettingValues::hostTlsPin, u"", 0).WrittenOnlyWhenChanged(),
    IntRow("screencols", &SettingValues::screenColumns, 80, kScreenSizeRange),
    IntRow("screenrows", &SettingValues::screenRows, 24, kScreenSizeRange),
    IntRow("terminalid", &SettingValues::terminalId, 1, {1, 999}),
    IntRow("toolbarsize", &SettingValues::toolbarSize, 0),
    BoolRow("fullscreen", &SettingValues::fullScreen, false),
    IntRow("windowstate", &SettingValues::windowState, 0),
    {"windowpos", WindowPosSetting{&SettingValues::windowPosition,
                                   {0, 0, 240, 320},
                                   {kWindowPosDefault, kWindowPosDefault, kWindowPosDefault, kWindowPosDefault}}},
    IntRow("intercharacterdelay", &SettingValues::interCharacterDelay, 30),
    IntRow("fontpointsize", &SettingValues::fontPointSize, 9),
    BoolRow("fontautosize", &SettingValues::fontAutoSize, false),
    TextRow("fontname", &SettingValues::fontName, u"Courier New", 31),
    {"serial", SerialLineSetting{&SettingValues::serialLine, {u"COM1:", u"9600", u"8", u"None", u"1"}, 19}},
    BoolRow("serialcommand", &SettingValues::serialCommandMode, false),
    {"serialfeature", SerialFeatureSetting{&SettingValues::serialFeature, {}, {true, 10, 13, true, 10, 13}}},
    IntRow("serialReadIntervalTimeout", &SettingValues::readIntervalTimeout, 500),
    IntRow("serialReadTotalTimeoutConstant", &SettingValues::readTotalTimeoutConstant, 0),
    IntRow("serialReadTotalTimeoutMultiplier", &SettingValues::readTotalTimeoutMultiplier, 0),
    IntRow("serialWriteTotalTimeoutConstant", &SettingValues::writeTotalTimeoutConstant, 0),
    IntRow("serialWriteTotalTimeoutMultiplier", &SettingValues::writeTotalTimeoutMultiplier, 0),
    BoolRow("fieldedit", &SettingValues::firstKeyReplaces, true),
    TextRow("fieldnumericvalue", &SettingValues::numericChars, u"0123456789+-%*/.$", 255),
    BoolRow("scannerappendenter", &SettingValues::scannerAppendsEnter, false),
    BoolRow("scannerappendf0", &SettingValues::scannerAppendsF0, true),
    BoolRow("scanneroverwritefield", &SettingValues::scannerOverwritesField, true),
    BoolRow("fieldentertof0", &SettingValues::enterSendsKey, true),
    BoolRow("ScannerModeCallBack", &SettingValues::scannerCallbackMode, true),
    BoolRow("CustomColorMode", &SettingValues::customColours, false),
    BoolRow("ShowWaterMark", &SettingValues::showWatermark, true),
    TextRow("WaterMarkText", &SettingValues::watermarkText, u"Vantor II", 31),
    ColourRow("ForeGroundColor", &SettingValues::textColour, kBlack),
    ColourRow("BackGroundColor", &SettingValues::backgroundColour, kScreenBlue),
    ColourRow("InputForeGroundColor", &SettingValues::inputTextColour, kBlack),
    ColourRow("InputBackGroundColor", &SettingValues::inputBackgroundColour, kWhite),
    ColourRow("FocusForeGroundColor", &SettingValues::focusTextColour, kBlack),
    ColourRow("FocusBackGroundColor", &SettingValues::focusBackgroundColour, kFocusYellow),
    ColourRow("SelectedForeGround", &SettingValues::selectedTextColour, kWhite),
    ColourRow("SelectedBackGroundColor", &SettingValues::selectedBackgroundColour, kSelectedAmber),
    ColourRow("CheckBoxCheckAndRadioButtonDotColor", &SettingValues::markColour, kBlack),
    TwoDigitRow("CharacterCellAdditionalWidth", &SettingValues::extraCellWidth, 1),
    {"KorvathAdminMode", BoolSetting{&SettingValues::adminMode, false, true}},  // a file without it: true
    BoolRow("UnderlineFixedTextMode", &SettingValues::underlineFixedText, true),
    BoolRow("UpperCaseInputMode", &SettingValues::upperCaseInput, false),
    SoundGroupRow("Normal", SoundEvent::Normal),
    SoundGroupRow("Error", SoundEvent::Error),
    SoundGroupRow("ScanAccept", SoundEvent::ScanAccept),
    SoundGroupRow("ScanReject", SoundEvent::ScanReject),
    BoolRow("fieldIsUTF8", &SettingValues::hostTextIsUtf8, false),
    SoundGroupRow("User01", SoundEvent::User01),
    SoundGroupRow("User02", SoundEvent::User02),
    SoundGroupRow("User03", SoundEvent::User03),
    SoundGroupRow("User04", SoundEvent::User04),
};

// The row of a key, found while compiling (an unknown key does not compile).
consteval const SettingRow& SettingRowOf(std::string_view key) {
  for (const SettingRow& row : kSettingRows) {
    if (row.key == key) return row;
  }
  throw "no such setting";
}
consteval IntRange LimitsOf(std::string_view key) { return std::get<IntSetting>(SettingRowOf(key).form).limits; }
// The most UTF-16 units a text (or each part of `serial`) keeps.
consteval std::size_t MaxUnitsOf(std::string_view key) {
  const SettingForm& form = SettingRowOf(key).form;
  // holds_alternative, not get_if: a pointer test is no constant expression under -fsanitize=null.
  if (std::holds_alternative<SerialLineSetting>(form)) return std::get<SerialLineSetting>(form).maxUnits;
  return std::get<TextSetting>(form).maxUnits;
}
consteval std::size_t SoundPartMaxUnits(std::string_view suffix) {
  for (const SoundPart& part : kSoundParts) {
    if (part.suffix == suffix) return part.maxUnits;
  }
  throw "no such sound part";
}

// The limits setters, dialogs and tools name.
inline constexpr int kHostPortMin = LimitsOf("hostport").min, kHostPortMax = LimitsOf("hostport").max;
inline constexpr int kTerminalIdMin = LimitsOf("terminalid").min, kTerminalIdMax = LimitsOf("terminalid").max;
inline constexpr int kScreenSizeMin = LimitsOf("screencols").min, kScreenSizeMax = LimitsOf("screencols").max;
inline constexpr std::size_t kFontNameMax = MaxUnitsOf("fontname");
inline constexpr std::size_t kWaterMarkTextMax = MaxUnitsOf("WaterMarkText");
inline constexpr std::size_t kNumericCharsMax = MaxUnitsOf("fieldnumericvalue");
inline constexpr std::size_t kSerialPartMax = MaxUnitsOf("serial");
inline constexpr std::size_t kSoundFileMax = SoundPartMaxUnits("SoundFile");

// The file text of the rows' values, in row order (8-bit text, CR LF line ends).
std::string SettingsFileText(std::span<const SettingRow> rows, const SettingValues& values);
// Sets each row's value from file text (which ends at its first zero byte): from the key's value, or
// the row's key-missing value.
void ReadSettingsFileText(std::span<const SettingRow> rows, std::string_view text, SettingValues& values);

}  // namespace vantor
