// Entry field editing rules: filters, replace on first key, length limit, auto-advance, auto-send, keys.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "field_helpers.h"
#include "model/entry_editor.h"
#include "model/field.h"
#include "model/field_list.h"
#include "platform/codepage.h"
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

struct Case {
  const char* setup;
  const char* script;
  const char* text;    // the field's text after the script (UTF-8)
  int caret;           // -1: not checked
  int modified;        // -1: not checked
  const char* events;  // what the editor asked of its window, in order
};

const Case kCases[] = {
    // The first key replaces the value, unless field editing is off.
    {"text=ABC", "focus t:X", "X", 1, 1, ""},
    {"text=ABC insert", "focus t:X", "XABC", 1, 1, ""},
    // Filters: numeric fields take digits and the numeric characters; upper case raises ASCII letters only.
    {"numeric", "focus t:A", "", 0, 0, "beep 0"},
    {"numeric", "focus t:5-$", "5-$", 3, 1, ""},
    {"numeric numchars=01", "focus t:5", "", 0, 0, "beep 0"},
    {"upper", "focus t:a\xC3\xA4z1", "A\xC3\xA4Z1", 4, 1, ""},
    // A full field drops further characters silently; filling it at its end advances or auto-sends.
    {"max=3", "focus t:12345", "123", 3, 1, ""},
    {"max=3 text=12 insert autoadvance", "focus k:End t:3", "123", -1, 1, "nav 1"},
    {"max=3 text=12 insert autosend", "focus k:End t:3", "123", -1, 1, "changed 7"},
    {"max=3 text=12 insert autoadvance", "focus t:0", "012", 1, 1, ""},
    // Arrows move, or report a changed auto-send field instead; the guard stops a repeated report.
    {"autosend", "focus k:Up", "", 0, 0, "nav -1"},
    {"autosend", "focus t:a clear k:Up k:Down", "a", 1, 1, "changed 7, changed 7"},
    {"autosend guard", "report k:Down", "", -1, -1, "report 0, nav 1"},
    {"autosend", "focus t:9 clear end", "9", -1, 1, "changed 7"},
    // Read-only: typing and deleting do nothing, moving and keys still work.
    {"readonly text=AB", "focus t:X k:Delete k:Tab k:S+Tab k:115", "AB", -1, 0, "nav 1, nav -1, key 7 4"},
    // Function keys carry the shared codes; Enter comes as a character, not as a key.
    {"", "focus k:S+114 k:C+48 k:242 k:13", "", -1, 0, "key 7 13, key 7 30, key 7 27"},
    // Caret keys and deletion, in bounds at both edges.
    {"text=ABCD", "focus k:Left", "ABCD", 0, 0, ""},
    {"text=ABCD", "focus k:End k:Right t:X", "ABCDX", 5, 1, ""},
    {"text=ABCD", "focus k:End k:Left k:Delete", "ABC", 3, 1, ""},
    {"text=ABCD", "focus k:End k:Home k:Delete", "BCD", 0, 1, ""},
    {"text=ABCD", "focus k:Clear", "", 0, -1, ""},
    {"text=AB", "focus t:\b", "AB", 0, 0, ""},
    {"text=AB", "focus k:End k:Delete t:\b", "A", 1, 1, ""},
    {"text=ABCDE insert", "focus k:End host:AB k:Delete t:\bX", "AX", 2, 1, ""},
    // Enter asks the terminal for key 0, or moves on.
    {"", "focus t:\r", "", -1, 0, "enter 7"},
    {"enternav", "focus t:\r", "", -1, 0, "nav 1"},
    // Line feed and Escape beep, Ctrl+C is ignored, Ctrl+V pastes (not inside a paste); others are text.
    {"", "focus t:\n\x1b\x03\x16", "", -1, 0, "beep simple, beep simple, paste"},
    {"", "focus p:\x16 t:\x01", "\x01", 1, 1, ""},
    // Tab moves both ways (Ctrl+Tab does not); typing into a window without focus is passed on.
    {"", "focus t:\t S-t:\t C-t:\t", "", -1, 0, "nav 1, nav -1"},
    {"unfocused", "t:Q", "", -1, 0, "forward Q"},
    // Serial data fill an unfocused field without advancing; a carriage return is Enter unless prefixed.
    {"max=2 autoadvance autosend unfocused", "fed:42", "42", -1, 1, ""},
    {"", "fed:\r", "", -1, 0, "enter 7"},
    {"prefix", "fed:\r", "\r", -1, 1, ""},
    // Emptying takes the text but is no change; a field of no capacity takes nothing.
    {"text=XYZ caret=2", "empty", "", 0, 0, ""},
    {"max=0", "focus t:A fed:B", "", 0, 0, ""},
};

TEST(EntryEditorTest, Scripts) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.setup) + " | " + c.script);
    Editing e;
    e.Setup(c.setup);
    e.Script(c.script);
    EXPECT_EQ(EncodeText(e.field.Text(), CodePage::Utf8), c.text);
    if (c.caret >= 0) {
      EXPECT_EQ(e.field.edit.caret, c.caret);
    }
    if (c.modified >= 0) {
      EXPECT_EQ(e.field.edit.modified, c.modified);
    }
    EXPECT_EQ(e.host.events, c.events);
  }
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
