// vantor-gateway's shadow and rebuild: the terminal's own records applied to a shadow, and a shadow's
// screen put back on terminals of any prior state, with no effect but the unlock's and the dialogs'.
#include <gtest/gtest.h>

#include <functional>

#include "effects_recorder.h"
#include "model/page.h"
#include "screen_builder.h"
#include "screen_rebuild.h"
#include "session/record_assembler.h"
#include "shadow.h"

namespace vantor::gateway {
namespace {

using host_records::ScreenBuilder;
namespace option = host_records::option;
using Records = std::vector<std::string>;

RecordBytes Bytes(std::string_view text) { return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}; }

// Wire bytes through the terminal's own reading (unescaping, cutting), each record to `take`.
void Cut(const Records& wire, const std::function<void(RecordBytes)>& take) {
  RecordAssembler assembler;
  bool pendingFf = false;
  for (std::string bytes : wire) {
    const int length =
        UnescapeInPlace(reinterpret_cast<std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size()), pendingFf);
    assembler.Feed(Bytes(std::string_view(bytes).substr(0, static_cast<std::size_t>(length))), take);
  }
}
void Receive(HeadlessTerminal& terminal, const Records& wire) {
  Cut(wire, [&terminal](RecordBytes record) { terminal.ReceiveRecord(record); });
}

std::string Utf8(std::u16string_view text) { return EncodeText(text, CodePage::Utf8); }

// Everything of the terminal's state that the host set or the operator sees, one line.
std::string StateOf(const HeadlessTerminal& terminal) {
  const Screen& screen = terminal.Engine().GetScreen();
  const HeadlessView& view = terminal.View();
  std::string out =
      "page " + std::to_string(screen.currentPage) + "/" + std::to_string(screen.shownPage) + " focus " +
      std::to_string(screen.focusField) + " keyboard " + std::to_string(static_cast<int>(screen.keyboard)) + " font " +
      std::to_string(terminal.Engine().GetSettings().FontStep()) + " input " + std::to_string(view.InputEnabled()) +
      " lock " + std::to_string(static_cast<int>(view.LockShown())) + " control " +
      (view.FocusedControl() ? std::to_string(view.FocusedControl()->id) : "-");
  for (int number = 0; number < PageList::kPageCount; ++number) {
    const Page& page = *screen.pages.At(number);
    if (page.shown) out += " | shown " + std::to_string(number);
    for (const Field* f = page.Fields().Head(); f != nullptr; f = f->NextById()) {
      const FieldFormat& m = f->format;
      out += " | " + std::to_string(number) + ":" + std::to_string(f->id) + " at " + std::to_string(f->row) + "," +
             std::to_string(f->column) + " w" + std::to_string(f->width) + " max" + std::to_string(f->MaxLength()) +
             " flags" + std::to_string(m.flags) + " attr" + std::to_string(m.attributes) + " serial" +
             std::to_string(m.serialFlags) + " type" + std::to_string(m.type) + " c" + std::to_string(m.centred) +
             " s" + std::to_string(m.checkSize) + " sel" + std::to_string(m.selected) + " text" +
             std::to_string(f->HasText()) + "\"" + Utf8(f->Text()) + "\" prefix" + std::to_string(f->HasPrefix()) +
             "/" + std::to_string(f->PrefixMode()) + "\"" + Utf8(f->Prefix()) + "\" mod" +
             std::to_string(f->edit.modified) + " window" + std::to_string(f->link.window != kNoWindow);
    }
  }
  for (int code = 0; code < kKeyLabelCount; ++code) {
    const std::u16string* label = screen.KeyLabel(code);
    if (label != nullptr && !label->empty()) out += " | label " + std::to_string(code) + "=" + Utf8(*label);
  }
  for (const ToolbarButtonState& button : view.Toolbar())
    out += " | " + Utf8(button.label) + "=" + std::to_string(button.code) + (button.enabled ? "+" : "-");
  for (const OpenDialog& dialog : view.Dialogs()) {
    out += " | dialog " + std::to_string(static_cast<int>(dialog.kind)) + " after " +
           std::to_string(dialog.focusAfter) + " \"" + Utf8(dialog.text) + "\" " + std::to_string(dialog.promptLength);
  }
  if (!view.Dialogs().empty())
    out += " | message \"" + Utf8(screen.messageText) + "\" prompt " + std::to_string(screen.promptLength);
  return out;
}

