// The demo host's application: a small warehouse (sign-on, a menu, receiving, stock inquiry) driven
// by the terminal's records, one object per connected terminal.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "session/responses.h"

namespace vantor::demo {

// Stock on hand, shared by every terminal of the host (all of them served on one thread).
class StockBook {
 public:
  StockBook();
  // Adds to the item's stock and returns the new quantity on hand.
  long Receive(const std::string& item, long quantity);
  std::optional<long> OnHand(const std::string& item) const;

 private:
  std::map<std::string, long> onHand_;
};

// Field numbers shared by the demo's screens: texts below 20, input fields from 20 on.
namespace fields {
inline constexpr int kTitle = 1, kSubtitle = 2, kLabel1 = 3, kLabel2 = 4, kHint = 5, kLabel3 = 6, kResult = 7,
                     kClock = 9;
inline constexpr int kInput1 = 20, kInput2 = 21, kInput3 = 22;
}  // namespace fields

// Host key codes of the toolbar's keys as the demo binds them.
namespace keys {
inline constexpr int kEnter = 0, kSave = 1, kClear = 2, kBack = 3, kNext = 4, kExit = 8;
}  // namespace keys

class WarehouseDemo {
 public:
  enum class Screen { None, SignOn, Menu, Receiving, Inquiry };

  explicit WarehouseDemo(StockBook& stock) : stock_(stock) {}

  // The records (as written on the connection) that answer one record of the terminal.
  std::vector<std::string> OnRecord(const TerminalRecord& record);

  Screen CurrentScreen() const { return screen_; }
  const std::string& User() const { return user_; }
  // A line for the host's log about the last record, empty when there is nothing to tell.
  const std::string& LastEvent() const { return event_; }

 private:
  std::string SignOnScreen();
  std::string MenuScreen();
  std::string ReceivingScreen();
  std::string InquiryScreen();
  std::string Unlock(int field);
  std::string Refuse(int field);  // error sound, keyboard back
  std::string MessageAt(int field, const std::string& text);

  std::string OnKey(int code);
  std::string OnPromptReply(const std::string& reply);
  std::string SignOnKey(int code);
  std::string MenuKey(int code);
  std::string ReceivingKey(int code);
  std::string InquiryKey(int code);
  std::string Value(int field) const;
  int NextInput(int field) const;

  StockBook& stock_;
  Screen screen_ = Screen::None;
  std::string user_;
  std::map<int, std::string> values_;  // the current screen's input fields as the terminal reported them
  int focus_ = -1;
  bool confirming_ = false;
  std::string pendingItem_;
  long pendingQuantity_ = 0;
  std::string lastReceipt_ = "none";
  std::string event_;
};

}  // namespace vantor::demo
