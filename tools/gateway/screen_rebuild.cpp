// The rebuild: a shadow's screen written back as host records with the host-side screen builder.
#include "screen_rebuild.h"

#include <algorithm>

#include "model/page.h"
#include "platform/codepage.h"
#include "screen_builder.h"
#include "session/responses.h"

namespace vantor::gateway {

namespace {

using host_records::FieldOption;
using host_records::ScreenBuilder;
namespace option = host_records::option;

// The short number's room: labels and prefixes longer than this cannot have come from the host.
constexpr std::size_t kShortText = kShortNumberMax;
// A page number no page has: a field lookup there finds nothing.
constexpr int kNoPage = PageList::kPageCount;

char TypeLetter(std::uint8_t type) {
  switch (type) {
    case kTypeButton: return 'B';
    case kTypeCheckBox: return 'C';
    case kTypeRadioButton: return 'R';
    case kTypeSelectButton: return 'S';
    default: return 0;
  }
}

class Writer {
 public:
  explicit Writer(const Shadow& shadow)
      : terminal_(shadow.Terminal()),
        screen_(terminal_.Engine().GetScreen()),
        page_(HostCodePage(terminal_.Engine().GetSettings().HostTextIsUtf8())) {}

  std::vector<std::string> Records(bool fontStepSet) {
    std::vector<std::string> records{std::string("I") + std::string(kTerminator)};
    ScreenBuilder screen;
    for (int number = 0; number < PageList::kPageCount; ++number) Page(screen, number);
    Labels(screen);
    if (fontStepSet) screen.FontStep(terminal_.Engine().GetSettings().FontStep());
    screen.SelectPage(screen_.currentPage).ShowPage(screen_.shownPage).Focus(screen_.focusField);
    const std::vector<OpenDialog>& dialogs = terminal_.View().Dialogs();
    if (dialogs.empty()) {
      Keyboard(screen);
      records.push_back(screen.Wire());
      return records;
    }
    for (const OpenDialog& dialog : dialogs) {
      Dialog(screen, dialog);
      records.push_back(screen.Wire());
      screen = ScreenBuilder();
    }
    // An open dialog took input; the host locked the keyboard under it since.
    if (screen_.keyboard == Keyboard::Locked) records.push_back(screen.Lock().Wire());
    return records;
  }

 private:
  std::string Encoded(std::u16string_view text) const { return EncodeText(text, page_); }
  std::string Short(std::u16string_view text) const {
    return std::string(CutEncoded(Encoded(text), kShortText, page_));
  }

  void Page(ScreenBuilder& screen, int number) {
    const vantor::Page* page = screen_.pages.At(number);
    if (page == nullptr || page->Fields().Empty()) return;
    screen.SelectPage(number);
    for (const Field* field = page->Fields().Head(); field != nullptr; field = field->NextById())
      Define(screen, *field);
  }

  void Define(ScreenBuilder& screen, const Field& field) {
    const FieldFormat& format = field.format;
    const int id = field.id;
    // Without a mode until it is whole: a serial display field with text would send it out.
    screen.Define(id, field.row, field.column, static_cast<std::uint8_t>(format.flags & ~3), format.attributes,
                  field.width);
    std::vector<FieldOption> options;
    if (const char letter = TypeLetter(format.type)) options.push_back(option::Type(letter));
    if (field.MaxLength() != field.width) options.push_back(option::MaxLength(field.MaxLength()));
    if (format.selected) options.push_back(option::Selected(true));
    if (format.centred) options.push_back(option::Centred());
    if (format.checkSize != 1) options.push_back(option::CheckSize(format.checkSize));
    if (!options.empty()) screen.Options(id, options);
    if (!field.Text().empty()) screen.Text(id, Encoded(field.Text()));
    if (field.HasPrefix() || field.PrefixMode() != 0) {
      std::string prefix = Short(field.Prefix());
      // A present prefix whose text decoded shorter than its length: zero bytes end the text.
      if (field.HasPrefix() && prefix.empty()) prefix.push_back('\0');
      screen.Prefix(id, PrefixModeArgument(field.PrefixMode()), prefix);
    }
    if (format.serialFlags != 0) screen.SerialFlags(id, format.serialFlags);
    screen.Attributes(id, format.flags, format.attributes);
  }

  std::string LabelOf(int code) const {
    const std::u16string* label = screen_.KeyLabel(code);
    return label != nullptr ? Short(*label) : std::string();
  }

