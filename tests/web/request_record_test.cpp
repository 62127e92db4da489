#include "web/request_record.h"

#include <gtest/gtest.h>

#include "text/codepage.h"

namespace qw {
namespace {

RequestRecord SampleRecord() {
  return {Bytes("http://bbs.example.com/forum.php"),
          Bytes("GET"),
          Bytes(),
          Bytes("User-Agent: x\r\n"),
          Bytes("a\0b", 3),
          Bytes("sid=1"),
          Gbk("真")};
}

TEST(HandoffFile, EmptyRecordIsSevenZeroCounts) {
  HandoffFile file;
  ASSERT_TRUE(file.WriteRecord(RequestRecord{}));
  EXPECT_EQ(file.Contents(), Bytes(28, '\0'));

  RequestRecord back = SampleRecord();
  ASSERT_TRUE(file.ReadRecord(back));
  for (const Bytes& slot : back) EXPECT_EQ(slot, "");
}

TEST(HandoffFile, CountsAreLittleEndianAndPrecedeTheirBytes) {
  RequestRecord record;
  record[0] = "ab";
  record[6] = Bytes(0x010203, 'x');
  HandoffFile file;
  ASSERT_TRUE(file.WriteRecord(record));
  const Bytes& raw = file.Contents();
  ASSERT_EQ(raw.size(), 7u * 4 + 2 + 0x010203);
  EXPECT_EQ(raw.substr(0, 6), Bytes("\x02\0\0\0ab", 6));
  EXPECT_EQ(raw.substr(6, 20), Bytes(20, '\0'));  // slots 1 to 5: counts of 0
  EXPECT_EQ(raw.substr(26, 4), Bytes("\x03\x02\x01\x00", 4));

  RequestRecord back;
  ASSERT_TRUE(file.ReadRecord(back));
  EXPECT_EQ(back, record);
}

TEST(HandoffFile, RoundTripKeepsZeroBytesAndSlotOrder) {
  HandoffFile file;
  const RequestRecord record = SampleRecord();
  ASSERT_TRUE(file.WriteRecord(record));
  RequestRecord back;
  ASSERT_TRUE(file.ReadRecord(back));
  EXPECT_EQ(back, record);
  EXPECT_EQ(back[4].size(), 3u);
}

TEST(HandoffFile, RewriteReplacesALongerRecord) {
  HandoffFile file;
  ASSERT_TRUE(file.WriteRecord(SampleRecord()));
  RequestRecord answer = SampleRecord();
  answer[0] = "<root>page</root>";
  answer[1] = "a=1;b=2;";
  answer[5] = "HTTP/1.1 200 OK\r\n\r\n";
  ASSERT_TRUE(file.WriteRecord(answer));
  RequestRecord back;
  ASSERT_TRUE(file.ReadRecord(back));
  EXPECT_EQ(back, answer);
}

TEST(HandoffFile, FewerThanSevenWholeEntriesDoNotRead) {
  HandoffFile whole;
  ASSERT_TRUE(whole.WriteRecord(SampleRecord()));
  const Bytes raw = whole.Contents();
  // Every cut, inside a count or inside a slot's bytes, leaves the record incomplete.
  for (size_t cut = 0; cut < raw.size(); ++cut) {
    HandoffFile file;
    file.SetContents(raw.substr(0, cut));
    RequestRecord record = SampleRecord();
    record[0] = "caller's own url";
    EXPECT_FALSE(file.ReadRecord(record)) << "cut at " << cut;
    EXPECT_EQ(record[0], "caller's own url") << "a failed read changed the record";
    EXPECT_FALSE(file.TakeRecord(record)) << "cut at " << cut;
    EXPECT_EQ(record[0], "caller's own url") << "a failed take changed the record";
    EXPECT_EQ(file.Contents(), raw.substr(0, cut)) << "a failed take changed the file";
  }
}

TEST(HandoffFile, TakeReadsWhatReadReadsAndEmptiesTheFile) {
  RequestRecord answer = SampleRecord();
  answer[0] = Bytes(100 * 1024, 'p');
  HandoffFile file;
  // Trailing bytes after the seventh entry stay out of the first slot.
  file.SetContents([&] {
    HandoffFile written;
    EXPECT_TRUE(written.WriteRecord(answer));
    return written.Contents() + "trailing";
  }());
  RequestRecord read;
  ASSERT_TRUE(file.ReadRecord(read));
  RequestRecord taken;
  ASSERT_TRUE(file.TakeRecord(taken));
  EXPECT_EQ(read, answer);
  EXPECT_EQ(taken, answer);
  EXPECT_EQ(file.Contents(), "");
  EXPECT_FALSE(file.TakeRecord(taken));
}

TEST(HandoffFile, CountRunningPastTheEndFails) {
  HandoffFile file;
  file.SetContents(Bytes("\xFF\xFF\xFF\xFF", 4) + "abc");
  RequestRecord record;
  EXPECT_FALSE(file.ReadRecord(record));
}

TEST(HandoffFile, BytesAfterTheSeventhEntryAreIgnored) {
  HandoffFile file;
  file.SetContents(Bytes(28, '\0') + "trailing");
  RequestRecord record = SampleRecord();
  ASSERT_TRUE(file.ReadRecord(record));
  EXPECT_EQ(record, RequestRecord{});
}

}  // namespace
}  // namespace qw
