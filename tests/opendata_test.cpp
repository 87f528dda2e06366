#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "commands/records_state.h"
#include "messages/opening_messages.h"
#include "platform/host/host_control.h"
#include "store/journalled_write.h"
#include "store/number_index.h"
#include "store/settings_image.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "tests/kit/process_state.h"
#include "tests/test_support.h"

using Lines = std::vector<std::string>;

class Opendata_ : public ProgramTest {
 protected:
  void WriteSettings(float storage, size_t size = kSettingsSize) {
    Bytes settings(size, 0x5A);
    if (size >= kStorageOffset + 4) std::memcpy(settings.data() + kStorageOffset, &storage, 4);
    WriteBytes("tallo.cfg", settings);
  }
  std::vector<IndexEntry> UsedEntries() const {
    return std::vector<IndexEntry>(NumberIndex, NumberIndex + IndexedSlots);
  }
  // Every entry from IndexedSlots to the end of the array is (0, 0).
  bool SparesAreZero() const {
    for (int64_t i = IndexedSlots; i < SlotCount + kSpareEntries; ++i) {
      if (NumberIndex[i].number != 0 || NumberIndex[i].slot != 0) return false;
    }
    return true;
  }
  Bytes FreshFile() const {
    InventoryRecord fresh;
    MakeFreshRecord(fresh);
    return RecordBytes(fresh);
  }
};

// ---- A missing inventory ------------------------------------------------------

TEST_F(Opendata_, CreatesTheFreshInventoryWhenThereIsNone) {
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(ReadBytes("film.dat"), FreshFile());
  EXPECT_EQ(DataPath, L"film.dat");
  EXPECT_EQ(SlotCount, 1);
  EXPECT_EQ(ActiveCount, 1);
  EXPECT_EQ(DeletedCount, 0);
  EXPECT_EQ(UsedEntries(), (std::vector<IndexEntry>{{1, 0}}));
  EXPECT_TRUE(SparesAreZero());
  EXPECT_EQ(PrefixTable[0].bytes[0], 'I');
  EXPECT_EQ(PrefixTable[0].bytes[1], 'T');
  EXPECT_EQ(FindSlotByNumber(1), 0);
  EXPECT_TRUE(Ui().empty());
  EXPECT_FALSE(Exists("tallo.cfg"));
}

TEST_F(Opendata_, ReportsWhenTheFreshInventoryCannotBeMadeOrReopened) {
  faults_.Inject(FileOp::kOpen, 3);  // settings, film.dat, creation
  EXPECT_FALSE(Opendata());
  EXPECT_EQ(Ui(), (Lines{"beep 0", "box none|Fatal error|Unable to create inventory file."}));
  EXPECT_FALSE(Exists("film.dat"));

  Restart();
  faults_.Inject(FileOp::kOpen, 4);  // the open after creation
  EXPECT_FALSE(Opendata());
  EXPECT_EQ(Ui(), (Lines{"beep 0", "box none|Fatal error|Unable to open inventory file."}));
  EXPECT_EQ(ReadBytes("film.dat"), FreshFile());
}

TEST_F(Opendata_, AFreshInventoryNotWrittenWholeIsNeverNamedFilmDat) {
  const struct {
    FileOp op;
    Fault fault;
  } cases[] = {{FileOp::kWrite, Fault::kFail},
               {FileOp::kWrite, Fault::kShort},
               {FileOp::kFlush, Fault::kFail},
               {FileOp::kRename, Fault::kFail}};
  for (const auto& c : cases) {
    Restart();
    faults_.Inject(c.op, 1, c.fault);
    EXPECT_FALSE(Opendata());
    EXPECT_EQ(Ui(), (Lines{"beep 0", "box none|Fatal error|Unable to create inventory file."}));
    EXPECT_FALSE(Exists("film.dat"));
    EXPECT_FALSE(Exists("film.tmp"));
  }
  Restart();
  ASSERT_TRUE(Opendata()) << "the next start makes it";
  EXPECT_EQ(ReadBytes("film.dat"), FreshFile());
}

// ---- Sizes ----------------------------------------------------------------------

