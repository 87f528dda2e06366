// The sheets export writes: CSV on standard output (for scripts) or a
// workbook file (for people), each row one record as export prints it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "office/fields.h"

class Listener;

// One record as export prints it: its slot, its number, each field, and the
// version mark of what they print.
struct ExportedRow {
  int64_t slot = 0;
  std::string number;
  std::array<std::string, kFieldCount> fields;
  std::string mark;
};

// The columns of every sheet export writes, in order, as a CSV's or a
// workbook's header names them.
constexpr size_t kExportedColumns = 3 + kFieldCount;
std::array<std::string, kExportedColumns> ExportedColumnNames(bool workbook);

class SheetWriter {
 public:
  virtual ~SheetWriter() = default;
  // False once the sheet could not be written (told).
  virtual bool Row(const ExportedRow& row) = 0;
  // Ends the sheet: false, told, when it could not be written whole.
  virtual bool Finish() = 0;
};

// CSV (RFC 4180, UTF-8, a header line), its text handed to `put` as it is
// made (false: it could not be written, and told).
std::unique_ptr<SheetWriter> CsvTo(std::function<bool(std::string_view)> put);
// The same CSV in a file at `path` (UTF-8), put in place by Finish only.
// Null, told to `told`, when it cannot be started.
std::unique_ptr<SheetWriter> CsvAt(const std::string& path, Listener& told);
// The rows of one sheet of a workbook below its header: its last row is
// the format's last, 1048576.
constexpr uint32_t kWorkbookRowsPerSheet = 1048575;
// An Office Open XML workbook at `path` (UTF-8), put in place by Finish
// only: until then the file there, if any, stays as it was. Past
// `rowsPerSheet` rows, they go on in another sheet. Null, told to `told`,
// when it cannot be started; what stops it later is told there too.
std::unique_ptr<SheetWriter> WorkbookAt(const std::string& path, Listener& told,
                                        uint32_t rowsPerSheet = kWorkbookRowsPerSheet);