// The screens the rebuild must put back: each row the host's records, in order, on one terminal.
struct Scene {
  const char* name;
  Records records;
  bool utf8 = false;
};

std::vector<Scene> Scenes() {
  const std::string reset = std::string("I") + std::string(kTerminator);
  ScreenBuilder everyKind;
  everyKind.SelectPage(0).Fixed(1, 0, 0, "Title").Attributes(1, 'A', '@' | 0x30).Define(9, 0, 19, 'B', 'p', 5);
  everyKind.Input(20, 2, 0, 10).Text(20, "PXA100").Prefix(20, 13, "PX");
  everyKind.Define(21, 3, 0, 'C' | 0x08, '@', 8).Text(21, "AB12").Prefix(21, 2, "AB");
  everyKind.Define(22, 4, 0, 'C' | 0x30, '@' | 0x04, 6).SerialFlags(22, '1');
  everyKind.Define(23, 5, 0, 'C', '@' | 0x02, 4).Options(23, {option::MaxLength(0x20)}).Text(23, "longer than four");
  everyKind.Define(24, 6, 0, 'C', '@', 12).Text(24, "X Print");
  everyKind.Options(24, {option::Type('C'), option::Selected(true), option::CheckSize(2)});
  everyKind.Define(25, 7, 0, 'C', '@', 8).Text(25, "X One").Options(25, {option::Type('R')});
  everyKind.Define(26, 7, 9, 'C', '@', 8).Text(26, " Two").Options(26, {option::Type('R')});
  everyKind.Define(27, 8, 0, 'A', '@', 8).Text(27, "Pick").Options(27, {option::Type('S'), option::Centred()});
  everyKind.Define(28, 9, 0, 'C', '@', 6).Text(28, "Save").Options(28, {option::Type('B')});
  everyKind.Fixed(30, 10, 0, "to printer").SerialFlags(30, '1').Prefix(30, 20, "").Prefix(9, -5, "");
  everyKind.KeyLabel(1, "SAVE").KeyLabel(2, "CLEAR").KeyLabel(3, "").KeyLabel(5, "SAVE").KeyLabel(36, "EXTRA");
  everyKind.FontStep(2).ShowPage(0).FocusAndUnlock(21);
  ScreenBuilder pages;
  pages.SelectPage(3).Input(7, 1, 1, 5).Text(7, "p3").SelectPage(15).Fixed(2, 0, 0, "last");
  pages.SelectPage(0).Input(4, 0, 0, 3).ShowPage(0).SelectPage(3).Focus(7).Lock();
  ScreenBuilder base;
  base.SelectPage(0).Fixed(1, 0, 0, "Receiving").Input(20, 2, 0, 10).Input(21, 3, 0, 5).ShowPage(0).FocusAndUnlock(20);
  ScreenBuilder utf8;
  utf8.Fixed(1, 0, 0, std::string("Gr\xC3\xBC\xC3\x9F") + "e").Input(2, 1, 0, 4).Text(2, "\xE2\x82\xAC");
  utf8.KeyLabel(1, "\xC3\x9C").ShowPage(0).FocusAndUnlock(2);
  ScreenBuilder noInput;
  noInput.SelectPage(0).ErasePage().Fixed(1, 0, 0, "Menu").ShowPage(0).FocusAndUnlock(-1);
  return {
      {"every kind of field, labels and font step", {everyKind.Wire()}},
      {"pages besides the shown one, locked", {pages.Wire()}},
      {"a message at a field", {base.Wire(), ScreenBuilder().MessageAt(21, "   Check it").FocusAndUnlock(21).Wire()}},
      {"a prompt", {base.Wire(), ScreenBuilder().Prompt(5, "Quantity?").Wire()}},
      {"a message whose focus is the first input field",
       {base.Wire(), ScreenBuilder().Focus(-1).Message("First").Wire()}},
      {"a message without input fields", {noInput.Wire(), ScreenBuilder().Message("No input").Wire()}},
      {"two dialogs, locked under them",
       {base.Wire(), ScreenBuilder().MessageAt(20, "one").Wire(), ScreenBuilder().Prompt(2, "two").Wire(),
        ScreenBuilder().Lock().Wire()}},
      {"a reset after a dialog", {base.Wire(), ScreenBuilder().Message("gone").Wire(), reset, noInput.Wire()}},
      {"the page has the focus", {noInput.Wire()}},
      {"UTF-8 text", {utf8.Wire()}, true},
  };
}

