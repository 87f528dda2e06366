// filmtool's sheet commands run in this process, and what they list.
#pragma once

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/filmtool_fixture.h"
#include "tools/fields.h"
#include "tools/message_echo.h"
#include "tools/tool.h"

// "number field: old -> new" lines, without the summary that follows them.
inline std::string Listed(const std::string& out) {
  std::string lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    const bool added = line.size() > 6 && line.compare(line.size() - 6, 6, " added") == 0 &&
                       line.find(" items ") == std::string::npos;
    if (line.find(" -> ") != std::string::npos || added) {
      lines += line + "\n";
    }
  }
  return lines;
}

// filmtool's commands run in this process, as its main runs them once the
// options are read: each a fresh start of the tool, its message boxes
// written to standard error as the tool writes them.
class SheetCommands : public RecordsTest {
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
  // `sheet` without its version column.
  static CsvSheet WithoutVersions(CsvSheet sheet) {
    for (auto& row : sheet) row.pop_back();
    return sheet;
  }
  bool Said(const std::string& text) const { return err_.find(text) != std::string::npos; }
  std::string out_, err_;
};
