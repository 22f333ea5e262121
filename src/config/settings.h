// The terminal's one settings object: every setting with its default, setters with their limits, and the
// run-time font and cell metrics that ride along; ReadSettings/WriteSettings keep it in "Vantor.ini".
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantor {

// A colour with red in the low byte, then green, then blue (0x00BBGGRR, as a Win32 COLORREF).
using ColorRef = std::uint32_t;

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

// Sound events, in the fixed order of the players, the Sounds menu and the settings groups:
// Normal, Error, ScanAccept, ScanReject, User01, User02, User03, User04.
inline constexpr int kSoundEventCount = 8;
// The key prefix of an event ("Normal", ...); empty for an index outside 0..7.
std::string_view SoundEventPrefix(int event);

struct WindowPos {
  int left = 0;
  int top = 0;
  int width = 240;
  int height = 320;
  bool operator==(const WindowPos&) const = default;
};

struct ScreenSize {
  int cols = 80;
  int rows = 24;
  bool operator==(const ScreenSize&) const = default;
};

// The `serial` setting: line settings as the texts the serial dialogs show.
struct SerialLine {
  std::u16string port = u"COM1:";
  std::u16string baud = u"9600";
  std::u16string dataBits = u"8";
  std::u16string parity = u"None";
  std::u16string stopBits = u"1";
  bool operator==(const SerialLine&) const = default;
};

// The `serialfeature` setting, in file order.
struct SerialFeature {
  bool inEnabled = false;
  std::uint8_t inStart = 0;   // "SI prefix": a serial-in chunk starts after this byte
  std::uint8_t inEnd = 0;     // "SI suffix": and ends at this one
  bool outEnabled = false;
  std::uint8_t outPrefix = 0;  // "SO prefix"
  std::uint8_t outSuffix = 0;  // "SO suffix"
  bool operator==(const SerialFeature&) const = default;
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

struct SoundTone {
  int frequency = 30;  // Hz
  int duration = 1;    // ms
  bool operator==(const SoundTone&) const = default;
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

// Naming: the getter of a setting is its settings-file key, the setter is set_ followed by the key.
// Group operations are named after the group. Written on the UI thread only; the session thread may
// read the host and terminal settings and `fieldIsUTF8`, the serial reader `serialcommand`.
class CSettings {
 public:
  explicit CSettings(std::filesystem::path settingsPath = {});

  const std::filesystem::path& settingsPath() const { return path_; }

  // Reads the settings file; false (and nothing changed) when it cannot be opened. Every setting
  // the file does not name takes its key-missing default.
  bool ReadSettings();
  // Rewrites the whole settings file; false when it cannot be created or written.
  bool WriteSettings() const;

  // Host and terminal.
  const std::u16string& hostname() const { return hostname_; }
  void set_hostname(std::u16string_view name);
  int hostport() const { return hostport_; }
  void set_hostport(int port);  // clamped to 1..65535
  int terminalid() const { return terminalid_; }
  void set_terminalid(int id);  // clamped to 1..999
  bool fieldIsUTF8() const { return fieldIsUTF8_; }
  void set_fieldIsUTF8(bool on) { fieldIsUTF8_ = on; }

  // Screen and window.
  int screencols() const { return screen_.cols; }
  int screenrows() const { return screen_.rows; }
  ScreenSize screensize() const { return screen_; }
  void set_screensize(int cols, int rows);  // each clamped to 1..207
  int toolbarsize() const { return toolbarsize_; }
  void set_toolbarsize(int size) { toolbarsize_ = size; }
  bool fullscreen() const { return fullscreen_; }
  void set_fullscreen(bool on) { fullscreen_ = on; }
  int windowstate() const { return windowstate_; }
  void set_windowstate(int state) { windowstate_ = state; }
  WindowPos windowpos() const { return windowpos_; }
  int windowposLeft() const { return windowpos_.left; }
  int windowposTop() const { return windowpos_.top; }
  int windowposWidth() const { return windowpos_.width; }
  int windowposHeight() const { return windowpos_.height; }
  void set_windowpos(int left, int top, int width, int height);
  bool ShowWaterMark() const { return ShowWaterMark_; }
  void set_ShowWaterMark(bool on) { ShowWaterMark_ = on; }
  const std::u16string& WaterMarkText() const { return WaterMarkText_; }
  void set_WaterMarkText(std::u16string_view text);  // at most 31 characters kept
  bool CustomColorMode() const { return CustomColorMode_; }
  void set_CustomColorMode(bool on) { CustomColorMode_ = on; }

  // Font.
  const std::u16string& fontname() const { return fontname_; }
  void set_fontname(std::u16string_view name);  // at most 31 characters kept
  int fontpointsize() const { return fontpointsize_; }
  void set_fontpointsize(int size) { fontpointsize_ = size; }
  bool fontautosize() const { return fontautosize_; }
  void set_fontautosize(bool on) { fontautosize_ = on; }
  int CharacterCellAdditionalWidth() const { return CharacterCellAdditionalWidth_; }
  void set_CharacterCellAdditionalWidth(int width) { CharacterCellAdditionalWidth_ = width; }
  bool UpperCaseInputMode() const { return UpperCaseInputMode_; }
  void set_UpperCaseInputMode(bool on) { UpperCaseInputMode_ = on; }
  int intercharacterdelay() const { return intercharacterdelay_; }

  // Fields and scanner.
  bool fieldedit() const { return fieldedit_; }
  void set_fieldedit(bool on) { fieldedit_ = on; }
  bool fieldentertof0() const { return fieldentertof0_; }
  void set_fieldentertof0(bool on) { fieldentertof0_ = on; }
  const std::u16string& fieldnumericvalue() const { return fieldnumericvalue_; }
  void set_fieldnumericvalue(std::u16string_view chars);  // FilterNumericChars
  bool UnderlineFixedTextMode() const { return UnderlineFixedTextMode_; }
  bool scannerappendenter() const { return scannerappendenter_; }
  void set_scannerappendenter(bool on) { scannerappendenter_ = on; }
  bool scannerappendf0() const { return scannerappendf0_; }
  void set_scannerappendf0(bool on) { scannerappendf0_ = on; }
  bool scanneroverwritefield() const { return scanneroverwritefield_; }
  void set_scanneroverwritefield(bool on) { scanneroverwritefield_ = on; }
  bool ScannerModeCallBack() const { return ScannerModeCallBack_; }
  void set_ScannerModeCallBack(bool on) { ScannerModeCallBack_ = on; }

  // Colours: only the settings file changes them.
  ColorRef ForeGroundColor() const { return ForeGroundColor_; }
  ColorRef BackGroundColor() const { return BackGroundColor_; }
  ColorRef InputForeGroundColor() const { return InputForeGroundColor_; }
  ColorRef InputBackGroundColor() const { return InputBackGroundColor_; }
  ColorRef FocusForeGroundColor() const { return FocusForeGroundColor_; }
  ColorRef FocusBackGroundColor() const { return FocusBackGroundColor_; }
  ColorRef SelectedForeGround() const { return SelectedForeGround_; }
  ColorRef SelectedBackGroundColor() const { return SelectedBackGroundColor_; }
  ColorRef CheckBoxCheckAndRadioButtonDotColor() const { return CheckBoxCheckAndRadioButtonDotColor_; }

  // Serial.
  const SerialLine& serial() const { return serial_; }
  void set_serial(const SerialLine& line);  // each part cut to 19 characters
  bool serialcommand() const { return serialcommand_; }
  void set_serialcommand(bool on) { serialcommand_ = on; }
  const SerialFeature& serialfeature() const { return serialfeature_; }
  void set_serialfeature(const SerialFeature& feature) { serialfeature_ = feature; }
  const SerialTimeoutSettings& serialTimeouts() const { return serialTimeouts_; }
  void set_serialTimeouts(const SerialTimeoutSettings& timeouts) { serialTimeouts_ = timeouts; }
  int serialReadIntervalTimeout() const { return serialTimeouts_.readIntervalTimeout; }
  int serialReadTotalTimeoutMultiplier() const { return serialTimeouts_.readTotalTimeoutMultiplier; }
  int serialReadTotalTimeoutConstant() const { return serialTimeouts_.readTotalTimeoutConstant; }
  int serialWriteTotalTimeoutMultiplier() const { return serialTimeouts_.writeTotalTimeoutMultiplier; }
  int serialWriteTotalTimeoutConstant() const { return serialTimeouts_.writeTotalTimeoutConstant; }

  // Mode.
  bool KorvathAdminMode() const { return KorvathAdminMode_; }
  void set_KorvathAdminMode(bool on) { KorvathAdminMode_ = on; }

  // Sound events (index in SoundEvent order, 0..7). An index outside 0..7 reads as the defaults of a
  // new object, and a setter given one changes nothing.
  const SoundEventSettings& soundEvent(int event) const;
  void set_soundEvent(int event, const SoundEventSettings& group);  // the file name cut to 259
  int SoundType(int event) const { return soundEvent(event).SoundType; }
  void set_SoundType(int event, int type);
  const std::u16string& SoundFile(int event) const { return soundEvent(event).SoundFile; }
  void set_SoundFile(int event, std::u16string_view file);  // at most 259 characters kept
  SoundTone soundTone(int event) const;
  void set_soundTone(int event, int frequency, int duration);
  int SoundToneFrequency(int event) const { return soundEvent(event).SoundToneFrequency; }
  int SoundToneDuration(int event) const { return soundEvent(event).SoundToneDuration; }
  int VibrateEnabled(int event) const { return soundEvent(event).VibrateEnabled; }
  void set_VibrateEnabled(int event, int enabled);
  int VibrateOnTime(int event) const { return soundEvent(event).VibrateOnTime; }
  void set_VibrateOnTime(int event, int ms);
  int VibrateOffTime(int event) const { return soundEvent(event).VibrateOffTime; }
  void set_VibrateOffTime(int event, int ms);
  int VibrateIterations(int event) const { return soundEvent(event).VibrateIterations; }
  void set_VibrateIterations(int event, int count);

  // Run-time values, never written to the file.
  // The host's font size step (the F screen command), added to `fontpointsize` wherever the font is made.
  int pointSizeAdjustment() const { return pointSizeAdjustment_; }
  void set_pointSizeAdjustment(int step) { pointSizeAdjustment_ = step; }
  // `fontpointsize` + the adjustment, held to the int range.
  int effectivePointSize() const;
  // The measured screen font (width 0: the font's natural width) and the size of one screen cell.
  int fontHeight() const { return fontHeight_; }
  int fontWidth() const { return fontWidth_; }
  void set_fontSize(int height, int width) { fontHeight_ = height; fontWidth_ = width; }
  int cellWidth() const { return cellWidth_; }
  int cellHeight() const { return cellHeight_; }
  void set_cellSize(int width, int height) { cellWidth_ = width; cellHeight_ = height; }
  // LOGFONT lfQuality and lfOutPrecision for every screen font.
  int fontQuality() const { return fontQuality_; }
  void set_fontQuality(int quality) { fontQuality_ = quality; }
  int fontOutPrecision() const { return fontOutPrecision_; }
  void set_fontOutPrecision(int precision) { fontOutPrecision_ = precision; }

  // The whole file text WriteSettings would write (8-bit, CR LF line ends).
  std::string SettingsText() const;
  // Sets every setting from file text as ReadSettings does; the text ends at its first zero byte.
  void ApplySettingsText(std::string_view text);

 private:
  std::filesystem::path path_;

  std::u16string hostname_ = u"127.0.0.1";
  int hostport_ = 9999;
  int terminalid_ = 1;
  bool fieldIsUTF8_ = false;

  ScreenSize screen_;
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

  ColorRef ForeGroundColor_ = 0x000000;
  ColorRef BackGroundColor_ = 0xC3B295;
  ColorRef InputForeGroundColor_ = 0x000000;
  ColorRef InputBackGroundColor_ = 0xFFFFFF;
  ColorRef FocusForeGroundColor_ = 0x000000;
  ColorRef FocusBackGroundColor_ = 0x9EF0FF;
  ColorRef SelectedForeGround_ = 0xFFFFFF;
  ColorRef SelectedBackGroundColor_ = 0x33CCFF;
  ColorRef CheckBoxCheckAndRadioButtonDotColor_ = 0x000000;

  SerialLine serial_;
  bool serialcommand_ = false;
  SerialFeature serialfeature_;
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
