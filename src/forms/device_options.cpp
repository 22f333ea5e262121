// Rules of the Serial port, Serial feature and Sound options dialogs.
#include "forms/device_options.h"

#include <climits>

#include "settings/setting_rules.h"
#include "devices/sound_player.h"

namespace vantor {

namespace {

std::u16string Decimal(long long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

bool IsScanfSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

constexpr std::array<std::u16string_view, kSoundEventCount> kSoundTitles = {
    u"Options Normal Sound", u"Options Error Sound",  u"Options Accept Scan Sound", u"Options Reject Scan Sound",
    u"Options User 1 Sound", u"Options User 2 Sound", u"Options User 3 Sound",      u"Options User 4 Sound"};

}  // namespace

// ---- Serial port options ------------------------------------------------------------------------

int ChoiceIndexFor(const ComboChoices& choices, std::u16string_view stored) {
  if (!stored.empty()) {
    for (int i = 0; i < choices.count; ++i) {
      if (choices.entries[i] == stored) return i;
    }
  }
  return choices.defaultIndex;
}

std::optional<std::u16string> ChosenEntry(const ComboChoices& choices, std::u16string_view comboText) {
  for (int i = 0; i < choices.count; ++i) {
    if (choices.entries[i] == comboText) return std::u16string(comboText);
  }
  return std::nullopt;
}

SerialPortView SerialPortViewOf(const Settings& settings) {
  const SerialLineSettings& line = settings.SerialLine();
  SerialPortView view;
  view.baud = ChoiceIndexFor(kBaudChoices, line.baud);
  view.dataBits = ChoiceIndexFor(kDataBitsChoices, line.dataBits);
  view.parity = ChoiceIndexFor(kParityChoices, line.parity);
  view.stopBits = ChoiceIndexFor(kStopBitsChoices, line.stopBits);
  return view;
}

SerialPortView OpenSerialPortOptions(Settings& settings) {
  settings.ReadSettings();
  return SerialPortViewOf(settings);
}

void ApplySerialPortOptions(const SerialPortInput& input, Settings& settings) {
  SerialLineSettings line = settings.SerialLine();
  if (auto baud = ChosenEntry(kBaudChoices, input.baud)) line.baud = std::move(*baud);
  if (auto dataBits = ChosenEntry(kDataBitsChoices, input.dataBits)) line.dataBits = std::move(*dataBits);
  if (auto parity = ChosenEntry(kParityChoices, input.parity)) line.parity = std::move(*parity);
  if (auto stopBits = ChosenEntry(kStopBitsChoices, input.stopBits)) line.stopBits = std::move(*stopBits);
  settings.SetSerialLine(line);
}

// ---- Serial feature options ---------------------------------------------------------------------

int PortNumberFromName(std::u16string_view name) {
  constexpr std::u16string_view kPrefix = u"COM";
  if (name.substr(0, kPrefix.size()) != kPrefix) return 1;
  std::size_t i = kPrefix.size();
  while (i < name.size() && IsScanfSpace(name[i])) ++i;
  bool negative = false;
  if (i < name.size() && (name[i] == u'+' || name[i] == u'-')) {
    negative = name[i] == u'-';
    ++i;
  }
  if (i >= name.size() || name[i] < u'0' || name[i] > u'9') return 1;
  long long value = 0;
  for (; i < name.size() && name[i] >= u'0' && name[i] <= u'9'; ++i) {
    if (value <= INT_MAX) value = value * 10 + (name[i] - u'0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::u16string PortNameFromText(std::u16string_view text) {
  int n = ReadUnsignedDecimal(text) % (kSerialPortNumberMax + 1);
  if (n < kSerialPortNumberMin) n = kSerialPortNumberMin;
  return u"COM" + Decimal(n) + u":";
}

std::uint8_t FramingByteFromText(std::u16string_view text) {
  return static_cast<std::uint8_t>(ReadUnsignedDecimal(text) & 127);
}

int ReadIntervalFromText(std::u16string_view text) {
  return ClampSetting(ReadUnsignedDecimal(text), kReadIntervalMin, kReadIntervalMax);
}

SerialFeatureView SerialFeatureViewOf(const Settings& settings) {
  SerialFeatureView view;
  const std::u16string& port = settings.SerialLine().port;
  if (!port.empty()) view.port = Decimal(PortNumberFromName(port));
  const SerialFeatureSettings& feature = settings.SerialFeature();
  view.serialOut = feature.outEnabled;
  view.serialIn = feature.inEnabled;
  view.command = settings.SerialCommandMode();
  view.siPrefix = Decimal(feature.inStart);
  view.siSuffix = Decimal(feature.inEnd);
  view.soPrefix = Decimal(feature.outPrefix);
  view.soSuffix = Decimal(feature.outSuffix);
  view.readInterval = Decimal(settings.SerialTimeouts().readIntervalTimeout);
  return view;
}

SerialFeatureView OpenSerialFeatureOptions(Settings& settings) {
  settings.ReadSettings();
  return SerialFeatureViewOf(settings);
}

void ApplySerialFeatureOptions(const SerialFeatureInput& input, Settings& settings) {
  SerialLineSettings line = settings.SerialLine();
  line.port = PortNameFromText(input.port);
  settings.SetSerialLine(line);
  SerialFeatureSettings feature;
  feature.outEnabled = input.serialOut;
  feature.inEnabled = input.serialIn;
  feature.inStart = FramingByteFromText(input.siPrefix);
  feature.inEnd = FramingByteFromText(input.siSuffix);
  feature.outPrefix = FramingByteFromText(input.soPrefix);
  feature.outSuffix = FramingByteFromText(input.soSuffix);
  settings.SetSerialFeature(feature);
  settings.SetSerialCommandMode(input.siMode == kSiModeCommand);
  SerialTimeoutSettings timeouts = settings.SerialTimeouts();
  timeouts.readIntervalTimeout = ReadIntervalFromText(input.readInterval);
  settings.SetSerialTimeouts(timeouts);
}

// ---- Sound options ------------------------------------------------------------------------------

std::u16string_view SoundDialogTitle(int event) {
  if (event < 0 || event >= kSoundEventCount) return {};
  return kSoundTitles[static_cast<std::size_t>(event)];
}

bool SoundDialogReadsFile(int event) { return event == 0; }

SoundChoice SoundChoiceForType(int type) {
  if (type == kSoundFile) return SoundChoice::kWaveFile;
  if (type == kSoundTone) return SoundChoice::kTone;
  return SoundChoice::kSilence;
}

SoundOptionsView SoundOptionsViewOf(const Settings& settings, int event) {
  const SoundEventSettings& s = settings.Sound(event);
  SoundOptionsView view;
  view.choice = SoundChoiceForType(s.SoundType);
  view.frequency = Decimal(s.SoundToneFrequency);
  view.duration = Decimal(s.SoundToneDuration);
  view.waveFile = s.SoundFile;
  view.vibrate = s.VibrateEnabled != 0;
  view.onTime = Decimal(s.VibrateOnTime);
  view.offTime = Decimal(s.VibrateOffTime);
  view.repeat = Decimal(s.VibrateIterations);
  return view;
}

SoundOptionsView OpenSoundOptions(Settings& settings, int event) {
  if (SoundDialogReadsFile(event)) settings.ReadSettings();
  return SoundOptionsViewOf(settings, event);
}

SoundEventSettings SoundSettingsFromInput(const SoundOptionsInput& input, const SoundEventSettings& current) {
  SoundEventSettings group = current;
  if (input.silence) {
    group.SoundType = kSoundSilence;
  } else if (input.waveFile) {
    group.SoundType = kSoundFile;
  } else if (input.tone) {
    group.SoundType = kSoundTone;
  }
  group.SoundToneFrequency = ReadUnsignedDecimal(input.frequency);
  group.SoundToneDuration = ReadUnsignedDecimal(input.duration);
  group.SoundFile = CutText(input.waveFilePath, kSoundFileMax);
  group.VibrateEnabled = input.vibrate ? 1 : 0;
  group.VibrateOnTime = ReadUnsignedDecimal(input.onTime);
  group.VibrateOffTime = ReadUnsignedDecimal(input.offTime);
  group.VibrateIterations = ReadUnsignedDecimal(input.repeat);
  return group;
}

void ApplySoundOptions(const SoundOptionsInput& input, Settings& settings, int event) {
  if (event < 0 || event >= kSoundEventCount) return;
  settings.SetSound(event, SoundSettingsFromInput(input, settings.Sound(event)));
}

std::unique_ptr<SoundPlayer> MakePreviewPlayer(const SoundOptionsInput& input, const SoundEventSettings& current,
                                               bool soundAvailable) {
  const SoundEventSettings s = SoundSettingsFromInput(input, current);
  return std::make_unique<SoundPlayer>(s.SoundType, s.SoundFile, s.SoundToneFrequency, s.SoundToneDuration,
                                       soundAvailable, input.vibrate, static_cast<std::uint32_t>(s.VibrateOnTime),
                                       static_cast<std::uint32_t>(s.VibrateOffTime),
                                       static_cast<std::uint32_t>(s.VibrateIterations));
}

}  // namespace vantor
