// Host-side screen builder: the encodings and one writer per screen command.
#include "screen_builder.h"

#include <algorithm>
#include <initializer_list>

namespace vantor::host_records {

namespace {
char HexDigit(int v) { return static_cast<char>(v < 10 ? '0' + v : 'A' + v - 10); }
}  // namespace

std::string ShortNumber(int value) {
  std::string out;
  AppendShort(out, value);
  return out;
}

std::string LongNumber(int value) {
  if (value < 0) return ShortNumber(value);
  std::string out;
  AppendLength(out, static_cast<std::size_t>(value));
  return out;
}

namespace option {
FieldOption Type(char letter) { return {std::string{'@', 'A', letter}}; }
FieldOption MaxLength(int value) {
  value = std::clamp(value, 0, 0xFFFF);
  std::string digits = "@B";
  for (int shift = 12; shift >= 0; shift -= 4) digits += HexDigit((value >> shift) & 15);
  return {digits};
}
FieldOption MaxLengthDigits(std::string_view fourBytes) {
  FieldOption o{"@B"};
  o.bytes.append(fourBytes);
  return o;
}
FieldOption Selected(bool on) { return {on ? "@H1" : "@H0"}; }
FieldOption Centred() { return {"@M"}; }
FieldOption Recreate() { return {"@P"}; }
FieldOption CheckSize(int cells) {
  FieldOption o{"@S"};
  o.bytes += ShortNumber(cells);
  return o;
}
FieldOption Letter(char letter) { return {std::string{'@', letter}}; }
}  // namespace option

ScreenBuilder& ScreenBuilder::Letter(char letter) {
  commands_ += letter;
  return *this;
}

ScreenBuilder& ScreenBuilder::Fixed(int fieldId, int row, int column, std::string_view text) {
  Letter('f');
  commands_ += ShortNumber(fieldId);
  commands_ += ShortNumber(row);
  commands_ += ShortNumber(column);
  commands_ += LongNumber(static_cast<int>(text.size()));
  commands_ += text;
  return *this;
}

ScreenBuilder& ScreenBuilder::Define(int fieldId, int row, int column, std::uint8_t flags, std::uint8_t attributes,
                                     int length) {
  Letter('i');
  commands_ += ShortNumber(fieldId);
  commands_ += ShortNumber(row);
  commands_ += ShortNumber(column);
  commands_ += static_cast<char>(flags);
  commands_ += static_cast<char>(attributes);
  commands_ += LongNumber(length);
  return *this;
}

ScreenBuilder& ScreenBuilder::Input(int fieldId, int row, int column, int length) {
  return Define(fieldId, row, column, field::kBase | field::kInput, field::kBase, length);
}

ScreenBuilder& ScreenBuilder::Text(int fieldId, std::string_view text) {
  Letter('u');
  commands_ += ShortNumber(fieldId);
  commands_ += LongNumber(static_cast<int>(text.size()));
  commands_ += text;
  return *this;
}

ScreenBuilder& ScreenBuilder::Options(int fieldId, const std::vector<FieldOption>& options, int ignored) {
  Letter('w');
  commands_ += ShortNumber(fieldId);
  commands_ += LongNumber(ignored);
  for (const FieldOption& o : options) commands_ += o.bytes;
  return *this;
}

ScreenBuilder& ScreenBuilder::Prefix(int fieldId, int mode, std::string_view text) {
  Letter('y');
  commands_ += ShortNumber(fieldId);
  commands_ += ShortNumber(mode);
  commands_ += ShortNumber(static_cast<int>(text.size()));
  commands_ += text;
  return *this;
}

ScreenBuilder& ScreenBuilder::Attributes(int fieldId, std::uint8_t flags, std::uint8_t attributes) {
  Letter('+');
  commands_ += ShortNumber(fieldId);
  commands_ += static_cast<char>(flags);
  commands_ += static_cast<char>(attributes);
  return *this;
}

ScreenBuilder& ScreenBuilder::SerialFlags(int fieldId, std::uint8_t serialFlags) {
  Letter('b');
  commands_ += ShortNumber(fieldId);
  commands_ += static_cast<char>(serialFlags);
  return *this;
}

ScreenBuilder& ScreenBuilder::ClearField(int fieldId) { return Letter('c').Raw(ShortNumber(fieldId)); }
ScreenBuilder& ScreenBuilder::ClearInputFields() { return Letter('C'); }
ScreenBuilder& ScreenBuilder::DeleteField(int fieldId) { return Letter('e').Raw(ShortNumber(fieldId)); }
ScreenBuilder& ScreenBuilder::ErasePage() { return Letter('E'); }
ScreenBuilder& ScreenBuilder::CopyText(int source, int destination) {
  return Letter('k').Raw(ShortNumber(source)).Raw(ShortNumber(destination));
}

ScreenBuilder& ScreenBuilder::SelectPage(int page) { return Letter('s').Raw(ShortNumber(page)); }
ScreenBuilder& ScreenBuilder::ShowPage(int page) { return Letter('d').Raw(ShortNumber(page)); }
ScreenBuilder& ScreenBuilder::Focus(int fieldId) { return Letter('@').Raw(ShortNumber(fieldId)); }
ScreenBuilder& ScreenBuilder::FocusAndUnlock(int fieldId) { return Letter('o').Raw(ShortNumber(fieldId)); }
ScreenBuilder& ScreenBuilder::Lock() { return Letter('l'); }

ScreenBuilder& ScreenBuilder::MessageAt(int fieldId, std::string_view text) {
  Letter('a');
  commands_ += ShortNumber(fieldId);
  commands_ += LongNumber(static_cast<int>(text.size()));
  commands_ += text;
  return *this;
}

ScreenBuilder& ScreenBuilder::Message(std::string_view text) {
  Letter('A');
  commands_ += LongNumber(static_cast<int>(text.size()));
  commands_ += text;
  return *this;
}

ScreenBuilder& ScreenBuilder::Prompt(int inputLength, std::string_view text) {
  Letter('h');
  commands_ += ShortNumber(inputLength);
  commands_ += LongNumber(static_cast<int>(text.size()));
  commands_ += text;
  return *this;
}

ScreenBuilder& ScreenBuilder::KeyLabel(int keyCode, std::string_view label) {
  Letter('S');
  commands_ += ShortNumber(keyCode);
  commands_ += ShortNumber(static_cast<int>(label.size()));
  commands_ += label;
  return *this;
}

ScreenBuilder& ScreenBuilder::Sound() { return Letter('#'); }
ScreenBuilder& ScreenBuilder::ScannerEnable(int value) { return Letter('Z').Raw("e").Raw(ShortNumber(value)); }
ScreenBuilder& ScreenBuilder::UserSound(int number) { return Letter('Z').Raw("s").Raw(ShortNumber(number)); }
ScreenBuilder& ScreenBuilder::DeviceValues(int a, int b, int c) {
  return Letter('Z').Raw("v").Raw(LongNumber(a)).Raw(LongNumber(b)).Raw(LongNumber(c));
}

ScreenBuilder& ScreenBuilder::SerialOut(int mode, std::string_view bytes) {
  Letter('>');
  commands_ += ShortNumber(0);
  commands_ += ShortNumber(mode);
  commands_ += LongNumber(static_cast<int>(bytes.size()));
  commands_ += bytes;
  return *this;
}

ScreenBuilder& ScreenBuilder::FontStep(int step) { return Letter('F').Raw(ShortNumber(step)); }
ScreenBuilder& ScreenBuilder::StatusRequest() { return Letter('!'); }
ScreenBuilder& ScreenBuilder::SendFields(int code) { return Letter('W').Raw(ShortNumber(code)); }

ScreenBuilder& ScreenBuilder::Ignored(char letter, std::string_view payload, char marker) {
  Letter(letter);
  const int n = static_cast<int>(payload.size());
  switch (letter) {
    case 'K':
    case 'X':
    case 'r': return Raw(ShortNumber(0));
    case 'p': {
      std::string pair(payload.substr(0, 2));
      pair.resize(2, '0');
      return Raw(pair);
    }
    case 'D': {
      std::string block(payload.substr(0, 11));
      block.resize(11, '0');
      return Raw(block);
    }
    case '$':
    case '%':
    case 'I': return Raw(ShortNumber(n)).Raw(payload);
    case 'j': return Raw(ShortNumber(0)).Raw(ShortNumber(n)).Raw(payload);
    case 'L': return Raw(ShortNumber(0)).Raw(ShortNumber(0)).Raw(ShortNumber(n)).Raw(payload);
    case 'v': return Raw(ShortNumber(0)).Raw(LongNumber(n)).Raw(payload);
    case 'M':
    case 'N':
    case 'O': return Raw(LongNumber(n)).Raw(payload);
    case 'P':
    case 'Q': return Raw(payload).Raw(std::string(1, marker));
    default:  // B R m z and letters without arguments
      return *this;
  }
}

ScreenBuilder& ScreenBuilder::Raw(std::string_view bytes) {
  commands_ += bytes;
  return *this;
}

ScreenBuilder& ScreenBuilder::Append(const ScreenBuilder& other) { return Raw(other.commands_); }

std::string ScreenBuilder::RecordData() const {
  std::string out(1, 'H');
  out += commands_;
  return out;
}
std::string ScreenBuilder::Record() const {
  std::string out = RecordData();
  out += kTerminator;
  return out;
}
std::string ScreenBuilder::Wire() const {
  std::string out = EscapeForWire(RecordData());
  out += kTerminator;
  return out;
}

namespace samples {

namespace {
std::string Padded(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}
std::string TwoDigits(int n) { return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)}; }
// Pieces joined (plain appends: GCC 12 misjudges some string concatenations at -O3).
std::string Join(std::initializer_list<std::string_view> pieces) {
  std::string out;
  for (const std::string_view p : pieces) out.append(p);
  return out;
}
}  // namespace

