#include "office/import/import_plan.h"

#include <algorithm>

#include "platform/number_text.h"
#include "platform/utf8.h"

namespace {

constexpr size_t kBlockBytes = size_t{1} << 16;
constexpr uint8_t kNoField = static_cast<uint8_t>(kFieldCount);

size_t PartIndex(ImportPlan::Part part) { return static_cast<size_t>(part); }

}  // namespace

ImportPlan::ImportPlan(const ImportRun& run, ImportChoices choices)
    : run_(run), choices_(std::move(choices)) {}

void ImportPlan::Keep(Part part, const Entry& entry,
                      std::initializer_list<std::string_view> texts) {
  size_t bytes = 0;
  for (std::string_view t : texts) bytes += 4 + t.size();
  if (blocks_.empty() || blocks_.back().size() + bytes > kBlockBytes) {
    blocks_.emplace_back();
    blocks_.back().reserve(std::max(kBlockBytes, bytes));
  }
  std::string& block = blocks_.back();
  Entry kept = entry;
  kept.at = (blocks_.size() - 1) * kBlockBytes + block.size();
  for (std::string_view t : texts) {
    const auto size = static_cast<uint32_t>(t.size());
    for (int k = 0; k < 4; ++k) block += static_cast<char>(size >> (8 * k) & 0xFF);
    block.append(t.data(), t.size());
  }
  entries_[PartIndex(part)].push_back(kept);
}

std::vector<std::string_view> ImportPlan::Texts(uint64_t at, size_t count) const {
  const std::string& block = blocks_[at / kBlockBytes];
  size_t from = at % kBlockBytes;
  std::vector<std::string_view> texts;
  for (size_t i = 0; i < count; ++i) {
    uint32_t size = 0;
    for (int k = 0; k < 4; ++k) size |= uint32_t{static_cast<uint8_t>(block[from + k])} << (8 * k);
    texts.emplace_back(block.data() + from + 4, size);
    from += 4 + size;
  }
  return texts;
}

void ImportPlan::Tell(const Found& found) {
  const Part part = found.unmarked                          ? Part::kUnmarked
                    : IsConflict(found.what)                ? Part::kConflict
                    : found.what == Finding::kOverwritten   ? Part::kOverwritten
                    : found.what == Finding::kColumnNotOurs ? Part::kNotice
                                                            : Part::kRefused;
  // The findings of a row come one after another.
  if (rows_[PartIndex(part)] == 0 || lastLine_[PartIndex(part)] != found.line) {
    ++rows_[PartIndex(part)];
    lastLine_[PartIndex(part)] = found.line;
  }
  if (entries_[PartIndex(part)].size() >= kKeptFindings) {
    ++untold_[PartIndex(part)];
    return;
  }
  // A finding about a field's value names the field; the others name none.
  const bool aboutField = found.column >= 0 && found.what != Finding::kBadNumber &&
                          found.what != Finding::kDamagedMark &&
                          found.what != Finding::kMarkOfOtherRow &&
                          found.what != Finding::kColumnNotOurs;
  Entry entry{found.number, found.line, static_cast<int16_t>(std::min(found.column, 0x7FFF)),
              aboutField ? static_cast<uint8_t>(Index(found.field)) : kNoField, 0};
  const std::string is = found.is.empty() ? std::string(found.text) : found.is;
  Keep(part, entry, {found.description, found.now, is, FindingText(found, run_.sheet(), choices_)});
}

bool ImportPlan::TakeChanges(ImportRun& run, Progress* progress, size_t* changed, bool* stopped) {
  const ItemEdits& changes = run.changes();
  const size_t made = run.MakeChanges(
      [&](size_t i, const InventoryRecord& before, const InventoryRecord& after) {
        const ItemEdits::Item& item = changes.At(i);
        const std::string description = ExportedField(Field::kDescription, before);
        Entry entry{item.number, item.line, -1, kNoField, 0};
        std::vector<ItemEdits::FieldChange> fields = changes.Changed(i, before, after);
        if (fields.empty()) {
          // A value stored otherwise that export prints the same (a cost
          // price typed with more decimals): written all the same.
          for (const FieldEdit& e : changes.Edits(i)) {
            fields.push_back(
                {e.field, ExportedField(e.field, before), ExportedField(e.field, after)});
          }
        }
        for (const ItemEdits::FieldChange& c : fields) {
          entry.field = static_cast<uint8_t>(Index(c.field));
          Keep(Part::kChange, entry, {description, c.was, c.is, ""});
        }
        ++changedItems_;
      },
      progress, stopped);
  if (made < changes.Count() && changed != nullptr) *changed = made;
  return made == changes.Count();
}

size_t ImportPlan::Count(Part part) const {
  if (part == Part::kAddition) return run_.additions().Count();
  return entries_[PartIndex(part)].size();
}

size_t ImportPlan::AddedItems() const { return run_.additions().Count(); }

void ImportPlan::Place(int line, int column, Row* row) const {
  const SheetReader& sheet = run_.sheet();
  row->row = sheet.ShownRow(line);
  row->sheet = sheet.LaterSheet(line);
  if (column >= 0)
    row->cell = ColumnLetters(static_cast<size_t>(column)) + std::to_string(row->row);
}

ImportPlan::Row ImportPlan::At(Part part, size_t i) const {
  Row row;
  if (part == Part::kAddition) {
    // One row a new item: its description, and its other fields as stored.
    const ItemEdits& added = run_.additions();
    const ItemEdits::Item& item = added.At(i);
    const InventoryRecord zero = ZeroRecord(item.number);
    const InventoryRecord record = added.Applied(i, zero);
    Place(item.line, -1, &row);
    row.number = item.number;
    row.description = ExportedField(Field::kDescription, record);
    for (const ItemEdits::FieldChange& c : added.Changed(i, zero, record)) {
      if (c.field == Field::kDescription) continue;
      row.note += (row.note.empty() ? "" : ", ") + std::string(FieldName(c.field)) + " " + c.is;
    }
    return row;
  }
  const Entry& entry = entries_[PartIndex(part)][i];
  const std::vector<std::string_view> texts = Texts(entry.at, 4);
  Place(entry.line, entry.column, &row);
  row.number = entry.number;
  row.hasField = entry.field != kNoField;
  if (row.hasField) row.field = kAllFields[entry.field];
  row.description = texts[0];
  row.was = texts[1];
  row.is = texts[2];
  row.note = texts[3];
  return row;
}

std::string ImportPlan::ChangeLines() const {
  std::string lines;
  for (const Entry& entry : entries_[PartIndex(Part::kChange)]) {
    const std::vector<std::string_view> texts = Texts(entry.at, 3);
    if (texts[1] == texts[2]) continue;  // stored otherwise, printed the same
    lines += platform::FormatItemNumber(entry.number) + " " + FieldName(kAllFields[entry.field]) +
             ": " + PrintableWhole(texts[1]) + " -> " + PrintableWhole(texts[2]) + "\n";
  }
  return lines;
}
