// The export: the records as a sheet, texts converted from film.dat's code
// page as the dialogs convert them and prices printed as the dialogs print
// them; each row ends with its version mark (office/version_mark.h).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "office/sheets/sheet_writer.h"

// What an export came to.
enum class ExportEnd {
  kWritten,
  kFailed,   // told; a sheet file not put in place
  kStopped,  // `progress` said stop: no sheet file put in place
};
class Listener;
class Progress;
// The records (deleted slots only with `all`) as a sheet at `path`: CSV
// when its name ends in .csv, a workbook otherwise. The file is put in
// place only once whole, so that the one there stays as it was until then.
// What stands in the way is told to `told`; `*rows` gets how many rows
// were written.
ExportEnd ExportSheet(const std::string& path, bool all, Listener& told,
                      Progress* progress = nullptr, size_t* rows = nullptr);
// The same into the sheet `makeSheet` makes once film.dat is open (null:
// it could not be started, and told why).
ExportEnd ExportRows(const std::function<std::unique_ptr<SheetWriter>()>& makeSheet, bool all,
                     Listener& told, Progress* progress = nullptr, size_t* rows = nullptr);
// Whether the sheet at `path` is to be CSV, by its name.
bool NamesCsv(const std::string& path);
