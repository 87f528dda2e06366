// The import's decisions in this process, over an inventory held in memory:
// rows of field texts in, edits and findings out, where the rules are
// easiest to get wrong. Then the readers below them: the CSV's lines, the
// spreadsheet's respellings, a price's syntax; and the writes' check that a
// record is still the one decided on.
#include "office/import/import_decisions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <sstream>

#include "office/import/item_edits.h"
#include "office/import/respelling.h"
#include "office/sheets/csv.h"
#include "office/value_syntax.h"
#include "office/version_mark.h"
#include "platform/number_text.h"
#include "store/record_writes.h"
#include "tests/records_fixture.h"

namespace {

// Records by slot, found by number as the index finds them.
class MemoryItems : public SheetItems {
 public:
  explicit MemoryItems(std::vector<InventoryRecord> records) : records_(std::move(records)) {
    for (size_t slot = 0; slot < records_.size(); ++slot) {
      if (IsLiveNumber(RecordNumber(records_[slot]))) {
        entries_.push_back({RecordNumber(records_[slot]), static_cast<Slot>(slot)});
      }
    }
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  }
  size_t Entries() const override { return entries_.size(); }
  int64_t Find(int64_t number, size_t* entry) const override {
    const auto at =
        std::lower_bound(entries_.begin(), entries_.end(), std::make_pair(number, Slot{-1}));
    *entry = static_cast<size_t>(at - entries_.begin());
    int64_t count = 0;
    for (auto i = at; i != entries_.end() && i->first == number; ++i) ++count;
    return count;
  }
  Slot SlotAt(size_t entry) const override { return entries_[entry].second; }
  bool Read(Slot slot, InventoryRecord* record) override {
    *record = records_[static_cast<size_t>(slot)];
    return true;
  }
  bool Whole() const override { return true; }
  Slot Slots() const override { return slots >= 0 ? slots : static_cast<Slot>(records_.size()); }
  std::vector<InventoryRecord> records_;
  Slot slots = -1;  // the file's slot count, when a test makes it larger than records_

