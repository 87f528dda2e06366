// The Find and Amend commands from the prompt to the file.
#include "records/find_amend.h"

#include <cstring>
#include <filesystem>

#include "records/delete_command.h"
#include "store/number_index.h"
#include "store/settings_image.h"
#include "tests/records_fixture.h"

class FindCommand_ : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    Open(std::vector<Item>{{12, "TWELVE"}, {100000000000000000, "BIG"}, {7, "SEVEN"}});
  }
};

TEST_F(FindCommand_, LooksNumbersUpAndShowsTheView) {
  for (const wchar_t* answer : {L"12", L"12abc", L" 12", L"+12"}) {
    FreshHost();
    host::QueueDialog(Answer(answer));
    host::QueueDialog(Script(IDD_VIEW).Click(IDOK));
    FindCommand();
    EXPECT_EQ(CurrentNumber, 12);
    EXPECT_EQ(Ui(), (Lines{"dialog 111 main", "dialog 131 main"}));
    EXPECT_EQ(Shown(0).title, L"Find number / description");
    EXPECT_EQ(Shown(1).Text(IDC_DESCRIPTION), L"TWELVE");
  }
}

TEST_F(FindCommand_, TakesNumbersUpTo10To17) {
  host::QueueDialog(Answer(L"100000000000000000"));
  host::QueueDialog(Script(IDD_VIEW).Click(IDOK));
  FindCommand();
  EXPECT_EQ(CurrentNumber, 100000000000000000);

  // One more is a description pattern of eighteen digits.
  host::QueueDialog(Answer(L"100000000000000001"));
  FindCommand();
  EXPECT_STREQ(InputText, "100000000000000001");
  EXPECT_EQ(Ui().back(), "box main|Finished|No match found");
}

TEST_F(FindCommand_, ZeroNegativeAndLettersSearchDescriptions) {
  for (const wchar_t* answer : {L"0", L"-7"}) {
    FreshHost();
    host::QueueDialog(Answer(answer));
    FindCommand();
    EXPECT_EQ(CurrentNumber, 0);
    EXPECT_EQ(Ui().back(), "box main|Finished|No match found") << host::Narrow(answer);
  }
  FreshHost();
  host::QueueDialog(Answer(L"se"));
  host::QueueDialog(Script(IDD_RESULT).Click(IDOK));
  FindCommand();
  EXPECT_EQ(CurrentNumber, 7) << "typed letters are capitals";
  EXPECT_EQ(Shown(1).Text(IDC_DESCRIPTION), L"SEVEN");
}

TEST_F(FindCommand_, CancelLeavesNothingInHand) {
  CurrentNumber = 12;
  host::QueueDialog(Script(IDD_PROMPT).Click(IDCANCEL));
  FindCommand();
  EXPECT_EQ(CurrentNumber, 0);
  EXPECT_EQ(Ui(), (Lines{"dialog 111 main"}));
}

TEST_F(FindCommand_, AnEmptyAnswerSearchesNothingSilently) {
  host::QueueDialog(Script(IDD_PROMPT).Click(IDOK));
  FindCommand();
  EXPECT_EQ(CurrentNumber, 0);
  EXPECT_EQ(Ui(), (Lines{"dialog 111 main"}));
}

class AmendCommand_ : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    Open(std::vector<Item>{{5, "ABCDEF", "SKU5"},
                           {9, "NINE"},
                           {5, "AGAIN FIVE"},
                           {-3, "MINUS"},
                           {INT64_MAX, "LARGEST"}});
    file_ = ReadBytes("film.dat");
  }
  // Amend item `answer` with these steps in the amend dialog and OK.
  void Amend(const std::wstring& answer, Script amend) {
    host::QueueDialog(Answer(answer));
    host::QueueDialog(amend.Click(IDOK));
    AmendCommand();
  }
  // The file as it was, with slot `slot` replaced by `record`.
  Bytes FileWith(int64_t slot, const InventoryRecord& record) const {
    Bytes expected = file_;
    std::copy(record.bytes, record.bytes + kRecordSize, expected.begin() + slot * kRecordSize);
    return expected;
  }
  Bytes file_;
};

