// The sixteen pages: lookup, and show, refresh, enable and clear passed on to the windows.
#include "model/page_list.h"

#include "interpreter/screen_effects.h"

namespace vantor {

PageList::PageList(ScreenEffects& effects, std::uint32_t background) : effects_(effects) {
  for (int i = 0; i < kPageCount; ++i) pages_[i] = std::make_unique<Page>(i, background, &effects_);
  pages_[0]->shown = true;
}

Page* PageList::At(int number) const {
  if (number < 0 || number >= kPageCount) return nullptr;
  return pages_[number].get();
}

void PageList::Show(int number) {
  for (auto& page : pages_) page->shown = page->Number() == number;
  effects_.ShowPage(number);
}

void PageList::Refresh(int number) {
  if (Page* page = At(number)) effects_.RefreshPage(*page);
}

void PageList::Enable(int number) {
  if (At(number)) effects_.EnablePage(number);
}

void PageList::DisableAll() { effects_.DisableAllPages(); }

void PageList::ClearAll() {
  for (auto& page : pages_) page->Fields().Clear();
}

}  // namespace vantor
