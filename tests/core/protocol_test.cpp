// The protocol as data: each case of protocol.rows drives a terminal with host records and operator
// actions and checks what it shows, sends and holds. The row language is described in that file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "effects_recorder.h"
#include "interpreter/commands.h"
#include "interpreter/interpreter.h"
#include "platform/codepage.h"
#include "row_tables.h"
#include "screen_builder.h"
#include "session/terminal.h"
#include "settings/settings.h"

namespace vantor {
namespace {

using host_records::FieldOption;
using host_records::ScreenBuilder;
namespace option = host_records::option;

using testing_support::Escaped;
using testing_support::Text;
using testing_support::Words;

std::string Utf8(const std::u16string& text) { return EncodeText(text, CodePage::Utf8); }

// Where the command at the front of `bytes`, run alone on a screen holding input field 1 and fixed field 2,
// leaves the position: on its last byte, or at the end when the bytes ran out.
long Consumed(const std::string& bytes) {
  struct NoReplies final : HostReplies {
    void SendStatus() override {}
    void SendKey(FunctionKey) override {}
  } replies;
  Settings settings;
  testing_support::EffectsRecorder effects;
  Screen screen{kDefaultPageBackground};
  const ScreenContext context{screen, settings, effects, replies};
  const std::string fields = ScreenBuilder().Input(1, 0, 0, 5).Fixed(2, 1, 0, "text").Commands();
  Interpret(context, reinterpret_cast<const std::uint8_t*>(fields.data()),
            reinterpret_cast<const std::uint8_t*>(fields.data()) + fields.size());
  // Held in a block of exactly its size, so that the address sanitizer sees a read past the end.
  std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), block.get());
  ScreenRun run(context, block.get(), block.get() + bytes.size());
  const CommandHandler handler = HandlerFor(block[0]);
  if (handler == nullptr) return -1;
  handler(run);
  return static_cast<long>(run.args.Position() - block.get());
}

class CaseRunner {
 public:
  explicit CaseRunner(const std::string& settingsText) {
    if (!settingsText.empty()) settings_.ApplySettingsText(settingsText);
    terminal_ = std::make_unique<Terminal>(settings_, effects_, sent_, clock_);
  }

  // One row; a failure names the row.
  void Row(const std::string& verb, const std::string& rest) {
    if (verb == "host" || verb == "record") {
      const ScreenBuilder screen = Build(rest);
      if (verb == "host") {
        RunScreen(screen.Commands());
      } else {
        Receive(screen.Record());
      }
    } else if (verb == "raw") {
      Receive(Words(rest).at(0).substr(1));
    } else if (verb == "do") {
      Act(Words(rest));
    } else if (verb == "---") {
      effects_.Clear();
      sent_.Clear();
    } else if (verb == "effects") {
      EXPECT_EQ(effects_.Joined(), rest);
    } else if (verb == "sent") {
      std::string joined;
      for (const auto& record : sent_.records)
        joined += (joined.empty() ? "" : " | ") + std::to_string(record.terminalId) + ":" + Escaped(record.data);
      EXPECT_EQ(joined, rest);
    } else if (verb == "field") {
      const std::vector<std::string> words = Words(rest);
      const auto facts = FieldFacts(std::stoi(words.at(0)));
      for (std::size_t i = 1; i < words.size(); ++i) Expect(facts, words[i], "field " + words[0]);
    } else if (verb == "consumes") {
      const std::vector<std::string> words = Words(rest);
      EXPECT_EQ(Consumed(Text(words.at(0))), Number(words.at(1)));
    } else if (verb == "state") {
      const auto facts = ScreenFacts();
      for (const std::string& word : Words(rest)) Expect(facts, word, "screen");
    } else {
      ADD_FAILURE() << "unknown row " << verb;
    }
  }

 private:
  using Facts = std::map<std::string, std::string>;

  static void Expect(const Facts& facts, const std::string& word, const std::string& what) {
    const std::size_t equals = word.find('=');
    const std::string key = word.substr(0, equals);
    const auto found = facts.find(key);
    const std::string actual = found == facts.end() ? "<none>" : found->second;
    std::string expected = equals == std::string::npos ? "1" : word.substr(equals + 1);
    if (!expected.empty() && expected[0] == '"') expected = Escaped(expected.substr(1));
    EXPECT_EQ(actual, expected) << what << " " << key;
  }

