// The description search: the matching rule, "Next", and its failures.
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "bench/inventory_generator.h"
#include "records/description_scan.h"
#include "records/find_amend.h"
#include "records/lookup_item.h"
#include "store/slot_io.h"
#include "tests/records_fixture.h"

class DescriptionSearch : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    // Every record differs from the others in every field the dialog shows.
    std::vector<Item> items;
    const std::pair<int64_t, const char*> kSlots[] = {
        {1, "A"},  {2, "ABC"}, {3, "ABD"},  {4, "AB"},   {5, "XBY"},
        {6, "ab"}, {-1, ""},   {0, "ZERO"}, {8, "ABDE"}, {9, ""}};
    for (const auto& [number, description] : kSlots) {
      items.push_back({number, description, "S", static_cast<uint32_t>(10 + items.size()),
                       1.25f + static_cast<float>(items.size())});
    }
    Open(items);
  }
  void Search(const std::string& pattern) {
    std::strcpy(InputText, pattern.c_str());
    SearchMode = kDescriptionSearch;
    LookupItem();
  }
  // Searches and presses "Next" until the end; the descriptions shown.
  std::vector<std::string> AllMatches(const std::string& pattern) {
    Script script(IDD_RESULT);
    for (int i = 0; i < 20; ++i) script.Click(IDC_NEXT);
    host::QueueDialog(script);
    Search(pattern);
    std::vector<std::string> shown;
    if (Runs().empty()) return shown;
    const auto& snapshots = Runs()[0].snapshots;
    for (size_t i = 0; i + 1 < snapshots.size(); ++i) {
      shown.push_back(host::Narrow(snapshots[i].Text(IDC_DESCRIPTION)));
    }
    return shown;
  }
  using Texts = std::vector<std::string>;
};

TEST_F(DescriptionSearch, FollowsTheMatchingTable) {
  const struct {
    const char* pattern;
    Texts matches;
  } table[] = {{"A", {"A", "ABC", "ABD", "AB", "ABDE"}},
               {"?", {"A", "ABC", "ABD", "AB", "XBY", "ab", "ZERO", "ABDE"}},
               {"AB", {"ABC", "ABD", "AB", "ABDE"}},
               {"?B", {"ABC", "ABD", "AB", "XBY", "ABDE"}},
               {"A?D", {"ABD", "ABDE"}},
               {"ABD", {"ABD", "ABDE"}},
               {"AB?", {"ABC", "ABD", "AB", "ABDE"}},
               {"ab", {"ab"}}};
  for (const auto& row : table) {
    FreshHost();
    EXPECT_EQ(AllMatches(row.pattern), row.matches) << row.pattern;
    EXPECT_EQ(CurrentNumber, 0) << row.pattern;
    const Lines ui = Ui();
    ASSERT_GE(ui.size(), 3u);
    EXPECT_EQ(Lines(ui.end() - 2, ui.end()),
              (Lines{"beep 64", "box dialog 132|Finished|No match found"}))
        << row.pattern;
  }
}

TEST_F(DescriptionSearch, AOneCharacterPatternIsExtendedInPlace) {
  host::QueueDialog(Script(IDD_RESULT).Click(IDCANCEL));
  Search("X");
  EXPECT_STREQ(InputText, "X?");
  EXPECT_EQ(Shown(0).title, L"Inventory");
  EXPECT_EQ(Shown(0).focus, IDC_NEXT);
}

TEST_F(DescriptionSearch, AnEmptyPatternEndsAtOnceAndSilently) {
  CurrentNumber = 5;
  const int opensBefore = faults_.Count(FileOp::kOpen);
  Search("");
  EXPECT_EQ(CurrentNumber, 0);
  EXPECT_TRUE(Ui().empty());
  EXPECT_EQ(faults_.Count(FileOp::kOpen), opensBefore) << "the file is not opened";
}

TEST_F(DescriptionSearch, NoMatchAtAllIsToldWithoutABeep) {
  Search("QQ");
  EXPECT_EQ(CurrentNumber, 0);
  EXPECT_EQ(CurrentSlot, 10);
  EXPECT_EQ(Ui(), (Lines{"box main|Finished|No match found"}));
}

TEST_F(DescriptionSearch, NextShowsEveryFieldOfTheNextMatchAndOkTakesIt) {
  host::QueueDialog(Script(IDD_RESULT).Click(IDC_NEXT).Click(IDOK));
  Search("AB");
  EXPECT_EQ(CurrentNumber, 3);
  EXPECT_EQ(CurrentSlot, 2);
  EXPECT_EQ(RecordBytes(CurrentRecord), SlotBytes(2));
  const auto shown = [&](size_t snapshot) {
    const host::DialogSnapshot& s = Runs()[0].snapshots[snapshot];
    return s.Text(IDC_NUMBER) + L"|" + s.Text(IDC_DESCRIPTION) + L"|" + s.Text(IDC_RESULT_PRICE) +
           L"|" + s.Text(IDC_RESULT_IN_STOCK);
  };
  EXPECT_EQ(shown(0), L"2|ABC|2.25|11");
  EXPECT_EQ(shown(1), L"3|ABD|3.25|12");
}

TEST_F(RecordsTest, DescriptionsBeginningWithHighBytesAreFound) {
  Open(std::vector<Item>{{1,
                          "\xC9"
                          "CLAIR"},
                         {2, "CAF\xC9 NOIR"},
                         {3, "\x80 COIN"}});
  const struct {
    const wchar_t* typed;
    int64_t number;
  } cases[] = {{L"\u00e9c", 1}, {L"CAF\u00c9", 2}, {L"\u20ac", 3}};
  for (const auto& c : cases) {
    FreshHost();
    host::QueueDialog(Answer(c.typed));
    host::QueueDialog(Script(IDD_RESULT).Click(IDOK));
    FindCommand();
    EXPECT_EQ(CurrentNumber, c.number) << host::Narrow(c.typed);
  }
}

