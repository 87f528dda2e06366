// The words of an import: each problem and conflict the decisions find, on
// a line of its own with the sheet's line or cell, and what to do about
// them.
#pragma once

#include <string>
#include <vector>

#include "office/import/import_decisions.h"
#include "office/listener.h"
#include "office/sheets/sheet_reader.h"

// How the owner says yes to what an import does not do unasked: the command
// line's flags, or the back-office window's choices. Each is what a message
// tells the owner to do.
struct ImportChoices {
  std::string add;            // "import with --add": rows of new numbers become items
  std::string overwrite;      // "import with --overwrite": the sheet's values over film.dat's
  std::string overwriteName;  // "--overwrite", where a message says what it does not reach
};
const ImportChoices& CommandLineChoices();

// What a finding says of a row or cell of `sheet`, without the file and the
// place in front.
std::string FindingText(const Found& found, const SheetReader& sheet,
                        const ImportChoices& choices = CommandLineChoices());
// Where a finding is: a CSV's line, a workbook's cell or row.
std::string FindingPlace(const Found& found, const SheetReader& sheet);
// After the last row: what to do about each kind of conflict there was, a
// sentence each. None when there were none.
std::vector<std::string> ConflictAdvice(const ImportDecisions& decisions,
                                        const ImportChoices& choices = CommandLineChoices());

// Tells each finding to `told` as "FILE:LINE: text" (a CSV) or
// "FILE:Sheet!D7: text" (a workbook's cell), up to the first hundred: a
// sheet that is wrong throughout need not flood the terminal.
class ImportReport : public FindingSink {
 public:
  ImportReport(std::string file, const SheetReader& sheet, Listener& told)
      : file_(std::move(file)), sheet_(sheet), told_(told) {}
  void Tell(const Found& found) override;
  // After the last row: how many were not told, what to do about the
  // conflicts, and, when anything stands in the way, that nothing was
  // imported. False when the sheet is refused.
  bool Finish(const ImportDecisions& decisions);

 private:
  std::string file_;
  const SheetReader& sheet_;
  Listener& told_;
  int said_ = 0;
};
