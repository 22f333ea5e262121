// A terminal's shadow: the engine with a view that shows nothing, fed every host record and the
// terminal's own records, so that it knows what the handheld shows.
#pragma once

#include <string>
#include <vector>

#include "headless/headless_terminal.h"
#include "session/responses.h"
#include "settings/settings.h"

namespace vantor::gateway {

// The records a terminal sends by itself, framed as it sends them (terminal id, data, terminator).
using Answers = std::vector<std::string>;

// Used on one thread.
class Shadow final : private RecordSender {
 public:
  // The shadow takes the site's terminal settings (code page, grid, toolbar) with its own id.
  Shadow(const Settings& site, int terminalId);
  Shadow(const Shadow&) = delete;
  Shadow& operator=(const Shadow&) = delete;

  // One whole host record (unescaped, terminator included); the records the terminal answers it with
  // are appended to `answers`.
  void HostRecord(RecordBytes record, Answers& answers);
  // One whole record of the terminal's: the operator's work it reports is applied (see ApplyTerminalRecord).
  void TerminalRecord(const vantor::TerminalRecord& record);
  // The terminal's key response to the host's send-fields command: its fields' values and its focus
  // (the command itself has locked the shadow already).
  void TerminalAnswer(const vantor::TerminalRecord& record);
  // What a terminal that came back had typed and not sent (its key response to a send-fields
  // command): the values, still to be reported, and its focus.
  void TakeUnsent(const vantor::TerminalRecord& record);
  // A key or field response of the terminal's with the values the shadow still has to report (taken
  // from before the terminal came back) put in, in field order, framed; empty when there are none.
  std::string WithUnreported(const vantor::TerminalRecord& record) const;

  // The terminal's grid, as its status response tells it (the status the shadow answers with).
  void SetGrid(int columns, int rows);

  const HeadlessTerminal& Terminal() const { return terminal_; }
  // The host changed the font step at some time (the rebuild sets it again, even back to 0).
  bool FontStepSet() const { return fontStepSet_; }
  int TerminalId() const { return terminalId_; }

 private:
  bool SendRecord(int terminalId, std::string_view data) override;

  Settings settings_;
  int terminalId_;
  HeadlessTerminal terminal_;
  Answers* answers_ = nullptr;  // where the terminal's own records go during a call
  bool fontStepSet_ = false;
};

// What a record of the terminal's tells about its screen, applied to a terminal that did not see the
// operator's hands: a key or field change carries the changed fields' values (set again, as the
// terminal reports them) and the focus field, and locks the keyboard; a prompt's answer closes the
// prompt; any of them means the operator closed the host messages above it. Serial input, status and
// acknowledgements change nothing.
void ApplyTerminalRecord(HeadlessTerminal& terminal, const vantor::TerminalRecord& record);

// The text a field must hold to be reported as `reported` (an edit prefix added or stripped), keeping
// the field's own text when it does so already.
std::u16string TextReportedAs(const Field& field, std::u16string_view reported);

}  // namespace vantor::gateway
