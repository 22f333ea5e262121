// The shadow terminal and the rule that applies the terminal's own records to it.
#include "shadow.h"

#include <map>

#include "model/field_list.h"
#include "platform/codepage.h"
#include "session/wire_format.h"

namespace vantor::gateway {

namespace {

CodePage PageOf(const HeadlessTerminal& terminal) {
  return HostCodePage(terminal.Engine().GetSettings().HostTextIsUtf8());
}

// The operator closes host dialogs before the main window takes keys again: messages with OK, a
// prompt (when keepPrompt is false) with Cancel. Stops at a prompt that is kept.
void CloseDialogs(HeadlessView& view, bool keepPrompt) {
  while (!view.Dialogs().empty()) {
    const bool prompt = view.Dialogs().back().kind == DialogKind::Prompt;
    if (prompt && keepPrompt) return;
    view.CloseDialog(!prompt);
  }
}

// The reported values go into their fields as the operator's changes.
void SetReported(HeadlessTerminal& terminal, const std::vector<ReportedField>& fields) {
  const Screen& screen = terminal.Engine().GetScreen();
  for (const ReportedField& reported : fields) {
    Field* field = screen.CurrentField(reported.field);
    if (field == nullptr) continue;
    field->SetText(TextReportedAs(*field, DecodeText(reported.text, PageOf(terminal))));
    field->edit.modified = true;
  }
}

// The fields were reported: the terminal cleared their changed marks.
void ClearReported(HeadlessTerminal& terminal, const std::vector<ReportedField>& fields) {
  const Screen& screen = terminal.Engine().GetScreen();
  for (const ReportedField& reported : fields) {
    if (Field* field = screen.CurrentField(reported.field)) field->edit.modified = false;
  }
}

}  // namespace

std::u16string TextReportedAs(const Field& field, std::u16string_view reported) {
  if (ReportedText(field) == reported) return field.Text();
  if (!field.HasPrefix() || field.PrefixMode() <= 1) return std::u16string(reported);
  // A stripped prefix: the field held it in front of what was reported.
  return field.Prefix() + std::u16string(reported);
}

void ApplyTerminalRecord(HeadlessTerminal& terminal, const vantor::TerminalRecord& record) {
  if (!record.Whole()) return;
  Terminal& engine = terminal.Engine();
  HeadlessView& view = terminal.View();
  const int focus = record.focusField.value_or(-1);
  switch (record.kind) {
    case TerminalRecordKind::Key:
    case TerminalRecordKind::FieldChange: {
      CloseDialogs(view, false);
      SetReported(terminal, record.fields);
      const bool sent = record.kind == TerminalRecordKind::Key
                            ? engine.KeyPressed(focus, FunctionKeyFromCode(record.functionCode.value_or(0)))
                            : engine.FieldChanged(focus);
      if (!sent) {
        // Locked here already (a host record crossed the key): the values and the focus still hold.
        engine.FieldFocused(focus);
        ClearReported(terminal, record.fields);
      }
      break;
    }
    case TerminalRecordKind::PromptReply:
      CloseDialogs(view, true);
      if (!view.Dialogs().empty()) view.CloseDialog(true, DecodeText(record.text, PageOf(terminal)));
      break;
    default: break;
  }
}

namespace {

Settings WithId(const Settings& site, int terminalId) {
  Settings settings = site;
  settings.SetTerminalId(terminalId);
  return settings;
}

}  // namespace

Shadow::Shadow(const Settings& site, int terminalId)
    : settings_(WithId(site, terminalId)), terminalId_(terminalId), terminal_(settings_, *this) {
  terminal_.Restart();
  terminal_.Engine().Connected();
  terminal_.SetConnected(true);
}

void Shadow::SetGrid(int columns, int rows) {
  if (columns == settings_.ScreenColumns() && rows == settings_.ScreenRows()) return;
  settings_.SetScreenSize(columns, rows);
  terminal_.Restart();
  terminal_.SetConnected(true);
}

bool Shadow::SendRecord(int terminalId, std::string_view data) {
  if (answers_ != nullptr) answers_->push_back(FrameRecord(terminalId, data));
  return true;
}

void Shadow::HostRecord(RecordBytes record, Answers& answers) {
  answers_ = &answers;
  terminal_.ReceiveRecord(record);
  answers_ = nullptr;
  if (settings_.FontStep() != 0) fontStepSet_ = true;
}

void Shadow::TerminalAnswer(const vantor::TerminalRecord& record) {
  if (!record.Whole()) return;
  SetReported(terminal_, record.fields);
  ClearReported(terminal_, record.fields);
  terminal_.Engine().FieldFocused(record.focusField.value_or(-1));
}

void Shadow::TakeUnsent(const vantor::TerminalRecord& record) {
  if (!record.Whole()) return;
  SetReported(terminal_, record.fields);
  terminal_.Engine().FieldFocused(record.focusField.value_or(-1));
}

std::string Shadow::WithUnreported(const vantor::TerminalRecord& record) const {
  if (!record.Whole() || (record.kind != TerminalRecordKind::Key && record.kind != TerminalRecordKind::FieldChange))
    return {};
  const FieldList* fields = terminal_.Engine().GetScreen().CurrentFields();
  if (fields == nullptr) return {};
  const Field* modified = fields->Head();
  while (modified != nullptr && !modified->edit.modified) modified = modified->NextById();
  if (modified == nullptr) return {};  // nearly always: nothing was typed before a come-back
  std::map<int, std::string> items;
  for (const Field* field = fields->Head(); field != nullptr; field = field->NextById()) {
    if (field->edit.modified) items[field->id] = EncodeText(ReportedText(*field), PageOf(terminal_));
  }
  if (items.empty()) return {};
  for (const ReportedField& reported : record.fields) items[reported.field] = reported.text;
  std::string out = record.terminalId;
  if (record.kind == TerminalRecordKind::Key) {
    out += "RF";
    AppendShort(out, record.functionCode.value_or(0) & 0xFF);
  } else {
    out += "R%";
  }
  out += FieldNumberByte(record.focusField.value_or(-1));
  for (const auto& [id, text] : items) {
    const std::string_view bytes = CutEncoded(text, kLongestReportedText, PageOf(terminal_));
    out += '=';
    out += FieldNumberByte(id);
    AppendLength(out, bytes.size());
    out += bytes;
  }
  out += kTerminator;
  return out;
}

void Shadow::TerminalRecord(const vantor::TerminalRecord& record) {
  Answers ignored;  // the terminal has sent its own
  answers_ = &ignored;
  ApplyTerminalRecord(terminal_, record);
  answers_ = nullptr;
}

}  // namespace vantor::gateway
