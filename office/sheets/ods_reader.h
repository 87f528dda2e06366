// Reading an OpenDocument spreadsheet (.ods, as Calc saves one) a row at a
// time, by the same rules as a workbook: its tables in order, each row's
// cells as the text an export of the same values would print. A cell's
// office:value-type says what it holds: numbers (float, percentage,
// currency) as their office:value, dates as YYYY-MM-DD, booleans as TRUE
// and FALSE, texts and errors as their paragraphs say them (text:s,
// text:tab and text:line-break undone, paragraphs joined by line feeds,
// annotations left out); a cell without a value type is empty. Repeated
// cells and rows are handed out as often as they stand, but a repeat of
// empty ones, such as the columns and rows Calc writes to a sheet's end,
// makes no cell at all. content.xml streams through expat from minizip.
#pragma once

#include <memory>
#include <string>

#include "office/sheets/book_reader.h"

class OdsReader : public BookReader {
 public:
  ~OdsReader() override;
  // The spreadsheet at `path` (UTF-8): null, with `*why` saying why, when it
  // is none or its content cannot be read.
  static std::unique_ptr<OdsReader> Open(const std::string& path, std::string* why);

  bool NextSheet(std::string* name) override;
  bool NextRow(WorkbookRow* row) override;
  const std::string& error() const override { return error_; }

  struct Parts;

 private:
  OdsReader() = default;
  bool Fail(const std::string& why);

  std::unique_ptr<Parts> parts_;
  std::string error_;
};
