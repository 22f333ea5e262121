// The warehouse demo: screens laid out for a 240 x 320 terminal (24 columns, 13 rows of page 0), and
// the answers to its keys, field changes and prompt replies.
#include "warehouse.h"

#include <cctype>
#include <cstdlib>

#include "screen_builder.h"

namespace vantor::demo {

namespace {

using host_records::ScreenBuilder;
namespace option = host_records::option;

constexpr int kColumns = 24;
constexpr std::uint8_t kDisplayFlags = 'A';                 // mode 1
constexpr std::uint8_t kSystemFlags = 'B';                  // mode 2: time of day
constexpr std::uint8_t kInputFlags = 'C';                   // mode 3
constexpr std::uint8_t kPasswordFlags = 'C' | 0x08;         // one '*' per character
constexpr std::uint8_t kQuantityFlags = 'C' | 0x20 | 0x10;  // digits only, right-justified
constexpr std::uint8_t kPlain = '@';
constexpr std::uint8_t kReverse = '@' | 0x30;
constexpr std::uint8_t kBold = '@' | 0x20;
constexpr const char* kCheckLabel = " Print label";

std::string Pad(std::string text, int width) {
  if (static_cast<int>(text.size()) > width) text.resize(static_cast<std::size_t>(width));
  text.append(static_cast<std::size_t>(width - static_cast<int>(text.size())), ' ');
  return text;
}

std::string Trim(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

// Whole positive quantities up to 99999; anything else is refused.
std::optional<long> ParseQuantity(const std::string& text) {
  const std::string digits = Trim(text);
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  long value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1) return std::nullopt;
  return value;
}

// The title bar: reverse text on the left, the clock at the right end of row 0.
void TitleBar(ScreenBuilder& screen, const std::string& title) {
  screen.Fixed(fields::kTitle, 0, 0, Pad(" " + title, kColumns - 5))
      .Attributes(fields::kTitle, kDisplayFlags, kReverse)
      .Define(fields::kClock, 0, kColumns - 5, kSystemFlags, kReverse, 5);
}

// Binds the toolbar's keys that this screen uses and disables the others.
void KeyLabels(ScreenBuilder& screen, bool save, bool clear, bool back, bool next, bool exit) {
  screen.KeyLabel(keys::kSave, save ? "SAVE" : "")
      .KeyLabel(keys::kClear, clear ? "CLEAR" : "")
      .KeyLabel(keys::kBack, back ? "BACK" : "")
      .KeyLabel(keys::kNext, next ? "NEXT" : "")
      .KeyLabel(keys::kExit, exit ? "EXIT" : "");
}

void Begin(ScreenBuilder& screen) { screen.SelectPage(0).ErasePage(); }

void End(ScreenBuilder& screen, int focus) { screen.ShowPage(0).FocusAndUnlock(focus); }

std::string ToText(long value) { return std::to_string(value); }

}  // namespace

StockBook::StockBook() { onHand_ = {{"A100", 24}, {"B200", 6}, {"C300", 120}}; }

long StockBook::Receive(const std::string& item, long quantity) {
  long& stock = onHand_[item];
  stock += quantity;
  return stock;
}

std::optional<long> StockBook::OnHand(const std::string& item) const {
  const auto found = onHand_.find(item);
  if (found == onHand_.end()) return std::nullopt;
  return found->second;
}

std::vector<std::string> WarehouseDemo::OnRecord(const TerminalRecord& record) {
  using Kind = TerminalRecordKind;
  event_.clear();
  if (record.kind == Kind::Identify) {
    // A terminal (re)identified itself: it starts at the sign-on.
    user_.clear();
    event_ = "identified, sign-on screen sent";
    return {SignOnScreen()};
  }
  if (record.kind == Kind::Empty || record.kind == Kind::ScreenReceived || record.kind == Kind::Goodbye) {
    return {};  // acknowledgements and goodbye
  }
  if (screen_ == Screen::None) return {};  // nothing asked before the terminal identified itself
  if (record.kind == Kind::Unknown && !record.rest.starts_with('R')) return {};  // no response at all
  const bool used = record.kind == Kind::Key || record.kind == Kind::FieldChange || record.kind == Kind::PromptReply;
  if (!used || !record.Whole()) {
    event_ = "unreadable response refused";
    return {Refuse(focus_)};
  }
  for (const ReportedField& field : record.fields) values_[field.field] = field.text;
  if (record.focusField.value_or(-1) >= 0) focus_ = *record.focusField;
  switch (record.kind) {
    case Kind::Key: return {OnKey(*record.functionCode)};
    case Kind::FieldChange: return {Unlock(focus_)};
    default: return {OnPromptReply(record.text)};
  }
}

std::string WarehouseDemo::Value(int field) const {
  const auto found = values_.find(field);
  return found == values_.end() ? std::string() : found->second;
}

int WarehouseDemo::NextInput(int field) const {
  int last = fields::kInput1;
  switch (screen_) {
    case Screen::SignOn: last = fields::kInput2; break;
    case Screen::Menu:
    case Screen::Receiving: last = fields::kInput3; break;
    default: break;
  }
  return field >= fields::kInput1 && field < last ? field + 1 : fields::kInput1;
}

std::string WarehouseDemo::Unlock(int field) {
  ScreenBuilder screen;
  screen.FocusAndUnlock(field);
  return screen.Wire();
}

std::string WarehouseDemo::Refuse(int field) {
  ScreenBuilder screen;
  screen.Sound().FocusAndUnlock(field);  // '#' followed by 'o' plays the error sound
  return screen.Wire();
}

std::string WarehouseDemo::MessageAt(int field, const std::string& text) {
  ScreenBuilder screen;
  screen.MessageAt(field, text).FocusAndUnlock(field);
  return screen.Wire();
}

std::string WarehouseDemo::SignOnScreen() {
  screen_ = Screen::SignOn;
  values_.clear();
  confirming_ = false;
  focus_ = fields::kInput1;
  ScreenBuilder screen;
  Begin(screen);
  TitleBar(screen, "VANTOR WAREHOUSE");
  screen.Fixed(fields::kSubtitle, 2, 0, "Sign on")
      .Attributes(fields::kSubtitle, kDisplayFlags, kBold)
      .Fixed(fields::kLabel1, 4, 0, "User:")
      .Define(fields::kInput1, 4, 10, kInputFlags, kPlain, 10)
      .Fixed(fields::kLabel2, 6, 0, "Password:")
      .Define(fields::kInput2, 6, 10, kPasswordFlags, kPlain, 8)
      .Fixed(fields::kHint, 10, 0, "ENTER=OK  F2=CLEAR");
  KeyLabels(screen, true, true, false, true, false);
  End(screen, fields::kInput1);
  return screen.Wire();
}

std::string WarehouseDemo::MenuScreen() {
  screen_ = Screen::Menu;
  values_.clear();
  confirming_ = false;
  focus_ = fields::kInput1;
  ScreenBuilder screen;
  Begin(screen);
  TitleBar(screen, "MAIN MENU");
  screen.Fixed(fields::kSubtitle, 1, 0, "User: " + user_);
  const char* const labels[] = {"Receiving", "Stock inquiry", "Sign off"};
  for (int i = 0; i < 3; ++i) {
    const int id = fields::kInput1 + i;
    screen.Define(id, 3 + 2 * i, 2, kInputFlags, kPlain, 18).Options(id, {option::Type('B')}).Text(id, labels[i]);
  }
  screen.Fixed(fields::kHint, 10, 0, "Tap or ENTER  F8=EXIT");
  KeyLabels(screen, false, false, false, false, true);
  End(screen, fields::kInput1);
  return screen.Wire();
}

std::string WarehouseDemo::ReceivingScreen() {
  screen_ = Screen::Receiving;
  values_.clear();
  confirming_ = false;
  focus_ = fields::kInput1;
  ScreenBuilder screen;
  Begin(screen);
  TitleBar(screen, "RECEIVING");
  screen.Fixed(fields::kLabel1, 2, 0, "Item:")
      .Define(fields::kInput1, 2, 6, kInputFlags, kPlain, 14)
      .Fixed(fields::kLabel2, 4, 0, "Qty:")
      .Define(fields::kInput2, 4, 6, kQuantityFlags, kPlain, 6)
      .Define(fields::kInput3, 6, 0, kInputFlags, kPlain, 14)
      .Options(fields::kInput3, {option::Type('C')})
      .Text(fields::kInput3, kCheckLabel)
      .Fixed(fields::kLabel3, 8, 0, "Last:")
      .Fixed(fields::kResult, 8, 6, Pad(lastReceipt_, kColumns - 6))
      .Fixed(fields::kHint, 10, 0, "F1=SAVE  F3=BACK");
  KeyLabels(screen, true, true, true, true, true);
  End(screen, fields::kInput1);
  return screen.Wire();
}

std::string WarehouseDemo::InquiryScreen() {
  screen_ = Screen::Inquiry;
  values_.clear();
  confirming_ = false;
  focus_ = fields::kInput1;
  ScreenBuilder screen;
  Begin(screen);
  TitleBar(screen, "STOCK INQUIRY");
  screen.Fixed(fields::kLabel1, 2, 0, "Item:")
      .Define(fields::kInput1, 2, 6, kInputFlags, kPlain, 14)
      .Fixed(fields::kLabel2, 4, 0, "On hand:")
      .Fixed(fields::kResult, 4, 9, Pad("-", kColumns - 9))
      .Fixed(fields::kHint, 10, 0, "F1=FIND  F3=BACK");
  KeyLabels(screen, true, true, true, false, true);
  End(screen, fields::kInput1);
  return screen.Wire();
}

std::string WarehouseDemo::OnKey(int code) {
  if (confirming_) {
    // A key instead of the prompt's answer: the receipt is not booked.
    confirming_ = false;
  }
  switch (screen_) {
    case Screen::SignOn: return SignOnKey(code);
    case Screen::Menu: return MenuKey(code);
    case Screen::Receiving: return ReceivingKey(code);
    case Screen::Inquiry: return InquiryKey(code);
    case Screen::None: break;
  }
  return Refuse(focus_);
}

std::string WarehouseDemo::SignOnKey(int code) {
  if (code == keys::kNext) return Unlock(NextInput(focus_));
  if (code == keys::kClear) {
    values_.clear();
    ScreenBuilder screen;
    screen.ClearInputFields().FocusAndUnlock(fields::kInput1);
    return screen.Wire();
  }
  if (code != keys::kEnter && code != keys::kSave) return Refuse(focus_);
  const std::string user = Trim(Value(fields::kInput1));
  if (user.empty()) return MessageAt(fields::kInput1, "Enter your user id");
  if (code == keys::kEnter && focus_ == fields::kInput1 && Value(fields::kInput2).empty())
    return Unlock(fields::kInput2);
  user_ = user;
  event_ = "user " + user_ + " signed on";
  return MenuScreen();
}

std::string WarehouseDemo::MenuKey(int code) {
  if (code == keys::kExit) {
    event_ = "user " + user_ + " signed off";
    user_.clear();
    return SignOnScreen();
  }
  if (code == keys::kNext) return Unlock(NextInput(focus_));
  if (code != keys::kEnter) return Refuse(focus_);
  switch (focus_) {
    case fields::kInput1: return ReceivingScreen();
    case fields::kInput2: return InquiryScreen();
    case fields::kInput3:
      event_ = "user " + user_ + " signed off";
      user_.clear();
      return SignOnScreen();
    default: return Refuse(fields::kInput1);
  }
}

std::string WarehouseDemo::ReceivingKey(int code) {
  switch (code) {
    case keys::kBack: return MenuScreen();
    case keys::kExit:
      event_ = "user " + user_ + " signed off";
      user_.clear();
      return SignOnScreen();
    case keys::kNext: return Unlock(NextInput(focus_));
    case keys::kClear: {
      values_.erase(fields::kInput1);
      values_.erase(fields::kInput2);
      ScreenBuilder screen;
      screen.Text(fields::kInput1, "").Text(fields::kInput2, "").FocusAndUnlock(fields::kInput1);
      return screen.Wire();
    }
    case keys::kEnter:
    case keys::kSave: break;
    default: return Refuse(focus_);
  }
  const std::string item = Trim(Value(fields::kInput1));
  if (item.empty()) return MessageAt(fields::kInput1, "Scan or type an item");
  if (code == keys::kEnter && focus_ == fields::kInput1) return Unlock(fields::kInput2);
  const std::optional<long> quantity = ParseQuantity(Value(fields::kInput2));
  if (!quantity) return MessageAt(fields::kInput2, "Quantity must be 1 to 99999");
  confirming_ = true;
  pendingItem_ = item;
  pendingQuantity_ = *quantity;
  ScreenBuilder screen;
  std::string question = "Receive ";
  question += ToText(*quantity);
  question += " x " + item + "? (Y/N)";
  screen.Prompt(1, question);
  return screen.Wire();
}

std::string WarehouseDemo::OnPromptReply(const std::string& reply) {
  if (!confirming_ || screen_ != Screen::Receiving) return Unlock(focus_);
  confirming_ = false;
  const std::string answer = Trim(reply);
  if (answer != "Y" && answer != "y") return Unlock(fields::kInput2);
  const long onHand = stock_.Receive(pendingItem_, pendingQuantity_);
  const bool label = Value(fields::kInput3).rfind('X', 0) == 0;
  lastReceipt_ = ToText(pendingQuantity_);
  lastReceipt_ += " x " + pendingItem_;
  event_ = "received " + lastReceipt_ + (label ? " (label)" : "");
  values_.erase(fields::kInput1);
  values_.erase(fields::kInput2);
  std::string message = "Received " + lastReceipt_ + ". On hand: ";
  message += ToText(onHand);
  message += label ? ". Label printed." : ".";
  ScreenBuilder screen;
  screen.Text(fields::kInput1, "")
      .Text(fields::kInput2, "")
      .Text(fields::kResult, Pad(lastReceipt_, kColumns - 6))
      .FocusAndUnlock(fields::kInput1)
      .Message(message);
  return screen.Wire();
}

std::string WarehouseDemo::InquiryKey(int code) {
  switch (code) {
    case keys::kBack: return MenuScreen();
    case keys::kExit:
      event_ = "user " + user_ + " signed off";
      user_.clear();
      return SignOnScreen();
    case keys::kClear: {
      values_.erase(fields::kInput1);
      ScreenBuilder screen;
      screen.Text(fields::kInput1, "").Text(fields::kResult, Pad("-", kColumns - 9)).FocusAndUnlock(fields::kInput1);
      return screen.Wire();
    }
    case keys::kEnter:
    case keys::kSave: break;
    default: return Refuse(focus_);
  }
  const std::string item = Trim(Value(fields::kInput1));
  if (item.empty()) return MessageAt(fields::kInput1, "Scan or type an item");
  const std::optional<long> onHand = stock_.OnHand(item);
  ScreenBuilder screen;
  screen.Text(fields::kResult, Pad(onHand ? ToText(*onHand) : "unknown item", kColumns - 9))
      .FocusAndUnlock(fields::kInput1);
  return screen.Wire();
}

}  // namespace vantor::demo
