// Tests of a page's field registry: id order, rows, cursor, lookups and what removals hand over.
#include "model/field_list.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "model/page.h"

namespace vantor {
namespace {

// "page:window" of each removed record that had a window, in order.
std::string Windows(const RemovedFields& removed) {
  std::string out;
  for (const auto& f : removed) {
    if (f->link.window == kNoWindow) continue;
    if (!out.empty()) out += " | ";
    out += std::to_string(f->page ? f->page->Number() : -1) + ":" + std::to_string(f->link.window);
  }
  return out;
}

std::vector<int> Ids(const FieldList& list) {
  std::vector<int> ids, back;
  for (const Field* f = list.Head(); f; f = f->NextById()) ids.push_back(f->id);
  // The backward chain must agree with the forward one.
  for (const Field* f = list.Tail(); f; f = f->PreviousById()) back.insert(back.begin(), f->id);
  EXPECT_EQ(ids, back);
  return ids;
}

std::vector<int> RowColumns(const FieldList& list, int row) {
  std::vector<int> columns;
  const FieldRow* node = list.FindRow(row);
  if (!node) return columns;
  for (const Field* f = node->first; f; f = f->NextInRow()) columns.push_back(f->column);
  // The backward chain must agree with the forward one.
  std::vector<int> back;
  for (const Field* f = node->last; f; f = f->PreviousInRow()) back.insert(back.begin(), f->column);
  EXPECT_EQ(columns, back) << "row " << row;
  return columns;
}

class FieldListTest : public ::testing::Test {
 protected:
  RemovedFields removed;
  Page page{4, kDefaultPageBackground};
  FieldList& list = page.Fields();
};

TEST_F(FieldListTest, AddKeepsIdsAscendingWhateverTheOrderOfArrival) {
  list.Add(5, 0, 0, 3, removed);
  list.Add(2, 1, 0, 3, removed);
  list.Add(9, 2, 0, 3, removed);
  EXPECT_EQ(Ids(list), (std::vector<int>{2, 5, 9}));
  list.Add(7, 3, 0, 3, removed);
  list.Add(0, 3, 5, 3, removed);
  EXPECT_EQ(Ids(list), (std::vector<int>{0, 2, 5, 7, 9}));
  EXPECT_EQ(list.Size(), 5u);
  // The newest record is the cursor and ends where its width ends.
  Field& f = list.Add(12, 3, 7, 5, removed);
  EXPECT_EQ(f.LastColumn(), 11);
  EXPECT_EQ(f.page, &page);
  EXPECT_EQ(list.Cursor(), &f);
}

TEST_F(FieldListTest, AddingAnExistingIdReplacesTheRecordAndDiscardsItsWindow) {
  Field& old = list.Add(5, 1, 1, 4, removed);
  old.SetText(u"abcd");
  old.link.window = 77;
  list.Add(6, 1, 8, 2, removed);
  Field& fresh = list.Add(5, 2, 0, 3, removed);
  EXPECT_EQ(Windows(removed), "4:77");
  EXPECT_EQ(Ids(list), (std::vector<int>{5, 6}));
  EXPECT_EQ(list.Find(5), &fresh);
  EXPECT_FALSE(fresh.HasText());
  EXPECT_EQ(fresh.row, 2);
  // The old record left row 1, the new one is on row 2.
  EXPECT_EQ(RowColumns(list, 1), (std::vector<int>{8}));
  EXPECT_EQ(RowColumns(list, 2), (std::vector<int>{0}));
}

TEST_F(FieldListTest, FieldsOfARowAreChainedByColumn) {
  list.Add(1, 4, 10, 2, removed);
  list.Add(2, 4, 3, 2, removed);
  EXPECT_EQ(RowColumns(list, 4), (std::vector<int>{3, 10}));
  list.Add(3, 4, 6, 2, removed);
  list.Add(4, 4, 0, 2, removed);
  list.Add(5, 4, 20, 2, removed);
  EXPECT_EQ(RowColumns(list, 4), (std::vector<int>{0, 3, 6, 10, 20}));
  // Same start column: the newcomer goes after the field already there.
  list.Add(6, 4, 6, 1, removed);
  const FieldRow* row = list.FindRow(4);
  ASSERT_NE(row, nullptr);
  const Field* at6 = row->first->NextInRow()->NextInRow();
  EXPECT_EQ(at6->id, 3);
  EXPECT_EQ(at6->NextInRow()->id, 6);
}

TEST_F(FieldListTest, RowNodesAreOrderedAndFreedWithTheirLastField) {
  list.Add(1, 8, 0, 2, removed);
  list.Add(2, 2, 0, 2, removed);
  list.Add(3, 5, 0, 2, removed);
  list.Add(4, 5, 4, 2, removed);
  std::vector<int> rows;
  for (const FieldRow* r = list.FirstRow(); r; r = r->next) rows.push_back(r->row);
  EXPECT_EQ(rows, (std::vector<int>{2, 5, 8}));
  EXPECT_EQ(list.FindRow(8)->previous->row, 5);

  EXPECT_TRUE(list.Remove(3, removed));
  EXPECT_EQ(RowColumns(list, 5), (std::vector<int>{4}));
  EXPECT_TRUE(list.Remove(4, removed));
  EXPECT_EQ(list.FindRow(5), nullptr);
  EXPECT_EQ(list.RowCount(), 2u);
  EXPECT_EQ(list.FindRow(2)->next->row, 8);
  EXPECT_EQ(list.FindRow(8)->previous->row, 2);
}

TEST_F(FieldListTest, RemoveDiscardsTheWindowUnlinksAndResetsTheCursor) {
  list.Add(1, 0, 0, 2, removed);
  Field& two = list.Add(2, 0, 3, 2, removed);
  list.Add(3, 0, 6, 2, removed);
  two.link.window = 1234;
  list.Last();
  EXPECT_TRUE(list.Remove(2, removed));
  EXPECT_EQ(Windows(removed), "4:1234");
  EXPECT_EQ(Ids(list), (std::vector<int>{1, 3}));
  EXPECT_EQ(RowColumns(list, 0), (std::vector<int>{0, 6}));
  EXPECT_EQ(list.Cursor(), list.Head());
  // Unknown id: nothing handed over; a record without a window: nothing to discard.
  removed.clear();
  EXPECT_FALSE(list.Remove(2, removed));
  EXPECT_TRUE(removed.empty());
  EXPECT_TRUE(list.Remove(1, removed));
  EXPECT_EQ(removed.size(), 1u);
  EXPECT_EQ(Windows(removed), "");
}

TEST_F(FieldListTest, ClearDiscardsEveryWindowHeadFirstAndEmptiesTheRows) {
  list.Add(3, 1, 0, 2, removed).link.window = 30;
  list.Add(1, 2, 0, 2, removed).link.window = 10;
  list.Add(2, 2, 5, 2, removed);
  list.Clear(removed);
  EXPECT_EQ(Windows(removed), "4:10 | 4:30");
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.FirstRow(), nullptr);
  EXPECT_EQ(list.Head(), nullptr);
  EXPECT_EQ(list.First(), nullptr);
  // Usable again afterwards.
  list.Add(4, 1, 1, 1, removed);
  EXPECT_EQ(Ids(list), (std::vector<int>{4}));
}

TEST_F(FieldListTest, CursorWalksBothWaysAndStopsAtTheEndsAndFindStopsAtAbsentIds) {
  for (int id : {4, 2, 6}) list.Add(id, 0, id, 1, removed);
  std::string walk;
  for (const Field* f : {list.First(), list.Next(), list.Next(), list.Next(), list.Next(), list.Last(), list.Previous(),
                         list.Previous(), list.Previous(), list.Find(6)})
    walk += f ? std::to_string(f->id) : "-";
  EXPECT_EQ(walk, "246--642-6");
  for (int absent : {3, -1, 7}) EXPECT_EQ(list.Find(absent), nullptr) << absent;
}

TEST_F(FieldListTest, KindAtReportsTheCoveringFieldOrZero) {
  Field& reverse = list.Add(1, 2, 5, 4, removed);  // columns 5..8
  reverse.format.type = kTypeText;
  reverse.format.attributes = 0x30;
  Field& box = list.Add(2, 2, 12, 3, removed);
  box.format.type = kTypeCheckBox;
  box.format.attributes = 0x10;
  EXPECT_EQ(list.KindAt(5, 2), 4);
  EXPECT_EQ(list.KindAt(8, 2), 4);
  EXPECT_EQ(list.KindAt(9, 2) & 0xFF, 0);
  EXPECT_EQ(list.KindAt(4, 2) & 0xFF, 0);
  EXPECT_EQ(list.KindAt(13, 2), 4 * 4 + 1 + 1);
  EXPECT_EQ(list.KindAt(6, 3) & 0xFF, 0);  // no such row
  Field& plain = list.Add(3, 7, 0, 1, removed);
  plain.format.attributes = 0x42;  // the video bits alone count
  EXPECT_EQ(list.KindAt(0, 7), 1);
}

TEST_F(FieldListTest, FirstSerialInputFieldPrefersTheFirstUnmodified) {
  EXPECT_EQ(list.FirstSerialInputField(), nullptr);
  Field& display = list.Add(1, 0, 0, 2, removed);
  display.format.flags = 0x41;  // display mode
  display.format.serialFlags = 1;
  Field& plainInput = list.Add(2, 0, 3, 2, removed);
  plainInput.format.flags = 0x03;
  EXPECT_EQ(list.FirstSerialInputField(), nullptr);

  Field& a = list.Add(3, 1, 0, 2, removed);
  a.format.flags = 0x03;
  a.format.serialFlags = 1;
  Field& b = list.Add(4, 1, 3, 2, removed);
  b.format.flags = 0x07;  // input with auto-send
  b.format.serialFlags = 1;
  EXPECT_EQ(list.FirstSerialInputField(), &a);
  a.edit.modified = true;
  EXPECT_EQ(list.FirstSerialInputField(), &b);
  b.edit.modified = true;
  EXPECT_EQ(list.FirstSerialInputField(), &b);  // all modified: the last of them
}

}  // namespace
}  // namespace vantor
