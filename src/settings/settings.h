// The terminal's one settings object: every setting (key, default and limits in setting_table.h), setters,
// and the run-time font and cell metrics that ride along; ReadSettings/WriteSettings keep it in "Vantor.ini".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/file.h"
#include "settings/palette.h"

namespace vantor {

// CW_USEDEFAULT: what every `windowpos` value becomes when the file holds fewer than four numbers.
inline constexpr int kWindowPosDefault = static_cast<int>(0x80000000u);

// Sound events, in the fixed order of the players, the Sounds menu and the settings groups.
enum class SoundEvent { Normal, Error, ScanAccept, ScanReject, User01, User02, User03, User04 };
inline constexpr int kSoundEventCount = 8;
constexpr int IndexOf(SoundEvent event) { return static_cast<int>(event); }
// The key prefix of an event ("Normal", ...); empty for an index outside 0..7.
std::string_view SoundEventPrefix(int event);

// The `windowpos` setting.
struct WindowPos {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowPos&) const = default;
};

struct GridSize {
  int cols = 0;
  int rows = 0;
  bool operator==(const GridSize&) const = default;
};

// The `serial` setting: line settings as the texts the serial dialogs show.
struct SerialLineSettings {
  std::u16string port;
  std::u16string baud;
  std::u16string dataBits;
  std::u16string parity;
  std::u16string stopBits;
  bool operator==(const SerialLineSettings&) const = default;
};

// The `serialfeature` setting, in file order.
struct SerialFeatureSettings {
  bool inEnabled = false;
  std::uint8_t inStart = 0;  // "SI prefix": a serial-in chunk starts after this byte
  std::uint8_t inEnd = 0;    // "SI suffix": and ends at this one
  bool outEnabled = false;
  std::uint8_t outPrefix = 0;  // "SO prefix"
  std::uint8_t outSuffix = 0;  // "SO suffix"
  bool operator==(const SerialFeatureSettings&) const = default;
};

// The five serial time-outs in COMMTIMEOUTS order.
struct SerialTimeoutSettings {
  int readIntervalTimeout = 0;
  int readTotalTimeoutMultiplier = 0;
  int readTotalTimeoutConstant = 0;
  int writeTotalTimeoutMultiplier = 0;
  int writeTotalTimeoutConstant = 0;
  bool operator==(const SerialTimeoutSettings&) const = default;
};

struct ToneSettings {
  int frequency = 0;  // Hz
  int duration = 0;   // ms
  bool operator==(const ToneSettings&) const = default;
};

// One sound event's group (keys: the event's prefix followed by the member's name). The member
// defaults are a new object's group.
struct SoundEventSettings {
  int SoundType = 0;  // 0 silence, 1 wave file, 2 tone
  std::u16string SoundFile;
  int SoundToneFrequency = 30;
  int SoundToneDuration = 1;
  int VibrateEnabled = 0;
  int VibrateOnTime = 100;
  int VibrateOffTime = 100;
  int VibrateIterations = 1;
  bool operator==(const SoundEventSettings&) const = default;
};

// Every value the settings file holds, as plain data; the table of settings (setting_table.h) names
// each one's key, default, limits and file form. A new object holds every setting's default.
struct SettingValues {
  SettingValues();

  std::u16string hostName;
  int hostPort;
  bool hostTls;
  std::u16string hostTlsPin;
  int terminalId;
  bool hostTextIsUtf8;

  int screenColumns;
  int screenRows;
  int toolbarSize;
  bool fullScreen;
  int windowState;
  WindowPos windowPosition;
  bool showWatermark;
  std::u16string watermarkText;
  bool customColours;

  std::u16string fontName;
  int fontPointSize;
  bool fontAutoSize;
  int extraCellWidth;
  bool upperCaseInput;
  int interCharacterDelay;

  bool firstKeyReplaces;
  bool enterSendsKey;
  std::u16string numericChars;
  bool underlineFixedText;
  bool scannerAppendsEnter;
  bool scannerAppendsF0;
  bool scannerOverwritesField;
  bool scannerCallbackMode;

  Colour textColour;
  Colour backgroundColour;
  Colour inputTextColour;
  Colour inputBackgroundColour;
  Colour focusTextColour;
  Colour focusBackgroundColour;
  Colour selectedTextColour;
  Colour selectedBackgroundColour;
  Colour markColour;

  SerialLineSettings serialLine;
  bool serialCommandMode;
  SerialFeatureSettings serialFeature;
  int readIntervalTimeout;
  int readTotalTimeoutMultiplier;
  int readTotalTimeoutConstant;
  int writeTotalTimeoutMultiplier;
  int writeTotalTimeoutConstant;

  bool adminMode;

  std::array<SoundEventSettings, kSoundEventCount> sounds;
};

// Getters say what a setting means (the key it is stored under is in the comment where the two
// differ); setters are Set followed by the getter's name. Used on one thread, the owner's.
class Settings {
 public:
  // The settings file's name (none: reading finds nothing, writing fails).
  explicit Settings(files::FileName settingsPath = {});
  // Any path type that spells itself in UTF-16 (std::filesystem::path).
  template <typename Path, typename = decltype(std::declval<const Path&>().u16string())>
  explicit Settings(const Path& settingsPath) : Settings(files::FileName(settingsPath.u16string())) {}

