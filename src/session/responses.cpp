// The response records: field data items and each response built, and every record of the terminal's
// read back.
#include "session/responses.h"

#include <algorithm>

#include "model/field.h"
#include "model/field_list.h"

namespace vantor {

namespace {
// The heads of the responses.
constexpr std::string_view kKeyHead = "RF";
constexpr std::string_view kFieldHead = "R%";
constexpr std::string_view kPromptHead = "R?";
constexpr std::string_view kSerialHead = "R<1";
constexpr char kFieldItemMark = '=';
// "R!", 0x82 and the terminal's kind "210"; then columns / 2, the status byte, '@' (16) and the stamp.
constexpr std::string_view kStatusHead =
    "R!\x82"
    "210";
constexpr std::size_t kStatusSize = kStatusHead.size() + 4;
constexpr int kStatusSixteen = 16;
}  // namespace

std::u16string ReportedText(const Field& field) {
  const std::u16string& text = field.Text();
  if (!field.HasPrefix()) return text;
  const std::u16string& prefix = field.Prefix();
  // Compared over the prefix as stored (a UTF-8 prefix may hold fewer units than its byte count).
  const bool begins = text.compare(0, prefix.size(), prefix) == 0;
  if (field.PrefixMode() <= 1) return begins ? text : prefix + text;
  if (!begins) return text;
  return text.size() > prefix.size() ? text.substr(prefix.size()) : std::u16string();
}

std::string_view CutEncoded(std::string_view bytes, std::size_t maxBytes, CodePage page) {
  if (bytes.size() <= maxBytes) return bytes;
  std::size_t cut = maxBytes;
  if (page == CodePage::Utf8) {
    // Step back over continuation bytes so that no sequence is split.
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
  }
  return bytes.substr(0, cut);
}

int AppendFieldData(std::string& out, FieldList* fields, CodePage page) {
  if (fields == nullptr) return 0;
  int items = 0;
  for (Field* field = fields->Head(); field; field = field->NextById()) {
    if (!field->edit.modified) continue;
    const std::string encoded = EncodeText(ReportedText(*field), page);
    const std::string_view bytes = CutEncoded(encoded, kLongestReportedText, page);
    out.reserve(out.size() + bytes.size() + 5);
    out.push_back(kFieldItemMark);
    out.push_back(FieldNumberByte(field->id));
    AppendLength(out, bytes.size());
    out.append(bytes);
    field->edit.modified = false;
    ++items;
  }
  return items;
}

std::string BuildKeyResponse(int functionCode, int focusField, FieldList* fields, CodePage page) {
  std::string out;
  out.reserve(64);
  out.append(kKeyHead);
  AppendShort(out, functionCode & 0xFF);
  out.push_back(FieldNumberByte(focusField));
  AppendFieldData(out, fields, page);
  return out;
}

std::string BuildFieldResponse(int focusField, FieldList* fields, CodePage page) {
  std::string out;
  out.reserve(64);
  out.append(kFieldHead);
  out.push_back(FieldNumberByte(focusField));
  AppendFieldData(out, fields, page);
  return out;
}

std::string BuildPromptReply(std::u16string_view reply, CodePage page) {
  const std::string encoded = EncodeText(reply, page);
  const std::string_view bytes = CutEncoded(encoded, kLongestReportedText, page);
  std::string out;
  out.reserve(bytes.size() + 5);
  out.append(kPromptHead);
  AppendLength(out, bytes.size());
  out.append(bytes);
  return out;
}

std::string BuildStatusResponse(int screenCols, int screenRows, int stamp) {
  constexpr int kStatusHigh = ((207 - 32) / 16) & 15;  // from the fixed constants 16 and 207
  std::string out(kStatusHead);
  AppendShort(out, screenCols / 2);
  out.push_back(static_cast<char>(((kStatusHigh * 16) | ((screenRows / 2) & 15)) + 48));
  AppendShort(out, kStatusSixteen);
  AppendShort(out, stamp);
  return out;
}

int SendSerialInputResponses(std::string_view data, const std::function<bool(std::string_view record)>& send) {
  const std::size_t nul = data.find('\0');
  if (nul != std::string_view::npos) data = data.substr(0, nul);
  std::string record;
  record.reserve(kSerialHead.size() + 1 + (data.size() < kSerialInputChunk ? data.size() : kSerialInputChunk));
  int sent = 0;
  do {
    const std::string_view chunk = data.substr(0, kSerialInputChunk);
    data.remove_prefix(chunk.size());
    record.assign(kSerialHead);
    AppendShort(record, static_cast<int>(chunk.size()));
    record.append(chunk);
    if (!send(record)) break;
    ++sent;
  } while (!data.empty());
  return sent;
}

namespace {

// Reads the parts of one response front to back into the record; nothing is read past the body's end.
class ResponseReader {
 public:
  ResponseReader(std::string_view body, TerminalRecord& record) : body_(body), record_(record) {}

