// A page's registry of field records: ordered by id, indexed by row, with a cursor for iteration.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "controls/field.h"

namespace vantor {

class CPage;
class ScreenEffects;

// One screen row that holds at least one field; its fields are chained by ascending start column
// (CField::NextInRow), from first to last.
struct CFieldRow {
  std::int32_t row = 0;
  CField* first = nullptr;
  CField* last = nullptr;
  CFieldRow* previous = nullptr;
  CFieldRow* next = nullptr;
};

class CFieldList {
 public:
  // owner and effects may be null (a list on its own); effects receive the windows of removed
  // records (DiscardWindow).
  CFieldList(CPage* owner, ScreenEffects* effects);
  ~CFieldList();
  CFieldList(const CFieldList&) = delete;
  CFieldList& operator=(const CFieldList&) = delete;

  // Replaces any record with that id; links the new one by id and into its row after the fields of
  // the row that start at or before its column. The new record becomes the cursor.
  CField& Add(int id, int row, int column, int width);
  CField* Find(int id) const;
  // Discards the record's window, unlinks and frees it; the cursor returns to the head.
  // Returns false when there was no such record.
  bool Remove(int id);
  // Removes every record, head first.
  void Clear();

  // Cursor iteration in id order; each returns the new cursor (null past either end).
  CField* First();
  CField* Next();
  CField* Last();
  CField* Previous();
  CField* Cursor() const { return cursor_; }

  CField* Head() const { return fields_.empty() ? nullptr : fields_.front().get(); }
  CField* Tail() const { return fields_.empty() ? nullptr : fields_.back().get(); }
  std::size_t Size() const { return fields_.size(); }
  bool Empty() const { return fields_.empty(); }

  const CFieldRow* FirstRow() const { return rows_.empty() ? nullptr : rows_.front().get(); }
  const CFieldRow* FindRow(int row) const;
  std::size_t RowCount() const { return rows_.size(); }

  // The kind code (CField::Kind) of the field of that row covering the column, or 0.
  std::int32_t KindAt(int column, int row) const;

  // The first record in id order that is fed by the serial port (serial set, mode 3) and not yet
  // modified; if all such are modified the last of them; null when there is none.
  CField* FirstSerialInputField() const;

  CPage* Owner() const { return owner_; }

 private:
  std::size_t LowerBound(int id) const;
  void LinkIntoRow(CField& field);
  void UnlinkFromRow(CField& field);
  void Discard(CField& field);

  CPage* owner_;
  ScreenEffects* effects_;
  std::vector<std::unique_ptr<CField>> fields_;  // ascending id; owns the records
  std::vector<std::unique_ptr<CFieldRow>> rows_;  // ascending row number
  CField* cursor_ = nullptr;
};

}  // namespace vantor
