// filmtool as the back office and the tests use it: real files in a temp
// folder, its commands run in this process, and the tool run as its own
// process where the story is the program's (its arguments, exit status,
// output streams, code page variable).
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <thread>

#include "office/sheets/sheet_writer.h"
#include "records/item_dialogs.h"
#include "store/field_rules.h"
#include "store/journal.h"
#include "store/settings_image.h"
#include "tests/filmtool_fixture.h"
#include "tests/kit/single_journal.h"

TEST_F(Filmtool, StatsOfAGeneratedInventory) {
  std::filesystem::create_directory(Path("shop"));
  ASSERT_EQ(Run(std::string(GENINV_PATH) + " " + Path("shop/film.dat") +
                " --slots 1000 --order random --deleted 100"),
            0);
  EXPECT_EQ(std::filesystem::file_size(Path("shop/film.dat")), 1000u * kRecordSize);
  ASSERT_EQ(Run(std::string(FILMTOOL_PATH) + " stats " + Path("shop")), 0) << err_;
  std::istringstream lines(out_);
  std::string word;
  int slots = 0, active = 0, deleted = 0;
  lines >> word >> slots >> word >> active >> word >> deleted;
  EXPECT_EQ(slots, 1000);
  EXPECT_EQ(active, 900);
  EXPECT_EQ(deleted, 100);
  EXPECT_EQ(err_, "");
}

TEST_F(FilmtoolCommands, IndexAndPrefixOfASmallInventory) {
  WriteInventory({MakeRecord(5, "FIVE"), MakeRecord(0, "ZERO"), MakeRecord(3, "\xE9X")});
  ASSERT_EQ(Tool([] { return ::Index(); }), 0);
  EXPECT_EQ(out_, "-1 1\n3 2\n5 0\n");
  ASSERT_EQ(Tool([] { return ::Prefix(); }), 0);
  EXPECT_EQ(out_, "4649\n5a45\ne958\n");
}

TEST_F(Filmtool, MessagesGoToStandardErrorAndFailureExitsWith1) {
  WriteBytes("film.dat", Bytes(3749, 0));
  EXPECT_EQ(Run(Tool("stats")), 1);
  EXPECT_EQ(err_, "Fatal error: Data file film.dat corrupt in Opendata.\n");
  EXPECT_EQ(out_, "");
}

TEST_F(Filmtool, AnOutputThatFailsIsToldAndEndsTheCommand) {
  ASSERT_EQ(Run(std::string(GENINV_PATH) + " " + Path("film.dat") + " --slots 3000"), 0);
  EXPECT_EQ(Run("{ " + Tool("export") + " >/dev/full; }"), 1);
  EXPECT_EQ(err_,
            "filmtool: standard output cannot be written: the disk or card is full: what was "
            "printed before is cut short\n");
  EXPECT_EQ(Run("{ " + Tool("stats") + " >&-; }"), 1);
  EXPECT_EQ(err_,
            "filmtool: standard output is closed: give the tool a file or program to print to\n");
  // A reader that stops after one byte: the rest of the sheet is refused.
  Run("{ { " + Tool("export") + "; echo $? >" + Path("status") + "; } | head -c 1 >/dev/null; }");
  EXPECT_EQ(Text("status"), "1\n");
  EXPECT_EQ(err_,
            "filmtool: standard output cannot be written: the program reading it has stopped: "
            "what was printed before is cut short\n");
}

TEST_F(Filmtool, TheCardFolderStandsForTheStorageCard) {
  Bytes settings(kSettingsSize, 0);
  settings[kStorageOffset + 3] = 0x40;  // storage option 2.0
  WriteBytes("tallo.cfg", settings);
  std::filesystem::create_directory(Path("card"));
  WriteInventory({MakeRecord(1, "A1"), MakeRecord(2, "B2")}, "card/film.dat");
  ASSERT_EQ(Run(Tool("stats") + " --card " + Path("card")), 0);
  EXPECT_EQ(out_, "slots 2\nactive 2\ndeleted 0\n");
  // A card folder named from where the tool starts, not from the folder.
  const std::filesystem::path here(folder_);
  ASSERT_EQ(Run("cd " + here.parent_path().string() + " && " + Tool("stats") + " --card " +
                (here.filename() / "card").string()),
            0)
      << err_;
  EXPECT_EQ(out_, "slots 2\nactive 2\ndeleted 0\n");
  // No card: the device's film.dat, which a report never makes.
  EXPECT_EQ(Run(Tool("stats")), 1);
  EXPECT_EQ(err_, "Problem: No memory card.\nfilmtool: " + Path("film.dat") + ": no such file\n");
  EXPECT_FALSE(std::filesystem::exists(Path("film.dat")));
}

