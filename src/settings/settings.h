// The terminal's one settings object: every setting with its default, setters with their limits, and the
// run-time font and cell metrics that ride along; ReadSettings/WriteSettings keep it in "Vantor.ini".
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

// Text buffer sizes in characters that can be kept (the buffer less its terminator).
inline constexpr std::size_t kFontNameMax = 31;
inline constexpr std::size_t kWaterMarkTextMax = 31;
inline constexpr std::size_t kNumericCharsMax = 255;
inline constexpr std::size_t kSerialPartMax = 19;
inline constexpr std::size_t kSoundFileMax = 259;

// Setter limits.
inline constexpr int kHostPortMin = 1, kHostPortMax = 65535;
inline constexpr int kTerminalIdMin = 1, kTerminalIdMax = 999;
inline constexpr int kScreenSizeMin = 1, kScreenSizeMax = 207;

// Sound events, in the fixed order of the players, the Sounds menu and the settings groups.
enum class SoundEvent { Normal, Error, ScanAccept, ScanReject, User01, User02, User03, User04 };
inline constexpr int kSoundEventCount = 8;
constexpr int IndexOf(SoundEvent event) { return static_cast<int>(event); }
// The key prefix of an event ("Normal", ...); empty for an index outside 0..7.
std::string_view SoundEventPrefix(int event);

struct WindowPos {
  int left = 0;
  int top = 0;
  int width = 240;
  int height = 320;
  bool operator==(const WindowPos&) const = default;
};

struct GridSize {
  int cols = 80;
  int rows = 24;
  bool operator==(const GridSize&) const = default;
};

// The `serial` setting: line settings as the texts the serial dialogs show.
struct SerialLineSettings {
  std::u16string port = u"COM1:";
  std::u16string baud = u"9600";
  std::u16string dataBits = u"8";
  std::u16string parity = u"None";
  std::u16string stopBits = u"1";
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
  int readIntervalTimeout = 500;
  int readTotalTimeoutMultiplier = 0;
  int readTotalTimeoutConstant = 0;
  int writeTotalTimeoutMultiplier = 0;
  int writeTotalTimeoutConstant = 0;
  bool operator==(const SerialTimeoutSettings&) const = default;
};

struct ToneSettings {
  int frequency = 30;  // Hz
  int duration = 1;    // ms
  bool operator==(const ToneSettings&) const = default;
};

