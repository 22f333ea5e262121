// The field registry of a page: id-ordered records, the row index, the cursor, and the lookups.
#include "model/field_list.h"

#include <algorithm>

namespace vantor {

FieldList::FieldList(Page* owner) : owner_(owner) {}

std::size_t FieldList::LowerBound(int id) const {
  const auto it = std::lower_bound(fields_.begin(), fields_.end(), id,
                                   [](const std::unique_ptr<Field>& f, int key) { return f->id < key; });
  return static_cast<std::size_t>(it - fields_.begin());
}

Field& FieldList::Add(int id, int row, int column, int width, RemovedFields& removed) {
  Remove(id, removed);
  auto owned = std::make_unique<Field>(id, row, column, width, owner_);
  Field& field = *owned;
  const std::size_t at = LowerBound(id);
  Field* previous = at > 0 ? fields_[at - 1].get() : nullptr;
  Field* next = at < fields_.size() ? fields_[at].get() : nullptr;
  fields_.insert(fields_.begin() + static_cast<std::ptrdiff_t>(at), std::move(owned));
  field.previousById_ = previous;
  field.nextById_ = next;
  if (previous) previous->nextById_ = &field;
  if (next) next->previousById_ = &field;
  LinkIntoRow(field);
  cursor_ = &field;
  return field;
}

Field* FieldList::Find(int id) const {
  const std::size_t at = LowerBound(id);
  if (at < fields_.size() && fields_[at]->id == id) return fields_[at].get();
  return nullptr;
}

bool FieldList::Remove(int id, RemovedFields& removed) {
  const std::size_t at = LowerBound(id);
  if (at >= fields_.size() || fields_[at]->id != id) return false;
  Field& field = *fields_[at];
  if (field.previousById_) field.previousById_->nextById_ = field.nextById_;
  if (field.nextById_) field.nextById_->previousById_ = field.previousById_;
  UnlinkFromRow(field);
  field.previousById_ = field.nextById_ = nullptr;
  removed.push_back(std::move(fields_[at]));
  fields_.erase(fields_.begin() + static_cast<std::ptrdiff_t>(at));
  cursor_ = Head();
  return true;
}

void FieldList::Clear(RemovedFields& removed) {
  for (auto& field : fields_) {
    field->previousById_ = field->nextById_ = field->previousInRow_ = field->nextInRow_ = nullptr;
    removed.push_back(std::move(field));
  }
  fields_.clear();
  rows_.clear();
  cursor_ = nullptr;
}

Field* FieldList::First() { return cursor_ = Head(); }

Field* FieldList::Next() {
  if (cursor_) cursor_ = cursor_->nextById_;
  return cursor_;
}

Field* FieldList::Last() { return cursor_ = Tail(); }

Field* FieldList::Previous() {
  if (cursor_) cursor_ = cursor_->previousById_;
  return cursor_;
}

const FieldRow* FieldList::FindRow(int row) const {
  for (const auto& node : rows_) {
    if (node->row == row) return node.get();
    if (node->row > row) break;
  }
  return nullptr;
}

void FieldList::LinkIntoRow(Field& field) {
  auto it = std::lower_bound(rows_.begin(), rows_.end(), field.row,
                             [](const std::unique_ptr<FieldRow>& r, int key) { return r->row < key; });
  if (it == rows_.end() || (*it)->row != field.row) {
    auto node = std::make_unique<FieldRow>();
    node->row = field.row;
    FieldRow* previous = it == rows_.begin() ? nullptr : std::prev(it)->get();
    FieldRow* next = it == rows_.end() ? nullptr : it->get();
    node->previous = previous;
    node->next = next;
    if (previous) previous->next = node.get();
    if (next) next->previous = node.get();
    it = rows_.insert(it, std::move(node));
  }
  FieldRow& row = **it;
  // Before the first field of the row that starts further right, else at the end.
  Field* after = row.first;
  while (after && after->column <= field.column) after = after->nextInRow_;
  if (after == nullptr) {
    field.previousInRow_ = row.last;
    field.nextInRow_ = nullptr;
    if (row.last) row.last->nextInRow_ = &field;
    row.last = &field;
    if (!row.first) row.first = &field;
  } else {
    field.nextInRow_ = after;
    field.previousInRow_ = after->previousInRow_;
    if (after->previousInRow_)
      after->previousInRow_->nextInRow_ = &field;
    else
      row.first = &field;
    after->previousInRow_ = &field;
  }
}

void FieldList::UnlinkFromRow(Field& field) {
  auto it = std::lower_bound(rows_.begin(), rows_.end(), field.row,
                             [](const std::unique_ptr<FieldRow>& r, int key) { return r->row < key; });
  if (it == rows_.end() || (*it)->row != field.row) return;
  FieldRow& row = **it;
  if (field.previousInRow_)
    field.previousInRow_->nextInRow_ = field.nextInRow_;
  else
    row.first = field.nextInRow_;
  if (field.nextInRow_)
    field.nextInRow_->previousInRow_ = field.previousInRow_;
  else
    row.last = field.previousInRow_;
  field.previousInRow_ = field.nextInRow_ = nullptr;
  if (row.first == nullptr) {
    if (row.previous) row.previous->next = row.next;
    if (row.next) row.next->previous = row.previous;
    rows_.erase(it);
  }
}

std::int32_t FieldList::KindAt(int column, int row) const {
  const FieldRow* node = FindRow(row);
  if (!node) return 0;
  for (const Field* field = node->first; field; field = field->nextInRow_) {
    if (field->column <= column && column <= field->LastColumn()) return field->Kind();
  }
  return 0;
}

Field* FieldList::FirstSerialInputField() const {
  Field* lastModified = nullptr;
  for (const auto& field : fields_) {
    if (!field->IsSerial() || field->Mode() != kModeInput) continue;
    if (field->edit.modified == 0) return field.get();
    lastModified = field.get();
  }
  return lastModified;
}

}  // namespace vantor
