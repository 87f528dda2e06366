// filmtool import: the way back from export. The sheet is read once, a row
// at a time, and every row is decided before anything is written:
//
// - A row with export's version mark (tools/version_mark.h) that still holds
//   what was exported is left alone, whatever film.dat holds now. Of an
//   edited one, the fields the owner edited are written, each as amend
//   writes it; a field that film.dat changed since the export too is a
//   conflict, which refuses the whole sheet unless --overwrite is given.
//   Such a row never adds an item.
// - A row without the mark (a hand-made sheet, an older export, --add's new
//   items) is compared with film.dat as it is now: the fields whose value
//   prints otherwise than film.dat's are written.
//
// Only what must be written is kept, a few values per changed row; then the
// changed records go through the store's journalled write in groups, in
// slot order, and with --add the rows of new numbers are appended as new
// slots. The dry run makes the same decisions and lists the same writes.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "platform/console.h"
#include "platform/number_text.h"
#include "platform/scoped_file.h"
#include "store/field_rules.h"
#include "store/number_index.h"
#include "store/opendata.h"
#include "store/record_writes.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "tools/csv.h"
#include "tools/digest.h"
#include "tools/fields.h"
#include "tools/respelling.h"
#include "tools/tool.h"
#include "tools/utf8.h"
#include "tools/value_syntax.h"
#include "tools/version_mark.h"

namespace {

constexpr int kToldLines = 100;

// What tells a record that another program changed after import read it:
// it is kept for the time of one run only, so any well-mixed 64 bits will
// do, and these take a few instructions a word where a keyed digest takes
// many (a large import takes three of every changed record).
uint64_t RecordDigest(const InventoryRecord& record) {
  // Four words a step, each into a lane of its own, so that no step waits
  // for the one before.
  uint64_t lanes[4] = {0x9E3779B97F4A7C15ull, 0xBF58476D1CE4E5B9ull, 0x94D049BB133111EBull,
                       0xD6E8FEB86659FD93ull};
  size_t i = 0;
  for (; i + 32 <= kRecordSize; i += 32) {
    for (int k = 0; k < 4; ++k) {
      uint64_t word;
      std::memcpy(&word, record.bytes + i + 8 * k, 8);
      lanes[k] = (lanes[k] ^ word) * 0xFF51AFD7ED558CCDull;
      lanes[k] ^= lanes[k] >> 29;
    }
  }
  uint64_t h = lanes[0] ^ (lanes[1] * 3) ^ (lanes[2] * 5) ^ (lanes[3] * 7);
  for (; i < kRecordSize; ++i) h = (h ^ record.bytes[i]) * 0xC4CEB9FE1A85EC53ull;
  return h ^ h >> 32;
}

// One field to write: the sheet's text, stored by the field's rule.
struct Edit {
  Field field;
  std::string value;
};

// What import writes for one row: its item and the fields to store in it.
// A change of an item in the file holds the digest of the record the
// decision was made on; an addition (slot -1) starts from a zero record.
struct Change {
  int line = 0;
  int64_t number = 0;
  int64_t slot = -1;
  uint64_t decidedOn = 0;
  std::vector<Edit> edits;
};

InventoryRecord ZeroRecord(int64_t number) {
  InventoryRecord r;
  std::memset(r.bytes, 0, kRecordSize);
  SetRecordNumber(r, number);
  return r;
}

// The record `c` makes of `before`: each edit stored as amend stores it.
// The edits were checked when the change was decided, so none is refused.
InventoryRecord Applied(const Change& c, const InventoryRecord& before) {
  InventoryRecord after = before;
  std::string note;
  for (const Edit& e : c.edits) StoreField(e.field, e.value, after, &note);
  return after;
}

// The lines a write lists: "number field: old -> new" for each field whose
// print it changes, an added item's "number added" first. Only the fields a
// change stores can change.
void ListChange(const Change& c, const InventoryRecord& before, const InventoryRecord& after,
                std::string* out) {
  const std::string number = platform::FormatItemNumber(c.number);
  if (c.slot < 0) *out += number + " added\n";
  std::array<bool, kFieldCount> stored{};
  for (const Edit& e : c.edits) stored[Index(e.field)] = true;
  for (Field field : kAllFields) {
    if (!stored[Index(field)]) continue;
    const std::string was = ExportedField(field, before);
    const std::string is = ExportedField(field, after);
    if (was != is) *out += number + " " + FieldName(field) + ": " + was + " -> " + is + "\n";
  }
}

struct Options {
  bool dryRun = false;
  bool add = false;
  bool overwrite = false;
};

// The columns of the header: "number", each field's, the version mark's, and
// export's "slot", which is ignored (slots are never chosen by the sheet).
struct Columns {
  size_t width = 0;
  int number = -1;
  int version = -1;
  std::array<int, kFieldCount> field;
  Columns() { field.fill(-1); }
};

class Import {
 public:
  Import(std::string file, const Options& options, platform::FileRef inventory)
      : file_(std::move(file)),
        options_(options),
        slots_(inventory, SlotCount),
        seenOn_(static_cast<size_t>(IndexedSlots), 0) {}

