// filmtool as the back office and the tests use it: real files in a temp
// folder, the tool run as its own process.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/records_fixture.h"

// Rows of RFC 4180 CSV: quoted fields may hold commas, quotes (doubled) and
// line breaks; records end with CRLF.
inline std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
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

class Filmtool : public RecordsTest {
 protected:
  // The code page is what a test names, never the developer's own.
  Filmtool() { unsetenv("FILMTOOL_CODEPAGE"); }
  // Runs a command line; returns its exit status, with stdout and stderr kept.
  int Run(const std::string& arguments) {
    const std::string command = arguments + " >" + Path("out.txt") + " 2>" + Path("err.txt");
    const int status = std::system(command.c_str());
    out_ = Text("out.txt");
    err_ = Text("err.txt");
    return WEXITSTATUS(status);
  }
  std::string Text(const std::string& name) {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string Tool(const std::string& verb, const std::string& rest = "") {
    return std::string(FILMTOOL_PATH) + " " + verb + " " + folder_ +
           (rest.empty() ? "" : " " + rest);
  }
  // The rows of `filmtool export`, header first.
  using Sheet = std::vector<std::vector<std::string>>;
  Sheet Export() {
    EXPECT_EQ(Run(Tool("export")), 0) << err_;
    return ReadCsv(out_);
  }
  // Writes `sheet` as CSV to in.csv and imports it with `options`.
  int Import(const Sheet& sheet, const std::string& options = "") {
    std::string csv;
    for (const auto& row : sheet) {
      for (size_t i = 0; i < row.size(); ++i) {
        std::string field = row[i];
        if (field.find_first_of(",\"\r\n") != std::string::npos) {
          std::string quoted = "\"";
          for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
          field = quoted + "\"";
        }
        csv += (i > 0 ? "," : "") + field;
      }
      csv += "\r\n";
    }
    std::ofstream(Path("in.csv"), std::ios::binary) << csv;
    return Run(Tool("import", Path("in.csv") + options));
  }
  std::string out_, err_;
};

// The columns of export's rows.
enum Column {
  kSlot,
  kNumber,
  kDescription,
  kSku,
  kInStock,
  kTax,
  kCost,
  kTrade,
  kPrice,
  kCategory,
  kVersion
};
