#include "office/import/import_run.h"

#include <algorithm>

#include "office/listener.h"
#include "office/open_inventory.h"
#include "platform/console.h"
#include "store/number_index.h"
#include "store/record_writes.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

// film.dat as the store loaded it: the index by number, the slots read
// through `file`.
class StoreItems : public SheetItems {
 public:
  explicit StoreItems(InventoryFile& file) : slots_(file, SlotCount) {}
  size_t Entries() const override { return static_cast<size_t>(IndexedSlots); }
  int64_t Find(int64_t number, size_t* entry) const override {
    *entry = static_cast<size_t>(FirstEntryAtOrAbove(number));
    return CountSlotsOfNumber(number);
  }
  Slot SlotAt(size_t entry) const override { return NumberIndex[entry].slot; }
  bool Read(Slot slot, InventoryRecord* record) override { return slots_.Read(slot, record); }
  bool Whole() const override { return IndexedSlots == SlotCount; }
  Slot Slots() const override { return SlotCount; }

 private:
  SlotReader slots_;
};

// The film.dat that --add makes in a folder without one, before it is made.
class FreshItems : public SheetItems {
 public:
  FreshItems() { MakeFreshRecord(fresh_); }
  size_t Entries() const override { return 1; }
  int64_t Find(int64_t number, size_t* entry) const override {
    *entry = 0;
    return number == RecordNumber(fresh_) ? 1 : 0;
  }
  Slot SlotAt(size_t) const override { return 0; }
  bool Read(Slot slot, InventoryRecord* record) override {
    if (slot != 0) return false;
    *record = fresh_;
    return true;
  }
  bool Whole() const override { return true; }
  Slot Slots() const override { return 1; }

 private:
  InventoryRecord fresh_;
};

// Whether film.dat, just made, is the fresh inventory the sheet was decided
// on: one slot, item 1 in it. Its record is checked again by the write.
bool IsTheFreshInventory() { return SlotCount == 1 && CountSlotsOfNumber(1) == 1; }

// The changes as the store writes them, on `progress`: the check of every
// slot before the first write may still be stopped, the writes not.
class WatchedWrites : public SlotChanges {
 public:
  WatchedWrites(SlotChanges& writes, Progress& progress) : writes_(writes), progress_(progress) {}
  size_t Count() const override { return writes_.Count(); }
  int64_t Slot(size_t i) const override { return writes_.Slot(i); }
  bool Holds(size_t i, const InventoryRecord& now) override {
    if (!ticker_.Tick(i, 2 * Count())) {
      stopped_ = true;
      return false;
    }
    return writes_.Holds(i, now);
  }
  void Make(size_t i, const InventoryRecord& now, InventoryRecord* next) override {
    progress_.Step(Count() + i, 2 * Count());
    writes_.Make(i, now, next);
  }
  bool stopped() const { return stopped_; }

 private:
  SlotChanges& writes_;
  Progress& progress_;
  ProgressTicker ticker_{&progress_, 256};
  bool stopped_ = false;
};

class WatchedAdditions : public RecordSource {
 public:
  WatchedAdditions(const RecordSource& records, Progress& progress)
      : records_(records), progress_(progress) {}
  size_t Count() const override { return records_.Count(); }
  InventoryRecord Record(size_t i) const override {
    if (i % 256 == 0) progress_.Step(i, Count());
    return records_.Record(i);
  }

 private:
  const RecordSource& records_;
  Progress& progress_;
};

}  // namespace

ImportRun::ImportRun(std::string path, const ImportRules& rules, Listener& told)
    : path_(std::move(path)), rules_(rules), told_(told) {}

ImportRun::~ImportRun() = default;

bool ImportRun::OpenSheet() {
  std::string why;
  sheet_ = OpenSheetReader(path_, &why);
  if (!sheet_) told_.Tell(path_ + ": " + why);
  return sheet_ != nullptr;
}

// The next sheet whose first row names a number column; a workbook's other
// sheets (the owner's notes, a summary) are left alone, and so are the
// sheets it hides: what the owner does not see is no edit of the owner's.
bool ImportRun::Header(std::string* name) {
  while (sheet_->NextSheet(name)) {
    if (sheet_->Hidden()) {
      told_.Tell(path_ + ": the workbook has a hidden sheet '" + *name +
                 "': its rows are not read");
      continue;
    }
    if (!sheet_->NextRow(&row_)) {
      if (!sheet_->error().empty()) return false;
      if (sheet_->IsWorkbook()) continue;  // an empty sheet
      told_.Tell(path_ + ": line 1: no header line");
      return false;
    }
    if (!sheet_->IsWorkbook() ||
        std::find(row_.cells.begin(), row_.cells.end(), "number") != row_.cells.end()) {
      return anyHeader_ = true;
    }
    told_.Tell(path_ + ": sheet " + *name + " names no number column in its first row: left alone");
  }
  if (sheet_->error().empty() && !anyHeader_) {
    told_.Tell(path_ +
               ": no sheet of this workbook has export's columns in its first row "
               "(number, description, sku, ...): export again, and edit that sheet");
  }
  return false;
}

