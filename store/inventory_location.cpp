#include "store/inventory_location.h"

#include "platform/scoped_file.h"
#include "store/file_names.h"
#include "store/settings_image.h"
#include "store/slot_io.h"
#include "store/storage_card.h"
#include "store/store_state.h"

namespace {

void LoadSettings() {
  platform::ScopedFile file(platform::OpenFile(kSettingsPath, platform::Access::kRead,
                                               platform::Disposition::kOpenExisting));
  if (!file) return;
  uint32_t read;
  platform::ReadFile(file.get(), SettingsImage.bytes, sizeof SettingsImage.bytes, &read);
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

CardLookup LocateInventory() {
  LoadSettings();
  DataPath = kDeviceDataPath;
  return StorageOption() == kOptionOff ? CardLookup::kFound : ChooseStorageCard();
}

platform::FileRef OpenLocatedInventory() {
  platform::FileRef file = OpenInventoryForReading();
  if (file == nullptr && DataPath != kDeviceDataPath) {
    DataPath = kDeviceDataPath;
    file = OpenInventoryForReading();
  }
  return file;
}

void UseDeviceStorage() {
  SetStorageOption(kOptionOff);
  DataPath = kDeviceDataPath;
}

void UseCardStorage(const std::wstring& cardDataPath) {
  DataPath = cardDataPath;
  SetStorageOption(kOptionOn);
}
