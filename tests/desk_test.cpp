// The back-office window's work in this process, without the window: its
// review is filmtool's own dry run, its Apply writes what the review showed
// and nothing the handheld changed since, and Cancel writes nothing; its
// steps one at a time, with what arrives meanwhile kept for after them.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "desk/desk_ids.h"
#include "desk/desk_settings.h"
#include "desk/desk_steps.h"
#include "desk/desk_work.h"
#include "platform/env.h"
#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "tests/kit/open_descriptors.h"
#include "tests/kit/workbook_parts.h"
#include "tests/sheet_commands.h"

namespace {

// Says stop at its `stopAt`-th step.
class StopAt : public Progress {
 public:
  explicit StopAt(int stopAt) : stopAt_(stopAt) {}
  bool Step(uint64_t, uint64_t) override { return ++steps_ < stopAt_; }
  int steps_ = 0;

 private:
  int stopAt_;
};

bool Says(const std::vector<std::string>& said, const std::string& text) {
  for (const std::string& line : said) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

std::string Joined(const std::vector<std::string>& said) {
  std::string all;
  for (const std::string& line : said) all += line + "\n";
  return all;
}

// The names of the files open when a file is put in place.
class OpenAtPlacing : public platform::EnvWrapper {
 public:
  OpenAtPlacing() : EnvWrapper(platform::CurrentEnv()) {}
  platform::Opened OpenFile(const std::wstring& path, platform::Access access,
                            platform::Disposition disposition) override {
    const platform::Opened opened = target().OpenFile(path, access, disposition);
    if (opened) open_[opened.file] = path;
    return opened;
  }
  void CloseFile(platform::FileRef file) override {
    open_.erase(file);
    target().CloseFile(file);
  }
  platform::Renaming PutFileInPlace(const std::wstring& from, const std::wstring& to) override {
    for (const auto& entry : open_) seen += entry.second + L";";
    return target().PutFileInPlace(from, to);
  }
  std::wstring seen;

 private:
  std::map<platform::FileRef, std::wstring> open_;
};

}  // namespace

class DeskReview : public SheetCommands {
 protected:
  DeskSettings Shop() const { return DeskSettings{folder_, "", "", "", {}}; }
  // The sheet written to in.csv, reviewed as the window reviews it.
  DeskWork::Reviewed Review(const CsvSheet& sheet, ImportRules rules = {},
                            Progress* progress = nullptr) {
    std::ofstream(Path("in.csv"), std::ios::binary) << WriteCsv(sheet);
    return work_.Review(Shop(), Path("in.csv"), rules, progress);
  }
  std::vector<ImportPlan::Row> Rows(ImportPlan::Part part) const {
    std::vector<ImportPlan::Row> rows;
    for (size_t i = 0; i < work_.plan()->Count(part); ++i)
      rows.push_back(work_.plan()->At(part, i));
    return rows;
  }
  DeskWork work_;
};

// The window's export is filmtool's, to a file; its review lists what
// filmtool's dry run lists, and Apply leaves film.dat as filmtool's import
// leaves it.
TEST_F(DeskReview, TheReviewIsTheDryRunAndApplyWritesWhatItShows) {
  WriteInventory(MakeItems({{10, "TEN", "S10", 4, 2.5f}, {11, "ELEVEN"}, {12, "TWELVE"}}));
  size_t rows = 0;
  ASSERT_EQ(work_.Export(Shop(), Path("stock.csv"), nullptr, &rows), ExportEnd::kWritten)
      << Joined(work_.TakeMessages());
  EXPECT_EQ(rows, 3u);
  const Bytes file = ReadBytes("stock.csv");
  const std::string exported(file.begin(), file.end());
  EXPECT_EQ(ReadCsv(exported), Export());
  EXPECT_EQ(exported, out_);
  EXPECT_FALSE(Exists("stock.csv.part"));
  // A name in capitals is the same kind of sheet, and film.dat is let go
  // before the sheet takes its place (a Windows reader's handle keeps the
  // handheld's sync out).
  OpenAtPlacing placing;
  platform::SetEnv(&placing);
  const ExportEnd capitals = work_.Export(Shop(), Path("STOCK.CSV"), nullptr, &rows);
  platform::SetEnv(&placing.target());
  ASSERT_EQ(capitals, ExportEnd::kWritten) << Joined(work_.TakeMessages());
  EXPECT_EQ(ReadBytes("STOCK.CSV"), file);
  EXPECT_EQ(placing.seen, L"");

  CsvSheet sheet = ReadCsv(exported);
  sheet[1][kPrice] = "2.49";
  sheet[2][kDescription] = "eleven and a bit";
  ASSERT_EQ(Amend("12", {"in_stock=9"}), 0) << err_;  // the handheld, meanwhile
  const Bytes before = ReadBytes("film.dat");

  // While the owner looks at the review, neither film.dat nor the sheet is
  // held: the handheld's sync and the spreadsheet's save go on.
  const int descriptors = OpenDescriptors();
  ASSERT_EQ(Review(sheet), DeskWork::Reviewed::kReady) << Joined(work_.TakeMessages());
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_TRUE(platform::ScopedFile(platform::OpenFile(L"film.dat", platform::Access::kReadWrite,
                                                      platform::Disposition::kOpenExisting)));
  const std::vector<ImportPlan::Row> changes = Rows(ImportPlan::Part::kChange);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].row, 2);
  EXPECT_EQ(changes[0].cell, "");
  EXPECT_EQ(changes[0].number, 10);
  EXPECT_EQ(changes[0].description, "TEN");
  EXPECT_EQ(changes[0].field, Field::kPrice);
  EXPECT_EQ(changes[0].was, "2.50");
  EXPECT_EQ(changes[0].is, "2.49");
  EXPECT_EQ(changes[1].description, "ELEVEN");  // film.dat's, beside the sheet's new one
  EXPECT_EQ(changes[1].was, "ELEVEN");
  EXPECT_EQ(changes[1].is, "ELEVEN AND A BIT");
  EXPECT_EQ(work_.plan()->ChangedItems(), 2u);
  const std::string reviewed = work_.plan()->ChangeLines();
  EXPECT_EQ(ReadBytes("film.dat"), before);
  ASSERT_EQ(Import(sheet, "--dry-run"), 0) << err_;
  EXPECT_EQ(reviewed, Listed(out_));

  const DeskWork::Applied applied = work_.Apply(nullptr);
  EXPECT_TRUE(applied.written) << Joined(work_.TakeMessages());
  EXPECT_EQ(applied.changed, 2u);
  EXPECT_EQ(work_.plan(), nullptr);
  EXPECT_EQ(OpenDescriptors(), descriptors);
  const Bytes windowed = ReadBytes("film.dat");
  WriteBytes("film.dat", before);
  ASSERT_EQ(Import(sheet), 0) << err_;
  EXPECT_EQ(ReadBytes("film.dat"), windowed);
  EXPECT_EQ(Listed(out_), reviewed);
}

