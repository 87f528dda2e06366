// A journal left beside film.dat is settled at start, before the slots are
// read: finished when it still belongs to the file, never applied when it
// does not.
#include "store/journal.h"

#include <algorithm>

#include "tests/kit/crash_env.h"
#include "tests/records_fixture.h"

class JournalAtStart : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    records_ = MakeItems({{1, "ONE"}, {2, "TWO"}, {3, "THREE"}, {4, "FOUR"}});
    old_ = InventoryBytes(records_);
    const FileRange window = SlotWindow(1, old_.size());
    entry_ =
        MakeJournalEntry(1, old_.size(), old_.data() + window.start, MakeItem({2, "MENDED"}, 1));
    new_ = old_;
    const FileRange span = SlotSpan(1, old_.size());
    std::copy(entry_.after, entry_.after + span.size, new_.begin() + span.start);
  }
  Bytes Journal() const {
    Bytes bytes(kJournalSize);
    EncodeJournal(entry_, bytes.data());
    return bytes;
  }
  // Sector `s` of `file` replaced by noise.
  static Bytes Noisy(Bytes file, size_t s) {
    for (size_t i = s * 512; i < std::min(file.size(), (s + 1) * 512); ++i) file[i] ^= 0x5A + i;
    return file;
  }
  std::vector<InventoryRecord> records_;
  JournalEntry entry_;
  Bytes old_, new_;  // the file before and after the journal's write
};

TEST_F(JournalAtStart, FinishesTheWriteWhenTheSpanHoldsWhatOnePowerCutCanLeave) {
  // Slot 1 is bytes 1874 to 3747: sectors 3 to 7, sector 3 shared with slot
  // 0 and sector 7 with slot 2.
  Bytes torn = old_;
  std::copy(new_.begin() + 1536, new_.begin() + 2560, torn.begin() + 1536);
  Bytes otherRecord = old_;
  const InventoryRecord other = MakeItem({2, "CHANGED BY ANOTHER PROGRAM"}, 9);
  std::copy(other.bytes, other.bytes + kRecordSize, otherRecord.begin() + kRecordSize);
  Bytes cut = Journal();
  cut.resize(kJournalSize - 1);
  Bytes wrongSum = Journal();
  wrongSum[100] ^= 1;
  const struct {
    const char* what;
    Bytes film;
    Bytes journal;
    bool finished;
  } cases[] = {
      {"torn at a sector", torn, Journal(), true},
      {"old", old_, Journal(), true},
      {"new", new_, Journal(), true},
      // The neighbour's bytes in the noisy sector come back from the journal.
      {"old, with noise in the sector shared with slot 0", Noisy(old_, 3), Journal(), true},
      {"new, with noise in the sector shared with slot 2", Noisy(new_, 7), Journal(), true},
      {"two noisy sectors", Noisy(Noisy(torn, 3), 5), Journal(), false},
      {"another record in the slot", otherRecord, Journal(), false},
      {"journal cut short", torn, cut, false},
      {"journal with a wrong sum", torn, wrongSum, false},
  };
  for (const auto& c : cases) {
    Restart();
    WriteBytes("film.dat", c.film);
    WriteBytes("film.jnl", c.journal);
    ASSERT_TRUE(Opendata()) << c.what;
    EXPECT_TRUE(Ui().empty()) << c.what;
    EXPECT_TRUE(ReadBytes("film.dat") == (c.finished ? new_ : c.film)) << c.what;
    EXPECT_FALSE(WholeJournal()) << c.what << ": settled once, it is marked done";
    if (c.finished) EXPECT_EQ(PrefixTable[1].bytes[0], 'M') << c.what;
  }
}

TEST_F(JournalAtStart, AnUnreadableSectorOfTheSpanIsWrittenWhole) {
  WriteBytes("film.dat", Noisy(old_, 7));
  WriteBytes("film.jnl", Journal());
  testkit::CrashEnv medium;
  medium.Resume({{}, {{Path("film.dat"), {7}}}});
  platform::SetEnv(&medium);
  const bool opened = Opendata();
  platform::SetEnv(&faults_);
  ASSERT_TRUE(opened);
  EXPECT_TRUE(Ui().empty());
  EXPECT_EQ(ReadBytes("film.dat"), new_);
  EXPECT_EQ(IndexedSlots, 4) << "every slot reads again";
}

TEST_F(JournalAtStart, NeverTouchesAFileThatAnotherProgramPutInItsPlace) {
  // The same size and other records. Slots 1 and 2 differ from the old ones
  // in one sector only, which could pass for what a power cut left: slot 0
  // tells the files apart.
  std::vector<InventoryRecord> others = MakeItems({{7, "SEVEN"}, {2, "TWO"}, {3, "THREE"}});
  others[1].bytes[kDescriptionOffset] = 'X';
  others.push_back(records_[3]);
  const Bytes replaced = InventoryBytes(others);
  std::vector<InventoryRecord> grown = records_;
  grown.push_back(MakeItem({5, "FIVE"}, 4));
  for (const Bytes& film : {replaced, InventoryBytes(grown)}) {
    Restart();
    WriteBytes("film.dat", film);
    WriteBytes("film.jnl", Journal());
    ASSERT_TRUE(Opendata());
    EXPECT_TRUE(Ui().empty());
    EXPECT_EQ(ReadBytes("film.dat"), film);
    EXPECT_FALSE(WholeJournal()) << "a stale journal is marked done";
  }

  // An append of slot 4 to the old file: a file of its old size whose last
  // record is another, or one past its new size, is not the one it was for.
  const uint64_t newSize = old_.size() + kRecordSize;
  const FileRange span = RunSpan(4, 1, newSize);
  const FileRange window = RunWindow(4, 1, newSize);
  GroupEntry append{4, 1, RunContextSum(4, 1, newSize, old_.data() + window.start)};
  append.before.assign(old_.begin() + span.start, old_.end());
  append.after = append.before;
  const InventoryRecord added = MakeItem({9, "NINE"}, 9);
  append.after.insert(append.after.end(), added.bytes, added.bytes + kRecordSize);
  const Bytes appendJournal = EncodeGroup(JournalGroup{old_.size(), newSize, {append}});
  std::vector<InventoryRecord> lastChanged = records_;
  lastChanged[3] = MakeItem({4, "FOUR"}, 33);
  grown.push_back(added);
  for (const Bytes& film : {InventoryBytes(lastChanged), InventoryBytes(grown)}) {
    Restart();
    WriteBytes("film.dat", film);
    WriteBytes("film.jnl", appendJournal);
    ASSERT_TRUE(Opendata());
    EXPECT_TRUE(Ui().empty());
    EXPECT_EQ(ReadBytes("film.dat"), film);
    EXPECT_FALSE(WholeJournal()) << "a stale journal is marked done";
  }
}

TEST_F(JournalAtStart, AFailedSettlingIsToldAndTheJournalKeptForTheNextStart) {
  WriteBytes("film.dat", old_);
  WriteBytes("film.jnl", Journal());
  faults_.Inject(FileOp::kWrite, 1);
  ASSERT_TRUE(Opendata()) << "start-up goes on";
  EXPECT_EQ(Ui(), (Lines{"beep 0",
                         "box none|Problem|The last change to film.dat could not be finished; it "
                         "is kept for the next start."}));
  EXPECT_TRUE(WholeJournal());
  EXPECT_EQ(ReadBytes("film.dat"), old_);
  Restart();
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(ReadBytes("film.dat"), new_);
  EXPECT_FALSE(WholeJournal());
}
