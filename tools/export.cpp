// filmtool export: the records as a sheet, texts converted from film.dat's
// code page as the dialogs convert them and prices printed as the dialogs
// print them; each row ends with its version mark (tools/version_mark.h).
#include <filesystem>
#include <string>

#include "platform/console.h"
#include "platform/number_text.h"
#include "platform/scoped_file.h"
#include "store/load_inventory.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "tools/fields.h"
#include "tools/sheets/sheet_writer.h"
#include "tools/tool.h"
#include "tools/version_mark.h"

std::array<std::string, kExportedColumns> ExportedColumnNames(bool workbook) {
  std::array<std::string, kExportedColumns> names{"slot", "number"};
  for (Field field : kAllFields) names[2 + Index(field)] = FieldName(field);
  names.back() = workbook ? kVersionHeading : kVersionColumn;
  return names;
}

int Export(bool all, const std::string& workbook) {
  const auto extension = std::filesystem::u8path(workbook).extension().u8string();
  if (!workbook.empty() && extension != ".xlsx" && extension != ".XLSX") {
    Complain(workbook + ": a workbook's name ends in .xlsx; without a file, export writes CSV "
                        "to standard output");
    return 2;
  }
  if (!OpenForReport()) return 1;
  platform::ScopedFile file(OpenInventoryForReading());
  if (!file) {
    Complain(platform::ShownPath(DataPath) + ": cannot be opened");
    return 1;
  }
  const std::unique_ptr<SheetWriter> sheet =
      workbook.empty() ? CsvOnStandardOutput() : WorkbookAt(workbook);
  if (!sheet) return 1;
  SlotReader slots(file.get(), SlotCount);
  InventoryRecord r;
  ExportedRow row;
  for (Slot slot = 0; slot < SlotCount; ++slot) {
    if (!slots.Read(slot, &r)) {
      Complain("slot " + std::to_string(slot) + " and after cannot be read");
      return 1;
    }
    // Deleted: -1, and the numbers the load counts as deleted with it.
    if (!all && !IsLiveNumber(RecordNumber(r))) continue;
    row.slot = slot;
    row.number = platform::FormatItemNumber(RecordNumber(r));
    PrintedRow printed{row.number};
    for (Field field : kAllFields) {
      row.fields[Index(field)] = ExportedField(field, r);
      printed[1 + Index(field)] = row.fields[Index(field)];
    }
    row.mark = EncodeVersionMark(MakeVersionMark(printed));
    if (!sheet->Row(row)) return 1;
  }
  return sheet->Finish() ? 0 : 1;
}
