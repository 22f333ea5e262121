// The sixteen pages: lookup, and show, refresh, enable and clear passed on to the windows.
#include "controls/page_list.h"

#include "screen/screen_effects.h"

namespace vantor {

CPageList::CPageList(ScreenEffects& effects, std::uint32_t background) : effects_(effects) {
  for (int i = 0; i < kPageCount; ++i) pages_[i] = std::make_unique<CPage>(i, background, &effects_);
  pages_[0]->shown = true;
}

CPage* CPageList::Page(int number) const {
  if (number < 0 || number >= kPageCount) return nullptr;
  return pages_[number].get();
}

void CPageList::Show(int number) {
  for (auto& page : pages_) page->shown = page->Number() == number;
  effects_.ShowPage(number);
}

void CPageList::Refresh(int number) {
  if (CPage* page = Page(number)) effects_.RefreshPage(*page);
}

void CPageList::Enable(int number) {
  if (Page(number)) effects_.EnablePage(number);
}

void CPageList::DisableAll() { effects_.DisableAllPages(); }

void CPageList::ClearAll() {
  for (auto& page : pages_) page->Fields().Clear();
}

}  // namespace vantor
