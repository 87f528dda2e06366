// filmtool import of an exported sheet: only the owner's edits reach
// film.dat, whatever changed in it since the export, and the dry run lists
// exactly the writes of the real run.
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <set>

#include "filmtool/tool.h"
#include "office/export.h"
#include "office/fields.h"
#include "office/listener.h"
#include "office/open_inventory.h"
#include "office/sheets/workbook_reader.h"
#include "store/journal.h"
#include "tests/filmtool_fixture.h"
#include "tests/kit/single_journal.h"
#include "tests/kit/workbook_parts.h"
#include "tests/sheet_commands.h"

using SheetImport = SheetCommands;
using Sheet = CsvSheet;

TEST_F(SheetImport, TakesTheOwnersEditsAndLeavesWhatChangedSinceTheExport) {
  std::vector<InventoryRecord> records = MakeItems({{10, "TEN", "S10", 4, 2.5f, 56.796f},
                                                    {11, "ELEVEN", "S11", 7},
                                                    {12, "TWELVE", "S12"},
                                                    {13, "THIRTEEN", "S13"}});
  WriteInventory(records);
  Sheet sheet = Export();
  // Since the export, the handheld counted item 11, repriced 12 and
  // deleted 13.
  ASSERT_EQ(Amend("11", {"in_stock=5"}), 0) << err_;
  ASSERT_EQ(Amend("12", {"price=9.99"}), 0) << err_;
  ASSERT_EQ(Delete("13"), 0) << err_;
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
  ASSERT_EQ(Amend("11", {"price=5", "in_stock=9"}), 0) << err_;
  ASSERT_EQ(Delete("12"), 0) << err_;
  const Bytes handheld = ReadBytes("film.dat");

  // 11's price was edited on both sides: a conflict, told with both values.
  sheet[1][kDescription] = "TEN AND A BIT";
  sheet[2][kPrice] = "6";
  EXPECT_EQ(Import(sheet), 1);
  EXPECT_TRUE(SaidParts({"in.csv:3: ", "item 11", "price", "6.00", "5.00", "since the export"}))
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
  ASSERT_EQ(Delete("10"), 0);
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
  ASSERT_EQ(Amend("10", {"sku=0013"}), 0) << err_;
  Sheet respelled = sheet;
  respelled[1][kSku] = "13";
  EXPECT_EQ(Import(respelled, " --overwrite"), 1);
  EXPECT_TRUE(SaidParts({"item 10", "sku", "13", "0013"})) << err_;
  ASSERT_EQ(Amend("10", {"sku=0012"}), 0) << err_;
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
      ASSERT_EQ(Amend(std::to_string(100 + pick(40)),
                      {"price=" + std::to_string(pick(90)), "in_stock=" + std::to_string(pick(9))}),
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

// An edit that only adds a character the owner cannot see is listed with
// its code, in the dry run and the real one alike, never as "A -> A".
TEST_F(SheetImport, AnInvisibleCharacterIsListedByItsCode) {
  WriteInventory(MakeItems({{10, "BOWL PLATE", "S10"}}));
  Sheet sheet = Export();
  sheet[1][kDescription] = "BOWL\u00A0PLATE";
  sheet[1][kSku] = "S\u00AD10";
  const std::string listed =
      "10 description: BOWL PLATE -> BOWL\\u00A0PLATE\n10 sku: S10 -> S\\u00AD10\n";
  ASSERT_EQ(Import(sheet, " --dry-run"), 0) << err_;
  EXPECT_EQ(Listed(out_), listed);
  ASSERT_EQ(Import(sheet), 0) << err_;
  EXPECT_EQ(Listed(out_), listed);
  EXPECT_EQ(Export()[1][kDescription], "BOWL\u00A0PLATE");
}

// An export whose version column the owner deleted: the rows cannot tell the
// owner's edit from a value the handheld changed since, so neither goes in
// without --overwrite, and the sheet is told what it lacks.
TEST_F(SheetCommands, ASheetWithoutItsVersionColumnUndoesNothingTheHandheldDid) {
  WriteInventory(MakeItems({{2501, "TEA TOWEL", "S1", 400}, {1901, "MUG", "S2", 5}}));
  const CsvSheet monday = WithoutVersions(Export());
  ASSERT_EQ(Amend("2501", {"in_stock=436"}), 0) << err_;
  ASSERT_EQ(Amend("1901", {"in_stock=277"}), 0) << err_;
  const Bytes wednesday = ReadBytes("film.dat");
  CsvSheet sheet = monday;
  sheet[2][kPrice] = "2.99";  // the owner's one edit
  EXPECT_EQ(Import(sheet), 1);
  EXPECT_TRUE(SaidParts({"in.csv:2: ", "item 2501", "in_stock", "400", "436"})) << err_;
  EXPECT_TRUE(SaidParts({"in.csv:3: ", "item 1901", "in_stock", "5", "277"})) << err_;
  EXPECT_TRUE(SaidParts({"in.csv:3: ", "item 1901", "price", "2.99", "1.50"})) << err_;
  EXPECT_TRUE(Said("in.csv: the version column of this export is missing")) << err_;
  EXPECT_TRUE(Said("--overwrite")) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), wednesday);
  // An unchanged sheet without its marks changes nothing and is no conflict
  // once film.dat holds what it says.
  EXPECT_EQ(Import(WithoutVersions(Export())), 0) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), wednesday);
  // With --overwrite the sheet's values are the owner's word.
  ASSERT_EQ(Import(sheet, "--overwrite"), 0) << err_;
  EXPECT_EQ(Listed(out_),
            "2501 in_stock: 436 -> 400\n1901 in_stock: 277 -> 5\n1901 price: 1.50 -> 2.99\n");
}