// Between the review and Apply the owner looks, and the handheld goes on:
// an item it changed since is refused, never written over, and so is the
// sheet when a number it would add has come into film.dat. Cancel, before
// or during the work, writes nothing.
TEST_F(DeskReview, WhatChangedSinceTheReviewIsRefusedAndCancelWritesNothing) {
  std::vector<Item> items;
  for (int64_t n = 1; n <= 1100; ++n) items.push_back({n, "ITEM " + std::to_string(n)});
  WriteInventory(MakeItems(items));
  CsvSheet sheet = Export();
  sheet[1][kPrice] = "2.49";
  sheet[5][kPrice] = "3.49";
  ASSERT_EQ(Review(sheet), DeskWork::Reviewed::kReady) << Joined(work_.TakeMessages());
  ASSERT_EQ(Amend("5", {"in_stock=1"}), 0) << err_;
  const Bytes handheld = ReadBytes("film.dat");
  EXPECT_FALSE(work_.Apply(nullptr).written);
  const std::vector<std::string> said = work_.TakeMessages();
  EXPECT_TRUE(Says(said, "item 5 was changed in film.dat since the review")) << Joined(said);
  EXPECT_TRUE(Says(said, "Nothing was written. Bring in.csv back again")) << Joined(said);
  EXPECT_EQ(ReadBytes("film.dat"), handheld);

  // A new item whose number another program added meanwhile.
  CsvSheet added = {sheet[0], {"", "2000", "KETTLE", "", "", "", "", "", "4", "", ""}};
  ASSERT_EQ(Review(added, ImportRules{true, false}), DeskWork::Reviewed::kReady)
      << Joined(work_.TakeMessages());
  ASSERT_EQ(work_.plan()->Count(ImportPlan::Part::kAddition), 1u);
  EXPECT_EQ(work_.plan()->At(ImportPlan::Part::kAddition, 0).description, "KETTLE");
  EXPECT_EQ(work_.plan()->At(ImportPlan::Part::kAddition, 0).note, "price 4.00");
  ASSERT_EQ(Import("number,description\n2000,Mug\n", "--add"), 0) << err_;
  const Bytes grown = ReadBytes("film.dat");
  EXPECT_FALSE(work_.Apply(nullptr).written);
  EXPECT_TRUE(Says(work_.TakeMessages(), "an item to be added is in it now"));
  EXPECT_EQ(ReadBytes("film.dat"), grown);

  // Cancel: the review dropped; while the sheet is read; before the writes.
  ASSERT_EQ(Review(Export()), DeskWork::Reviewed::kNothing);
  sheet = Export();
  sheet[3][kPrice] = "7";
  ASSERT_EQ(Review(sheet), DeskWork::Reviewed::kReady);
  work_.Forget();
  EXPECT_FALSE(work_.Apply(nullptr).written);
  StopAt stop(1);
  EXPECT_EQ(Review(sheet, {}, &stop), DeskWork::Reviewed::kStopped);
  EXPECT_EQ(work_.plan(), nullptr);
  ASSERT_EQ(Review(sheet), DeskWork::Reviewed::kReady);
  StopAt stopFirst(1);
  EXPECT_FALSE(work_.Apply(&stopFirst).written);
  EXPECT_TRUE(Says(work_.TakeMessages(), "Cancelled: nothing was written"));
  EXPECT_EQ(ReadBytes("film.dat"), grown);
  // An export cancelled leaves the sheet that was there.
  for (const std::string name : {"stock.csv", "stock.xlsx"}) {
    WriteBytes(name, {'o', 'l', 'd'});
    StopAt stopExport(1);
    EXPECT_EQ(work_.Export(Shop(), Path(name), &stopExport, nullptr), ExportEnd::kStopped);
    EXPECT_EQ(ReadBytes(name), Bytes({'o', 'l', 'd'}));
    EXPECT_FALSE(Exists(name + ".part"));
  }
}

