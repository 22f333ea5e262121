// Settings: a new object's values from the table, setters with the table's limits, group operations and
// the run-time values.
#include "settings/settings.h"

#include <climits>
#include <variant>

#include "settings/setting_rules.h"
#include "settings/setting_table.h"

namespace vantor {

namespace {

bool ValidEvent(int event) { return event >= 0 && event < kSoundEventCount; }

// Gives a row's value its new-object value.
struct SetInitial {
  SettingValues& values;
  void operator()(const IntSetting& s) const { values.*s.value = s.initial; }
  void operator()(const BoolSetting& s) const { values.*s.value = s.initial; }
  void operator()(const TextSetting& s) const { values.*s.value = s.initial; }
  void operator()(const ColourSetting& s) const { values.*s.value = s.initial; }
  void operator()(const WindowPosSetting& s) const { values.*s.value = s.initial; }
  void operator()(const SerialLineSetting& s) const {
    values.*s.value =
        SerialLineSettings{std::u16string(s.initial[0]), std::u16string(s.initial[1]), std::u16string(s.initial[2]),
                           std::u16string(s.initial[3]), std::u16string(s.initial[4])};
  }
  void operator()(const SerialFeatureSetting& s) const { values.*s.value = s.initial; }
  void operator()(const SoundGroupSetting& s) const { values.sounds[static_cast<std::size_t>(s.event)] = {}; }
};

}  // namespace

SettingValues::SettingValues() {
  for (const SettingRow& row : kSettingRows) std::visit(SetInitial{*this}, row.form);
}

std::string_view SoundEventPrefix(int event) {
  for (const SettingRow& row : kSettingRows) {
    const auto* group = std::get_if<SoundGroupSetting>(&row.form);
    if (group != nullptr && IndexOf(group->event) == event) return row.key;
  }
  return {};
}

Settings::Settings(files::FileName settingsPath) : path_(std::move(settingsPath)) {}

void Settings::SetHostName(std::u16string_view name) { values_.hostName = std::u16string(name); }

void Settings::SetHostPort(int port) { values_.hostPort = ClampSetting(port, kHostPortMin, kHostPortMax); }

void Settings::SetTerminalId(int id) { values_.terminalId = ClampSetting(id, kTerminalIdMin, kTerminalIdMax); }

void Settings::SetScreenSize(int cols, int rows) {
  constexpr IntRange kColumns = LimitsOf("screencols"), kRows = LimitsOf("screenrows");
  values_.screenColumns = ClampSetting(cols, kColumns.min, kColumns.max);
  values_.screenRows = ClampSetting(rows, kRows.min, kRows.max);
}

void Settings::SetWindowPosition(int left, int top, int width, int height) {
  values_.windowPosition = WindowPos{left, top, width, height};
}

void Settings::SetWatermarkText(std::u16string_view text) { values_.watermarkText = CutText(text, kWaterMarkTextMax); }

void Settings::SetFontName(std::u16string_view name) { values_.fontName = CutText(name, kFontNameMax); }

void Settings::SetNumericChars(std::u16string_view chars) {
  values_.numericChars = FilterNumericChars(chars, kNumericCharsMax);
}

void Settings::SetSerialLine(const SerialLineSettings& line) {
  SerialLineSettings& kept = values_.serialLine;
  kept.port = CutText(line.port, kSerialPartMax);
  kept.baud = CutText(line.baud, kSerialPartMax);
  kept.dataBits = CutText(line.dataBits, kSerialPartMax);
  kept.parity = CutText(line.parity, kSerialPartMax);
  kept.stopBits = CutText(line.stopBits, kSerialPartMax);
}

SerialTimeoutSettings Settings::SerialTimeouts() const {
  return {values_.readIntervalTimeout, values_.readTotalTimeoutMultiplier, values_.readTotalTimeoutConstant,
          values_.writeTotalTimeoutMultiplier, values_.writeTotalTimeoutConstant};
}

void Settings::SetSerialTimeouts(const SerialTimeoutSettings& timeouts) {
  values_.readIntervalTimeout = timeouts.readIntervalTimeout;
  values_.readTotalTimeoutMultiplier = timeouts.readTotalTimeoutMultiplier;
  values_.readTotalTimeoutConstant = timeouts.readTotalTimeoutConstant;
  values_.writeTotalTimeoutMultiplier = timeouts.writeTotalTimeoutMultiplier;
  values_.writeTotalTimeoutConstant = timeouts.writeTotalTimeoutConstant;
}

const SoundEventSettings& Settings::Sound(int event) const {
  static const SoundEventSettings kDefaults;
  return ValidEvent(event) ? values_.sounds[static_cast<std::size_t>(event)] : kDefaults;
}

void Settings::SetSound(int event, const SoundEventSettings& group) {
  if (!ValidEvent(event)) return;
  SoundEventSettings& s = values_.sounds[static_cast<std::size_t>(event)];
  s = group;
  s.SoundFile = CutText(group.SoundFile, kSoundFileMax);
}

void Settings::SetSoundType(int event, int type) {
  if (ValidEvent(event)) values_.sounds[static_cast<std::size_t>(event)].SoundType = type;
}

void Settings::SetSoundFile(int event, std::u16string_view file) {
  if (ValidEvent(event)) values_.sounds[static_cast<std::size_t>(event)].SoundFile = CutText(file, kSoundFileMax);
}

ToneSettings Settings::Tone(int event) const {
  const SoundEventSettings& s = Sound(event);
  return ToneSettings{s.SoundToneFrequency, s.SoundToneDuration};
}

void Settings::SetTone(int event, int frequency, int duration) {
  if (!ValidEvent(event)) return;
  values_.sounds[static_cast<std::size_t>(event)].SoundToneFrequency = frequency;
  values_.sounds[static_cast<std::size_t>(event)].SoundToneDuration = duration;
}

void Settings::SetVibrateEnabled(int event, int enabled) {
  if (ValidEvent(event)) values_.sounds[static_cast<std::size_t>(event)].VibrateEnabled = enabled;
}

void Settings::SetVibrateOnTime(int event, int ms) {
  if (ValidEvent(event)) values_.sounds[static_cast<std::size_t>(event)].VibrateOnTime = ms;
}

void Settings::SetVibrateOffTime(int event, int ms) {
  if (ValidEvent(event)) values_.sounds[static_cast<std::size_t>(event)].VibrateOffTime = ms;
}

void Settings::SetVibrateIterations(int event, int count) {
  if (ValidEvent(event)) values_.sounds[static_cast<std::size_t>(event)].VibrateIterations = count;
}

int Settings::EffectivePointSize() const {
  const long long sum = static_cast<long long>(values_.fontPointSize) + pointSizeAdjustment_;
  if (sum > INT_MAX) return INT_MAX;
  if (sum < INT_MIN) return INT_MIN;
  return static_cast<int>(sum);
}

}  // namespace vantor