 private:
  std::vector<std::pair<int64_t, Slot>> entries_;
};

class Findings : public FindingSink {
 public:
  void Tell(const Found& f) override {
    std::string said = std::to_string(f.line) + " " + Name(f.what);
    if (f.number != 0) said += " " + std::to_string(f.number);
    if (f.what == Finding::kConflict || f.what == Finding::kUncheckedConflict ||
        f.what == Finding::kUnmarkedConflict || f.what == Finding::kRefusedValue ||
        f.what == Finding::kTooLong || f.what == Finding::kOverwritten) {
      said += std::string(" ") + FieldName(f.field);
    }
    told.push_back(said);
  }
  static std::string Name(Finding what) {
    static const std::map<Finding, const char*> kNames = {
        {Finding::kDamagedMark, "damaged"},        {Finding::kMarkOfOtherRow, "other-row"},
        {Finding::kDeletedSince, "deleted-since"}, {Finding::kDeletedSlotEdited, "deleted-slot"},
        {Finding::kNoSuchItem, "no-item"},         {Finding::kTwice, "twice"},
        {Finding::kConflict, "conflict"},          {Finding::kUncheckedConflict, "unchecked"},
        {Finding::kUnmarkedConflict, "unmarked"},  {Finding::kRefusedValue, "refused"},
        {Finding::kTooLong, "too-long"},           {Finding::kTotalsRow, "totals"},
        {Finding::kUnnamedValue, "unnamed"},       {Finding::kShortDescription, "short"},
        {Finding::kRowDisagrees, "row-disagrees"}, {Finding::kSeveralSlots, "several"},
        {Finding::kBadNumber, "bad-number"},       {Finding::kTooManySlots, "too-many"},
        {Finding::kOverwritten, "overwritten"},
    };
    const auto found = kNames.find(what);
    return found == kNames.end() ? "finding" + std::to_string(static_cast<int>(what))
                                 : found->second;
  }
  std::vector<std::string> told;
};

using Row = std::vector<std::string>;

const Row kHeader = {"slot",       "number",      "description", "sku",      "in_stock", "tax",
                     "cost_price", "trade_price", "price",       "category", "version"};
enum Column {
  kSlot,
  kNumber,
  kDescription,
  kSku,
  kInStock,
  kTax,
  kCost,
  kTrade,
  kPrice,
  kCategory,
  kVersion
};

// A row as export writes it, its mark included.
Row Exported(Slot slot, const InventoryRecord& r) {
  Row row = {std::to_string(slot), platform::FormatItemNumber(RecordNumber(r))};
  for (Field f : kAllFields) row.push_back(ExportedField(f, r));
  PrintedRow printed{row[1]};
  for (Field f : kAllFields) printed[1 + Index(f)] = row[2 + Index(f)];
  row.push_back(EncodeVersionMark(MakeVersionMark(printed)));
  return row;
}

// The decisions over `items` of `rows` under `header`, on lines 2 on; what
// they would write ("number field=text" a line) and what they told.
struct Decided {
  std::string written;
  std::vector<std::string> told;
  bool versionMissing = false;
};
Decided Decide(MemoryItems& items, const std::vector<Row>& rows, ImportRules rules = {},
               const Row& header = kHeader) {
  Findings findings;
  ImportDecisions decisions(rules, items, findings);
  const auto views = [](const Row& row) {
    return std::vector<std::string_view>(row.begin(), row.end());
  };
  Decided d;
  if (decisions.TakeHeader(1, views(header))) {
    for (size_t i = 0; i < rows.size(); ++i)
      decisions.TakeRow(static_cast<int>(i + 2), views(rows[i]));
  }
  for (ItemEdits* edits : {&decisions.changes(), &decisions.additions()}) {
    for (size_t i = 0; i < edits->Count(); ++i) {
      for (const FieldEdit& e : edits->Edits(i)) {
        d.written += std::to_string(edits->At(i).number) + (edits->At(i).slot < 0 ? " new " : " ") +
                     FieldName(e.field) + "=" + std::string(e.text) + "\n";
      }
    }
  }
  d.told = findings.told;
  d.versionMissing = decisions.versionMissing();
  return d;
}

std::vector<std::string> Told(std::initializer_list<std::string> lines) { return lines; }

}  // namespace

// Which fields of a marked row go in: only the owner's edits, and of those
// the ones film.dat changed since too only with --overwrite; a field both
// changed to the same value is no conflict.
TEST(ImportDecisions, AMarkedRowWritesTheOwnersEditsAndTellsWhereBothChanged) {
  const std::vector<InventoryRecord> exported = MakeItems({{10, "TEN", "S10", 4, 2.5f}});
  const Row row = Exported(0, exported[0]);
  MemoryItems items(exported);
  // The handheld since: stock 3, price 2.49.
  SetRecordInStock(items.records_[0], 3);
  SetRecordPrice(items.records_[0], 2.49f);

  Row sheet = row;
  sheet[kDescription] = "ten again";  // the owner's own edit
  sheet[kPrice] = "2.49";             // the same price the handheld gave it
  EXPECT_EQ(Decide(items, {sheet}).written, "10 description=ten again\n");
  EXPECT_EQ(Decide(items, {sheet}).told, Told({}));

  sheet[kInStock] = "6";  // edited on both sides
  Decided d = Decide(items, {sheet});
  EXPECT_EQ(d.told, Told({"2 conflict 10 in_stock"}));
  // --overwrite takes the sheet's value, and says so for the review.
  d = Decide(items, {sheet}, ImportRules{false, true});
  EXPECT_EQ(d.written, "10 description=ten again\n10 in_stock=6\n");
  EXPECT_EQ(d.told, Told({"2 overwritten 10 in_stock"}));

  // An older export's mark (no check) is read, but --overwrite does not take
  // its word over film.dat's.
  sheet[kVersion] = "v1" + row[kVersion].substr(2, 88);
  EXPECT_EQ(Decide(items, {sheet}).told, Told({"2 conflict 10 in_stock"}));
  EXPECT_EQ(Decide(items, {sheet}, ImportRules{false, true}).told,
            Told({"2 unchecked 10 in_stock"}));
  sheet[kInStock] = row[kInStock];
  EXPECT_EQ(Decide(items, {sheet}, ImportRules{false, true}).written, "10 description=ten again\n");

  // An unchanged row is left alone, whatever film.dat holds now.
  EXPECT_EQ(Decide(items, {row}).written, "");
}

