// The screens of the round-trip measurement, shared by its host and its yardstick: what each scenario
// sends, and which kind of control each field of a screen is and where it stands.
#pragma once

#include <cstring>

namespace vantor::bench {

enum class Scenario {
  Erase,  // one record: the page erased, FIELDS entry fields defined and filled, shown, W
  Same,   // an I record, then a screen of the same shape as the last with other texts
  Other,  // an I record, then a screen of the other shape (other kinds at other places)
  Value,  // after one screen: one entry field's text set, W
};

inline bool ParseScenario(const char* name, Scenario& out) {
  constexpr struct {
    const char* name;
    Scenario scenario;
  } kNames[] = {
      {"erase", Scenario::Erase}, {"same", Scenario::Same}, {"other", Scenario::Other}, {"value", Scenario::Value}};
  for (const auto& entry : kNames) {
    if (std::strcmp(name, entry.name) == 0) {
      out = entry.scenario;
      return true;
    }
  }
  return false;
}

enum class ShapeKind { Input, Fixed, Button, CheckBox };

struct ShapeField {
  ShapeKind kind;
  int row;
  int column;
  int width;
};

// Field `index` (from 0; its id is index + 1) of a screen of shape 0 or 1: three fields a row over
// 20 rows. Shape 0 is a label and two entry fields, shape 1 a push button, a check box and a label
// elsewhere on the row.
constexpr ShapeField FieldOfShape(int shape, int index) {
  const int row = (index / 3) % 20;
  const int slot = index % 3;
  if (shape == 0) {
    if (slot == 0) return {ShapeKind::Fixed, row, 0, 8};
    return {ShapeKind::Input, row, slot == 1 ? 9 : 18, 8};
  }
  if (slot == 0) return {ShapeKind::Button, row, 1, 7};
  if (slot == 1) return {ShapeKind::CheckBox, row, 10, 8};
  return {ShapeKind::Fixed, row, 20, 6};
}

// The shape of screen `round` of a scenario.
constexpr int ShapeOfRound(Scenario scenario, int round) { return scenario == Scenario::Other ? round % 2 : 0; }

// The entry field a value-only update sets (shape 0: the first row's first entry field).
inline constexpr int kUpdatedFieldId = 2;

}  // namespace vantor::bench
