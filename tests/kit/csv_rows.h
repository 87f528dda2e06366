// Sheets as the tests write and read them: RFC 4180 CSV, the way export
// writes it. A reference of their own, so that the back office's reader is
// not checked against itself.
#pragma once

#include <string>
#include <vector>

using CsvSheet = std::vector<std::vector<std::string>>;

// Rows of RFC 4180 CSV: quoted fields may hold commas, quotes (doubled) and
// line breaks; records end with CRLF.
inline CsvSheet ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string& field = rows.back().back();
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.emplace_back(1);
      ++i;
    } else {
      field += c;
    }
  }
  rows.pop_back();  // after the last CRLF
  return rows;
}

// `sheet` as CSV, a field quoted when it holds a comma, a quote (doubled)
// or a line break, each record ended by CRLF.
inline std::string WriteCsv(const CsvSheet& sheet) {
  std::string out;
  for (const auto& row : sheet) {
    for (size_t i = 0; i < row.size(); ++i) {
      out += i > 0 ? "," : "";
      if (row[i].find_first_of(",\"\r\n") == std::string::npos) {
        out += row[i];
        continue;
      }
      out += '"';
      for (char c : row[i]) out += c == '"' ? std::string("\"\"") : std::string(1, c);
      out += '"';
    }
    out += "\r\n";
  }
  return out;
}
