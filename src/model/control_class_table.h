// Which window class shows a field record: chosen by its mode and type.
#pragma once

#include <cstdint>

namespace vantor {

enum class ControlClass { None, Entry, Fixed, System, Button, SelectButton, CheckBox, RadioButton };

// Mode 0 (and any type outside 0, 1, 3, 4, 5) gets no window; the system mode always the system
// line; display and input modes by type, type 0 being fixed text or an entry field.
ControlClass ControlClassFor(int mode, int type);

// The registered class name ("VdxEntry", ...); null for ControlClass::None.
const char16_t* ControlClassName(ControlClass controlClass);

// The classes in registration order: the seven control classes, then the page "VdxCPage".
inline constexpr int kRegisteredClassCount = 8;
const char16_t* RegisteredClassName(int index);

}  // namespace vantor

namespace vantor {

// A control window's place on its page in pixels.
struct ControlBox {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const ControlBox&) const = default;
};

// x = column * cell width, y = row * cell height, width = field width * cell width, height = cell
// height; held to the int range (a hostile width never wraps round), negative sizes become 0.
ControlBox ControlBoxFor(int column, int row, int width, int cellWidth, int cellHeight);

}  // namespace vantor