// A new shop's first sheet goes in without a flag, and again after a power
// cut; once the handheld has worked on the items, the same sheet is a
// hand-made one like any other.
TEST_F(SheetCommands, ANewShopsSheetGoesInOnceAndNeverUndoesTheHandheldAfter) {
  const std::string first = "number,description,price,in_stock\n1,Kettle,19.99,3\n2,Mug,4.00,6\n";
  ASSERT_EQ(Import(first, "--add"), 0) << err_;
  EXPECT_EQ(Listed(out_),
            "1 description: ITEM 1 -> KETTLE\n1 in_stock: 0 -> 3\n1 price: 0.00 -> 19.99\n"
            "2 added\n2 description:  -> MUG\n2 in_stock: 0 -> 6\n2 price: 0.00 -> 4.00\n");
  const Bytes made = ReadBytes("film.dat");
  // Imported again (its first run cut off, say): nothing left to do.
  ASSERT_EQ(Import(first, "--add"), 0) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), made);
  // A power cut left the fresh inventory alone: the sheet goes in as at first.
  InventoryRecord fresh;
  MakeFreshRecord(fresh);
  WriteInventory({fresh});
  ASSERT_EQ(Import(first, "--add"), 0) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), made);

  ASSERT_EQ(Amend("1", {"in_stock=2"}), 0) << err_;
  const Bytes counted = ReadBytes("film.dat");
  EXPECT_EQ(Import("number,description,price,in_stock\n1,Kettle,19.99,3\n2,Mug,4.50,6\n", "--add"),
            1);
  EXPECT_TRUE(SaidParts({"in.csv:2: ", "item 1", "in_stock", "3", "2"})) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), counted);
}

// A whole shop typed in at once: more new items than one journal group
// holds go in, each group appended where the one before it ended.
TEST_F(SheetCommands, AShopOfNewItemsGoesInAcrossJournalGroups) {
  std::string sheet = "number,description,price,in_stock\n";
  const int count = 5000;
  for (int i = 2; i < 2 + count; ++i) {
    sheet += std::to_string(i) + ",ITEM NUMBER " + std::to_string(i) + ",1.25,0\n";
  }
  ASSERT_EQ(Import(sheet, "--add"), 0) << err_;
  // What a new item's cell leaves as a fresh slot holds it is no change.
  EXPECT_EQ(out_.find("in_stock"), std::string::npos);
  const CsvSheet exported = Export();
  ASSERT_EQ(exported.size(), static_cast<size_t>(count) + 2);
  for (size_t row = 2; row < exported.size(); ++row) {
    ASSERT_EQ(exported[row][kNumber], std::to_string(row)) << row;
    ASSERT_EQ(exported[row][kDescription], "ITEM NUMBER " + std::to_string(row)) << row;
  }
  EXPECT_EQ(ReadBytes("film.dat").size(), (static_cast<size_t>(count) + 1) * kRecordSize);
}

