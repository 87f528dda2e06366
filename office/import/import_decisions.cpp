#include "office/import/import_decisions.h"

#include <cstring>
#include <set>

#include "office/import/respelling.h"
#include "office/value_syntax.h"
#include "platform/number_text.h"
#include "store/field_rules.h"

namespace {

bool IsBlank(std::string_view text) { return Trimmed(text).empty(); }

// Whether `text` holds "total" in any case: a row a spreadsheet's owner
// added to sum a column.
bool SaysTotal(std::string_view text) {
  static const char kTotal[] = "total";
  for (size_t i = 0; i + 5 <= text.size(); ++i) {
    size_t k = 0;
    while (k < 5 && (text[i + k] | 0x20) == kTotal[k]) ++k;
    if (k == 5) return true;
  }
  return false;
}

bool IsFreshRecord(const InventoryRecord& record) {
  InventoryRecord fresh;
  MakeFreshRecord(fresh);
  return std::memcmp(fresh.bytes, record.bytes, kRecordSize) == 0;
}

// Whether `name` is one of import's columns but for its case, blanks
// around it or a character that shows nothing: a column of export's
// misspelled, whose values would otherwise be left out unseen.
bool LooksLikeOurs(std::string_view name) {
  std::string plain;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80 || c <= ' ') continue;  // blanks, and every byte of a character beyond ASCII
    plain += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  }
  Field field;
  return plain == "number" || plain == "slot" || plain == kVersionColumn ||
         FieldNamed(plain, &field);
}

size_t ConflictIndex(Finding kind) {
  return kind == Finding::kConflict ? 0 : kind == Finding::kUncheckedConflict ? 1 : 2;
}

}  // namespace

ImportDecisions::ImportDecisions(const ImportRules& rules, SheetItems& items, FindingSink& sink)
    : rules_(rules), items_(items), sink_(sink), seenOn_(items.Entries(), 0) {}

int ImportDecisions::conflicts(Finding kind) const { return conflicts_[ConflictIndex(kind)]; }

ItemEdits& ImportDecisions::changes() {
  if (!sorted_) changes_.SortBySlot();
  sorted_ = true;
  return changes_;
}

void ImportDecisions::Tell(Found found) {
  // The cell a finding is about, where it is one cell's.
  switch (found.what) {
    case Finding::kRefusedValue:
    case Finding::kTooLong:
    case Finding::kRespelled:
    case Finding::kConflict:
    case Finding::kUncheckedConflict:
    case Finding::kUnmarkedConflict:
    case Finding::kOverwritten:
      found.column = columns_.field[Index(found.field)];
      break;
    case Finding::kBadNumber:
      found.column = columns_.number;
      break;
    case Finding::kDamagedMark:
    case Finding::kMarkOfOtherRow:
      found.column = columns_.version;
      break;
    // The header's own column, a cell's, or the whole row's: as made.
    case Finding::kSeparatedBy:
    case Finding::kColumnTwice:
    case Finding::kNoSuchColumn:
    case Finding::kNoNumberColumn:
    case Finding::kColumnNotOurs:
    case Finding::kFieldCount:
    case Finding::kUnnamedValue:
    case Finding::kTotalsRow:
    case Finding::kNoValue:
    case Finding::kRowDisagrees:
    case Finding::kItemDisagrees:
    case Finding::kDeletedSince:
    case Finding::kDeletedSlotEdited:
    case Finding::kNoSuchItem:
    case Finding::kCannotAdd:
    case Finding::kTooManySlots:
    case Finding::kTwice:
    case Finding::kSeveralSlots:
    case Finding::kUnreadable:
    case Finding::kChangedSinceRead:
    case Finding::kShortDescription:
      break;
  }
  if (IsConflict(found.what)) {
    ++conflicts_[ConflictIndex(found.what)];
  } else if (!IsNotice(found.what)) {
    ++problems_;
  }
  sink_.Tell(found);
}

