// A page's control windows as the page keeps them: their order (top first), the ones discarded since
// the page last settled, and the hidden ones kept for later creates, by kind.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <array>
#include <cstddef>
#include <vector>

#include "model/control_kind.h"

namespace vantor {

// The control id of a kept window: no field has it (field ids are -48..207).
inline constexpr int kKeptControlId = 0xFFFF;

class ControlPool {
 public:
  // Hidden windows kept per kind; one discarded beyond that is destroyed.
  static constexpr std::size_t kKeptPerKind = 64;

  // --- the order of every control window of the page, as the page placed them ---
  // A window made just now: creation puts a child window at the bottom.
  void Created(HWND window) { order_.push_back(window); }
  // A window gone: out of the order and out of the pool.
  void Destroyed(HWND window);
  const std::vector<HWND>& Order() const { return order_; }
  // The window's place in the order (top 0), or -1.
  int PlaceOf(HWND window) const;
  // The window moved just below `above` (null: to the top).
  void MoveBelow(HWND window, HWND above);

  // --- windows without a record ---
  // A window whose record let it go; it stays where it is until it is taken or the page settles.
  void AddDiscarded(HWND window, ControlKind kind, int id);
  bool HasDiscarded() const { return !discarded_.empty(); }
  // A discarded window of the kind, the one that had the id when there is one; null when none.
  HWND TakeDiscarded(ControlKind kind, int id);
  // Every discarded window, handed over (the page hides and keeps them, or destroys them).
  std::vector<HWND> TakeAllDiscarded();
  // Keeps a hidden window; false when the kind's share is full.
  bool Keep(ControlKind kind, HWND window);
  // A kept window of the kind, or null.
  HWND TakeKept(ControlKind kind);
  // Every kept window, handed over.
  std::vector<HWND> TakeAllKept();
  std::size_t KeptCount() const;
  // Forgets everything (the page's windows are going with it).
  void Clear();

 private:
  struct Discarded {
    HWND window;
    ControlKind kind;
    int id;
  };
  static constexpr std::size_t kKinds = static_cast<std::size_t>(ControlKind::RadioButton) + 1;

  std::vector<HWND> order_;
  std::vector<Discarded> discarded_;
  std::array<std::vector<HWND>, kKinds> kept_;
};

}  // namespace vantor
