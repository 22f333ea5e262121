// The colour slots of each kind of control.
#include "look/control_look.h"

#include "model/field.h"
#include "settings/settings.h"

namespace vantor {

ControlColours EntryFieldColours(const Field& field, const Settings& settings) {
  const bool custom = settings.CustomColours();
  ControlColours c;
  c.text = custom && field.format.selected ? settings.SelectedTextColour() : kBlack;
  c.background = custom ? settings.InputBackgroundColour() : kWhite;
  c.focusBackground = custom ? settings.FocusBackgroundColour() : kFocusYellow;
  c.frame = kScreenBlue;
  c.selectedFrame = kSelectedAmber;
  c.selectedBackground = custom ? settings.SelectedBackgroundColour() : kSelectedAmber;
  return c;
}

ControlColours FixedTextColours(const Settings& settings) {
  const bool custom = settings.CustomColours();
  ControlColours c;
  c.text = custom ? settings.TextColour() : kBlack;
  c.selectedText = custom ? settings.SelectedTextColour() : kBlack;
  c.background = custom ? settings.BackgroundColour() : kScreenBlue;
  c.focusBackground = custom ? settings.SelectedBackgroundColour() : kFocusYellow;
  c.frame = kWhite;
  c.reverseText = custom ? settings.BackgroundColour() : kReverseBlue;
  c.reverseBackground = custom ? settings.TextColour() : kWhite;
  c.selectedFrame = kSelectedAmber;
  c.selectedBackground = custom ? settings.SelectedBackgroundColour() : kSelectedAmber;
  return c;
}

ControlColours SystemLineColours() {
  ControlColours c;
  c.text = kClockRed;
  c.background = kWhite;
  c.focusBackground = kFocusYellow;
  c.frame = kWhite;
  c.reverseText = kReverseBlue;
  c.reverseBackground = kWhite;
  c.selectedFrame = kSelectedAmber;
  c.selectedBackground = kSelectedAmber;
  return c;
}

ControlColours ButtonColours() {
  ControlColours c;
  c.text = kBlack;  // push and select button labels in both colour modes; boxes take ForeGroundColor
  c.background = kButtonGrey;
  c.frame = kButtonFrameGrey;
  c.selectedFrame = kSelectedAmber;
  c.selectedBackground = kSelectedAmber;  // the same in both colour modes
  c.focusBackground = kFocusYellow;
  return c;
}

}  // namespace vantor
