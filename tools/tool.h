// filmtool's commands, each over the inventory that the program would use
// in the folder the tool was given. Messages the program would show go to
// standard error as "caption: text"; the tool's own as "filmtool: text".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/file_status.h"
#include "store/inventory_record.h"
#include "store/journalled_write.h"

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
// What an export came to.
enum class ExportEnd {
  kWritten,
  kFailed,   // told; a sheet file not put in place
  kStopped,  // `progress` said stop: no sheet file put in place
};
class Progress;
// The records (deleted slots only with `all`) as a sheet at `path`: CSV
// when its name ends in .csv, a workbook otherwise, CSV on standard output
// for "". The file is put in place only once whole, so that the one there
// stays as it was until then. `*rows` gets how many rows were written.
ExportEnd ExportSheet(const std::string& path, bool all, Progress* progress = nullptr,
                      size_t* rows = nullptr);
// Whether the sheet at `path` is to be CSV, by its name.
bool NamesCsv(const std::string& path);
// amend NUMBER FIELD=VALUE...: the record stored as the amend dialog stores
// the same texts. 0: written; 1: refused or failed, the file unchanged.
int Amend(const std::string& number, const std::vector<std::string>& assignments);
// delete NUMBER: what Delete does once confirmed. 0: written; 1: refused or
// failed.
int Delete(const std::string& number);

// The inventory opened for a report (nothing is written but the settling of
// a journal a power cut left, or it is read through where film.dat cannot be
// written) and before a change (film.dat must open for writing and its
// journal must be possible, and no journal may be kept for the next start).
// Neither makes a film.dat unless a change is to `makeFresh` one, as the
// program's first start does; each says what stands in the way. With
// `missing` given, a folder without film.dat is no failure to tell: false,
// and `*missing` set. A change that makes film.dat follows such an opening,
// which told what it found of the storage card.
bool OpenForReport(bool* missing = nullptr);
bool OpenForChange(bool makeFresh = false, bool* missing = nullptr);

// The tool's own message: on standard error as "filmtool: text", or to the
// listener that a program showing them otherwise (the back-office window)
// has put in place.
void Complain(const std::string& text);
class ComplaintListener {
 public:
  virtual ~ComplaintListener() = default;
  virtual void Complain(const std::string& text) = 0;
};
// `listener` hears every Complain from now on; nullptr puts standard error
// back.
void SetComplaintListener(ComplaintListener* listener);
// What the tool says when another program holds film.dat, once it has
// waited HeldFileWait for it.
constexpr char kHeldByAnotherProgram[] = "another program is changing film.dat; try again";
// The tool's own words for a file step on `path` that failed for a cause
// the program's messages do not name: another program holding the file, a
// link, folder, device or pipe under its name, a missing folder, no
// permission, a read-only or full disk or card. False, and nothing said,
// for any other cause.
bool ComplainOfCause(const std::wstring& path, platform::FileError why);
// The same for the file step that failed (none: false, nothing said).
bool ComplainOfStatus(const FileStatus& status);
// import FILE (a workbook, or CSV; "-": CSV on standard input): the rows of
// an export, edited, back into the file, only the owner's edits
// (tools/import.cpp); with
// `add`, rows of numbers not in the file appended as new items (a missing
// film.dat made fresh first); with `overwrite`, the sheet's values taken
// where film.dat changed since the export too; with `dryRun` the writes
// listed, none made. 0: every write made (or listed); 1: refused, film.dat
// unchanged, or stopped by a failed write.
int Import(const std::string& path, bool dryRun, bool add, bool overwrite);