// The whole row's digest tells each value by its length too: a text moved
// from one column to the next is an edit of both.
TEST(ImportDecisions, ATextMovedAcrossColumnsIsAnEditOfBoth) {
  MemoryItems items(MakeItems({{10, "ABC", "D"}}));
  Row sheet = Exported(0, items.records_[0]);
  sheet[kDescription] = "AB";
  sheet[kSku] = "CD";
  EXPECT_EQ(Decide(items, {sheet}).written, "10 description=AB\n10 sku=CD\n");
}

// A row without a mark cannot tell an edit from an old value: a value that
// differs from film.dat's is a conflict, but for the fresh inventory's
// record, a new item, and --overwrite.
TEST(ImportDecisions, ARowWithoutAMarkWritesNothingThatDiffersUnlessTold) {
  InventoryRecord fresh;
  MakeFreshRecord(fresh);
  MemoryItems items({fresh, MakeItem({2, "MUG", "S2", 6, 4.0f})});
  const Row header = {"number", "description", "price"};
  const std::vector<Row> rows = {{"1", "Kettle", "19.99"}, {"2", "MUG", "4.5"}, {"3", "Cup", "1"}};
  Decided d = Decide(items, rows, ImportRules{true, false}, header);
  EXPECT_EQ(d.written,
            "1 description=Kettle\n1 price=19.99\n3 new description=Cup\n3 new price=1\n");
  EXPECT_EQ(d.told, Told({"3 unmarked 2 price"}));
  EXPECT_FALSE(d.versionMissing);
  d = Decide(items, rows, ImportRules{false, true}, header);
  EXPECT_EQ(d.written, "1 description=Kettle\n1 price=19.99\n2 price=4.5\n");
  EXPECT_EQ(d.told, Told({"3 overwritten 2 price", "4 no-item 3"}));
  // Equal values, as the field stores them, are no conflict.
  EXPECT_EQ(Decide(items, {{"2", "mug", "4.00"}}, {}, header).told, Told({}));
  // A fresh record that is not quite fresh holds the shop's data.
  items.records_[0].bytes[kRecordSize - 1] = 1;
  EXPECT_EQ(Decide(items, {rows[0]}, {}, header).told,
            Told({"2 unmarked 1 description", "2 unmarked 1 price"}));

  // The columns of an export without its version column are told as such.
  Row exportHeader = kHeader;
  exportHeader.pop_back();
  EXPECT_TRUE(Decide(items, {}, {}, exportHeader).versionMissing);
  EXPECT_TRUE(Decide(items, {}, {}, {"slot", "number", "price"}).versionMissing);
  // A workbook's heading of the column, today's and an earlier export's.
  for (const char* heading : {kVersionHeading, kFormerVersionHeading}) {
    exportHeader.push_back(heading);
    EXPECT_FALSE(Decide(items, {}, {}, exportHeader).versionMissing) << heading;
    exportHeader.pop_back();
  }
}