// What another terminal had before: a screen, a dialog, labels, locked.
Records Before() {
  return {ScreenBuilder()
              .SelectPage(2)
              .Input(5, 0, 0, 3)
              .SelectPage(0)
              .Fixed(40, 1, 1, "old")
              .KeyLabel(2, "NEXT")
              .KeyLabel(4, "SAVE")
              .ShowPage(0)
              .FocusAndUnlock(40)
              .Wire(),
          ScreenBuilder().MessageAt(5, "old message").Wire(), ScreenBuilder().Lock().Wire()};
}

class Handheld final {
 public:
  explicit Handheld(const Settings& site) : settings_(site), terminal_(settings_, sent_) { terminal_.Restart(); }
  HeadlessTerminal& operator*() { return terminal_; }
  testing_support::RecordCapture& Sent() { return sent_; }

 private:
  Settings settings_;
  testing_support::RecordCapture sent_;
  HeadlessTerminal terminal_;
};

TEST(GatewayRebuild, PutsTheShadowsScreenBackOnAnyTerminalWithoutEffects) {
  for (const Scene& scene : Scenes()) {
    SCOPED_TRACE(scene.name);
    Settings site;
    site.SetHostTextIsUtf8(scene.utf8);
    Shadow shadow(site, 7);
    Answers answers;
    Handheld original(site);
    for (const std::string& record : scene.records) {
      Receive(*original, {record});
      Cut({record}, [&](RecordBytes one) { shadow.HostRecord(one, answers); });
    }
    const std::string expected = StateOf(shadow.Terminal());
    EXPECT_EQ(expected, StateOf(*original));  // the shadow is the terminal that saw the same records
    const Records rebuild = RebuildRecords(shadow);
    for (const bool fresh : {true, false}) {
      SCOPED_TRACE(fresh ? "on a fresh terminal" : "on a terminal with another screen");
      Handheld terminal(site);
      if (!fresh) Receive(*terminal, Before());
      const int soundsBefore = (*terminal).View().Sounds();
      terminal.Sent().Clear();
      Receive(*terminal, rebuild);
      EXPECT_EQ(StateOf(*terminal), expected);
      const std::size_t dialogs = shadow.Terminal().View().Dialogs().size();
      const bool unlocked = dialogs == 0 && shadow.Terminal().Engine().GetScreen().keyboard != Keyboard::Locked;
      EXPECT_EQ((*terminal).View().Sounds() - soundsBefore, static_cast<int>(dialogs) + (unlocked ? 1 : 0));
      EXPECT_EQ((*terminal).View().SerialOutputs(), 0);
      for (const std::string& sent : terminal.Sent().Data()) EXPECT_TRUE(sent == "H" || sent.empty()) << sent;
    }
  }
}