TEST_F(Opendata_, RefusesSizesThatAreNoWholeNumberOfRecords) {
  const struct {
    size_t size;
    const char* text;
  } cases[] = {{0, "Film.dat has no data in Opendata."},
               {1873, "Data file film.dat corrupt in Opendata."},
               {3749, "Data file film.dat corrupt in Opendata."}};
  for (const auto& c : cases) {
    Restart();
    WriteBytes("film.dat", Bytes(c.size, 1));
    EXPECT_FALSE(Opendata()) << c.size;
    EXPECT_EQ(Ui(), (Lines{"beep 0", std::string("box none|Fatal error|") + c.text})) << c.size;
    EXPECT_EQ(ReadBytes("film.dat"), Bytes(c.size, 1)) << "the file is never touched";
  }
}

TEST_F(Opendata_, RefusesAFileBeyond32BitsAsCorrupt) {
  // A sparse file of 2^32 + 1874 * 3 bytes: its low 32 bits alone would pass.
  WriteBytes("film.dat", {});
  std::filesystem::resize_file(Path("film.dat"), (uint64_t{1} << 32) + 0 * kRecordSize);
  EXPECT_FALSE(Opendata());
  EXPECT_EQ(Ui(),
            (Lines{"beep 0", "box none|Fatal error|Data file film.dat corrupt in Opendata."}));
  std::filesystem::resize_file(Path("film.dat"), uint64_t{2291872} * kRecordSize);
  Restart();
  EXPECT_FALSE(Opendata());
  EXPECT_EQ(Ui(),
            (Lines{"beep 0", "box none|Fatal error|Data file film.dat corrupt in Opendata."}));
}

TEST_F(Opendata_, AnInventoryGrowsToTheLastWholeSlotBelow4GiBAndNoFurther) {
  // 2,291,871 slots end at byte 4,294,966,254; one more would pass 2^32.
  static_assert(kLargestSlotCount == 2291871, "the largest inventory the README names");
  const uint64_t oneShort = uint64_t{kLargestSlotCount - 1} * kRecordSize;
  const uint64_t largest = uint64_t{kLargestSlotCount} * kRecordSize;
  WriteBytes("film.dat", {});
  std::filesystem::resize_file(Path("film.dat"), oneShort);  // sparse: little disk
  DataPath = kDeviceDataPath;
  const std::vector<InventoryRecord> last = {MakeItem({4242, "LAST SLOT"}, 7)};
  EXPECT_EQ(AppendSlotsJournalled(oneShort, RecordList(last)).outcome, WriteOutcome::kWritten);
  ASSERT_EQ(std::filesystem::file_size(Path("film.dat")), largest);
  {
    InventoryFile file = OpenInventoryForReading();
    InventoryRecord read;
    ASSERT_TRUE(ReadSlot(file, kLargestSlotCount - 1, &read));
    EXPECT_EQ(RecordBytes(read), RecordBytes(last[0]));
  }
  EXPECT_EQ(AppendSlotsJournalled(largest, RecordList(last)).outcome, WriteOutcome::kFailed);
  EXPECT_EQ(std::filesystem::file_size(Path("film.dat")), largest);
}

// A size that cannot be taken says nothing of the file's records: it is told
// as a file that cannot be opened now, never as a damaged one.
TEST_F(Opendata_, TellsASizeThatCannotBeTakenAsAFileThatCannotBeOpened) {
  WriteInventory({MakeRecord(1, "AB")});
  faults_.Inject(FileOp::kSize, 1);
  const InventoryOpened opened = LoadInventory(Opening::kProgram);
  EXPECT_EQ(opened.failure, OpenFailure::kCannotSize);
  EXPECT_EQ(opened.cause.step, FileStep::kSize);
  TellOpening(opened);
  EXPECT_EQ(Ui(), (Lines{"beep 0", "box none|Fatal error|Unable to open film.dat in Opendata"}));
}

// ---- Settings -------------------------------------------------------------------