// One line an item, marked or not, in film.dat or new; a mark guards itself
// against every change of a digit and against the row it was not made for.
TEST(ImportDecisions, EachItemStandsOnOneLineAndEachMarkOnItsOwnRow) {
  MemoryItems items(MakeItems({{10, "TEN"}, {11, "ELEVEN"}}));
  const Row ten = Exported(0, items.records_[0]);
  const Row eleven = Exported(1, items.records_[1]);
  Row copy = ten;
  copy[kDescription] = "NEW TEA TOWEL";
  EXPECT_EQ(Decide(items, {ten, eleven, copy}, ImportRules{true, true}).told, Told({"4 twice 10"}));
  Row unmarked = {"", "11", "ELEVEN", "SKU", "5", "1", "0.75", "1.25", "1.50", "3", ""};
  EXPECT_EQ(Decide(items, {eleven, unmarked}).told, Told({"3 twice 11"}));
  Row fresh1 = unmarked, fresh2 = unmarked;
  fresh1[kNumber] = fresh2[kNumber] = "20";
  EXPECT_EQ(Decide(items, {fresh1, fresh2}, ImportRules{true, false}).told, Told({"3 twice 20"}));
  // A marked row of a number film.dat no longer has, then the same number new.
  Row gone = Exported(0, MakeItem({12, "TWELVE"}));
  Row twelve = fresh1;
  twelve[kNumber] = "12";
  EXPECT_EQ(Decide(items, {gone, twelve}, ImportRules{true, false}).told, Told({"3 twice 12"}));
  gone[kPrice] = "3";
  EXPECT_EQ(Decide(items, {gone}, ImportRules{true, true}).told, Told({"2 deleted-since 12"}));

  copy[kNumber] = "30";
  EXPECT_EQ(Decide(items, {copy}, ImportRules{true, true}).told, Told({"2 other-row 30"}));
  for (size_t at = 0; at < ten[kVersion].size(); ++at) {
    for (const char digit : {'0', 'f', 'x'}) {
      Row damaged = ten;
      if (damaged[kVersion][at] == digit) continue;
      damaged[kVersion][at] = digit;
      EXPECT_EQ(Decide(items, {damaged}, ImportRules{true, true}).told, Told({"2 damaged 10"}))
          << at << digit;
    }
  }
  Row shortened = ten;
  shortened[kVersion].pop_back();
  EXPECT_EQ(Decide(items, {shortened}).told, Told({"2 damaged 10"}));
  shortened[kVersion] = "v1" + ten[kVersion].substr(2, 87);
  EXPECT_EQ(Decide(items, {shortened}).told, Told({"2 damaged 10"}));
}

// export --all's rows of deleted slots come back alone; an edit of one is
// refused. New items take blank cells as the empty record's values; rows of
// empty cells are no rows; a text longer than the field is never cut.
TEST(ImportDecisions, DeletedSlotsBlankCellsAndEmptyRows) {
  InventoryRecord deleted = MakeItem({10, "TEN"});
  MarkDeleted(deleted);
  MemoryItems items({deleted, MakeItem({0, "ZERO"}, 1), MakeItem({11, "ELEVEN"}, 2)});
  const Row minus = Exported(0, items.records_[0]), zero = Exported(1, items.records_[1]);
  EXPECT_EQ(Decide(items, {minus, zero, minus}).told, Told({}));
  Row edited = zero;
  edited[kPrice] = "2";
  EXPECT_EQ(Decide(items, {edited}, ImportRules{true, true}).told, Told({"2 deleted-slot"}));
  edited[kVersion] = "";
  EXPECT_EQ(Decide(items, {edited}, ImportRules{true, true}).told, Told({"2 bad-number"}));

  const Row header = {"number", "description", "tax", "cost_price", "in_stock"};
  Decided d =
      Decide(items, {{"20", "NEW", "", " ", "2"}, {"", "", "", "", ""}, {" ", "", "", "", ""}},
             ImportRules{true, false}, header);
  EXPECT_EQ(d.written, "20 new description=NEW\n20 new in_stock=2\n");
  EXPECT_EQ(d.told, Told({}));
  EXPECT_EQ(Decide(items, {{"", "", "", "", "40"}}, ImportRules{true, false}, header).told,
            Told({"2 totals"}));
  EXPECT_EQ(
      Decide(items, {{"21", std::string(39, 'A'), "", "", ""}}, ImportRules{true, false}, header)
          .told,
      Told({"2 too-long 21 description"}));
  EXPECT_EQ(Decide(items, {{"21", "X", "", "", ""}}, ImportRules{true, false}, header).told,
            Told({"2 short 21"}));
  // A column without a name takes no value.
  EXPECT_EQ(
      Decide(items, {{"11", "ELEVEN", ""}, {"11", "EL", "EVEN"}}, {}, {"number", "description", ""})
          .told,
      Told({"3 unnamed"}));
  // A file one slot short of the largest takes one new item and no more.
  items.slots = kLargestSlotCount - 1;
  d = Decide(items, {{"20", "NEW", "", "", ""}, {"21", "NEWER", "", "", ""}},
             ImportRules{true, false}, header);
  EXPECT_EQ(d.written, "20 new description=NEW\n");
  EXPECT_EQ(d.told, Told({"3 too-many 21"}));
}

