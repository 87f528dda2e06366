// filmtool as the back office and the tests use it: real files in a temp
// folder, the tool run as its own process.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/kit/csv_rows.h"
#include "tests/records_fixture.h"

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
  using Sheet = CsvSheet;
  Sheet Export() {
    EXPECT_EQ(Run(Tool("export")), 0) << err_;
    return ReadCsv(out_);
  }
  // Writes `sheet` as CSV to in.csv and imports it with `options`.
  int Import(const Sheet& sheet, const std::string& options = "") {
    const std::string csv = WriteCsv(sheet);
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
