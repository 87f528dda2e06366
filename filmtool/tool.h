// filmtool's commands, each over the inventory that the program would use
// in the folder the tool was given. Messages the program would show go to
// standard error as "caption: text"; the tool's own as "filmtool: text".
#pragma once

#include <string>
#include <vector>

// stats, index, prefix: what start-up builds.
int Stats();
int Index();
int Prefix();
// check: every problem of the file on a line, then a summary. 0: none;
// 2: problems; 1: the file cannot be read as an inventory.
int Check();
// export: the records as CSV on standard output, or as a workbook at
// `workbook` when it is not empty; deleted slots only with `all`.
int Export(bool all, const std::string& workbook);
// amend NUMBER FIELD=VALUE...: the record stored as the amend dialog stores
// the same texts. 0: written; 1: refused or failed, the file unchanged.
int Amend(const std::string& number, const std::vector<std::string>& assignments);
// delete NUMBER: what Delete does once confirmed. 0: written; 1: refused or
// failed.
int Delete(const std::string& number);
// import FILE (a workbook, or CSV; "-": CSV on standard input): the rows of
// an export, edited, back into the file, only the owner's edits; with
// `add`, rows of numbers not in the file appended as new items (a missing
// film.dat made fresh first); with `overwrite`, the sheet's values taken
// where film.dat changed since the export too; with `dryRun` the writes
// listed, none made. 0: every write made (or listed); 1: refused, film.dat
// unchanged, or stopped by a failed write.
int Import(const std::string& path, bool dryRun, bool add, bool overwrite);
// The tool's own messages on standard error, as "filmtool: text".
void Tell(const std::string& text);
class Listener;
// The listener the tool gives the back office's steps: its lines as
// Tell says them, the program's messages as the program's boxes, which
// the tool writes out as "caption: text" (filmtool/message_echo.h).
Listener& StandardError();
