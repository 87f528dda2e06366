#include "store/load_inventory.h"

#include "platform/platform.h"
#include "store/byte_order.h"
#include "store/file_names.h"
#include "store/inventory_location.h"
#include "store/inventory_record.h"
#include "store/journal_file.h"
#include "store/journal_overlay.h"
#include "store/journal_recovery.h"
#include "store/number_index.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "store/whole_io.h"

namespace {

using platform::Access;
using platform::Disposition;

enum class Fresh {
  kMade,
  kNotMade,      // nothing of it is left; the name may have been taken meanwhile
  kNotOnMedium,  // named film.dat, but the name may not survive a power cut
};

// Writes the fresh inventory under a temporary name, pushes it to the
// medium and only then gives it the name DataPath, which must still be
// free (PutNewFile): a power cut never leaves an empty or partial film.dat,
// and an existing one is never replaced. `*status` receives the step that
// failed.
Fresh CreateFreshInventory(FileStatus* status) {
  MakeFreshRecord(CurrentRecord);
  switch (PutNewFile(kFreshTempPath, DataPath, CurrentRecord.bytes, kRecordSize,
                     /*replace=*/false, status)) {
    case platform::Renamed::kOnMedium:
      return Fresh::kMade;
    case platform::Renamed::kNotOnMedium:
      return Fresh::kNotOnMedium;
    case platform::Renamed::kNot:
      break;
  }
  return Fresh::kNotMade;
}

// Opens the inventory at DataPath for reading. When there is none, the
// device's own film.dat is used, or a fresh one is made there; a film.dat
// that is there after all is opened as it stands. A journal left beside it
// by a record write that a power cut broke off is settled before the file is
// opened for good; a reading that cannot settle it reads through it. Only
// the program makes a fresh film.dat. False, with `opened` saying why, when
// the file is not open.
bool OpenInventory(Opening opening, InventoryFile* file, InventoryOpened* opened) {
  const auto fail = [opened](OpenFailure failure, const FileStatus& cause) {
    opened->failure = failure;
    opened->cause = cause;
    return false;
  };
  *file = OpenLocatedInventory();
  const bool makes = opening == Opening::kProgram || opening == Opening::kMaking;
  if (!*file && !makes) {
    return fail(OpenFailure::kMissing, Failed(FileStep::kOpen, DataPath, file->error()));
  }
  if (!*file) {
    // A film.dat whose name may vanish at the next power cut, and every
    // change made to it with it, is not worked on.
    FileStatus made;
    const Fresh fresh = CreateFreshInventory(&made);
    if (fresh != Fresh::kNotOnMedium) *file = OpenInventoryForReading();
    if (!*file && fresh == Fresh::kMade) {
      return fail(OpenFailure::kCannotOpenNew, Failed(FileStep::kOpen, DataPath, file->error()));
    }
    if (!*file) return fail(OpenFailure::kCannotCreate, made);
  }
  if (!JournalFileExists()) return true;
  file->Close();  // the settling may write the slot
  if (opening == Opening::kReading) {
    opened->journal = SettleForReading(&opened->readJournal);
  } else {
    // A journal that another program is writing now is its own: nothing to
    // say of it.
    FileStatus why;
    if (SettleJournal(&why) == Settling::kKept) {
      opened->journalKept = true;
      opened->cause = why;
      // A change of the back office would put its own journal in place of
      // the one kept: it waits until that one is settled.
      if (opening != Opening::kProgram) return fail(OpenFailure::kJournalKept, why);
    }
  }
  *file = OpenInventoryForReading();
  if (!*file) {
    return fail(OpenFailure::kCannotOpenForLoading,
                Failed(FileStep::kOpen, DataPath, file->error()));
  }
  return true;
}

// Enters records into both arrays with the load rule (a stored number of 0
// or below other than -1 counts as deleted) and counts the deleted ones.
// The arrays and the count are held in locals while a run is entered: the
// prefix bytes' stores could otherwise alias them and force a reload per
// record.
class Indexer {
 public:
  // Records slot, slot + 1, ... from consecutive records at `records`.
  void Enter(Slot slot, const uint8_t* records, Slot count) {
    IndexEntry* const numbers = NumberIndex;
    PrefixEntry* const prefixes = PrefixTable;
    int32_t deleted = deleted_;
    int64_t n = last_;
    for (const Slot end = slot + count; slot < end; ++slot, records += kRecordSize) {
      n = NumberAsLoaded(LoadI64(records + kNumberOffset));
      numbers[slot] = IndexEntry{n, slot};
      prefixes[slot] = PrefixOf(records);
      deleted += n < 0 ? 1 : 0;
    }
    deleted_ = deleted;
    last_ = n;
  }
  int32_t deleted() const { return deleted_; }
  // The number entered last, after the load rule.
  int64_t last() const { return last_; }