  void Read() {
    if (Head(kKeyHead)) {
      record_.kind = TerminalRecordKind::Key;
      if (Number(record_.functionCode) && Number(record_.focusField)) Items();
    } else if (Head(kFieldHead)) {
      record_.kind = TerminalRecordKind::FieldChange;
      if (Number(record_.focusField)) Items();
    } else if (Head(kPromptHead)) {
      record_.kind = TerminalRecordKind::PromptReply;
      std::size_t length = 0;
      if (Length(length, at_) && Text(length, record_.text)) End();
    } else if (Head(kSerialHead)) {
      record_.kind = TerminalRecordKind::SerialInput;
      std::optional<int> length;
      if (!Number(length)) return;
      if (*length < 0) {
        Stop(ReadProblem::BadLength, at_ - 1);
        return;
      }
      if (Text(static_cast<std::size_t>(*length), record_.text)) End();
    } else if (body_.size() == kStatusSize && Head(kStatusHead) && ShortValue(body_[at_ + 2]) == kStatusSixteen) {
      record_.kind = TerminalRecordKind::Status;
      record_.columns = ShortValue(body_[at_]) * 2;
      record_.rows = (ShortValue(body_[at_ + 1]) & 15) * 2;
      record_.stamp = ShortValue(body_[at_ + 3]);
    } else {
      record_.rest = body_;  // no response of the terminal's
    }
  }

 private:
  bool Head(std::string_view head) {
    if (!body_.starts_with(head)) return false;
    at_ = head.size();
    return true;
  }

  bool Stop(ReadProblem problem, std::size_t from) {
    record_.problem = problem;
    record_.rest = body_.substr(std::min(from, body_.size()));
    return false;
  }

  bool Number(std::optional<int>& value) {
    if (at_ >= body_.size()) return Stop(ReadProblem::Cut, at_);
    value = ShortValue(body_[at_++]);
    return true;
  }

  // A bad length is shown from `from` on: its own first byte, or the field item it belongs to.
  bool Length(std::size_t& length, std::size_t from) {
    switch (ReadLength(body_, at_, length)) {
      case LengthRead::Read: return true;
      case LengthRead::Cut: return Stop(ReadProblem::Cut, body_.size());
      case LengthRead::Bad: break;
    }
    return Stop(ReadProblem::BadLength, from);
  }

  bool Text(std::size_t length, std::string& text) {
    text = body_.substr(at_, length);
    at_ += text.size();
    return text.size() == length || Stop(ReadProblem::TextCut, at_);
  }

  void Items() {
    while (at_ < body_.size()) {
      const std::size_t item = at_;
      if (body_[at_] != kFieldItemMark) {
        Stop(ReadProblem::NotAFieldItem, item);
        return;
      }
      ++at_;
      std::optional<int> field;
      std::size_t length = 0;
      if (!Number(field) || !Length(length, item)) return;
      record_.fields.push_back({*field, {}});
      if (!Text(length, record_.fields.back().text)) return;
    }
  }

  void End() {
    if (at_ < body_.size()) Stop(ReadProblem::LeftOver, at_);
  }

  std::string_view body_;
  TerminalRecord& record_;
  std::size_t at_ = 0;
};

}  // namespace

TerminalRecord ReadTerminalRecord(std::string_view record) {
  record = WithoutTerminator(record);
  TerminalRecord read;
  read.terminalId = TerminalIdOf(record);
  const std::string_view body = record.substr(read.terminalId.size());
  if (body.empty()) {
    read.kind = TerminalRecordKind::Empty;
  } else if (body == kIdentifyRecord) {
    read.kind = TerminalRecordKind::Identify;
  } else if (body == kScreenReceivedRecord) {
    read.kind = TerminalRecordKind::ScreenReceived;
  } else if (body == kGoodbyeRecord) {
    read.kind = TerminalRecordKind::Goodbye;
  } else {
    ResponseReader(body, read).Read();
  }
  return read;
}

}  // namespace vantor
