// Replay of the host's side of a captured connection, without sockets: what to send, what the terminal
// must answer before the next send, and the differences from the recording.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "session/record_assembler.h"
#include "trace/capture.h"

namespace vantor::trace {

struct ReplayStep {
  enum class Kind { Send, Expect, EndSending };
  Kind kind = Kind::Send;
  std::string bytes;         // Send: the host's bytes as recorded; Expect: one terminal record, terminator included
  std::uint64_t micros = 0;  // when the capture saw them
};

// The steps of one connection of the capture in capture order (connection 0: the first in the
// capture). Empty when the capture holds no such connection.
std::vector<ReplayStep> ReplayScript(const std::vector<CaptureEntry>& entries, std::uint32_t connection);

// Whether the terminal's record is the recorded one: byte for byte, except the session stamp of a
// status response (the second at which the terminal connected).
bool SameTerminalRecord(std::string_view expected, std::string_view received);

// Used on one thread. The runner asks Next what to do, hands over every byte the terminal sends, and
// gives up when an expected record does not come in time.
class Replay {
 public:
  enum class Action { Send, EndSending, Wait, Finished };

  explicit Replay(std::vector<ReplayStep> script);

  // Compares the records that have come with the expected ones, then says what is next: send
  // Outgoing(), end the host's direction, wait for the terminal, or stop (every step done; records
  // beyond the recording are reported each time it is asked).
  Action Next();
  const std::string& Outgoing() const { return outgoing_; }
  // Bytes from the terminal, cut into records.
  void FromTerminal(std::string_view bytes);
  // The record waited for did not come, or the terminal could not be written to (the reason says
  // which): reported as a difference, and the replay stops.
  void GiveUp(std::string_view reason);

  // The report: one block of lines per difference.
  const std::vector<std::string>& Report() const { return report_; }
  int Differences() const { return differences_; }
  std::size_t RecordsCompared() const { return compared_; }
  std::size_t ChunksSent() const { return sent_; }

 private:
  void Differ(const std::string& what, const std::string* expected, const std::string* received);

  std::vector<ReplayStep> script_;
  std::size_t next_ = 0;
  RecordAssembler assembler_;
  std::deque<std::string> received_;
  std::string outgoing_;
  std::vector<std::string> report_;
  int differences_ = 0;
  std::size_t compared_ = 0;
  std::size_t sent_ = 0;
};

}  // namespace vantor::trace
