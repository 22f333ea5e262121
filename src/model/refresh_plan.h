// What a page refresh does to the control windows of its records: computed here, carried out by a front end.
#pragma once

#include <vector>

#include "model/page.h"

namespace vantor {

enum class WindowChange {
  Touch,     // the record keeps its window; only its place in the window order is refreshed
  Create,    // the record has no window yet: create one
  Recreate,  // discard the record's window (if any), create a new one and paint it
};

struct RefreshStep {
  Field* field = nullptr;
  WindowChange change = WindowChange::Touch;
};
using RefreshPlan = std::vector<RefreshStep>;

// The steps in id order, clearing each record's create and recreate marks. A record made just now
// is only created (its window already shows the record); a record without a window and without a
// mark has no step.
RefreshPlan PlanRefresh(Page& page);

}  // namespace vantor
