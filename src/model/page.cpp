// A page and its field registry.
#include "model/page.h"

namespace vantor {

Page::Page(int number, Colour background_) : background(background_), number_(number), fields_(this) {}

}  // namespace vantor