// A mark comes back as a spreadsheet may have respelled it (upper-cased by
// a column's format, or lower-cased) and still tells its row; one changed,
// cut or foreign character makes it damaged, and an older export's mark is
// read without its check.
TEST(VersionMarks, ReadInEitherCaseDamagedByAnyChange) {
  const std::string description(1500, 'D');  // a row longer than the digest's own buffer
  const PrintedRow row{"42", description, "SKU-1", "3", "0", "1", "2.50", "2.25", "0"};
  const VersionMark made = MakeVersionMark(row);
  const std::string text = EncodeVersionMark(made);
  ASSERT_EQ(text.size(), 98u);
  ASSERT_EQ(text.substr(0, 2), "v2");
  const auto read = [](const std::string& t, VersionMark* mark) {
    return DecodeVersionMark(t, mark);
  };
  std::string upper = text, lower = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const std::string& spelled : {text, upper, lower}) {
    VersionMark mark;
    ASSERT_EQ(read(spelled, &mark), MarkText::kWhole) << spelled;
    EXPECT_EQ(mark.row, made.row);
    EXPECT_EQ(mark.number, made.number);
    EXPECT_EQ(mark.fields, made.fields);
  }
  EXPECT_EQ(made.number, NumberDigest("42"));
  EXPECT_EQ(made.fields[Index(Field::kDescription)], FieldDigest(Field::kDescription, description));
  std::string longer = description;
  longer.back() = 'E';
  PrintedRow other = row;
  other[1] = longer;
  EXPECT_NE(RowDigest(other), made.row) << "the last byte of a long row counts";

  // The older form: the same digits without the check, in either case.
  VersionMark mark;
  std::string v1 = "v1" + text.substr(2, 88);
  EXPECT_EQ(read(v1, &mark), MarkText::kUnchecked);
  EXPECT_EQ(mark.fields, made.fields);
  v1 = "V1" + upper.substr(2, 88);
  EXPECT_EQ(read(v1, &mark), MarkText::kUnchecked);

  std::vector<std::string> damaged{text.substr(0, 97), text + "0", "x" + text.substr(1),
                                   "v3" + text.substr(2), "v1" + text.substr(2)};
  for (size_t at : {2u, 17u, 25u, 60u, 89u, 97u}) {
    std::string changed = text;
    changed[at] = changed[at] == '0' ? '1' : '0';
    damaged.push_back(changed);
    changed[at] = 'g';
    damaged.push_back(changed);
  }
  for (const std::string& t : damaged) {
    VersionMark untouched;
    untouched.number = 7;
    EXPECT_EQ(read(t, &untouched), MarkText::kDamaged) << t;
    EXPECT_EQ(untouched.number, 7u) << "a damaged mark leaves the mark as it was";
  }
}

// The CSV's lines: a quoted field's line breaks count, so that a problem
// is told on the line it stands on.
TEST(SheetReaders, ACsvRowStartsOnTheLineItStandsOn) {
  std::istringstream text(
      "number,description\r\n10,\"TWO\r\nLINES\"\r\n11,\"THREE\nLINES \"\"AND\"\"\r\nA QUOTE\"\r\n"
      "\r\n12,X\r\n");
  CsvReader reader(text.rdbuf());
  CsvRow row;
  std::vector<int> lines;
  while (reader.Next(&row)) lines.push_back(row.line);
  EXPECT_EQ(reader.error(), "");
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 4, 8}));
}

