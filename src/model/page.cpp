// A page and its field registry.
#include "model/page.h"

namespace vantor {

Page::Page(int number, Colour backgroundColour) : background(backgroundColour), number_(number), fields_(this) {}

}  // namespace vantor
