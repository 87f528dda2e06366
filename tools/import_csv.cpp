// filmtool import: the way back from export. Every row is checked against
// the inventory before anything is written; then each changed record goes
// through the store's journalled write, in slot order.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/number_text.h"
#include "platform/scoped_file.h"
#include "records/write_outcome.h"
#include "store/number_index.h"
#include "store/opendata.h"
#include "store/record_writes.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "tools/csv.h"
#include "tools/fields.h"
#include "tools/tool.h"

namespace {

// A checked row: the record as it is and as it will be.
struct Change {
  int line = 0;
  int64_t number = 0;
  int64_t slot = 0;
  InventoryRecord before;
  InventoryRecord after;
};

// The columns of the header: each a field, "number", or export's "slot",
// which is ignored (slots are never chosen by the file).
struct Columns {
  int number = -1;
  std::vector<std::pair<int, Field>> fields;
};

class Import {
 public:
  explicit Import(std::string file) : file_(std::move(file)) {}

  // Every problem of `rows` on a line of standard error; true when none.
  bool Check(const std::vector<CsvRow>& rows);
  const std::vector<Change>& changes() const { return changes_; }

 private:
  bool TakeHeader(const CsvRow& header);
  // True when every field of `row` reads as export prints it for `record`.
  bool Unchanged(const CsvRow& row, const InventoryRecord& record) const;
  void CheckRow(platform::FileRef inventory, const CsvRow& row);
  void Problem(int line, const std::string& why) {
    Complain(file_ + ":" + std::to_string(line) + ": " + why);
    ++problems_;
  }

  std::string file_;
  Columns columns_;
  std::map<int64_t, int> seen_;  // number -> the line that named it
  std::vector<Change> changes_;
  int problems_ = 0;
};

bool Import::Unchanged(const CsvRow& row, const InventoryRecord& record) const {
  for (const auto& [column, field] : columns_.fields) {
    if (row.fields[column] != ExportedField(field, record)) return false;
  }
  return true;
}

bool Import::TakeHeader(const CsvRow& header) {
  for (int i = 0; i < static_cast<int>(header.fields.size()); ++i) {
    const std::string& name = header.fields[i];
    Field field;
    const bool twice = std::count(header.fields.begin(), header.fields.end(), name) > 1;
    if (twice) {
      Problem(header.line, "the column " + name + " stands twice");
    } else if (name == "number") {
      columns_.number = i;
    } else if (FieldNamed(name, &field)) {
      columns_.fields.emplace_back(i, field);
    } else if (name != "slot") {
      Problem(header.line, "no such column: " + name);
    }
  }
  if (columns_.number < 0) Problem(header.line, "no number column");
  return problems_ == 0;
}

void Import::CheckRow(platform::FileRef inventory, const CsvRow& row) {
  const int line = row.line;
  std::string why;
  int64_t number = 0;
  if (!TakeItemNumber(row.fields[columns_.number], &number, &why)) {
    Problem(line, why + ": " + row.fields[columns_.number]);
    return;
  }
  const int64_t slots = CountSlotsOfNumber(number);
  if (slots == 0) {
    Problem(line, "no item " + std::to_string(number) + " in film.dat");
    return;
  }
  // Export's rows of a number in several slots come back unchanged; any
  // other row for such a number would change the one of them that lookups
  // find, whichever slot it came from.
  if (slots > 1) {
    for (int64_t at = WalkNumberIndex(number), end = at + slots; at < end; ++at) {
      InventoryRecord record;
      if (ReadSlot(inventory, NumberIndex[at].slot, &record) && Unchanged(row, record)) return;
    }
    Problem(line, "item " + std::to_string(number) + " stands in " + std::to_string(slots) +
                      " slots: change it in the program, where lookups find the first");
    return;
  }
  const auto [seen, first] = seen_.emplace(number, line);
  if (!first) {
    Problem(line, "item " + std::to_string(number) + " stands on line " +
                      std::to_string(seen->second) + " already");
    return;
  }
  Change c;
  c.line = line;
  c.number = number;
  c.slot = FindSlotByNumber(number);
  if (!ReadSlot(inventory, c.slot, &c.before)) {
    Problem(line, "slot " + std::to_string(c.slot) + " of film.dat cannot be read");
    return;
  }
  if (RecordNumber(c.before) != number) {
    Problem(line, "film.dat was changed by another program since it was read");
    return;
  }
  c.after = c.before;
  for (const auto& [column, field] : columns_.fields) {
    const std::string& value = row.fields[column];
    // What export prints stands for the value as it is: no change.
    if (value == ExportedField(field, c.before)) continue;
    std::string note;
    const std::string refused = StoreField(field, value, c.after, &note);
    if (!refused.empty()) {
      Problem(line, std::string(FieldName(field)) + ": " + refused + ": " + value);
      return;
    }
    if (!note.empty())
      Complain(file_ + ":" + std::to_string(line) + ": " + FieldName(field) + ": " + note);
  }
  if (std::equal(c.before.bytes, c.before.bytes + kRecordSize, c.after.bytes)) return;
  if (DescriptionLength(c.after) < 2) {
    Problem(line, "the description must have at least two characters");
    return;
  }
  changes_.push_back(c);
}

bool Import::Check(const std::vector<CsvRow>& rows) {
  if (rows.empty()) {
    Problem(1, "no header line");
    return false;
  }
  if (!TakeHeader(rows[0])) return false;
  platform::ScopedFile inventory(OpenInventoryForReading());
  if (!inventory) {
    Complain("film.dat cannot be opened");
    return false;
  }
  const size_t width = rows[0].fields.size();
  for (size_t i = 1; i < rows.size(); ++i) {
    if (rows[i].fields.size() != width) {
      Problem(rows[i].line, std::to_string(rows[i].fields.size()) +
                                " fields where the header has " + std::to_string(width));
      continue;
    }
    CheckRow(inventory.get(), rows[i]);
  }
  std::sort(changes_.begin(), changes_.end(),
            [](const Change& a, const Change& b) { return a.slot < b.slot; });
  return problems_ == 0;
}

void ListChanges(const std::vector<Change>& changes) {
  for (const Change& c : changes) {
    for (Field field : kAllFields) {
      const std::string before = ExportedField(field, c.before);
      const std::string after = ExportedField(field, c.after);
      if (before != after) {
        std::printf("%s %s: %s -> %s\n", platform::FormatItemNumber(c.number).c_str(),
                    FieldName(field), before.c_str(), after.c_str());
      }
    }
  }
}

}  // namespace

int ImportCsv(const std::string& path, bool dryRun) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  if (!in) {
    Complain(path + ": cannot be read");
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<CsvRow> rows;
  std::string error;
  if (!ReadCsv(text, &rows, &error)) {
    Complain(path + ": " + error);
    return 1;
  }
  if (!(dryRun ? OpenForReport() : OpenForChange())) return 1;
  Import import(path);
  if (!import.Check(rows)) {
    Complain(path + ": nothing imported, film.dat is unchanged");
    return 1;
  }
  if (dryRun) {
    ListChanges(import.changes());
    return 0;
  }
  size_t written = 0;
  for (const Change& c : import.changes()) {
    if (!TellWriteOutcome(StoreAmendedRecord(c.slot, c.after, c.before), Message::kWriteBackMissing,
                          Message::kWriteBackFailed)) {
      Complain(path + ":" + std::to_string(c.line) + ": item " + std::to_string(c.number) +
               " not written; " + std::to_string(written) +
               " items before it are, and importing the file again finishes the job");
      return 1;
    }
    ++written;
  }
  std::printf("%zu items changed\n", written);
  return 0;
}