TEST_F(Filmtool, ReportsNeverMakeAnInventoryAndEveryRefusalNamesItsCause) {
  for (const char* report : {"stats", "index", "prefix", "export"}) {
    EXPECT_EQ(Run(Tool(report)), 1) << report;
    EXPECT_EQ(err_, "filmtool: " + Path("film.dat") + ": no such file\n") << report;
  }
  EXPECT_EQ(Run(Tool("check")), 1);
  EXPECT_EQ(Run(Tool("amend", "1 price=2")), 1);
  EXPECT_EQ(Run(Tool("import", Path("none.csv"))), 1);
  EXPECT_FALSE(std::filesystem::exists(Path("film.dat")));
  EXPECT_FALSE(std::filesystem::exists(Path("tallo.cfg")));

  EXPECT_EQ(Run(std::string(FILMTOOL_PATH) + " stats " + Path("nowhere")), 1);
  EXPECT_EQ(err_, "filmtool: " + Path("nowhere") + ": no such folder\n");
  // A folder named by nothing is no folder: not even the one the tool runs in.
  WriteInventory(MakeItems({{11, "ELEVEN"}}));
  const Bytes eleven = ReadBytes("film.dat");
  EXPECT_EQ(Run(std::string("cd ") + folder_ + " && " + FILMTOOL_PATH + " delete '' 11"), 2);
  EXPECT_NE(err_.find("the folder is empty"), std::string::npos) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), eleven);
  EXPECT_EQ(Run(Tool("stock")), 2);
  EXPECT_EQ(err_.substr(0, err_.find('\n')), "filmtool: unknown command: stock");
  WriteInventory(MakeItems({{10, "TEN"}}));
  EXPECT_EQ(Run(Tool("amend", "99999999999999999999 price=2")), 1);
  EXPECT_EQ(err_,
            "filmtool: beyond 9223372036854775807, the largest item number: "
            "99999999999999999999\n");

  // A link or a pipe under the journal's name or the inventory's is refused
  // by name: never written through, never waited on.
  const Bytes ours = ReadBytes("film.dat");
  std::filesystem::create_directory(Path("other"));
  WriteInventory(MakeItems({{10, "OTHER SHOP"}}), "other/film.dat");
  const Bytes theirs = ReadBytes("other/film.dat");
  std::filesystem::create_symlink(Path("other/film.dat"), Path("film.jnl"));
  EXPECT_EQ(Run(Tool("amend", "10 price=2")), 1);
  EXPECT_EQ(err_, "filmtool: " + Path("film.jnl") + " is not a regular file\n");
  EXPECT_EQ(ReadBytes("other/film.dat"), theirs);
  EXPECT_EQ(ReadBytes("film.dat"), ours);
  std::filesystem::remove(Path("film.jnl"));
  std::filesystem::rename(Path("film.dat"), Path("ours.dat"));
  ASSERT_EQ(::mkfifo(Path("film.dat").c_str(), 0644), 0);
  for (const std::string& command : {Tool("stats"), Tool("amend", "10 price=2")}) {
    EXPECT_EQ(Run(command), 1) << command;
    EXPECT_EQ(err_, "filmtool: " + Path("film.dat") + " is not a regular file\n") << command;
  }
}

TEST_F(FilmtoolCommands, CheckSettlesAJournalThenReportsEveryProblemOnALine) {
  InventoryRecord unterminated = MakeRecord(4, "");
  std::fill_n(unterminated.bytes + kDescriptionOffset, kDescriptionSize, 'D');
  std::fill_n(unterminated.bytes + kSku1Offset, kSku1Size, 'S');
  // In code page 1252 0x9D is a C1 control character, 0x80 the euro sign.
  std::vector<InventoryRecord> records = MakeItems({{7, "SEVEN \x80", "C1\x9D"},
                                                    {0, "ZERO"},
                                                    {7, "AGAIN", "TAB\tBED"},
                                                    {-5, ""},
                                                    {4, ""},
                                                    {-1, ""}});
  records[4] = unterminated;
  WriteInventory(records);
  // A whole journal of a write of slot 5 that never began.
  const Bytes film = ReadBytes("film.dat");
  const InventoryRecord nine = MakeItem({9, "NINE"});
  WriteBytes("film.jnl", SingleFormJournal(film, 5, nine));
  WriteBytes("tallo.tmp", Bytes(10, 2));
  EXPECT_EQ(Tool([] { return ::Check(); }), 2);
  const std::string f = Path("film.dat") + ": ";
  const std::string problems =
      f + "slot 0: SKU1 holds a control character, 0x9D\n" + f +
      "slot 1: number 0 counts as deleted, yet a description search still finds it\n" + f +
      "slot 2: SKU1 holds a control character, 0x09\n" + f +
      "slot 3: number -5 counts as deleted\n" + f +
      "slot 4: the Description has no terminator in its 82 bytes\n" + f +
      "slot 4: SKU1 has no terminator in its 580 bytes\n" + f + "number 7 stands in slots 0, 2\n";
  // The journal is settled, as every reader settles one, and then slot 5
  // holds item 9.
  EXPECT_EQ(out_, f + Path("film.jnl") + " held an unfinished write of slot 5: finished now\n" + f +
                      Path("tallo.tmp") +
                      " is a temporary file a power cut left (the next start removes it)\n" +
                      problems + f + "6 slots, 4 active, 2 deleted, 8 problems\n");
  EXPECT_FALSE(WholeJournal());
  EXPECT_EQ(SlotBytes(5), RecordBytes(nine));

  std::filesystem::remove(Path("film.jnl"));
  std::filesystem::remove(Path("tallo.tmp"));
  WriteInventory(MakeItems({{1, "ONE"}, {-1, ""}}));
  EXPECT_EQ(Tool([] { return ::Check(); }), 0);
  EXPECT_EQ(out_, f + "2 slots, 1 active, 1 deleted, 0 problems\n");
  WriteBytes("film.dat", Bytes(kRecordSize + 1, 0));
  EXPECT_EQ(Tool([] { return ::Check(); }), 1);
  EXPECT_EQ(out_, f + "1875 bytes are no whole number of 1874-byte records\n" + f +
                      "not an inventory, 1 problems\n");
  WriteBytes("film.dat", Bytes{});
  EXPECT_EQ(Tool([] { return ::Check(); }), 1);
  EXPECT_EQ(out_, f + "is empty\n" + f + "not an inventory, 1 problems\n");
  std::filesystem::remove(Path("film.dat"));
  EXPECT_EQ(Tool([] { return ::Check(); }), 1);
  EXPECT_EQ(out_, f + "cannot be opened\n" + f + "not an inventory, 1 problems\n");
}

