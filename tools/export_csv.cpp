// filmtool export: the records as CSV (RFC 4180, UTF-8, a header line),
// texts converted from the system code page as the dialogs convert them and
// prices printed as the dialogs print them; each row ends with its version
// mark (tools/version_mark.h).
#include <array>
#include <cinttypes>
#include <cstdio>
#include <string>

#include "platform/console.h"
#include "platform/number_text.h"
#include "platform/scoped_file.h"
#include "store/opendata.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "tools/fields.h"
#include "tools/output.h"
#include "tools/tool.h"
#include "tools/version_mark.h"

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

// A row: the slot, the number and the fields, then the version mark of
// what they print. False when standard output failed.
bool PrintRecord(Slot slot, const InventoryRecord& r) {
  const std::string number = platform::FormatItemNumber(RecordNumber(r));
  std::array<std::string, kFieldCount> fields;
  PrintedRow printed{number};
  std::string line = std::to_string(slot) + "," + number;
  for (Field field : kAllFields) {
    fields[Index(field)] = ExportedField(field, r);
    printed[1 + Index(field)] = fields[Index(field)];
    line += "," + Csv(fields[Index(field)]);
  }
  line += "," + EncodeVersionMark(MakeVersionMark(printed)) + "\r\n";
  return PrintOut(line);
}

}  // namespace

int Export(bool all) {
  if (!OpenForReport()) return 1;
  platform::ScopedFile file(OpenInventoryForReading());
  if (!file) {
    Complain(platform::ShownPath(DataPath) + ": cannot be opened");
    return 1;
  }
  std::string header = "slot,number";
  for (Field field : kAllFields) header += std::string(",") + FieldName(field);
  header += std::string(",") + kVersionColumn + "\r\n";
  if (!PrintOut(header)) return 1;
  // Deleted: -1, and the numbers the load counts as deleted with it.
  SlotReader slots(file.get(), SlotCount);
  InventoryRecord r;
  for (Slot slot = 0; slot < SlotCount; ++slot) {
    if (!slots.Read(slot, &r)) {
      Complain("slot " + std::to_string(slot) + " and after cannot be read");
      return 1;
    }
    if ((all || IsLiveNumber(RecordNumber(r))) && !PrintRecord(slot, r)) return 1;
  }
  return 0;
}