TEST_F(AmendCommand_, WritesTheEditedRecordBackSilently) {
  Amend(L"9", Script(IDD_AMEND).SetText(IDC_PRICE, L"3.999").SetText(IDC_DESCRIPTION, L"NEW NAME"));
  EXPECT_EQ(Ui(), (Lines{"dialog 111 main", "dialog 130 main"}));
  EXPECT_EQ(Shown(0).title, L"Number/description/fragment");
  InventoryRecord expected = MakeItem({9, "NINE"}, 1);
  std::memcpy(expected.bytes + kDescriptionOffset, "NEW NAME", 9);
  SetRecordPrice(expected, 4.0f);
  EXPECT_EQ(ReadBytes("film.dat"), FileWith(1, expected));
  EXPECT_EQ(PrefixTable[1].bytes[0], 'N');
  EXPECT_EQ(PrefixTable[1].bytes[1], 'E');

  // Found at once under its new beginning.
  host::QueueDialog(Answer(L"NEW"));
  host::QueueDialog(Script(IDD_RESULT).Click(IDOK));
  FindCommand();
  EXPECT_EQ(CurrentNumber, 9);
  EXPECT_EQ(CurrentSlot, 1);
}

TEST_F(AmendCommand_, ANineteenDigitNumberComesBackWhole) {
  Amend(L"9223372036854775807", Script(IDD_AMEND).SetText(IDC_PRICE, L"7"));
  EXPECT_EQ(Ui(), (Lines{"dialog 111 main", "dialog 130 main"}));
  InventoryRecord expected = MakeItem({INT64_MAX, "LARGEST"}, 4);
  SetRecordPrice(expected, 7.0f);
  EXPECT_EQ(ReadBytes("film.dat"), FileWith(4, expected));
}

TEST_F(AmendCommand_, AfterAFindNeitherAmendNorDeleteShowsTheView) {
  const auto find = [&] {
    host::QueueDialog(Answer(L"9"));
    host::QueueDialog(Script(IDD_VIEW).Click(IDOK));
    FindCommand();
  };
  find();
  host::QueueDialog(Answer(L"9"));
  host::QueueDialog(Script(IDD_AMEND).Click(IDCANCEL));
  AmendCommand();
  find();
  host::QueueDialog(Answer(L"9"));
  host::QueueMessageBoxAnswer(platform::kIdCancel);
  DeleteCommand();
  EXPECT_EQ(Ui(), (Lines{"dialog 111 main", "dialog 131 main", "dialog 111 main", "dialog 130 main",
                         "dialog 111 main", "dialog 131 main", "dialog 111 main", "beep 0",
                         "box main|9 Item: NINE|Are you sure?|style 1"}));
}

TEST_F(AmendCommand_, ShorteningADescriptionKeepsTheOldTail) {
  Amend(L"5", Script(IDD_AMEND).SetText(IDC_DESCRIPTION, L"XY"));
  const Bytes slot = SlotBytes(0);
  EXPECT_EQ(Bytes(slot.begin() + 8, slot.begin() + 15), (Bytes{'X', 'Y', 0, 'D', 'E', 'F', 0}));
}

TEST_F(AmendCommand_, ARepeatedNumberIsWrittenToTheSlotItWasReadFrom) {
  host::QueueDialog(Answer(L"AGAIN"));
  host::QueueDialog(Script(IDD_RESULT).Click(IDOK));
  host::QueueDialog(Script(IDD_AMEND).SetText(IDC_DESCRIPTION, L"ZZ TOP").Click(IDOK));
  AmendCommand();
  InventoryRecord expected = MakeItem({5, "AGAIN FIVE"}, 2);
  std::memcpy(expected.bytes + kDescriptionOffset, "ZZ TOP", 7);
  EXPECT_EQ(ReadBytes("film.dat"), FileWith(2, expected));
  EXPECT_EQ(PrefixTable[2].bytes[0], 'Z');
  EXPECT_EQ(PrefixTable[0].bytes[0], 'A') << "the other slot's prefix stays";
}

