// The refresh plan of a page.
#include "model/refresh_plan.h"

namespace vantor {

RefreshPlan PlanRefresh(Page& page) {
  RefreshPlan plan;
  plan.reserve(page.Fields().Size());
  for (Field* field = page.Fields().Head(); field != nullptr; field = field->NextById()) {
    if (field->create) {
      field->create = 0;
      field->recreate = 0;
      plan.push_back({field, WindowChange::Create});
    } else if (field->recreate) {
      field->recreate = 0;
      plan.push_back({field, WindowChange::Recreate});
    } else if (field->window != kNoWindow) {
      plan.push_back({field, WindowChange::Touch});
    }
  }
  return plan;
}

}  // namespace vantor
