#include "store/inventory_location.h"

#include <algorithm>
#include <vector>

#include "platform/scoped_file.h"
#include "store/file_names.h"
#include "store/settings_image.h"
#include "store/slot_io.h"
#include "store/storage_card.h"
#include "store/store_state.h"
#include "store/whole_io.h"

namespace {

// Reads the first kSettingsSize bytes of tallo.cfg, or all of a shorter
// one, into SettingsImage. A settings file that cannot be read whole leaves
// the image as it was (zero at start) rather than a part of the file over
// it: nothing is taken from it.
FileStatus LoadSettings() {
  platform::ScopedFile file(platform::OpenFile(kSettingsPath, platform::Access::kRead,
                                               platform::Disposition::kOpenExisting));
  if (!file) {
    return file.error() == platform::FileError::kMissing
               ? FileStatus{}
               : Failed(FileStep::kOpen, kSettingsPath, file.error());
  }
  uint64_t size = 0;
  if (const platform::FileResult sized = platform::GetFileSize(file.get(), &size); !sized) {
    return Failed(FileStep::kSize, kSettingsPath, sized.error());
  }
  const auto want = static_cast<uint32_t>(std::min<uint64_t>(size, kSettingsSize));
  std::vector<uint8_t> bytes(want);
  const WholeResult read = ReadWhole(file.get(), bytes.data(), want);
  if (!read) return Failed(FileStep::kRead, kSettingsPath, read.error);
  std::copy(bytes.begin(), bytes.end(), SettingsImage.bytes);
  return {};
}

// The card was chosen: point DataPath at its film.dat, or stay on the
// device, with the storage choice reset when there is no card to use.
CardLookup ChooseStorageCard() {
  std::wstring cardPath;
  const CardLookup found = LookUpCardDataPath(&cardPath);
  if (found == CardLookup::kFound) {
    DataPath = cardPath;
  } else if (found != CardLookup::kNoRecord) {
    SetStorageOption(kOptionOff);
  }
  return found;
}

}  // namespace

CardLookup LocateInventory(FileStatus* settings) {
  const FileStatus loaded = LoadSettings();
  if (settings != nullptr) *settings = loaded;
  DataPath = kDeviceDataPath;
  return StorageOption() == kOptionOff ? CardLookup::kFound : ChooseStorageCard();
}

InventoryFile OpenLocatedInventory() {
  InventoryFile opened = OpenInventoryForReading();
  if (!opened && DataPath != kDeviceDataPath) {
    DataPath = kDeviceDataPath;
    opened = OpenInventoryForReading();
  }
  return opened;
}

void UseDeviceStorage() {
  SetStorageOption(kOptionOff);
  DataPath = kDeviceDataPath;
}

void UseCardStorage(const std::wstring& cardDataPath) {
  DataPath = cardDataPath;
  SetStorageOption(kOptionOn);
}
