#include "store/opendata.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "store/byte_order.h"
#include "store/inventory_record.h"
#include "store/number_index.h"
#include "store/settings_image.h"
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

void Fatal(const wchar_t* text) {
  platform::Beep(platform::kBeepDefault);
  platform::ShowMessageBox(nullptr, text, L"Fatal error", platform::kMbOk);
}

void LoadSettings() {
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
    platform::Beep(platform::kBeepDefault);
    platform::ShowMessageBox(
        nullptr, found == CardLookup::kNoCard ? L"No memory card." : L"No memory card detail",
        L"Problem", platform::kMbOk);
  }
}

// No inventory could be opened: start one on the device. An existing device
// file is never replaced; when the card was chosen and the device already
// has its own film.dat, that file is opened instead.
bool CreateFreshInventory(ScopedFile* file) {
  DataPath = kDeviceDataPath;
  ScopedFile created(platform::OpenFile(DataPath, Access::kWrite, Disposition::kCreateNew));
  if (created) {
    MakeFreshRecord(CurrentRecord);
    uint32_t written;
    if (platform::WriteFile(created.get(), CurrentRecord.bytes, kRecordSize, &written) &&
        written == kRecordSize) {
      platform::FlushFile(created.get());
    }
    created.Close();
    *file = platform::OpenFile(DataPath, Access::kRead, Disposition::kOpenExisting);
    if (!*file) {
      Fatal(L"Unable to open inventory file.");
      return false;
    }
    return true;
  }
  *file = platform::OpenFile(DataPath, Access::kRead, Disposition::kOpenExisting);
  if (!*file) {
    Fatal(L"Unable to create inventory file.");
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

// Reads every slot in large blocks. A block that fails or comes up short is
// read again one record at a time from its start, so the pass stops at the
// same record as a record-by-record read would. Returns the records read.
uint32_t ReadAllSlots(platform::FileRef file) {
  std::vector<uint8_t> block(size_t{kLoadBlockSlots} * kRecordSize);
  uint32_t slot = 0;
  int64_t lastNumber = 0;
  const uint8_t* last = nullptr;
  const auto slotCount = static_cast<uint32_t>(SlotCount);
  while (slot < slotCount) {
    const uint32_t want = std::min(kLoadBlockSlots, slotCount - slot) * kRecordSize;
    uint32_t got = 0;
    if (!platform::ReadFile(file, block.data(), want, &got) || got != want) {
      if (!platform::SetFilePosition(file, slot * kRecordSize)) break;
      while (slot < slotCount && platform::ReadFile(file, block.data(), kRecordSize, &got) &&
             got == kRecordSize) {
        IndexRecord(slot++, block.data(), &lastNumber);
        last = block.data();
      }
      break;
    }
    for (uint32_t at = 0; at < want; at += kRecordSize) {
      IndexRecord(slot++, block.data() + at, &lastNumber);
      last = block.data() + at;
    }
  }
  // CurrentRecord ends up holding the last record read, as the read buffer.
  if (last != nullptr) {
    std::memcpy(CurrentRecord.bytes, last, kRecordSize);
    SetRecordNumber(CurrentRecord, lastNumber);
  }
  return slot;
}

}  // namespace

bool Opendata() {
  LoadSettings();
  DataPath = kDeviceDataPath;
  if (!(StorageOption() == kOptionOff)) ChooseStorageCard();

  ScopedFile file(platform::OpenFile(DataPath, Access::kRead, Disposition::kOpenExisting));
  if (!file && !CreateFreshInventory(&file)) return false;

  // A size that cannot be taken, or that does not fit in 32 bits, is refused
  // like any other size that is no whole number of records.
  uint64_t size = 0;
  const bool sized = platform::GetFileSize(file.get(), &size);
  if (sized && size == 0) {
    file.Close();
    Fatal(L"Film.dat has no data in Opendata.");
    return false;
  }
  if (!sized || size > kLargestFile || size % kRecordSize != 0) {
    file.Close();
    Fatal(L"Data file film.dat corrupt in Opendata.");
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
    Fatal(L"Not enough memory for film.dat in Opendata.");
    return false;
  }

  file = platform::OpenFile(DataPath, Access::kRead, Disposition::kOpenExisting);
  if (!file) {
    Fatal(L"Unable to open film.dat in Opendata");
    return false;
  }
  IndexedSlots = ReadAllSlots(file.get());
  file.Close();
  SortNumberIndex(NumberIndex, IndexedSlots);
  return true;
}
