// The sheets import reads, through one interface: a CSV (one sheet, its
// lines) or a workbook (its sheets, their rows), a row at a time, each row
// the texts of its cells. Rows are numbered for the import's messages, and
// each reader names a row or cell by that number as its owner knows it: a
// CSV's line, a workbook's sheet and cell ("Stock!D7").
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A workbook's cell that holds no value to take (its text is ""), and why.
struct CellWithoutValue {
  enum class Kind {
    kError,       // an error, a formula's or typed: `code` (#REF!, #N/A)
    kNoValueYet,  // a formula whose value the program that wrote it did not work out
    kTwoValues,   // two values at once (a number and an inline string)
  };
  size_t column = 0;  // from 0
  Kind kind = Kind::kError;
  std::string code;
};

struct SheetRow {
  int line = 0;  // above 0, and each row's own
  // Valid until the next call of NextRow.
  std::vector<std::string_view> cells;
  // Of a workbook's row: its cells without a value, by column. A CSV's
  // cells are text, whatever they hold ("#REF!" may be an SKU).
  std::vector<CellWithoutValue> withoutValue;
};

class SheetReader {
 public:
  virtual ~SheetReader() = default;
  // The next sheet: false when there is none left, or on a problem
  // (error()). A CSV is one sheet without a name.
  virtual bool NextSheet(std::string* name) = 0;
  // The next row of the current sheet: false at its end, or on a problem.
  virtual bool NextRow(SheetRow* row) = 0;
  virtual const std::string& error() const = 0;
  // Row `line` as messages name it ("12" for a CSV's line, "Stock row 7"),
  // and its cell in column `column` (from 0; "12", "Stock!D7").
  virtual std::string RowName(int line) const = 0;
  virtual std::string CellName(int line, size_t column) const = 0;
  // Whether the current sheet is one the spreadsheet hides from its owner (a
  // workbook's hidden or very hidden sheet): never a CSV.
  virtual bool Hidden() const = 0;
  // Row `line` as a spreadsheet shows it: its number on its sheet, and the
  // name of that sheet where it is not the first, on which a spreadsheet
  // opens the file ("" for a CSV's one sheet).
  virtual int ShownRow(int line) const { return line; }
  virtual std::string LaterSheet(int) const { return ""; }
  // Whether this is a workbook, whose cells have types of their own, not
  // text that the spreadsheet reads as it likes.
  virtual bool IsWorkbook() const = 0;
  // Lets the file go once its rows are read (no row is read after): the
  // rows' and cells' names still answer.
  virtual void Close() = 0;
};

// A column's letters as a spreadsheet heads it: A for the first (0), then
// B ... Z, AA, AB ...
std::string ColumnLetters(size_t column);

// The sheet at `path` (UTF-8; "-" reads CSV from standard input), read as
// what the file is (office/sheets/sheet_format.h), whatever its name: a
// workbook, an OpenDocument spreadsheet or CSV text. Null, with `*why`
// saying why, when it cannot be opened or is of a format not read.
std::unique_ptr<SheetReader> OpenSheetReader(const std::string& path, std::string* why);
