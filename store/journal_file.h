// The journal's file beside film.dat (its bytes: store/journal.h). It
// stays there for the next write, which overwrites it in place: once it
// exists, a write changes no folder, and film.dat itself stays an ordinary
// file for other programs. Only the store makes it, and its name reaches
// the medium before film.dat is touched: the first flush of a journal whose
// name is not known to be there pushes its folder too, whoever made it.
#pragma once

#include <string>

#include "platform/platform.h"
#include "store/file_status.h"
#include "store/journal.h"

// The journal beside the inventory file at `dataPath`.
std::wstring JournalPath(const std::wstring& dataPath);

// True when a file of the journal's name lies beside DataPath, whatever it
// holds.
bool JournalFileExists();

// Makes the journal beside DataPath when there is none, and pushes it, and
// with it its name, to the medium: so that a change to come can journal
// itself, which a back-office change makes sure of before it reads what it
// will change. On a failure (the folder takes no journal, or another
// program kept it for HeldFileWait), the step that failed.
FileStatus PrepareJournal();

// Writes `group`'s journal beside DataPath (making it the first time, never
// through a link, pipe or device under its name) and pushes it to the
// medium. Returns it still open, for MarkJournalDone; nullptr on failure,
// when it has been marked done again as far as that could be done, with
// `*status` the step that failed.
platform::FileRef WriteGroupJournal(const JournalGroup& group, FileStatus* status);

// Zeroes the first sector of an open journal, so that it is no whole
// journal any more; with `flush`, returns once that is on the medium.
bool MarkJournalDone(platform::FileRef journal, bool flush);

// What reading the journal beside DataPath back finds.
enum class JournalRead {
  kNone,        // no whole journal: none, marked done, cut short or damaged
  kWhole,       // a whole journal, which may or may not belong to film.dat
  kUnreadable,  // not one sector of it can be read now: perhaps a passing fault
};
// Reads the journal beside DataPath, in either form; on kWhole, `*group`
// holds it. A sector that fails to read was being written when the power
// failed, by a write of the journal or by its mark: either way no whole
// journal.
JournalRead ReadJournal(JournalGroup* group);
