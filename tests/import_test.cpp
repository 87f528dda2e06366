// filmtool import of an exported sheet: only the owner's edits reach
// film.dat, whatever changed in it since the export, and the dry run lists
// exactly the writes of the real run.
#include <map>
#include <random>
#include <set>

#include "store/journal.h"
#include "tests/filmtool_fixture.h"
#include "tests/kit/single_journal.h"

namespace {

// "number field: old -> new" lines, without the summary that follows them.
std::string Listed(const std::string& out) {
  std::string lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.find(" -> ") != std::string::npos || line.find(" added") != std::string::npos) {
      lines += line + "\n";
    }
  }
  return lines;
}

}  // namespace

using SheetImport = Filmtool;

TEST_F(SheetImport, TakesTheOwnersEditsAndLeavesWhatChangedSinceTheExport) {
  std::vector<InventoryRecord> records = MakeItems({{10, "TEN", "S10", 4, 2.5f, 56.796f},
                                                    {11, "ELEVEN", "S11", 7},
                                                    {12, "TWELVE", "S12"},
                                                    {13, "THIRTEEN", "S13"}});
  WriteInventory(records);
  Sheet sheet = Export();
  // Since the export, the handheld counted item 11, repriced 12 and
  // deleted 13.
  ASSERT_EQ(Run(Tool("amend", "11 in_stock=5")), 0) << err_;
  ASSERT_EQ(Run(Tool("amend", "12 price=9.99")), 0) << err_;
  ASSERT_EQ(Run(Tool("delete", "13")), 0) << err_;
  const Bytes handheld = ReadBytes("film.dat");

  // An unchanged sheet changes nothing, though film.dat changed since.
  ASSERT_EQ(Import(sheet), 0) << err_;
  EXPECT_EQ(out_, "0 items changed\n");
  EXPECT_EQ(ReadBytes("film.dat"), handheld);

  // The owner reprices 10 and 11; the spreadsheet drops trailing zeros
  // everywhere, and someone typed the descriptions in small letters, which
  // the field raises.
  sheet[1][kPrice] = "2.49";
  sheet[2][kPrice] = "3";
  for (size_t r = 1; r < sheet.size(); ++r) {
    for (int c : {kCost, kTrade, kPrice}) {
      std::string& v = sheet[r][static_cast<size_t>(c)];
      while (v.find('.') != std::string::npos && (v.back() == '0' || v.back() == '.')) v.pop_back();
    }
    for (char& c : sheet[r][kDescription]) c = static_cast<char>(std::tolower(c));
  }
  ASSERT_EQ(Import(sheet, " --dry-run"), 0) << err_;
  const std::string listed = "10 price: 2.50 -> 2.49\n11 price: 1.50 -> 3.00\n";
  EXPECT_EQ(Listed(out_), listed);
  EXPECT_EQ(ReadBytes("film.dat"), handheld);
  ASSERT_EQ(Import(sheet), 0) << err_;
  EXPECT_EQ(out_, listed + "2 items changed\n");

  // Only the two prices changed: 10's cost price 56.796 stays, 11 keeps the
  // handheld's count, 12 its new price, 13 stays deleted.
  Bytes expected = handheld;
  for (auto [slot, price] : {std::pair<int, float>{0, 2.49f}, {1, 3.0f}}) {
    InventoryRecord r;
    std::copy_n(expected.begin() + slot * kRecordSize, kRecordSize, r.bytes);
    SetRecordPrice(r, price);
    std::copy_n(r.bytes, kRecordSize, expected.begin() + slot * kRecordSize);
  }
  EXPECT_EQ(ReadBytes("film.dat"), expected);
}

TEST_F(SheetImport, ConflictsRefuseTheSheetUnlessTheOwnerOverwrites) {
  WriteInventory(MakeItems({{10, "TEN"}, {11, "ELEVEN"}, {12, "TWELVE"}}));
  Sheet sheet = Export();
  ASSERT_EQ(Run(Tool("amend", "11 price=5 in_stock=9")), 0) << err_;
  ASSERT_EQ(Run(Tool("delete", "12")), 0) << err_;
  const Bytes handheld = ReadBytes("film.dat");

  // 11's price was edited on both sides: a conflict, told with both values.
  sheet[1][kDescription] = "TEN AND A BIT";
  sheet[2][kPrice] = "6";
  EXPECT_EQ(Import(sheet), 1);
  EXPECT_NE(err_.find("in.csv:3: item 11: price: the sheet says 6, film.dat now says 5.00 "
                      "(changed since the export)"),
            std::string::npos)
      << err_;
  EXPECT_NE(err_.find("--overwrite"), std::string::npos) << err_;
  EXPECT_EQ(Import(sheet, " --dry-run"), 1);
  EXPECT_EQ(ReadBytes("film.dat"), handheld);
  ASSERT_EQ(Import(sheet, " --overwrite"), 0) << err_;
  EXPECT_EQ(Listed(out_), "10 description: TEN -> TEN AND A BIT\n11 price: 5.00 -> 6.00\n");

  // A marked row never adds an item or lands on another: not after a
  // delete, not with a number a spreadsheet rounded, not with --add.
  sheet = Export();
  Sheet twelve = Sheet{sheet[0], sheet[1]};
  twelve[1][kPrice] = "7";
  twelve[1][kNumber] = "11";  // row of 10 under 11's number
  for (const std::string options : {"", " --overwrite", " --add"}) {
    EXPECT_EQ(Import(twelve, options), 1);
    EXPECT_NE(err_.find("in.csv:2: item 11: this row's version mark was made for another row"),
              std::string::npos)
        << err_;
  }
  Sheet gone = {sheet[0], sheet[1]};
  ASSERT_EQ(Run(Tool("delete", "10")), 0);
  gone[1][kPrice] = "8";
  for (const std::string options : {"", " --overwrite", " --add"}) {
    EXPECT_EQ(Import(gone, options), 1);
    EXPECT_NE(err_.find("in.csv:2: item 10 is no longer in film.dat (deleted since the export)"),
              std::string::npos)
        << err_;
  }
}

