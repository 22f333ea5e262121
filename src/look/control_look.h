// What a control's window keeps for painting beside its record: the colours it took when it was
// made and the blink phase; and the colours each kind of control takes.
#pragma once

#include "settings/palette.h"

namespace vantor {

class Field;
class Settings;

// The colour slots of a control; painting in the normal colour mode reads them (custom colour mode
// reads the settings as it paints).
struct ControlColours {
  Colour text = 0, selectedText = 0, background = 0, focusBackground = 0, frame = 0;
  Colour reverseText = 0, reverseBackground = 0, selectedFrame = 0, selectedBackground = 0;
};

struct ControlLook {
  ControlColours colours;
  bool blinkPhase = false;  // the page timer's phase, as the last tick told a blinking control
};

// The slots each kind takes when its window is made.
ControlColours EntryFieldColours(const Field& field, const Settings& settings);
ControlColours FixedTextColours(const Settings& settings);
ControlColours SystemLineColours();
ControlColours ButtonColours();

}  // namespace vantor