// A marked row copied to make a new item: never lands on the original item,
// whatever number the copy has; with its version cell cleared it is a new
// item like any other.
TEST_F(SheetCommands, ACopiedRowNeverBecomesTheItemItWasCopiedFrom) {
  WriteInventory(MakeItems({{10, "SPOON SPOON COTTON"}, {11, "FORK"}}));
  const Bytes before = ReadBytes("film.dat");
  const CsvSheet sheet = Export();
  CsvSheet copied = sheet;
  copied.push_back(sheet[1]);
  copied.back()[kDescription] = "NEW TEA TOWEL";
  copied.back()[kPrice] = "3.50";
  for (const std::string options : {"--add", "--add --overwrite", ""}) {
    EXPECT_EQ(Import(copied, options), 1) << options;
    EXPECT_TRUE(SaidParts({"in.csv:4: ", "item 10", "stands on", "line 2"})) << err_;
    EXPECT_EQ(ReadBytes("film.dat"), before);
  }
  // The copy given a number of its own keeps the mark of another row.
  copied.back()[kNumber] = "12";
  EXPECT_EQ(Import(copied, "--add"), 1);
  EXPECT_TRUE(SaidParts({"in.csv:4: ", "item 12", "version mark", "another row"})) << err_;
  EXPECT_TRUE(Said("clear its version cell")) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), before);
  copied.back()[kVersion] = "";
  ASSERT_EQ(Import(copied, "--add"), 0) << err_;
  EXPECT_EQ(Listed(out_).substr(0, 9), "12 added\n");
  const Bytes after = ReadBytes("film.dat");
  EXPECT_EQ(Bytes(after.begin(), after.begin() + 2 * kRecordSize), before);
  // A number on two lines refuses the sheet, rows without marks alike.
  EXPECT_EQ(Import("number,price\n11,2\n11,2\n", "--overwrite"), 1);
  EXPECT_TRUE(SaidParts({"in.csv:3: ", "item 11", "stands on", "line 2"})) << err_;
}

// A mark with a digit changed, or cut short, refuses its row as damaged,
// with or without --overwrite: it could otherwise make the import see an
// edit the owner never made.
TEST_F(SheetCommands, ADamagedMarkRefusesItsRowWithOrWithoutOverwrite) {
  WriteInventory(MakeItems({{10, "TEN", "S10", 4}, {11, "ELEVEN", "S11", 7}}));
  const CsvSheet sheet = Export();
  ASSERT_EQ(Amend("11", {"in_stock=3"}), 0) << err_;
  const Bytes handheld = ReadBytes("film.dat");
  const size_t size = sheet[2][kVersion].size();
  for (size_t at : {size_t{2}, size_t{20}, size_t{60}, size - 1}) {
    CsvSheet damaged = sheet;
    damaged[2][kPrice] = "2.75";
    char& digit = damaged[2][kVersion][at];
    digit = digit == '0' ? '1' : '0';
    for (const std::string options : {"", "--overwrite"}) {
      EXPECT_EQ(Import(damaged, options), 1) << at << options;
      EXPECT_TRUE(Said("in.csv:3: item 11: the version mark of this row is damaged: export again"))
          << err_;
      EXPECT_FALSE(Said("in_stock")) << err_;
      EXPECT_EQ(ReadBytes("film.dat"), handheld);
    }
  }
  CsvSheet cut = sheet;
  cut[1][kVersion].pop_back();
  EXPECT_EQ(Import(cut, "--overwrite"), 1);
  EXPECT_TRUE(SaidParts({"in.csv:2: ", "item 10", "version mark", "damaged"})) << err_;
  // The whole mark, the same edit: the price goes in beside the handheld's
  // stock.
  CsvSheet edited = sheet;
  edited[2][kPrice] = "2.75";
  ASSERT_EQ(Import(edited), 0) << err_;
  EXPECT_EQ(Listed(out_), "11 price: 1.50 -> 2.75\n");
}