// Conflicts and refused rows stand apart from the writes, each with its
// place and its message in the window's words; --overwrite is the owner's
// choice, and then the review says what goes over film.dat's own changes.
TEST_F(DeskReview, ConflictsAndRefusalsStandApartWithTheirPlaceAndWords) {
  WriteInventory(MakeItems({{10, "TEN"}, {11, "ELEVEN"}}));
  CsvSheet sheet = Export();
  ASSERT_EQ(Amend("11", {"price=5"}), 0) << err_;
  const Bytes handheld = ReadBytes("film.dat");
  sheet[1][kDescription] = "TEN AND A BIT";
  sheet[2][kPrice] = "6";
  ASSERT_EQ(Review(sheet), DeskWork::Reviewed::kRefused);
  const std::vector<ImportPlan::Row> conflicts = Rows(ImportPlan::Part::kConflict);
  ASSERT_EQ(conflicts.size(), 1u);
  EXPECT_EQ(conflicts[0].row, 3);
  EXPECT_EQ(conflicts[0].cell, "I3");
  EXPECT_EQ(conflicts[0].number, 11);
  EXPECT_EQ(conflicts[0].description, "ELEVEN");
  EXPECT_TRUE(conflicts[0].hasField);
  EXPECT_EQ(conflicts[0].field, Field::kPrice);
  EXPECT_EQ(conflicts[0].was, "5.00");
  EXPECT_EQ(conflicts[0].is, "6.00");  // as the change would print it
  EXPECT_EQ(conflicts[0].note,
            "item 11: price: the sheet says 6.00, film.dat now says 5.00 (changed since the "
            "export)");
  EXPECT_TRUE(Says(work_.TakeMessages(),
                   "or tick \"Overwrite film.dat's changes\" to put the sheet's values over"));
  EXPECT_EQ(Rows(ImportPlan::Part::kChange).size(), 1u);  // shown, not to be written
  EXPECT_FALSE(work_.Apply(nullptr).written);
  EXPECT_EQ(ReadBytes("film.dat"), handheld);

  ASSERT_EQ(Review(sheet, ImportRules{false, true}), DeskWork::Reviewed::kReady);
  EXPECT_EQ(work_.plan()->Count(ImportPlan::Part::kConflict), 0u);
  const std::vector<ImportPlan::Row> over = Rows(ImportPlan::Part::kOverwritten);
  ASSERT_EQ(over.size(), 1u);
  EXPECT_EQ(over[0].note, "item 11: price: the sheet's 6.00 goes over film.dat's 5.00");
  EXPECT_TRUE(work_.Apply(nullptr).written);
  InventoryRecord eleven;
  std::copy_n(ReadBytes("film.dat").begin() + kRecordSize, kRecordSize, eleven.bytes);
  EXPECT_EQ(RecordPrice(eleven), 6.0f);

  // A number not in film.dat: refused unless the owner adds it.
  ASSERT_EQ(Review({{"number", "description"}, {"20", "KETTLE"}}), DeskWork::Reviewed::kRefused);
  const std::vector<ImportPlan::Row> refused = Rows(ImportPlan::Part::kRefused);
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].note,
            "no item 20 in film.dat: tick \"Add new items\" and bring the sheet back to add it "
            "as a new item");
  EXPECT_FALSE(refused[0].hasField) << "a finding about the row names no field";
  // A number twice: the second row is refused as a whole, not a field of it.
  ASSERT_EQ(Review({{"number", "description"}, {"10", "TEN"}, {"10", "TENNER"}}),
            DeskWork::Reviewed::kRefused);
  const std::vector<ImportPlan::Row> twice = Rows(ImportPlan::Part::kRefused);
  ASSERT_EQ(twice.size(), 1u);
  EXPECT_EQ(twice[0].row, 3);
  EXPECT_FALSE(twice[0].hasField);
  // A shop's folder that is not there is said, and nothing is opened.
  DeskSettings gone = Shop();
  gone.folder += "/gone";
  DeskWork::Counts counts;
  EXPECT_FALSE(work_.ReadCounts(gone, &counts));
  EXPECT_TRUE(Says(work_.TakeMessages(), "gone: no such folder"));
  ASSERT_TRUE(work_.ReadCounts(Shop(), &counts));
  EXPECT_EQ(counts.slots, 2);
  EXPECT_EQ(counts.active, 2);
  // A sheet of a format the back office does not read is told as filmtool
  // tells it.
  WriteBytes("stock.xls", {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 0, 0});
  EXPECT_EQ(work_.Review(Shop(), Path("stock.xls"), {}, nullptr), DeskWork::Reviewed::kFailed);
  EXPECT_TRUE(Says(work_.TakeMessages(),
                   "stock.xls: is an old-style Excel file (.xls, or another program's file of "
                   "that kind): save it as .xlsx (Excel 2007-365) and bring that back"));
  // A damaged workbook, and one made to take memory, are refused in the
  // window as filmtool refuses them, film.dat as it was.
  const Bytes before = ReadBytes("film.dat");
  WorkbookShape shape;
  shape.strings = {"<t>number</t>", "<t>price</t>"};
  shape.sheets = {{"Stock",
                   "<row r=\"1\"><c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c></row>"
                   "<row r=\"2\"><c><v>10</v></c><c><v>7.25</v></c></row>"}};
  ASSERT_TRUE(WriteZipFile(Path("damaged.xlsx"), WorkbookParts(shape), {true, "", 0}));
  Bytes bytes = ReadBytes("damaged.xlsx");
  const std::string text(bytes.begin(), bytes.end());
  bytes[text.find("7.25")] ^= 0x0E;
  WriteBytes("damaged.xlsx", bytes);
  shape.strings.assign(100, "<t>number</t>");
  ASSERT_TRUE(WriteZipFile(Path("bomb.xlsx"), WorkbookParts(shape)));
  const struct {
    const char* file;
    const char* said;
  } hostile[] = {
      {"damaged.xlsx",
       "damaged.xlsx: is damaged (xl/worksheets/sheet1.xml does not match its "
       "checksum): export again or bring back an undamaged copy"},
      {"bomb.xlsx", "bomb.xlsx: holds more shared strings than its sheets have cells"},
  };
  for (const auto& h : hostile) {
    EXPECT_EQ(work_.Review(Shop(), Path(h.file), {}, nullptr), DeskWork::Reviewed::kFailed);
    const std::vector<std::string> said = work_.TakeMessages();
    EXPECT_TRUE(Says(said, h.said)) << Joined(said);
  }
  EXPECT_EQ(ReadBytes("film.dat"), before);
}

