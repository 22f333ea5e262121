// Settings: defaults, setters with their limits, group operations and the run-time values.
#include "settings/settings.h"

#include <climits>

#include "settings/setting_rules.h"

namespace vantor {

namespace {
constexpr std::string_view kSoundPrefixes[kSoundEventCount] = {"Normal", "Error",  "ScanAccept", "ScanReject",
                                                               "User01", "User02", "User03",     "User04"};

bool ValidEvent(int event) { return event >= 0 && event < kSoundEventCount; }
}  // namespace

std::string_view SoundEventPrefix(int event) { return ValidEvent(event) ? kSoundPrefixes[event] : std::string_view(); }

Settings::Settings(files::FileName settingsPath) : path_(std::move(settingsPath)) {}

void Settings::SetHostName(std::u16string_view name) { hostname_ = std::u16string(name); }

void Settings::SetHostPort(int port) { hostport_ = ClampSetting(port, kHostPortMin, kHostPortMax); }

void Settings::SetTerminalId(int id) { terminalid_ = ClampSetting(id, kTerminalIdMin, kTerminalIdMax); }

void Settings::SetScreenSize(int cols, int rows) {
  screen_.cols = ClampSetting(cols, kScreenSizeMin, kScreenSizeMax);
  screen_.rows = ClampSetting(rows, kScreenSizeMin, kScreenSizeMax);
}

void Settings::SetWindowPosition(int left, int top, int width, int height) {
  windowpos_ = WindowPos{left, top, width, height};
}

void Settings::SetWatermarkText(std::u16string_view text) { WaterMarkText_ = CutText(text, kWaterMarkTextMax); }

void Settings::SetFontName(std::u16string_view name) { fontname_ = CutText(name, kFontNameMax); }

void Settings::SetNumericChars(std::u16string_view chars) { fieldnumericvalue_ = FilterNumericChars(chars); }

void Settings::SetSerialLine(const SerialLineSettings& line) {
  serial_.port = CutText(line.port, kSerialPartMax);
  serial_.baud = CutText(line.baud, kSerialPartMax);
  serial_.dataBits = CutText(line.dataBits, kSerialPartMax);
  serial_.parity = CutText(line.parity, kSerialPartMax);
  serial_.stopBits = CutText(line.stopBits, kSerialPartMax);
}

const SoundEventSettings& Settings::Sound(int event) const {
  static const SoundEventSettings kDefaults;
  return ValidEvent(event) ? sounds_[static_cast<std::size_t>(event)] : kDefaults;
}

void Settings::SetSound(int event, const SoundEventSettings& group) {
  if (!ValidEvent(event)) return;
  SoundEventSettings& s = sounds_[static_cast<std::size_t>(event)];
  s = group;
  s.SoundFile = CutText(group.SoundFile, kSoundFileMax);
}

void Settings::SetSoundType(int event, int type) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].SoundType = type;
}

void Settings::SetSoundFile(int event, std::u16string_view file) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].SoundFile = CutText(file, kSoundFileMax);
}

ToneSettings Settings::Tone(int event) const {
  const SoundEventSettings& s = Sound(event);
  return ToneSettings{s.SoundToneFrequency, s.SoundToneDuration};
}

void Settings::SetTone(int event, int frequency, int duration) {
  if (!ValidEvent(event)) return;
  sounds_[static_cast<std::size_t>(event)].SoundToneFrequency = frequency;
  sounds_[static_cast<std::size_t>(event)].SoundToneDuration = duration;
}

void Settings::SetVibrateEnabled(int event, int enabled) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].VibrateEnabled = enabled;
}

void Settings::SetVibrateOnTime(int event, int ms) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].VibrateOnTime = ms;
}

void Settings::SetVibrateOffTime(int event, int ms) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].VibrateOffTime = ms;
}

void Settings::SetVibrateIterations(int event, int count) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].VibrateIterations = count;
}

int Settings::EffectivePointSize() const {
  const long long sum = static_cast<long long>(fontpointsize_) + pointSizeAdjustment_;
  if (sum > INT_MAX) return INT_MAX;
  if (sum < INT_MIN) return INT_MIN;
  return static_cast<int>(sum);
}

}  // namespace vantor
