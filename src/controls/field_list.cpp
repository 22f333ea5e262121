// The field registry of a page: id-ordered records, the row index, the cursor, and the lookups.
#include "controls/field_list.h"

#include <algorithm>

#include "controls/page.h"
#include "screen/screen_effects.h"

namespace vantor {

CFieldList::CFieldList(CPage* owner, ScreenEffects* effects) : owner_(owner), effects_(effects) {}

CFieldList::~CFieldList() { Clear(); }

std::size_t CFieldList::LowerBound(int id) const {
  const auto it = std::lower_bound(fields_.begin(), fields_.end(), id,
                                   [](const std::unique_ptr<CField>& f, int key) { return f->id < key; });
  return static_cast<std::size_t>(it - fields_.begin());
}

CField& CFieldList::Add(int id, int row, int column, int width) {
  Remove(id);
  auto owned = std::make_unique<CField>(id, row, column, width, owner_);
  CField& field = *owned;
  const std::size_t at = LowerBound(id);
  CField* previous = at > 0 ? fields_[at - 1].get() : nullptr;
  CField* next = at < fields_.size() ? fields_[at].get() : nullptr;
  fields_.insert(fields_.begin() + static_cast<std::ptrdiff_t>(at), std::move(owned));
  field.previousById_ = previous;
  field.nextById_ = next;
  if (previous) previous->nextById_ = &field;
  if (next) next->previousById_ = &field;
  LinkIntoRow(field);
  cursor_ = &field;
  return field;
}

CField* CFieldList::Find(int id) const {
  const std::size_t at = LowerBound(id);
  if (at < fields_.size() && fields_[at]->id == id) return fields_[at].get();
  return nullptr;
}

void CFieldList::Discard(CField& field) {
  if (field.window != 0 && effects_ != nullptr) {
    effects_->DiscardWindow(owner_ ? owner_->Number() : -1, field.window);
  }
  field.window = 0;
}

bool CFieldList::Remove(int id) {
  const std::size_t at = LowerBound(id);
  if (at >= fields_.size() || fields_[at]->id != id) return false;
  CField& field = *fields_[at];
  Discard(field);
  if (field.previousById_) field.previousById_->nextById_ = field.nextById_;
  if (field.nextById_) field.nextById_->previousById_ = field.previousById_;
  UnlinkFromRow(field);
  fields_.erase(fields_.begin() + static_cast<std::ptrdiff_t>(at));
  cursor_ = Head();
  return true;
}

void CFieldList::Clear() {
  // Head first, each window discarded before its record goes.
  for (auto& field : fields_) Discard(*field);
  fields_.clear();
  rows_.clear();
  cursor_ = nullptr;
}

CField* CFieldList::First() { return cursor_ = Head(); }

CField* CFieldList::Next() {
  if (cursor_) cursor_ = cursor_->nextById_;
  return cursor_;
}

CField* CFieldList::Last() { return cursor_ = Tail(); }

CField* CFieldList::Previous() {
  if (cursor_) cursor_ = cursor_->previousById_;
  return cursor_;
}

const CFieldRow* CFieldList::FindRow(int row) const {
  for (const auto& node : rows_) {
    if (node->row == row) return node.get();
    if (node->row > row) break;
  }
  return nullptr;
}

void CFieldList::LinkIntoRow(CField& field) {
  auto it = std::lower_bound(rows_.begin(), rows_.end(), field.row,
                             [](const std::unique_ptr<CFieldRow>& r, int key) { return r->row < key; });
  if (it == rows_.end() || (*it)->row != field.row) {
    auto node = std::make_unique<CFieldRow>();
    node->row = field.row;
    CFieldRow* previous = it == rows_.begin() ? nullptr : std::prev(it)->get();
    CFieldRow* next = it == rows_.end() ? nullptr : it->get();
    node->previous = previous;
    node->next = next;
    if (previous) previous->next = node.get();
    if (next) next->previous = node.get();
    it = rows_.insert(it, std::move(node));
  }
  CFieldRow& row = **it;
  // Before the first field of the row that starts further right, else at the end.
  CField* after = row.first;
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
    if (after->previousInRow_) after->previousInRow_->nextInRow_ = &field;
    else row.first = &field;
    after->previousInRow_ = &field;
  }
}

void CFieldList::UnlinkFromRow(CField& field) {
  auto it = std::lower_bound(rows_.begin(), rows_.end(), field.row,
                             [](const std::unique_ptr<CFieldRow>& r, int key) { return r->row < key; });
  if (it == rows_.end() || (*it)->row != field.row) return;
  CFieldRow& row = **it;
  if (field.previousInRow_) field.previousInRow_->nextInRow_ = field.nextInRow_;
  else row.first = field.nextInRow_;
  if (field.nextInRow_) field.nextInRow_->previousInRow_ = field.previousInRow_;
  else row.last = field.previousInRow_;
  field.previousInRow_ = field.nextInRow_ = nullptr;
  if (row.first == nullptr) {
    if (row.previous) row.previous->next = row.next;
    if (row.next) row.next->previous = row.previous;
    rows_.erase(it);
  }
}

std::int32_t CFieldList::KindAt(int column, int row) const {
  const CFieldRow* node = FindRow(row);
  if (!node) return 0;
  for (const CField* field = node->first; field; field = field->nextInRow_) {
    if (field->column <= column && column <= field->lastColumn) return field->Kind();
  }
  return 0;
}

CField* CFieldList::FirstSerialInputField() const {
  CField* lastModified = nullptr;
  for (const auto& field : fields_) {
    if (field->serial == 0 || field->Mode() != kModeInput) continue;
    if (field->modified == 0) return field.get();
    lastModified = field.get();
  }
  return lastModified;
}

}  // namespace vantor