  const files::FileName& Path() const { return path_; }

  // Reads the settings file; false (and nothing changed) when it cannot be opened. Every setting
  // the file does not name takes its key-missing default.
  bool ReadSettings();
  // Rewrites the whole settings file; false when it cannot be created or written.
  bool WriteSettings() const;

  // Host and terminal.
  const std::u16string& HostName() const { return values_.hostName; }  // hostname
  void SetHostName(std::u16string_view name);
  int HostPort() const { return values_.hostPort; }               // hostport
  void SetHostPort(int port);                                     // clamped to its limits
  int TerminalId() const { return values_.terminalId; }           // terminalid
  void SetTerminalId(int id);                                     // clamped to its limits
  bool HostTextIsUtf8() const { return values_.hostTextIsUtf8; }  // fieldIsUTF8
  void SetHostTextIsUtf8(bool on) { values_.hostTextIsUtf8 = on; }
  // hosttls: the link to the host is TLS 1.2 or later, never clear text.
  bool HostTls() const { return values_.hostTls; }
  void SetHostTls(bool on) { values_.hostTls = on; }
  // hosttlspin: with TLS, the SHA-256 fingerprint of the only host certificate accepted (empty: the
  // certificate must chain to a trusted root and name the host). Kept as given, a bad one included:
  // the link then refuses to connect until it is put right.
  const std::u16string& HostTlsPin() const { return values_.hostTlsPin; }
  void SetHostTlsPin(std::u16string_view pin) { values_.hostTlsPin = std::u16string(pin); }

  // Screen and window.
  int ScreenColumns() const { return values_.screenColumns; }  // screencols
  int ScreenRows() const { return values_.screenRows; }        // screenrows
  GridSize ScreenSize() const { return {values_.screenColumns, values_.screenRows}; }
  void SetScreenSize(int cols, int rows);                  // each clamped to its limits
  int ToolbarSize() const { return values_.toolbarSize; }  // toolbarsize
  void SetToolbarSize(int size) { values_.toolbarSize = size; }
  bool FullScreen() const { return values_.fullScreen; }
  void SetFullScreen(bool on) { values_.fullScreen = on; }
  int WindowState() const { return values_.windowState; }
  void SetWindowState(int state) { values_.windowState = state; }
  WindowPos WindowPosition() const { return values_.windowPosition; }  // windowpos
  void SetWindowPosition(int left, int top, int width, int height);
  bool ShowWatermark() const { return values_.showWatermark; }
  void SetShowWatermark(bool on) { values_.showWatermark = on; }
  const std::u16string& WatermarkText() const { return values_.watermarkText; }
  void SetWatermarkText(std::u16string_view text);              // cut to its limit
  bool CustomColours() const { return values_.customColours; }  // CustomColorMode
  void SetCustomColours(bool on) { values_.customColours = on; }

  // Font.
  const std::u16string& FontName() const { return values_.fontName; }
  void SetFontName(std::u16string_view name);  // cut to its limit
  int FontPointSize() const { return values_.fontPointSize; }
  void SetFontPointSize(int size) { values_.fontPointSize = size; }
  bool FontAutoSize() const { return values_.fontAutoSize; }
  void SetFontAutoSize(bool on) { values_.fontAutoSize = on; }
  int ExtraCellWidth() const { return values_.extraCellWidth; }  // CharacterCellAdditionalWidth
  void SetExtraCellWidth(int width) { values_.extraCellWidth = width; }
  bool UpperCaseInput() const { return values_.upperCaseInput; }
  void SetUpperCaseInput(bool on) { values_.upperCaseInput = on; }
  int InterCharacterDelay() const { return values_.interCharacterDelay; }

  // Fields and scanner.
  // fieldedit: the first key typed into a field replaces the host's value.
  bool FirstKeyReplaces() const { return values_.firstKeyReplaces; }
  void SetFirstKeyReplaces(bool on) { values_.firstKeyReplaces = on; }
  // fieldentertof0: Enter goes to the host as key 0 (else it moves to the next field).
  bool EnterSendsKey() const { return values_.enterSendsKey; }
  void SetEnterSendsKey(bool on) { values_.enterSendsKey = on; }
  const std::u16string& NumericChars() const { return values_.numericChars; }  // fieldnumericvalue
  void SetNumericChars(std::u16string_view chars);                             // FilterNumericChars
  bool UnderlineFixedText() const { return values_.underlineFixedText; }
  bool ScannerAppendsEnter() const { return values_.scannerAppendsEnter; }
  void SetScannerAppendsEnter(bool on) { values_.scannerAppendsEnter = on; }
  bool ScannerAppendsF0() const { return values_.scannerAppendsF0; }
  void SetScannerAppendsF0(bool on) { values_.scannerAppendsF0 = on; }
  bool ScannerOverwritesField() const { return values_.scannerOverwritesField; }
  void SetScannerOverwritesField(bool on) { values_.scannerOverwritesField = on; }
  bool ScannerCallbackMode() const { return values_.scannerCallbackMode; }
  void SetScannerCallbackMode(bool on) { values_.scannerCallbackMode = on; }