  bool TakeHeader(const CsvRow& header);
  void TakeRow(const CsvRow& row);
  int problems() const { return problems_; }
  // The problems and conflicts found but not told, past kToldLines.
  int untold() const { return std::max(0, told_ - kToldLines); }
  int conflicts() const { return conflicts_; }
  int unmarked() const { return unmarked_; }
  // The changes of items in the file, in slot order, the order they are
  // written in: handed over, not copied, for they may be many.
  std::vector<Change> TakeChanges() {
    std::sort(changes_.begin(), changes_.end(),
              [](const Change& a, const Change& b) { return a.slot < b.slot; });
    return std::move(changes_);
  }
  const std::vector<Change>& additions() const { return additions_; }
  SlotReader& slots() { return slots_; }

 private:
  void TakeMarked(const CsvRow& row, int64_t number, const VersionMark& mark);
  void TakeUnmarked(const CsvRow& row, int64_t number);
  // Reads the one slot of live item `number` for the row on `line`: false
  // after a problem (none such, several, a number seen on another line).
  bool ReadItem(int line, int64_t number, int64_t* slot, InventoryRecord* record);
  // Keeps `c` when its edits, stored into `now` (a zero record for an
  // addition), change it; false after a problem with them. A text cut to fit
  // is told.
  bool Keep(Change c, const InventoryRecord& now);
  // A problem or a conflict on a line of its own, up to kToldLines of
  // them: a sheet that is wrong throughout need not flood the terminal.
  void Tell(int line, const std::string& what) {
    if (++told_ <= kToldLines) Complain(file_ + ":" + std::to_string(line) + ": " + what);
  }
  // What was done to a value, told within the same bound, no problem.
  void Note(int line, const std::string& what) {
    if (told_ < kToldLines) Complain(file_ + ":" + std::to_string(line) + ": " + what);
  }
  void Problem(int line, const std::string& why) {
    Tell(line, why);
    ++problems_;
  }
  void Conflict(int line, int64_t number, Field field, std::string_view sheet,
                const std::string& now) {
    Tell(line, "item " + std::to_string(number) + ": " + FieldName(field) + ": the sheet says " +
                   Printable(sheet) + ", film.dat now says " + Printable(now) +
                   " (changed since the export)");
    ++conflicts_;
  }
  // True, after telling it, when `value`, the sheet's text for `field` of
  // item `number`, is what a spreadsheet made of film.dat's `printed`.
  bool Respelled(int line, int64_t number, Field field, std::string_view value,
                 const std::string& printed) {
    if (!IsTextField(field) || !IsSpreadsheetRespelling(printed, value)) return false;
    Problem(line, "item " + std::to_string(number) + ": " + FieldName(field) + ": the sheet says " +
                      Printable(value) + " where film.dat says " + Printable(printed) +
                      ": a spreadsheet read the text as a number or a date; open the file with "
                      "the number, description and sku columns as Text (see the guide)");
    return true;
  }
  // A value of a row refused by its field's rule.
  void Refused(int line, Field field, std::string_view value, const std::string& why) {
    Problem(line, std::string(FieldName(field)) + ": " + why + ": " + Printable(value));
  }

