// Field definition and content commands: create, shape, fill and remove the current page's fields.
#include <algorithm>
#include <string>

#include "interpreter/commands.h"
#include "model/field_list.h"
#include "platform/codepage.h"

namespace vantor {

namespace {

// A serial display field with text sends it out of the serial port (8-bit, ANSI code page).
void SendSerialDisplayText(ScreenRun& run, const Field& field) {
  if (!field.IsSerial() || field.Mode() != kModeDisplay || field.Text().empty()) return;
  run.view.SerialOut(EncodeText(field.Text(), CodePage::Ansi));
}

// Hexadecimal value of the option's four digit bytes ("07D0", "0x7d"...): digits up to the first
// byte that is not one.
int ParseHexDigits(std::string_view digits) {
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.remove_prefix(2);
  int value = 0;
  for (const char c : digits) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else
      break;
    value = value * 16 + d;
  }
  return value;
}

constexpr int kLargestMaxLength = 2047;

// Field lengths come from long numbers; a byte below '0' would make them negative.
int Width(int length) { return length > 0 ? length : 0; }

}  // namespace

void CmdFixedField(ScreenRun& run) {
  const int id = run.args.Short();
  const int row = run.args.Short();
  const int column = run.args.Short();
  const int length = Width(run.args.Long());
  FieldList* fields = run.Fields();
  if (fields == nullptr) {
    run.args.Skip(length);
    return;
  }
  Field& field = fields->Add(id, row, column, length, run.removed);
  field.format.flags = 'A';
  field.format.attributes = '@';
  field.SetText(run.Text(length, static_cast<std::size_t>(length)));
  field.link.recreate = true;
  run.redraw = true;
}

void CmdDefineField(ScreenRun& run) {
  const int id = run.args.Short();
  const int row = run.args.Short();
  const int column = run.args.Short();
  const std::uint8_t flags = run.args.Raw();
  const std::uint8_t attributes = run.args.Raw();
  const int length = Width(run.args.Long());
  FieldList* fields = run.Fields();
  if (fields == nullptr) return;
  Field& field = fields->Add(id, row, column, length, run.removed);
  field.format.flags = flags;
  field.format.attributes = attributes;
  field.ClearText();
  field.link.recreate = true;
  run.redraw = true;
}

void CmdSetAttributes(ScreenRun& run) {
  const int id = run.args.Short();
  const std::uint8_t flags = run.args.Raw();
  const std::uint8_t attributes = run.args.Raw();
  Field* field = run.FindField(id);
  if (field == nullptr) return;
  field->format.flags = flags;
  field->format.attributes = attributes;
  field->link.recreate = true;
  run.redraw = true;
}

void CmdSerialFlags(ScreenRun& run) {
  const int id = run.args.Short();
  const std::uint8_t serialFlags = run.args.Raw();
  Field* field = run.FindField(id);
  if (field == nullptr) return;
  field->format.serialFlags = serialFlags;
  field->link.recreate = true;
  run.redraw = true;
  SendSerialDisplayText(run, *field);
}

void CmdFieldOptions(ScreenRun& run) {
  ArgReader& args = run.args;
  const int id = args.Short();
  args.Long();  // not used
  Field* field = run.FindField(id);
  while (args.Peek() == '@') {
    args.Skip(1);
    const std::uint8_t option = args.Raw();
    if (option == 'A') {
      int type = -1;
      switch (args.Peek()) {
        case 'B': type = kTypeButton; break;
        case 'C': type = kTypeCheckBox; break;
        case 'R': type = kTypeRadioButton; break;
        case 'S': type = kTypeSelectButton; break;
        default: break;
      }
      // An unknown type letter, or no field: the byte is left to be read as the next command.
      if (field == nullptr || type < 0) break;
      args.Skip(1);
      field->format.type = static_cast<std::uint8_t>(type);
      field->link.recreate = true;
    } else if (option == 'B') {
      const int value = std::min(std::max(ParseHexDigits(args.Bytes(4)), 0), kLargestMaxLength);
      if (field == nullptr) continue;
      const bool hadText = field->HasText();
      field->SetMaxLength(value);
      if (!hadText) field->ClearText();
      field->link.recreate = true;
    } else if (option == 'H') {
      const std::uint8_t state = args.Peek();
      if (field == nullptr || (state != '0' && state != '1')) break;
      args.Skip(1);
      field->format.selected = state == '1';
      field->link.recreate = true;
    } else if (option == 'M') {
      if (field == nullptr) continue;
      field->format.centred = true;
      field->link.recreate = true;
    } else if (option == 'P') {
      if (field != nullptr) field->link.recreate = true;
    } else if (option == 'S') {
      const int size = args.Short();
      if (field == nullptr) continue;
      field->format.checkSize = size;
      field->link.recreate = true;
    }
    // Any other option letter: only the letter is consumed.
  }
  run.redraw = true;
}

void CmdSetText(ScreenRun& run) {
  const int id = run.args.Short();
  const int n = run.args.Long();
  Field* field = run.FindField(id);
  if (field == nullptr) {
    run.args.Skip(n);
    return;
  }
  if (n >= 1) {
    field->SetText(run.Text(n, static_cast<std::size_t>(field->MaxLength())));
  } else {
    field->ClearText();
  }
  field->link.recreate = true;
  run.redraw = true;
  SendSerialDisplayText(run, *field);
}

void CmdClearField(ScreenRun& run) {
  Field* field = run.FindField(run.args.Short());
  if (field == nullptr || !field->HasText()) return;
  field->ClearText();
  run.redraw = true;
}

void CmdClearInputFields(ScreenRun& run) {
  if (FieldList* fields = run.Fields()) {
    for (Field* field = fields->Head(); field; field = field->NextById()) {
      if (field->Mode() == kModeInput && field->HasText()) field->ClearText();
    }
  }
  run.redraw = true;
}

void CmdDeleteField(ScreenRun& run) {
  const int id = run.args.Short();
  FieldList* fields = run.Fields();
  if (fields == nullptr || !fields->Remove(id, run.removed)) return;
  run.redraw = true;
}

void CmdErasePage(ScreenRun& run) {
  if (FieldList* fields = run.Fields()) fields->Clear(run.removed);
  run.redraw = true;
}

void CmdCopyText(ScreenRun& run) {
  const int sourceId = run.args.Short();
  const int destinationId = run.args.Short();
  Field* source = run.FindField(sourceId);
  Field* destination = run.FindField(destinationId);
  if (source == nullptr || destination == nullptr) return;
  // Cut to the narrower field like any text, so a cut never leaves half a surrogate pair.
  destination->SetText(CutText(source->Text(), std::min(source->width, destination->width)));
  destination->link.recreate = true;
  run.redraw = true;
}

void CmdPrefix(ScreenRun& run) {
  const int id = run.args.Short();
  int mode = run.args.Short();
  const int n = run.args.Short();
  Field* field = run.FindField(id);
  if (field == nullptr) {
    run.args.Skip(n);
    return;
  }
  // The flags above the mode (16, 8 and 4) ask for nothing this terminal does.
  if (mode > 15) mode -= 16;
  if (mode >= 8) mode -= 8;
  if (mode > 3) mode -= 4;
  const int length = n > 0 ? n : 0;
  field->SetPrefix(run.Text(length, static_cast<std::size_t>(length)), length, static_cast<std::uint8_t>(mode));
  field->link.recreate = true;
  run.redraw = true;
}

}  // namespace vantor