TEST_F(DescriptionSearch, CancelOrCloseGiveNothingInHand) {
  host::QueueDialog(Script(IDD_RESULT).Click(IDCANCEL));
  Search("AB");
  EXPECT_EQ(CurrentNumber, 0);
  EXPECT_EQ(RecordNumber(CurrentRecord), 2) << "the buffer still holds the item shown";
  host::QueueDialog(Script(IDD_RESULT).Close());
  Search("AB");
  EXPECT_EQ(CurrentNumber, 0);
}

TEST_F(DescriptionSearch, AStoredZeroNumberIsShownButNeverInHand) {
  host::QueueDialog(Script(IDD_RESULT).Click(IDOK));
  Search("ZE");
  EXPECT_EQ(Shown(0).Text(IDC_NUMBER), L"0");
  EXPECT_EQ(CurrentNumber, 0);
}

// A film.dat that is gone is told as not present; one that is there and
// cannot be opened now, as one that cannot be read.
TEST_F(DescriptionSearch, ReportsAMissingFileBeforeAndDuringTheSearch) {
  faults_.Inject(FileOp::kOpen, 1, Fault::kMissing);
  Search("AB");
  EXPECT_EQ(Ui(), (Lines{"box none|Fatal error|Data file: film.dat, not present."}));
  FreshHost();
  faults_.Inject(FileOp::kOpen, 1);
  Search("AB");
  EXPECT_EQ(Ui(), (Lines{"box main|Problem|Film.dat"}));

  FreshHost();
  host::QueueDialog(Script(IDD_RESULT).Click(IDC_NEXT));
  faults_.Inject(FileOp::kOpen, 2);
  Search("AB");
  EXPECT_EQ(CurrentNumber, 0);
  EXPECT_EQ(Runs()[0].result, 0);
  const std::vector<std::string> unreadable = Ui();
  FreshHost();
  host::QueueDialog(Script(IDD_RESULT).Click(IDC_NEXT));
  faults_.Inject(FileOp::kOpen, 2, Fault::kMissing);
  Search("AB");
  EXPECT_EQ(Ui(), (Lines{"dialog 132 main",
                         "box dialog 132|Fatal error|Data file: film.dat, not present."}));
  EXPECT_EQ(unreadable, (Lines{"dialog 132 main", "box dialog 132|Problem|Film.dat"}));
}

TEST_F(DescriptionSearch, AFailedOrShortReadEndsTheSearch) {
  for (Fault fault : {Fault::kFail, Fault::kShort}) {
    FreshHost();
    faults_.Inject(FileOp::kRead, 1, fault, /*persistent=*/true);
    Search("AB");
    EXPECT_EQ(CurrentNumber, 0);
    EXPECT_EQ(Ui(), (Lines{"box main|Problem|Film.dat"}));
  }
}

TEST_F(DescriptionSearch, AReadFailureDuringNextIsOwnedByTheDialog) {
  host::QueueDialog(Script(IDD_RESULT).Click(IDC_NEXT));
  // The first scan reads one block; "Next" reads again and fails.
  faults_.Inject(FileOp::kRead, 2, Fault::kFail, /*persistent=*/true);
  Search("?");
  EXPECT_EQ(CurrentNumber, 0);
  EXPECT_EQ(Ui(), (Lines{"dialog 132 main", "box dialog 132|Problem|Film.dat"}));
}

TEST_F(DescriptionSearch, DeletedAndEmptySlotsAreNeverFound) {
  const Texts all = AllMatches("??");
  EXPECT_EQ(std::count(all.begin(), all.end(), ""), 0);
}

// A generated inventory, scanned with blocks, against the rule applied to
// one record at a time.
class DescriptionSearchLarge : public RecordsTest {};

TEST_F(DescriptionSearchLarge, BlocksGiveTheSameMatchesInTheSameOrder) {
  GeneratorOptions options;
  options.slots = 3000;
  options.order = NumberOrder::kRandom;
  options.deleted = 300;
  ASSERT_TRUE(GenerateInventory(options, Path("film.dat")));
  ASSERT_TRUE(Opendata());
  const Bytes file = ReadBytes("film.dat");
  for (const char* pattern : {"R", "RED", "?L", "B?X", "??A", "??QQ", "BLUE S"}) {
    std::vector<int64_t> expected;
    for (uint32_t slot = 0; slot < options.slots; ++slot) {
      uint8_t record[kRecordSize];
      GenerateRecord(options, slot, record);
      std::string p = pattern;
      if (p.size() == 1) p += '?';
      bool match = record[kDescriptionOffset] != 0;
      for (size_t k = 0; match && k < p.size(); ++k) {
        match = p[k] == '?' || static_cast<uint8_t>(p[k]) == record[kDescriptionOffset + k];
      }
      if (match) expected.push_back(slot);
    }
    std::strcpy(InputText, pattern);
    if (InputText[1] == '\0') std::strcpy(InputText, (std::string(pattern) + "?").c_str());
    std::vector<int64_t> found;
    InventoryFile data = OpenInventoryForReading();
    ASSERT_TRUE(data);
    for (CurrentSlot = 0; ScanDescriptions(data) == ScanOutcome::kMatch; ++CurrentSlot) {
      found.push_back(CurrentSlot);
      ASSERT_TRUE(std::equal(CurrentRecord.bytes, CurrentRecord.bytes + kRecordSize,
                             file.begin() + CurrentSlot * kRecordSize));
    }
    data.Close();
    EXPECT_EQ(found, expected) << pattern;
    EXPECT_EQ(CurrentSlot, int64_t{SlotCount});
  }
}
