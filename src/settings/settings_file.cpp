// The settings file "Vantor.ini": the token-based reader and the fixed-order writer.
#include <array>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "platform/codepage.h"
#include "settings/setting_rules.h"
#include "settings/settings.h"

namespace vantor {

namespace {

// A settings file is a few kilobytes; text past this many bytes is not read, so that a huge or
// runaway file costs bounded memory and time.
constexpr std::size_t kMaxFileBytes = 4u << 20;

bool IsDelimiter(char c) { return c == '=' || c == '"' || c == '\t' || c == '\n' || c == '\r'; }
bool IsLineBreak(char c) { return c == '\t' || c == '\n' || c == '\r'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// Splits at ',' the way strtok does: empty items are skipped.
std::vector<std::string_view> SplitItems(std::string_view value, std::size_t maxItems) {
  std::vector<std::string_view> items;
  std::size_t i = 0;
  while (i < value.size() && items.size() < maxItems) {
    while (i < value.size() && value[i] == ',') ++i;
    if (i >= value.size()) break;
    const std::size_t start = i;
    while (i < value.size() && value[i] != ',') ++i;
    items.push_back(value.substr(start, i - start));
  }
  return items;
}

// 8-bit file text of at most maxUnits characters (no bound when maxUnits is 0).
std::u16string DecodeValue(std::string_view bytes, std::size_t maxUnits) {
  if (maxUnits == 0) return DecodeText(bytes, CodePage::Ansi);
  // The ANSI code pages use at most two bytes a character: this keeps every character that can stay.
  const std::size_t keepBytes = 2 * maxUnits + 2;
  if (bytes.size() > keepBytes) bytes = bytes.substr(0, keepBytes);
  return CutText(DecodeText(bytes, CodePage::Ansi), maxUnits);
}

// Where each key was first seen in the text.
struct KeyHit {
  bool found = false;
  std::size_t keyEnd = 0;  // offset of the delimiter that ended the key (or the text's end)
  bool hasNext = false;
  std::string_view next;  // the token that follows the key
};

// Every key of the file, with its hit once the text has been scanned.
class KeyIndex {
 public:
  explicit KeyIndex(std::string_view text) : text_(text) {}

  // Registers a key before Scan; returns its slot.
  std::size_t Add(std::string_view key) {
    std::string lowered(key);
    for (char& c : lowered) c = LowerAscii(c);
    if (key.size() > longest_) longest_ = key.size();
    hits_.emplace_back();
    slots_.emplace(std::move(lowered), hits_.size() - 1);
    return hits_.size() - 1;
  }

  // One pass over the text. Tokens are runs between the delimiters = " TAB LF CR. A token right after
  // '=' or '"' holds a value and is never taken for a key, so that a text value spelled like a key
  // (a watermark "KorvathAdminMode") cannot stand in for the real key written after it.
  void Scan() {
    std::size_t pending = kNone;
    std::size_t i = 0;
    std::string lowered;
    while (i < text_.size()) {
      while (i < text_.size() && IsDelimiter(text_[i])) ++i;
      if (i >= text_.size()) break;
      const std::size_t start = i;
      while (i < text_.size() && !IsDelimiter(text_[i])) ++i;
      const std::string_view token = text_.substr(start, i - start);
      if (pending != kNone) {
        hits_[pending].hasNext = true;
        hits_[pending].next = token;
        pending = kNone;
      }
      const bool valuePosition = start > 0 && (text_[start - 1] == '=' || text_[start - 1] == '"');
      if (valuePosition || token.size() > longest_) continue;
      lowered.assign(token);
      for (char& c : lowered) c = LowerAscii(c);
      const auto slot = slots_.find(lowered);
      if (slot == slots_.end() || hits_[slot->second].found) continue;
      hits_[slot->second].found = true;
      hits_[slot->second].keyEnd = i;
      pending = slot->second;
    }
  }

  // The token after the key, for ints, bools and `hostname`.
  const std::string_view* Next(std::size_t slot) const {
    return hits_[slot].found && hits_[slot].hasNext ? &hits_[slot].next : nullptr;
  }

  // The rest of the key's line, up to the first double quote after leading quotes, for texts and
  // composite values. False when the key is not in the text.
  bool LineValue(std::size_t slot, std::string_view* value) const {
    const KeyHit& hit = hits_[slot];
    if (!hit.found) return false;
    *value = {};
    std::size_t i = hit.keyEnd;
    if (i >= text_.size()) return true;
    ++i;  // the delimiter that ended the key
    while (i < text_.size() && IsLineBreak(text_[i])) ++i;
    std::size_t end = i;
    while (end < text_.size() && !IsLineBreak(text_[end])) ++end;
    while (i < end && text_[i] == '"') ++i;
    std::size_t stop = i;
    while (stop < end && text_[stop] != '"') ++stop;
    *value = text_.substr(i, stop - i);
    return true;
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::string_view text_;
  std::unordered_map<std::string, std::size_t> slots_;
  std::vector<KeyHit> hits_;
  std::size_t longest_ = 0;
};

bool ParseBool(std::string_view token, bool* value) {
  if (EqualNoCase(token, "true")) {
    *value = true;
    return true;
  }
  if (EqualNoCase(token, "false")) {
    *value = false;
    return true;
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// RRGGBB in the file, red in the low byte in memory. Anything but six hexadecimal digits (spaces
// around them aside) keeps the fall-back colour.
Colour ParseColour(std::string_view value, Colour fallback) {
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  if (value.size() != 6) return fallback;
  const char swapped[6] = {value[4], value[5], value[2], value[3], value[0], value[1]};
  Colour colour = 0;
  for (char c : swapped) {
    const int digit = HexDigit(c);
    if (digit < 0) return fallback;
    colour = colour * 16 + static_cast<Colour>(digit);
  }
  return colour;
}

std::string FormatColour(Colour colour) {
  char bgr[16];
  std::snprintf(bgr, sizeof bgr, "%6.6X", static_cast<unsigned>(colour & 0xFFFFFFu));
  // "%6.6X" gives BBGGRR; the file holds RRGGBB.
  const std::string s(bgr);
  return s.substr(4, 2) + s.substr(2, 2) + s.substr(0, 2);
}

// Characters that would end or split the value when the file is read again are left out, so that a
// value can never reach into the next line or be taken for another key.
std::u16string FileSafe(std::u16string_view text, bool unquoted) {
  std::u16string safe;
  safe.reserve(text.size());
  for (char16_t c : text) {
    if (c == u'\0' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'"') continue;
    if (unquoted && c == u'=') continue;
    safe.push_back(c);
  }
  return safe;
}

// Serial parts are joined by ',' in the file: a comma inside a part would shift every later part.
std::u16string SerialPartSafe(std::u16string_view text) {
  std::u16string safe = FileSafe(text, false);
  std::erase(safe, u',');
  return safe;
}

class Writer {
 public:
  void Line(std::string_view key, std::string_view value) {
    text_.append(key);
    text_.push_back('=');
    text_.append(value);
    text_.append("\r\n");
  }
  void Int(std::string_view key, int value) { Line(key, std::to_string(value)); }
  void Bool(std::string_view key, bool value) { Line(key, value ? "true" : "false"); }
  void Quoted(std::string_view key, std::u16string_view value) {
    QuotedBytes(key, EncodeText(FileSafe(value, false), CodePage::Ansi));
  }
  // Appended piece by piece: "\"" + text + "\"" trips a false -Wrestrict in GCC 12 at -O3.
  void QuotedBytes(std::string_view key, std::string_view bytes) {
    text_.append(key);
    text_.append("=\"");
    text_.append(bytes);
    text_.append("\"\r\n");
  }
  void Colour(std::string_view key, vantor::Colour value) { Line(key, FormatColour(value)); }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

std::string Key(std::string_view prefix, std::string_view suffix) {
  std::string key(prefix);
  key.append(suffix);
  return key;
}

constexpr std::array<std::string_view, 8> kSoundSuffixes = {
    "SoundType",      "SoundFile",     "SoundToneFrequency", "SoundToneDuration",
    "VibrateEnabled", "VibrateOnTime", "VibrateOffTime",     "VibrateIterations"};

}  // namespace

std::string Settings::SettingsText() const {
  Writer w;
  w.Line("hostname", EncodeText(FileSafe(hostname_, true), CodePage::Ansi));
  w.Int("hostport", hostport_);
  w.Int("screencols", screen_.cols);
  w.Int("screenrows", screen_.rows);
  w.Int("terminalid", terminalid_);
  w.Int("toolbarsize", toolbarsize_);
  w.Bool("fullscreen", fullscreen_);
  w.Int("windowstate", windowstate_);
  w.Line("windowpos", std::to_string(windowpos_.left) + "," + std::to_string(windowpos_.top) + "," +
                          std::to_string(windowpos_.width) + "," + std::to_string(windowpos_.height));
  w.Int("intercharacterdelay", intercharacterdelay_);
  w.Int("fontpointsize", fontpointsize_);
  w.Bool("fontautosize", fontautosize_);
  w.Quoted("fontname", fontname_);
  std::u16string serial = SerialPartSafe(serial_.port);
  for (const std::u16string* part : {&serial_.baud, &serial_.dataBits, &serial_.parity, &serial_.stopBits}) {
    serial.push_back(u',');
    serial.append(SerialPartSafe(*part));
  }
  w.QuotedBytes("serial", EncodeText(serial, CodePage::Ansi));
  w.Bool("serialcommand", serialcommand_);
  // The bytes are written as signed 8-bit numbers; the reader keeps the low 8 bits again.
  auto byte = [](std::uint8_t b) { return std::to_string(static_cast<int>(static_cast<std::int8_t>(b))); };
  const SerialFeatureSettings& f = serialfeature_;
  w.Line("serialfeature", std::string(f.inEnabled ? "true" : "false") + "," + byte(f.inStart) + "," + byte(f.inEnd) +
                              "," + (f.outEnabled ? "true" : "false") + "," + byte(f.outPrefix) + "," +
                              byte(f.outSuffix));
  w.Int("serialReadIntervalTimeout", serialTimeouts_.readIntervalTimeout);
  w.Int("serialReadTotalTimeoutConstant", serialTimeouts_.readTotalTimeoutConstant);
  w.Int("serialReadTotalTimeoutMultiplier", serialTimeouts_.readTotalTimeoutMultiplier);
  w.Int("serialWriteTotalTimeoutConstant", serialTimeouts_.writeTotalTimeoutConstant);
  w.Int("serialWriteTotalTimeoutMultiplier", serialTimeouts_.writeTotalTimeoutMultiplier);
  w.Bool("fieldedit", fieldedit_);
  w.Quoted("fieldnumericvalue", fieldnumericvalue_);
  w.Bool("scannerappendenter", scannerappendenter_);
  w.Bool("scannerappendf0", scannerappendf0_);
  w.Bool("scanneroverwritefield", scanneroverwritefield_);
  w.Bool("fieldentertof0", fieldentertof0_);
  w.Bool("ScannerModeCallBack", ScannerModeCallBack_);
  w.Bool("CustomColorMode", CustomColorMode_);
  w.Bool("ShowWaterMark", ShowWaterMark_);
  w.Quoted("WaterMarkText", WaterMarkText_);
  w.Colour("ForeGroundColor", ForeGroundColor_);
  w.Colour("BackGroundColor", BackGroundColor_);
  w.Colour("InputForeGroundColor", InputForeGroundColor_);
  w.Colour("InputBackGroundColor", InputBackGroundColor_);
  w.Colour("FocusForeGroundColor", FocusForeGroundColor_);
  w.Colour("FocusBackGroundColor", FocusBackGroundColor_);
  w.Colour("SelectedForeGround", SelectedForeGround_);
  w.Colour("SelectedBackGroundColor", SelectedBackGroundColor_);
  w.Colour("CheckBoxCheckAndRadioButtonDotColor", CheckBoxCheckAndRadioButtonDotColor_);
  char width[16];
  std::snprintf(width, sizeof width, "%2.2d", CharacterCellAdditionalWidth_);
  w.Line("CharacterCellAdditionalWidth", width);
  w.Bool("KorvathAdminMode", KorvathAdminMode_);
  w.Bool("UnderlineFixedTextMode", UnderlineFixedTextMode_);
  w.Bool("UpperCaseInputMode", UpperCaseInputMode_);
  auto group = [&](int event) {
    const std::string_view prefix = SoundEventPrefix(event);
    const SoundEventSettings& s = sounds_[static_cast<std::size_t>(event)];
    w.Int(Key(prefix, "SoundType"), s.SoundType);
    w.Quoted(Key(prefix, "SoundFile"), s.SoundFile);
    w.Int(Key(prefix, "SoundToneFrequency"), s.SoundToneFrequency);
    w.Int(Key(prefix, "SoundToneDuration"), s.SoundToneDuration);
    w.Int(Key(prefix, "VibrateEnabled"), s.VibrateEnabled);
    w.Int(Key(prefix, "VibrateOnTime"), s.VibrateOnTime);
    w.Int(Key(prefix, "VibrateOffTime"), s.VibrateOffTime);
    w.Int(Key(prefix, "VibrateIterations"), s.VibrateIterations);
  };
  for (int event = 0; event < 4; ++event) group(event);
  w.Bool("fieldIsUTF8", fieldIsUTF8_);
  for (int event = 4; event < kSoundEventCount; ++event) group(event);
  return w.Take();
}

void Settings::ApplySettingsText(std::string_view text) {
  const std::size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);

  KeyIndex index(text);
  // Ints, bools and the host name: the token after the key.
  struct IntKey {
    std::string_view key;
    int* target;
    int missing;
  };
  const IntKey ints[] = {
      {"hostport", &hostport_, 9999},
      {"screencols", &screen_.cols, 80},
      {"screenrows", &screen_.rows, 24},
      {"terminalid", &terminalid_, 1},
      {"toolbarsize", &toolbarsize_, 0},
      {"serialReadIntervalTimeout", &serialTimeouts_.readIntervalTimeout, 500},
      {"serialReadTotalTimeoutMultiplier", &serialTimeouts_.readTotalTimeoutMultiplier, 0},
      {"serialReadTotalTimeoutConstant", &serialTimeouts_.readTotalTimeoutConstant, 0},
      {"serialWriteTotalTimeoutMultiplier", &serialTimeouts_.writeTotalTimeoutMultiplier, 0},
      {"serialWriteTotalTimeoutConstant", &serialTimeouts_.writeTotalTimeoutConstant, 0},
      {"intercharacterdelay", &intercharacterdelay_, 30},
      {"fontpointsize", &fontpointsize_, 9},
      {"CharacterCellAdditionalWidth", &CharacterCellAdditionalWidth_, 1},
      {"windowstate", &windowstate_, 0},
  };
  struct BoolKey {
    std::string_view key;
    bool* target;
    bool missing;
  };
  const BoolKey bools[] = {
      {"fullscreen", &fullscreen_, false},
      {"serialcommand", &serialcommand_, false},
      {"fontautosize", &fontautosize_, false},
      {"fieldedit", &fieldedit_, true},
      {"fieldentertof0", &fieldentertof0_, true},
      {"scannerappendenter", &scannerappendenter_, false},
      {"scannerappendf0", &scannerappendf0_, true},
      {"ScannerModeCallBack", &ScannerModeCallBack_, true},
      {"scanneroverwritefield", &scanneroverwritefield_, true},
      {"KorvathAdminMode", &KorvathAdminMode_, true},
      {"UpperCaseInputMode", &UpperCaseInputMode_, false},
      {"CustomColorMode", &CustomColorMode_, false},
      {"ShowWaterMark", &ShowWaterMark_, true},
      {"UnderlineFixedTextMode", &UnderlineFixedTextMode_, true},
      {"fieldIsUTF8", &fieldIsUTF8_, false},
  };
  // Texts: the rest of the key's line; 0 means no bound.
  struct TextKey {
    std::string_view key;
    std::u16string* target;
    std::u16string_view missing;
    std::size_t max;
  };
  const TextKey texts[] = {
      {"fontname", &fontname_, u"Courier New", kFontNameMax},
      {"fieldnumericvalue", &fieldnumericvalue_, u"0123456789+-%*/.$", kNumericCharsMax},
      {"WaterMarkText", &WaterMarkText_, u"Vantor II", kWaterMarkTextMax},
  };
  struct ColourKey {
    std::string_view key;
    Colour* target;
    Colour missing;
  };
  const ColourKey colours[] = {
      {"ForeGroundColor", &ForeGroundColor_, kBlack},
      {"BackGroundColor", &BackGroundColor_, kScreenBlue},
      {"InputForeGroundColor", &InputForeGroundColor_, kBlack},
      {"InputBackGroundColor", &InputBackGroundColor_, kWhite},
      {"FocusForeGroundColor", &FocusForeGroundColor_, kBlack},
      {"FocusBackGroundColor", &FocusBackGroundColor_, kFocusYellow},
      {"SelectedForeGround", &SelectedForeGround_, kWhite},
      {"SelectedBackGroundColor", &SelectedBackGroundColor_, kSelectedAmber},
      {"CheckBoxCheckAndRadioButtonDotColor", &CheckBoxCheckAndRadioButtonDotColor_, kBlack},
  };

  std::vector<std::string> soundKeys;  // owns the composed sound key names while the index refers to them
  soundKeys.reserve(kSoundEventCount * kSoundSuffixes.size());
  for (int event = 0; event < kSoundEventCount; ++event)
    for (std::string_view suffix : kSoundSuffixes) soundKeys.push_back(Key(SoundEventPrefix(event), suffix));

  const std::size_t hostSlot = index.Add("hostname");
  std::vector<std::size_t> intSlots, boolSlots, textSlots, colourSlots, soundSlots;
  for (const IntKey& k : ints) intSlots.push_back(index.Add(k.key));
  for (const BoolKey& k : bools) boolSlots.push_back(index.Add(k.key));
  for (const TextKey& k : texts) textSlots.push_back(index.Add(k.key));
  for (const ColourKey& k : colours) colourSlots.push_back(index.Add(k.key));
  const std::size_t serialSlot = index.Add("serial");
  const std::size_t featureSlot = index.Add("serialfeature");
  const std::size_t posSlot = index.Add("windowpos");
  for (const std::string& key : soundKeys) soundSlots.push_back(index.Add(key));
  index.Scan();

  auto intValue = [&](std::size_t slot, int missing) {
    const std::string_view* v = index.Next(slot);
    return v ? AsciiToInt(*v) : missing;
  };
  auto boolValue = [&](std::size_t slot, bool missing) {
    const std::string_view* v = index.Next(slot);
    bool value = missing;
    if (v && ParseBool(*v, &value)) return value;
    return missing;
  };

  const std::string_view* host = index.Next(hostSlot);
  hostname_ = host ? DecodeValue(*host, 0) : u"127.0.0.1";
  for (std::size_t i = 0; i < std::size(ints); ++i) *ints[i].target = intValue(intSlots[i], ints[i].missing);
  if (CharacterCellAdditionalWidth_ > 99) CharacterCellAdditionalWidth_ = 1;
  for (std::size_t i = 0; i < std::size(bools); ++i) *bools[i].target = boolValue(boolSlots[i], bools[i].missing);
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    std::string_view v;
    *texts[i].target =
        index.LineValue(textSlots[i], &v) ? DecodeValue(v, texts[i].max) : std::u16string(texts[i].missing);
  }
  for (std::size_t i = 0; i < std::size(colours); ++i) {
    std::string_view v;
    *colours[i].target = index.LineValue(colourSlots[i], &v) ? ParseColour(v, colours[i].missing) : colours[i].missing;
  }

  std::string_view v;
  serial_ = SerialLineSettings{};
  if (index.LineValue(serialSlot, &v)) {
    const std::vector<std::string_view> items = SplitItems(v, 5);
    if (items.size() == 5) {
      serial_.port = DecodeValue(items[0], kSerialPartMax);
      serial_.baud = DecodeValue(items[1], kSerialPartMax);
      serial_.dataBits = DecodeValue(items[2], kSerialPartMax);
      serial_.parity = DecodeValue(items[3], kSerialPartMax);
      serial_.stopBits = DecodeValue(items[4], kSerialPartMax);
    }
  }

  serialfeature_ = SerialFeatureSettings{};
  if (index.LineValue(featureSlot, &v)) {
    const std::vector<std::string_view> items = SplitItems(v, 6);
    if (items.size() == 6) {
      auto byte = [](std::string_view item) { return static_cast<std::uint8_t>(AsciiToInt(item) & 0xFF); };
      serialfeature_.inEnabled = EqualNoCase(items[0], "true");
      serialfeature_.inStart = byte(items[1]);
      serialfeature_.inEnd = byte(items[2]);
      serialfeature_.outEnabled = EqualNoCase(items[3], "true");
      serialfeature_.outPrefix = byte(items[4]);
      serialfeature_.outSuffix = byte(items[5]);
    } else {
      serialfeature_ = SerialFeatureSettings{true, 10, 13, true, 10, 13};
    }
  }

  windowpos_ = WindowPos{};
  if (index.LineValue(posSlot, &v)) {
    const std::vector<std::string_view> items = SplitItems(v, 4);
    if (items.size() == 4)
      windowpos_ = WindowPos{AsciiToInt(items[0]), AsciiToInt(items[1]), AsciiToInt(items[2]), AsciiToInt(items[3])};
    else
      windowpos_ = WindowPos{kWindowPosDefault, kWindowPosDefault, kWindowPosDefault, kWindowPosDefault};
  }

  // A key missing from a group reads as 0 (an empty file name), unlike a new object's defaults.
  for (int event = 0; event < kSoundEventCount; ++event) {
    SoundEventSettings& s = sounds_[static_cast<std::size_t>(event)];
    const std::size_t* slot = &soundSlots[static_cast<std::size_t>(event) * kSoundSuffixes.size()];
    s.SoundType = intValue(slot[0], 0);
    s.SoundFile = index.LineValue(slot[1], &v) ? DecodeValue(v, kSoundFileMax) : std::u16string();
    s.SoundToneFrequency = intValue(slot[2], 0);
    s.SoundToneDuration = intValue(slot[3], 0);
    s.VibrateEnabled = intValue(slot[4], 0);
    s.VibrateOnTime = intValue(slot[5], 0);
    s.VibrateOffTime = intValue(slot[6], 0);
    s.VibrateIterations = intValue(slot[7], 0);
  }
}

bool Settings::ReadSettings() {
  std::string text;
  if (path_.empty() || !files::ReadWhole(path_, kMaxFileBytes, &text)) return false;
  ApplySettingsText(text);
  return true;
}

bool Settings::WriteSettings() const { return !path_.empty() && files::WriteWhole(path_, SettingsText()); }

}  // namespace vantor
