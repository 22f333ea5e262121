// Replay: the recorded host chunks in order, each sent once the terminal records recorded before it
// have come and been compared.
#include "trace/replay.h"

#include "session/responses.h"
#include "session/wire_format.h"
#include "trace/record_decoder.h"

namespace vantor::trace {

namespace {

std::string Described(const std::string& record) {
  const DecodedRecord decoded = DecodeTerminalRecord(record);
  return (decoded.terminalId.empty() ? "-" : decoded.terminalId) + " " + decoded.head;
}

}  // namespace

std::vector<ReplayStep> ReplayScript(const std::vector<CaptureEntry>& entries, std::uint32_t connection) {
  if (connection == 0 && !entries.empty()) connection = entries.front().connection;
  std::vector<ReplayStep> steps;
  RecordAssembler assembler;
  bool terminalEnded = false;
  for (const CaptureEntry& entry : entries) {
    if (entry.connection != connection) continue;
    if (entry.event == CaptureEvent::FromHost) {
      steps.push_back({ReplayStep::Kind::Send, entry.bytes, entry.micros});
    } else if (entry.event == CaptureEvent::TerminalEnded) {
      terminalEnded = true;
    } else if (entry.event == CaptureEvent::HostEnded && !terminalEnded) {
      // A host end after the terminal's followed from it: the replay ends when the terminal's records do.
      steps.push_back({ReplayStep::Kind::EndSending, {}, entry.micros});
    } else if (entry.event == CaptureEvent::FromTerminal) {
      const auto* data = reinterpret_cast<const std::uint8_t*>(entry.bytes.data());
      assembler.Feed(RecordBytes(data, entry.bytes.size()), [&](RecordBytes record) {
        steps.push_back({ReplayStep::Kind::Expect,
                         std::string(reinterpret_cast<const char*>(record.data()), record.size()), entry.micros});
      });
    }
  }
  return steps;
}

bool SameTerminalRecord(std::string_view expected, std::string_view received) {
  if (expected == received) return true;
  const auto status = [](std::string_view record) {
    return ReadTerminalRecord(record).kind == TerminalRecordKind::Status;
  };
  if (!status(expected) || !status(received) || expected.size() != received.size()) return false;
  // The stamp is the status response's last byte.
  const std::size_t stamp = WithoutTerminator(expected).size() - 1;
  return expected.substr(0, stamp) == received.substr(0, stamp) &&
         expected.substr(stamp + 1) == received.substr(stamp + 1);
}

Replay::Replay(std::vector<ReplayStep> script) : script_(std::move(script)) {}

void Replay::Differ(const std::string& what, const std::string* expected, const std::string* received) {
  ++differences_;
  report_.push_back(what);
  if (expected != nullptr) report_.push_back("  expected: " + Described(*expected));
  if (received != nullptr) report_.push_back("  received: " + Described(*received));
}

Replay::Action Replay::Next() {
  while (next_ < script_.size()) {
    const ReplayStep& step = script_[next_];
    if (step.kind == ReplayStep::Kind::Expect) {
      if (received_.empty()) return Action::Wait;
      ++compared_;
      if (!SameTerminalRecord(step.bytes, received_.front())) {
        Differ("difference in terminal record " + std::to_string(compared_) + " (recorded at " +
                   std::to_string(step.micros / 1000) + " ms):",
               &step.bytes, &received_.front());
      }
      received_.pop_front();
      ++next_;
      continue;
    }
    ++next_;
    if (step.kind == ReplayStep::Kind::EndSending) return Action::EndSending;
    outgoing_ = step.bytes;
    ++sent_;
    return Action::Send;
  }
  for (; !received_.empty(); received_.pop_front())
    Differ("a terminal record beyond the recording:", nullptr, &received_.front());
  return Action::Finished;
}

void Replay::FromTerminal(std::string_view bytes) {
  assembler_.Feed(RecordBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                  [this](RecordBytes record) {
                    received_.emplace_back(reinterpret_cast<const char*>(record.data()), record.size());
                  });
}

void Replay::GiveUp(std::string_view reason) {
  if (next_ < script_.size() && script_[next_].kind == ReplayStep::Kind::Expect) {
    const ReplayStep& step = script_[next_];
    Differ("terminal record " + std::to_string(compared_ + 1) + " (recorded at " + std::to_string(step.micros / 1000) +
               " ms) did not come: " + std::string(reason),
           &step.bytes, nullptr);
  } else {
    Differ("the replay stopped: " + std::string(reason), nullptr, nullptr);
  }
  next_ = script_.size();
}

}  // namespace vantor::trace
