// A journal left beside film.dat is settled at start, before the slots are
// read: finished when it still belongs to the file, never applied when it
// does not.
#include "store/journal.h"

#include <algorithm>

#include "platform/scoped_file.h"
#include "store/journalled_write.h"
#include "tests/kit/crash_env.h"
#include "tests/kit/single_journal.h"
#include "tests/records_fixture.h"

class JournalAtStart : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    records_ = MakeItems({{1, "ONE"}, {2, "TWO"}, {3, "THREE"}, {4, "FOUR"}});
    old_ = InventoryBytes(records_);
    std::vector<InventoryRecord> mended = records_;
    mended[1] = MakeItem({2, "MENDED"}, 1);
    new_ = InventoryBytes(mended);
  }
  // The journal of that write, in the single form an older build left.
  Bytes Journal() const { return SingleFormJournal(old_, 1, MakeItem({2, "MENDED"}, 1)); }
  // The journal of appending `added` to a file that holds `film`.
  static Bytes AppendJournal(const Bytes& film, const std::vector<InventoryRecord>& added) {
    const uint32_t first = static_cast<uint32_t>(film.size() / kRecordSize);
    const uint32_t count = static_cast<uint32_t>(added.size());
    const uint64_t newSize = film.size() + uint64_t{count} * kRecordSize;
    const FileRange span = RunSpan(first, count, newSize);
    const FileRange window = RunWindow(first, count, newSize);
    GroupEntry append;
    append.first = first;
    append.count = count;
    append.contextSum = RunContextSum(first, count, newSize, film.data() + window.start);
    append.before.assign(film.begin() + span.start, film.end());
    append.after = append.before;
    for (const InventoryRecord& r : added) {
      append.after.insert(append.after.end(), r.bytes, r.bytes + kRecordSize);
    }
    return EncodeGroup(JournalGroup{film.size(), newSize, {append}});
  }
  // Sector `s` of `file` replaced by noise.
  static Bytes Noisy(Bytes file, size_t s) {
    for (size_t i = s * 512; i < std::min(file.size(), (s + 1) * 512); ++i) file[i] ^= 0x5A + i;
    return file;
  }
  std::vector<InventoryRecord> records_;
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
  cut.resize(single_form::kSize - 1);
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
    if (c.finished) {
      EXPECT_EQ(PrefixTable[1].bytes[0], 'M') << c.what;
    }
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
  const InventoryRecord added = MakeItem({9, "NINE"}, 9);
  const Bytes appendJournal = AppendJournal(old_, {added});
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

