// export's CSV: quoted where a spreadsheet needs it, rows ending in CR LF.
#include <string>

#include "tools/output.h"
#include "tools/sheets/sheet_writer.h"

namespace {

// A field quoted, its quotes doubled, when it holds a comma, a quote or a
// line break; and when it holds a separator that a spreadsheet may take for
// the file's own (a semicolon, a tab) or blanks at its ends, which
// spreadsheets drop from a field without quotes.
std::string Csv(const std::string& field) {
  const bool blankEnds = !field.empty() && (field.front() == ' ' || field.back() == ' ');
  if (!blankEnds && field.find_first_of(",\"\r\n;\t") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

class CsvWriter : public SheetWriter {
 public:
  CsvWriter() {
    std::string header;
    for (const std::string& name : ExportedColumnNames(/*workbook=*/false)) header += (header.empty() ? "" : ",") + name;
    ok_ = PrintOut(header + "\r\n");
  }
  bool Row(const ExportedRow& row) override {
    if (!ok_) return false;
    std::string line = std::to_string(row.slot) + "," + row.number;
    for (const std::string& field : row.fields) line += "," + Csv(field);
    line += "," + row.mark + "\r\n";
    return ok_ = PrintOut(line);
  }
  bool Finish() override { return ok_; }

 private:
  bool ok_ = true;
};

}  // namespace

std::unique_ptr<SheetWriter> CsvOnStandardOutput() { return std::make_unique<CsvWriter>(); }