// One sound event's group (keys: the event's prefix followed by the member's name).
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
  const std::u16string& HostName() const { return hostname_; }  // hostname
  void SetHostName(std::u16string_view name);
  int HostPort() const { return hostport_; }            // hostport
  void SetHostPort(int port);                           // clamped to 1..65535
  int TerminalId() const { return terminalid_; }        // terminalid
  void SetTerminalId(int id);                           // clamped to 1..999
  bool HostTextIsUtf8() const { return fieldIsUTF8_; }  // fieldIsUTF8
  void SetHostTextIsUtf8(bool on) { fieldIsUTF8_ = on; }

  // Screen and window.
  int ScreenColumns() const { return screen_.cols; }  // screencols
  int ScreenRows() const { return screen_.rows; }     // screenrows
  GridSize ScreenSize() const { return screen_; }
  void SetScreenSize(int cols, int rows);           // each clamped to 1..207
  int ToolbarSize() const { return toolbarsize_; }  // toolbarsize
  void SetToolbarSize(int size) { toolbarsize_ = size; }
  bool FullScreen() const { return fullscreen_; }
  void SetFullScreen(bool on) { fullscreen_ = on; }
  int WindowState() const { return windowstate_; }
  void SetWindowState(int state) { windowstate_ = state; }
  WindowPos WindowPosition() const { return windowpos_; }  // windowpos
  void SetWindowPosition(int left, int top, int width, int height);
  bool ShowWatermark() const { return ShowWaterMark_; }
  void SetShowWatermark(bool on) { ShowWaterMark_ = on; }
  const std::u16string& WatermarkText() const { return WaterMarkText_; }
  void SetWatermarkText(std::u16string_view text);         // at most 31 characters kept
  bool CustomColours() const { return CustomColorMode_; }  // CustomColorMode
  void SetCustomColours(bool on) { CustomColorMode_ = on; }

  // Font.
  const std::u16string& FontName() const { return fontname_; }
  void SetFontName(std::u16string_view name);  // at most 31 characters kept
  int FontPointSize() const { return fontpointsize_; }
  void SetFontPointSize(int size) { fontpointsize_ = size; }
  bool FontAutoSize() const { return fontautosize_; }
  void SetFontAutoSize(bool on) { fontautosize_ = on; }
  int ExtraCellWidth() const { return CharacterCellAdditionalWidth_; }  // CharacterCellAdditionalWidth
  void SetExtraCellWidth(int width) { CharacterCellAdditionalWidth_ = width; }
  bool UpperCaseInput() const { return UpperCaseInputMode_; }
  void SetUpperCaseInput(bool on) { UpperCaseInputMode_ = on; }
  int InterCharacterDelay() const { return intercharacterdelay_; }

  // Fields and scanner.
  // fieldedit: the first key typed into a field replaces the host's value.
  bool FirstKeyReplaces() const { return fieldedit_; }
  void SetFirstKeyReplaces(bool on) { fieldedit_ = on; }
  // fieldentertof0: Enter goes to the host as key 0 (else it moves to the next field).
  bool EnterSendsKey() const { return fieldentertof0_; }
  void SetEnterSendsKey(bool on) { fieldentertof0_ = on; }
  const std::u16string& NumericChars() const { return fieldnumericvalue_; }  // fieldnumericvalue
  void SetNumericChars(std::u16string_view chars);                           // FilterNumericChars
  bool UnderlineFixedText() const { return UnderlineFixedTextMode_; }
  bool ScannerAppendsEnter() const { return scannerappendenter_; }
  void SetScannerAppendsEnter(bool on) { scannerappendenter_ = on; }
  bool ScannerAppendsF0() const { return scannerappendf0_; }
  void SetScannerAppendsF0(bool on) { scannerappendf0_ = on; }
  bool ScannerOverwritesField() const { return scanneroverwritefield_; }
  void SetScannerOverwritesField(bool on) { scanneroverwritefield_ = on; }
  bool ScannerCallbackMode() const { return ScannerModeCallBack_; }
  void SetScannerCallbackMode(bool on) { ScannerModeCallBack_ = on; }

  // Colours (ForeGroundColor, BackGroundColor, InputForeGroundColor, ... in the file): only the
  // settings file changes them.
  Colour TextColour() const { return ForeGroundColor_; }
  Colour BackgroundColour() const { return BackGroundColor_; }
  Colour InputTextColour() const { return InputForeGroundColor_; }
  Colour InputBackgroundColour() const { return InputBackGroundColor_; }
  Colour FocusTextColour() const { return FocusForeGroundColor_; }
  Colour FocusBackgroundColour() const { return FocusBackGroundColor_; }
  Colour SelectedTextColour() const { return SelectedForeGround_; }
  Colour SelectedBackgroundColour() const { return SelectedBackGroundColor_; }
  Colour MarkColour() const { return CheckBoxCheckAndRadioButtonDotColor_; }

  // Serial.
  const SerialLineSettings& SerialLine() const { return serial_; }  // serial
  void SetSerialLine(const SerialLineSettings& line);               // each part cut to 19 characters
  bool SerialCommandMode() const { return serialcommand_; }         // serialcommand: scans go to the host
  void SetSerialCommandMode(bool on) { serialcommand_ = on; }
  const SerialFeatureSettings& SerialFeature() const { return serialfeature_; }
  void SetSerialFeature(const SerialFeatureSettings& feature) { serialfeature_ = feature; }
  const SerialTimeoutSettings& SerialTimeouts() const { return serialTimeouts_; }
  void SetSerialTimeouts(const SerialTimeoutSettings& timeouts) { serialTimeouts_ = timeouts; }

  // Mode.
  bool AdminMode() const { return KorvathAdminMode_; }  // KorvathAdminMode
  void SetAdminMode(bool on) { KorvathAdminMode_ = on; }

  // Sound events (index in SoundEvent order, 0..7). An index outside 0..7 reads as the defaults of a
  // new object, and a setter given one changes nothing.
  const SoundEventSettings& Sound(int event) const;
  void SetSound(int event, const SoundEventSettings& group);  // the file name cut to 259
  int SoundType(int event) const { return Sound(event).SoundType; }
  void SetSoundType(int event, int type);
  const std::u16string& SoundFile(int event) const { return Sound(event).SoundFile; }
  void SetSoundFile(int event, std::u16string_view file);  // at most 259 characters kept
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

  std::u16string hostname_ = u"127.0.0.1";
  int hostport_ = 9999;
  int terminalid_ = 1;
  bool fieldIsUTF8_ = false;

  GridSize screen_;
  int toolbarsize_ = 0;
  bool fullscreen_ = false;
  int windowstate_ = 0;
  WindowPos windowpos_;
  bool ShowWaterMark_ = true;
  std::u16string WaterMarkText_ = u"Vantor II";
  bool CustomColorMode_ = false;

  std::u16string fontname_ = u"Courier New";
  int fontpointsize_ = 9;
  bool fontautosize_ = false;
  int CharacterCellAdditionalWidth_ = 1;
  bool UpperCaseInputMode_ = false;
  int intercharacterdelay_ = 30;

  bool fieldedit_ = true;
  bool fieldentertof0_ = true;
  std::u16string fieldnumericvalue_ = u"0123456789+-%*/.$";
  bool UnderlineFixedTextMode_ = true;
  bool scannerappendenter_ = false;
  bool scannerappendf0_ = true;
  bool scanneroverwritefield_ = true;
  bool ScannerModeCallBack_ = true;

  Colour ForeGroundColor_ = kBlack;
  Colour BackGroundColor_ = kScreenBlue;
  Colour InputForeGroundColor_ = kBlack;
  Colour InputBackGroundColor_ = kWhite;
  Colour FocusForeGroundColor_ = kBlack;
  Colour FocusBackGroundColor_ = kFocusYellow;
  Colour SelectedForeGround_ = kWhite;
  Colour SelectedBackGroundColor_ = kSelectedAmber;
  Colour CheckBoxCheckAndRadioButtonDotColor_ = kBlack;

  SerialLineSettings serial_;
  bool serialcommand_ = false;
  SerialFeatureSettings serialfeature_;
  SerialTimeoutSettings serialTimeouts_;

  bool KorvathAdminMode_ = false;

  std::array<SoundEventSettings, kSoundEventCount> sounds_{};

  int pointSizeAdjustment_ = 0;
  int fontHeight_ = 0;
  int fontWidth_ = 0;
  int cellWidth_ = 0;
  int cellHeight_ = 0;
  int fontQuality_ = 0;       // DEFAULT_QUALITY
  int fontOutPrecision_ = 4;  // OUT_TT_PRECIS
};

}  // namespace vantor
