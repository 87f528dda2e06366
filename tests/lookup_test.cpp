// LookupItem by number.
#include <filesystem>

#include "records/lookup_item.h"
#include "tests/records_fixture.h"

class LookupByNumber : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    Open(std::vector<InventoryRecord>{MakeItem({30, "THIRTY"}), MakeRecord(-1, ""),
                                      MakeItem({10, "TEN", "S10", 4, 9.99f}), MakeRecord(0, "ZERO"),
                                      MakeItem({20, "TWENTY"})});
  }
  void Look(int64_t number, int show = 0) {
    SearchMode = 0;
    ShowAfterLookup = show;
    CurrentNumber = number;
    LookupItem();
  }
};

TEST_F(LookupByNumber, FindsTheRecordPastTheDeletedEntries) {
  const int readsBefore = faults_.Count(FileOp::kRead);
  Look(10);
  EXPECT_EQ(CurrentNumber, 10);
  EXPECT_EQ(CurrentSlot, 2);
  EXPECT_EQ(RecordBytes(CurrentRecord), SlotBytes(2));
  EXPECT_TRUE(Ui().empty()) << "no dialog unless asked for";
  EXPECT_EQ(faults_.Count(FileOp::kRead), readsBefore + 1) << "one record read";
}

TEST_F(LookupByNumber, ShowsTheViewWhenAsked) {
  host::QueueDialog(Script(IDD_VIEW).Click(IDOK));
  Look(10, 2);
  EXPECT_EQ(CurrentNumber, 10);
  EXPECT_EQ(Ui(), (Lines{"dialog 131 main"}));
  EXPECT_EQ(Shown(0).Text(IDC_DESCRIPTION), L"TEN");
  EXPECT_EQ(Shown(0).Text(IDC_PRICE), L"9.99");
  host::QueueDialog(Script(IDD_VIEW).Close());
  Look(30, 2);
  EXPECT_EQ(CurrentNumber, 30) << "the view's end value does not matter";
}

TEST_F(LookupByNumber, ReportsNumbersThatAreNotThere) {
  for (int64_t missing : {int64_t{15}, int64_t{31}, int64_t{1}, INT64_MAX}) {
    FreshHost();
    Look(missing);
    EXPECT_EQ(CurrentNumber, 0);
    EXPECT_EQ(Ui(), (Lines{"box none|Problem|No such item: " + std::to_string(missing)}));
  }
}

// A film.dat that is gone is not present; one that is there and cannot be
// opened now cannot be read.
TEST_F(LookupByNumber, ReportsAMissingFileAndOneThatCannotBeOpened) {
  faults_.Inject(FileOp::kOpen, 1);
  Look(10);
  EXPECT_EQ(CurrentNumber, 0);
  EXPECT_EQ(Ui(), (Lines{"box main|Problem|Not able to read film.dat"}));
  FreshHost();
  std::filesystem::remove(Path("film.dat"));
  Look(10);
  EXPECT_EQ(CurrentNumber, 0);
  EXPECT_EQ(Ui(), (Lines{"box none|Fatal error|Data file: film.dat, not present."}));
}

TEST_F(LookupByNumber, AFailedOrShortReadLeavesNothingInHandAndTheBufferUntouched) {
  for (Fault fault : {Fault::kFail, Fault::kShort}) {
    FreshHost();
    CurrentRecord = MakeRecord(99, "BEFORE");
    const Bytes before = RecordBytes(CurrentRecord);
    faults_.Inject(FileOp::kRead, 1, fault);
    Look(20);
    EXPECT_EQ(CurrentNumber, 0);
    EXPECT_EQ(Ui(), (Lines{"box main|Problem|Not able to read film.dat"}));
    EXPECT_EQ(RecordBytes(CurrentRecord), before) << "no half-read record";
  }
}
