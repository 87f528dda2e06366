// A journal left beside film.dat is settled at start, before the slots are
// read.
#include "store/journal.h"

#include "tests/records_fixture.h"

class JournalAtStart : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    records_ = MakeItems({{1, "ONE"}, {2, "TWO"}, {3, "THREE"}});
    entry_.slot = 1;
    entry_.fileSize = 3 * uint64_t{kRecordSize};
    entry_.before = records_[1];
    entry_.after = MakeItem({2, "MENDED"}, 1);
  }
  // film.dat with slot 1 as given, and `journal` beside it.
  void Leave(const InventoryRecord& slot1, const Bytes& journal) {
    std::vector<InventoryRecord> records = records_;
    records[1] = slot1;
    WriteInventory(records);
    WriteBytes("film.jnl", journal);
  }
  Bytes Journal() const {
    Bytes bytes(kJournalSize);
    EncodeJournal(entry_, bytes.data());
    return bytes;
  }
  std::vector<InventoryRecord> records_;
  JournalEntry entry_;
};

TEST_F(JournalAtStart, FinishesTheWriteOnlyWhenTheJournalIsWholeAndTheSlotIsOldNewOrMixed) {
  InventoryRecord torn = entry_.before;
  std::copy(entry_.after.bytes + 512, entry_.after.bytes + 1024, torn.bytes + 512);
  InventoryRecord other = MakeItem({2, "CHANGED BY ANOTHER PROGRAM"}, 9);
  Bytes cut = Journal();
  cut.resize(kJournalSize - 1);
  Bytes wrongSum = Journal();
  wrongSum[100] ^= 1;
  const struct {
    const char* what;
    InventoryRecord slot;
    Bytes journal;
    bool finished;
  } cases[] = {
      {"torn", torn, Journal(), true},         {"old", entry_.before, Journal(), true},
      {"new", entry_.after, Journal(), true},  {"another record", other, Journal(), false},
      {"journal cut short", torn, cut, false}, {"journal with a wrong sum", torn, wrongSum, false}};
  for (const auto& c : cases) {
    Restart();
    Leave(c.slot, c.journal);
    ASSERT_TRUE(Opendata()) << c.what;
    EXPECT_TRUE(Ui().empty()) << c.what;
    EXPECT_EQ(SlotBytes(1), RecordBytes(c.finished ? entry_.after : c.slot)) << c.what;
    EXPECT_FALSE(Exists("film.jnl")) << c.what;
    EXPECT_EQ(PrefixTable[1].bytes[0], c.finished ? 'M' : c.slot.bytes[kDescriptionOffset]);
  }
}

TEST_F(JournalAtStart, LeavesAFileOfAnotherSizeAlone) {
  Leave(entry_.before, Journal());
  std::vector<InventoryRecord> grown = records_;
  grown.push_back(MakeItem({4, "FOUR"}, 3));
  WriteInventory(grown);
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(ReadBytes("film.dat"), InventoryBytes(grown));
  EXPECT_FALSE(Exists("film.jnl"));
}

TEST_F(JournalAtStart, AFailedSettlingIsToldAndTheJournalKeptForTheNextStart) {
  Leave(entry_.before, Journal());
  faults_.Inject(FileOp::kWrite, 1);
  ASSERT_TRUE(Opendata()) << "start-up goes on";
  EXPECT_EQ(Ui(), (Lines{"beep 0",
                         "box none|Problem|The last change to film.dat could not be finished; it "
                         "is kept for the next start."}));
  EXPECT_TRUE(Exists("film.jnl"));
  EXPECT_EQ(SlotBytes(1), RecordBytes(entry_.before));
  Restart();
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(SlotBytes(1), RecordBytes(entry_.after));
  EXPECT_FALSE(Exists("film.jnl"));
}
