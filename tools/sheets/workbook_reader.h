// Reading an Office Open XML workbook (.xlsx) as spreadsheets save it, a
// row at a time: its sheets in the workbook's order, each row's cells as the
// text an export of the same values would print. Strings (shared, inline,
// a formula's) as they are; numbers and a formula's cached number as the
// spreadsheet stored them (2.5, 1E-3); a number shown as a date as
// YYYY-MM-DD; TRUE and FALSE; an error as its code (#N/A). The zip is read
// with minizip and the XML with expat; a sheet streams through a buffer of
// its own, the shared strings are held in one block.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct WorkbookRow {
  uint32_t row = 0;  // the sheet's row number, from 1
  // By column (A first); a column without a cell is "". Valid until the
  // next call of WorkbookReader::NextRow.
  std::vector<std::string_view> cells;
};

// The most text the shared strings may hold: a sheet of the largest
// inventory holds less than a quarter of it.
constexpr size_t kLargestSharedStrings = size_t{1} << 30;

class WorkbookReader {
 public:
  ~WorkbookReader();
  // The workbook at `path` (UTF-8): null, with `*why` saying why, when it is
  // no workbook or its parts cannot be read.
  static std::unique_ptr<WorkbookReader> Open(const std::string& path, std::string* why);

  // The next sheet, by the workbook's order: false when there is none
  // left, or on a problem (error()).
  bool NextSheet(std::string* name);
  // The next row of the current sheet that has a cell: false at the
  // sheet's end, or on a problem (error()).
  bool NextRow(WorkbookRow* row);
  const std::string& error() const { return error_; }

  // How a cell is named in messages: "Stock!D7" (column from 0).
  static std::string CellName(const std::string& sheet, uint32_t row, size_t column);

  struct Parts;

 private:
  WorkbookReader() = default;
  bool Fail(const std::string& why);

  std::unique_ptr<Parts> parts_;
  std::string error_;
};

