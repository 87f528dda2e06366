// Opendata: the program's opening of the inventory at start, and the
// messages that the program and the back office show for what an opening
// found.
#pragma once

#include <vector>

#include "messages/messages.h"
#include "store/load_inventory.h"

// True when the inventory is open, sized and indexed (LoadInventory); false
// after a fatal failure that has already been shown to the user.
bool Opendata(Opening opening = Opening::kProgram);

// The program's messages for `opened`, in the order it found their causes:
// a storage card that cannot be used, a journal kept for the next start,
// the failure that ended the opening. A film.dat that is missing where the
// opening makes none is left to the caller.
std::vector<Message> OpeningMessages(const InventoryOpened& opened);
// Shows them, as the program's start does.
void TellOpening(const InventoryOpened& opened);
// The message of a storage card that cannot be used; none for the others.
void TellCardLookup(CardLookup card);
