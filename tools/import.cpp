// filmtool import: the way back from export. The sheet is read once, a row
// at a time, and every row is decided (tools/import/import_decisions.h) before
// anything is written. Only what must be written is kept, a few values per
// changed row; then the changed records go through the store's journalled
// write in groups, in slot order, and with --add the rows of new numbers are
// appended as new slots. The dry run makes the same decisions and lists the
// same writes.
//
// On a folder without film.dat, --add decides the sheet against the fresh
// inventory that tallo's first start makes (item 1, "ITEM 1"), and makes
// that film.dat only once the whole sheet has gone through: a refused sheet
// and a dry run leave the folder as they found it.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

#include "platform/console.h"
#include "platform/scoped_file.h"
#include "store/number_index.h"
#include "store/record_writes.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "tools/sheets/sheet_reader.h"
#include "tools/import/import_decisions.h"
#include "tools/import/import_report.h"
#include "tools/import/item_edits.h"
#include "tools/tool.h"

namespace {

// film.dat as the store loaded it: the index by number, the slots read
// through `file`.
class StoreItems : public SheetItems {
 public:
  explicit StoreItems(platform::FileRef file) : slots_(file, SlotCount) {}
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

// Where a row is, after the file's name: a CSV's line, a workbook's sheet
// and row.
std::string RowPlace(const SheetReader& sheet, int line) {
  return sheet.IsWorkbook() ? sheet.RowName(line) : std::to_string(line);
}

// The failure of a write and its cause, then where the import stopped and
// what of it is in the file.
void TellStop(const std::string& path, const SheetReader& sheet, const SlotsWritten& written,
              const ItemEdits::Item& stopped, const std::string& what, size_t changed,
              size_t added) {
  if (!ComplainOfStatus(written.status)) {
    const std::string film = platform::ShownPath(DataPath);
    switch (written.outcome) {
      case WriteOutcome::kNotOpened:
        Complain(film + " cannot be opened for writing");
        break;
      case WriteOutcome::kChanged:
        Complain(film +
                 " was changed by another program since the sheet was checked: import it again");
        break;
      default:
        Complain((written.status.ok() ? film : platform::ShownPath(written.status.path)) +
                 (written.status.step == FileStep::kRead ? ": a read failed" : ": a write failed"));
        break;
    }
  }
  Complain(path + ":" + RowPlace(sheet, stopped.line) + ": item " + std::to_string(stopped.number) +
           " not " + what + "; " + std::to_string(changed) + " items changed and " +
           std::to_string(added) +
           " added before it are in film.dat, and importing the file again finishes the job");
}

void TellChanged(const std::string& path, const SheetReader& sheet, const ItemEdits::Item& c) {
  Complain(path + ":" + RowPlace(sheet, c.line) + ": item " + std::to_string(c.number) +
           ": film.dat was changed by another program since it was read; nothing imported");
}

// The lines of the first `count` additions, on standard output as they are
// made: a whole inventory's new items need not be held as text.
void ListAdditions(const EditAdditions& added, size_t count) {
  for (size_t i = 0; i < count; ++i) std::fputs(added.Listed(i).c_str(), stdout);
}

}  // namespace

int Import(const std::string& path, bool dryRun, bool add, bool overwrite) {
  std::string why;
  const std::unique_ptr<SheetReader> sheet = OpenSheetReader(path, &why);
  if (!sheet) {
    Complain(path + ": " + why);
    return 1;
  }
  // The first sheet whose first row names a number column; a workbook's
  // other sheets (the owner's notes, a summary) are left alone.
  std::string name;
  SheetRow row;
  bool anyHeader = false;
  const auto header = [&] {
    while (sheet->NextSheet(&name)) {
      if (!sheet->NextRow(&row)) {
        if (!sheet->error().empty()) return false;
        if (sheet->IsWorkbook()) continue;  // an empty sheet
        Complain(path + ": line 1: no header line");
        return false;
      }
      if (!sheet->IsWorkbook() ||
          std::find(row.cells.begin(), row.cells.end(), "number") != row.cells.end()) {
        return anyHeader = true;
      }
      Complain(path + ": sheet " + name + " names no number column in its first row: left alone");
    }
    if (sheet->error().empty() && !anyHeader) {
      Complain(path + ": no sheet of this workbook has export's columns in its first row "
                      "(number, description, sku, ...): export again, and edit that sheet");
    }
    return false;
  };
  if (!header()) {
    if (!sheet->error().empty()) Complain(path + ": " + sheet->error());
    return 1;
  }
  bool missing = false;
  bool* const canBeMissing = add ? &missing : nullptr;
  const bool opened = dryRun ? OpenForReport(canBeMissing) : OpenForChange(false, canBeMissing);
  if (!opened && !missing) return 1;
  platform::ScopedFile inventory;
  std::unique_ptr<SheetItems> items;
  if (missing) {
    items = std::make_unique<FreshItems>();
  } else {
    inventory = OpenInventoryForReading();
    if (!inventory) {
      Complain("film.dat cannot be opened");
      return 1;
    }
    items = std::make_unique<StoreItems>(inventory.get());
  }
  ImportReport report(path, *sheet);
  ImportDecisions decisions(ImportRules{add, overwrite}, *items, report);
  // Each sheet of export's own columns, its header then its rows.
  for (bool more = true; more;) {
    if (decisions.TakeHeader(row.line, row.cells)) {
      while (sheet->NextRow(&row)) decisions.TakeRow(row.line, row.cells);
    }
    if (!sheet->error().empty()) break;
    more = header();
  }
  if (!sheet->error().empty()) {
    Complain(path + ": " + sheet->error());
    return 1;
  }
  if (!report.Finish(decisions)) return 1;

  // The writes, each listed as it is made.
  const ItemEdits& changes = decisions.changes();
  EditWrites writes(changes);
  const EditAdditions added(decisions.additions());
  if (dryRun) {
    for (size_t i = 0; i < changes.Count(); ++i) {
      InventoryRecord now, next;
      if (!items->Read(changes.At(i).slot, &now) || !writes.Holds(i, now)) {
        TellChanged(path, *sheet, changes.At(i));
        return 1;
      }
      writes.Make(i, now, &next);
    }
    if (missing) {
      std::printf(
          "film.dat would be made first, as tallo's first start makes it (item 1, "
          "\"ITEM 1\")\n");
    }
    std::fputs(writes.Listed(changes.Count()).c_str(), stdout);
    ListAdditions(added, added.Count());
    std::printf("dry run: %zu items would change", changes.Count());
    if (add) std::printf(", %zu would be added", added.Count());
    std::printf("; nothing written\n");
    TellUnmarkedRows(decisions);
    return 0;
  }
  // On Windows an open handle of a reader keeps every writer out.
  inventory.Close();
  if (missing) {
    // The sheet went through: now the new shop's film.dat is made, and it
    // must be the one the sheet was decided on.
    if (!OpenForChange(/*makeFresh=*/true)) return 1;
    if (!IsTheFreshInventory()) {
      Complain(platform::ShownPath(DataPath) +
               " was made by another program while the sheet was checked: import it again");
      return 1;
    }
  }
  const SlotsWritten changed = WriteAmendedRecords(writes);
  if (changed.outcome != WriteOutcome::kWritten) {
    std::fputs(writes.Listed(changed.written).c_str(), stdout);
    TellStop(path, *sheet, changed, changes.At(changed.stopped), "written", changed.written, 0);
    return 1;
  }
  const SlotsWritten appended = WriteAppendedRecords(added);
  std::fputs(writes.Listed(changes.Count()).c_str(), stdout);
  ListAdditions(added, appended.written);
  if (appended.outcome != WriteOutcome::kWritten) {
    TellStop(path, *sheet, appended, decisions.additions().At(appended.stopped), "added",
             changed.written, appended.written);
    return 1;
  }
  std::printf("%zu items changed\n", changed.written);
  if (add) std::printf("%zu items added\n", appended.written);
  TellUnmarkedRows(decisions);
  return 0;
}