TEST_F(AmendCommand_, RefusesAChangedNumberBeforeAShortDescription) {
  // The number field is read-only; text set into it stands for a change.
  Amend(L"9", Script(IDD_AMEND).SetText(IDC_NUMBER, L"10").SetText(IDC_DESCRIPTION, L"X"));
  EXPECT_EQ(Ui().back(), "box main|Problem|Number cannot be changed");
  EXPECT_EQ(ReadBytes("film.dat"), file_);
}

TEST_F(AmendCommand_, RefusesADescriptionShorterThanTwoCharacters) {
  for (const wchar_t* text : {L"X", L""}) {
    FreshHost();
    Amend(L"9", Script(IDD_AMEND).SetText(IDC_DESCRIPTION, text));
    EXPECT_EQ(Ui(), (Lines{"dialog 111 main", "dialog 130 main", "beep 0",
                           "box main|Problem|The description must have at least two characters."}));
    EXPECT_EQ(ReadBytes("film.dat"), file_);
    EXPECT_EQ(PrefixTable[1].bytes[0], 'N');
  }
  Amend(L"9", Script(IDD_AMEND).SetText(IDC_DESCRIPTION, L"XY"));
  EXPECT_EQ(SlotBytes(1)[8], 'X');
}

TEST_F(AmendCommand_, AStoredNegativeNumberIsAnInvalidNumber) {
  host::QueueDialog(Answer(L"MI"));
  host::QueueDialog(Script(IDD_RESULT).Click(IDOK));
  host::QueueDialog(Script(IDD_AMEND).SetText(IDC_DESCRIPTION, L"MM").Click(IDOK));
  AmendCommand();
  EXPECT_EQ(Ui().back(), "box main|Problem|Invalid number.");
  EXPECT_EQ(ReadBytes("film.dat"), file_);
  EXPECT_EQ(PrefixTable[3].bytes[1], 'I');
}

TEST_F(AmendCommand_, NumbersBeyondTheRangeAreLookedUpAsTheLargest) {
  host::QueueDialog(Answer(L"99999999999999999999"));
  host::QueueDialog(Script(IDD_AMEND).Click(IDCANCEL));
  AmendCommand();
  EXPECT_EQ(Shown(1).Text(IDC_NUMBER), L"9223372036854775807");
}

TEST_F(AmendCommand_, CancelsChangeNothing) {
  host::QueueDialog(Script(IDD_PROMPT).Click(IDCANCEL));
  AmendCommand();
  host::QueueDialog(Answer(L"9"));
  host::QueueDialog(Script(IDD_AMEND).SetText(IDC_DESCRIPTION, L"GONE").Click(IDCANCEL));
  AmendCommand();
  host::QueueDialog(Answer(L"404"));
  AmendCommand();
  EXPECT_EQ(Ui(), (Lines{"dialog 111 main", "dialog 111 main", "dialog 130 main", "dialog 111 main",
                         "box none|Problem|No such item: 404"}));
  EXPECT_EQ(ReadBytes("film.dat"), file_);
}

TEST_F(AmendCommand_, ReportsAFileThatCannotBeOpenedOrWritten) {
  const struct {
    FileOp op;
    Fault fault;
    const char* text;
  } cases[] = {{FileOp::kOpen, Fault::kFail, "Data file: film.dat, not present."},
               {FileOp::kWrite, Fault::kFail, "Film.dat"},
               {FileOp::kWrite, Fault::kShort, "Film.dat"},
               {FileOp::kSeek, Fault::kFail, "Film.dat"},
               {FileOp::kFlush, Fault::kFail, "Film.dat"}};
  for (const auto& c : cases) {
    FreshHost();
    host::QueueDialog(Answer(L"9"));
    host::QueueDialog(Script(IDD_AMEND).SetText(IDC_DESCRIPTION, L"NEW").Click(IDOK));
    // The write-back's own call: after the lookup's open, seek and read.
    faults_.Inject(c.op, c.op == FileOp::kOpen || c.op == FileOp::kSeek ? 2 : 1, c.fault);
    AmendCommand();
    EXPECT_EQ(Ui().back(), std::string("box main|Problem|") + c.text);
    EXPECT_EQ(ReadBytes("film.dat"), file_) << "the slot holds the old record again";
    EXPECT_EQ(PrefixTable[1].bytes[0], 'N') << "the prefix follows the file";
  }
}