bool ImportDecisions::TakeHeader(int line, const std::vector<std::string_view>& names) {
  columns_ = Columns{};  // each sheet of a workbook has a header of its own
  columns_.width = names.size();
  if (names.size() == 1) {
    for (char separator : {';', '\t'}) {
      if (names[0].find(separator) == std::string_view::npos) continue;
      Tell(Found::SeparatedBy(line, separator == ';' ? ";" : "\t"));
      return false;
    }
  }
  std::set<std::string_view> named;
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    const std::string_view name = names[static_cast<size_t>(i)];
    Field field;
    if (IsBlank(name)) {
      // A column no one named: its cells must stay empty (a spreadsheet
      // may have split a text into it).
      columns_.unnamed.push_back(i);
      continue;
    }
    if (!named.insert(name).second) {
      Tell(Found::ColumnTwice(line, name));
    } else if (name == "number") {
      columns_.number = i;
    } else if (name == kVersionColumn || name == kVersionHeading || name == kFormerVersionHeading) {
      columns_.version = i;
    } else if (FieldNamed(name, &field)) {
      columns_.field[Index(field)] = i;
    } else if (name == "slot") {
      columns_.slot = true;
    } else {
      // The owner's own column (notes, a sum) is left alone, its rows
      // decided without it.
      Tell(LooksLikeOurs(name) ? Found::NoSuchColumn(line, name, i)
                               : Found::ColumnNotOurs(line, name, i));
    }
  }
  if (columns_.number < 0) Tell(Found::NoNumberColumn(line));
  bool everyField = true;
  for (int column : columns_.field) everyField = everyField && column >= 0;
  versionMissing_ = versionMissing_ || (columns_.version < 0 && (columns_.slot || everyField));
  return problems_ == 0;
}

void ImportDecisions::TakeRow(int line, const std::vector<std::string_view>& fields,
                              const std::vector<CellWithoutValue>& withoutValue) {
  // A cell without a value is no text, not even an empty one: never taken
  // for a value that clears a field. Right of the sheet's columns it is as
  // an empty cell there.
  bool valueless = false;
  for (const CellWithoutValue& cell : withoutValue) {
    if (cell.column >= columns_.width) continue;
    Tell(Found::NoValue(line, static_cast<int>(cell.column), static_cast<int64_t>(cell.kind),
                        cell.code));
    valueless = true;
  }
  if (valueless) return;
  bool empty = true;
  for (std::string_view f : fields) empty = empty && IsBlank(f);
  if (empty) return;  // a row of empty cells, as spreadsheets leave at the end
  if (fields.size() != columns_.width) {
    Tell(Found::FieldCount(line, fields.size(), columns_.width));
    return;
  }
  for (int column : columns_.unnamed) {
    if (IsBlank(fields[static_cast<size_t>(column)])) continue;
    Tell(Found::UnnamedValue(line, fields[static_cast<size_t>(column)], column));
    return;
  }
  const std::string_view numberText = fields[static_cast<size_t>(columns_.number)];
  if (IsBlank(numberText) || SaysTotal(numberText)) {
    Tell(Found::TotalsRow(line, numberText));
    return;
  }
  const std::string_view markText =
      columns_.version < 0 ? std::string_view() : fields[static_cast<size_t>(columns_.version)];
  int64_t number = 0;
  std::string why;
  if (!TakeItemNumber(numberText, &number, &why)) {
    // A deleted slot's row, as export --all writes it, comes back with its
    // mark and the stored number.
    if (IsBlank(markText) || !TakeStoredNumber(numberText, &number) || IsLiveNumber(number)) {
      Tell(Found::BadNumber(line, numberText, why));
      return;
    }
  }
  if (IsBlank(markText)) {
    TakeUnmarked(line, fields, number);
    return;
  }
  VersionMark mark;
  const MarkText read = DecodeVersionMark(markText, &mark);
  if (read == MarkText::kDamaged) {
    Tell(Found::DamagedMark(line, number, markText));
    return;
  }
  if (NumberDigest(platform::FormatItemNumber(number)) != mark.number) {
    Tell(Found::MarkOfOtherRow(line, number));
    return;
  }
  TakeMarked(line, fields, number, mark, read == MarkText::kWhole);
}

bool ImportDecisions::FirstLine(int line, int64_t number, const size_t* entry) {
  int* seen = nullptr;
  if (entry != nullptr) {
    seen = &seenOn_[*entry];
  } else {
    seen = &newNumbers_.emplace(number, 0).first->second;
  }
  if (*seen == 0) {
    *seen = line;
    return true;
  }
  Tell(Found::Twice(line, number, *seen));
  return false;
}

