// filmtool as the back office and the tests use it: real files in a temp
// folder, the tool run as its own process.
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "records/amend_fields.h"
#include "records/record_dialogs.h"
#include "store/journal.h"
#include "store/settings_image.h"
#include "tests/records_fixture.h"

namespace {

// Rows of RFC 4180 CSV: quoted fields may hold commas, quotes (doubled) and
// line breaks; records end with CRLF.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string& field = rows.back().back();
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.emplace_back(1);
      ++i;
    } else {
      field += c;
    }
  }
  rows.pop_back();  // after the last CRLF
  return rows;
}

}  // namespace

class Filmtool : public RecordsTest {
 protected:
  // The code page is what a test names, never the developer's own.
  Filmtool() { unsetenv("FILMTOOL_CODEPAGE"); }
  // Runs a command line; returns its exit status, with stdout and stderr kept.
  int Run(const std::string& arguments) {
    const std::string command = arguments + " >" + Path("out.txt") + " 2>" + Path("err.txt");
    const int status = std::system(command.c_str());
    out_ = Text("out.txt");
    err_ = Text("err.txt");
    return WEXITSTATUS(status);
  }
  std::string Text(const std::string& name) {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string Tool(const std::string& verb, const std::string& rest = "") {
    return std::string(FILMTOOL_PATH) + " " + verb + " " + folder_ +
           (rest.empty() ? "" : " " + rest);
  }
  std::string out_, err_;
};

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
  EXPECT_EQ(active + deleted, 1000);
  EXPECT_GT(deleted, 50);
  EXPECT_LT(deleted, 150);
  EXPECT_EQ(err_, "");
}

TEST_F(Filmtool, IndexAndPrefixOfASmallInventory) {
  WriteInventory({MakeRecord(5, "FIVE"), MakeRecord(0, "ZERO"), MakeRecord(3, "\xE9X")});
  ASSERT_EQ(Run(Tool("index")), 0);
  EXPECT_EQ(out_, "-1 1\n3 2\n5 0\n");
  ASSERT_EQ(Run(Tool("prefix")), 0);
  EXPECT_EQ(out_, "4649\n5a45\ne958\n");
}

TEST_F(Filmtool, MessagesGoToStandardErrorAndFailureExitsWith1) {
  WriteBytes("film.dat", Bytes(3749, 0));
  EXPECT_EQ(Run(Tool("stats")), 1);
  EXPECT_EQ(err_, "Fatal error: Data file film.dat corrupt in Opendata.\n");
  EXPECT_EQ(out_, "");
}

TEST_F(Filmtool, TheCardFolderStandsForTheStorageCard) {
  Bytes settings(kSettingsSize, 0);
  settings[kStorageOffset + 3] = 0x40;  // storage option 2.0
  WriteBytes("tallo.cfg", settings);
  std::filesystem::create_directory(Path("card"));
  WriteInventory({MakeRecord(1, "A1"), MakeRecord(2, "B2")}, "card/film.dat");
  ASSERT_EQ(Run(Tool("stats") + " --card " + Path("card")), 0);
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
  EXPECT_EQ(Run(Tool("stock")), 2);
  EXPECT_EQ(err_.substr(0, err_.find('\n')), "filmtool: unknown command: stock");
  WriteInventory(MakeItems({{10, "TEN"}}));
  EXPECT_EQ(Run(Tool("amend", "99999999999999999999 price=2")), 1);
  EXPECT_EQ(err_,
            "filmtool: beyond 9223372036854775807, the largest item number: "
            "99999999999999999999\n");
}

