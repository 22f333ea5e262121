// The page in front as text and JSON, built from the records and the view without windows.
#include "headless/screen_text.h"

#include <array>
#include <nlohmann/json.hpp>

#include "headless/headless_terminal.h"
#include "look/text_paint_rules.h"
#include "model/button_rules.h"
#include "model/control_kind.h"
#include "model/page.h"
#include "platform/codepage.h"

namespace vantor {

namespace {

using Json = nlohmann::ordered_json;

enum class Align { Left, Centre, Right };

std::string Utf8(std::u16string_view text) { return EncodeText(text, CodePage::Utf8); }

std::u16string TwoDigits(int value) {
  value = ((value % 100) + 100) % 100;
  return {static_cast<char16_t>(u'0' + value / 10), static_cast<char16_t>(u'0' + value % 10)};
}

// Exactly `width` cells: cut, or padded on the side the alignment leaves free.
std::u16string Fit(std::u16string_view text, int width, Align align) {
  if (width <= 0) return {};
  const auto cells = static_cast<std::size_t>(width);
  if (text.size() >= cells)
    return std::u16string(align == Align::Right ? text.substr(text.size() - cells) : text.substr(0, cells));
  const std::size_t room = cells - text.size();
  const std::size_t before = align == Align::Right ? room : align == Align::Centre ? room / 2 : 0;
  return std::u16string(before, u' ') + std::u16string(text) + std::u16string(room - before, u' ');
}

Align AlignOf(const Field& field) { return (field.format.flags & kFlagRight) ? Align::Right : Align::Left; }

std::u16string SystemText(const Field& field, const LocalDateTime& now) {
  // The clock shows its colon steadily: a script compares screens, the blink would only be noise.
  const std::u16string_view picture =
      (field.format.flags & kFlagPassword) ? std::u16string_view(kDatePicture) : ClockPicture(0);
  return SystemLineText(FormatPicture(picture, now), field.width);
}

// A button's or box's label whole: its marks take cells that the window fills with pictures.
std::u16string Decorated(const std::u16string& text, int width) {
  return Fit(text, std::max(width, static_cast<int>(text.size())), Align::Left);
}

bool Checked(const Field& field) { return IsCheckedText(field.Text()); }

std::u16string Label(const Field& field, ButtonKind kind) {
  return std::u16string(LabelOf(kind, field.Text(), field.width));
}

// The field's cells as the operator sees them.
std::u16string Cells(const Field& field, ControlKind kind, const LocalDateTime& now) {
  switch (kind) {
    case ControlKind::Fixed:
      return Fit(field.Text(), field.width, field.format.centred ? Align::Centre : AlignOf(field));
    case ControlKind::System: return Fit(SystemText(field, now), field.width, AlignOf(field));
    case ControlKind::Entry: {
      const bool password = (field.format.flags & kFlagPassword) != 0;
      return Fit(password ? std::u16string(field.Text().size(), u'*') : field.Text(), field.width, AlignOf(field));
    }
    case ControlKind::Button: return Decorated(u"<" + Label(field, ButtonKind::Button) + u">", field.width);
    case ControlKind::SelectButton: return Decorated(u"<" + Label(field, ButtonKind::SelectButton) + u">", field.width);
    case ControlKind::CheckBox:
      return Decorated((Checked(field) ? u"[X] " : u"[ ] ") + Label(field, ButtonKind::CheckBox), field.width);
    case ControlKind::RadioButton:
      return Decorated((Checked(field) ? u"(*) " : u"( ) ") + Label(field, ButtonKind::RadioButton), field.width);
    case ControlKind::None: break;
  }
  return {};
}

const char* KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Fixed: return "text";
    case ControlKind::System: return "system";
    case ControlKind::Entry: return "entry";
    case ControlKind::Button: return "button";
    case ControlKind::SelectButton: return "select";
    case ControlKind::CheckBox: return "checkbox";
    case ControlKind::RadioButton: return "radio";
    case ControlKind::None: break;
  }
  return "none";
}

const Page* ShownPage(const HeadlessTerminal& terminal) {
  const Screen& screen = terminal.Engine().GetScreen();
  return screen.pages.At(screen.shownPage);
}