bool ImportDecisions::ReadItem(int line, int64_t number, size_t entry, Slot* slot,
                               InventoryRecord* record) {
  *slot = items_.SlotAt(entry);
  if (!items_.Read(*slot, record)) {
    Tell(Found::Unreadable(line, number, *slot));
    return false;
  }
  if (RecordNumber(*record) != number) {
    Tell(Found::ChangedSinceRead(line, number));
    return false;
  }
  return true;
}

bool ImportDecisions::Respelled(int line, int64_t number, Field field, std::string_view value,
                                const std::string& printed) {
  if (!IsTextField(field) || !IsSpreadsheetRespelling(printed, value)) return false;
  Tell(Found::Respelled(line, number, field, value, printed));
  return true;
}

bool ImportDecisions::Keep(const ItemEdits::Item& item, const std::vector<FieldEdit>& edits,
                           const InventoryRecord& now) {
  if (edits.empty()) return true;
  InventoryRecord after = now;
  for (const FieldEdit& e : edits) {
    std::string note;
    const std::string why = StoreField(e.field, e.text, after, &note);
    if (!why.empty()) {
      Tell(Found::RefusedValue(item.line, item.number, e.field, e.text, why));
      return false;
    }
  }
  if (item.slot >= 0 && std::memcmp(after.bytes, now.bytes, kRecordSize) == 0) return true;
  if (!DescriptionLongEnough(after)) {
    Tell(Found::ShortDescription(item.line, item.number));
    return false;
  }
  if (item.slot < 0) {
    additions_.Add(item, edits);
  } else {
    ItemEdits::Item decided = item;
    decided.decidedOn = RecordDigest(now);
    changes_.Add(decided, edits);
    sorted_ = false;
  }
  return true;
}

void ImportDecisions::TakeMarked(int line, const std::vector<std::string_view>& fields,
                                 int64_t number, const VersionMark& mark, bool checked) {
  const std::string numberPrinted = platform::FormatItemNumber(number);
  const bool live = IsLiveNumber(number);
  size_t entry = 0;
  const int64_t count = live ? items_.Find(number, &entry) : 0;
  // One line an item, whether its row was edited or not.
  if (live && count <= 1 && !FirstLine(line, number, count == 1 ? &entry : nullptr)) return;
  // A row as export printed it, every column at hand: one digest tells.
  PrintedRow raw{numberPrinted};
  bool allColumns = true;
  for (Field f : kAllFields) {
    const int column = columns_.field[Index(f)];
    allColumns = allColumns && column >= 0;
    if (column >= 0) raw[1 + Index(f)] = fields[static_cast<size_t>(column)];
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
    const std::string_view value = fields[static_cast<size_t>(column)];
    if (FieldDigest(f, value) == mark.fields[Index(f)]) continue;
    std::string why;
    if (!StoredPrint(f, value, &stored[Index(f)], &why)) {
      Tell(Found::RefusedValue(line, number, f, value, why));
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
      Tell(Found::RowDisagrees(line, number));
    }
    return;
  }
  if (count == 0) {
    Tell(live ? Found::DeletedSince(line, number) : Found::DeletedSlotEdited(line, number));
    return;
  }
  if (count > 1) {
    Tell(Found::SeveralSlots(line, number, count));
    return;
  }
  Slot slot = 0;
  InventoryRecord now;
  if (!ReadItem(line, number, entry, &slot, &now)) return;
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
    Tell(Found::ItemDisagrees(line, number));
    return;
  }
  std::vector<FieldEdit> edits;
  for (Field f : kAllFields) {
    const size_t i = Index(f);
    if (!edited[i] || stored[i] == printed[i]) continue;  // film.dat holds it already
    const std::string_view value = fields[static_cast<size_t>(columns_.field[i])];
    Found about = Found::Disagreement(Finding::kConflict, line, number, f, value, printed[i],
                                      stored[i], printed[Index(Field::kDescription)]);
    const bool bothChanged = nowDigests[i] != mark.fields[i];
    if (bothChanged && !(rules_.overwrite && checked)) {
      // An older export's mark cannot show it is whole: --overwrite does
      // not take its word over film.dat's.
      if (rules_.overwrite) about.what = Finding::kUncheckedConflict;
      Tell(about);
      continue;
    }
    if (Respelled(line, number, f, value, printed[i])) continue;
    if (std::string tooLong = TextTooLong(f, value); !tooLong.empty()) {
      Tell(Found::TooLong(line, number, f, value, std::move(tooLong), printed[i],
                          printed[Index(Field::kDescription)]));
      continue;
    }
    if (bothChanged) {
      about.what = Finding::kOverwritten;
      Tell(about);
    }
    edits.push_back(FieldEdit{f, value});
  }
  Keep(ItemEdits::Item{line, number, slot}, edits, now);
}

