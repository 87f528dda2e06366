// Reading CSV as spreadsheets write it (RFC 4180), a record at a time, so
// that a sheet of any length takes the memory of one line: fields separated
// by commas, quoted when they hold a comma, a quote (doubled) or a line
// break; records end with CRLF or LF. A UTF-8 byte order mark at the start
// is skipped and empty lines are ignored. The text must be UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

struct CsvRow {
  int line = 0;  // the line the record starts on, from 1
  // Valid until the next call of CsvReader::Next.
  std::vector<std::string_view> fields;
};

// No record of a sheet comes near this; a longer one is refused.
constexpr size_t kLongestCsvRecord = size_t{1} << 20;
// Lines are counted in 64 bits, but a row is named by an int: a text of
// more lines (gigabytes of empty lines) is refused at the first line past.
constexpr int64_t kLastCsvLine = 2147483647;

class CsvReader {
 public:
  // Reads `source` from where it stands; it must outlive the reader.
  explicit CsvReader(std::streambuf* source);

  // The next record into `*row`. False at the end of the text, and on a
  // problem, which error() then tells with its line: a quote inside an
  // unquoted field, text after a closing quote, a quoted field without its
  // end, a line ended by a carriage return alone, a record longer than
  // kLongestCsvRecord, text that is no UTF-8 (UTF-16 among it), a NUL byte,
  // a record past kLastCsvLine.
  bool Next(CsvRow* row);
  const std::string& error() const { return error_; }

 private:
  enum class Parse { kRecord, kEnd, kMore, kProblem };
  Parse ParseRecord(CsvRow* row);
  bool Refill();
  bool Fail(int64_t line, const std::string& why);

  std::streambuf* source_;
  std::vector<char> buffer_;
  size_t begin_ = 0;  // the first byte not yet taken
  size_t end_ = 0;    // the end of the bytes read
  bool sourceDone_ = false;
  bool started_ = false;
  int64_t line_ = 1;
  std::string unquoted_;  // the quoted fields of the record, their quotes undone
  struct Span {           // where a field of the record lies
    bool unquoted;        // in unquoted_, not in the buffer
    size_t at;
    size_t size;
  };
  std::vector<Span> spans_;
  std::string error_;
};
