// The settings file "Vantor.ini": the token-based reader and the writer, each going through the table of
// settings row by row.
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/codepage.h"
#include "settings/setting_rules.h"
#include "settings/setting_table.h"

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

std::string BoolText(bool value) { return value ? "true" : "false"; }

class Writer {
 public:
  void Line(std::string_view key, std::string_view value) {
    text_.append(key);
    text_.push_back('=');
    text_.append(value);
    text_.append("\r\n");
  }
  void Int(std::string_view key, int value) { Line(key, std::to_string(value)); }
  void Bool(std::string_view key, bool value) { Line(key, BoolText(value)); }
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
  // The parts of a sound group.
  void Part(std::string_view key, int value) { Int(key, value); }
  void Part(std::string_view key, std::u16string_view value) { Quoted(key, value); }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

std::string Key(std::string_view prefix, std::string_view suffix) {
  std::string key(prefix);
  key.append(suffix);
  return key;
}

// Items joined by ",".
std::string Joined(std::initializer_list<std::string> items) {
  std::string text;
  for (const std::string& item : items) text.append(item).push_back(',');
  text.pop_back();
  return text;
}

// Writes the lines of one row.
struct WriteRow {
  Writer& w;
  std::string_view key;
  const SettingValues& values;

  void operator()(const IntSetting& s) const {
    if (s.twoDigits) {
      char digits[16];
      std::snprintf(digits, sizeof digits, "%2.2d", values.*s.value);
      w.Line(key, digits);
    } else {
      w.Int(key, values.*s.value);
    }
  }
  void operator()(const BoolSetting& s) const { w.Bool(key, values.*s.value); }
  void operator()(const TextSetting& s) const {
    if (s.quoted)
      w.Quoted(key, values.*s.value);
    else
      w.Line(key, EncodeText(FileSafe(values.*s.value, true), CodePage::Ansi));
  }
  void operator()(const ColourSetting& s) const { w.Colour(key, values.*s.value); }
  void operator()(const WindowPosSetting& s) const {
    const WindowPos& p = values.*s.value;
    w.Line(key,
           Joined({std::to_string(p.left), std::to_string(p.top), std::to_string(p.width), std::to_string(p.height)}));
  }
  void operator()(const SerialLineSetting& s) const {
    const SerialLineSettings& line = values.*s.value;
    std::u16string serial = SerialPartSafe(line.port);
    for (const std::u16string* part : {&line.baud, &line.dataBits, &line.parity, &line.stopBits}) {
      serial.push_back(u',');
      serial.append(SerialPartSafe(*part));
    }
    w.QuotedBytes(key, EncodeText(serial, CodePage::Ansi));
  }
  void operator()(const SerialFeatureSetting& s) const {
    // The bytes are written as signed 8-bit numbers; the reader keeps the low 8 bits again.
    auto byte = [](std::uint8_t b) { return std::to_string(static_cast<int>(static_cast<std::int8_t>(b))); };
    const SerialFeatureSettings& f = values.*s.value;
    w.Line(key, Joined({BoolText(f.inEnabled), byte(f.inStart), byte(f.inEnd), BoolText(f.outEnabled),
                        byte(f.outPrefix), byte(f.outSuffix)}));
  }
  void operator()(const SoundGroupSetting& s) const {
    const SoundEventSettings& group = values.sounds[static_cast<std::size_t>(s.event)];
    for (const SoundPart& part : kSoundParts)
      std::visit([&](auto member) { w.Part(Key(key, part.suffix), group.*member); }, part.value);
  }
};

std::string RowText(const SettingRow& row, const SettingValues& values) {
  Writer w;
  std::visit(WriteRow{w, row.key, values}, row.form);
  return w.Take();
}

// Sets one row's value from the index of a scanned text; `slot` is the row's first key.
struct ReadRow {
  const KeyIndex& index;
  std::size_t slot;
  SettingValues& values;