void ImportDecisions::TakeUnmarked(int line, const std::vector<std::string_view>& fields,
                                   int64_t number) {
  size_t entry = 0;
  const int64_t count = items_.Find(number, &entry);
  if (count == 0) {
    if (!rules_.add) {
      Tell(Found::NoSuchItem(line, number));
      return;
    }
    // Every slot's number must be known, or an item could be added twice;
    // and no more can be added than the file can take.
    if (!items_.Whole()) {
      Tell(Found::CannotAdd(line, number));
      return;
    }
    if (static_cast<Slot>(additions_.Count()) >= kLargestSlotCount - items_.Slots()) {
      Tell(Found::TooManySlots(line, number));
      return;
    }
    if (!FirstLine(line, number, nullptr)) return;
    // A new item: its fields over a zero record with its number; a blank
    // cell keeps the zero record's value.
    std::vector<FieldEdit> edits;
    for (Field f : kAllFields) {
      const int column = columns_.field[Index(f)];
      if (column < 0 || IsBlank(fields[static_cast<size_t>(column)])) continue;
      const std::string_view value = fields[static_cast<size_t>(column)];
      const std::string tooLong = TextTooLong(f, value);
      if (!tooLong.empty()) {
        Tell(Found::TooLong(line, number, f, value, tooLong));
        return;
      }
      edits.push_back(FieldEdit{f, value});
    }
    Keep(ItemEdits::Item{line, number}, edits, ZeroRecord(number));
    return;
  }
  ++unmarked_;
  if (count > 1) {
    // Export's rows of a number in several slots come back unchanged; any
    // other row for such a number would change the one of them that lookups
    // find, whichever slot it came from.
    for (size_t k = 0; k < static_cast<size_t>(count); ++k) {
      InventoryRecord record;
      if (!items_.Read(items_.SlotAt(entry + k), &record)) continue;
      bool same = true;
      for (Field f : kAllFields) {
        const int column = columns_.field[Index(f)];
        same =
            same && (column < 0 || fields[static_cast<size_t>(column)] == ExportedField(f, record));
      }
      if (same) return;
    }
    Tell(Found::SeveralSlots(line, number, count));
    return;
  }
  if (!FirstLine(line, number, &entry)) return;
  Slot slot = 0;
  InventoryRecord now;
  if (!ReadItem(line, number, entry, &slot, &now)) return;
  // The fresh inventory's record holds nothing of the shop's yet: the
  // sheet's values are the first it gets.
  const bool fresh = IsFreshRecord(now);
  std::vector<FieldEdit> edits;
  for (Field f : kAllFields) {
    const int column = columns_.field[Index(f)];
    if (column < 0) continue;
    const std::string_view value = fields[static_cast<size_t>(column)];
    const std::string printed = ExportedField(f, now);
    if (value == printed) continue;  // what export prints stands for the value as it is
    std::string stored, why;
    if (!StoredPrint(f, value, &stored, &why)) {
      Tell(Found::RefusedValue(line, number, f, value, why));
      return;
    }
    if (stored == printed) continue;  // 56.8 for 56.80: the same value, not a change
    if (Respelled(line, number, f, value, printed)) return;
    why = TextTooLong(f, value);
    if (!why.empty()) {
      Tell(Found::TooLong(line, number, f, value, why));
      return;
    }
    Found about = Found::Disagreement(Finding::kUnmarkedConflict, line, number, f, value, printed,
                                      stored, ExportedField(Field::kDescription, now));
    about.unmarked = true;
    if (!fresh && !rules_.overwrite) {
      Tell(about);
      continue;
    }
    about.what = Finding::kOverwritten;
    if (!fresh) {
      ++unmarkedOverwritten_;
      Tell(about);
    }
    edits.push_back(FieldEdit{f, value});
  }
  Keep(ItemEdits::Item{line, number, slot}, edits, now);
}
