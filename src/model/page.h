// A page: one of the sixteen screens the host addresses, with its field registry.
#pragma once

#include <cstdint>

#include "model/field_list.h"
#include "settings/palette.h"

namespace vantor {

inline constexpr Colour kDefaultPageBackground = kScreenBlue;

class Page {
 public:
  Page(int number, Colour backgroundColour);
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  int Number() const { return number_; }
  FieldList& Fields() { return fields_; }
  const FieldList& Fields() const { return fields_; }

  Colour background = kDefaultPageBackground;  // fixed at creation
  bool shown = false;                          // true only for the page in front
  WindowHandle window = kNoWindow;             // the page window, owned by the front end

 private:
  int number_;
  FieldList fields_;
};

}  // namespace vantor