TEST_F(Opendata_, LoadsTheSettingsFileUpTo42550Bytes) {
  Bytes shortFile(100);
  for (size_t i = 0; i < shortFile.size(); ++i) shortFile[i] = static_cast<uint8_t>(i + 1);
  WriteBytes("tallo.cfg", shortFile);
  WriteInventory({MakeRecord(1, "AB")});
  ASSERT_TRUE(Opendata());
  EXPECT_TRUE(Ui().empty());
  EXPECT_EQ(Bytes(SettingsImage.bytes, SettingsImage.bytes + 100), shortFile);
  EXPECT_EQ(Bytes(SettingsImage.bytes + 100, SettingsImage.bytes + kSettingsSize),
            Bytes(kSettingsSize - 100, 0));

  ResetProcessState();
  Bytes longFile(kSettingsSize + 500, 0);
  longFile[0] = 7;
  longFile[kSettingsSize - 1] = 8;
  longFile[kSettingsSize] = 9;
  WriteBytes("tallo.cfg", longFile);
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(SettingsImage.bytes[0], 7);
  EXPECT_EQ(SettingsImage.bytes[kSettingsSize - 1], 8);
}

// A tallo.cfg that comes up short is not taken in part: the image stays as
// it was (the device's film.dat, no card), and the opening says which step
// failed for a caller that tells it.
TEST_F(Opendata_, TakesNothingFromASettingsFileThatCannotBeReadWhole) {
  WriteSettings(2.0f);
  WriteInventory({MakeRecord(7, "DEVICE")});
  faults_.Inject(FileOp::kRead, 1, Fault::kShort);
  const InventoryOpened opened = LoadInventory(Opening::kProgram);
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened.settings.step, FileStep::kRead);
  EXPECT_EQ(opened.settings.path, L"tallo.cfg");
  EXPECT_EQ(Bytes(SettingsImage.bytes, SettingsImage.bytes + kSettingsSize),
            Bytes(kSettingsSize, 0));
  EXPECT_EQ(DataPath, L"film.dat");
  EXPECT_EQ(FindSlotByNumber(7), 0);
}

// ---- The storage card -----------------------------------------------------------

TEST_F(Opendata_, CardChosenButAbsentFallsBackToTheDevice) {
  WriteSettings(2.0f);
  WriteInventory({MakeRecord(7, "DEVICE")});
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(Ui(), (Lines{"beep 0", "box none|Problem|No memory card."}));
  EXPECT_TRUE(StorageOption() == 0.0f);
  EXPECT_EQ(Bytes(SettingsImage.bytes + kStorageOffset, SettingsImage.bytes + kStorageOffset + 4),
            Bytes(4, 0));
  EXPECT_EQ(DataPath, L"film.dat");
  EXPECT_EQ(FindSlotByNumber(7), 0);
}

TEST_F(Opendata_, CardChosenWithUnreadableDetailsFallsBackToTheDevice) {
  WriteSettings(2.0f);
  host::SetStorageCard(host::CardState::kUnreadable);
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(Ui(), (Lines{"beep 0", "box none|Problem|No memory card detail"}));
  EXPECT_TRUE(StorageOption() == 0.0f);
  EXPECT_EQ(ReadBytes("film.dat"), FreshFile());
}

TEST_F(Opendata_, CardChosenAndPresentUsesTheCardsFilmDat) {
  WriteSettings(2.0f);
  std::filesystem::create_directory(Path("card"));
  WriteInventory({MakeRecord(5, "ON CARD"), MakeRecord(6, "ALSO")}, "card/film.dat");
  host::SetStorageCard(host::CardState::kPresent, host::Widen(Path("card")));
  ASSERT_TRUE(Opendata());
  EXPECT_TRUE(Ui().empty());
  EXPECT_EQ(DataPath, host::Widen(Path("card")) + L"\\film.dat");
  EXPECT_EQ(SlotCount, 2);
  EXPECT_TRUE(StorageOption() == 2.0f);
  EXPECT_FALSE(Exists("film.dat"));
}