TEST_F(SheetImport, TextsASpreadsheetReadAsNumbersOrDatesAreRefusedWithTheFix) {
  WriteInventory(MakeItems({{10, "TEN", "0012"},
                            {11, "ELEVEN", "1E5"},
                            {12, "1/2", "S12"},
                            {13, "MARCH 5", "S13"},
                            {14, "FOURTEEN", "12.50"}}));
  const Sheet sheet = Export();
  const struct {
    size_t row;
    Column column;
    const char* sheet;
  } damaged[] = {{1, kSku, "12"},
                 {2, kSku, "100000"},
                 {3, kDescription, "01/02/2026"},
                 {4, kDescription, "2026-03-05"},
                 {5, kSku, "12.5"}};
  const Bytes before = ReadBytes("film.dat");
  for (const auto& d : damaged) {
    Sheet s = sheet;
    s[d.row][static_cast<size_t>(d.column)] = d.sheet;
    EXPECT_EQ(Import(s), 1) << d.sheet;
    EXPECT_NE(err_.find("item " + sheet[d.row][kNumber] + ": " +
                        (d.column == kSku ? "sku" : "description") + ": the sheet says " + d.sheet),
              std::string::npos)
        << err_;
    EXPECT_NE(err_.find("as Text"), std::string::npos) << err_;
    EXPECT_EQ(ReadBytes("film.dat"), before);
  }
  // Nor does --overwrite let one in over a text the handheld changed since.
  ASSERT_EQ(Run(Tool("amend", "10 sku=0013")), 0) << err_;
  Sheet respelled = sheet;
  respelled[1][kSku] = "13";
  EXPECT_EQ(Import(respelled, " --overwrite"), 1);
  EXPECT_NE(err_.find("item 10: sku: the sheet says 13 where film.dat says 0013"), std::string::npos)
      << err_;
  ASSERT_EQ(Run(Tool("amend", "10 sku=0012")), 0) << err_;
  // A real edit of such a text goes in.
  Sheet s = sheet;
  s[1][kSku] = "0013";
  ASSERT_EQ(Import(s), 0) << err_;
  EXPECT_EQ(Listed(out_), "10 sku: 0012 -> 0013\n");
}

// Random sheets over a random inventory that the handheld changed since the
// export, some with a change a power cut left in the journal: the dry run
// lists exactly what the real run lists, and film.dat changes in exactly
// the fields listed.
TEST_F(SheetImport, TheDryRunListsTheRealRunsWrites) {
  std::mt19937 random(7);
  const auto pick = [&random](int n) {
    return static_cast<int>(random() % static_cast<unsigned>(n));
  };
  for (int round = 0; round < 12; ++round) {
    std::vector<Item> items;
    for (int i = 0; i < 40; ++i) {
      items.push_back(Item{100 + i, "ITEM " + std::to_string(i), "S" + std::to_string(pick(50)),
                           static_cast<uint32_t>(pick(20)), pick(1000) / 7.0f, pick(1000) / 3.0f,
                           pick(1000) / 9.0f, static_cast<uint32_t>(pick(18)),
                           static_cast<uint32_t>(pick(4))});
    }
    WriteInventory(MakeItems(items));
    Sheet sheet = Export();
    for (int k = 0; k < 6; ++k) {
      ASSERT_EQ(
          Run(Tool("amend", std::to_string(100 + pick(40)) + " price=" + std::to_string(pick(90)) +
                                " in_stock=" + std::to_string(pick(9)))),
          0);
    }
    for (size_t r = 1; r < sheet.size(); ++r) {
      std::vector<std::string>& row = sheet[r];
      switch (pick(6)) {
        case 0:
          row[kPrice] = std::to_string(pick(90)) + ".5";
          break;
        case 1:
          row[kCost] = row[kCost].substr(0, row[kCost].size() - 1);
          break;
        case 2:
          row[kDescription] = "item " + std::to_string(pick(9));
          break;
        case 3:
          row[kInStock] = std::to_string(pick(9));
          break;
        default:
          break;
      }
    }
    if (round % 3 == 0) {
      // A change the power cut left whole in the journal: slot 5 to hold 999.
      const Bytes film = ReadBytes("film.dat");
      WriteBytes("film.jnl", SingleFormJournal(film, 5, MakeItem(Item{105, "JOURNALLED"}, 5)));
    }
    ASSERT_EQ(Import(sheet, " --overwrite --dry-run"), 0) << err_;
    const std::string dry = Listed(out_);
    const Sheet before = Export();
    ASSERT_EQ(Import(sheet, " --overwrite"), 0) << err_;
    EXPECT_EQ(Listed(out_), dry) << "round " << round;
    // What changed in film.dat, field by field, is what was listed.
    const Sheet after = Export();
    ASSERT_EQ(after.size(), before.size());
    std::string changed;
    for (size_t r = 1; r < after.size(); ++r) {
      for (int c = kDescription; c <= kCategory; ++c) {
        if (after[r][static_cast<size_t>(c)] != before[r][static_cast<size_t>(c)]) {
          changed += after[r][kNumber] + " " + before[0][static_cast<size_t>(c)] + ": " +
                     before[r][static_cast<size_t>(c)] + " -> " + after[r][static_cast<size_t>(c)] +
                     "\n";
        }
      }
    }
    EXPECT_EQ(changed, dry) << "round " << round;
  }
}