  std::string file_;
  Options options_;
  SlotReader slots_;
  Columns columns_;
  std::vector<int> seenOn_;        // by index entry: the line that took its item, or 0
  std::map<int64_t, int> adding_;  // number -> the line that adds it
  std::vector<Change> changes_;
  std::vector<Change> additions_;
  int problems_ = 0;
  int conflicts_ = 0;
  int unmarked_ = 0;
  int told_ = 0;
};

bool Import::TakeHeader(const CsvRow& header) {
  columns_.width = header.fields.size();
  if (header.fields.size() == 1) {
    for (char separator : {';', '\t'}) {
      if (header.fields[0].find(separator) == std::string_view::npos) continue;
      Problem(header.line, std::string("the fields are separated by ") +
                               (separator == ';' ? "semicolons" : "tabs") +
                               ", not commas: save the sheet as CSV with the comma as field "
                               "separator");
      return false;
    }
  }
  std::set<std::string_view> named;
  for (int i = 0; i < static_cast<int>(header.fields.size()); ++i) {
    const std::string_view name = header.fields[static_cast<size_t>(i)];
    Field field;
    if (!named.insert(name).second) {
      Problem(header.line, "the column " + Printable(name) + " stands twice");
    } else if (name == "number") {
      columns_.number = i;
    } else if (name == kVersionColumn) {
      columns_.version = i;
    } else if (FieldNamed(name, &field)) {
      columns_.field[Index(field)] = i;
    } else if (name != "slot") {
      Problem(header.line, "no such column: " + Printable(name));
    }
  }
  if (columns_.number < 0) Problem(header.line, "no number column");
  return problems_ == 0;
}

void Import::TakeRow(const CsvRow& row) {
  if (row.fields.size() != columns_.width) {
    Problem(row.line, std::to_string(row.fields.size()) + " fields where the header has " +
                          std::to_string(columns_.width));
    return;
  }
  const std::string_view numberText = row.fields[static_cast<size_t>(columns_.number)];
  int64_t number = 0;
  std::string why;
  if (!TakeItemNumber(numberText, &number, &why)) {
    Problem(row.line, why + ": " + Printable(numberText));
    return;
  }
  const std::string_view markText =
      columns_.version < 0 ? std::string_view() : row.fields[static_cast<size_t>(columns_.version)];
  if (markText.empty()) {
    ++unmarked_;
    TakeUnmarked(row, number);
    return;
  }
  VersionMark mark;
  if (!DecodeVersionMark(markText, &mark)) {
    Problem(row.line, "the version mark is damaged (" + Printable(markText) +
                          "): leave that column as export wrote it");
    return;
  }
  TakeMarked(row, number, mark);
}

bool Import::ReadItem(int line, int64_t number, int64_t* slot, InventoryRecord* record) {
  const int64_t at = WalkNumberIndex(number);
  const int64_t count = CountSlotsOfNumber(number);
  if (count > 1) {
    Problem(line, "item " + std::to_string(number) + " stands in " + std::to_string(count) +
                      " slots: change it in the program, where lookups find the first");
    return false;
  }
  int& seen = seenOn_[static_cast<size_t>(at)];
  if (seen != 0) {
    Problem(line, "item " + std::to_string(number) + " stands on line " + std::to_string(seen) +
                      " already");
    return false;
  }
  seen = line;
  *slot = NumberIndex[at].slot;
  if (!slots_.Read(*slot, record)) {
    Problem(line, "slot " + std::to_string(*slot) + " of film.dat cannot be read");
    return false;
  }
  if (RecordNumber(*record) != number) {
    Problem(line, "film.dat was changed by another program since it was read");
    return false;
  }
  return true;
}

bool Import::Keep(Change c, const InventoryRecord& now) {
  if (c.edits.empty()) return true;
  InventoryRecord after = now;
  for (const Edit& e : c.edits) {
    std::string note;
    const std::string why = StoreField(e.field, e.value, after, &note);
    if (!why.empty()) {
      Refused(c.line, e.field, e.value, why);
      return false;
    }
    if (!note.empty()) Note(c.line, std::string(FieldName(e.field)) + ": " + note);
  }
  // Only what the field keeps is held: a sheet's long texts take no memory.
  for (Edit& e : c.edits) {
    if (IsTextField(e.field)) e.value = KeptText(e.value);
  }
  if (c.slot >= 0 && std::memcmp(after.bytes, now.bytes, kRecordSize) == 0) return true;
  if (!DescriptionLongEnough(after)) {
    Problem(c.line, "the description must have at least two characters");
    return false;
  }
  if (c.slot < 0) {
    additions_.push_back(std::move(c));
  } else {
    c.decidedOn = RecordDigest(now);
    changes_.push_back(std::move(c));
  }
  return true;
}

void Import::TakeMarked(const CsvRow& row, int64_t number, const VersionMark& mark) {
  const int line = row.line;
  const std::string numberPrinted = platform::FormatItemNumber(number);
  if (NumberDigest(numberPrinted) != mark.number) {
    Problem(line, "the number " + std::to_string(number) +
                      " is not the one this row was exported with: a spreadsheet may have "
                      "changed it; open the number column as Text (see the guide)");
    return;
  }
  // A row as export printed it, every column at hand: one digest tells.
  PrintedRow raw{numberPrinted};
  bool allColumns = true;
  for (Field f : kAllFields) {
    const int column = columns_.field[Index(f)];
    allColumns = allColumns && column >= 0;
    if (column >= 0) raw[1 + Index(f)] = row.fields[static_cast<size_t>(column)];
  }
  if (allColumns && RowDigest(raw) == mark.row) return;
  // Which fields the owner edited: those whose value, as the sheet holds it
  // or as it prints once stored, is not what export printed.
  std::array<std::string, kFieldCount> stored;
  PrintedRow matched = raw;
  std::array<bool, kFieldCount> edited{};
  bool anyEdited = false;
  for (Field f : kAllFields) {
    const int column = columns_.field[Index(f)];
    if (column < 0) continue;
    const std::string_view value = row.fields[static_cast<size_t>(column)];
    if (FieldDigest(f, value) == mark.fields[Index(f)]) continue;
    std::string why;
    if (!StoredPrint(f, value, &stored[Index(f)], &why)) {
      Refused(line, f, value, why);
      return;
    }
    matched[1 + Index(f)] = stored[Index(f)];
    edited[Index(f)] = FieldDigest(f, stored[Index(f)]) != mark.fields[Index(f)];
    anyEdited = anyEdited || edited[Index(f)];
  }
  if (!anyEdited) {
    // Every field agrees with the mark; with all of them at hand, so must
    // the whole row's digest.
    if (allColumns && RowDigest(matched) != mark.row) {
      Problem(line, "the row does not agree with its version mark: export again");
    }
    return;
  }

  int64_t slot = 0;
  InventoryRecord now;
  if (CountSlotsOfNumber(number) == 0) {
    Problem(line, "this row came from an export, but film.dat has no item " +
                      std::to_string(number) + " (deleted since?): a marked row never adds one");
    return;
  }
  if (!ReadItem(line, number, &slot, &now)) return;
  // What film.dat changed since the export, field by field.
  std::array<std::string, kFieldCount> printed;
  std::array<uint32_t, kFieldCount> nowDigests{};
  PrintedRow nowRow{numberPrinted};
  bool anyChanged = false;
  for (Field f : kAllFields) {
    printed[Index(f)] = ExportedField(f, now);
    nowRow[1 + Index(f)] = printed[Index(f)];
    nowDigests[Index(f)] = FieldDigest(f, printed[Index(f)]);
    anyChanged = anyChanged || nowDigests[Index(f)] != mark.fields[Index(f)];
  }
  if (!anyChanged && RowDigest(nowRow) != mark.row) {
    Problem(line, "item " + std::to_string(number) +
                      " does not agree with this row's version mark: export again");
    return;
  }
  Change c;
  c.line = line;
  c.number = number;
  c.slot = slot;
  for (Field f : kAllFields) {
    const size_t i = Index(f);
    if (!edited[i] || stored[i] == printed[i]) continue;  // film.dat holds it already
    const std::string_view value = row.fields[static_cast<size_t>(columns_.field[i])];
    if (nowDigests[i] != mark.fields[i] && !options_.overwrite) {
      Conflict(line, number, f, value, printed[i]);
      continue;
    }
    if (Respelled(line, number, f, value, printed[i])) continue;
    c.edits.push_back(Edit{f, std::string(value)});
  }
  Keep(std::move(c), now);
}

void Import::TakeUnmarked(const CsvRow& row, int64_t number) {
  const int line = row.line;
  const int64_t count = CountSlotsOfNumber(number);
  if (count == 0) {
    if (!options_.add) {
      Problem(line, "no item " + std::to_string(number) + " in film.dat");
      return;
    }
    // Every slot's number must be known, or an item could be added twice;
    // and no more can be added than the file can take.
    if (IndexedSlots != SlotCount) {
      Problem(line, "film.dat cannot be read whole: no item can be added");
      return;
    }
    if (static_cast<Slot>(additions_.size()) >= kLargestSlotCount - SlotCount) {
      Problem(line, "film.dat would pass " + std::to_string(kLargestSlotCount) +
                        " slots, the largest inventory");
      return;
    }
    const auto [seen, first] = adding_.emplace(number, line);
    if (!first) {
      Problem(line, "item " + std::to_string(number) + " stands on line " +
                        std::to_string(seen->second) + " already");
      return;
    }
    // A new item: the fields over a zero record with its number.
    Change c;
    c.line = line;
    c.number = number;
    for (Field f : kAllFields) {
      const int column = columns_.field[Index(f)];
      if (column >= 0)
        c.edits.push_back(Edit{f, std::string(row.fields[static_cast<size_t>(column)])});
    }
    Keep(std::move(c), ZeroRecord(number));
    return;
  }
  if (count > 1) {
    // Export's rows of a number in several slots come back unchanged; any
    // other row for such a number would change the one of them that lookups
    // find, whichever slot it came from.
    for (int64_t at = WalkNumberIndex(number), end = at + count; at < end; ++at) {
      InventoryRecord record;
      if (!slots_.Read(NumberIndex[at].slot, &record)) continue;
      bool same = true;
      for (Field f : kAllFields) {
        const int column = columns_.field[Index(f)];
        same = same &&
               (column < 0 || row.fields[static_cast<size_t>(column)] == ExportedField(f, record));
      }
      if (same) return;
    }
  }
  int64_t slot = 0;
  InventoryRecord now;
  if (!ReadItem(line, number, &slot, &now)) return;
  Change c;
  c.line = line;
  c.number = number;
  c.slot = slot;
  for (Field f : kAllFields) {
    const int column = columns_.field[Index(f)];
    if (column < 0) continue;
    const std::string_view value = row.fields[static_cast<size_t>(column)];
    const std::string printed = ExportedField(f, now);
    if (value == printed) continue;  // what export prints stands for the value as it is
    std::string stored, why;
    if (!StoredPrint(f, value, &stored, &why)) {
      Refused(line, f, value, why);
      return;
    }
    if (stored == printed) continue;  // 56.8 for 56.80: the same value, not a change
    if (Respelled(line, number, f, value, printed)) return;
    c.edits.push_back(Edit{f, std::string(value)});
  }
  Keep(std::move(c), now);
}

// The failure of a write and its cause, then where the import stopped and
// what of it is in the file.
void TellStop(const std::string& path, WriteOutcome outcome, const Change& stopped,
              const std::string& what, size_t changed, size_t added) {
  if (!ComplainOfOutcome(outcome)) {
    const std::string film = platform::ShownPath(DataPath);
    switch (outcome) {
      case WriteOutcome::kNotOpened:
        Complain(film + " cannot be opened for writing");
        break;
      case WriteOutcome::kChanged:
        Complain(film +
                 " was changed by another program since the sheet was checked: import it again");
        break;
      default:
        Complain(film + ": a write failed");
        break;
    }
  }
  Complain(path + ":" + std::to_string(stopped.line) + ": item " + std::to_string(stopped.number) +
           " not " + what + "; " + std::to_string(changed) + " items changed and " +
           std::to_string(added) +
           " added before it are in film.dat, and importing the file again finishes the job");
}

// The changes of the sheet as the store makes them: each one made from its
// slot's record as the write reads it, which must still be the record the
// change was decided on, and listed as it is made.
class Writes : public SlotChanges {
 public:
  explicit Writes(const std::vector<Change>& changes)
      : changes_(changes), listed_(changes.size()) {}
  size_t Count() const override { return changes_.size(); }
  int64_t Slot(size_t i) const override { return changes_[i].slot; }
  bool Holds(size_t i, const InventoryRecord& now) override {
    return RecordDigest(now) == changes_[i].decidedOn;
  }
  bool Make(size_t i, const InventoryRecord& now, InventoryRecord* next) override {
    const Change& c = changes_[i];
    if (!Holds(i, now)) return false;
    *next = Applied(c, now);
    listed_[i].clear();
    ListChange(c, now, *next, &listed_[i]);
    return true;
  }
  // The lines of the first `count` changes.
  std::string Listed(size_t count) const {
    std::string lines;
    for (size_t i = 0; i < count; ++i) lines += listed_[i];
    return lines;
  }