ScreenBuilder FullScreen() {
  ScreenBuilder b;
  b.SelectPage(0).ErasePage();
  b.Fixed(1, 0, 0, Padded("RECEIVING - PURCHASE ORDER ENTRY", 80));
  for (int r = 0; r < 20; ++r) {
    const int base = 2 + r * 3;
    b.Fixed(base, r + 2, 0, Padded(Join({"Item ", TwoDigits(r), ":"}), 12));
    b.Input(base + 1, r + 2, 14, 20);
    b.Options(base + 1, {option::MaxLength(40), option::Recreate()});
    if (r % 4 == 0) b.Prefix(base + 1, 1, "]C");
    b.Text(base + 1, Join({"00", TwoDigits(r), "-4711"}));
    b.Fixed(base + 2, r + 2, 40, Padded(Join({"Description of item ", TwoDigits(r), " in stock"}), 39));
  }
  b.Define(62, 23, 0, field::kBase | field::kSystemLine, field::kBase, 80);
  b.KeyLabel(1, "SAVE").KeyLabel(2, "BACK").KeyLabel(3, "EXIT").KeyLabel(4, "NEXT").KeyLabel(5, "CLEAR");
  return b.ShowPage(0).FocusAndUnlock(3);
}

ScreenBuilder TextUpdates() {
  ScreenBuilder b;
  for (int r = 0; r < 20; ++r) b.Text(3 + r * 3, Join({"QTY ", TwoDigits(r), " PCS"}));
  return b.FocusAndUnlock(3);
}

ScreenBuilder IgnoredBlocks(std::size_t bytes) {
  ScreenBuilder b;
  const std::string big(2000, 'x');
  const std::string small(200, 'y');
  while (b.Commands().size() < bytes) {
    b.Ignored('M', big).Ignored('N', big).Ignored('O', big).Ignored('v', big);
    b.Ignored('$', small).Ignored('%', small).Ignored('I', small).Ignored('j', small).Ignored('L', small);
    b.Ignored('D', "0123456789A").Ignored('p', "ab").Ignored('K').Ignored('X').Ignored('r');
    b.Ignored('B').Ignored('R').Ignored('m').Ignored('z').Ignored('P', small);
  }
  return b;
}

}  // namespace samples

}  // namespace vantor::host_records
