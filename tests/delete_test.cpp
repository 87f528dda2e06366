// The Delete command: confirmation, the deleted form in the file, and the
// index, prefixes and counts kept in step without a reload.
#include "config/configuration.h"
#include "records/delete_command.h"
#include "records/find_amend.h"
#include "store/number_index.h"
#include "tests/records_fixture.h"

class DeleteCommand_ : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    Open(std::vector<Item>{{30, "THIRTY", "S30"},
                           {10, "TEN"},
                           {-1, ""},
                           {20, "TWENTY"},
                           {5, "FIVE"},
                           {20, "AGAIN TWENTY"},
                           {-4, "MINUS FOUR"}});
    file_ = ReadBytes("film.dat");
  }
  // Deletes through the prompt `answer`, confirming with `answer` to the box.
  void Delete(const std::wstring& answer, int confirm = platform::kIdOk) {
    host::QueueDialog(Answer(answer));
    host::QueueMessageBoxAnswer(confirm);
    DeleteCommand();
  }
  void DeleteFound(const std::wstring& pattern) {
    host::QueueDialog(Answer(pattern));
    host::QueueDialog(Script(IDD_RESULT).Click(IDOK));
    DeleteCommand();
  }
  Bytes DeletedFormOf(int64_t slot) const {
    Bytes bytes(file_.begin() + slot * kRecordSize, file_.begin() + (slot + 1) * kRecordSize);
    std::fill(bytes.begin(), bytes.begin() + 8, 0xFF);
    bytes[8] = bytes[9] = 0;
    return bytes;
  }
  std::vector<IndexEntry> Used() const {
    return std::vector<IndexEntry>(NumberIndex, NumberIndex + IndexedSlots);
  }
  Bytes file_;
};

TEST_F(DeleteCommand_, ConfirmsWritesTheDeletedFormAndKeepsTheIndex) {
  Delete(L"10");
  EXPECT_EQ(Ui(), (Lines{"dialog 111 main", "beep 0", "box main|10 Item: TEN|Are you sure?|style 1",
                         "box main|Delete|Complete"}));
  EXPECT_EQ(Shown(0).title, L"Delete item number / description");
  Bytes expected = file_;
  const Bytes deleted = DeletedFormOf(1);
  std::copy(deleted.begin(), deleted.end(), expected.begin() + kRecordSize);
  EXPECT_EQ(ReadBytes("film.dat"), expected);
  EXPECT_EQ(Used(), (std::vector<IndexEntry>{
                        {-1, 2}, {-1, 6}, {-1, 1}, {5, 4}, {20, 3}, {20, 5}, {30, 0}}));
  EXPECT_EQ(PrefixTable[1].bytes[0], 0);
  EXPECT_EQ(PrefixTable[1].bytes[1], 0);
  EXPECT_EQ(ActiveCount, 4);
  EXPECT_EQ(DeletedCount, 3);
  EXPECT_EQ(SlotCount, 7);
}

TEST_F(DeleteCommand_, ADeletedItemIsGoneByNumberAndByDescription) {
  Delete(L"30");
  FreshHost();
  host::QueueDialog(Answer(L"30"));
  FindCommand();
  EXPECT_EQ(Ui().back(), "box none|Problem|No such item: 30");
  host::QueueDialog(Answer(L"THIRTY"));
  FindCommand();
  EXPECT_EQ(Ui().back(), "box main|Finished|No match found");
}

TEST_F(DeleteCommand_, TheConfigurationShowsTheNewCountsAtOnce) {
  Delete(L"5");
  host::QueueDialog(Script(IDD_CONFIGURATION).Click(IDOK));
  ConfigurationCommand();
  const host::DialogSnapshot& shown = Runs().back().snapshots.front();
  EXPECT_EQ(shown.Text(IDC_RECORDS), L"7");
  EXPECT_EQ(shown.Text(IDC_ACTIVE), L"4");
  EXPECT_EQ(shown.Text(IDC_DELETED), L"3");
}

TEST_F(DeleteCommand_, CancelOrAConfirmationNotShownChangesNothing) {
  const std::vector<IndexEntry> before = Used();
  Delete(L"20", platform::kIdCancel);
  EXPECT_EQ(Ui().back(), "box main|20 Item: TWENTY|Are you sure?|style 1");
  EXPECT_EQ(ReadBytes("film.dat"), file_);
  EXPECT_EQ(Used(), before);
  EXPECT_EQ(ActiveCount, 5);
  Delete(L"20", /*confirm=*/0);  // the box could not be shown
  EXPECT_EQ(ReadBytes("film.dat"), file_);
  EXPECT_EQ(ActiveCount, 5);
  host::QueueDialog(Script(IDD_PROMPT).Click(IDCANCEL));
  DeleteCommand();
  EXPECT_EQ(ReadBytes("film.dat"), file_);
}

TEST_F(DeleteCommand_, ARepeatedNumberLosesTheEntryOfTheSlotDeleted) {
  DeleteFound(L"AGAIN");
  EXPECT_EQ(SlotBytes(5), DeletedFormOf(5));
  EXPECT_EQ(SlotBytes(3), Bytes(file_.begin() + 3 * kRecordSize, file_.begin() + 4 * kRecordSize));
  EXPECT_EQ(Used(), (std::vector<IndexEntry>{
                        {-1, 2}, {-1, 6}, {-1, 5}, {5, 4}, {10, 1}, {20, 3}, {30, 0}}));
  EXPECT_EQ(FindSlotByNumber(20), 3);
}

TEST_F(DeleteCommand_, AStoredNegativeNumberIsWrittenButTheIndexStays) {
  const std::vector<IndexEntry> before = Used();
  DeleteFound(L"MINUS");
  EXPECT_EQ(Ui().back(), "box main|Delete|Complete");
  EXPECT_EQ(SlotBytes(6), DeletedFormOf(6));
  EXPECT_EQ(Used(), before);
  EXPECT_EQ(PrefixTable[6].bytes[0], 0);
  EXPECT_EQ(ActiveCount, 5);
  EXPECT_EQ(DeletedCount, 2);
}

TEST_F(DeleteCommand_, FailedWritesLeaveFileIndexAndCountsAlone) {
  const struct {
    FileOp op;
    int nth;
    Fault fault;
    Lines tail;
  } cases[] = {
      {FileOp::kOpen,
       2,
       Fault::kFail,
       {"beep 0", "box none|Fatal error|Data file: film.dat, not present."}},
      {FileOp::kWrite, 1, Fault::kFail, {"beep 0", "box main|Problem|Not able to write film.dat"}},
      {FileOp::kWrite, 1, Fault::kShort, {"beep 0", "box main|Problem|Not able to write film.dat"}},
      {FileOp::kFlush, 1, Fault::kFail, {"beep 0", "box main|Problem|Not able to write film.dat"}}};
  const std::vector<IndexEntry> before = Used();
  for (const auto& c : cases) {
    FreshHost();
    faults_.Inject(c.op, c.nth, c.fault);
    Delete(L"10");
    const Lines ui = Ui();
    EXPECT_EQ(Lines(ui.end() - 2, ui.end()), c.tail);
    EXPECT_EQ(Used(), before);
    EXPECT_EQ(PrefixTable[1].bytes[0], 'T');
    EXPECT_EQ(ActiveCount, 5);
    EXPECT_EQ(ReadBytes("film.dat"), file_) << "the slot holds the old record again";
  }
}
