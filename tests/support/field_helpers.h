// Field records for tests that need them without a screen run.
#pragma once

#include "model/field_list.h"

namespace vantor::testing_support {

// Adds a record; one it replaces goes at once (tests add records without windows).
inline Field& AddField(FieldList& list, int id, int row, int column, int width) {
  RemovedFields removed;
  return list.Add(id, row, column, width, removed);
}

}  // namespace vantor::testing_support
