// filmtool as the back office and the tests use it: real files in a temp
// folder, the tool run as its own process (Filmtool) or its commands run in
// the test's process (FilmtoolCommands).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "filmtool/message_echo.h"
#include "filmtool/tool.h"
#include "office/export.h"
#include "office/fields.h"
#include "office/listener.h"
#include "office/open_inventory.h"
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

// filmtool's commands run in this process, as its main runs them once the
// options are read: each a fresh start of the tool, its message boxes
// written to standard error as the tool writes them.
class FilmtoolCommands : public RecordsTest {
 protected:
  template <typename Command>
  int Tool(Command command) {
    Restart();
    EXPECT_EQ(ChooseCodePage(""), "");
    platform::SetUi(&MessageEcho());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = command();
    std::fflush(stdout);
    std::fflush(stderr);
    out_ = testing::internal::GetCapturedStdout();
    err_ = testing::internal::GetCapturedStderr();
    platform::SetUi(&testkit::ScriptedUser());
    return status;
  }
  // Imports `csv` from in.csv (or, with `fromStandardInput`, from "-") with
  // the options named in `options`.
  int Import(const std::string& csv, const std::string& options = "",
             bool fromStandardInput = false) {
    const auto has = [&options](const char* option) {
      return options.find(option) != std::string::npos;
    };
    std::istringstream input(csv);
    std::streambuf* const standardInput = std::cin.rdbuf();
    if (fromStandardInput) {
      std::cin.rdbuf(input.rdbuf());
    } else {
      std::ofstream(Path("in.csv"), std::ios::binary) << csv;
    }
    const int status = Tool([&] {
      return ::Import(fromStandardInput ? "-" : Path("in.csv"), has("--dry-run"), has("--add"),
                      has("--overwrite"));
    });
    std::cin.rdbuf(standardInput);
    return status;
  }
  int Import(const CsvSheet& sheet, const std::string& options = "") {
    return Import(WriteCsv(sheet), options);
  }
  CsvSheet Export(bool all = false) {
    EXPECT_EQ(Tool([all] { return ::Export(all, /*workbook=*/""); }), 0) << err_;
    return ReadCsv(out_);
  }
  int Amend(const std::string& number, const std::vector<std::string>& assignments) {
    return Tool([&] { return ::Amend(number, assignments); });
  }
  int Delete(const std::string& number) {
    return Tool([&] { return ::Delete(number); });
  }
  // `sheet` without its version column.
  static CsvSheet WithoutVersions(CsvSheet sheet) {
    for (auto& row : sheet) row.pop_back();
    return sheet;
  }
  bool Said(const std::string& text) const { return err_.find(text) != std::string::npos; }
  // Whether one line of what was said holds every part in this order (the
  // place, the item, the field, the values), whatever the words around them:
  // the words themselves are pinned once, where the findings' texts are.
  bool SaidParts(const std::vector<std::string>& parts) const {
    std::istringstream lines(err_);
    for (std::string line; std::getline(lines, line);) {
      size_t at = 0;
      for (const std::string& part : parts) {
        at = line.find(part, at);
        if (at == std::string::npos) break;
        at += part.size();
      }
      if (at != std::string::npos) return true;
    }
    return false;
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
