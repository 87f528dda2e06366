// filmtool import: the way back from export. Every row is checked against
// the inventory before anything is written; then the changed records go
// through the store's journalled write in groups, in slot order, and with
// --add the rows of numbers not in the file are appended as new slots.
#include <algorithm>
#include <cstdio>
#include <cstring>
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

// A checked row: the record as it is and as it will be. A row that adds an
// item has no slot yet, and a zero record with its number before.
struct Change {
  int line = 0;
  int64_t number = 0;
  int64_t slot = 0;
  InventoryRecord before;
  InventoryRecord after;
};

constexpr int64_t kLargestSlotCount = kLargestInventorySize / kRecordSize;

// The columns of the header: each a field, "number", or export's "slot",
// which is ignored (slots are never chosen by the file).
struct Columns {
  int number = -1;
  std::vector<std::pair<int, Field>> fields;
};

class Import {
 public:
  // With `add`, rows of numbers not in the file add items.
  Import(std::string file, bool add) : file_(std::move(file)), add_(add) {}

  // Every problem of `rows` on a line of standard error; true when none.
  bool Check(const std::vector<CsvRow>& rows);
  const std::vector<Change>& changes() const { return changes_; }
  const std::vector<Change>& additions() const { return additions_; }

 private:
  bool TakeHeader(const CsvRow& header);
  // True when every field of `row` reads as export prints it for `record`.
  bool Unchanged(const CsvRow& row, const InventoryRecord& record) const;
  void CheckRow(platform::FileRef inventory, const CsvRow& row);
  // Stores the row's fields into c.after, as far as they differ from what
  // export prints for c.before; false after a problem.
  bool StoreFields(const CsvRow& row, Change& c);
  void CheckAdditions();
  void Problem(int line, const std::string& why) {
    Complain(file_ + ":" + std::to_string(line) + ": " + why);
    ++problems_;
  }

  std::string file_;
  bool add_;
  Columns columns_;
  std::map<int64_t, int> seen_;  // number -> the line that named it
  std::vector<Change> changes_;
  std::vector<Change> additions_;
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
  if (slots == 0 && !add_) {
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
  if (slots == 0) {
    // A new item: the fields over a zero record with its number.
    std::memset(c.before.bytes, 0, kRecordSize);
    SetRecordNumber(c.before, number);
    if (!StoreFields(row, c)) return;
    if (DescriptionLength(c.after) < 2) {
      Problem(line, "the description must have at least two characters");
      return;
    }
    additions_.push_back(c);
    return;
  }
  c.slot = FindSlotByNumber(number);
  if (!ReadSlot(inventory, c.slot, &c.before)) {
    Problem(line, "slot " + std::to_string(c.slot) + " of film.dat cannot be read");
    return;
  }
  if (RecordNumber(c.before) != number) {
    Problem(line, "film.dat was changed by another program since it was read");
    return;
  }
  if (StoreFields(row, c) &&
      !std::equal(c.before.bytes, c.before.bytes + kRecordSize, c.after.bytes)) {
    changes_.push_back(c);
  }
}

bool Import::StoreFields(const CsvRow& row, Change& c) {
  const int line = c.line;
  c.after = c.before;
  for (const auto& [column, field] : columns_.fields) {
    const std::string& value = row.fields[column];
    // What export prints stands for the value as it is: no change.
    if (value == ExportedField(field, c.before)) continue;
    std::string note;
    const std::string refused = StoreField(field, value, c.after, &note);
    if (!refused.empty()) {
      Problem(line, std::string(FieldName(field)) + ": " + refused + ": " + value);
      return false;
    }
    if (!note.empty())
      Complain(file_ + ":" + std::to_string(line) + ": " + FieldName(field) + ": " + note);
  }
  if (std::equal(c.before.bytes, c.before.bytes + kRecordSize, c.after.bytes)) return true;
  if (DescriptionLength(c.after) < 2) {
    Problem(line, "the description must have at least two characters");
    return false;
  }
  return true;
}

void Import::CheckAdditions() {
  if (additions_.empty()) return;
  // Every slot's number must be known, or an item could be added twice.
  if (IndexedSlots != SlotCount) {
    Problem(additions_.front().line, "film.dat cannot be read whole: no item can be added");
    return;
  }
  const int64_t room = kLargestSlotCount - SlotCount;
  if (static_cast<int64_t>(additions_.size()) > room) {
    Problem(additions_[static_cast<size_t>(room)].line, "film.dat would pass " +
                                                            std::to_string(kLargestSlotCount) +
                                                            " slots, the largest inventory");
  }
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
  CheckAdditions();
  std::sort(changes_.begin(), changes_.end(),
            [](const Change& a, const Change& b) { return a.slot < b.slot; });
  return problems_ == 0;
}

// Each change as "number field: old -> new"; an added item's line "number
// added" comes before its fields' (from a zero record).
void ListChanges(const std::vector<Change>& changes, bool added) {
  for (const Change& c : changes) {
    const std::string number = platform::FormatItemNumber(c.number);
    if (added) std::printf("%s added\n", number.c_str());
    for (Field field : kAllFields) {
      const std::string before = ExportedField(field, c.before);
      const std::string after = ExportedField(field, c.after);
      if (before != after) {
        std::printf("%s %s: %s -> %s\n", number.c_str(), FieldName(field), before.c_str(),
                    after.c_str());
      }
    }
  }
}

// The failure of a write, told as the program tells it (in the tool's own
// words where the program's do not name the cause), then where the import
// stopped and what of it is in the file.
void TellStop(const std::string& path, WriteOutcome outcome, const Change& stopped,
              const std::string& what, size_t changed, size_t added) {
  if (!ComplainOfOutcome(outcome)) {
    TellWriteOutcome(outcome, Message::kWriteBackMissing, Message::kWriteBackFailed);
  }
  Complain(path + ":" + std::to_string(stopped.line) + ": item " + std::to_string(stopped.number) +
           " not " + what + "; " + std::to_string(changed) + " items changed and " +
           std::to_string(added) +
           " added before it are in film.dat, and importing the file again finishes the job");
}

}  // namespace

int ImportCsv(const std::string& path, bool dryRun, bool add) {
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
  // Adding to a folder without film.dat starts it as the program's first
  // start does.
  if (!(dryRun ? OpenForReport() : OpenForChange(/*makeFresh=*/add))) return 1;
  Import import(path, add);
  if (!import.Check(rows)) {
    Complain(path + ": nothing imported, film.dat is unchanged");
    return 1;
  }
  if (dryRun) {
    ListChanges(import.changes(), /*added=*/false);
    ListChanges(import.additions(), /*added=*/true);
    return 0;
  }
  std::vector<SlotChange> writes;
  writes.reserve(import.changes().size());
  for (const Change& c : import.changes()) writes.push_back(SlotChange{c.slot, c.after, c.before});
  const SlotsWritten changed = StoreAmendedRecords(writes);
  if (changed.outcome != WriteOutcome::kWritten) {
    TellStop(path, changed.outcome, import.changes()[changed.stopped], "written", changed.written,
             0);
    return 1;
  }
  std::vector<InventoryRecord> records;
  records.reserve(import.additions().size());
  for (const Change& c : import.additions()) records.push_back(c.after);
  const SlotsWritten added = StoreAppendedRecords(records);
  if (added.outcome != WriteOutcome::kWritten) {
    TellStop(path, added.outcome, import.additions()[added.stopped], "added", changed.written,
             added.written);
    return 1;
  }
  std::printf("%zu items changed\n", changed.written);
  if (add) std::printf("%zu items added\n", added.written);
  return 0;
}