ImportRun::Read ImportRun::Decide(bool forChange, FindingSink& findings, Progress* progress) {
  forChange_ = forChange;
  std::string name;
  if (!Header(&name)) {
    if (!sheet_->error().empty()) told_.Tell(path_ + ": " + sheet_->error());
    return Read::kFailed;
  }
  bool* const canBeMissing = rules_.add ? &missing_ : nullptr;
  const bool opened =
      forChange ? OpenForChange(told_, false, canBeMissing) : OpenForReport(told_, canBeMissing);
  if (!opened && !missing_) return Read::kFailed;
  if (missing_) {
    items_ = std::make_unique<FreshItems>();
  } else {
    inventory_ = OpenInventoryForReading();
    if (!inventory_) {
      if (!TellCause(told_, DataPath, inventory_.error())) told_.Tell("film.dat cannot be opened");
      return Read::kFailed;
    }
    items_ = std::make_unique<StoreItems>(inventory_);
  }
  decisions_ = std::make_unique<ImportDecisions>(rules_, *items_, findings);
  ProgressTicker ticker(progress);
  uint64_t rows = 0;
  const uint64_t expected = items_->Entries();
  // Each sheet of export's own columns, its header then its rows.
  for (bool more = true; more;) {
    if (decisions_->TakeHeader(row_.line, row_.cells)) {
      while (sheet_->NextRow(&row_)) {
        decisions_->TakeRow(row_.line, row_.cells, row_.withoutValue);
        ++rows;
        if (!ticker.Tick(rows, std::max(rows, expected))) return Read::kStopped;
      }
    }
    if (!sheet_->error().empty()) break;
    more = Header(&name);
  }
  if (!sheet_->error().empty()) {
    told_.Tell(path_ + ": " + sheet_->error());
    return Read::kFailed;
  }
  writes_ = std::make_unique<EditWrites>(decisions_->changes());
  added_ = std::make_unique<EditAdditions>(decisions_->additions());
  return Read::kWhole;
}

bool ImportRun::Refused() const {
  return decisions_->problems() > 0 || decisions_->conflicts() > 0;
}

const ItemEdits& ImportRun::changes() const { return decisions_->changes(); }
const ItemEdits& ImportRun::additions() const { return decisions_->additions(); }

size_t ImportRun::MakeChanges(const EachChange& each, Progress* progress, bool* stopped) {
  const ItemEdits& changes = decisions_->changes();
  ProgressTicker ticker(progress, 256);
  for (size_t i = 0; i < changes.Count(); ++i) {
    if (!ticker.Tick(i, changes.Count())) {
      if (stopped != nullptr) *stopped = true;
      return i;
    }
    InventoryRecord now;
    if (!items_->Read(changes.At(i).slot, &now) || !writes_->Holds(i, now)) return i;
    if (each) each(i, now, changes.Applied(i, now));
  }
  return changes.Count();
}

void ImportRun::LetFilesGo() {
  inventory_.Close();
  if (sheet_) sheet_->Close();
}

ImportRun::Applied ImportRun::Apply(Progress* progress) {
  Applied applied;
  inventory_.Close();
  const auto stopped = [progress] { return progress != nullptr && !progress->Step(0, 1); };
  if (stopped()) {
    applied.stop = Stop::kStopped;
    return applied;
  }
  if (missing_) {
    // The sheet went through: now the new shop's film.dat is made, and it
    // must be the one the sheet was decided on.
    if (!OpenForChange(told_, /*makeFresh=*/true)) {
      applied.stop = Stop::kNotOpened;
      return applied;
    }
    if (!IsTheFreshInventory()) {
      applied.stop = Stop::kMadeByOther;
      return applied;
    }
  } else if (!forChange_) {
    // Decided over a report's opening: opened for the change now. Each
    // change is checked against its slot by the write; each new number must
    // still be new, among the numbers of every slot.
    if (!OpenForChange(told_)) {
      applied.stop = Stop::kNotOpened;
      return applied;
    }
    const ItemEdits& added = decisions_->additions();
    bool changed =
        added.Count() > 0 && (IndexedSlots != SlotCount ||
                              static_cast<Slot>(added.Count()) > kLargestSlotCount - SlotCount);
    for (size_t i = 0; !changed && i < added.Count(); ++i) {
      changed = CountSlotsOfNumber(added.At(i).number) != 0;
    }
    if (changed) {
      applied.stop = Stop::kChangedSince;
      return applied;
    }
  }
  if (progress != nullptr) {
    WatchedWrites watched(*writes_, *progress);
    applied.changes = WriteAmendedRecords(watched);
    if (watched.stopped()) {
      applied.stop = Stop::kStopped;
      return applied;
    }
  } else {
    applied.changes = WriteAmendedRecords(*writes_);
  }
  if (applied.changes.outcome != WriteOutcome::kWritten) {
    applied.stop = Stop::kChanges;
    return applied;
  }
  if (progress != nullptr) {
    applied.additions = WriteAppendedRecords(WatchedAdditions(*added_, *progress));
  } else {
    applied.additions = WriteAppendedRecords(*added_);
  }
  if (applied.additions.outcome != WriteOutcome::kWritten) applied.stop = Stop::kAdditions;
  return applied;
}

std::string ImportRun::ChangesListed(size_t count) const { return writes_->Listed(count); }

std::string ImportRun::AdditionListed(size_t i) const { return added_->Listed(i); }