TEST_F(Opendata_, CardWithoutFilmDatCreatesOneOnTheDeviceButNeverReplacesIt) {
  WriteSettings(2.0f);
  std::filesystem::create_directory(Path("card"));
  host::SetStorageCard(host::CardState::kPresent, host::Widen(Path("card")));
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(DataPath, L"film.dat");
  EXPECT_EQ(ReadBytes("film.dat"), FreshFile());

  // The device already has an inventory: it is opened as it stands.
  const InventoryRecord device = MakeRecord(9, "KEEP ME");
  WriteInventory({device});
  ResetProcessState();
  ASSERT_TRUE(Opendata());
  EXPECT_TRUE(Ui().empty());
  EXPECT_EQ(DataPath, L"film.dat");
  EXPECT_EQ(ReadBytes("film.dat"), RecordBytes(device));
  EXPECT_EQ(FindSlotByNumber(9), 0);
  EXPECT_TRUE(StorageOption() == 2.0f);
}

TEST_F(Opendata_, OnlyZeroAndMinusZeroMeanTheDevice) {
  WriteInventory({MakeRecord(1, "AB")});
  WriteSettings(-0.0f);
  ASSERT_TRUE(Opendata());
  EXPECT_TRUE(Ui().empty());

  ResetProcessState();
  WriteSettings(1.0f);
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(Ui(), (Lines{"beep 0", "box none|Problem|No memory card."}));
}

TEST_F(Opendata_, AFailedFindRecordAllocationQuietlyUsesTheDevice) {
  WriteSettings(2.0f);
  WriteInventory({MakeRecord(1, "AB")});
  host::SetStorageCard(host::CardState::kPresent, L"/nowhere");
  faults_.InjectAllocationFault(1);
  ASSERT_TRUE(Opendata());
  EXPECT_TRUE(Ui().empty());
  EXPECT_EQ(DataPath, L"film.dat");
  EXPECT_TRUE(StorageOption() == 2.0f);
}

// ---- The index ------------------------------------------------------------------

TEST_F(Opendata_, BuildsTheSortedIndexWithTheLoadRule) {
  WriteInventory({MakeRecord(5, "FIVE"), MakeRecord(-1, "\x01"), MakeRecord(3, "THREE"),
                  MakeRecord(0, "ZERO"), MakeRecord(3, "AGAIN")});
  const Bytes before = ReadBytes("film.dat");
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(UsedEntries(), (std::vector<IndexEntry>{{-1, 1}, {-1, 3}, {3, 2}, {3, 4}, {5, 0}}));
  EXPECT_TRUE(SparesAreZero());
  EXPECT_EQ(ActiveCount, 3);
  EXPECT_EQ(DeletedCount, 2);
  EXPECT_EQ(PrefixTable[3].bytes[0], 'Z');
  EXPECT_EQ(PrefixTable[3].bytes[1], 'E');
  EXPECT_EQ(PrefixTable[1].bytes[0], 1);
  EXPECT_EQ(PrefixTable[1].bytes[1], 0);
  EXPECT_EQ(FindSlotByNumber(3), 2) << "the lower slot of a repeated number";
  EXPECT_EQ(ReadBytes("film.dat"), before);
  EXPECT_EQ(RecordNumber(CurrentRecord), 3);
}

TEST_F(Opendata_, CountsStoredNegativeNumbersAsDeleted) {
  WriteInventory(
      {MakeRecord(INT64_MIN, "MIN"), MakeRecord(-2, "TWO"), MakeRecord(INT64_MAX, "MAX")});
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(UsedEntries(), (std::vector<IndexEntry>{{-1, 0}, {-1, 1}, {INT64_MAX, 2}}));
  EXPECT_EQ(DeletedCount, 2);
  EXPECT_EQ(ActiveCount, 1);
}

TEST_F(Opendata_, OneSlotGives201Entries) {
  WriteInventory({MakeRecord(4, "AB")});
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(IndexedSlots, 1);
  EXPECT_TRUE(SparesAreZero());
  EXPECT_EQ(SlotCount + kSpareEntries, 201);
}