// export --all writes deleted slots too (number -1, or another number that
// counts as deleted): brought back unchanged, it changes nothing.
TEST_F(SheetCommands, EveryExportComesBackUnchanged) {
  WriteInventory(MakeItems({{10, "TEN"},
                            {-1, "GONE"},
                            {0, "ZERO"},
                            {-5, "MINUS"},
                            {-1, "AGAIN"},
                            {12, "TWELVE"},
                            {12, "TWELVE TWICE"}}));
  const Bytes before = ReadBytes("film.dat");
  const CsvSheet all = Export(/*all=*/true);
  ASSERT_EQ(all.size(), 8u);
  ASSERT_EQ(Import(all), 0) << err_;
  EXPECT_EQ(out_, "0 items changed\n");
  EXPECT_EQ(ReadBytes("film.dat"), before);
  // An edit of a deleted slot's row is refused; import leaves such slots alone.
  CsvSheet edited = all;
  edited[2][kPrice] = "9";
  EXPECT_EQ(Import(edited, "--overwrite"), 1);
  EXPECT_TRUE(
      Said("in.csv:3: this row is of a deleted slot (number -1), which import leaves alone"))
      << err_;
  EXPECT_EQ(ReadBytes("film.dat"), before);
}

// A refused import --add in a folder without film.dat leaves it empty, from
// a file or from standard input; the dry run lists what it would add; a
// folder under the name film.dat is told, in the dry run as in the real one.
TEST_F(SheetCommands, ARefusedOrDryRunAddMakesNothingInANewShopsFolder) {
  const auto files = [this] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      if (entry.path().filename() != "in.csv") names.push_back(entry.path().filename().string());
    }
    return names;
  };
  const std::string badPrice = "number,description,price\n1,Kettle,abc\n2,Mug,4\n";
  const std::string broken = "number,description,price\n1,Kettle,2\n2,\"Mug,4\n";
  for (bool standardInput : {false, true}) {
    EXPECT_EQ(Import(badPrice, "--add", standardInput), 1);
    EXPECT_TRUE(Said(":2: price: not a number: abc")) << err_;
    EXPECT_EQ(Import(broken, "--add", standardInput), 1);
    EXPECT_TRUE(Said("a quoted field has no closing quote")) << err_;
    EXPECT_EQ(files(), std::vector<std::string>()) << (standardInput ? "from -" : "from a file");
  }
  ASSERT_EQ(Import("number,description,price\n1,Kettle,19.99\n2,Mug,4\n", "--add --dry-run"), 0)
      << err_;
  EXPECT_EQ(out_,
            "film.dat would be made first, as tallo's first start makes it (item 1, \"ITEM 1\")\n"
            "1 description: ITEM 1 -> KETTLE\n1 price: 0.00 -> 19.99\n2 added\n"
            "2 description:  -> MUG\n2 price: 0.00 -> 4.00\n"
            "dry run: 1 items would change, 1 would be added; nothing written\n"
            "1 rows without a version mark were compared with film.dat as it is now\n");
  EXPECT_EQ(files(), std::vector<std::string>());

  // A folder under film.dat's name is no missing film.dat: told, not made.
  std::filesystem::create_directory(Path("film.dat"));
  for (const char* options : {"--add --dry-run", "--add"}) {
    EXPECT_EQ(Import("number,description\n2,Mug\n", options), 1) << options;
    EXPECT_TRUE(Said("film.dat is not a regular file")) << options << ": " << err_;
    EXPECT_EQ(out_, "") << options;
    EXPECT_EQ(files(), std::vector<std::string>{"film.dat"}) << options;
  }
}