TEST_F(Filmtool, CheckReportsEveryProblemOnALineAndChangesNothing) {
  InventoryRecord unterminated = MakeRecord(4, "");
  std::fill_n(unterminated.bytes + kDescriptionOffset, kDescriptionSize, 'D');
  std::fill_n(unterminated.bytes + kSku1Offset, kSku1Size, 'S');
  WriteInventory({MakeRecord(7, "SEVEN"), MakeRecord(0, "ZERO"), MakeRecord(7, "AGAIN"),
                  MakeRecord(-5, ""), unterminated, MakeRecord(-1, "")});
  // A whole journal of a write of slot 5 that never began.
  const Bytes film = ReadBytes("film.dat");
  Bytes journal(kJournalSize);
  EncodeJournal(MakeJournalEntry(5, film.size(), film.data() + SlotWindow(5, film.size()).start,
                                 MakeRecord(9, "NINE")),
                journal.data());
  WriteBytes("film.jnl", journal);
  WriteBytes("tallo.tmp", Bytes(10, 2));
  const Bytes before = ReadBytes("film.dat");
  EXPECT_EQ(Run(Tool("check")), 2);
  const std::string f = Path("film.dat") + ": ";
  EXPECT_EQ(out_, f + Path("film.jnl") +
                      " holds an unfinished write of slot 5 (the next start finishes it)\n" + f +
                      Path("tallo.tmp") +
                      " is a temporary file a power cut left (the next start removes it)\n" + f +
                      "slot 1: number 0 counts as deleted, yet a description search still finds "
                      "it\n" +
                      f + "slot 3: number -5 counts as deleted\n" + f +
                      "slot 4: the Description has no terminator in its 82 bytes\n" + f +
                      "slot 4: SKU1 has no terminator in its 580 bytes\n" + f +
                      "number 7 stands in slots 0, 2\n" + f +
                      "6 slots, 3 active, 3 deleted, 7 problems\n");
  EXPECT_EQ(ReadBytes("film.dat"), before);
  EXPECT_TRUE(WholeJournal()) << "check settles nothing";

  std::filesystem::remove(Path("film.jnl"));
  std::filesystem::remove(Path("tallo.tmp"));
  WriteInventory({MakeRecord(1, "ONE"), MakeRecord(-1, "")});
  EXPECT_EQ(Run(Tool("check")), 0);
  EXPECT_EQ(out_, f + "2 slots, 1 active, 1 deleted, 0 problems\n");
  WriteBytes("film.dat", Bytes(kRecordSize + 1, 0));
  EXPECT_EQ(Run(Tool("check")), 1);
  EXPECT_EQ(out_, f + "1875 bytes are no whole number of 1874-byte records\n" + f +
                      "not an inventory, 1 problems\n");
}

TEST_F(Filmtool, ExportReadsBackWithACsvReader) {
  WriteInventory(MakeItems({{12, "CAF\xC9 \x80 2", "A,B", 7, 2.5f, 0.75f, 1.25f, 17, 3},
                            {-1, "", "GONE"},
                            {13, "SAY \"HI\"\r\nTWICE", "S"},
                            {0, "ZERO"}}));
  ASSERT_EQ(Run(Tool("export")), 0) << err_;
  const auto rows = ReadCsv(out_);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0],
            (std::vector<std::string>{"slot", "number", "description", "sku", "in_stock", "tax",
                                      "cost_price", "trade_price", "price", "category"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"0", "12", "CAF\u00c9 \u20ac 2", "A,B", "7", "3",
                                               "0.75", "1.25", "2.50", "17"}));
  EXPECT_EQ(rows[2][2], "SAY \"HI\"\r\nTWICE");
  ASSERT_EQ(Run(Tool("export", "--all")), 0);
  const auto all = ReadCsv(out_);
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[2][1], "-1");
  EXPECT_EQ(all[4][1], "0");
  EXPECT_EQ(all[4][2], "ZERO");
}

TEST_F(Filmtool, AmendStoresWhatTheAmendDialogStoresForTheSameText) {
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
    EXPECT_EQ(Run(Tool("amend", std::string("11 '") + c.field + "=" + c.text + "'")), 0)
        << c.field << "=" << c.text << ": " << err_;
    EXPECT_EQ(SlotBytes(1), RecordBytes(CurrentRecord)) << c.field << "=" << c.text;
    EXPECT_EQ(SlotBytes(0), RecordBytes(records[0]));
    EXPECT_FALSE(WholeJournal());
  }
}

