// The sixteen pages: lookup, the page in front, clearing.
#include "model/page_list.h"

namespace vantor {

PageList::PageList(Colour background) {
  for (int i = 0; i < kPageCount; ++i) pages_[i] = std::make_unique<Page>(i, background);
  pages_[0]->shown = true;
}

Page* PageList::At(int number) const {
  if (number < 0 || number >= kPageCount) return nullptr;
  return pages_[number].get();
}

void PageList::Show(int number) {
  for (auto& page : pages_) page->shown = page->Number() == number;
}

void PageList::ClearAll(RemovedFields& removed) {
  for (auto& page : pages_) page->Fields().Clear(removed);
}

}  // namespace vantor