// Each message of a sheet the owner can act on says what to do.
TEST_F(SheetCommands, EveryRefusalOfASheetSaysWhatToDo) {
  WriteInventory(MakeItems({{10, "TEN"}, {11, "ELEVEN"}}));
  const CsvSheet sheet = Export();
  CsvSheet gone = {sheet[0], sheet[1]};
  gone[1][kPrice] = "3";
  const std::string longText(39, 'A');
  const struct {
    std::string csv;
    const char* options;
    std::vector<std::string> said;
  } cases[] = {
      {"number,price\n5001,2\n", "", {"in.csv:2: no item 5001 in film.dat: import with --add"}},
      {"number,description,tax,cost_price\n20,NEW,,\n", "--add --dry-run", {}},
      {"number,description\n10," + longText + "\n",
       "--overwrite",
       {"in.csv:2: description: longer than the 38 characters a description holds: AAAA"}},
      {"number,description,Price \n10,TEN,2\n",
       "",
       {"in.csv:1: no such column: Price ; import reads the columns number, description, sku, "
        "in_stock, tax, cost_price, trade_price, price, category and version"}},
      {"number,price\n10,1.50\n,3.00\n",
       "",
       {"in.csv:3: a row without an item number, such as a "
        "totals row: import takes rows of items only; "
        "delete this row"}},
      {"number,price\n10,1.50\nTotal,3.00\n",
       "",
       {"in.csv:3: a row without an item number (Total)"}},
      {"number,price\n10,1.50\n,\n , \n,\n", "", {}},
      {"number,description,,\n10,TEN,,\n11,EL,EVEN,\n",
       "",
       {"in.csv:3: a value in column 3, which has no name: EVEN: a spreadsheet splits a text at a "
        "semicolon"}},
      {"\xEF\xBB\xBF\xEF\xBB\xBFnumber,price\n10,1.50\n",
       "",
       {"no such column: \\uFEFFnumber (it holds an invisible character"}},
      {"number,price\n10\xC2\xA0,1.50\n",
       "",
       {"in.csv:2: not an item number of 1 or more: 10\\u00A0"}},
      {"number,description\n10,TEN\xE2\x80\x8B\n",
       "",
       {"in.csv:2: description: code page 1252 has no U+200B: TEN\\u200B"}},
      {std::string("n\0u\0m\0b\0e\0r\0\r\0\n\0", 16),
       "",
       {"UTF-16 text without a byte order mark"}},
      {"number,in_stock\n10,4294967295\n",
       "--overwrite",
       {"in_stock: beyond 2147483647: 4294967295"}},
  };
  for (const auto& c : cases) {
    const bool goesIn = c.said.empty();
    EXPECT_EQ(Import(c.csv, c.options), goesIn ? 0 : 1) << c.csv << err_;
    for (const std::string& said : c.said) EXPECT_TRUE(Said(said)) << c.csv << " said " << err_;
    EXPECT_FALSE(Said("cut to its first") || Said("stands twice")) << err_;
  }
  // Past a hundred problems the rest are counted: each is told or counted.
  std::string many = "number,price\n";
  for (int i = 0; i < 101; ++i) many += std::to_string(1000 + i) + ",2\n";
  EXPECT_EQ(Import(many), 1);
  EXPECT_TRUE(Said("in.csv:101: ")) << err_;
  EXPECT_FALSE(Said("in.csv:102: ")) << err_;
  EXPECT_TRUE(Said("in.csv: 1 more problems and conflicts")) << err_;
  // A column of the owner's own is said once and left alone; the rest goes in.
  EXPECT_EQ(Import("number,price,notes\n10,1.50,call the supplier\n11,3,\n", "--overwrite"), 0)
      << err_;
  EXPECT_TRUE(Said("column 'notes' is not ours: ignored")) << err_;
  EXPECT_EQ(Listed(out_), "11 price: 1.50 -> 3.00\n");
  WriteInventory(MakeItems({{10, "TEN"}, {11, "ELEVEN"}}));
  many.erase(many.rfind("1100,"));
  EXPECT_EQ(Import(many), 1);
  EXPECT_TRUE(Said("in.csv:101: ")) << err_;
  EXPECT_FALSE(Said("more problems")) << err_;
  // The marked row of an item deleted since the export.
  std::filesystem::remove(Path("film.dat"));
  WriteInventory(MakeItems({{11, "ELEVEN"}}));
  EXPECT_EQ(Import(gone), 1);
  EXPECT_TRUE(Said("in.csv:2: item 10 is no longer in film.dat (deleted since the export)"))
      << err_;
  EXPECT_TRUE(Said("clear its version cell and import with --add")) << err_;
  // A folder where the new film.dat is first written.
  std::filesystem::remove(Path("film.dat"));
  std::filesystem::create_directory(Path("film.tmp"));
  EXPECT_EQ(Import("number,description\n1,Kettle\n", "--add"), 1);
  EXPECT_TRUE(Said(Path("film.tmp") + " is not a regular file")) << err_;
  EXPECT_FALSE(Said("film.dat is not a regular file")) << err_;
}