TEST_F(Filmtool, ExportReadsBackWithACsvReader) {
  WriteInventory(MakeItems({{12, "CAF\xC9 \x80 2", "A,B", 7, 2.5f, 0.75f, 1.25f, 17, 3},
                            {-1, "A;B", "\tX"},
                            {13, "SAY \"HI\"\r\nTWICE", "S"},
                            {0, "ZERO", " PAD "}}));
  ASSERT_EQ(Run(Tool("export")), 0) << err_;
  const auto rows = ReadCsv(out_);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"slot", "number", "description", "sku", "in_stock",
                                               "tax", "cost_price", "trade_price", "price",
                                               "category", "version"}));
  EXPECT_EQ(std::vector<std::string>(rows[1].begin(), rows[1].end() - 1),
            (std::vector<std::string>{"0", "12", "CAF\u00c9 \u20ac 2", "A,B", "7", "3", "0.75",
                                      "1.25", "2.50", "17"}));
  EXPECT_EQ(rows[1].back().substr(0, 2), "v2");
  EXPECT_EQ(rows[2][2], "SAY \"HI\"\r\nTWICE");
  ASSERT_EQ(Run(Tool("export", "--all")), 0);
  // Quoted: what a spreadsheet could take for a separator, and blank ends.
  EXPECT_NE(out_.find(",\"A;B\",\"\tX\","), std::string::npos) << out_;
  EXPECT_NE(out_.find(",\" PAD \","), std::string::npos) << out_;
  const auto all = ReadCsv(out_);
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[2][1], "-1");
  EXPECT_EQ(all[4][1], "0");
  EXPECT_EQ(all[4][2], "ZERO");
}

TEST_F(FilmtoolCommands, AmendStoresWhatTheAmendDialogStoresForTheSameText) {
  const std::vector<InventoryRecord> records =
      MakeItems({{10, "TEN", "S10"}, {11, "ELEVEN", "S11", 4, 2.5f, 0.5f, 1.0f, 2, 1}});
  Open(records);
  const struct {
    const char* field;
    int control;
    const char* text;
  } cases[] = {{"description", IDC_DESCRIPTION, "caf\xC3\xA9 au lait"},
               {"description", IDC_DESCRIPTION, "a description of more than thirty-eight chars"},
               {"sku", IDC_SKU1, "x-1,2"},
               {"in_stock", IDC_IN_STOCK, "2147483647"},
               {"in_stock", IDC_IN_STOCK, "0"},
               {"price", IDC_PRICE, "2.999"},
               {"price", IDC_PRICE, "-1.005"},
               {"cost_price", IDC_COST_PRICE, "1.999"},
               {"trade_price", IDC_TRADE_PRICE, "3.4e38"},
               {"category", IDC_CATEGORY, "17"},
               {"tax", IDC_TAX, "3"},
               {"tax", IDC_TAX, "1 and 2"},
               {"tax", IDC_TAX, "non"}};
  for (const auto& c : cases) {
    CurrentRecord = records[1];
    Script amend(IDD_AMEND);
    if (c.control == IDC_TAX) {
      amend.Pick(IDC_TAX, std::atoi(c.text));
    } else {
      amend.SetText(c.control, host::Widen(c.text));
    }
    host::QueueDialog(amend.Click(IDOK));
    ASSERT_EQ(RunAmendDialog(), DialogResult::kOk);
    WriteInventory(records);
    EXPECT_EQ(Amend("11", {std::string(c.field) + "=" + c.text}), 0)
        << c.field << "=" << c.text << ": " << err_;
    EXPECT_EQ(SlotBytes(1), RecordBytes(CurrentRecord)) << c.field << "=" << c.text;
    EXPECT_EQ(SlotBytes(0), RecordBytes(records[0]));
    EXPECT_FALSE(WholeJournal());
  }
}

