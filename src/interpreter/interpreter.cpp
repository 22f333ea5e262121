// The screen command interpreter: the walk over the command letters and the end-of-record work.
#include "interpreter/interpreter.h"

#include <array>

#include "interpreter/commands.h"
#include "interpreter/focus.h"
#include "settings/settings.h"

namespace vantor {

ScreenRun::ScreenRun(const ScreenContext& context, const std::uint8_t* begin, const std::uint8_t* end)
    : screen(context.screen),
      settings(context.settings),
      view(context.view),
      replies(context.replies),
      utf8(context.settings.HostTextIsUtf8()),
      args(begin, end) {}

FieldList* ScreenRun::Fields() const { return screen.CurrentFields(); }

Field* ScreenRun::FindField(int id) const { return screen.CurrentField(id); }

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
  Screen& screen = run.screen;
  ScreenView& view = run.view;
  if (run.redraw) {
    if (Page* page = screen.pages.At(screen.shownPage)) view.RefreshPage(*page, PlanRefresh(*page));
    screen.pages.Show(screen.shownPage);
    view.ShowPage(screen.shownPage);
  }
  switch (screen.pendingDialog) {
    case PendingDialog::MessageAtField:
    case PendingDialog::Message:
      view.OpenHostMessage(screen.messageFocusField);
      view.PlaySound(SoundEvent::Error);
      break;
    case PendingDialog::Prompt:
      view.OpenHostPrompt();
      view.PlaySound(SoundEvent::Error);
      break;
    case PendingDialog::None:
      if (screen.keyboard == Keyboard::ResetFocus) {
        screen.focusField = screen.FirstInputField();
        screen.keyboard = Keyboard::Ready;
      }
      if (screen.keyboard == Keyboard::Ready) InputOn(screen, view);
      break;
  }
  view.HideLock();
  FocusCurrentPage(screen, view);
  screen.pendingDialog = PendingDialog::None;
}

}  // namespace

CommandHandler HandlerFor(std::uint8_t letter) { return letter < kHandlers.size() ? kHandlers[letter] : nullptr; }

void Interpret(const ScreenContext& context, const std::uint8_t* begin, const std::uint8_t* end) {
  if (begin == nullptr || end < begin) begin = end = nullptr;
  ScreenRun run(context, begin, end);
  ArgReader& args = run.args;
  while (args.Position() < args.End()) {
    const std::uint8_t letter = *args.Position();
    if (letter >= '!' && letter <= 'z') {
      if (const CommandHandler handler = kHandlers[letter]) {
        handler(run);
        if (!run.removed.empty()) DiscardRemoved(run.removed, run.view);
      }
    }
    args.Skip(1);
  }
  EndOfRecord(run);
}

}  // namespace vantor
