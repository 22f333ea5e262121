// Record cutting and response reading for the demo host; every read is bounded by the record.
#include "terminal_records.h"

namespace vantor::demo {

namespace {

constexpr char kEnd1 = '\xFF';
constexpr char kEnd2 = '\xEF';

int ShortValue(char byte) { return static_cast<unsigned char>(byte) - 48; }

// A length: one byte value + 48, or '!' and two bytes hi, lo giving hi * 208 + lo.
bool ReadLength(std::string_view body, std::size_t& pos, int& length) {
  if (pos >= body.size()) return false;
  if (body[pos] != '!') {
    length = ShortValue(body[pos++]);
    return length >= 0;
  }
  if (pos + 2 >= body.size()) return false;
  const int hi = ShortValue(body[pos + 1]);
  const int lo = ShortValue(body[pos + 2]);
  if (hi < 0 || lo < 0) return false;
  length = hi * 208 + lo;
  pos += 3;
  return true;
}

bool ReadText(std::string_view body, std::size_t& pos, int length, std::string& text) {
  if (length < 0 || body.size() - pos < static_cast<std::size_t>(length)) return false;
  text.assign(body.substr(pos, static_cast<std::size_t>(length)));
  pos += static_cast<std::size_t>(length);
  return true;
}

bool ReadFieldItems(std::string_view body, std::size_t pos, std::vector<FieldValue>& fields) {
  while (pos < body.size()) {
    if (body[pos] != '=' || pos + 1 >= body.size()) return false;
    FieldValue value;
    value.field = ShortValue(body[pos + 1]);
    pos += 2;
    int length = 0;
    if (value.field < 0 || !ReadLength(body, pos, length) || !ReadText(body, pos, length, value.text)) return false;
    fields.push_back(std::move(value));
  }
  return true;
}

}  // namespace

TerminalRecord SplitTerminalId(std::string_view record) {
  std::size_t digits = 0;
  while (digits < record.size() && record[digits] >= '0' && record[digits] <= '9') ++digits;
  return {std::string(record.substr(0, digits)), std::string(record.substr(digits))};
}

std::vector<std::string> RecordSplitter::Feed(std::string_view bytes) {
  std::vector<std::string> records;
  for (char byte : bytes) {
    if (discarding_) {
      // Only the terminator of the oversized record ends the discarding.
      if (byte == kEnd2 && !pending_.empty()) {
        discarding_ = false;
        pending_.clear();
        continue;
      }
      pending_.assign(byte == kEnd1 ? 1 : 0, kEnd1);
      continue;
    }
    if (byte == kEnd2 && !pending_.empty() && pending_.back() == kEnd1) {
      pending_.pop_back();
      records.push_back(std::move(pending_));
      pending_.clear();
      continue;
    }
    pending_ += byte;
    if (pending_.size() > limit_) {
      ++dropped_;
      discarding_ = true;
      pending_.assign(byte == kEnd1 ? 1 : 0, kEnd1);
    }
  }
  return records;
}

std::optional<Response> ParseResponse(std::string_view body) {
  if (body.size() < 2 || body[0] != 'R') return std::nullopt;
  Response response;
  std::size_t pos = 2;
  switch (body[1]) {
    case 'F':
      if (body.size() < 4) return std::nullopt;
      response.kind = ResponseKind::Key;
      response.code = ShortValue(body[2]);
      response.focusField = ShortValue(body[3]);
      if (response.code < 0) return std::nullopt;
      if (response.focusField < 0) response.focusField = -1;
      pos = 4;
      if (!ReadFieldItems(body, pos, response.fields)) return std::nullopt;
      return response;
    case '%':
      if (body.size() < 3) return std::nullopt;
      response.kind = ResponseKind::FieldChange;
      response.focusField = ShortValue(body[2]);
      if (response.focusField < 0) response.focusField = -1;
      if (!ReadFieldItems(body, 3, response.fields)) return std::nullopt;
      return response;
    case '?': {
      response.kind = ResponseKind::PromptReply;
      int length = 0;
      if (!ReadLength(body, pos, length) || !ReadText(body, pos, length, response.reply) || pos != body.size())
        return std::nullopt;
      return response;
    }
    default: return std::nullopt;
  }
}

}  // namespace vantor::demo