  void Receive(const std::string& record) {
    terminal_->ReceiveRecord(RecordBytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size()));
  }

  // The commands run as a screen record without its terminator, shown without what comes with every
  // record: the "H" answer before the commands and the lock indicator after them.
  void RunScreen(const std::string& commands) {
    const std::size_t sentBefore = sent_.records.size();
    // Held in a block of exactly its size, so that the address sanitizer sees a read past the end.
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[commands.size() + 1]);
    block[0] = 'H';
    std::copy(commands.begin(), commands.end(), block.get() + 1);
    terminal_->ReceiveRecord(RecordBytes(block.get(), commands.size() + 1));
    ASSERT_GT(sent_.records.size(), sentBefore);
    ASSERT_EQ(sent_.records[sentBefore].data, "H");
    sent_.records.erase(sent_.records.begin() + static_cast<std::ptrdiff_t>(sentBefore));
    const bool locked = terminal_->GetScreen().keyboard == Keyboard::Locked;
    const std::vector<std::string> indicator =
        locked ? std::vector<std::string>{"DisableInput", "ShowLock H"} : std::vector<std::string>{"HideLock"};
    std::vector<std::string>& calls = effects_.calls;
    ASSERT_GE(calls.size(), indicator.size());
    ASSERT_TRUE(
        std::equal(indicator.begin(), indicator.end(), calls.end() - static_cast<std::ptrdiff_t>(indicator.size())));
    calls.resize(calls.size() - indicator.size());
  }

  Field* Find(int id) { return terminal_->GetScreen().CurrentField(id); }

  Facts FieldFacts(int id) {
    const Field* f = Find(id);
    if (f == nullptr) return {{"exists", "0"}};
    return {{"exists", "1"},
            {"row", std::to_string(f->row)},
            {"col", std::to_string(f->column)},
            {"width", std::to_string(f->width)},
            {"len", std::to_string(f->MaxLength())},
            {"mode", std::to_string(f->Mode())},
            {"flags", Escaped(std::string(1, static_cast<char>(f->format.flags)))},
            {"attrs", Escaped(std::string(1, static_cast<char>(f->format.attributes)))},
            {"type", std::to_string(f->format.type)},
            {"text", f->HasText() ? Escaped(Utf8(f->Text())) : "<no text>"},
            {"modified", std::to_string(f->edit.modified)},
            {"recreate", std::to_string(f->link.recreate)},
            {"serial", std::to_string(f->IsSerial())},
            {"readonly", std::to_string(f->IsReadOnly())},
            {"centred", std::to_string(f->format.centred)},
            {"checksize", std::to_string(f->format.checkSize)},
            {"selected", std::to_string(f->format.selected)},
            {"serialflags", Escaped(std::string(1, static_cast<char>(f->format.serialFlags)))},
            {"prefixmode", std::to_string(f->PrefixMode())},
            {"lastcol", std::to_string(f->LastColumn())},
            {"prefix", f->HasPrefix() ? Escaped(Utf8(f->Prefix())) : "<none>"},
            {"window", f->link.window != kNoWindow ? "1" : "0"}};
  }

  Facts ScreenFacts() {
    const Screen& s = terminal_->GetScreen();
    return {{"focus", std::to_string(s.focusField)},
            {"keyboard", s.keyboard == Keyboard::Ready    ? "ready"
                         : s.keyboard == Keyboard::Locked ? "locked"
                                                          : "resetfocus"},
            {"page", std::to_string(s.currentPage)},
            {"shown", std::to_string(s.shownPage)},
            {"message", Escaped(Utf8(s.messageText))},
            {"messageshown", Escaped(Utf8(std::u16string(s.MessageShown())))},
            {"background", s.CurrentPage() ? std::to_string(s.CurrentPage()->background) : "<no page>"},
            {"prompt", std::to_string(s.promptLength)},
            {"firstinput", std::to_string(s.FirstInputField())},
            {"windows", std::to_string(effects_.windowsCreated)},
            {"labels", Labels(s)},
            {"stamp", std::to_string(terminal_->SessionStamp())},
            {"size", std::to_string(s.columns) + "x" + std::to_string(s.rows)},
            {"taken", std::to_string(taken_)}};
  }

  static std::string Labels(const Screen& s) {
    std::string codes;
    for (int code = -1; code <= 40; ++code)
      if (s.KeyLabel(code)) codes += (codes.empty() ? "" : ",") + std::to_string(code);
    return codes;
  }

  static int Number(const std::string& word) {
    if (word.size() == 3 && word[0] == '\'') return static_cast<unsigned char>(word[1]);
    return static_cast<int>(std::strtol(word.c_str(), nullptr, 0));
  }

  static FieldOption Option(const std::string& word) {
    const std::size_t equals = word.find('=');
    const std::string name = word.substr(0, equals), value = equals == std::string::npos ? "" : word.substr(equals + 1);
    if (name == "Type") return option::Type(value.at(0));
    if (name == "MaxLength") return option::MaxLength(Number(value));
    if (name == "MaxLengthDigits") return option::MaxLengthDigits(value);
    if (name == "Selected") return option::Selected(value == "1");
    if (name == "Centred") return option::Centred();
    if (name == "Recreate") return option::Recreate();
    if (name == "CheckSize") return option::CheckSize(Number(value));
    return option::Letter(value.at(0));
  }

  // One screen builder command's words: Num(i) a number, Byte(i) a byte, Str(i) a text.
  struct CommandWords {
    const std::vector<std::string>& w;
    int Num(std::size_t i) const { return Number(w.at(i)); }
    std::uint8_t Byte(std::size_t i) const { return static_cast<std::uint8_t>(Number(w.at(i))); }
    std::string Str(std::size_t i) const { return Text(w.at(i)); }
  };
  using B = ScreenBuilder;
  using W = CommandWords;
  static const std::map<std::string, void (*)(B&, const W&)>& Commands() {
    static const std::map<std::string, void (*)(B&, const W&)> commands = {
        {"Fixed", [](B& s, const W& c) { s.Fixed(c.Num(1), c.Num(2), c.Num(3), c.Str(4)); }},
        {"Define", [](B& s, const W& c) { s.Define(c.Num(1), c.Num(2), c.Num(3), c.Byte(4), c.Byte(5), c.Num(6)); }},
        {"Input", [](B& s, const W& c) { s.Input(c.Num(1), c.Num(2), c.Num(3), c.Num(4)); }},
        {"Text", [](B& s, const W& c) { s.Text(c.Num(1), c.Str(2)); }},
        {"Options",
         [](B& s, const W& c) {
           std::vector<FieldOption> options;
           for (std::size_t i = 2; i < c.w.size(); ++i) options.push_back(Option(c.w[i]));
           s.Options(c.Num(1), options);
         }},
        {"Prefix", [](B& s, const W& c) { s.Prefix(c.Num(1), c.Num(2), c.Str(3)); }},
        {"Attributes", [](B& s, const W& c) { s.Attributes(c.Num(1), c.Byte(2), c.Byte(3)); }},
        {"SerialFlags", [](B& s, const W& c) { s.SerialFlags(c.Num(1), c.Byte(2)); }},
        {"ClearField", [](B& s, const W& c) { s.ClearField(c.Num(1)); }},
        {"ClearInputFields", [](B& s, const W&) { s.ClearInputFields(); }},
        {"DeleteField", [](B& s, const W& c) { s.DeleteField(c.Num(1)); }},
        {"ErasePage", [](B& s, const W&) { s.ErasePage(); }},
        {"CopyText", [](B& s, const W& c) { s.CopyText(c.Num(1), c.Num(2)); }},
        {"SelectPage", [](B& s, const W& c) { s.SelectPage(c.Num(1)); }},
        {"ShowPage", [](B& s, const W& c) { s.ShowPage(c.Num(1)); }},
        {"Focus", [](B& s, const W& c) { s.Focus(c.Num(1)); }},
        {"FocusAndUnlock", [](B& s, const W& c) { s.FocusAndUnlock(c.Num(1)); }},
        {"Lock", [](B& s, const W&) { s.Lock(); }},
        {"MessageAt", [](B& s, const W& c) { s.MessageAt(c.Num(1), c.Str(2)); }},
        {"Message", [](B& s, const W& c) { s.Message(c.Str(1)); }},
        {"Prompt", [](B& s, const W& c) { s.Prompt(c.Num(1), c.Str(2)); }},
        {"KeyLabel", [](B& s, const W& c) { s.KeyLabel(c.Num(1), c.Str(2)); }},
        {"Sound", [](B& s, const W&) { s.Sound(); }},
        {"ScannerEnable", [](B& s, const W& c) { s.ScannerEnable(c.Num(1)); }},
        {"UserSound", [](B& s, const W& c) { s.UserSound(c.Num(1)); }},
        {"DeviceValues", [](B& s, const W& c) { s.DeviceValues(c.Num(1), c.Num(2), c.Num(3)); }},
        {"SerialOut", [](B& s, const W& c) { s.SerialOut(c.Num(1), c.Str(2)); }},
        {"FontStep", [](B& s, const W& c) { s.FontStep(c.Num(1)); }},
        {"StatusRequest", [](B& s, const W&) { s.StatusRequest(); }},
        {"SendFields", [](B& s, const W& c) { s.SendFields(c.Num(1)); }},
        {"Ignored", [](B& s, const W& c) { s.Ignored(static_cast<char>(c.Num(1)), c.w.size() > 2 ? c.Str(2) : ""); }},
        {"Raw", [](B& s, const W& c) { s.Raw(c.Str(1)); }},
    };
    return commands;
  }

  // Screen builder words, one command after another: "Fixed 5 2 3 \"abcd\" ; Show 0".
  static ScreenBuilder Build(const std::string& text) {
    ScreenBuilder b;
    const std::vector<std::string> all = Words(text);
    for (std::size_t start = 0; start < all.size();) {
      std::size_t end = start;
      while (end < all.size() && all[end] != ";") ++end;
      const std::vector<std::string> w(all.begin() + static_cast<std::ptrdiff_t>(start),
                                       all.begin() + static_cast<std::ptrdiff_t>(end));
      start = end + 1;
      const auto command = Commands().find(w.at(0));
      if (command == Commands().end()) {
        ADD_FAILURE() << "unknown host word " << w.at(0);
      } else {
        command->second(b, W{w});
      }
    }
    return b;
  }

  // Operator and session actions (see protocol.rows).
  void Act(const std::vector<std::string>& w) {
    const Screen& s = terminal_->GetScreen();
    const std::string& a = w.at(0);
    if (a == "key") {
      taken_ = terminal_->KeyPressed(w.size() > 2 ? Number(w[2]) : s.focusField, FunctionKeyFromCode(Number(w.at(1))));
    } else if (a == "enter") {
      taken_ = terminal_->EnterPressed(Number(w.at(1)));
    } else if (a == "changed") {
      taken_ = terminal_->FieldChanged(Number(w.at(1)));
    } else if (a == "focus") {
      terminal_->FieldFocused(Number(w.at(1)));
    } else if (a == "next" || a == "previous" || a == "refocus") {
      terminal_->Navigate(a == "next" ? Direction::Next : a == "previous" ? Direction::Previous : Direction::Refocus);
    } else if (a == "type") {
      Field* f = Find(Number(w.at(1)));
      ASSERT_NE(f, nullptr);
      f->SetText(DecodeText(Text(w.at(2)), CodePage::Utf8));
      f->edit.modified = true;
    } else if (a == "serial") {
      const std::string bytes = Text(w.at(1));
      terminal_->SerialReceived(SerialBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    } else if (a == "answer") {
      terminal_->PromptClosed(true, DecodeText(Text(w.at(1)), CodePage::Utf8));
    } else if (a == "cancel") {
      terminal_->PromptClosed(false, {});
    } else if (a == "opening") {
      terminal_->HostDialogOpening();
    } else if (a == "closed") {
      terminal_->HostMessageClosed(Number(w.at(1)));
    } else if (a == "restart") {
      terminal_->Restart();
    } else if (a == "starting") {
      terminal_->ConnectionStarting();
    } else if (a == "connected") {
      terminal_->Connected();
    } else if (a == "clock") {
      clock_.second = Number(w.at(1));
    } else {
      ADD_FAILURE() << "unknown action " << a;
    }
  }

  Settings settings_;
  testing_support::EffectsRecorder effects_;
  testing_support::FixedClock clock_;
  testing_support::RecordCapture sent_;
  std::unique_ptr<Terminal> terminal_;
  bool taken_ = false;  // whether the last key, Enter or change was taken
};