TEST_F(Filmtool, RefusalsLeaveTheFileByteForByteUnchanged) {
  WriteInventory(MakeItems({{10, "TEN"}, {11, "ELEVEN"}}));
  const Bytes before = ReadBytes("film.dat");
  const struct {
    const char* arguments;
    const char* said;
  } cases[] = {
      {"11 price=abc", "filmtool: price: not a number: abc\n"},
      {"11 price=1e39", "filmtool: price: too large for a price: 1e39\n"},
      {"11 in_stock=2147483648", "filmtool: in_stock: beyond 2147483647: 2147483648\n"},
      {"11 in_stock=-1", "filmtool: in_stock: not a whole number of 0 or more: -1\n"},
      {"11 in_stock=12abc", "filmtool: in_stock: not a whole number of 0 or more: 12abc\n"},
      {"11 category=18", "filmtool: category: beyond 17: 18\n"},
      {"11 tax=4", "filmtool: tax: not a list position 0 to 3 nor an entry's text: 4\n"},
      {"11 description=\xC4\x80X",
       "filmtool: description: code page 1252 has no \xC4\x80 (U+0100): \xC4\x80X\n"},
      {"11 description=X", "The description must have at least two characters.\n"},
      {"11 price=2 colour=red",
       "filmtool: not FIELD=VALUE with a field of the amend dialog: "
       "colour=red\n"},
      {"12 price=2", "Problem: No such item: 12\n"},
      {"0 price=2", "filmtool: not an item number of 1 or more: 0\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(Tool("amend", c.arguments)), 1) << c.arguments;
    EXPECT_NE(err_.find(c.said), std::string::npos) << c.arguments << " said " << err_;
    EXPECT_EQ(ReadBytes("film.dat"), before) << c.arguments;
  }
  EXPECT_EQ(Run(Tool("delete", "12")), 1);
  EXPECT_EQ(err_, "Problem: No such item: 12\n");
  EXPECT_EQ(ReadBytes("film.dat"), before);
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

TEST_F(Filmtool, DeleteKeepsStatsAndIndexInStep) {
  const std::vector<InventoryRecord> records =
      MakeItems({{30, "THIRTY"}, {10, "TEN"}, {20, "TWENTY"}});
  WriteInventory(records);
  ASSERT_EQ(Run(Tool("delete", "20")), 0) << err_;
  EXPECT_EQ(err_, "Delete: Complete\n");
  InventoryRecord deleted = records[2];
  MarkDeleted(deleted);
  EXPECT_EQ(SlotBytes(2), RecordBytes(deleted));
  ASSERT_EQ(Run(Tool("stats")), 0);
  EXPECT_EQ(out_, "slots 3\nactive 2\ndeleted 1\n");
  ASSERT_EQ(Run(Tool("index")), 0);
  EXPECT_EQ(out_, "-1 2\n10 1\n30 0\n");
}

TEST_F(Filmtool, ImportChangesOnlyWhatTheRowsChangeAndRefusesABadFileWhole) {
  WriteInventory(MakeItems({{10, "TEN", "S10", 4, 2.5f, 0.5f, 1.0f, 2, 1},
                            {11, "ELEVEN", "S11"},
                            {-1, "GONE"},
                            {12, "TWELVE"},
                            {12, "TWELVE AGAIN"}}));
  const Bytes before = ReadBytes("film.dat");
  const auto import = [&](const std::string& csv, const std::string& options = "") {
    std::ofstream(Path("in.csv"), std::ios::binary) << csv;
    return Run(Tool("import", Path("in.csv") + options));
  };
  // Export's own file changes nothing, nor do columns left out.
  ASSERT_EQ(Run(Tool("export")), 0);
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
      {"number,colour\n10,red\n", "in.csv:1: no such column: colour"},
      {"number,price\n10,2,3\n", "in.csv:2: 3 fields where the header has 2"},
      {"number,description\n10,\"OPEN\n", "line 2: a quoted field has no closing quote"},
      {"number,description\n10,X\n", "in.csv:2: the description must have at least two"},
      {"number,description\n20,NEW\n20,NEW\n", "in.csv:3: item 20 stands on line 2 already",
       " --add"},
      {"number,price\n20,2\n", "in.csv:2: the description must have at least two", " --add"},
      {"number,description\n0,NEW\n", "in.csv:2: not an item number of 1 or more: 0", " --add"},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(import(std::string("number,price\n11,7\n") + r.csv, r.options), 1) << r.csv;
    EXPECT_EQ(import(r.csv, r.options), 1) << r.csv;
    EXPECT_NE(err_.find(r.said), std::string::npos) << r.csv << " said " << err_;
    EXPECT_EQ(ReadBytes("film.dat"), before) << r.csv;
  }

  const std::string change =
      "slot,number,description,tax,price\r\n9,11,\"new, \"\"fine\"\" eleven\",Non,3.456\r\n";
  ASSERT_EQ(import(change, " --dry-run"), 0) << err_;
  EXPECT_EQ(out_,
            "11 description: ELEVEN -> NEW, \"FINE\" ELEVEN\n11 tax: 1 -> 0\n"
            "11 price: 1.50 -> 3.46\n");
  EXPECT_EQ(ReadBytes("film.dat"), before);
  ASSERT_EQ(import(change), 0) << err_;
  ASSERT_EQ(Run(Tool("export")), 0);
  EXPECT_NE(out_.find("1,11,\"NEW, \"\"FINE\"\" ELEVEN\",S11,5,0,0.75,1.25,3.46,3\r\n"),
            std::string::npos)
      << out_;
  EXPECT_EQ(SlotBytes(0), Bytes(before.begin(), before.begin() + kRecordSize));
  EXPECT_FALSE(WholeJournal());

  // --add: a number not in the file becomes a slot at the end, its fields
  // stored over a zero record; a number in it is changed as before.
  const std::string add = "number,description\r\n20,twenty\r\n11,eleven again\r\n";
  ASSERT_EQ(import(add, " --add --dry-run"), 0) << err_;
  EXPECT_EQ(out_,
            "11 description: NEW, \"FINE\" ELEVEN -> ELEVEN AGAIN\n20 added\n"
            "20 description:  -> TWENTY\n");
  ASSERT_EQ(import(add, " --add"), 0) << err_;
  EXPECT_EQ(out_, "1 items changed\n1 items added\n");
  EXPECT_EQ(SlotBytes(5), RecordBytes(MakeRecord(20, "TWENTY", 0, Filler::kZero)));
  ASSERT_EQ(Run(Tool("index")), 0);
  EXPECT_EQ(out_, "-1 2\n10 0\n11 1\n12 3\n12 4\n20 5\n");
  EXPECT_FALSE(WholeJournal());

  // A new shop: the fresh inventory first, whose "ITEM 1" row 1 then amends.
  std::filesystem::create_directory(Path("shop"));
  std::ofstream(Path("in.csv"), std::ios::binary) << "number,description\n1,first\n2,second\n";
  ASSERT_EQ(
      Run(std::string(FILMTOOL_PATH) + " import " + Path("shop") + " " + Path("in.csv") + " --add"),
      0)
      << err_;
  ASSERT_EQ(Run(std::string(FILMTOOL_PATH) + " export " + Path("shop")), 0);
  EXPECT_EQ(out_.substr(out_.find("\r\n") + 2),
            "0,1,FIRST,,0,0,0.00,0.00,0.00,0\r\n1,2,SECOND,,0,0,0.00,0.00,0.00,0\r\n");
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
