// The session's sixteen pages, and the page operations that reach the windows through ScreenEffects.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "model/page.h"

namespace vantor {

class ScreenEffects;

class PageList {
 public:
  static constexpr int kPageCount = 16;

  // Pages 0..15 with the given background; page 0 is marked shown. The shell creates the page
  // windows afterwards (Page::window) and then calls Show(0).
  PageList(ScreenEffects& effects, std::uint32_t background);
  PageList(const PageList&) = delete;
  PageList& operator=(const PageList&) = delete;

  // The page of that number, or null (any number outside 0..15).
  Page* At(int number) const;

  // Marks page n shown and every other page not shown, then ScreenEffects::ShowPage.
  void Show(int number);
  // ScreenEffects::RefreshPage for page n, when it exists.
  void Refresh(int number);
  void Enable(int number);
  void DisableAll();
  // Empties every page's field list (their windows discarded).
  void ClearAll();

 private:
  ScreenEffects& effects_;
  std::array<std::unique_ptr<Page>, kPageCount> pages_;
};

}  // namespace vantor