 private:
  const std::vector<Change>& changes_;
  std::vector<std::string> listed_;
};

// The sheet's new items as the store appends them: each record made from
// its edits over a zero record when the append reaches it.
class Additions : public RecordSource {
 public:
  explicit Additions(const std::vector<Change>& additions) : additions_(additions) {}
  size_t Count() const override { return additions_.size(); }
  InventoryRecord Record(size_t i) const override {
    return Applied(additions_[i], ZeroRecord(additions_[i].number));
  }
  // The lines of the first `count` additions.
  std::string Listed(size_t count) const {
    std::string lines;
    for (size_t i = 0; i < count; ++i) {
      ListChange(additions_[i], ZeroRecord(additions_[i].number), Record(i), &lines);
    }
    return lines;
  }

 private:
  const std::vector<Change>& additions_;
};

void TellChanged(const std::string& path, const Change& c) {
  Complain(path + ":" + std::to_string(c.line) + ": item " + std::to_string(c.number) +
           ": film.dat was changed by another program since it was read; nothing imported");
}

void TellUnmarked(int rows) {
  if (rows > 0) {
    std::printf("%d rows without a version mark were compared with film.dat as it is now\n", rows);
  }
}

// Reads the sheet at `path` through once: false, told, when it is no CSV.
bool WholeCsv(const std::string& path) {
  std::filebuf file;
  if (!file.open(std::filesystem::u8path(path), std::ios::in | std::ios::binary)) return true;
  CsvReader reader(&file);
  CsvRow row;
  while (reader.Next(&row)) {
  }
  if (reader.error().empty()) return true;
  Complain(path + ": " + reader.error());
  return false;
}

// Opens the sheet: a regular file, or standard input for "-".
bool OpenSheet(const std::string& path, std::filebuf* file, std::streambuf** source) {
  if (path == "-") {
    *source = std::cin.rdbuf();
    return true;
  }
  std::error_code error;
  const std::filesystem::path where = std::filesystem::u8path(path);
  const auto status = std::filesystem::status(where, error);
  if (status.type() == std::filesystem::file_type::directory) {
    Complain(path + ": is a folder, not a CSV file");
    return false;
  }
  if (!error && status.type() != std::filesystem::file_type::regular) {
    Complain(path + ": is not a regular file");
    return false;
  }
  if (!file->open(where, std::ios::in | std::ios::binary)) {
    Complain(path + ": cannot be read");
    return false;
  }
  *source = file;
  return true;
}

}  // namespace