TEST_F(Opendata_, ReportsWhenTheReadPassCannotOpenOrAllocate) {
  WriteInventory({MakeRecord(4, "AB")});
  faults_.Inject(FileOp::kOpen, 4);  // settings, film.dat, journal, read pass
  EXPECT_FALSE(Opendata());
  EXPECT_EQ(Ui(), (Lines{"beep 0", "box none|Fatal error|Unable to open film.dat in Opendata"}));

  Restart();
  faults_.InjectAllocationFault(2);  // PrefixTable
  EXPECT_FALSE(Opendata());
  EXPECT_EQ(Ui(),
            (Lines{"beep 0", "box none|Fatal error|Not enough memory for film.dat in Opendata."}));
  EXPECT_EQ(NumberIndex, nullptr);
  EXPECT_EQ(PrefixTable, nullptr);
}

// Files larger than one read block, so that faults can strike part-way.
class OpendataLargeFile : public Opendata_ {
 protected:
  static constexpr int kSlots = 600;
  void SetUp() override {
    Opendata_::SetUp();
    std::vector<InventoryRecord> records;
    for (int i = 0; i < kSlots; ++i) records.push_back(MakeRecord(kSlots - i, "ITEM", uint8_t(i)));
    WriteInventory(records);
  }
};

TEST_F(OpendataLargeFile, ReadsEverySlotInBlocks) {
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(IndexedSlots, kSlots);
  EXPECT_EQ(ActiveCount, kSlots);
  for (int i = 0; i < kSlots; ++i) ASSERT_EQ(NumberIndex[i], (IndexEntry{i + 1, kSlots - 1 - i}));
  EXPECT_LE(faults_.Count(FileOp::kRead), 4);
}

TEST_F(OpendataLargeFile, AReadThatFailsPartWayIndexesTheSlotsBeforeIt) {
  // Every read from the second one fails: the first block's slots stay.
  faults_.Inject(FileOp::kRead, 2, Fault::kFail, /*persistent=*/true);
  ASSERT_TRUE(Opendata());
  EXPECT_TRUE(Ui().empty());
  EXPECT_EQ(SlotCount, kSlots);
  const int64_t read = IndexedSlots;
  EXPECT_GT(read, 0);
  EXPECT_LT(read, kSlots);
  EXPECT_EQ(ActiveCount, read);
  EXPECT_TRUE(SparesAreZero());
  EXPECT_EQ(FindSlotByNumber(kSlots), 0);
  EXPECT_EQ(FindSlotByNumber(1), -1) << "the last slot was never read";
}

TEST_F(OpendataLargeFile, AShortOrFailedBlockIsReadAgainRecordByRecord) {
  faults_.Inject(FileOp::kRead, 2, Fault::kShort);
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(IndexedSlots, kSlots);
  ResetProcessState();
  faults_.Inject(FileOp::kRead, 3, Fault::kFail);
  ASSERT_TRUE(Opendata());
  EXPECT_EQ(IndexedSlots, kSlots);
  for (int i = 0; i < kSlots; ++i) ASSERT_EQ(NumberIndex[i], (IndexEntry{i + 1, kSlots - 1 - i}));
}

TEST_F(OpendataLargeFile, TheToolsReadOfTheSlotsStopsWhereStartUpStops) {
  // The second block comes up short, and the record-by-record reads after it
  // fail from the (nth - 1)-th on: both reads stop at slot 256 + nth - 2.
  const Bytes file = ReadBytes("film.dat");
  for (int nth : {2, 12, 200}) {
    const auto arm = [&] {
      faults_.Reset();
      faults_.Inject(FileOp::kRead, 2, Fault::kShort);
      faults_.Inject(FileOp::kSeek, nth, Fault::kFail, /*persistent=*/true);
    };
    Restart();
    arm();
    ASSERT_TRUE(Opendata());
    EXPECT_EQ(IndexedSlots, 256 + nth - 2) << nth;
    arm();
    InventoryFile read = OpenInventoryForReading();
    uint32_t next = 0;
    const uint32_t stop = ReadEachSlot(read, kSlots, [&](uint32_t slot, const InventoryRecord& r) {
      EXPECT_EQ(slot, next++);
      EXPECT_TRUE(std::equal(r.bytes, r.bytes + kRecordSize, file.begin() + slot * kRecordSize));
    });
    EXPECT_EQ(stop, IndexedSlots) << nth;
    EXPECT_EQ(next, stop);
  }
}
