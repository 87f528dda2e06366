// Which kind of sheet a file is, by its first bytes and, for a zip, by the
// parts it holds, never by its name: a workbook named stock.csv is still a
// workbook. A format import does not read is told as what it is, with what
// to do, never read as CSV text.
#pragma once

#include <string>
#include <string_view>

enum class SheetKind {
  kCsv,           // text
  kWorkbook,      // Office Open XML (.xlsx, .xlsm)
  kOpenDocument,  // an OpenDocument spreadsheet (.ods)
  kUnread,        // a format import does not read
};

// The first bytes a file's kind is told by.
constexpr size_t kSheetHeadBytes = 8;

// The kind of the file at `path` (UTF-8) whose first bytes are `head`; for
// kUnread, `*why` says what the file is and what to do, in words that
// follow "FILE: ".
SheetKind KindOfSheet(const std::string& path, std::string_view head, std::string* why);