// What the owner did to the sheet is told apart from what film.dat did: a
// column of the owner's own is a notice, once, and the row's real edit is
// listed and written beside it; a deleted version column puts its rows under
// a heading of their own, never among the conflicts, and says so under
// Overwrite too; the findings of one row count as one refused row.
TEST_F(DeskReview, TheOwnersColumnsAndADeletedVersionColumnAreToldApart) {
  WriteInventory(MakeItems({{10, "TEN"}, {11, "ELEVEN"}}));
  CsvSheet sheet = Export();
  for (size_t i = 0; i < sheet.size(); ++i) sheet[i].push_back(i == 0 ? "notes" : "ask");
  sheet[2][kPrice] = "6";
  ASSERT_EQ(Review(sheet), DeskWork::Reviewed::kReady) << Joined(work_.TakeMessages());
  const std::vector<ImportPlan::Row> notices = Rows(ImportPlan::Part::kNotice);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].note, "column 'notes' is not ours: ignored");
  EXPECT_EQ(notices[0].cell, "L1");
  EXPECT_FALSE(notices[0].hasField);
  EXPECT_TRUE(Says(work_.TakeMessages(), "Column 'notes' is not ours: ignored."));
  const std::vector<ImportPlan::Row> changes = Rows(ImportPlan::Part::kChange);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].number, 11);
  EXPECT_EQ(changes[0].is, "6.00");
  EXPECT_TRUE(work_.Apply(nullptr).written) << Joined(work_.TakeMessages());
  InventoryRecord eleven;
  std::copy_n(ReadBytes("film.dat").begin() + kRecordSize, kRecordSize, eleven.bytes);
  EXPECT_EQ(RecordPrice(eleven), 6.0f);

  CsvSheet unmarked = Export();
  for (std::vector<std::string>& row : unmarked) row.pop_back();  // the version column
  unmarked[1][kPrice] = "7";
  ASSERT_EQ(Review(unmarked), DeskWork::Reviewed::kRefused);
  EXPECT_EQ(work_.plan()->Count(ImportPlan::Part::kConflict), 0u);
  std::vector<ImportPlan::Row> rows = Rows(ImportPlan::Part::kUnmarked);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].note,
            "item 10: price: the sheet says 7.00, film.dat says 1.50 (a row without a version "
            "mark)");
  EXPECT_TRUE(Says(work_.TakeMessages(), "The version column of this export is missing"));
  ASSERT_EQ(Review(unmarked, ImportRules{false, true}), DeskWork::Reviewed::kReady);
  EXPECT_EQ(work_.plan()->Count(ImportPlan::Part::kOverwritten), 0u);
  rows = Rows(ImportPlan::Part::kUnmarked);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].note, "item 10: price: the sheet's 7.00 goes over film.dat's 1.50");
  EXPECT_TRUE(Says(work_.TakeMessages(),
                   "The version column of this export is missing: the sheet cannot tell"));

  ASSERT_EQ(Review({{"number", "number", "Price"}}), DeskWork::Reviewed::kRefused);
  EXPECT_EQ(work_.plan()->Count(ImportPlan::Part::kRefused), 2u);
  EXPECT_EQ(work_.plan()->Rows(ImportPlan::Part::kRefused), 1u);
  // A sheet typed by hand, its numbers in column A.
  ASSERT_EQ(Review({{"number", "description"}, {"abc", "X"}}), DeskWork::Reviewed::kRefused);
  ASSERT_EQ(Rows(ImportPlan::Part::kRefused).size(), 1u);
  EXPECT_EQ(Rows(ImportPlan::Part::kRefused)[0].cell, "A2");

  // A row of a workbook's second sheet is told by that sheet's own row.
  std::vector<std::vector<std::string>> stock = Export(), more = {stock[0], stock[2]};
  more[1][kPrice] = "8";
  stock.pop_back();
  ASSERT_TRUE(
      WriteZipFile(Path("two.xlsx"), WorkbookParts(AsSaved({{"Stock", stock}, {"More", more}}))));
  ASSERT_EQ(work_.Review(Shop(), Path("two.xlsx"), {}, nullptr), DeskWork::Reviewed::kReady)
      << Joined(work_.TakeMessages());
  const std::vector<ImportPlan::Row> later = Rows(ImportPlan::Part::kChange);
  ASSERT_EQ(later.size(), 1u);
  EXPECT_EQ(later[0].row, 2);
  EXPECT_EQ(later[0].sheet, "More");
}

