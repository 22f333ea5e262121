// Page, focus, dialog and device commands, and the commands that are read and ignored.
#include <string>

#include "interpreter/commands.h"
#include "settings/settings.h"

namespace vantor {

namespace {

// Message and prompt texts: a buffer of n + 1 units, so at most n units.
std::u16string DialogText(ScreenRun& run, int n) {
  const int length = n > 0 ? n : 0;
  return run.Text(length, static_cast<std::size_t>(length));
}

void SetMessage(ScreenRun& run, int n, PendingDialog dialog) {
  run.screen.messageText = DialogText(run, n);
  run.screen.pendingDialog = dialog;
  run.normalSound = false;
}

}  // namespace

void CmdSelectPage(ScreenRun& run) { run.screen.currentPage = run.args.Short(); }

void CmdShowPage(ScreenRun& run) {
  run.screen.shownPage = run.args.Short();
  run.screen.focusField = run.screen.FirstInputField();
  run.redraw = true;
}

void CmdSetFocus(ScreenRun& run) {
  run.screen.focusField = run.args.Short();
  run.redraw = true;
}

void CmdFocusAndUnlock(ScreenRun& run) {
  const int field = run.args.Short();
  run.screen.focusField = field;
  run.screen.keyboard = field >= 0 ? Keyboard::Ready : Keyboard::ResetFocus;
  run.redraw = true;
  if (run.normalSound) run.view.PlaySound(SoundEvent::Normal);
}

void CmdLockKeyboard(ScreenRun& run) { run.screen.keyboard = Keyboard::Locked; }

void CmdMessageAtField(ScreenRun& run) {
  const int field = run.args.Short();
  const int n = run.args.Long();
  run.screen.messageFocusField = field >= 1 ? field : run.screen.FirstInputField();
  SetMessage(run, n, PendingDialog::MessageAtField);
}

void CmdMessage(ScreenRun& run) {
  const int n = run.args.Long();
  const int focus = run.screen.focusField;
  run.screen.messageFocusField = focus >= 1 ? focus : run.screen.FirstInputField();
  SetMessage(run, n, PendingDialog::Message);
}

void CmdPrompt(ScreenRun& run) {
  int inputLength = run.args.Short();
  const int n = run.args.Long();
  // -1 means no prompt; a byte further below '0' would ask for a reply buffer of negative size.
  if (inputLength < -1) inputLength = -1;
  run.screen.messageFocusField = inputLength;
  run.screen.promptLength = inputLength;
  SetMessage(run, n, PendingDialog::Prompt);
}

void CmdKeyLabel(ScreenRun& run) {
  const int code = run.args.Short();
  const int n = run.args.Short();
  if (code < 0 || code >= kKeyLabelCount) {
    run.args.Skip(n);
    return;
  }
  const std::u16string label = DialogText(run, n);
  run.screen.SetKeyLabel(code, label);
  run.view.KeyLabelChanged(code, label);
}

void CmdSound(ScreenRun& run) {
  // The next byte is only looked at; it is read as the next command.
  if (run.args.Peek() == 'o') {
    run.view.PlaySound(SoundEvent::Error);
    run.normalSound = false;
  } else {
    run.view.PlaySound(SoundEvent::Normal);
    run.normalSound = true;
  }
}

void CmdDeviceControl(ScreenRun& run) {
  switch (run.args.Raw()) {
    case 'e': run.view.EnableScanner(run.args.Short() != 0); break;
    case 's': {
      const int k = run.args.Short();
      if (k >= 1 && k <= 4) run.view.PlaySound(static_cast<SoundEvent>(IndexOf(SoundEvent::User01) + k - 1));
      break;
    }
    case 'v':
      run.args.Long();
      run.args.Long();
      run.args.Long();
      break;
    default: break;
  }
}

void CmdSerialOutput(ScreenRun& run) {
  run.args.Short();  // not used
  const int mode = run.args.Short();
  const int n = run.args.Long();
  if (n <= 0) return;
  const std::string_view payload = UpToZero(run.args.Bytes(n));
  std::string out;
  out.reserve(payload.size() + 2);
  if (mode == 2) out += '\n';
  out += payload;
  if (mode == 1 || mode == 2) out += '\r';
  run.view.SerialOut(out);
}

void CmdFontStep(ScreenRun& run) {
  run.settings.SetFontStep(run.args.Short());
  run.view.Relayout();
}

void CmdStatusRequest(ScreenRun& run) { run.replies.SendStatus(); }

void CmdSendFields(ScreenRun& run) { run.replies.SendKey(FunctionKeyFromCode(run.args.Short())); }

void CmdNothing(ScreenRun&) {}

void CmdIgnoredNumber(ScreenRun& run) { run.args.Short(); }

void CmdIgnoredTwoBytes(ScreenRun& run) { run.args.Skip(2); }

void CmdIgnoredEleven(ScreenRun& run) { run.args.Skip(11); }

void CmdIgnoredShortBlock(ScreenRun& run) { run.args.Skip(run.args.Short()); }

void CmdIgnoredNumberShortBlock(ScreenRun& run) {
  run.args.Short();
  run.args.Skip(run.args.Short());
}

void CmdIgnoredTwoNumbersShortBlock(ScreenRun& run) {
  run.args.Short();
  run.args.Short();
  run.args.Skip(run.args.Short());
}

void CmdIgnoredNumberLongBlock(ScreenRun& run) {
  run.args.Short();
  run.args.Skip(run.args.Long());
}

void CmdIgnoredLongBlock(ScreenRun& run) { run.args.Skip(run.args.Long()); }

void CmdSkipToMarker(ScreenRun& run) {
  // Through the next 'B', 'Q' or zero byte, or to the end of the record.
  ArgReader& args = run.args;
  const std::uint8_t* p = args.Position() + 1;
  while (p < args.End() && *p != 'B' && *p != 'Q' && *p != 0) ++p;
  args.SetPosition(p);
}

}  // namespace vantor
