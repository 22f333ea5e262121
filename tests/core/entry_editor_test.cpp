// Entry field editing rules: filters, replace on first key, length limit, auto-advance, auto-send, keys.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "field_helpers.h"
#include "model/entry_editor.h"
#include "model/field.h"
#include "model/field_list.h"
#include "platform/codepage.h"
#include "row_tables.h"
#include "settings/settings.h"

namespace vantor {
namespace {

// Records every request the editor makes of its window and of the terminal, in order.
class Recorder final : public EntryWindow, public TerminalRequests {
 public:
  bool focus = true;
  std::string events;
  int caretChanges = 0;

  void Log(const std::string& event) { events += (events.empty() ? "" : ", ") + event; }
  bool OwnsFocus() override { return focus; }
  void Navigate(Direction direction) override { Log("nav " + std::to_string(static_cast<int>(direction))); }
  bool KeyPressed(int fieldId, FunctionKey key) override {
    Log("key " + std::to_string(fieldId) + " " + std::to_string(CodeOf(key)));
    return true;
  }
  bool EnterPressed(int fieldId) override {
    Log("enter " + std::to_string(fieldId));
    return true;
  }
  bool FieldChanged(int fieldId) override {
    Log("changed " + std::to_string(fieldId));
    return true;
  }
  void FieldFocused(int fieldId) override { Log("focused " + std::to_string(fieldId)); }
  void Beep(std::uint32_t type) override { Log(type == kBeepSimple ? "beep simple" : "beep " + std::to_string(type)); }
  void CaretChanged() override { ++caretChanges; }
  void Paste() override { Log("paste"); }
  void ForwardChar(char16_t c) override { Log("forward " + std::string(1, static_cast<char>(c))); }
};

// Field 7, an input field five wide, and the editor's window. Setup words (see Case) shape them;
// script words drive the editor.
class Editing {
 public:
  Editing() : field(testing_support::AddField(list, 7, 2, 0, 5)) {
    field.format.flags = kModeInput;
    field.ClearText();
  }

  void Setup(const std::string& words) {
    std::istringstream in(words);
    for (std::string w; std::getline(in, w, ' ');) {
      const std::string value = w.substr(w.find('=') + 1);
      if (w.rfind("text=", 0) == 0)
        field.SetText(Decode(value));
      else if (w.rfind("max=", 0) == 0)
        field.SetMaxLength(std::stoi(value));
      else if (w.rfind("caret=", 0) == 0)
        field.edit.caret = std::stoi(value);
      else if (w.rfind("numchars=", 0) == 0)
        settings.SetNumericChars(Decode(value));
      else if (w == "numeric")
        field.format.flags |= kFlagNumeric;
      else if (w == "autosend")
        field.format.flags |= kFlagAutoSend;
      else if (w == "autoadvance")
        field.format.attributes |= kAttrAutoAdvance;
      else if (w == "readonly")
        field.format.attributes |= kAttrReadOnly;
      else if (w == "prefix")
        field.SetPrefix(u"P", 1, 0);
      else if (w == "guard")
        field.edit.modified = 1, field.edit.sendGuard = true;
      else if (w == "unfocused")
        host.focus = false;
      else if (w == "insert")
        settings.SetFirstKeyReplaces(false);
      else if (w == "upper")
        settings.SetUpperCaseInput(true);
      else if (w == "enternav")
        settings.SetEnterSendsKey(false);
      else
        ADD_FAILURE() << "unknown setup word " << w;
    }
  }

  // focus; t:TEXT typed (S-t: with Shift, C-t: with Ctrl, p: pasted); fed:TEXT; k:KEY ([S+|C+]name or
  // number); host:TEXT (the host replaces the value); end; empty; report; clear (forgets the events).
  void Script(const std::string& words) {
    std::istringstream in(words);
    for (std::string w; std::getline(in, w, ' ');) {
      const std::size_t colon = w.find(':');
      const std::string verb = w.substr(0, colon), arg = colon == std::string::npos ? "" : w.substr(colon + 1);
      EntryEditor editor(field, settings, host, host);
      if (verb == "focus")
        editor.StartEditing(), host.events.clear();
      else if (verb == "end")
        editor.EndEditing();
      else if (verb == "empty")
        editor.Empty();
      else if (verb == "clear")
        host.events.clear();
      else if (verb == "report")
        host.Log(editor.ReportChange() ? "report 1" : "report 0");
      else if (verb == "host")
        field.SetText(Decode(arg));
      else if (verb == "fed")
        for (char16_t c : Decode(arg)) editor.FedChar(c);
      else if (verb == "k")
        Key(editor, arg);
      else if (verb == "t" || verb == "S-t" || verb == "C-t" || verb == "p") {
        editor.SetPasting(verb == "p");
        KeyModifiers mods{};
        mods.shift = verb == "S-t";
        mods.ctrl = verb == "C-t";
        for (char16_t c : Decode(arg)) editor.TypedChar(c, mods, host);
      } else
        ADD_FAILURE() << "unknown script word " << w;
    }
  }

  static void Key(EntryEditor& editor, std::string name) {
    static const std::map<std::string, unsigned> keys = {
        {"Up", kVkUp},   {"Down", kVkDown}, {"Left", kVkLeft},     {"Right", kVkRight}, {"Home", kVkHome},
        {"End", kVkEnd}, {"Tab", kVkTab},   {"Delete", kVkDelete}, {"Clear", kVkClear}};
    KeyModifiers mods{};
    if (name.rfind("S+", 0) == 0) mods.shift = true, name = name.substr(2);
    if (name.rfind("C+", 0) == 0) mods.ctrl = true, name = name.substr(2);
    const auto known = keys.find(name);
    editor.KeyDown(known != keys.end() ? known->second : static_cast<unsigned>(std::stoul(name)), mods);
  }

  static std::u16string Decode(const std::string& utf8) { return DecodeText(utf8, CodePage::Utf8); }

  Settings settings;
  Recorder host;
  FieldList list{nullptr};
  Field& field;
};

// The table "entry editor": setup words, script words, then the text (UTF-8), caret and modified flag
// (-1: not checked) afterwards, and what the editor asked of its window, in order.
TEST(EntryEditorTest, Scripts) {
  testing_support::ForEachRow("entry editor", [&](const std::vector<std::string>& w) {
    ASSERT_EQ(w.size(), 6u);
    Editing e;
    e.Setup(testing_support::Text(w[0]));
    e.Script(testing_support::Text(w[1]));
    EXPECT_EQ(EncodeText(e.field.Text(), CodePage::Utf8), testing_support::Text(w[2]));
    if (const int caret = std::stoi(w[3]); caret >= 0) {
      EXPECT_EQ(e.field.edit.caret, caret);
    }
    if (const int modified = std::stoi(w[4]); modified >= 0) {
      EXPECT_EQ(e.field.edit.modified, modified);
    }
    EXPECT_EQ(e.host.events, testing_support::Text(w[5]));
  });
}

TEST(EntryEditorTest, StartingEditingPutsTheCaretFirstAndTellsTheSession) {
  Editing e;
  e.Setup("text=ABC caret=3");
  EntryEditor(e.field, e.settings, e.host, e.host).StartEditing();
  EXPECT_EQ(e.field.edit.caret, 0);
  EXPECT_EQ(e.field.edit.hasFocus, 1);
  EXPECT_EQ(e.field.edit.replacePending, 1);
  EXPECT_EQ(e.host.events, "focused 7");
  EXPECT_GE(e.host.caretChanges, 1);
  e.Script("end");
  EXPECT_EQ(e.field.edit.hasFocus, 0);
}

}  // namespace
}  // namespace vantor