// What an opening of film.dat found is listed in the program's words, from
// the step's own listener: a step on the worker thread shows no box.
TEST_F(DeskReview, AnOpeningsMessagesAreListedAndNoBoxIsShown) {
  WriteInventory(MakeItems({{1, "ITEM 1"}}));
  Bytes bytes = ReadBytes("film.dat");
  bytes.push_back('x');
  WriteBytes("film.dat", bytes);
  const Lines before = Ui();
  DeskWork::Counts counts;
  EXPECT_FALSE(work_.ReadCounts(Shop(), &counts));
  EXPECT_EQ(work_.TakeMessages(), (Lines{"Data file film.dat corrupt in Opendata."}));
  std::ofstream(Path("in.csv"), std::ios::binary) << "number,price\n1,2\n";
  EXPECT_EQ(work_.Review(Shop(), Path("in.csv"), {}, nullptr), DeskWork::Reviewed::kFailed);
  EXPECT_TRUE(Says(work_.TakeMessages(), "corrupt in Opendata"));
  EXPECT_EQ(Ui(), before);
  EXPECT_EQ(ReadBytes("film.dat"), bytes);
}

// The settings file: what it says is kept, and what cannot be a setting
// (no UTF-8, a control character, a code page the back office does not
// take) is left out; saved and read back it is the same.
TEST_F(DeskReview, TheSettingsFileKeepsWhatItCanAndLeavesOutTheRest) {
  DeskSettings settings{"C:\\Shop", "E:\\", "932", "C:\\Sheets", {}};
  ASSERT_TRUE(SaveDeskSettings(L"desk.ini", settings));
  DeskSettings read;
  LoadDeskSettings(L"desk.ini", &read);
  EXPECT_EQ(FormatDeskSettings(read), FormatDeskSettings(settings));
  EXPECT_FALSE(Exists("desk.ini.tmp"));
  ParseDeskSettings("codepage=65001\nfolder=C:\\Other\x01\ncard=\xff\nsheets=D:\\\nnoise\n", &read);
  EXPECT_EQ(read.codePage, "932");
  EXPECT_EQ(read.folder, "C:\\Shop");
  EXPECT_EQ(read.card, "E:\\");
  EXPECT_EQ(read.sheets, "D:\\");

  // Each shop keeps the folder of its own sheets, across starts too.
  ChangeShop("C:\\Other", &read);
  EXPECT_EQ(read.sheets, "");
  read.sheets = "C:\\Other\\Sheets";
  ASSERT_TRUE(SaveDeskSettings(L"desk.ini", read));
  DeskSettings again;
  LoadDeskSettings(L"desk.ini", &again);
  ChangeShop("C:\\Shop", &again);
  EXPECT_EQ(again.sheets, "D:\\");
  ChangeShop("C:\\Other", &again);
  EXPECT_EQ(again.sheets, "C:\\Other\\Sheets");
  ParseDeskSettings("shopsheets=|D:\\\nshopsheets=C:\\Third\n", &again);
  EXPECT_EQ(again.otherShops.size(), 1u);
  // At most sixteen other shops are kept, and none whose folder holds the
  // line's own separator.
  DeskSettings many{"C:\\Shop0", "", "", "C:\\Sheets0", {}};
  for (int i = 1; i <= 20; ++i) {
    ChangeShop("C:\\Shop" + std::to_string(i), &many);
    many.sheets = "C:\\Sheets" + std::to_string(i);
  }
  EXPECT_EQ(many.otherShops.size(), 16u);
  ParseDeskSettings(FormatDeskSettings(many), &again);
  EXPECT_EQ(again.otherShops.size(), 16u);
  DeskSettings barred{"C:\\A|B", "", "", "C:\\Sheets", {}};
  ChangeShop("C:\\Shop", &barred);
  EXPECT_TRUE(barred.otherShops.empty());
  // A save that does not reach the medium is no save: the file there stays.
  const Bytes saved = ReadBytes("desk.ini");
  faults_.Inject(testkit::FileOp::kFlush, 1);
  EXPECT_FALSE(SaveDeskSettings(L"desk.ini", settings));
  EXPECT_EQ(ReadBytes("desk.ini"), saved);
  EXPECT_FALSE(Exists("desk.ini.tmp"));
}

