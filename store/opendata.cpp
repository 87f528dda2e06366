#include "store/opendata.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "store/byte_order.h"
#include "store/inventory_record.h"
#include "store/journal.h"
#include "store/messages.h"
#include "store/number_index.h"
#include "store/settings_image.h"
#include "store/slot_io.h"
#include "store/storage_card.h"
#include "store/store_state.h"

namespace {

using platform::Access;
using platform::Disposition;
using platform::ScopedFile;

// Records are read this many at a time: large sequential reads, each record
// still taken as a whole.
constexpr uint32_t kLoadBlockSlots = 256;

// The largest file whose size and slot offsets fit in 32 bits.
constexpr uint64_t kLargestFile = 0xFFFFFFFFull;

void LoadSettings() {
  // What a save cut short by a power cut left; tallo.cfg itself is whole.
  platform::RemoveFile(kSettingsTempPath);
  ScopedFile file(platform::OpenFile(kSettingsPath, Access::kRead, Disposition::kOpenExisting));
  if (!file) return;
  uint32_t read;
  platform::ReadFile(file.get(), SettingsImage.bytes, sizeof SettingsImage.bytes, &read);
}

// The card was chosen: point DataPath at its film.dat, or fall back to the
// device with the storage choice reset.
void ChooseStorageCard() {
  std::wstring cardPath;
  const CardLookup found = LookUpCardDataPath(&cardPath);
  if (found == CardLookup::kFound) {
    DataPath = cardPath;
  } else if (found != CardLookup::kNoRecord) {
    SetStorageOption(kOptionOff);
    Tell(found == CardLookup::kNoCard ? Message::kNoMemoryCard : Message::kNoMemoryCardDetail);
  }
}

// Writes the fresh inventory under a temporary name, pushes it to the
// medium and only then gives it the name DataPath, which must still be
// free: a power cut never leaves an empty or partial film.dat, and an
// existing one is never replaced. False, with nothing of it left, when it
// could not be made or the name was taken.
bool CreateFreshInventory() {
  MakeFreshRecord(CurrentRecord);
  ScopedFile created(
      platform::OpenFile(kFreshTempPath, Access::kWrite, Disposition::kCreateAlways));
  uint32_t written = 0;
  const bool whole =
      created && platform::WriteFile(created.get(), CurrentRecord.bytes, kRecordSize, &written) &&
      written == kRecordSize && platform::FlushFile(created.get());
  created.Close();
  if (whole && platform::RenameFile(kFreshTempPath, DataPath)) return true;
  platform::RemoveFile(kFreshTempPath);
  return false;
}

// Opens the inventory at DataPath for reading. When there is none, the
// device's own film.dat is used, or a fresh one is made there; a film.dat
// that is there after all is opened as it stands. A journal left beside it
// by a record write that a power cut broke off is settled before the file is
// opened for good.
bool OpenInventory(ScopedFile* file) {
  *file = OpenInventoryForReading();
  if (!*file && DataPath != kDeviceDataPath) {
    DataPath = kDeviceDataPath;
    *file = OpenInventoryForReading();
  }
  if (!*file) {
    const bool created = CreateFreshInventory();
    *file = OpenInventoryForReading();
    if (!*file) {
      Tell(created ? Message::kUnableToOpenNewInventory : Message::kUnableToCreateInventory);
      return false;
    }
  }
  if (!JournalLeft()) return true;
  file->Close();  // the settling may write the slot
  if (SettleJournal() == Settling::kKept) Tell(Message::kUnfinishedChangeKept);
  *file = OpenInventoryForReading();
  if (!*file) {
    Tell(Message::kUnableToOpenForLoading);
    return false;
  }
  return true;
}

// Enters slot `slot` into both arrays, with the load rule: a stored number
// of 0 or below other than -1 counts as deleted.
void IndexRecord(uint32_t slot, const uint8_t* record, int64_t* number) {
  int64_t n = LoadI64(record + kNumberOffset);
  if (n <= 0 && n != kDeletedNumber) n = kDeletedNumber;
  NumberIndex[slot] = IndexEntry{n, slot};
  PrefixTable[slot].bytes[0] = record[kDescriptionOffset];
  PrefixTable[slot].bytes[1] = record[kDescriptionOffset + 1];
  if (n < 0) {
    ++DeletedCount;
  } else {
    ++ActiveCount;
  }
  *number = n;
}

// Reads every slot in runs of consecutive slots. A run that fails or comes
// up short is read again one record at a time from its start, so the pass
// stops at the same record as a record-by-record read would; without room
// for a run, every record is read on its own. Returns the records read.
uint32_t ReadAllSlots(platform::FileRef file) {
  SlotRun run(kLoadBlockSlots);
  uint32_t slot = 0;
  int64_t lastNumber = 0;
  const uint8_t* last = nullptr;
  const auto slotCount = static_cast<uint32_t>(SlotCount);
  while (slot < slotCount) {
    const uint32_t count = std::min(kLoadBlockSlots, slotCount - slot);
    if (!run.Read(file, slot, count)) {
      while (slot < slotCount && ReadSlot(file, slot, &CurrentRecord)) {
        IndexRecord(slot++, CurrentRecord.bytes, &lastNumber);
        last = CurrentRecord.bytes;
      }
      break;
    }
    for (uint32_t i = 0; i < count; ++i, ++slot) {
      last = run.Record(slot);
      IndexRecord(slot, last, &lastNumber);
    }
  }
  // CurrentRecord ends up holding the last record read, as the read buffer.
  if (last != nullptr && last != CurrentRecord.bytes) {
    std::memcpy(CurrentRecord.bytes, last, kRecordSize);
  }
  if (last != nullptr) SetRecordNumber(CurrentRecord, lastNumber);
  return slot;
}

}  // namespace

bool Opendata() {
  LoadSettings();
  DataPath = kDeviceDataPath;
  if (!(StorageOption() == kOptionOff)) ChooseStorageCard();

  // A fresh inventory left unnamed by a power cut.
  platform::RemoveFile(kFreshTempPath);
  ScopedFile file;
  if (!OpenInventory(&file)) return false;

  // A size that cannot be taken, or that does not fit in 32 bits, is refused
  // like any other size that is no whole number of records.
  uint64_t size = 0;
  const bool sized = platform::GetFileSize(file.get(), &size);
  if (sized && size == 0) {
    file.Close();
    Tell(Message::kInventoryEmpty);
    return false;
  }
  if (!sized || size > kLargestFile || size % kRecordSize != 0) {
    file.Close();
    Tell(Message::kInventoryCorrupt);
    return false;
  }
  SlotCount = static_cast<int32_t>(size / kRecordSize);
  file.Close();

  const size_t entries = static_cast<size_t>(SlotCount) + kSpareEntries;
  NumberIndex = static_cast<IndexEntry*>(platform::AllocateZeroed(entries, sizeof(IndexEntry)));
  PrefixTable = static_cast<PrefixEntry*>(platform::AllocateZeroed(entries, sizeof(PrefixEntry)));
  DeletedCount = 0;
  ActiveCount = 0;
  if (NumberIndex == nullptr || PrefixTable == nullptr) {
    platform::Release(NumberIndex);
    platform::Release(PrefixTable);
    NumberIndex = nullptr;
    PrefixTable = nullptr;
    Tell(Message::kNoMemoryForIndex);
    return false;
  }

  file = OpenInventoryForReading();
  if (!file) {
    Tell(Message::kUnableToOpenForLoading);
    return false;
  }
  IndexedSlots = ReadAllSlots(file.get());
  file.Close();
  SortNumberIndex(NumberIndex, IndexedSlots);
  return true;
}