  void Labels(ScreenBuilder& screen) {
    // Every code: an empty label takes what the terminal kept from before off it and off its toolbar.
    for (int code = 0; code < kKeyLabelCount; ++code) screen.KeyLabel(code, LabelOf(code));
    Toolbar(screen);
  }

  // A label binds the first toolbar button (in bar order) with its caption, or else frees the first
  // one bound to its code: what a button holds depends on the labels before. So each button is parked
  // on a code no button wants, then bound (and freed again when it is not enabled) to the code it has
  // on the shadow, and the labels of the codes used are written again.
  void Toolbar(ScreenBuilder& screen) {
    const auto& buttons = terminal_.View().Toolbar();
    const auto isCaption = [&](const std::string& label) {
      for (const ToolbarButtonState& button : buttons) {
        if (label == Short(button.label)) return true;
      }
      return false;
    };
    std::vector<int> parking;
    for (int code = 0; code < kKeyLabelCount && parking.size() < buttons.size(); ++code) {
      bool wanted = isCaption(LabelOf(code));
      for (const ToolbarButtonState& button : buttons) wanted = wanted || button.code == static_cast<unsigned>(code);
      if (!wanted) parking.push_back(code);
    }
    if (parking.size() < buttons.size()) return;
    std::vector<bool> used(kKeyLabelCount, false);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      screen.KeyLabel(parking[i], Short(buttons[i].label)).KeyLabel(parking[i], {});
      used[static_cast<std::size_t>(parking[i])] = true;
    }
    for (const ToolbarButtonState& button : buttons) {
      if (button.code >= static_cast<unsigned>(kKeyLabelCount)) continue;
      const int code = static_cast<int>(button.code);
      screen.KeyLabel(code, Short(button.label));
      if (!button.enabled) screen.KeyLabel(code, {});
      used[static_cast<std::size_t>(code)] = true;
    }
    for (int code = 0; code < kKeyLabelCount; ++code) {
      if (used[static_cast<std::size_t>(code)]) screen.KeyLabel(code, LabelOf(code));
    }
    // A label written again may have bound a button of its caption elsewhere.
    for (const ToolbarButtonState& button : buttons) {
      if (button.enabled && button.code < static_cast<unsigned>(kKeyLabelCount))
        screen.KeyLabel(static_cast<int>(button.code), Short(button.label));
    }
  }

  void Keyboard(ScreenBuilder& screen) {
    if (screen_.keyboard == Keyboard::Locked) {
      screen.Lock();
      return;
    }
    // The terminal may have come back locked (a key in flight, a restarted program): unlocked again.
    screen.FocusAndUnlock(std::max(screen_.focusField, 0));
    if (screen_.focusField < 0) screen.Focus(screen_.focusField);
  }

  // The page whose first input field is `focusAfter` (a message's focus for a field number below 1).
  int PageWithFirstInput(int focusAfter) const {
    for (int number = 0; number < PageList::kPageCount; ++number) {
      const vantor::Page* page = screen_.pages.At(number);
      const Field* field = page->Fields().Head();
      while (field != nullptr && !field->IsInputField()) field = field->NextById();
      if (field != nullptr && field->id == focusAfter) return number;
    }
    return focusAfter == -1 ? kNoPage : screen_.currentPage;
  }

  void Dialog(ScreenBuilder& screen, const OpenDialog& dialog) {
    const std::string text = Encoded(dialog.text);
    if (dialog.kind == DialogKind::Prompt) {
      screen.Prompt(dialog.promptLength, text);
      return;
    }
    if (dialog.focusAfter >= 1) {
      screen.MessageAt(dialog.focusAfter, text);
      return;
    }
    screen.SelectPage(PageWithFirstInput(dialog.focusAfter)).MessageAt(0, text).SelectPage(screen_.currentPage);
  }

  const HeadlessTerminal& terminal_;
  const Screen& screen_;
  CodePage page_;
};

}  // namespace

int PrefixModeArgument(int mode) {
  for (int argument = -48; argument <= kShortNumberMax; ++argument) {
    int reduced = argument;
    if (reduced > 15) reduced -= 16;
    if (reduced >= 8) reduced -= 8;
    if (reduced > 3) reduced -= 4;
    if (static_cast<std::uint8_t>(reduced) == mode) return argument;
  }
  return mode;
}

std::vector<std::string> RebuildRecords(const Shadow& shadow) { return Writer(shadow).Records(shadow.FontStepSet()); }

}  // namespace vantor::gateway