TEST_F(FilmtoolCommands, RefusalsLeaveTheFileByteForByteUnchanged) {
  WriteInventory(MakeItems({{10, "TEN"}, {11, "ELEVEN"}}));
  const Bytes before = ReadBytes("film.dat");
  const struct {
    const char* number;
    std::vector<std::string> assignments;
    const char* said;
  } cases[] = {
      {"11", {"price=abc"}, "filmtool: price: not a number: abc\n"},
      {"11", {"price=1e39"}, "filmtool: price: too large for a price: 1e39\n"},
      {"11", {"price=1e309"}, "filmtool: price: too large for a price: 1e309\n"},
      {"11", {"cost_price=-inf"}, "filmtool: cost_price: an infinity is no price: -inf\n"},
      {"11", {"trade_price=NaN"}, "filmtool: trade_price: NaN (not a number) is no price: NaN\n"},
      {"11",
       {"price=2,49"},
       "filmtool: price: a decimal comma: write the price with a point: 2,49\n"},
      {"11",
       {"description=TWO\nLINES"},
       "filmtool: description: a control character, U+000A, is no part of a text: TWO\\x0ALINES\n"},
      {"11",
       {"sku=\x1b[31mRED"},
       "filmtool: sku: a control character, U+001B, is no part of a text: \\x1B[31mRED\n"},
      {"11", {"in_stock=2147483648"}, "filmtool: in_stock: beyond 2147483647: 2147483648\n"},
      {"11", {"in_stock=-1"}, "filmtool: in_stock: not a whole number of 0 or more: -1\n"},
      {"11", {"in_stock=12abc"}, "filmtool: in_stock: not a whole number of 0 or more: 12abc\n"},
      {"11", {"category=18"}, "filmtool: category: beyond 17: 18\n"},
      {"11", {"tax=4"}, "filmtool: tax: not a list position 0 to 3 nor an entry's text: 4\n"},
      {"11",
       {"description=\xC4\x80X"},
       "filmtool: description: code page 1252 has no \xC4\x80 (U+0100): \xC4\x80X\n"},
      // Named as typed, never as the capital the field would make of it.
      {"11",
       {"description=\xC4\x81X"},
       "filmtool: description: code page 1252 has no \xC4\x81 (U+0101): \xC4\x81X\n"},
      {"11",
       {"sku=\xC6\x92X"},
       "filmtool: sku: code page 1252 has no capital for \xC6\x92 (U+0192): \xC6\x92X\n"},
      {"11", {"description=X"}, "The description must have at least two characters.\n"},
      {"11",
       {"price=2", "colour=red"},
       "filmtool: not FIELD=VALUE with a field of the amend dialog: "
       "colour=red\n"},
      {"12", {"price=2"}, "Problem: No such item: 12\n"},
      {"0", {"price=2"}, "filmtool: not an item number of 1 or more: 0\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Amend(c.number, c.assignments), 1) << c.said;
    EXPECT_NE(err_.find(c.said), std::string::npos) << c.said << " said " << err_;
    EXPECT_EQ(ReadBytes("film.dat"), before) << c.said;
  }
  // Values of any length are read in bounded time and stack.
  const std::string digits(30000, '7');
  EXPECT_EQ(Amend("11", {"in_stock=" + digits}), 1);
  EXPECT_NE(err_.find("filmtool: in_stock: longer than any value of the column (64 characters): "
                      "777777"),
            std::string::npos)
      << err_;
  EXPECT_LT(err_.size(), 300u);
  EXPECT_EQ(Amend(digits, {"price=2"}), 1);
  EXPECT_NE(err_.find("filmtool: longer than any item number: 7777"), std::string::npos) << err_;
  EXPECT_EQ(Delete("12"), 1);
  EXPECT_EQ(err_, "Problem: No such item: 12\n");
  EXPECT_EQ(ReadBytes("film.dat"), before);
  // A price of -0 is stored as 0, never shown as -0.00.
  ASSERT_EQ(Amend("11", {"price=-0", "cost_price=-0.0001"}), 0) << err_;
  ASSERT_EQ(Tool([] { return ::Export(/*all=*/false, /*workbook=*/""); }), 0);
  // The cost price is kept as typed, the price is rounded to 0.00, not -0.00.
  EXPECT_NE(out_.find("11,ELEVEN,SKU,5,1,-0.00,1.25,0.00,3,"), std::string::npos) << out_;
}

// The journal is made, name and all on the medium, before anything else is
// written: a folder that cannot take it refuses the change at once, with
// no byte written to film.dat or to the journal.
TEST_F(FilmtoolCommands, AFolderThatCannotTakeTheJournalRefusesBeforeAnyWrite) {
  WriteInventory(MakeItems({{10, "TEN"}, {11, "ELEVEN"}}));
  const Bytes before = ReadBytes("film.dat");
  const CsvSheet exported = Export();
  ASSERT_FALSE(Exists("film.jnl"));
  EXPECT_EQ(Tool([this] {
              faults_.Inject(testkit::FileOp::kFlush, 1, testkit::Fault::kFail,
                             /*persistent=*/true);
              return ::Amend("11", {"price=2"});
            }),
            1);
  EXPECT_TRUE(Said("film.jnl")) << err_;
  EXPECT_EQ(faults_.Count(testkit::FileOp::kWrite), 0) << err_;
  EXPECT_EQ(faults_.Count(testkit::FileOp::kFlush), 1) << err_;
  faults_.Reset();
  EXPECT_EQ(ReadBytes("film.dat"), before);

  // A journal that could not be flushed is marked done: the change that was
  // told as failed is never finished by a later start.
  EXPECT_EQ(Tool([this] {
              faults_.Inject(testkit::FileOp::kFlush, 2);
              return ::Amend("11", {"price=2"});
            }),
            1);
  EXPECT_EQ(ReadBytes("film.dat"), before);
  ASSERT_EQ(Amend("10", {"in_stock=3"}), 0) << err_;
  const CsvSheet sheet = Export();
  ASSERT_EQ(sheet.size(), 3u);
  EXPECT_EQ(sheet[1][kInStock], "3");
  EXPECT_EQ(sheet[2][kPrice], exported[2][kPrice]);
}

// A CSV file is quoted where a spreadsheet would split or trim a field,
// and takes the place of the file there only once it is on the medium: a
// flush that fails leaves the old file, and no part file, behind.
TEST_F(FilmtoolCommands, ACsvFileIsQuotedForSpreadsheetsAndPutInPlaceOnlyOnceFlushed) {
  ExportedRow row;
  row.slot = 3;
  row.number = "7";
  row.fields = {" LEAD", "TRAIL ", "A;B", "C\tD", "plain", "say \"hi\"", "1,5", ""};
  row.mark = "v2m";
  const auto write = [&] {
    const auto sheet = CsvAt(Path("out.csv"), StandardError());
    return sheet && sheet->Row(row) && sheet->Finish() ? 0 : 1;
  };
  WriteBytes("out.csv", Bytes{'o', 'l', 'd'});
  ASSERT_EQ(Tool(write), 0) << err_;
  const Bytes bytes = ReadBytes("out.csv");
  const std::string written(bytes.begin(), bytes.end());
  const std::string line =
      ",\" LEAD\",\"TRAIL \",\"A;B\",\"C\tD\",plain,\"say \"\"hi\"\"\",\"1,5\",,v2m\r\n";
  EXPECT_EQ(written.substr(written.find("\r\n") + 2), "3,7" + line);

  // A sheet larger than the writer's buffer is written once, in order.
  const auto many = [&] {
    const auto sheet = CsvAt(Path("many.csv"), StandardError());
    for (int i = 0; i < 30000 && sheet; ++i) {
      row.number = std::to_string(i);
      if (!sheet->Row(row)) return 1;
    }
    return sheet && sheet->Finish() ? 0 : 1;
  };
  ASSERT_EQ(Tool(many), 0) << err_;
  const Bytes big = ReadBytes("many.csv");
  const std::string all(big.begin(), big.end());
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 30001);
  EXPECT_EQ(all.substr(all.size() - line.size() - 8), "\n3,29999" + line) << "the last row is last";

  WriteBytes("out.csv", Bytes{'o', 'l', 'd'});
  EXPECT_EQ(Tool([&] {
              faults_.Inject(testkit::FileOp::kFlush, 1);
              return write();
            }),
            1);
  EXPECT_TRUE(Said("out.csv")) << err_;
  EXPECT_EQ(ReadBytes("out.csv"), (Bytes{'o', 'l', 'd'}));
  EXPECT_FALSE(Exists("out.csv.part"));
  // The same for a workbook.
  WriteBytes("out.xlsx", Bytes{'o', 'l', 'd'});
  EXPECT_EQ(Tool([&] {
              faults_.Inject(testkit::FileOp::kFlush, 1);
              const auto sheet = WorkbookAt(Path("out.xlsx"), StandardError());
              return sheet && sheet->Row(row) && sheet->Finish() ? 0 : 1;
            }),
            1);
  EXPECT_TRUE(Said("out.xlsx")) << err_;
  EXPECT_EQ(ReadBytes("out.xlsx"), (Bytes{'o', 'l', 'd'}));
  EXPECT_FALSE(Exists("out.xlsx.part"));
}

