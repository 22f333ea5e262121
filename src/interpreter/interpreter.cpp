// The screen command interpreter: the walk over the command letters and the end-of-record work.
#include "interpreter/interpreter.h"

#include <array>

#include "settings/settings.h"
#include "interpreter/commands.h"
#include "interpreter/screen_effects.h"
#include "session/csession.h"

namespace vantor {

ScreenRun::ScreenRun(CSession& s, const std::uint8_t* begin, const std::uint8_t* end)
    : session(s), effects(s.Effects()), utf8(s.GetSettings().HostTextIsUtf8()), args(begin, end) {}

FieldList* ScreenRun::Fields() const {
  Page* page = session.CurrentPagePtr();
  return page ? &page->Fields() : nullptr;
}

Field* ScreenRun::FindField(int id) const {
  FieldList* fields = Fields();
  return fields ? fields->Find(id) : nullptr;
}

std::u16string ScreenRun::Text(int n, std::size_t capacity) {
  return DecodeHostText(args.Bytes(n), utf8, capacity);
}

namespace {

using HandlerTable = std::array<CommandHandler, 128>;

constexpr HandlerTable MakeTable() {
  HandlerTable t{};
  t['!'] = CmdStatusRequest;
  t['#'] = CmdSound;
  t['$'] = CmdIgnoredShortBlock;
  t['%'] = CmdIgnoredShortBlock;
  t['+'] = CmdSetAttributes;
  t['>'] = CmdSerialOutput;
  t['@'] = CmdSetFocus;
  t['A'] = CmdMessage;
  t['B'] = CmdNothing;
  t['C'] = CmdClearInputFields;
  t['D'] = CmdIgnoredEleven;
  t['E'] = CmdErasePage;
  t['F'] = CmdFontStep;
  t['I'] = CmdIgnoredShortBlock;
  t['K'] = CmdIgnoredNumber;
  t['L'] = CmdIgnoredTwoNumbersShortBlock;
  t['M'] = CmdIgnoredLongBlock;
  t['N'] = CmdIgnoredLongBlock;
  t['O'] = CmdIgnoredLongBlock;
  t['P'] = CmdSkipToMarker;
  t['Q'] = CmdSkipToMarker;
  t['R'] = CmdNothing;
  t['S'] = CmdKeyLabel;
  t['W'] = CmdSendFields;
  t['X'] = CmdIgnoredNumber;
  t['Z'] = CmdDeviceControl;
  t['a'] = CmdMessageAtField;
  t['b'] = CmdSerialFlags;
  t['c'] = CmdClearField;
  t['d'] = CmdShowPage;
  t['e'] = CmdDeleteField;
  t['f'] = CmdFixedField;
  t['h'] = CmdPrompt;
  t['i'] = CmdDefineField;
  t['j'] = CmdIgnoredNumberShortBlock;
  t['k'] = CmdCopyText;
  t['l'] = CmdLockKeyboard;
  t['m'] = CmdNothing;
  t['o'] = CmdFocusAndUnlock;
  t['p'] = CmdIgnoredTwoBytes;
  t['r'] = CmdIgnoredNumber;
  t['s'] = CmdSelectPage;
  t['u'] = CmdSetText;
  t['v'] = CmdIgnoredNumberLongBlock;
  t['w'] = CmdFieldOptions;
  t['y'] = CmdPrefix;
  t['z'] = CmdNothing;
  return t;
}

constexpr HandlerTable kHandlers = MakeTable();

// Shows the page, raises the host dialog or unlocks, removes the indicator and places the focus.
void EndOfRecord(ScreenRun& run) {
  CSession& session = run.session;
  ScreenEffects& effects = run.effects;
  if (run.redraw) {
    session.Pages().Refresh(session.ShownPage());
    session.Pages().Show(session.ShownPage());
  }
  switch (session.PendingDialog()) {
    case kDialogMessageAtField:
    case kDialogMessage:
      effects.PostHostMessage(session.MessageFocusField());
      effects.PlaySound(ScreenEffects::kSoundError);
      break;
    case kDialogPrompt:
      effects.PostHostPrompt(session.MessageFocusField());
      effects.PlaySound(ScreenEffects::kSoundError);
      break;
    default:
      if (session.KeyboardState() == kKeyboardResetFocus) {
        session.SetFocusField(session.FirstInputField());
        session.SetKeyboardState(kKeyboardReady);
      }
      if (session.KeyboardState() == kKeyboardReady) effects.InputOn();
      break;
  }
  effects.Indicator(1, 0);
  session.FocusCurrentPage();
  session.SetPendingDialog(kNoDialog);
}

}  // namespace

CommandHandler HandlerFor(std::uint8_t letter) { return letter < kHandlers.size() ? kHandlers[letter] : nullptr; }

void Interpret(CSession& session, const std::uint8_t* begin, const std::uint8_t* end) {
  if (begin == nullptr || end < begin) begin = end = nullptr;
  ScreenRun run(session, begin, end);
  ArgReader& args = run.args;
  while (args.Position() < args.End()) {
    const std::uint8_t letter = *args.Position();
    if (letter >= '!' && letter <= 'z') {
      if (const CommandHandler handler = kHandlers[letter]) handler(run);
    }
    args.Skip(1);
  }
  EndOfRecord(run);
}

}  // namespace vantor
