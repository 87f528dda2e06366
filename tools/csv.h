// Reading CSV as spreadsheets write it (RFC 4180): fields separated by
// commas, quoted when they hold a comma, a quote (doubled) or a line break;
// records end with CRLF or LF. A UTF-8 byte order mark at the start is
// skipped and empty lines are ignored.
#pragma once

#include <string>
#include <vector>

struct CsvRow {
  int line = 0;  // the line the record starts on, from 1
  std::vector<std::string> fields;
};

// False, with `*error` saying what and where, for text that is no CSV: a
// quote inside an unquoted field, text after a closing quote, a quoted
// field without its end.
bool ReadCsv(const std::string& text, std::vector<CsvRow>* rows, std::string* error);
