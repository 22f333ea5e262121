// Building the response records: field data items, each response.
#include "session/responses.h"

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
constexpr std::string_view kStatusHead{
    "R!\x82"
    "210",
    6};
constexpr int kStatusSixteen = 16;
}  // namespace

std::u16string ReportedText(const Field& field) {
  const std::u16string& text = field.Text();
  if (!field.hasPrefix) return text;
  const std::u16string& prefix = field.prefix;
  // Compared over the prefix as stored (a UTF-8 prefix may hold fewer units than its byte count).
  const bool begins = text.compare(0, prefix.size(), prefix) == 0;
  if (field.prefixMode <= 1) return begins ? text : prefix + text;
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
    if (!field->modified) continue;
    const std::string encoded = EncodeText(ReportedText(*field), page);
    const std::string_view bytes = CutEncoded(encoded, kLongestReportedText, page);
    out.reserve(out.size() + bytes.size() + 5);
    out.push_back(kFieldItemMark);
    out.push_back(FieldNumberByte(field->id));
    AppendLength(out, bytes.size());
    out.append(bytes);
    field->modified = 0;
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

}  // namespace vantor
