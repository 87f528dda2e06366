// The import's decisions, row by row, apart from the sheet's format, the
// writes and the words: which rows the owner left as they were exported,
// which fields they edited, which of those film.dat changed since too (a
// conflict), which rows are new items, and which marks are damaged. A row
// comes as the texts of its fields, whatever sheet it was read from; what is
// to be written goes to lists of edits (office/import/item_edits.h), and everything
// that stands in the way to a FindingSink, with its cause.
//
// - A row with export's version mark (office/version_mark.h) that still holds
//   what was exported is left alone, whatever film.dat holds now. Of an
//   edited one, the fields the owner edited are written; a field that
//   film.dat changed since the export too is a conflict, unless --overwrite.
//   Such a row never adds an item, and a row of a deleted slot (export
//   --all) is left alone.
// - A row without a mark cannot tell an edit from an old value: each of its
//   fields whose value differs from film.dat's is a conflict, unless
//   --overwrite; but for a new item under --add, and for an item that still
//   holds the fresh inventory's record, as tallo and import --add make it.
// - Each item stands on one line: a number on two lines refuses the sheet.
// - A damaged mark, or one made for another number, refuses its row, with
//   or without --overwrite.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "office/fields.h"
#include "office/import/item_edits.h"
#include "office/sheets/sheet_reader.h"
#include "office/version_mark.h"
#include "store/inventory_record.h"

struct ImportRules {
  bool add = false;        // rows of numbers not in film.dat become new items
  bool overwrite = false;  // the sheet's values go over film.dat's where both changed
};

// film.dat as the decisions see it: its items by number.
class SheetItems {
 public:
  virtual ~SheetItems() = default;
  // How many places the items' numbers take (the used index entries).
  virtual size_t Entries() const = 0;
  // How many slots hold live `number`; when one or more, `*entry` is the
  // first one's place, below Entries().
  virtual int64_t Find(int64_t number, size_t* entry) const = 0;
  // The slot of the item at `entry`.
  virtual Slot SlotAt(size_t entry) const = 0;
  // Reads slot `slot`; false when it cannot be read.
  virtual bool Read(Slot slot, InventoryRecord* record) = 0;
  // Whether the number of every slot is known, so that an item can be added.
  virtual bool Whole() const = 0;
  virtual Slot Slots() const = 0;
};

// What stands in the way of a sheet, or what was done with one of its rows.
enum class Finding {
  // The header.
  kSeparatedBy,   // the one column's name holds a semicolon or tab (`text`)
  kColumnTwice,   // `text` names two columns
  kNoSuchColumn,  // `text` is one of import's columns misspelled (its case, blanks, an
                  // invisible character)
  kNoNumberColumn,
  kColumnNotOurs,  // no refusal: `text` names a column of the owner's own (notes), left alone
  // A row: its shape.
  kFieldCount,    // `count` fields where the header has `other`
  kUnnamedValue,  // a value in the column without a name at `other` (from 1)
  kTotalsRow,     // no item number, yet other cells hold values
  kBadNumber,     // `text` is no item number: `why`
  kNoValue,       // a workbook's cell at `column` holds no value: `count` its Kind, `text` its code
  // A row: its mark.
  kDamagedMark,        // changed or cut short: no mark of its form
  kMarkOfOtherRow,     // whole, but made for another number than `number`
  kRowDisagrees,       // every field agrees with the mark, the row's digest does not
  kItemDisagrees,      // film.dat's item agrees field by field, not as a whole
  kDeletedSince,       // an edited marked row of `number`, which film.dat no longer has
  kDeletedSlotEdited,  // a row of a deleted slot (export --all), edited
  // A row: its item.
  kNoSuchItem,        // `number` is not in film.dat (and there is no --add)
  kCannotAdd,         // film.dat could not be read whole: no item can be added
  kTooManySlots,      // the additions would pass the largest inventory
  kTwice,             // `number` stands on line `other` already
  kSeveralSlots,      // `number` stands in `count` slots
  kUnreadable,        // slot `count` cannot be read
  kChangedSinceRead,  // the slot no longer holds `number`
  // A row: its values.
  kRefusedValue,      // `field`'s `text`, refused: `why`
  kTooLong,           // `field`'s `text` is longer than the field holds: `why`
  kRespelled,         // `field`: `text` is what a spreadsheet made of film.dat's `now`
  kShortDescription,  // the description would have fewer than two characters
  // Conflicts: the sheet's `text` for `field` of `number` where film.dat
  // holds `now`.
  kConflict,           // a marked row's edit of a field film.dat changed since the export
  kUncheckedConflict,  // the same under --overwrite, in a row with an older export's mark
  kUnmarkedConflict,   // a row without a mark differs from film.dat
  // No refusal: a conflict that --overwrite settles, the sheet's `text` for
  // `field` of `number` going over film.dat's `now`.
  kOverwritten,
};

