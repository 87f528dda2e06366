// What a workbook and an OpenDocument spreadsheet are to import, read
// through one interface: their sheets in order, each a row at a time, each
// row's cells as the text an export of the same values would print.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "office/sheets/sheet_reader.h"

// The last row of a sheet, and the most columns a row has.
constexpr uint32_t kLastSheetRow = 1048576;
constexpr size_t kMostSheetColumns = 16384;

struct WorkbookRow {
  uint32_t row = 0;  // the sheet's row number, from 1
  // By column (A first); a column without a cell is "". Valid until the
  // next call of NextRow.
  std::vector<std::string_view> cells;
  // The cells whose type says they hold no value, each "" among `cells`.
  std::vector<CellWithoutValue> withoutValue;
};

class BookReader {
 public:
  virtual ~BookReader() = default;
  // The next sheet, in the book's order: false when there is none left, or
  // on a problem (error()).
  virtual bool NextSheet(std::string* name) = 0;
  // Whether the current sheet is one the spreadsheet hides from its owner
  // (hidden, or very hidden: left out of every list of sheets).
  virtual bool SheetHidden() const { return false; }
  // The next row of the current sheet that has a cell with a value: false
  // at the sheet's end, or on a problem (error()).
  virtual bool NextRow(WorkbookRow* row) = 0;
  virtual const std::string& error() const = 0;
  // Rows of the current sheet after this one hand out at most `columns` + 1
  // cells: a value further right stands at `columns`, for the caller to
  // tell that there is one, and no time goes into cells it never reads.
  // NextSheet lifts the limit.
  void LimitWidth(size_t columns) { widest_ = columns; }

 protected:
  size_t widest_ = kMostSheetColumns;
};
