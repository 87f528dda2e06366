// filmtool export: the records as CSV on standard output, or as a workbook.
#include "office/export.h"

#include <filesystem>
#include <string>

#include "filmtool/output.h"
#include "filmtool/tool.h"
#include "office/complaints.h"

int Export(bool all, const std::string& workbook) {
  if (workbook.empty()) {
    return ExportRows([] { return CsvTo(PrintOut); }, all) == ExportEnd::kWritten ? 0 : 1;
  }
  const auto extension = std::filesystem::u8path(workbook).extension().u8string();
  if (extension != ".xlsx" && extension != ".XLSX") {
    Complain(workbook +
             ": a workbook's name ends in .xlsx; without a file, export writes CSV "
             "to standard output");
    return 2;
  }
  return ExportSheet(workbook, all) == ExportEnd::kWritten ? 0 : 1;
}