constexpr bool IsConflict(Finding what) {
  return what == Finding::kConflict || what == Finding::kUncheckedConflict ||
         what == Finding::kUnmarkedConflict;
}
// A finding that stands in nobody's way, told for a review of the writes.
constexpr bool IsNotice(Finding what) {
  return what == Finding::kOverwritten || what == Finding::kColumnNotOurs;
}

struct Found {
  // One maker a kind, each taking what its kind says (see Finding).
  // The header's.
  static Found SeparatedBy(int line, std::string_view separator) {
    return Found(Finding::kSeparatedBy, line).Text(separator);
  }
  static Found ColumnTwice(int line, std::string_view name) {
    return Found(Finding::kColumnTwice, line).Text(name);
  }
  static Found NoSuchColumn(int line, std::string_view name, int column) {
    return Found(Finding::kNoSuchColumn, line).Text(name).Column(column);
  }
  static Found ColumnNotOurs(int line, std::string_view name, int column) {
    return Found(Finding::kColumnNotOurs, line).Text(name).Column(column);
  }
  static Found NoNumberColumn(int line) { return Found(Finding::kNoNumberColumn, line); }
  // A row's shape.
  static Found FieldCount(int line, size_t fields, size_t width) {
    Found found(Finding::kFieldCount, line);
    found.count = static_cast<int64_t>(fields);
    found.other = static_cast<int64_t>(width);
    return found;
  }
  // `column` counts from 0; the finding's `other` from 1.
  static Found UnnamedValue(int line, std::string_view text, int column) {
    Found found = Found(Finding::kUnnamedValue, line).Text(text);
    found.other = column + 1;
    return found;
  }
  static Found TotalsRow(int line, std::string_view number) {
    return Found(Finding::kTotalsRow, line).Text(number);
  }
  static Found BadNumber(int line, std::string_view number, std::string why) {
    Found found = Found(Finding::kBadNumber, line).Text(number);
    found.why = std::move(why);
    return found;
  }
  static Found NoValue(int line, int column, int64_t kind, std::string_view code) {
    Found found = Found(Finding::kNoValue, line).Text(code).Column(column);
    found.count = kind;
    return found;
  }
  // A row's mark and its item, of item `number`.
  static Found DamagedMark(int line, int64_t number, std::string_view mark) {
    return Found(Finding::kDamagedMark, line, number).Text(mark);
  }
  static Found MarkOfOtherRow(int line, int64_t number) {
    return Found(Finding::kMarkOfOtherRow, line, number);
  }
  static Found RowDisagrees(int line, int64_t number) {
    return Found(Finding::kRowDisagrees, line, number);
  }
  static Found ItemDisagrees(int line, int64_t number) {
    return Found(Finding::kItemDisagrees, line, number);
  }
  static Found DeletedSince(int line, int64_t number) {
    return Found(Finding::kDeletedSince, line, number);
  }
  static Found DeletedSlotEdited(int line, int64_t number) {
    return Found(Finding::kDeletedSlotEdited, line, number);
  }
  static Found NoSuchItem(int line, int64_t number) {
    return Found(Finding::kNoSuchItem, line, number);
  }
  static Found CannotAdd(int line, int64_t number) {
    return Found(Finding::kCannotAdd, line, number);
  }
  static Found TooManySlots(int line, int64_t number) {
    return Found(Finding::kTooManySlots, line, number);
  }
  static Found Twice(int line, int64_t number, int firstLine) {
    Found found(Finding::kTwice, line, number);
    found.other = firstLine;
    return found;
  }
  static Found SeveralSlots(int line, int64_t number, int64_t slots) {
    Found found(Finding::kSeveralSlots, line, number);
    found.count = slots;
    return found;
  }
  static Found Unreadable(int line, int64_t number, int64_t slot) {
    Found found(Finding::kUnreadable, line, number);
    found.count = slot;
    return found;
  }
  static Found ChangedSinceRead(int line, int64_t number) {
    return Found(Finding::kChangedSinceRead, line, number);
  }
  static Found ShortDescription(int line, int64_t number) {
    return Found(Finding::kShortDescription, line, number);
  }
  // A row's value: the sheet's `text` for `field`.
  static Found RefusedValue(int line, int64_t number, Field field, std::string_view text,
                            std::string why) {
    return Found(Finding::kRefusedValue, line, number, field, text, "", std::move(why));
  }
  // Where film.dat holds the item, its `now` and `description` go with it.
  static Found TooLong(int line, int64_t number, Field field, std::string_view text,
                       std::string why, std::string now = "", std::string description = "") {
    Found found(Finding::kTooLong, line, number, field, text, std::move(now), std::move(why));
    found.description = std::move(description);
    return found;
  }
  static Found Respelled(int line, int64_t number, Field field, std::string_view text,
                         std::string now) {
    return Found(Finding::kRespelled, line, number, field, text, std::move(now));
  }
  // The sheet's `text` for `field` where film.dat holds `now`, `is` once
  // stored, in the item of `description`: a conflict of `what`'s kind
  // (kConflict, kUncheckedConflict, kUnmarkedConflict), or kOverwritten,
  // which the rules decide.
  static Found Disagreement(Finding what, int line, int64_t number, Field field,
                            std::string_view text, std::string now, std::string is,
                            std::string description) {
    Found found(what, line, number, field, text, std::move(now));
    found.is = std::move(is);
    found.description = std::move(description);
    return found;
  }

