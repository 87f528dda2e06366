// filmtool export: the records as CSV on standard output, or as a workbook.
#include "office/export.h"

#include <filesystem>
#include <string>

#include "filmtool/output.h"
#include "filmtool/tool.h"
#include "office/listener.h"

int Export(bool all, const std::string& workbook) {
  if (workbook.empty()) {
    return ExportRows([] { return CsvTo(PrintOut); }, all, StandardError()) == ExportEnd::kWritten
               ? 0
               : 1;
  }
  const auto extension = std::filesystem::u8path(workbook).extension().u8string();
  if (extension != ".xlsx" && extension != ".XLSX") {
    Tell(workbook +
         ": a workbook's name ends in .xlsx; without a file, export writes CSV "
         "to standard output");
    return 2;
  }
  return ExportSheet(workbook, all, StandardError()) == ExportEnd::kWritten ? 0 : 1;
}
