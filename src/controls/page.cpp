// A page and its field registry.
#include "controls/page.h"

namespace vantor {

CPage::CPage(int number, std::uint32_t background_, ScreenEffects* effects)
    : background(background_), number_(number), fields_(this, effects) {}

}  // namespace vantor
