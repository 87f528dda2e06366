#include "office/sheets/csv.h"

#include <algorithm>
#include <cstring>

#include "platform/utf8.h"

namespace {

constexpr size_t kChunk = size_t{1} << 20;

const char kCarriageReturnAlone[] =
    "a line ends with a carriage return alone (an old Mac line end): save the sheet with "
    "Windows (CRLF) or Unix (LF) line ends";

}  // namespace

CsvReader::CsvReader(std::streambuf* source) : source_(source), buffer_(kChunk) {}

bool CsvReader::Fail(int64_t line, const std::string& why) {
  error_ = "line " + std::to_string(line) + ": " + why;
  return false;
}

bool CsvReader::Refill() {
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) {
    if (buffer_.size() >= kLongestCsvRecord) return false;
    buffer_.resize(buffer_.size() * 2);
  }
  const std::streamsize got =
      source_->sgetn(buffer_.data() + end_, static_cast<std::streamsize>(buffer_.size() - end_));
  if (got <= 0) {
    sourceDone_ = true;
  } else {
    end_ += static_cast<size_t>(got);
  }
  return true;
}

bool CsvReader::Next(CsvRow* row) {
  while (error_.empty()) {
    if (!started_) {
      if (end_ - begin_ < 3 && !sourceDone_) {
        Refill();
        continue;
      }
      started_ = true;
      const std::string_view head(buffer_.data() + begin_, end_ - begin_);
      if (head.substr(0, 2) == "\xFF\xFE" || head.substr(0, 2) == "\xFE\xFF") {
        return Fail(1, "the file is UTF-16 text: save the sheet as \"CSV UTF-8\"");
      }
      if (head.substr(0, 3) == "\xEF\xBB\xBF") begin_ += 3;
      // UTF-16 without its byte order mark: every other byte of its ASCII
      // is NUL, which shows in the first line, before its line end (a
      // carriage return followed by NUL) could be taken for an old Mac one.
      const std::string_view first = head.substr(0, std::min(head.find('\n'), size_t{1024}));
      if (first.find('\0') != std::string_view::npos) {
        return Fail(1,
                    "the file is UTF-16 text without a byte order mark, or no text: save the "
                    "sheet as \"CSV UTF-8\"");
      }
    }
    switch (ParseRecord(row)) {
      case Parse::kRecord:
        return true;
      case Parse::kEnd:
      case Parse::kProblem:
        return false;
      case Parse::kMore:
        if (!Refill()) {
          return Fail(line_, "a record of more than " + std::to_string(kLongestCsvRecord >> 20) +
                                 " MiB: no row of a sheet is that long");
        }
        break;
    }
  }
  return false;
}

CsvReader::Parse CsvReader::ParseRecord(CsvRow* row) {
  const char* const b = buffer_.data();
  size_t i = begin_;
  int64_t line = line_;
  // Empty lines are no records.
  while (i < end_ && (b[i] == '\n' || b[i] == '\r')) {
    if (b[i] == '\r') {
      if (i + 1 >= end_) {
        if (!sourceDone_) return Parse::kMore;
        Fail(line, kCarriageReturnAlone);
        return Parse::kProblem;
      }
      if (b[i + 1] != '\n') {
        Fail(line, kCarriageReturnAlone);
        return Parse::kProblem;
      }
      ++i;
    }
    ++i;
    ++line;
  }
  begin_ = i;
  line_ = line;
  if (line > kLastCsvLine) {
    Fail(line, "more than " + std::to_string(kLastCsvLine) +
                   " lines: no sheet of an inventory is that long");
    return Parse::kProblem;
  }
  if (i >= end_) return sourceDone_ ? Parse::kEnd : Parse::kMore;

  const size_t start = i;
  const int64_t startLine = line;
  std::vector<Span>& spans = spans_;
  spans.clear();
  unquoted_.clear();
  for (;;) {  // one field a turn
    if (i < end_ && b[i] == '"') {
      const size_t from = unquoted_.size();
      ++i;
      for (;;) {
        const void* quote = std::memchr(b + i, '"', end_ - i);
        const size_t to = quote == nullptr ? end_ : static_cast<const char*>(quote) - b;
        for (size_t k = i; k < to; ++k) line += b[k] == '\n' ? 1 : 0;
        unquoted_.append(b + i, to - i);
        i = to;
        if (i >= end_) {
          if (!sourceDone_) return Parse::kMore;
          Fail(startLine, "a quoted field has no closing quote");
          return Parse::kProblem;
        }
        if (i + 1 >= end_ && !sourceDone_) return Parse::kMore;
        if (i + 1 < end_ && b[i + 1] == '"') {
          unquoted_ += '"';
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      spans.push_back(Span{true, from, unquoted_.size() - from});
      if (i < end_ && b[i] != ',' && b[i] != '\n' && b[i] != '\r') {
        Fail(line, "text after a closing quote");
        return Parse::kProblem;
      }
    } else {
      const size_t from = i;
      while (i < end_ && b[i] != ',' && b[i] != '\n' && b[i] != '\r' && b[i] != '"') ++i;
      if (i < end_ && b[i] == '"') {
        Fail(line, "a quote inside an unquoted field");
        return Parse::kProblem;
      }
      if (i >= end_ && !sourceDone_) return Parse::kMore;
      spans.push_back(Span{false, from, i - from});
    }
    if (i >= end_) break;  // the text ends with the record
    if (b[i] == ',') {
      ++i;
      continue;
    }
    if (b[i] == '\r') {
      if (i + 1 >= end_ && !sourceDone_) return Parse::kMore;
      if (i + 1 >= end_ || b[i + 1] != '\n') {
        Fail(line, kCarriageReturnAlone);
        return Parse::kProblem;
      }
      ++i;
    }
    ++i;  // the line feed
    ++line;
    break;
  }

  const std::string_view bytes(b + start, i - start);
  if (bytes.find('\0') != std::string_view::npos) {
    Fail(startLine,
         "a NUL byte: the file is no text (perhaps UTF-16): save the sheet as "
         "\"CSV UTF-8\"");
    return Parse::kProblem;
  }
  if (!IsUtf8(bytes)) {
    Fail(startLine,
         "bytes that are no UTF-8 text: the sheet was saved in another encoding (a Windows or "
         "DOS code page, Latin-1): save it as \"CSV UTF-8\"");
    return Parse::kProblem;
  }
  row->line = static_cast<int>(startLine);
  row->fields.clear();
  for (const Span& s : spans) {
    row->fields.emplace_back(s.unquoted ? unquoted_.data() + s.at : b + s.at, s.size);
  }
  begin_ = i;
  line_ = line;
  return Parse::kRecord;
}