  // Colours (ForeGroundColor, BackGroundColor, InputForeGroundColor, ... in the file): only the
  // settings file changes them.
  Colour TextColour() const { return values_.textColour; }
  Colour BackgroundColour() const { return values_.backgroundColour; }
  Colour InputTextColour() const { return values_.inputTextColour; }
  Colour InputBackgroundColour() const { return values_.inputBackgroundColour; }
  Colour FocusTextColour() const { return values_.focusTextColour; }
  Colour FocusBackgroundColour() const { return values_.focusBackgroundColour; }
  Colour SelectedTextColour() const { return values_.selectedTextColour; }
  Colour SelectedBackgroundColour() const { return values_.selectedBackgroundColour; }
  Colour MarkColour() const { return values_.markColour; }

  // Serial.
  const SerialLineSettings& SerialLine() const { return values_.serialLine; }  // serial
  void SetSerialLine(const SerialLineSettings& line);                          // each part cut to its limit
  bool SerialCommandMode() const { return values_.serialCommandMode; }         // serialcommand: scans go to the host
  void SetSerialCommandMode(bool on) { values_.serialCommandMode = on; }
  const SerialFeatureSettings& SerialFeature() const { return values_.serialFeature; }
  void SetSerialFeature(const SerialFeatureSettings& feature) { values_.serialFeature = feature; }
  SerialTimeoutSettings SerialTimeouts() const;
  void SetSerialTimeouts(const SerialTimeoutSettings& timeouts);

  // Mode.
  bool AdminMode() const { return values_.adminMode; }  // KorvathAdminMode
  void SetAdminMode(bool on) { values_.adminMode = on; }

  // Sound events (index in SoundEvent order, 0..7). An index outside 0..7 reads as the defaults of a
  // new object, and a setter given one changes nothing.
  const SoundEventSettings& Sound(int event) const;
  void SetSound(int event, const SoundEventSettings& group);  // the file name cut to its limit
  int SoundType(int event) const { return Sound(event).SoundType; }
  void SetSoundType(int event, int type);
  const std::u16string& SoundFile(int event) const { return Sound(event).SoundFile; }
  void SetSoundFile(int event, std::u16string_view file);  // cut to its limit
  ToneSettings Tone(int event) const;
  void SetTone(int event, int frequency, int duration);
  int SoundToneFrequency(int event) const { return Sound(event).SoundToneFrequency; }
  int SoundToneDuration(int event) const { return Sound(event).SoundToneDuration; }
  int VibrateEnabled(int event) const { return Sound(event).VibrateEnabled; }
  void SetVibrateEnabled(int event, int enabled);
  int VibrateOnTime(int event) const { return Sound(event).VibrateOnTime; }
  void SetVibrateOnTime(int event, int ms);
  int VibrateOffTime(int event) const { return Sound(event).VibrateOffTime; }
  void SetVibrateOffTime(int event, int ms);
  int VibrateIterations(int event) const { return Sound(event).VibrateIterations; }
  void SetVibrateIterations(int event, int count);

  // Run-time values, never written to the file.
  // The host's font size step (the F screen command), added to `fontpointsize` wherever the font is made.
  int FontStep() const { return pointSizeAdjustment_; }
  void SetFontStep(int step) { pointSizeAdjustment_ = step; }
  // `fontpointsize` + the adjustment, held to the int range.
  int EffectivePointSize() const;
  // The measured screen font (width 0: the font's natural width) and the size of one screen cell.
  int FontHeight() const { return fontHeight_; }
  int FontWidth() const { return fontWidth_; }
  void SetFontSize(int height, int width) {
    fontHeight_ = height;
    fontWidth_ = width;
  }
  int CellWidth() const { return cellWidth_; }
  int CellHeight() const { return cellHeight_; }
  void SetCellSize(int width, int height) {
    cellWidth_ = width;
    cellHeight_ = height;
  }
  // LOGFONT lfQuality and lfOutPrecision for every screen font.
  int FontQuality() const { return fontQuality_; }
  void SetFontQuality(int quality) { fontQuality_ = quality; }
  int FontOutPrecision() const { return fontOutPrecision_; }
  void SetFontOutPrecision(int precision) { fontOutPrecision_ = precision; }

  // The whole file text WriteSettings would write (8-bit, CR LF line ends).
  std::string SettingsText() const;
  // Sets every setting from file text as ReadSettings does; the text ends at its first zero byte.
  void ApplySettingsText(std::string_view text);

 private:
  files::FileName path_;

  SettingValues values_;

  int pointSizeAdjustment_ = 0;
  int fontHeight_ = 0;
  int fontWidth_ = 0;
  int cellWidth_ = 0;
  int cellHeight_ = 0;
  int fontQuality_ = 0;       // DEFAULT_QUALITY
  int fontOutPrecision_ = 4;  // OUT_TT_PRECIS
};

}  // namespace vantor