namespace {

// What can be pressed, as letters: Shop, Add, Overwrite, Apply, Cancel,
// Progress, Review; a dot for each that cannot.
std::string Pressable(const DeskSteps::Controls& c) {
  const bool on[] = {c.shop, c.add, c.overwrite, c.apply, c.cancel, c.progress, c.review};
  std::string shown;
  for (size_t i = 0; i < std::size(on); ++i) shown += on[i] ? "SAOWCPR"[i] : '.';
  return shown;
}

const DeskSteps::Review kNoReview{};
const DeskSteps::Review kReady{true, true, false};
const DeskSteps::Review kRefused{true, false, true};

}  // namespace

// A running step starts no other and offers only Cancel; Apply only over a
// review that nothing stands in the way of, never while a step runs; a
// cancelled step leaves the window as it was before it.
TEST(DeskSteps, OneStepAtATimeApplyOnlyOverAReadyReviewCancelLeavesWhatWasBefore) {
  DeskSteps steps;
  EXPECT_EQ(Pressable(steps.Now(kNoReview)), "S......");
  EXPECT_EQ(steps.OnCancel(kNoReview), DeskSteps::Cancel::kNothing);
  ASSERT_TRUE(steps.Start(DeskSteps::Step::kReview));
  EXPECT_FALSE(steps.Start(DeskSteps::Step::kExport));
  EXPECT_FALSE(steps.Start(DeskSteps::Step::kCounts));
  EXPECT_EQ(steps.running(), DeskSteps::Step::kReview);
  EXPECT_EQ(Pressable(steps.Now(kReady)), "....CP.");
  EXPECT_EQ(steps.Finish().then, DeskSteps::Ended::Then::kNothing);
  EXPECT_EQ(Pressable(steps.Now(kRefused)), "SAO.C.R");
  EXPECT_EQ(Pressable(steps.Now(kReady)), "SA.WC.R");
  EXPECT_EQ(steps.OnCancel(kReady), DeskSteps::Cancel::kDropReview);

  // An export over the review, cancelled: the review as it was.
  ASSERT_TRUE(steps.Start(DeskSteps::Step::kExport));
  EXPECT_EQ(steps.OnCancel(kReady), DeskSteps::Cancel::kStopStep);
  EXPECT_EQ(Pressable(steps.Now(kReady)), "....CP.");
  EXPECT_EQ(steps.Finish().step, DeskSteps::Step::kExport);
  EXPECT_EQ(Pressable(steps.Now(kReady)), "SA.WC.R");

  // Apply, then the counts of what it wrote, its result kept in view.
  ASSERT_TRUE(steps.Start(DeskSteps::Step::kApply));
  EXPECT_EQ(Pressable(steps.Now(kReady)), "....CP.");
  const DeskSteps::Ended applied = steps.Finish();
  EXPECT_EQ(applied.then, DeskSteps::Ended::Then::kCounts);
  ASSERT_TRUE(steps.Start(DeskSteps::Step::kCounts));
  EXPECT_TRUE(steps.keepMessages());
  const DeskSteps::Ended counted = steps.Finish();
  EXPECT_TRUE(counted.afterApply && !counted.stale);
  EXPECT_FALSE(steps.keepMessages());
  ASSERT_TRUE(steps.Start(DeskSteps::Step::kCounts));
  EXPECT_FALSE(steps.Finish().afterApply);
}

