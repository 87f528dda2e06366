// Reading film.dat as a whole journal leaves it. A report that finds a
// journal it cannot settle (film.dat on a read-only file or medium) must
// still show what was committed, never a record a power cut left half
// written: from here on, every read of the inventory through a handle
// opened for reading gets the journal's new bytes over the file's, and its
// size is the size the journal gives it. Nothing is written.
#pragma once

#include <string>

#include "store/journal.h"

// Reads the inventory at `dataPath` through `group` from now on, over the
// Env in use then.
void ReadThroughJournal(const JournalGroup& group, const std::wstring& dataPath);
// True while reads go through a journal.
bool ReadingThroughJournal();
// Reads the inventory as it is again, and puts back the Env that was in use.
void StopReadingThroughJournal();
