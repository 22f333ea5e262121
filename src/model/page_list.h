// The terminal's sixteen pages.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "model/page.h"

namespace vantor {

class PageList {
 public:
  static constexpr int kPageCount = 16;

  // Pages 0..15 with the given background; page 0 is marked shown.
  explicit PageList(Colour background);
  PageList(const PageList&) = delete;
  PageList& operator=(const PageList&) = delete;

  // The page of that number, or null (any number outside 0..15).
  Page* At(int number) const;

  // Marks page n shown and every other page not shown (no page for a number outside 0..15).
  void Show(int number);
  // Hands every page's records to removed.
  void ClearAll(RemovedFields& removed);

 private:
  std::array<std::unique_ptr<Page>, kPageCount> pages_;
};

}  // namespace vantor