int ImportCsv(const std::string& path, bool dryRun, bool add, bool overwrite) {
  const Options options{dryRun, add, overwrite};
  std::filebuf file;
  std::streambuf* source = nullptr;
  if (!OpenSheet(path, &file, &source)) return 1;
  CsvReader reader(source);
  CsvRow row;
  if (!reader.Next(&row)) {
    Complain(path + ": " + (reader.error().empty() ? "line 1: no header line" : reader.error()));
    return 1;
  }
  // Adding to a folder without film.dat starts it as the program's first
  // start does: a sheet that is no CSV is refused before that.
  if (add && !dryRun && path != "-" && !WholeCsv(path)) return 1;
  if (!(dryRun ? OpenForReport() : OpenForChange(/*makeFresh=*/add))) return 1;
  platform::ScopedFile inventory(OpenInventoryForReading());
  if (!inventory) {
    Complain("film.dat cannot be opened");
    return 1;
  }
  Import import(path, options, inventory.get());
  if (import.TakeHeader(row)) {
    while (reader.Next(&row)) import.TakeRow(row);
    if (!reader.error().empty()) {
      Complain(path + ": " + reader.error());
      return 1;
    }
  }
  if (import.untold() > 0) {
    Complain(path + ": " + std::to_string(import.untold()) + " more problems and conflicts");
  }
  if (import.conflicts() > 0) {
    Complain(path + ": " + std::to_string(import.conflicts()) +
             " fields were edited in the sheet and changed in film.dat since the export; export "
             "again and redo those edits, or import with --overwrite to put the sheet's values "
             "over film.dat's");
  }
  if (import.problems() > 0 || import.conflicts() > 0) {
    Complain(path + ": nothing imported, film.dat is unchanged");
    return 1;
  }

  // The writes, each listed as it is made.
  const std::vector<Change> changes = import.TakeChanges();
  Writes writes(changes);
  const Additions added(import.additions());
  if (dryRun) {
    for (size_t i = 0; i < changes.size(); ++i) {
      InventoryRecord now, next;
      if (!import.slots().Read(changes[i].slot, &now) || !writes.Make(i, now, &next)) {
        TellChanged(path, changes[i]);
        return 1;
      }
    }
    std::fputs((writes.Listed(changes.size()) + added.Listed(added.Count())).c_str(), stdout);
    std::printf("dry run: %zu items would change", changes.size());
    if (add) std::printf(", %zu would be added", added.Count());
    std::printf("; nothing written\n");
    TellUnmarked(import.unmarked());
    return 0;
  }
  // On Windows an open handle of a reader keeps every writer out.
  inventory.Close();
  const SlotsWritten changed = StoreAmendedRecords(writes);
  if (changed.outcome != WriteOutcome::kWritten) {
    std::fputs(writes.Listed(changed.written).c_str(), stdout);
    TellStop(path, changed.outcome, changes[changed.stopped], "written", changed.written, 0);
    return 1;
  }
  const SlotsWritten appended = StoreAppendedRecords(added);
  if (appended.outcome != WriteOutcome::kWritten) {
    std::fputs((writes.Listed(changes.size()) + added.Listed(appended.written)).c_str(), stdout);
    TellStop(path, appended.outcome, import.additions()[appended.stopped], "added", changed.written,
             appended.written);
    return 1;
  }
  std::fputs((writes.Listed(changes.size()) + added.Listed(appended.written)).c_str(), stdout);
  std::printf("%zu items changed\n", changed.written);
  if (add) std::printf("%zu items added\n", appended.written);
  TellUnmarked(import.unmarked());
  return 0;
}
