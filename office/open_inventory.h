// How the back office opens the inventory in the folder it was given: as
// start-up does, but without making a film.dat, and with its own words
// for what stands in the way, told to the listener the caller gives.
#pragma once

#include "office/listener.h"

// The inventory opened for a report (nothing is written but the settling of
// a journal a power cut left, or it is read through where film.dat cannot be
// written) and before a change (film.dat must open for writing and its
// journal must be possible, and no journal may be kept for the next start).
// Neither makes a film.dat unless a change is to `makeFresh` one, as the
// program's first start does; each says what stands in the way. With
// `missing` given, a folder without film.dat is no failure to tell: false,
// and `*missing` set. A change that makes film.dat follows such an opening,
// which told what it found of the storage card.
bool OpenForReport(Listener& told, bool* missing = nullptr);
bool OpenForChange(Listener& told, bool makeFresh = false, bool* missing = nullptr);
