// What the operator sees, as text: the page in front cell by cell, its fields and the terminal's state as JSON.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace vantor {

class HeadlessTerminal;

// A time or date picture ("HH:mm", "dd-MMM-yy") filled in: HH hours, mm minutes, dd day, MMM the
// month's English abbreviation, yy the year's last two digits; any other character as it is.
std::u16string FormatPicture(std::u16string_view picture, const LocalDateTime& time);

// screenrows lines of screencols characters (UTF-8): fixed text and system lines at their cells,
// entry fields padded to their length (password fields as '*'), [X]/[ ] check boxes, (*)/( ) radio
// buttons, <label> push and select buttons; hidden fields and fields without a control left out.
std::vector<std::string> ScreenLines(const HeadlessTerminal& terminal);

// One JSON object per field with a control on the page in front, in id order.
std::vector<std::string> FieldLines(const HeadlessTerminal& terminal);

// The text of field `id` on the page in front, as `fields` gives it; none when the page has no such field.
std::optional<std::string> FieldText(const HeadlessTerminal& terminal, int id);

// The terminal's state as one JSON object: connection, keyboard, page, focus, dialog, labels.
std::string StatusLine(const HeadlessTerminal& terminal);

}  // namespace vantor
