#include "office/export.h"

#include <filesystem>
#include <string>

#include "office/fields.h"
#include "office/listener.h"
#include "office/open_inventory.h"
#include "office/progress.h"
#include "office/sheets/sheet_writer.h"
#include "office/version_mark.h"
#include "platform/console.h"
#include "platform/number_text.h"
#include "store/load_inventory.h"
#include "store/slot_io.h"
#include "store/store_state.h"

std::array<std::string, kExportedColumns> ExportedColumnNames(bool workbook) {
  std::array<std::string, kExportedColumns> names{"slot", "number"};
  for (Field field : kAllFields) names[2 + Index(field)] = FieldName(field);
  names.back() = workbook ? kVersionHeading : kVersionColumn;
  return names;
}

namespace {

bool EndsWith(const std::string& name, const char* end) {
  const std::string extension = std::filesystem::u8path(name).extension().u8string();
  std::string lower;
  for (char c : extension) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return lower == end;
}

}  // namespace

bool NamesCsv(const std::string& path) { return EndsWith(path, ".csv"); }

ExportEnd ExportSheet(const std::string& path, bool all, Listener& told, Progress* progress,
                      size_t* rows) {
  return ExportRows(
      [&path, &told] { return NamesCsv(path) ? CsvAt(path, told) : WorkbookAt(path, told); }, all,
      told, progress, rows);
}

ExportEnd ExportRows(const std::function<std::unique_ptr<SheetWriter>()>& makeSheet, bool all,
                     Listener& told, Progress* progress, size_t* rows) {
  if (!OpenForReport(told)) return ExportEnd::kFailed;
  InventoryFile file = OpenInventoryForReading();
  if (!file) {
    if (!TellCause(told, DataPath, file.error())) {
      told.Tell(platform::ShownPath(DataPath) + ": cannot be opened");
    }
    return ExportEnd::kFailed;
  }
  const std::unique_ptr<SheetWriter> sheet = makeSheet();
  if (!sheet) return ExportEnd::kFailed;
  SlotReader slots(file, SlotCount);
  ProgressTicker ticker(progress);
  InventoryRecord r;
  ExportedRow row;
  size_t written = 0;
  for (Slot slot = 0; slot < SlotCount; ++slot) {
    if (!ticker.Tick(static_cast<uint64_t>(slot), static_cast<uint64_t>(SlotCount))) {
      return ExportEnd::kStopped;  // the sheet, unfinished, is never put in place
    }
    if (!slots.Read(slot, &r)) {
      told.Tell("slot " + std::to_string(slot) + " and after cannot be read");
      return ExportEnd::kFailed;
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
    if (!sheet->Row(row)) return ExportEnd::kFailed;
    ++written;
  }
  // On Windows an open handle of a reader keeps every writer out: film.dat
  // goes before the sheet is finished.
  file.Close();
  if (rows != nullptr) *rows = written;
  return sheet->Finish() ? ExportEnd::kWritten : ExportEnd::kFailed;
}
