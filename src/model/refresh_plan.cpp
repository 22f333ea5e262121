// The refresh plan of a page.
#include "model/refresh_plan.h"

namespace vantor {

RefreshPlan PlanRefresh(Page& page) {
  RefreshPlan plan;
  plan.reserve(page.Fields().Size());
  for (Field* field = page.Fields().Head(); field != nullptr; field = field->NextById()) {
    if (field->link.create) {
      field->link.create = false;
      field->link.recreate = false;
      plan.push_back({field, WindowChange::Create});
    } else if (field->link.recreate) {
      field->link.recreate = false;
      plan.push_back({field, WindowChange::Recreate});
    } else if (field->link.window != kNoWindow) {
      plan.push_back({field, WindowChange::Touch});
    }
  }
  return plan;
}

}  // namespace vantor