TEST(GatewayRebuild, PrefixModeArgumentsLeaveEachModeAfterTheReductions) {
  // Each argument's mode, then the argument written for that mode gives it again.
  const std::pair<int, int> cases[] = {{0, 0}, {3, 3}, {5, 1}, {21, 1}, {37, 9}, {200, 172}, {-5, 251}};
  for (const auto& [argument, mode] : cases) {
    Shadow shadow(Settings(), 1);
    Answers answers;
    const std::string record = ScreenBuilder()
                                   .Input(1, 0, 0, 4)
                                   .Prefix(1, argument, "P")
                                   .Input(2, 1, 0, 4)
                                   .Prefix(2, PrefixModeArgument(mode), "P")
                                   .Record();
    shadow.HostRecord(Bytes(record), answers);
    const Screen& screen = shadow.Terminal().Engine().GetScreen();
    EXPECT_EQ(screen.CurrentField(1)->PrefixMode(), mode) << argument;
    EXPECT_EQ(screen.CurrentField(2)->PrefixMode(), mode) << argument;
  }
}

// The terminal's records as a shadow that saw only the host's takes them.
TEST(GatewayShadow, TakesTheOperatorsWorkFromTheTerminalsRecords) {
  ScreenBuilder builder;
  builder.Input(20, 0, 0, 10).Input(21, 1, 0, 10).Prefix(21, 2, "]C").Input(22, 2, 0, 10).Prefix(22, 0, "Q");
  const std::string screen = builder.ShowPage(0).FocusAndUnlock(20).Record();
  struct Case {
    const char* name;
    std::vector<std::string> hostAfter;  // host records after the screen, before the terminal's record
    std::string terminal;                // the terminal's record (id 7)
    std::string fields;                  // texts of 20, 21, 22 afterwards
    int focus;
    Keyboard keyboard;
    std::size_t dialogs;
  };
  const Case cases[] = {
      {"a key with values: a stripped prefix back in front, an added one kept",
       {},
       "7RF0D=D3ABC=E2XY=F2QZ",
       "ABC|]CXY|QZ",
       20,
       Keyboard::Locked,
       0},
      {"a field change", {}, "7R%E=E1Z", "|]CZ|", 21, Keyboard::Locked, 0},
      {"a key after a message closed with OK",
       {ScreenBuilder().MessageAt(21, "Note").Record()},
       "7RF3E",
       "||",
       21,
       Keyboard::Locked,
       0},
      {"the prompt's answer", {ScreenBuilder().Prompt(3, "Sure?").Record()}, "7R?1Y", "||", 20, Keyboard::Locked, 0},
      {"a key while the host has locked the keyboard",
       {ScreenBuilder().Lock().Record()},
       "7RF0D=D2OK",
       "OK||",
       20,
       Keyboard::Locked,
       0},
      {"serial input changes nothing", {}, "7R<13ABC", "||", 20, Keyboard::Ready, 0},
      {"a cut record changes nothing", {}, "7RF0D=D9AB", "||", 20, Keyboard::Ready, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Shadow shadow(Settings(), 7);
    Answers answers;
    shadow.HostRecord(Bytes(screen), answers);
    for (const std::string& record : c.hostAfter) shadow.HostRecord(Bytes(record), answers);
    shadow.TerminalRecord(ReadTerminalRecord(c.terminal));
    const Screen& state = shadow.Terminal().Engine().GetScreen();
    std::string texts;
    for (const int id : {20, 21, 22}) {
      texts += (id == 20 ? "" : "|") + Utf8(state.CurrentField(id)->Text());
      EXPECT_FALSE(state.CurrentField(id)->edit.modified) << id;
    }
    EXPECT_EQ(texts, c.fields);
    EXPECT_EQ(state.focusField, c.focus);
    EXPECT_EQ(state.keyboard, c.keyboard);
    EXPECT_EQ(shadow.Terminal().View().Dialogs().size(), c.dialogs);
  }
}

}  // namespace
}  // namespace vantor::gateway