  // The token after the key (ints, bools, bare texts), or the rest of its line (everything else).
  std::optional<std::string_view> Token(std::size_t at) const {
    const std::string_view* v = index.Next(at);
    return v ? std::optional(*v) : std::nullopt;
  }
  std::optional<std::string_view> Line(std::size_t at) const {
    std::string_view v;
    return index.LineValue(at, &v) ? std::optional(v) : std::nullopt;
  }
  int Number(std::size_t at, int missing) const {
    const auto v = Token(at);
    return v ? AsciiToInt(*v) : missing;
  }
  void Part(std::size_t at, const SoundPart&, int& value) const { value = Number(at, 0); }
  void Part(std::size_t at, const SoundPart& part, std::u16string& value) const {
    const auto v = Line(at);
    value = v ? DecodeValue(*v, part.maxUnits) : std::u16string();
  }
  void operator()(const IntSetting& s) const {
    const int value = Number(slot, s.missing);
    values.*s.value = s.twoDigits && value > 99 ? s.missing : value;
  }
  void operator()(const BoolSetting& s) const {
    const auto v = Token(slot);
    bool value = s.missing;
    values.*s.value = v && ParseBool(*v, &value) ? value : s.missing;
  }
  void operator()(const TextSetting& s) const {
    const auto v = s.quoted ? Line(slot) : Token(slot);
    values.*s.value = v ? DecodeValue(*v, s.maxUnits) : std::u16string(s.initial);
  }
  void operator()(const ColourSetting& s) const {
    const auto v = Line(slot);
    values.*s.value = v ? ParseColour(*v, s.initial) : s.initial;
  }
  void operator()(const WindowPosSetting& s) const {
    WindowPos& p = values.*s.value;
    p = s.initial;
    const auto v = Line(slot);
    if (!v) return;
    const std::vector<std::string_view> items = SplitItems(*v, 4);
    if (items.size() != 4) {
      p = s.malformed;
      return;
    }
    p = WindowPos{AsciiToInt(items[0]), AsciiToInt(items[1]), AsciiToInt(items[2]), AsciiToInt(items[3])};
  }
  void operator()(const SerialLineSetting& s) const {
    SerialLineSettings& line = values.*s.value;
    std::u16string* const parts[] = {&line.port, &line.baud, &line.dataBits, &line.parity, &line.stopBits};
    const auto v = Line(slot);
    const std::vector<std::string_view> items = v ? SplitItems(*v, 5) : std::vector<std::string_view>();
    for (std::size_t i = 0; i < 5; ++i)
      *parts[i] = items.size() == 5 ? DecodeValue(items[i], s.maxUnits) : std::u16string(s.initial[i]);
  }
  void operator()(const SerialFeatureSetting& s) const {
    SerialFeatureSettings& f = values.*s.value;
    f = s.initial;
    const auto v = Line(slot);
    if (!v) return;
    const std::vector<std::string_view> items = SplitItems(*v, 6);
    if (items.size() != 6) {
      f = s.malformed;
      return;
    }
    auto byte = [](std::string_view item) { return static_cast<std::uint8_t>(AsciiToInt(item) & 0xFF); };
    f = SerialFeatureSettings{EqualNoCase(items[0], "true"), byte(items[1]), byte(items[2]),
                              EqualNoCase(items[3], "true"), byte(items[4]), byte(items[5])};
  }
  // A key missing from a group reads as 0 (an empty file name), unlike a new object's group.
  void operator()(const SoundGroupSetting& s) const {
    SoundEventSettings& group = values.sounds[static_cast<std::size_t>(s.event)];
    for (std::size_t i = 0; i < std::size(kSoundParts); ++i)
      std::visit([&](auto member) { Part(slot + i, kSoundParts[i], group.*member); }, kSoundParts[i].value);
  }
};

}  // namespace

std::string SettingsFileText(std::span<const SettingRow> rows, const SettingValues& values) {
  const SettingValues defaults;
  std::string text;
  for (const SettingRow& row : rows) {
    const std::string lines = RowText(row, values);
    if (row.writtenOnlyWhenChanged && lines == RowText(row, defaults)) continue;
    text.append(lines);
  }
  return text;
}

void ReadSettingsFileText(std::span<const SettingRow> rows, std::string_view text, SettingValues& values) {
  const std::size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);

  KeyIndex index(text);
  std::vector<std::size_t> firstSlots;  // of each row
  for (const SettingRow& row : rows) {
    const bool group = std::holds_alternative<SoundGroupSetting>(row.form);
    for (std::size_t i = 0; i < (group ? std::size(kSoundParts) : 1); ++i) {
      const std::size_t slot = index.Add(group ? Key(row.key, kSoundParts[i].suffix) : std::string(row.key));
      if (i == 0) firstSlots.push_back(slot);
    }
  }
  index.Scan();
  for (std::size_t i = 0; i < rows.size(); ++i) std::visit(ReadRow{index, firstSlots[i], values}, rows[i].form);
}

std::string Settings::SettingsText() const { return SettingsFileText(kSettingRows, values_); }

void Settings::ApplySettingsText(std::string_view text) { ReadSettingsFileText(kSettingRows, text, values_); }

bool Settings::ReadSettings() {
  std::string text;
  if (path_.empty() || !files::ReadWhole(path_, kMaxFileBytes, &text)) return false;
  ApplySettingsText(text);
  return true;
}

bool Settings::WriteSettings() const { return !path_.empty() && files::WriteWhole(path_, SettingsText()); }

}  // namespace vantor