// While the counts are read the owner may press on: the press, a change of
// shop, a sheet handed over, a settings change and a close each wait for
// the step and follow it, in that order of precedence: close, counts again,
// the sheet, the press.
TEST(DeskSteps, WhatArrivesDuringAStepFollowsIt) {
  DeskSteps steps;
  steps.BringBackAfterCounts(L"stock.csv");
  ASSERT_TRUE(steps.Start(DeskSteps::Step::kCounts));
  EXPECT_EQ(steps.TakeWaiting(), L"");
  EXPECT_EQ(Pressable(steps.Now(kNoReview)), "S...C..");  // the counts let the owner press on
  steps.PressAfterCounts(IDC_EXPORT);
  steps.CountAgain();
  EXPECT_FALSE(steps.SaveNow());
  DeskSteps::Ended end = steps.Finish();
  EXPECT_TRUE(end.stale && end.save);
  EXPECT_EQ(end.then, DeskSteps::Ended::Then::kCounts);
  EXPECT_TRUE(steps.SaveNow());

  ASSERT_TRUE(steps.Start(DeskSteps::Step::kCounts));
  end = steps.Finish();
  EXPECT_FALSE(end.stale || end.save);
  EXPECT_EQ(end.then, DeskSteps::Ended::Then::kBringBack);
  EXPECT_EQ(end.sheet, L"stock.csv");
  ASSERT_TRUE(steps.Start(DeskSteps::Step::kReview));
  EXPECT_EQ(steps.Finish().then, DeskSteps::Ended::Then::kNothing);  // a press waits for counts
  ASSERT_TRUE(steps.Start(DeskSteps::Step::kCounts));
  end = steps.Finish();
  EXPECT_EQ(end.then, DeskSteps::Ended::Then::kPress);
  EXPECT_EQ(end.press, IDC_EXPORT);
  ASSERT_TRUE(steps.Start(DeskSteps::Step::kCounts));
  EXPECT_EQ(steps.Finish().then, DeskSteps::Ended::Then::kNothing);

  // A close during Apply waits for its end, and nothing follows it.
  ASSERT_TRUE(steps.Start(DeskSteps::Step::kApply));
  EXPECT_FALSE(steps.Close());
  EXPECT_EQ(steps.Finish().then, DeskSteps::Ended::Then::kClose);
  EXPECT_TRUE(steps.Close());
}
