// Another program (the till's sync) may change or replace film.dat between
// any two steps of the program: a write never undoes its change, and a
// lookup never shows one item under another's number.
#include <algorithm>
#include <thread>

#include "commands/amend_record.h"
#include "commands/delete_record.h"
#include "commands/lookup_number.h"
#include "platform/scoped_file.h"
#include "records/find_amend.h"
#include "store/field_rules.h"
#include "tests/records_fixture.h"

class AnotherProgram : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    Open(std::vector<Item>{{10, "TEN"}, {11, "ELEVEN"}, {12, "TWELVE"}});
    index_.assign(NumberIndex, NumberIndex + IndexedSlots);
  }
  // Brings item `number` into hand as Amend and Delete look it up.
  InventoryRecord LookUp(int64_t number) {
    EXPECT_TRUE(TellResult(LookupItemByNumber(number)));
    return CurrentRecord;
  }
  // What the other program leaves: slot `slot` with its stock changed.
  Bytes ChangeStock(int64_t slot) {
    Bytes file = ReadBytes("film.dat");
    file[slot * kRecordSize + kInStockOffset] ^= 0x40;
    WriteBytes("film.dat", file);
    return file;
  }
  // Nothing of memory moved: index, prefixes and counts as loaded.
  void ExpectStoreAsLoaded() {
    EXPECT_EQ(std::vector<IndexEntry>(NumberIndex, NumberIndex + IndexedSlots), index_);
    EXPECT_EQ(PrefixTable[1].bytes[0], 'E');
    EXPECT_EQ(PrefixTable[2].bytes[0], 'T');
    EXPECT_EQ(ActiveCount, 3);
    EXPECT_EQ(DeletedCount, 0);
  }
  std::vector<IndexEntry> index_;
};

TEST_F(AnotherProgram, AmendAndDeleteWriteNothingOverItsChange) {
  const Lines refused = {"beep 0",
                         "box main|Problem|Film.dat was changed by another program. Look the "
                         "item up again."};
  // The amend dialog was open while the other program changed the item.
  const InventoryRecord shown = LookUp(11);
  StoreDescription(CurrentRecord, L"NEW NAME");
  Bytes theirs = ChangeStock(1);
  FreshHost();
  EXPECT_FALSE(TellResult(StoreAmendment(11, shown)));
  EXPECT_EQ(Ui(), refused);
  EXPECT_EQ(ReadBytes("film.dat"), theirs);

  // The delete confirmation was up.
  LookUp(12);
  theirs = ChangeStock(2);
  FreshHost();
  EXPECT_FALSE(TellResult(DeleteRecordInHand(12)));
  EXPECT_EQ(Ui(), refused);
  EXPECT_EQ(ReadBytes("film.dat"), theirs);
  ExpectStoreAsLoaded();
  EXPECT_FALSE(WholeJournal());
}

TEST_F(AnotherProgram, MovedSlotsNeverShowAnItemUnderAnotherNumber) {
  // The other program wrote the file anew, the items in another order.
  WriteInventory(MakeItems({{12, "TWELVE"}, {10, "TEN"}, {11, "ELEVEN"}}));
  const Bytes theirs = ReadBytes("film.dat");
  const Lines moved = {
      "box main|Problem|Film.dat was changed by another program. Restart tallo "
      "to see the changes."};
  host::QueueDialog(Answer(L"10"));
  FindCommand();  // no view opens
  EXPECT_EQ(CurrentNumber, 0);
  EXPECT_EQ(Ui(), (Lines{"dialog 111 main", moved[0]}));

  FreshHost();
  host::QueueDialog(Answer(L"11"));
  AmendCommand();  // no amend dialog opens
  EXPECT_EQ(Ui(), (Lines{"dialog 111 main", moved[0]}));
  EXPECT_EQ(ReadBytes("film.dat"), theirs);
  ExpectStoreAsLoaded();
}

TEST_F(AnotherProgram, AChangeWhileAnotherProgramHoldsFilmDatIsRefusedOrWaitsForIt) {
  // The other program holds film.dat for its own change.
  platform::ScopedFile held(platform::OpenFile(L"film.dat", platform::Access::kReadWrite,
                                               platform::Disposition::kOpenExisting));
  ASSERT_TRUE(held);
  const Bytes before = ReadBytes("film.dat");
  const InventoryRecord shown = LookUp(11);
  StoreDescription(CurrentRecord, L"NEW NAME");
  FreshHost();
  const CommandResult refused = StoreAmendment(11, shown);
  EXPECT_FALSE(TellResult(refused));
  EXPECT_EQ(refused.status.step, FileStep::kOpen);
  EXPECT_EQ(refused.status.error, platform::FileError::kBusy);
  EXPECT_EQ(Ui(), (Lines{"box main|Problem|Data file: film.dat, not present."}))
      << "the program tells it as it always did";
  EXPECT_EQ(ReadBytes("film.dat"), before);
  ExpectStoreAsLoaded();

  // Given time (as the back office gives it), the change goes in once the
  // other program lets go.
  HeldFileWait = 10000;
  std::thread other([&held] {
    platform::Pause(50);
    held.Close();
  });
  FreshHost();
  const bool stored = TellResult(StoreAmendment(11, shown));
  other.join();
  EXPECT_TRUE(stored);
  EXPECT_EQ(PrefixTable[1].bytes[0], 'N');
}
