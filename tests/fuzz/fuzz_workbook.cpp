// libFuzzer target: the workbook and OpenDocument readers over what the
// input makes. The input's first byte chooses the reader and the form: the
// input's bytes as the file itself (a damaged zip), or a workbook or
// OpenDocument spreadsheet zipped from parts (tests/kit/workbook_parts.h)
// whose sheets, shared strings, styles, tables, or any one part whole, are
// the input's text. Every sheet and row is read to the end; the reader must
// tell a problem rather than crash, hand out cells of no more than its
// bounds, list a cell without a value only as an empty cell of its row,
// and leave no file handle open. scripts/fuzz.sh caps its memory: an input
// that makes the reader take more is kept as a crash.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "office/sheets/ods_reader.h"
#include "office/sheets/workbook_reader.h"
#include "tests/kit/open_descriptors.h"
#include "tests/kit/workbook_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const std::string path = "/dev/shm/fuzz_workbook." + std::to_string(getpid()) + ".xlsx";
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const uint8_t form = data[0];
  const bool ods = form & 4;
  if (form % 4 == 0) {
    std::ofstream(path, std::ios::binary) << text;
  } else {
    // The text split at each NUL: the sheets' rows, then the shared strings.
    std::vector<std::string> pieces(1);
    for (char c : text) {
      if (c == '\0') {
        pieces.emplace_back();
      } else {
        pieces.back() += c;
      }
    }
    std::vector<WorkbookPart> parts;
    if (ods) {
      std::vector<std::pair<std::string, std::string>> tables{{"Stock", pieces[0]}};
      if (pieces.size() > 1) tables.emplace_back("Two words", pieces[1]);
      parts = OdsParts(tables);
    } else {
      WorkbookShape shape;
      shape.styles = {0, 14, 164, 49};
      shape.formats = "<numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd;@\"/>";
      shape.from1904 = form & 8;
      shape.sheets.emplace_back("Stock", pieces[0]);
      if (pieces.size() > 2) shape.sheets.emplace_back("Two words", pieces[2]);
      if (pieces.size() > 1) shape.strings.push_back(pieces[1]);
      parts = WorkbookParts(shape);
    }
    // Or one part, whole, as the input has it.
    if (form % 4 == 3) parts[(form >> 4) % parts.size()].second = text;
    if (!WriteZipFile(path, parts)) return 0;
  }
  const int before = OpenDescriptors();
  {
    std::string why;
    std::unique_ptr<BookReader> reader;
    if (ods) {
      reader = OdsReader::Open(path, &why);
    } else {
      reader = WorkbookReader::Open(path, &why);
    }
    if (reader) {
      std::string sheet;
      WorkbookRow row;
      while (reader->NextSheet(&sheet)) {
        while (reader->NextRow(&row)) {
          if (row.row == 0 || row.row > kLastSheetRow || row.cells.size() > kMostSheetColumns) {
            __builtin_trap();
          }
          // A cell without a value is among the row's cells, and empty.
          for (const CellWithoutValue& cell : row.withoutValue) {
            if (cell.column >= row.cells.size() || !row.cells[cell.column].empty()) {
              __builtin_trap();
            }
          }
        }
      }
    }
  }
  if (OpenDescriptors() != before) __builtin_trap();
  unlink(path.c_str());
  return 0;
}
