// Tests of record assembly: terminators across chunks and the bound on an unfinished record.
#include "session/record_assembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantor {
namespace {

const std::string kEnd("\xFF\xEF", 2);

class Collector {
 public:
  explicit Collector(std::size_t limit = kMaxRecordBytes) : assembler(limit) {}
  Collector& Feed(const std::string& chunk) {
    assembler.Feed(RecordBytes(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()),
                   [this](RecordBytes record) { records.emplace_back(record.begin(), record.end()); });
    return *this;
  }
  RecordAssembler assembler;
  std::vector<std::string> records;
};

using Records = std::vector<std::string>;

TEST(RecordAssembler, CutsAtEachTerminatorInOrder) {
  Collector c;
  c.Feed("Hab" + kEnd + "Hcd" + kEnd + "Q");
  EXPECT_EQ(c.records, (Records{"Hab" + kEnd, "Hcd" + kEnd}));
  EXPECT_EQ(c.assembler.PendingBytes(), 1u);
  c.Feed(kEnd);
  EXPECT_EQ(c.records.back(), "Q" + kEnd);
  EXPECT_EQ(c.assembler.PendingBytes(), 0u);
}

TEST(RecordAssembler, RecordOverThreeChunksIsDeliveredOnceAtItsTerminator) {
  Collector c;
  c.Feed("H12");
  c.Feed("34");
  EXPECT_TRUE(c.records.empty());
  c.Feed("5" + kEnd);
  EXPECT_EQ(c.records, (Records{"H12345" + kEnd}));
}

TEST(RecordAssembler, BackToBackTerminatorsAreRecordsOfTheirOwn) {
  Collector c;
  c.Feed(kEnd + kEnd + "A" + kEnd);
  EXPECT_EQ(c.records, (Records{kEnd, kEnd, "A" + kEnd}));
}

TEST(RecordAssembler, TerminatorSplitBetweenChunksIsRecognised) {
  Collector c;
  c.Feed("Hab\xFF");
  EXPECT_TRUE(c.records.empty());
  c.Feed("\xEF" "Q" + kEnd);
  EXPECT_EQ(c.records, (Records{"Hab" + kEnd, "Q" + kEnd}));
  // An empty read in between changes nothing.
  c.Feed("R\xFF").Feed("").Feed("\xEF");
  EXPECT_EQ(c.records.back(), "R" + kEnd);
  // A bare terminator split in two.
  c.Feed("\xFF").Feed("\xEF");
  EXPECT_EQ(c.records.back(), kEnd);
  EXPECT_EQ(c.records.size(), 4u);
}

TEST(RecordAssembler, LoneFfBytesStayInTheRecord) {
  Collector c;
  c.Feed("a\xFF").Feed("b" + kEnd);  // 0xFF then not 0xEF: no terminator
  c.Feed("\xFF").Feed("\xFF\xEF");   // 0xFF then 0xFF 0xEF
  c.Feed("\xEF\xFF" + kEnd);         // a leading 0xEF after a complete record is data
  EXPECT_EQ(c.records, (Records{"a\xFF" "b" + kEnd, "\xFF\xFF\xEF", "\xEF\xFF" + kEnd}));
}

TEST(RecordAssembler, OversizedRecordIsDroppedWholeAndTheNextOneCounts) {
  Collector c(16);
  c.Feed(std::string(10, 'x'));
  c.Feed(std::string(10, 'x'));
  EXPECT_TRUE(c.assembler.Discarding());
  EXPECT_EQ(c.assembler.PendingBytes(), 0u);  // nothing of it held any more
  for (int i = 0; i < 1000; ++i) c.Feed(std::string(100, 'y'));
  EXPECT_EQ(c.assembler.PendingBytes(), 0u);
  c.Feed("zz" + kEnd + "Q" + kEnd);
  EXPECT_FALSE(c.assembler.Discarding());
  EXPECT_EQ(c.records, (Records{"Q" + kEnd}));
  EXPECT_EQ(c.assembler.DroppedRecords(), 1u);
}

TEST(RecordAssembler, LimitCountsTheTerminator) {
  Collector c(8);
  c.Feed("H12345" + kEnd);   // 8 bytes: kept
  c.Feed("H123456" + kEnd);  // 9 bytes: dropped
  c.Feed("H1" + kEnd);
  EXPECT_EQ(c.records, (Records{"H12345" + kEnd, "H1" + kEnd}));
  EXPECT_EQ(c.assembler.DroppedRecords(), 1u);
}

TEST(RecordAssembler, OversizedRecordEndingInASplitTerminator) {
  Collector c(8);
  c.Feed(std::string(20, 'x') + "\xFF");
  c.Feed("\xEF" "A" + kEnd);
  EXPECT_EQ(c.records, (Records{"A" + kEnd}));
  EXPECT_EQ(c.assembler.DroppedRecords(), 1u);
}

TEST(RecordAssembler, DefaultLimitPassesALargeScreenRecord) {
  Collector c;
  const std::string big = "H" + std::string(1024 * 1024, 'a');
  for (std::size_t at = 0; at < big.size(); at += 8192) c.Feed(big.substr(at, 8192));
  c.Feed(kEnd);
  ASSERT_EQ(c.records.size(), 1u);
  EXPECT_EQ(c.records[0], big + kEnd);
  EXPECT_EQ(c.assembler.PendingBytes(), 0u);
}

TEST(RecordAssembler, ResetForgetsTheUnfinishedRecord) {
  Collector c(8);
  c.Feed("Hab\xFF");
  c.assembler.Reset();
  c.Feed("\xEF" "Q" + kEnd);  // the 0xEF no longer completes anything
  EXPECT_EQ(c.records, (Records{"\xEFQ" + kEnd}));
  c.Feed(std::string(20, 'x'));
  c.assembler.Reset();
  EXPECT_FALSE(c.assembler.Discarding());
  c.Feed("A" + kEnd);
  EXPECT_EQ(c.records.back(), "A" + kEnd);
}

}  // namespace
}  // namespace vantor