TEST_F(Filmtool, TextsConvertWithTheCodePageOfTheOptionOrTheVariable) {
  // In code page 932 "寿司", two bytes a character, and an SKU1 with lead
  // bytes that no trail byte completes: one before a blank, one before the
  // terminator. In 1251 "МО".
  const InventoryRecord japanese = MakeItem({1, "\x8E\xF5\x8E\x69", "\x81 X\x81"});
  WriteInventory({japanese, MakeItem({2, "\xCC\xCE"}, 1)});
  const Bytes before = ReadBytes("film.dat");
  ASSERT_EQ(Run(Tool("export", "--codepage 932")), 0) << err_;
  const std::string exported = out_;
  const auto rows = ReadCsv(exported);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][2], "寿司");
  EXPECT_EQ(rows[1][3], "\uFFFD X\uFFFD");
  EXPECT_EQ(Run(Tool("check", "--codepage 932")), 2);
  EXPECT_NE(out_.find("slot 0: SKU1 holds bytes that code page 932 leaves undefined"),
            std::string::npos)
      << out_;
  std::ofstream(Path("sheet.csv"), std::ios::binary) << exported;
  EXPECT_EQ(Run(Tool("import", Path("sheet.csv") + " --codepage 932")), 0) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), before) << "an unchanged sheet changed film.dat";

  // The variable names the code page; the option goes before it.
  ASSERT_EQ(Run("FILMTOOL_CODEPAGE=1251 " + Tool("export")), 0) << err_;
  EXPECT_EQ(ReadCsv(out_)[2][2], "МО");
  ASSERT_EQ(Run("FILMTOOL_CODEPAGE=1251 " + Tool("export", "--codepage 932")), 0) << err_;
  EXPECT_EQ(ReadCsv(out_)[1][2], "寿司");

  // 38 characters, the most the field takes: 76 bytes and a terminator
  // over the start of the field, the rest of it as it was.
  std::string typed;
  for (int i = 0; i < 20; ++i) typed += "寿司";  // 40 characters, cut to 38
  EXPECT_EQ(Run(Tool("amend", "1 description=" + typed + " --codepage 932")), 0) << err_;
  InventoryRecord amended = japanese;
  for (int i = 0; i < 19; ++i) std::copy_n("\x8E\xF5\x8E\x69", 4, amended.bytes + 8 + 4 * i);
  amended.bytes[8 + 76] = 0;
  EXPECT_EQ(SlotBytes(0), RecordBytes(amended));

  // An unknown code page is refused by name before anything is read.
  std::filesystem::remove(Path("film.dat"));
  EXPECT_EQ(Run(Tool("export", "--codepage 437")), 2);
  EXPECT_EQ(err_,
            "filmtool: --codepage 437: not a code page of the handheld (874, 932, 936, 949, 950, "
            "1250 to 1258)\n");
  EXPECT_EQ(Run("FILMTOOL_CODEPAGE=x " + Tool("stats")), 2);
  EXPECT_EQ(err_, "filmtool: FILMTOOL_CODEPAGE=x: not a code page number\n");
}

