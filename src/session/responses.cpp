// Building the response records: number and length encodings, field data items, each response.
#include "session/responses.h"

#include "model/field.h"
#include "model/field_list.h"

namespace vantor {

void AppendShort(std::string& out, int value) { out.push_back(static_cast<char>((value + 48) & 0xFF)); }

void AppendLength(std::string& out, std::size_t length) {
  if (length <= 207) {
    AppendShort(out, static_cast<int>(length));
    return;
  }
  if (length > kLongestReportedText) length = kLongestReportedText;
  out.push_back('!');
  AppendShort(out, static_cast<int>(length / 208));
  AppendShort(out, static_cast<int>(length % 208));
}

char FieldNumberByte(int number) {
  if (number < 0 || number > 207) return '/';
  return static_cast<char>(number + 48);
}

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
    out.push_back('=');
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
  out.append("RF");
  AppendShort(out, functionCode & 0xFF);
  out.push_back(FieldNumberByte(focusField));
  AppendFieldData(out, fields, page);
  return out;
}

std::string BuildFieldResponse(int focusField, FieldList* fields, CodePage page) {
  std::string out;
  out.reserve(64);
  out.append("R%");
  out.push_back(FieldNumberByte(focusField));
  AppendFieldData(out, fields, page);
  return out;
}

std::string BuildPromptReply(std::u16string_view reply, CodePage page) {
  const std::string encoded = EncodeText(reply, page);
  const std::string_view bytes = CutEncoded(encoded, kLongestReportedText, page);
  std::string out;
  out.reserve(bytes.size() + 5);
  out.append("R?");
  AppendLength(out, bytes.size());
  out.append(bytes);
  return out;
}

std::string BuildStatusResponse(int screenCols, int screenRows, int stamp) {
  constexpr int kStatusHigh = ((207 - 32) / 16) & 15;  // from the fixed constants 16 and 207
  std::string out("R!");
  out.push_back(static_cast<char>(0x82));
  out.append("210");
  AppendShort(out, screenCols / 2);
  out.push_back(static_cast<char>(((kStatusHigh * 16) | ((screenRows / 2) & 15)) + 48));
  AppendShort(out, 16);
  AppendShort(out, stamp);
  return out;
}

int SendSerialInputResponses(std::string_view data, const std::function<bool(std::string_view record)>& send) {
  const std::size_t nul = data.find('\0');
  if (nul != std::string_view::npos) data = data.substr(0, nul);
  std::string record;
  record.reserve(4 + (data.size() < kSerialInputChunk ? data.size() : kSerialInputChunk));
  int sent = 0;
  do {
    const std::string_view chunk = data.substr(0, kSerialInputChunk);
    data.remove_prefix(chunk.size());
    record.assign("R<1");
    AppendShort(record, static_cast<int>(chunk.size()));
    record.append(chunk);
    if (!send(record)) break;
    ++sent;
  } while (!data.empty());
  return sent;
}

}  // namespace vantor