struct Case {
  std::string name;
  int line = 0;
  std::string settings;
  std::vector<std::pair<int, std::string>> rows;
};

void PrintTo(const Case& c, std::ostream* out) { *out << "protocol.rows:" << c.line << " " << c.name; }

std::vector<Case> Cases() {
  std::vector<Case> cases;
  std::istringstream text(kProtocolRows);
  int number = 0;
  bool inCase = false;  // not in a table of another test
  for (std::string line; std::getline(text, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("case ", 0) == 0) {
      cases.push_back({line.substr(5), number, {}, {}});
      inCase = true;
    } else if (line.rfind("table ", 0) == 0) {
      inCase = false;
    } else if (inCase && line.rfind("settings ", 0) == 0) {
      cases.back().settings += line.substr(9) + "\r\n";
    } else if (inCase) {
      cases.back().rows.emplace_back(number, line);
    }
  }
  return cases;
}

class Protocol : public ::testing::TestWithParam<Case> {};

TEST_P(Protocol, Case) {
  CaseRunner runner(GetParam().settings);
  for (const auto& [number, line] : GetParam().rows) {
    SCOPED_TRACE("protocol.rows:" + std::to_string(number) + ": " + line);
    const std::size_t space = line.find(' ');
    runner.Row(line.substr(0, space), space == std::string::npos ? "" : line.substr(space + 1));
    if (HasFatalFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, Protocol, ::testing::ValuesIn(Cases()), [](const auto& row) {
  std::string name = "L" + std::to_string(row.param.line) + "_";
  for (const char c : row.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
});

}  // namespace
}  // namespace vantor
