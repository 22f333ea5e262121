// Rules of the Serial port, Serial feature and Sound options dialogs: what each shows and what OK stores.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "settings/setting_rules.h"
#include "settings/setting_table.h"

namespace vantor {

class SoundPlayer;

// ---- Serial port options ------------------------------------------------------------------------

// One drop-down of the dialog: its entries in list order and the entry shown when the stored text is
// empty or not among them.
struct ComboChoices {
  const std::u16string_view* entries;
  int count;
  int defaultIndex;
};

inline constexpr std::array<std::u16string_view, 15> kBaudEntries = {
    u"110",   u"300",   u"600",   u"1200",  u"2400",   u"4800",   u"9600",  u"14400",
    u"19200", u"38400", u"56000", u"57600", u"115200", u"128000", u"256000"};
inline constexpr std::array<std::u16string_view, 5> kDataBitsEntries = {u"4", u"5", u"6", u"7", u"8"};
inline constexpr std::array<std::u16string_view, 5> kParityEntries = {u"Even", u"Odd", u"None", u"Mark", u"Space"};
inline constexpr std::array<std::u16string_view, 3> kStopBitsEntries = {u"1", u"1.5", u"2"};

inline constexpr ComboChoices kBaudChoices{kBaudEntries.data(), static_cast<int>(kBaudEntries.size()), 6};
inline constexpr ComboChoices kDataBitsChoices{kDataBitsEntries.data(), static_cast<int>(kDataBitsEntries.size()), 4};
inline constexpr ComboChoices kParityChoices{kParityEntries.data(), static_cast<int>(kParityEntries.size()), 2};
inline constexpr ComboChoices kStopBitsChoices{kStopBitsEntries.data(), static_cast<int>(kStopBitsEntries.size()), 0};

// The entry to select for a stored text: the one equal to it exactly, else the default.
int ChoiceIndexFor(const ComboChoices& choices, std::u16string_view stored);

// What a combo holds on OK: the entry its text names exactly, or nothing (no entry chosen, or text
// typed that is not in the list), which leaves the setting's part as it was.
std::optional<std::u16string> ChosenEntry(const ComboChoices& choices, std::u16string_view comboText);

// Indices to select when the dialog opens.
struct SerialPortView {
  int baud = 6;
  int dataBits = 4;
  int parity = 2;
  int stopBits = 0;
};
SerialPortView SerialPortViewOf(const Settings& settings);
// Opening: reads the settings file again (a missing file keeps memory), then the view.
SerialPortView OpenSerialPortOptions(Settings& settings);

// The combos' texts when OK is pressed.
struct SerialPortInput {
  std::u16string baud;
  std::u16string dataBits;
  std::u16string parity;
  std::u16string stopBits;
};
// Stores the chosen entries in the `serial` setting; the caller writes the file.
void ApplySerialPortOptions(const SerialPortInput& input, Settings& settings);

// ---- Serial feature options ---------------------------------------------------------------------

// The number of the "COM<n>:" port.
inline constexpr int kSerialPortNumberMin = 1, kSerialPortNumberMax = 99;
inline constexpr int kSerialPortNumberTextMax = DecimalDigits(kSerialPortNumberMax);
inline constexpr int kFramingTextMax = 3;
inline constexpr int kFramingMin = 0, kFramingMax = 127;
inline constexpr int kReadIntervalTextMax = 5;
inline constexpr int kReadIntervalMin = 100, kReadIntervalMax = 10000;
// The read interval's up-down: a single acceleration step of 100 that starts after 1000 seconds.
inline constexpr unsigned kReadIntervalAccelSeconds = 1000;
inline constexpr unsigned kReadIntervalAccelStep = 100;

inline constexpr std::u16string_view kSiModeField = u"Field";
inline constexpr std::u16string_view kSiModeCommand = u"Command";

// The number of a "COM<n>:" port name: sign and digits after "COM" (blanks allowed before them),
// 1 when the name does not start so; saturates at the int range.
int PortNumberFromName(std::u16string_view name);
// The port name OK stores for the Port COM text: its number modulo 100, below 1 taken as 1.
std::u16string PortNameFromText(std::u16string_view text);
// A framing byte from its text: the number AND 127.
std::uint8_t FramingByteFromText(std::u16string_view text);
// The read interval from its text, clamped to 100..10000.
int ReadIntervalFromText(std::u16string_view text);

// What the dialog shows when it opens.
struct SerialFeatureView {
  std::u16string port;  // empty when the stored port name is empty
  bool serialOut = false;
  bool serialIn = false;
  bool command = false;  // SI mode "Command", else "Field"
  std::u16string siPrefix;
  std::u16string siSuffix;
  std::u16string soPrefix;
  std::u16string soSuffix;
  std::u16string readInterval;
};
SerialFeatureView SerialFeatureViewOf(const Settings& settings);
// Opening: reads the settings file again, then the view.
SerialFeatureView OpenSerialFeatureOptions(Settings& settings);

// The controls when OK is pressed; siMode is the selected SI mode entry (empty for none).
struct SerialFeatureInput {
  std::u16string port;
  bool serialOut = false;
  bool serialIn = false;
  std::u16string siMode;
  std::u16string siPrefix;
  std::u16string siSuffix;
  std::u16string soPrefix;
  std::u16string soSuffix;
  std::u16string readInterval;
};
// Stores port name, serial feature, SI mode and read interval (the other time-outs kept); the caller
// writes the file.
void ApplySerialFeatureOptions(const SerialFeatureInput& input, Settings& settings);

// ---- Sound options ------------------------------------------------------------------------------

inline constexpr int kFrequencyTextMax = 4;
inline constexpr int kFrequencyMin = 30, kFrequencyMax = 5000;
inline constexpr int kDurationTextMax = 4;
inline constexpr int kDurationMin = 1, kDurationMax = 10000;
inline constexpr int kVibrateOnTextMax = 4;
inline constexpr int kVibrateOnMin = 100, kVibrateOnMax = 5000;
inline constexpr int kVibrateOffTextMax = 4;
inline constexpr int kVibrateOffMin = 100, kVibrateOffMax = 1000;
inline constexpr int kRepeatTextMax = 1;
inline constexpr int kRepeatMin = 1, kRepeatMax = 9;
inline constexpr int kWaveFileTextMax = static_cast<int>(kSoundFileMax);

// The dialog's title for a sound event (0 Normal .. 7 User 4); empty for any other number.
std::u16string_view SoundDialogTitle(int event);
// Only the Normal event's dialog reads the settings file when it opens; the others show memory.
bool SoundDialogReadsFile(int event);

enum class SoundChoice { kSilence, kTone, kWaveFile };
// The radio button a stored type checks: 1 wave file, 2 tone, anything else silence.
SoundChoice SoundChoiceForType(int type);

struct SoundOptionsView {
  SoundChoice choice = SoundChoice::kSilence;
  std::u16string frequency;
  std::u16string duration;
  std::u16string waveFile;
  bool vibrate = false;
  std::u16string onTime;
  std::u16string offTime;
  std::u16string repeat;
};
// What the dialog shows for an event (an event outside 0..7 shows the defaults).
SoundOptionsView SoundOptionsViewOf(const Settings& settings, int event);
// Opening: the Normal event's dialog reads the settings file again first; the others show memory.
SoundOptionsView OpenSoundOptions(Settings& settings, int event);

// The controls as they stand.
struct SoundOptionsInput {
  bool silence = false;
  bool tone = false;
  bool waveFile = false;
  std::u16string frequency;
  std::u16string duration;
  std::u16string waveFilePath;
  bool vibrate = false;
  std::u16string onTime;
  std::u16string offTime;
  std::u16string repeat;
};
// The event's group as OK would store it: silence checked 0, else wave file 1, else tone 2, none kept
// from `current`; numbers read as unsigned decimal, never clamped; the path cut to its setting's limit.
SoundEventSettings SoundSettingsFromInput(const SoundOptionsInput& input, const SoundEventSettings& current);
// Stores the event's group; the caller writes the file. An event outside 0..7 changes nothing.
void ApplySoundOptions(const SoundOptionsInput& input, Settings& settings, int event);
// The Play button's player: the values OK would store, nothing stored; vibrate from the check box.
std::unique_ptr<SoundPlayer> MakePreviewPlayer(const SoundOptionsInput& input, const SoundEventSettings& current,
                                               bool soundAvailable);

}  // namespace vantor