std::string Dump(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace

std::u16string FormatPicture(std::u16string_view picture, const LocalDateTime& time) {
  static constexpr std::array<std::u16string_view, 12> kMonths{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                                               u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  std::u16string out;
  for (std::size_t i = 0; i < picture.size();) {
    const std::u16string_view rest = picture.substr(i);
    if (rest.starts_with(u"MMM")) {
      out += time.month >= 1 && time.month <= 12 ? kMonths[static_cast<std::size_t>(time.month - 1)] : u"???";
      i += 3;
    } else if (rest.starts_with(u"HH") || rest.starts_with(u"mm") || rest.starts_with(u"dd") ||
               rest.starts_with(u"yy")) {
      const char16_t c = rest[0];
      out += TwoDigits(c == u'H' ? time.hour : c == u'm' ? time.minute : c == u'd' ? time.day : time.year);
      i += 2;
    } else {
      out += rest[0];
      ++i;
    }
  }
  return out;
}

std::vector<std::string> ScreenLines(const HeadlessTerminal& terminal) {
  const Screen& screen = terminal.Engine().GetScreen();
  const int rows = std::max(screen.rows, 0), columns = std::max(screen.columns, 0);
  std::vector<std::u16string> grid(static_cast<std::size_t>(rows),
                                   std::u16string(static_cast<std::size_t>(columns), u' '));
  const LocalDateTime now = terminal.GetClock().LocalNow();
  if (const Page* page = ShownPage(terminal)) {
    for (const Field* field = page->Fields().Head(); field != nullptr; field = field->NextById()) {
      const ControlKind kind = ControlKindOf(*field);
      if (kind == ControlKind::None || field->link.window == kNoWindow || (field->format.attributes & kAttrHidden))
        continue;
      if (field->row < 0 || field->row >= rows) continue;
      const std::u16string cells = Cells(*field, kind, now);
      std::u16string& line = grid[static_cast<std::size_t>(field->row)];
      for (std::size_t i = 0; i < cells.size(); ++i) {
        const long column = static_cast<long>(field->column) + static_cast<long>(i);
        if (column < 0 || column >= columns) continue;
        line[static_cast<std::size_t>(column)] = cells[i] < u' ' ? u' ' : cells[i];
      }
    }
  }
  std::vector<std::string> lines;
  for (const std::u16string& line : grid) lines.push_back(Utf8(line));
  return lines;
}

std::vector<std::string> FieldLines(const HeadlessTerminal& terminal) {
  std::vector<std::string> lines;
  const Page* page = ShownPage(terminal);
  if (page == nullptr) return lines;
  const LocalDateTime now = terminal.GetClock().LocalNow();
  for (const Field* field = page->Fields().Head(); field != nullptr; field = field->NextById()) {
    const ControlKind kind = ControlKindOf(*field);
    if (kind == ControlKind::None || field->link.window == kNoWindow) continue;
    Json json;
    json["id"] = field->id;
    json["kind"] = KindName(kind);
    json["row"] = field->row;
    json["col"] = field->column;
    json["length"] = field->width;
    json["text"] = Utf8(kind == ControlKind::System ? SystemText(*field, now) : field->Text());
    json["focus"] = terminal.View().FocusedControl() == field;
    json["input"] = field->Mode() == kModeInput;
    json["numeric"] = (field->format.flags & kFlagNumeric) != 0;
    json["password"] = kind == ControlKind::Entry && (field->format.flags & kFlagPassword) != 0;
    json["hidden"] = (field->format.attributes & kAttrHidden) != 0;
    if (kind == ControlKind::Entry) {
      json["maxLength"] = field->MaxLength();
      json["modified"] = field->edit.modified;
      json["autoSend"] = (field->format.flags & kFlagAutoSend) != 0;
      json["readOnly"] = field->IsReadOnly();
      json["serial"] = field->IsSerial();
    } else if (kind != ControlKind::Fixed && kind != ControlKind::System) {
      static constexpr std::array<ButtonKind, 4> kButtonKinds{ButtonKind::Button, ButtonKind::SelectButton,
                                                              ButtonKind::CheckBox, ButtonKind::RadioButton};
      const ButtonKind button =
          kButtonKinds[static_cast<std::size_t>(kind) - static_cast<std::size_t>(ControlKind::Button)];
      json["label"] = Utf8(Label(*field, button));
      if (button != ButtonKind::Button) json["checked"] = Checked(*field);
    }
    lines.push_back(Dump(json));
  }
  return lines;
}

std::optional<std::string> FieldText(const HeadlessTerminal& terminal, int id) {
  const Page* page = ShownPage(terminal);
  const Field* field = page != nullptr ? page->Fields().Find(id) : nullptr;
  if (field == nullptr) return std::nullopt;
  if (ControlKindOf(*field) == ControlKind::System) return Utf8(SystemText(*field, terminal.GetClock().LocalNow()));
  return Utf8(field->Text());
}

std::string StatusLine(const HeadlessTerminal& terminal) {
  const Screen& screen = terminal.Engine().GetScreen();
  const HeadlessView& view = terminal.View();
  Json json;
  json["connected"] = terminal.Connected();
  const LinkStatus link = terminal.Link();
  json["link"] = {{"tls", link.tls}, {"protocol", link.protocol}, {"failure", link.failure}};
  json["keyboard"] = view.KeyboardReady() ? "ready" : "locked";
  json["page"] = screen.shownPage;
  json["focus"] = screen.focusField;
  const auto& dialogs = view.Dialogs();
  json["dialog"] = dialogs.empty() ? "none" : dialogs.back().kind == DialogKind::Prompt ? "prompt" : "message";
  json["message"] = dialogs.empty() ? std::string() : Utf8(screen.MessageShown());
  Json labels = Json::object();
  for (int code = 0; code < kKeyLabelCount; ++code) {
    const std::u16string* label = screen.KeyLabel(code);
    if (label != nullptr && !label->empty()) labels[std::to_string(code)] = Utf8(*label);
  }
  json["labels"] = labels;
  Json bar = Json::object();
  for (const ToolbarButtonState& button : view.Toolbar()) {
    if (view.ToolbarBuilt() && button.enabled) bar[Utf8(button.label)] = button.code;
  }
  json["toolbar"] = bar;
  const HeadlessView::Lock lock = view.LockShown();
  json["lock"] = lock == HeadlessView::Lock::None         ? "none"
                 : lock == HeadlessView::Lock::Connecting ? "connecting"
                                                          : "host";
  json["beeps"] = view.Beeps();
  json["sounds"] = view.Sounds();
  return Dump(json);
}

}  // namespace vantor
