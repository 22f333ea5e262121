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

std::u16string ScreenRun::Text(int n, std::size_t capacity) { return DecodeHostText(args.Bytes(n), utf8, capacity); }

namespace {

// Each letter's handler, and its name and reads (in the order the handler makes them) for the tools
// that show records; "w" ends with its options ('@', letter, value).
struct Command {
  CommandHandler handler;
  CommandDescription description;
};
using CommandTable = std::array<Command, 128>;

constexpr CommandTable MakeTable() {
  CommandTable t{};
  t['!'] = {CmdStatusRequest, {"status request", ""}};
  t['#'] = {CmdSound, {"sound", ""}};
  t['$'] = {CmdIgnoredShortBlock, {"ignored block", "len data"}};
  t['%'] = {CmdIgnoredShortBlock, {"ignored block", "len data"}};
  t['+'] = {CmdSetAttributes, {"set field attributes", "field flags attr"}};
  t['>'] = {CmdSerialOutput, {"serial output", "unused mode len data"}};
  t['@'] = {CmdSetFocus, {"set focus field", "field"}};
  t['A'] = {CmdMessage, {"host message", "len text"}};
  t['B'] = {CmdNothing, {"none", ""}};
  t['C'] = {CmdClearInputFields, {"clear input fields", ""}};
  t['D'] = {CmdIgnoredEleven, {"ignored block", "data"}};
  t['E'] = {CmdErasePage, {"erase page fields", ""}};
  t['F'] = {CmdFontStep, {"font size step", "step"}};
  t['I'] = {CmdIgnoredShortBlock, {"ignored block", "len data"}};
  t['K'] = {CmdIgnoredNumber, {"ignored number", "value"}};
  t['L'] = {CmdIgnoredTwoNumbersShortBlock, {"ignored block", "value value len data"}};
  t['M'] = {CmdIgnoredLongBlock, {"ignored block", "len data"}};
  t['N'] = {CmdIgnoredLongBlock, {"ignored block", "len data"}};
  t['O'] = {CmdIgnoredLongBlock, {"ignored block", "len data"}};
  t['P'] = {CmdSkipToMarker, {"skip to marker", "data"}};
  t['Q'] = {CmdSkipToMarker, {"skip to marker", "data"}};
  t['R'] = {CmdNothing, {"none", ""}};
  t['S'] = {CmdKeyLabel, {"key label", "key len text"}};
  t['W'] = {CmdSendFields, {"send fields", "key"}};
  t['X'] = {CmdIgnoredNumber, {"ignored number", "value"}};
  t['Z'] = {CmdDeviceControl, {"device control", "device value value value"}};
  t['a'] = {CmdMessageAtField, {"host message at field", "field len text"}};
  t['b'] = {CmdSerialFlags, {"set serial flags", "field serial"}};
  t['c'] = {CmdClearField, {"clear field", "field"}};
  t['d'] = {CmdShowPage, {"show page", "page"}};
  t['e'] = {CmdDeleteField, {"delete field", "field"}};
  t['f'] = {CmdFixedField, {"fixed text field", "field row col len text"}};
  t['h'] = {CmdPrompt, {"host prompt", "input len text"}};
  t['i'] = {CmdDefineField, {"define field", "field row col flags attr len"}};
  t['j'] = {CmdIgnoredNumberShortBlock, {"ignored block", "value len data"}};
  t['k'] = {CmdCopyText, {"copy field text", "field to-field"}};
  t['l'] = {CmdLockKeyboard, {"lock keyboard", ""}};
  t['m'] = {CmdNothing, {"none", ""}};
  t['o'] = {CmdFocusAndUnlock, {"focus and unlock", "field"}};
  t['p'] = {CmdIgnoredTwoBytes, {"ignored bytes", "data"}};
  t['r'] = {CmdIgnoredNumber, {"ignored number", "value"}};
  t['s'] = {CmdSelectPage, {"select page", "page"}};
  t['u'] = {CmdSetText, {"set field text", "field len text"}};
  t['v'] = {CmdIgnoredNumberLongBlock, {"ignored block", "value len data"}};
  t['w'] = {CmdFieldOptions, {"field options", "field unused"}};
  t['y'] = {CmdPrefix, {"field prefix", "field mode len text"}};
  t['z'] = {CmdNothing, {"none", ""}};
  return t;
}

constexpr CommandTable kCommands = MakeTable();

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

CommandHandler HandlerFor(std::uint8_t letter) {
  return letter < kCommands.size() ? kCommands[letter].handler : nullptr;
}

const CommandDescription* DescribeCommand(std::uint8_t letter) {
  return HandlerFor(letter) != nullptr ? &kCommands[letter].description : nullptr;
}

void Interpret(const ScreenContext& context, const std::uint8_t* begin, const std::uint8_t* end) {
  if (begin == nullptr || end < begin) begin = end = nullptr;
  ScreenRun run(context, begin, end);
  ArgReader& args = run.args;
  ArgObserver* observer = context.observer;
  args.Observe(observer);
  while (args.Position() < args.End()) {
    const std::uint8_t letter = *args.Position();
    const CommandHandler handler = letter >= '!' && letter <= 'z' ? kCommands[letter].handler : nullptr;
    if (observer != nullptr) observer->Command(args.Position(), handler != nullptr);
    if (handler != nullptr) {
      handler(run);
      if (!run.removed.empty()) DiscardRemoved(run.removed, run.view);
    }
    args.Step();
  }
  EndOfRecord(run);
}

}  // namespace vantor