// A workbook brought back, as a spreadsheet saves one (texts as shared
// strings, numbers as numbers, a sheet of the owner's own beside it): its
// edits go in as a CSV's do, and what is refused names its sheet and cell.
TEST_F(SheetCommands, AWorkbookComesBackAsACsvDoesAndItsRefusalsNameTheCell) {
  WriteInventory(MakeItems({{10, "TEN", "0012", 4, 2.5f}, {11, "ELEVEN", "S11", 7}}));
  ASSERT_EQ(Tool([&] { return ::Export(false, Path("w.xlsx")); }), 0) << err_;
  std::vector<std::vector<std::string>> rows;
  std::string why;
  const auto exported = WorkbookReader::Open(Path("w.xlsx"), &why);
  ASSERT_TRUE(exported) << why;
  std::string name;
  WorkbookRow row;
  ASSERT_TRUE(exported->NextSheet(&name));
  while (exported->NextRow(&row)) rows.emplace_back(row.cells.begin(), row.cells.end());
  ASSERT_EQ(rows.size(), 3u);
  const auto save = [&](const std::vector<std::vector<std::string>>& stock) {
    WorkbookShape shape = AsSaved({{"Notes", {{"remember the delivery"}}}, {"Stock", stock}});
    EXPECT_TRUE(WriteZipFile(Path("saved.xlsx"), WorkbookParts(shape)));
    return shape;
  };
  const auto import = [&](const std::string& options = "") {
    return Tool([&] {
      return ::Import(Path("saved.xlsx"), options == "--dry-run", false, options == "--overwrite");
    });
  };
  const Bytes before = ReadBytes("film.dat");
  // Opened and saved, nothing edited: nothing changes.
  save(rows);
  EXPECT_EQ(import(), 0) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), before);
  EXPECT_TRUE(Said("saved.xlsx: sheet Notes names no number column in its first row: left alone"))
      << err_;
  // An edited price goes in; the SKU, text, stays 0012.
  auto edited = rows;
  edited[2][kPrice] = "3.25";
  save(edited);
  EXPECT_EQ(import(), 0) << err_;
  EXPECT_EQ(Listed(out_), "11 price: 1.50 -> 3.25\n");
  // A refused value, and a text the spreadsheet made a number, are told
  // at their cells.
  edited[2][kPrice] = "abc";
  save(edited);
  EXPECT_EQ(import(), 1);
  EXPECT_TRUE(Said("saved.xlsx:Stock!I3: price: ")) << err_;
  edited[2][kPrice] = "3.25";
  WorkbookShape shape = save(edited);
  std::string& stock = shape.sheets[1].second;
  const size_t sku = stock.find("<c r=\"D2\"");
  ASSERT_NE(sku, std::string::npos);
  stock.replace(sku, stock.find("</c>", sku) + 4 - sku, "<c r=\"D2\"><v>12</v></c>");
  ASSERT_TRUE(WriteZipFile(Path("saved.xlsx"), WorkbookParts(shape)));
  EXPECT_EQ(import("--overwrite"), 1);
  EXPECT_TRUE(
      Said("saved.xlsx:Stock!D2: item 10: sku: the sheet says 12 where film.dat says 0012: "
           "a spreadsheet made the text a number or a date; format the number, "
           "description and sku columns as Text"))
      << err_;
  // An OpenDocument spreadsheet by the same rules.
  const std::string text = "<table:table-cell office:value-type=\"string\"><text:p>";
  const std::string head = "<table:table-row>" + text + "number</text:p></table:table-cell>" +
                           text +
                           "sku</text:p></table:table-cell></table:table-row><table:table-row>" +
                           text + "10</text:p></table:table-cell>";
  ASSERT_TRUE(WriteZipFile(
      Path("saved.ods"), OdsParts({{"Stock", head + "<table:table-cell office:value-type=\"float\" "
                                                    "office:value=\"12\"/></table:table-row>"}})));
  EXPECT_EQ(Tool([&] { return ::Import(Path("saved.ods"), false, false, true); }), 1);
  EXPECT_TRUE(
      Said("saved.ods:Stock!B2: item 10: sku: the sheet says 12 where film.dat says 0012: "
           "a spreadsheet made the text a number or a date"))
      << err_;
  ASSERT_TRUE(
      WriteZipFile(Path("saved.ods"), OdsParts({{"Stock", head + text +
                                                              "0013</text:p></table:table-cell>"
                                                              "</table:table-row>"}})));
  EXPECT_EQ(Tool([&] { return ::Import(Path("saved.ods"), false, false, true); }), 0) << err_;
  EXPECT_EQ(Listed(out_), "10 sku: 0012 -> 0013\n");
  WriteBytes("film.dat", before);
  // A row typed below the export holds no cells past its last value, as a
  // spreadsheet saves it: the rest are empty values, not a short row.
  edited[2][kPrice] = "1.50";
  auto typed = edited;
  typed.push_back({"", "12", "TWELVE"});
  save(typed);
  EXPECT_EQ(Tool([&] { return ::Import(Path("saved.xlsx"), false, /*add=*/true, false); }), 0)
      << err_;
  EXPECT_EQ(Listed(out_), "12 added\n12 description:  -> TWELVE\n");
  WriteBytes("film.dat", before);
  // Cells that hold no value are no texts: an error, a formula whose value
  // the program that wrote the workbook never worked out, two values at
  // once. Each refuses its row at its cell; nothing is written.
  shape = save(edited);
  const auto put = [&shape](const std::string& at, const std::string& cell) {
    std::string& sheet = shape.sheets[1].second;
    const size_t from = sheet.find("<c r=\"" + at + "\"");
    ASSERT_NE(from, std::string::npos) << at;
    sheet.replace(from, sheet.find("</c>", from) + 4 - from, cell);
  };
  put("C2", "<c r=\"C2\" t=\"e\"><f>#REF!</f><v>#REF!</v></c>");
  put("D3", "<c r=\"D3\" t=\"str\"><f>A1</f></c>");
  put("I3", "<c r=\"I3\" t=\"inlineStr\"><v>5</v><is><t>6</t></is></c>");
  ASSERT_TRUE(WriteZipFile(Path("saved.xlsx"), WorkbookParts(shape)));
  const Bytes edits = ReadBytes("film.dat");
  EXPECT_EQ(import(), 1);
  EXPECT_TRUE(
      Said("saved.xlsx:Stock!C2: the cell holds a formula error (#REF!), no value: put a "
           "value there"))
      << err_;
  EXPECT_TRUE(
      Said("saved.xlsx:Stock!D3: the cell holds a formula whose value the program that "
           "wrote the workbook did not work out"))
      << err_;
  EXPECT_TRUE(Said("saved.xlsx:Stock!I3: the cell holds two values at once")) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), edits);
  // In a CSV a cell is text, whatever it says: #REF! may be an SKU.
  CsvSheet csv = Export();
  csv[1][kSku] = "#REF!";
  EXPECT_EQ(Import(csv), 0) << err_;
  EXPECT_EQ(Listed(out_), "10 sku: 0012 -> #REF!\n");
  // The sheets a spreadsheet hides, or hides past its menus, are not read,
  // and told: the owner cannot see their edits.
  auto secret = rows;
  secret[1][kPrice] = "9.99";
  WorkbookShape hidden = AsSaved({{"Stock", rows}, {"Old", secret}, {"Sums", secret}});
  hidden.states = {"", "hidden", "veryHidden"};
  ASSERT_TRUE(WriteZipFile(Path("saved.xlsx"), WorkbookParts(hidden)));
  EXPECT_EQ(import(), 0) << err_;
  EXPECT_EQ(out_, "0 items changed\n");
  EXPECT_TRUE(Said("saved.xlsx: the workbook has a hidden sheet 'Old': its rows are not read"))
      << err_;
  EXPECT_TRUE(Said("saved.xlsx: the workbook has a hidden sheet 'Sums': its rows are not read"))
      << err_;
  // An empty sheet before the stock is passed over, as the owner's notes are.
  ASSERT_TRUE(
      WriteZipFile(Path("saved.xlsx"), WorkbookParts(AsSaved({{"Blank", {}}, {"Stock", rows}}))));
  EXPECT_EQ(import(), 0) << err_;
  // One line an item across the sheets of a workbook too.
  save(edited);
  WorkbookShape two = AsSaved({{"Stock", rows}, {"More", {rows[0], rows[1]}}});
  ASSERT_TRUE(WriteZipFile(Path("saved.xlsx"), WorkbookParts(two)));
  EXPECT_EQ(import(), 1);
  EXPECT_TRUE(Said("saved.xlsx:More row 2: item 10 stands on Stock row 2 already")) << err_;
  EXPECT_EQ(ReadBytes("film.dat").size(), before.size());
}