 private:
  int32_t deleted_ = 0;
  int64_t last_ = 0;
};

// Reads every slot and enters it; CurrentRecord ends up holding the last
// record read, as the read buffer, with its number after the load rule.
// Returns the records read.
Slot ReadAllSlots(InventoryFile& file) {
  Indexer indexer;
  const Slot read = ReadSlotRuns(file, SlotCount, &CurrentRecord,
                                 [&](Slot first, const uint8_t* records, Slot count) {
                                   indexer.Enter(first, records, count);
                                 });
  DeletedCount = indexer.deleted();
  ActiveCount = static_cast<int32_t>(read) - DeletedCount;
  if (read > 0) SetRecordNumber(CurrentRecord, indexer.last());
  return read;
}

}  // namespace

InventorySize JudgeInventorySize(uint64_t* size) {
  if (*size % kRecordSize != 0) *size = SizeBeforeJournalledAppend(*size);
  if (*size == 0) return InventorySize::kEmpty;
  if (*size > kLargestInventorySize) return InventorySize::kTooLarge;
  return *size % kRecordSize == 0 ? InventorySize::kWhole : InventorySize::kNotWhole;
}

InventoryOpened OpenSizedInventory(Opening opening, InventoryFile* file) {
  InventoryOpened opened;
  StopReadingThroughJournal();
  // What a power cut left of a settings save (tallo.cfg itself is whole)
  // and of a fresh inventory that never got its name (a temporary file that
  // another program holds is its own, being written, and stays).
  if (opening != Opening::kReading) {
    (void)platform::RemoveFile(kSettingsTempPath);
    (void)platform::RemoveFile(kFreshTempPath);
  }
  opened.card = LocateInventory(&opened.settings);
  if (!OpenInventory(opening, file, &opened)) return opened;

  // A size that does not fit in 32 bits is refused like any other size that
  // is no whole number of records; one that cannot be taken is no sign of
  // either.
  if (const platform::FileResult sized = file->GetSize(&opened.bytes); !sized) {
    opened.failure = OpenFailure::kCannotSize;
    opened.cause = Failed(FileStep::kSize, DataPath, sized.error());
    return opened;
  }
  opened.size = JudgeInventorySize(&opened.bytes);
  if (opened.size != InventorySize::kWhole) {
    opened.failure =
        opened.size == InventorySize::kEmpty ? OpenFailure::kEmpty : OpenFailure::kNotWhole;
  }
  return opened;
}

InventoryOpened LoadInventory(Opening opening) {
  InventoryFile file;
  InventoryOpened opened = OpenSizedInventory(opening, &file);
  file.Close();
  if (!opened) return opened;
  SlotCount = SlotsOf(opened.bytes);
  DeletedCount = 0;
  ActiveCount = 0;
  // A program that opens the inventory again (the back-office window, at
  // each of its steps) lets the last opening's arrays go first.
  platform::Release(NumberIndex);
  platform::Release(PrefixTable);
  if (!AllocateIndex(SlotCount, &NumberIndex, &PrefixTable)) {
    opened.failure = OpenFailure::kNoMemory;
    return opened;
  }

  file = OpenInventoryForReading();
  if (!file) {
    opened.failure = OpenFailure::kCannotOpenForLoading;
    opened.cause = Failed(FileStep::kOpen, DataPath, file.error());
    return opened;
  }
  IndexedSlots = ReadAllSlots(file);
  file.Close();
  SortNumberIndex(NumberIndex, IndexedSlots);
  return opened;
}