// Gigabytes of empty lines before a record: the count goes past what names
// a row, and the text is refused there, never told with a line below 1.
TEST(SheetReaders, ACsvOfMoreLinesThanARowIsNamedByIsRefused) {
  class EmptyLines : public std::streambuf {
   public:
    explicit EmptyLines(uint64_t lines) : left_(lines) {}

   protected:
    std::streamsize xsgetn(char* to, std::streamsize count) override {
      const auto n = static_cast<std::streamsize>(std::min<uint64_t>(left_, count));
      std::fill_n(to, n, '\n');
      left_ -= static_cast<uint64_t>(n);
      if (n == 0 && !recordGiven_) {
        recordGiven_ = true;
        const char record[] = "10,X\n";
        std::copy_n(record, sizeof record - 1, to);
        return sizeof record - 1;
      }
      return n;
    }

   private:
    uint64_t left_;
    bool recordGiven_ = false;
  };
  EmptyLines past(uint64_t{kLastCsvLine});
  CsvReader reader(&past);
  CsvRow row;
  EXPECT_FALSE(reader.Next(&row));
  EXPECT_EQ(reader.error(),
            "line 2147483648: more than 2147483647 lines: no sheet of an inventory is that long");
  // The last line that names a row is read.
  EmptyLines last(uint64_t{kLastCsvLine} - 1);
  CsvReader lastReader(&last);
  ASSERT_TRUE(lastReader.Next(&row)) << lastReader.error();
  EXPECT_EQ(row.line, kLastCsvLine);
}

// A spreadsheet's date holds every part of the text it was made from, and
// only then is it taken for a respelling rather than an edit.
TEST(SheetReaders, ADateIsARespellingOnlyWithEveryPartOfTheText) {
  EXPECT_TRUE(IsSpreadsheetRespelling("MARCH 5", "2026-03-05"));
  EXPECT_TRUE(IsSpreadsheetRespelling("1/2", "01/02/2026"));
  EXPECT_TRUE(IsSpreadsheetRespelling("0012", "12"));
  EXPECT_FALSE(IsSpreadsheetRespelling("MARCH 5", "2026-04-07"));
  EXPECT_FALSE(IsSpreadsheetRespelling("1/2", "03/04/2026"));
  EXPECT_FALSE(IsSpreadsheetRespelling("0012", "13"));
}

// A price is a whole decimal number: an exponent needs its digits.
TEST(SheetReaders, APriceIsANumberWhole) {
  for (const char* refused : {"1e", "1e+", "e5", ".", "1.2.3", "1 2", "+-1", "0x10"}) {
    EXPECT_EQ(PriceSyntax(refused), "not a number") << refused;
  }
  for (const char* taken : {"1e5", "1E-2", " 2.50 ", "-0", ".5", "5.", "+3"}) {
    EXPECT_EQ(PriceSyntax(taken), "") << taken;
  }
  uint32_t value = 0;
  EXPECT_FALSE(TakeUnsigned("4294967295", &value));
  EXPECT_TRUE(IsWholeNumberText("4294967295"));
  int64_t number = 0;
  ASSERT_TRUE(TakeStoredNumber("-9223372036854775808", &number));
  EXPECT_EQ(number, INT64_MIN);
  EXPECT_FALSE(TakeStoredNumber("9223372036854775808", &number));
  EXPECT_FALSE(TakeStoredNumber("- 1", &number));
}

// The writes check, under their hold of film.dat, that each record is still
// the one the change was decided on: another program's change in between is
// never written over, in the real run or the dry run.
class ImportWrites : public RecordsTest {};
TEST_F(ImportWrites, AChangeIsWrittenOnlyOverTheRecordItWasDecidedOn) {
  const std::vector<InventoryRecord> records = MakeItems({{10, "TEN"}, {11, "ELEVEN"}});
  Open(records);
  ItemEdits changes;
  for (Slot slot : {0, 1}) {
    changes.Add(ItemEdits::Item{2, RecordNumber(records[static_cast<size_t>(slot)]), slot,
                                RecordDigest(records[static_cast<size_t>(slot)])},
                {FieldEdit{Field::kPrice, "9.99"}});
  }
  // Another program changes item 11 after the decisions.
  InventoryRecord theirs = records[1];
  SetRecordInStock(theirs, 77);
  WriteInventory({records[0], theirs});
  const Bytes before = ReadBytes("film.dat");
  EditWrites writes(changes);
  EXPECT_TRUE(writes.Holds(0, records[0]));
  EXPECT_FALSE(writes.Holds(1, theirs));
  const SlotsWritten written = WriteAmendedRecords(writes);
  EXPECT_EQ(written.outcome, WriteOutcome::kChanged);
  EXPECT_EQ(written.stopped, 1u);
  EXPECT_EQ(ReadBytes("film.dat"), before);
}
