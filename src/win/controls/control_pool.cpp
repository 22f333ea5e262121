// The page's bookkeeping of its control windows: order, discarded and kept windows.
#include "win/controls/control_pool.h"

#include <algorithm>

namespace vantor {

void ControlPool::Destroyed(HWND window) {
  std::erase(order_, window);
  std::erase_if(discarded_, [window](const Discarded& d) { return d.window == window; });
  for (std::vector<HWND>& kept : kept_) std::erase(kept, window);
}

int ControlPool::PlaceOf(HWND window) const {
  const auto found = std::find(order_.begin(), order_.end(), window);
  return found != order_.end() ? static_cast<int>(found - order_.begin()) : -1;
}

void ControlPool::MoveBelow(HWND window, HWND above) {
  std::erase(order_, window);
  const auto at = above != nullptr ? std::find(order_.begin(), order_.end(), above) : order_.end();
  order_.insert(at != order_.end() ? at + 1 : order_.begin(), window);
}

void ControlPool::AddDiscarded(HWND window, ControlKind kind, int id) { discarded_.push_back({window, kind, id}); }

HWND ControlPool::TakeDiscarded(ControlKind kind, int id) {
  auto found = std::find_if(discarded_.begin(), discarded_.end(),
                            [&](const Discarded& d) { return d.kind == kind && d.id == id; });
  if (found == discarded_.end()) {
    found = std::find_if(discarded_.begin(), discarded_.end(), [&](const Discarded& d) { return d.kind == kind; });
  }
  if (found == discarded_.end()) return nullptr;
  const HWND window = found->window;
  discarded_.erase(found);
  return window;
}

std::vector<HWND> ControlPool::TakeAllDiscarded() {
  std::vector<HWND> windows;
  windows.reserve(discarded_.size());
  for (const Discarded& d : discarded_) windows.push_back(d.window);
  discarded_.clear();
  return windows;
}

bool ControlPool::Keep(ControlKind kind, HWND window) {
  std::vector<HWND>& kept = kept_[static_cast<std::size_t>(kind)];
  if (kept.size() >= kKeptPerKind) return false;
  kept.push_back(window);
  return true;
}

HWND ControlPool::TakeKept(ControlKind kind) {
  std::vector<HWND>& kept = kept_[static_cast<std::size_t>(kind)];
  if (kept.empty()) return nullptr;
  const HWND window = kept.back();
  kept.pop_back();
  return window;
}

std::vector<HWND> ControlPool::TakeAllKept() {
  std::vector<HWND> windows;
  for (std::vector<HWND>& kept : kept_) {
    windows.insert(windows.end(), kept.begin(), kept.end());
    kept.clear();
  }
  return windows;
}

std::size_t ControlPool::KeptCount() const {
  std::size_t count = 0;
  for (const std::vector<HWND>& kept : kept_) count += kept.size();
  return count;
}

void ControlPool::Clear() {
  order_.clear();
  discarded_.clear();
  for (std::vector<HWND>& kept : kept_) kept.clear();
}

}  // namespace vantor
