// The words of an import: each problem and conflict the decisions find, on
// a line of its own with the sheet's line or cell, and what to do about
// them.
#pragma once

#include <string>

#include "tools/import/import_decisions.h"
#include "tools/sheets/sheet_reader.h"

// What a finding says of a row or cell of `sheet`, without the file and the
// place in front.
std::string FindingText(const Found& found, const SheetReader& sheet);

// Tells each finding on standard error as "FILE:LINE: text" (a CSV) or
// "FILE:Sheet!D7: text" (a workbook's cell), up to the first hundred: a
// sheet that is wrong throughout need not flood the terminal.
class ImportReport : public FindingSink {
 public:
  ImportReport(std::string file, const SheetReader& sheet) : file_(std::move(file)), sheet_(sheet) {}
  void Tell(const Found& found) override;
  // After the last row: how many were not told, what to do about the
  // conflicts, and, when anything stands in the way, that nothing was
  // imported. False when the sheet is refused.
  bool Finish(const ImportDecisions& decisions);

 private:
  std::string file_;
  const SheetReader& sheet_;
  int told_ = 0;
};

// The summary of rows without a mark that named an item in film.dat, on
// standard output; nothing when there were none.
void TellUnmarkedRows(const ImportDecisions& decisions);
