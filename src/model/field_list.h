// A page's registry of field records: ordered by id, indexed by row, with a cursor for iteration.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/field.h"

namespace vantor {

class Page;

// Records taken out of a list, kept alive until the caller has let their windows go.
using RemovedFields = std::vector<std::unique_ptr<Field>>;

// One screen row that holds at least one field; its fields are chained by ascending start column
// (Field::NextInRow), from first to last.
struct FieldRow {
  std::int32_t row = 0;
  Field* first = nullptr;
  Field* last = nullptr;
  FieldRow* previous = nullptr;
  FieldRow* next = nullptr;
};

class FieldList {
 public:
  // owner may be null (a list on its own).
  explicit FieldList(Page* owner);
  FieldList(const FieldList&) = delete;
  FieldList& operator=(const FieldList&) = delete;

  // Replaces any record with that id (the old one goes to removed); links the new one by id and into
  // its row after the fields of the row that start at or before its column. The new record becomes
  // the cursor.
  Field& Add(int id, int row, int column, int width, RemovedFields& removed);
  Field* Find(int id) const;
  // Unlinks the record and hands it to removed; the cursor returns to the head. False when there was
  // no such record.
  bool Remove(int id, RemovedFields& removed);
  // Hands every record to removed, head first.
  void Clear(RemovedFields& removed);

  // Cursor iteration in id order; each returns the new cursor (null past either end).
  Field* First();
  Field* Next();
  Field* Last();
  Field* Previous();
  Field* Cursor() const { return cursor_; }

  Field* Head() const { return fields_.empty() ? nullptr : fields_.front().get(); }
  Field* Tail() const { return fields_.empty() ? nullptr : fields_.back().get(); }
  std::size_t Size() const { return fields_.size(); }
  bool Empty() const { return fields_.empty(); }

  const FieldRow* FirstRow() const { return rows_.empty() ? nullptr : rows_.front().get(); }
  const FieldRow* FindRow(int row) const;
  std::size_t RowCount() const { return rows_.size(); }

  // The kind code (Field::Kind) of the field of that row covering the column, or 0.
  std::int32_t KindAt(int column, int row) const;

  // The first record in id order that is fed by the serial port (serial set, mode 3) and not yet
  // modified; if all such are modified the last of them; null when there is none.
  Field* FirstSerialInputField() const;

  Page* Owner() const { return owner_; }

 private:
  std::size_t LowerBound(int id) const;
  void LinkIntoRow(Field& field);
  void UnlinkFromRow(Field& field);

  Page* owner_;
  std::vector<std::unique_ptr<Field>> fields_;   // ascending id; owns the records
  std::vector<std::unique_ptr<FieldRow>> rows_;  // ascending row number
  Field* cursor_ = nullptr;
};

}  // namespace vantor