TEST_F(JournalAtStart, AnAppendThatCannotBeFinishedLeavesTheOldInventoryWhole) {
  // A full disk stopped an append of three items part-way: film.dat holds
  // the old items and the start of the first new one.
  const std::vector<InventoryRecord> added = {MakeItem({5, "FIVE"}, 4), MakeItem({6, "SIX"}, 5),
                                              MakeItem({7, "SEVEN"}, 6)};
  Bytes tail = old_;
  tail.insert(tail.end(), added[0].bytes, added[0].bytes + 1000);
  const Bytes journal = AppendJournal(old_, added);
  const Lines kept = {"beep 0",
                      "box none|Problem|The last change to film.dat could not be finished; it is "
                      "kept for the next start."};

  // The disk still full: the file goes back to its old size, the old
  // inventory loads, and the journal stays for the next start.
  WriteBytes("film.dat", tail);
  WriteBytes("film.jnl", journal);
  faults_.Inject(FileOp::kWrite, 1, Fault::kDiskFull, /*persistent=*/true);
  const InventoryOpened opened = LoadInventory(Opening::kProgram);
  ASSERT_TRUE(opened);
  TellOpening(opened);
  EXPECT_EQ(Ui(), kept);
  EXPECT_TRUE(opened.journalKept);
  EXPECT_EQ(opened.cause.error, platform::FileError::kDiskFull);
  EXPECT_EQ(ReadBytes("film.dat"), old_);
  EXPECT_EQ(SlotCount, 4);
  EXPECT_EQ(IndexedSlots, 4);
  EXPECT_TRUE(WholeJournal());
  // The back office's changes, those that may make a film.dat among them,
  // stop there: their own journal would take the kept one's place.
  for (const Opening opening : {Opening::kChanging, Opening::kMaking}) {
    Restart();
    faults_.Inject(FileOp::kWrite, 1, Fault::kDiskFull, /*persistent=*/true);
    EXPECT_EQ(LoadInventory(opening).failure, OpenFailure::kJournalKept);
    EXPECT_TRUE(WholeJournal());
  }
  faults_.Reset();

  // Nor can the file be cut: the tail is no part of the inventory, and no
  // change writes over the kept journal meanwhile.
  Restart();
  WriteBytes("film.dat", tail);
  faults_.Inject(FileOp::kWrite, 1, Fault::kDiskFull, /*persistent=*/true);
  faults_.Inject(FileOp::kCut, 1, Fault::kFail, /*persistent=*/true);
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(Ui(), kept);
  EXPECT_EQ(SlotCount, 4);
  const Bytes longer = ReadBytes("film.dat");  // the full disk took a little more
  EXPECT_TRUE(std::equal(old_.begin(), old_.end(), longer.begin()));
  faults_.Reset();
  EXPECT_EQ(WriteSlotJournalled(1, MakeItem({2, "TWO AGAIN"}, 1), records_[1]).outcome,
            WriteOutcome::kChanged);
  EXPECT_EQ(ReadBytes("film.dat"), longer);
  EXPECT_TRUE(WholeJournal());

  // Room again: the next start finishes the append.
  Restart();
  ASSERT_TRUE(Opendata());
  EXPECT_TRUE(Ui().empty());
  std::vector<InventoryRecord> all = records_;
  all.insert(all.end(), added.begin(), added.end());
  EXPECT_EQ(ReadBytes("film.dat"), InventoryBytes(all));
  EXPECT_EQ(SlotCount, 7);
  EXPECT_FALSE(WholeJournal());
}

TEST_F(JournalAtStart, AJournalBesideAFileAnotherProgramHoldsIsLeftToIt) {
  // Another program holds film.dat for its change, whose journal is whole.
  WriteBytes("film.dat", old_);
  WriteBytes("film.jnl", Journal());
  platform::ScopedFile held(platform::OpenFile(L"film.dat", platform::Access::kReadWrite,
                                               platform::Disposition::kOpenExisting));
  ASSERT_TRUE(held);
  ASSERT_TRUE(Opendata()) << "the old records load";
  EXPECT_TRUE(Ui().empty());
  EXPECT_EQ(ReadBytes("film.dat"), old_);
  EXPECT_TRUE(WholeJournal()) << "another program's journal is never touched";

  // Once it lets go (here without finishing), the next start settles it.
  held.Close();
  Restart();
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(ReadBytes("film.dat"), new_);
  EXPECT_FALSE(WholeJournal());
}

// Journals older builds left carry the standard CRC-32: its check value,
// and the same over pieces of any length as over the whole.
TEST(JournalChecksumTest, IsTheStandardCrc32) {
  const std::string check = "123456789";
  const auto* bytes = reinterpret_cast<const uint8_t*>(check.data());
  EXPECT_EQ(JournalChecksum(bytes, check.size()), 0xCBF43926u);
  std::vector<uint8_t> long_(1000);
  for (size_t i = 0; i < long_.size(); ++i) long_[i] = static_cast<uint8_t>(i * 37 + 11);
  for (size_t cut : {0, 1, 15, 16, 17, 999}) {
    EXPECT_EQ(
        JournalChecksum(long_.data() + cut, long_.size() - cut, JournalChecksum(long_.data(), cut)),
        JournalChecksum(long_.data(), long_.size()))
        << cut;
  }
}
