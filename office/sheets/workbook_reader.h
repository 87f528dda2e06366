// Reading an Office Open XML workbook (.xlsx) as spreadsheets save it, a
// row at a time: its sheets in the workbook's order, each row's cells as the
// text an export of the same values would print. Strings (shared, inline,
// a formula's) as they are; numbers and a formula's cached number as the
// spreadsheet stored them (2.5, 1E-3); a number shown as a date as
// YYYY-MM-DD; TRUE and FALSE. A cell that holds no value (an error, a
// formula without its cached value, two values) is "" and listed apart. The zip is read
// with minizip and the XML with expat; a sheet streams through a buffer of
// its own, the shared strings are held once (those memory does not take
// in a file beside the workbook), and a cell hands out a view of its string.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "office/sheets/book_reader.h"

// No cell of a sheet comes near this; one that holds more is refused.
constexpr size_t kLongestCell = size_t{1} << 20;

class WorkbookReader : public BookReader {
 public:
  ~WorkbookReader() override;
  // The workbook at `path` (UTF-8): null, with `*why` saying why, when it is
  // no workbook or its parts cannot be read.
  static std::unique_ptr<WorkbookReader> Open(const std::string& path, std::string* why);

  bool NextSheet(std::string* name) override;
  bool SheetHidden() const override;
  bool NextRow(WorkbookRow* row) override;
  const std::string& error() const override { return error_; }

  // How a cell is named in messages: "Stock!D7" (column from 0).
  static std::string CellName(const std::string& sheet, uint32_t row, size_t column);

  struct Parts;

 private:
  WorkbookReader() = default;
  bool Fail(const std::string& why);
  // The next row of the sheet into `*row`: false at its end, on a problem,
  // and for a row that holds nothing.
  bool TakeRow(WorkbookRow* row);

  std::unique_ptr<Parts> parts_;
  std::string error_;
};
