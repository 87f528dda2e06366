// Opening the inventory at start: settings, location, creation of a fresh
// file, size checks, and the build of NumberIndex and PrefixTable.
#pragma once

#include <cstdint>

// True when the inventory is open, sized and indexed; false after a fatal
// failure that has already been shown to the user.
bool Opendata();

// Whether an inventory file of `size` bytes can be loaded: it must hold a
// whole number of records, at least one, and no offset of it may pass 32
// bits.
enum class InventorySize { kWhole, kEmpty, kNotWhole, kTooLarge };
InventorySize JudgeInventorySize(uint64_t size);

// The first steps of Opendata alone: reads tallo.cfg into SettingsImage and
// sets DataPath from the storage choice, to the device's film.dat or the
// first storage card's (a card that cannot be used resets the choice and is
// told). No file is written.
void LocateInventory();