TEST_F(FilmtoolCommands, DeleteKeepsStatsAndIndexInStep) {
  const std::vector<InventoryRecord> records =
      MakeItems({{30, "THIRTY"}, {10, "TEN"}, {20, "TWENTY"}});
  WriteInventory(records);
  ASSERT_EQ(Delete("20"), 0) << err_;
  EXPECT_EQ(err_, "Delete: Complete\n");
  InventoryRecord deleted = records[2];
  MarkDeleted(deleted);
  EXPECT_EQ(SlotBytes(2), RecordBytes(deleted));
  ASSERT_EQ(Tool([] { return ::Stats(); }), 0);
  EXPECT_EQ(out_, "slots 3\nactive 2\ndeleted 1\n");
  ASSERT_EQ(Tool([] { return ::Index(); }), 0);
  EXPECT_EQ(out_, "-1 2\n10 1\n30 0\n");
}

TEST_F(FilmtoolCommands, ImportChangesOnlyWhatTheRowsChangeAndRefusesABadFileWhole) {
  WriteInventory(MakeItems({{10, "TEN", "S10", 4, 2.5f, 0.5f, 1.0f, 2, 1},
                            {11, "ELEVEN", "S11"},
                            {-1, "GONE"},
                            {12, "TWELVE"},
                            {12, "TWELVE AGAIN"}}));
  const Bytes before = ReadBytes("film.dat");
  const auto import = [&](const std::string& csv, const std::string& options = "") {
    return Import(csv, options);
  };
  const auto exportCsv = [&] {
    return Tool([] { return ::Export(/*all=*/false, /*workbook=*/""); });
  };
  // Export's own file changes nothing, nor do columns left out.
  ASSERT_EQ(exportCsv(), 0);
  const std::string exported = out_;
  ASSERT_EQ(import(exported), 0) << err_;
  ASSERT_EQ(import("number,price\n10,2.50\n"), 0) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), before);

  const struct {
    const char* csv;
    const char* said;
    const char* options = "";
  } refused[] = {
      {"number,price\n10,abc\n", "in.csv:2: price: not a number: abc"},
      {"number,price\n10,2\n11,2\n10,3\n", "in.csv:4: item 10 stands on line 2 already"},
      {"number,price\n13,2\n", "in.csv:2: no item 13 in film.dat"},
      {"number,price\n-1,2\n", "in.csv:2: not an item number of 1 or more: -1"},
      {"number,price\n12,2\n", "in.csv:2: item 12 stands in 2 slots"},
      {"number,PRICE\n10,2\n", "in.csv:1: no such column: PRICE"},
      {"number,price\n10,2,3\n", "in.csv:2: 3 fields where the header has 2"},
      {"number,description\n10,\"OPEN\n", "line 2: a quoted field has no closing quote"},
      {"number,description\n10,\"OPEN\"ED\n", "line 2: text after a closing quote"},
      {"number,description\n10,X\n", "in.csv:2: the description must have at least two",
       " --overwrite"},
      {"number,description\n20,NEW\n20,NEW\n", "in.csv:3: item 20 stands on line 2 already",
       " --add"},
      {"number,price\n20,2\n", "in.csv:2: the description must have at least two", " --add"},
      {"number,description\n0,NEW\n", "in.csv:2: not an item number of 1 or more: 0", " --add"},
      {"number,price\r10,2\r", "line 1: a line ends with a carriage return alone"},
      {"number;price\n10;2\n", "in.csv:1: the fields are separated by semicolons"},
      {"number,price\n10,\"2,5\"\n", "in.csv:2: price: a decimal comma"},
      {"number,price\n10,-1e309\n", "in.csv:2: price: too large for a price: -1e309"},
      {"number,description\n10,caf\xe9\n", "line 2: bytes that are no UTF-8 text"},
      {"\xff\xfen\0u\0m\0", "line 1: the file is UTF-16 text"},
      {"number,description\n10,\"NEW\x1b[2J\"\n",
       "in.csv:2: description: a control character, U+001B, is no part of a text: NEW\\x1B[2J"},
      {"number,price\n9.00719925474099E+015,2\n", "in.csv:2: an item number in E notation"},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(import(std::string("number,price\n11,7\n") + r.csv, r.options), 1) << r.csv;
    EXPECT_EQ(err_.find('\x1b'), std::string::npos) << "no escape reaches the terminal";
    EXPECT_EQ(import(r.csv, r.options), 1) << r.csv;
    EXPECT_NE(err_.find(r.said), std::string::npos) << r.csv << " said " << err_;
    EXPECT_EQ(ReadBytes("film.dat"), before) << r.csv;
  }

  EXPECT_EQ(Tool([&] { return ::Import(folder_, false, false, false); }), 1);
  EXPECT_EQ(err_, "filmtool: " + folder_ + ": is a folder, not a sheet\n");

  // A sheet without marks changes only with --overwrite.
  const std::string change =
      "slot,number,description,tax,price\r\n9,11,\"new, \"\"fine\"\" eleven\",Non,3.456\r\n";
  EXPECT_EQ(import(change), 1);
  EXPECT_NE(err_.find("in.csv: the version column of this export is missing"), std::string::npos)
      << err_;
  ASSERT_EQ(import(change, " --overwrite --dry-run"), 0) << err_;
  const std::string listed =
      "11 description: ELEVEN -> NEW, \"FINE\" ELEVEN\n11 tax: 1 -> 0\n"
      "11 price: 1.50 -> 3.46\n";
  const std::string unmarked =
      "1 rows without a version mark were compared with film.dat as it is now\n";
  EXPECT_EQ(out_, listed + "dry run: 1 items would change; nothing written\n" + unmarked);
  EXPECT_EQ(ReadBytes("film.dat"), before);
  ASSERT_EQ(import(change, " --overwrite"), 0) << err_;
  EXPECT_EQ(out_, listed + "1 items changed\n" + unmarked);
  ASSERT_EQ(exportCsv(), 0);
  EXPECT_NE(out_.find("1,11,\"NEW, \"\"FINE\"\" ELEVEN\",S11,5,0,0.75,1.25,3.46,3,v2"),
            std::string::npos)
      << out_;
  EXPECT_EQ(SlotBytes(0), Bytes(before.begin(), before.begin() + kRecordSize));
  EXPECT_FALSE(WholeJournal());

  // --add: a number not in the file becomes a slot at the end, its fields
  // stored over a zero record; a number in it is changed as before.
  const std::string add = "number,description\r\n20,twenty\r\n11,eleven again\r\n";
  ASSERT_EQ(import(add, " --add --overwrite --dry-run"), 0) << err_;
  const std::string addList =
      "11 description: NEW, \"FINE\" ELEVEN -> ELEVEN AGAIN\n20 added\n"
      "20 description:  -> TWENTY\n";
  EXPECT_EQ(out_, addList + "dry run: 1 items would change, 1 would be added; nothing written\n" +
                      unmarked);
  ASSERT_EQ(import(add, " --add --overwrite"), 0) << err_;
  EXPECT_EQ(out_, addList + "1 items changed\n1 items added\n" + unmarked);
  EXPECT_EQ(SlotBytes(5), RecordBytes(MakeRecord(20, "TWENTY", 0, Filler::kZero)));
  ASSERT_EQ(Tool([] { return ::Index(); }), 0);
  EXPECT_EQ(out_, "-1 2\n10 0\n11 1\n12 3\n12 4\n20 5\n");
  EXPECT_FALSE(WholeJournal());
}

