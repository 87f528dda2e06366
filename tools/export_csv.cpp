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
#include "tools/tool.h"
#include "tools/version_mark.h"

namespace {

// A field quoted when it holds a comma, a quote or a line break, with its
// quotes doubled.
std::string Csv(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

// A row: the slot, the number and the fields, then the version mark of
// what they print.
void PrintRecord(Slot slot, const InventoryRecord& r) {
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
  std::fwrite(line.data(), 1, line.size(), stdout);
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
  header += std::string(",") + kVersionColumn;
  std::printf("%s\r\n", header.c_str());
  const Slot slots = SlotCount;
  const Slot readTo = ReadEachSlot(file.get(), slots, [&](Slot slot, const InventoryRecord& r) {
    // Deleted: -1, and the numbers the load counts as deleted with it.
    if (all || IsLiveNumber(RecordNumber(r))) PrintRecord(slot, r);
  });
  if (readTo != slots) {
    Complain("slot " + std::to_string(readTo) + " and after cannot be read");
    return 1;
  }
  return 0;
}
