// Where the inventory is: DataPath, the device's film.dat or the storage
// card's. DataPath is set here and nowhere else.
#pragma once

#include <string>

#include "platform/platform.h"
#include "store/file_status.h"
#include "store/slot_io.h"
#include "store/storage_card.h"

// The first steps of start-up: reads tallo.cfg into SettingsImage and sets
// DataPath from the storage choice, to the device's film.dat or the first
// storage card's. A chosen card that cannot be used resets the choice and
// is returned as kNoCard or kNoDetail, for the caller to tell; otherwise
// kFound (also when the device was chosen) or kNoRecord (nothing to tell).
// No file is written. `*settings`, when given, gets what failed of reading
// tallo.cfg (a missing one is no failure): the program goes on silently with
// the image it had, and the back office may say so.
CardLookup LocateInventory(FileStatus* settings = nullptr);
// Opens the located inventory for reading as start-up does: when the card's
// film.dat cannot be opened, the device's own stands in for it for this run
// (the storage choice stays), and DataPath says so. No file, and the
// cause, when the one at DataPath cannot be opened either.
InventoryFile OpenLocatedInventory();

// The configuration's switch of storage: the choice and DataPath together.
void UseDeviceStorage();
void UseCardStorage(const std::wstring& cardDataPath);