// Two writers started together as processes of their own, round after
// round, each round on a fresh film.dat of items 1 to 40 ("ITEM n", price
// 1.50): a writer that says it is done has all of its changes in the file,
// whole, beside all of the other's; one that is refused names the other
// program. TALLO_WRITER_ROUNDS sets the rounds of each pair (20 by default).
class TwoWriters : public Filmtool {
 protected:
  static int Rounds() {
    const char* rounds = std::getenv("TALLO_WRITER_ROUNDS");
    return rounds != nullptr ? std::atoi(rounds) : 20;
  }
  void SetUp() override {
    Filmtool::SetUp();
    for (int n = 1; n <= 40; ++n) items_.push_back({n, "ITEM " + std::to_string(n)});
  }
  // Runs both command lines at once and returns their exit statuses; each
  // one's standard error goes to err<i>.txt.
  std::vector<int> RunTogether(const std::vector<std::string>& commands) {
    std::vector<int> statuses(commands.size());
    std::vector<std::thread> running;
    for (size_t i = 0; i < commands.size(); ++i) {
      const std::string line =
          commands[i] + " >/dev/null 2>" + Path("err" + std::to_string(i) + ".txt");
      running.emplace_back(
          [&statuses, i, line] { statuses[i] = WEXITSTATUS(std::system(line.c_str())); });
    }
    for (std::thread& t : running) t.join();
    return statuses;
  }
  // A CSV for import that gives each of `numbers` the description `prefix`
  // and the number, and `price`.
  std::string Sheet(const std::string& name, const std::vector<int>& numbers,
                    const std::string& prefix, const std::string& price) {
    std::ofstream out(Path(name), std::ios::binary);
    out << "number,description,price\n";
    for (int n : numbers) out << n << "," << prefix << " " << n << "," << price << "\n";
    return Path(name);
  }
  // Each slot's number, description and price.
  struct Row {
    int64_t number;
    std::string description;
    float price;
  };
  std::vector<Row> Rows() {
    const Bytes film = ReadBytes("film.dat");
    EXPECT_EQ(film.size() % kRecordSize, 0u);
    std::vector<Row> rows;
    for (size_t at = 0; at + kRecordSize <= film.size(); at += kRecordSize) {
      InventoryRecord r;
      std::copy(film.begin() + at, film.begin() + at + kRecordSize, r.bytes);
      const char* text = reinterpret_cast<const char*>(r.bytes + kDescriptionOffset);
      rows.push_back(
          {RecordNumber(r), std::string(text, strnlen(text, kDescriptionSize)), RecordPrice(r)});
    }
    return rows;
  }
  // A refusal names the other program; "" when status 0.
  std::string Refusal(int status, int writer) {
    if (status == 0) return "";
    const std::string said = Text("err" + std::to_string(writer) + ".txt");
    EXPECT_TRUE(said.find("another program is changing film.dat; try again") != std::string::npos ||
                said.find("was changed by another program") != std::string::npos)
        << said;
    return said;
  }
  std::vector<Item> items_;
};

