// CSettings: defaults, setters with their limits, group operations and the run-time values.
#include "config/settings.h"

#include <climits>

#include "config/setting_rules.h"

namespace vantor {

namespace {
constexpr std::string_view kSoundPrefixes[kSoundEventCount] = {
    "Normal", "Error", "ScanAccept", "ScanReject", "User01", "User02", "User03", "User04"};

bool ValidEvent(int event) { return event >= 0 && event < kSoundEventCount; }
}  // namespace

std::string_view SoundEventPrefix(int event) {
  return ValidEvent(event) ? kSoundPrefixes[event] : std::string_view();
}

CSettings::CSettings(std::filesystem::path settingsPath) : path_(std::move(settingsPath)) {}

void CSettings::set_hostname(std::u16string_view name) { hostname_ = std::u16string(name); }

void CSettings::set_hostport(int port) { hostport_ = ClampSetting(port, kHostPortMin, kHostPortMax); }

void CSettings::set_terminalid(int id) { terminalid_ = ClampSetting(id, kTerminalIdMin, kTerminalIdMax); }

void CSettings::set_screensize(int cols, int rows) {
  screen_.cols = ClampSetting(cols, kScreenSizeMin, kScreenSizeMax);
  screen_.rows = ClampSetting(rows, kScreenSizeMin, kScreenSizeMax);
}

void CSettings::set_windowpos(int left, int top, int width, int height) {
  windowpos_ = WindowPos{left, top, width, height};
}

void CSettings::set_WaterMarkText(std::u16string_view text) { WaterMarkText_ = CutText(text, kWaterMarkTextMax); }

void CSettings::set_fontname(std::u16string_view name) { fontname_ = CutText(name, kFontNameMax); }

void CSettings::set_fieldnumericvalue(std::u16string_view chars) { fieldnumericvalue_ = FilterNumericChars(chars); }

void CSettings::set_serial(const SerialLine& line) {
  serial_.port = CutText(line.port, kSerialPartMax);
  serial_.baud = CutText(line.baud, kSerialPartMax);
  serial_.dataBits = CutText(line.dataBits, kSerialPartMax);
  serial_.parity = CutText(line.parity, kSerialPartMax);
  serial_.stopBits = CutText(line.stopBits, kSerialPartMax);
}

const SoundEventSettings& CSettings::soundEvent(int event) const {
  static const SoundEventSettings kDefaults;
  return ValidEvent(event) ? sounds_[static_cast<std::size_t>(event)] : kDefaults;
}

void CSettings::set_soundEvent(int event, const SoundEventSettings& group) {
  if (!ValidEvent(event)) return;
  SoundEventSettings& s = sounds_[static_cast<std::size_t>(event)];
  s = group;
  s.SoundFile = CutText(group.SoundFile, kSoundFileMax);
}

void CSettings::set_SoundType(int event, int type) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].SoundType = type;
}

void CSettings::set_SoundFile(int event, std::u16string_view file) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].SoundFile = CutText(file, kSoundFileMax);
}

SoundTone CSettings::soundTone(int event) const {
  const SoundEventSettings& s = soundEvent(event);
  return SoundTone{s.SoundToneFrequency, s.SoundToneDuration};
}

void CSettings::set_soundTone(int event, int frequency, int duration) {
  if (!ValidEvent(event)) return;
  sounds_[static_cast<std::size_t>(event)].SoundToneFrequency = frequency;
  sounds_[static_cast<std::size_t>(event)].SoundToneDuration = duration;
}

void CSettings::set_VibrateEnabled(int event, int enabled) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].VibrateEnabled = enabled;
}

void CSettings::set_VibrateOnTime(int event, int ms) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].VibrateOnTime = ms;
}

void CSettings::set_VibrateOffTime(int event, int ms) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].VibrateOffTime = ms;
}

void CSettings::set_VibrateIterations(int event, int count) {
  if (ValidEvent(event)) sounds_[static_cast<std::size_t>(event)].VibrateIterations = count;
}

int CSettings::effectivePointSize() const {
  const long long sum = static_cast<long long>(fontpointsize_) + pointSizeAdjustment_;
  if (sum > INT_MAX) return INT_MAX;
  if (sum < INT_MIN) return INT_MIN;
  return static_cast<int>(sum);
}

}  // namespace vantor