  Finding what;
  int line = 0;
  int64_t number = 0;
  Field field = Field::kDescription;
  std::string_view text;  // the sheet's text, valid during the call
  std::string now;        // what film.dat holds, as export prints it
  std::string is;         // the sheet's value as film.dat prints it once stored, where known
  std::string why;
  std::string description;  // of the item in film.dat, for a conflict's review
  int64_t count = 0;
  int64_t other = 0;
  int column = -1;        // the header's column of the cell it is about, or -1 for the row
  bool unmarked = false;  // a conflict or overwrite of a row without a version mark

 private:
  Found(Finding what_, int line_, int64_t number_ = 0)
      : what(what_), line(line_), number(number_) {}
  Found(Finding what_, int line_, int64_t number_, Field field_, std::string_view text_,
        std::string now_ = "", std::string why_ = "")
      : what(what_),
        line(line_),
        number(number_),
        field(field_),
        text(text_),
        now(std::move(now_)),
        why(std::move(why_)) {}
  Found Text(std::string_view text_) && {
    text = text_;
    return std::move(*this);
  }
  Found Column(int column_) && {
    column = column_;
    return std::move(*this);
  }
};

class FindingSink {
 public:
  virtual ~FindingSink() = default;
  virtual void Tell(const Found& found) = 0;
};

class ImportDecisions {
 public:
  ImportDecisions(const ImportRules& rules, SheetItems& items, FindingSink& sink);

  // The header's column names, of the sheet whose rows follow (a workbook
  // has a header on each sheet). False when the rows cannot be read by them
  // (told).
  bool TakeHeader(int line, const std::vector<std::string_view>& names);
  // A row's texts, one for each column of the header, and a workbook row's
  // cells that hold no value, which refuse the row.
  void TakeRow(int line, const std::vector<std::string_view>& fields,
               const std::vector<CellWithoutValue>& withoutValue = {});

  int problems() const { return problems_; }
  // Conflicts of each kind.
  int conflicts(Finding kind) const;
  int conflicts() const { return conflicts_[0] + conflicts_[1] + conflicts_[2]; }
  // Rows without a mark that named an item in film.dat.
  int unmarked() const { return unmarked_; }
  // Values of such rows that --overwrite puts over film.dat's.
  int unmarkedOverwritten() const { return unmarkedOverwritten_; }
  // The header holds the columns of an export (its slot column, or every
  // field's), but not the version column.
  bool versionMissing() const { return versionMissing_; }
  // What to write: the changes of items in film.dat, in slot order, and the
  // new items in the order of their lines.
  ItemEdits& changes();
  ItemEdits& additions() { return additions_; }

 private:
  struct Columns {
    size_t width = 0;
    int number = -1;
    int version = -1;
    bool slot = false;
    std::array<int, kFieldCount> field;
    std::vector<int> unnamed;
    Columns() { field.fill(-1); }
  };
  void TakeMarked(int line, const std::vector<std::string_view>& fields, int64_t number,
                  const VersionMark& mark, bool checked);
  void TakeUnmarked(int line, const std::vector<std::string_view>& fields, int64_t number);
  // Whether `number` stands on no line before `line`: told when it does. An
  // item in film.dat is known by its entry, a number not in it by the number.
  bool FirstLine(int line, int64_t number, const size_t* entry);
  // Reads the item at `entry` for the row on `line`: false after a problem.
  bool ReadItem(int line, int64_t number, size_t entry, Slot* slot, InventoryRecord* record);
  // Keeps `edits` of `item` when, stored into `now` (a zero record for a
  // new item), they change it; false after a problem with them.
  bool Keep(const ItemEdits::Item& item, const std::vector<FieldEdit>& edits,
            const InventoryRecord& now);
  void Tell(Found found);
  bool Respelled(int line, int64_t number, Field field, std::string_view value,
                 const std::string& printed);

  ImportRules rules_;
  SheetItems& items_;
  FindingSink& sink_;
  Columns columns_;
  bool versionMissing_ = false;
  std::vector<int> seenOn_;            // by entry: the line that named its item, or 0
  std::map<int64_t, int> newNumbers_;  // numbers not in film.dat -> the line that named them
  ItemEdits changes_;
  ItemEdits additions_;
  bool sorted_ = false;
  int problems_ = 0;
  int conflicts_[3] = {};
  int unmarked_ = 0;
  int unmarkedOverwritten_ = 0;
};
