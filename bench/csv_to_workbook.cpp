// csv_to_workbook: an export's CSV, edited by a script, as the workbook
// export would have written the same rows, for the workbook's figures in
// bench/README.md (a spreadsheet takes minutes over a million rows), and
// for the spreadsheet trials a workbook of several sheets from a few rows.
//   csv_to_workbook IN.csv OUT.xlsx [ROWS_PER_SHEET]
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "office/listener.h"
#include "office/sheets/csv.h"
#include "office/sheets/sheet_writer.h"
#include "platform/utf8.h"

namespace {
class StandardError : public Listener {
 public:
  void Tell(const std::string& line) override { std::fprintf(stderr, "%s\n", line.c_str()); }
  void Tell(Message message) override { Tell(Utf8FromWide(MessageText(message))); }
};
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: csv_to_workbook IN.csv OUT.xlsx [ROWS_PER_SHEET]\n");
    return 2;
  }
  const auto rowsPerSheet =
      argc == 4 ? static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) : kWorkbookRowsPerSheet;
  if (rowsPerSheet == 0) return 2;
  std::filebuf in;
  if (!in.open(argv[1], std::ios::in | std::ios::binary)) return 1;
  CsvReader reader(&in);
  CsvRow row;
  if (!reader.Next(&row)) return 1;  // the header
  StandardError told;
  const auto sheet = WorkbookAt(argv[2], told, rowsPerSheet);
  if (!sheet) return 1;
  ExportedRow out;
  while (reader.Next(&row)) {
    if (row.fields.size() != kExportedColumns) return 1;
    out.slot = std::strtoll(std::string(row.fields[0]).c_str(), nullptr, 10);
    out.number = row.fields[1];
    for (size_t i = 0; i < kFieldCount; ++i) out.fields[i] = row.fields[2 + i];
    out.mark = row.fields.back();
    if (!sheet->Row(out)) return 1;
  }
  return reader.error().empty() && sheet->Finish() ? 0 : 1;
}