TEST_F(TwoWriters, NoChangeIsLostOrTornAndEveryRefusalNamesTheOtherProgram) {
  std::vector<int> odd, even;
  for (int n = 1; n <= 40; ++n) (n % 2 != 0 ? odd : even).push_back(n);
  std::vector<int> added[2];
  for (int i = 0; i < 10; ++i) {
    added[0].push_back(101 + i);
    added[1].push_back(201 + i);
  }
  int bothDone[3] = {}, rounds = Rounds();
  for (int round = 0; round < rounds; ++round) {
    const std::string r = std::to_string(round);
    // Two imports of disjoint items: odd numbers and even ones.
    WriteInventory(MakeItems(items_));
    // Price lists without marks: written with --overwrite.
    std::vector<int> s =
        RunTogether({Tool("import", Sheet("a.csv", odd, "A" + r, r + ".25") + " --overwrite"),
                     Tool("import", Sheet("b.csv", even, "B" + r, r + ".75") + " --overwrite")});
    std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 40u);
    for (const Row& row : rows) {
      const bool isA = row.number % 2 != 0;
      const std::string mark = (isA ? "A" : "B") + r + " " + std::to_string(row.number);
      const bool changed = row.description == mark && row.price == round + (isA ? 0.25f : 0.75f);
      const bool old = row.description == "ITEM " + std::to_string(row.number) && row.price == 1.5f;
      EXPECT_TRUE(s[isA ? 0 : 1] == 0 ? changed : changed || old)
          << "round " << r << ": item " << row.number << " holds " << row.description << " at "
          << row.price << "; " << Refusal(s[0], 0) << Refusal(s[1], 1);
    }
    for (int writer = 0; writer < 2; ++writer) Refusal(s[writer], writer);
    bothDone[0] += s[0] == 0 && s[1] == 0;

    // An import of item 11 (slot 10) and an amend of item 12, whose first
    // bytes lie in slot 10's last sector.
    WriteInventory(MakeItems(items_));
    s = RunTogether({Tool("import", Sheet("a.csv", {11}, "IMPORT" + r, r + ".25") + " --overwrite"),
                     Tool("amend", "12 'description=AMEND" + r + " 12' price=" + r + ".75")});
    rows = Rows();
    ASSERT_EQ(rows.size(), 40u);
    for (int writer = 0; writer < 2; ++writer) {
      const Row& row = rows[10 + writer];
      const std::string mark =
          (writer == 0 ? "IMPORT" : "AMEND") + r + " " + std::to_string(11 + writer);
      const bool changed =
          row.description == mark && row.price == round + (writer == 0 ? 0.25f : 0.75f);
      const bool old =
          row.description == "ITEM " + std::to_string(11 + writer) && row.price == 1.5f;
      EXPECT_TRUE(s[writer] == 0 ? changed : old)
          << "round " << r << ": item " << row.number << " holds " << row.description << " at "
          << row.price << "; " << Refusal(s[writer], writer);
    }
    for (int writer = 0; writer < 2; ++writer) Refusal(s[writer], writer);
    bothDone[1] += s[0] == 0 && s[1] == 0;

    // Two imports --add of new numbers, 101-110 and 201-210.
    WriteInventory(MakeItems(items_));
    s = RunTogether({Tool("import", Sheet("a.csv", added[0], "NEW", "1") + " --add"),
                     Tool("import", Sheet("b.csv", added[1], "NEW", "1") + " --add")});
    rows = Rows();
    std::map<int64_t, int> seen;
    for (const Row& row : rows) ++seen[row.number];
    for (int writer = 0; writer < 2; ++writer) {
      Refusal(s[writer], writer);
      for (int n : added[writer]) {
        EXPECT_EQ(seen[n], s[writer] == 0 ? 1 : 0) << "round " << r << ": item " << n;
      }
    }
    EXPECT_EQ(rows.size(), 40u + 10u * ((s[0] == 0) + (s[1] == 0))) << "round " << r;
    bothDone[2] += s[0] == 0 && s[1] == 0;
    if (HasFailure()) break;
  }
  std::printf("%d rounds: both writers done in %d (imports), %d (import and amend), %d (--add)\n",
              rounds, bothDone[0], bothDone[1], bothDone[2]);
}

// The guide spells out the limits that the amend dialog and filmtool apply.
TEST(Guide, SaysTheTaxChoicesAndTheCategoryLimitThatAreStored) {
  std::ifstream in(std::string(TALLO_SOURCE_DIR) + "/README.md");
  std::string guide((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(guide.empty());
  for (char& c : guide) c = c == '\n' ? ' ' : c;  // lines wrap anywhere
  const std::string top = std::to_string(kCategoryLimit - 1);
  EXPECT_NE(guide.find("a category above " + top), std::string::npos);
  EXPECT_NE(guide.find("a category of " + std::to_string(kCategoryLimit) + " or more"),
            std::string::npos);
  EXPECT_NE(guide.find("a tax outside 0 to " + std::to_string(kTaxChoiceCount - 1)),
            std::string::npos);
  std::string positions = "(the position in the dialog's list:";
  for (uint32_t i = 0; i < kTaxChoiceCount; ++i) {
    std::string label(kTaxChoices[i], kTaxChoices[i] + std::wcslen(kTaxChoices[i]));
    positions += (i > 0 ? ", " : " ") + std::to_string(i) + " \"" + label + "\"";
  }
  EXPECT_NE(guide.find(positions + ")"), std::string::npos) << positions;
}
