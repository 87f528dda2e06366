// How the back office opens the inventory: as start-up does, but without
// making a film.dat, and with its own words for what stands in the way.
#include "office/open_inventory.h"

#include "messages/opening_messages.h"
#include "office/listener.h"
#include "platform/console.h"
#include "platform/scoped_file.h"
#include "store/file_names.h"
#include "store/journal_file.h"
#include "store/journal_overlay.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

// How long the tool waits for another program's change to film.dat before
// it gives up, in milliseconds.
constexpr uint32_t kWaitForAnotherProgram = 3000;

// `*missing`, when given, is set when there is no film.dat, which is then
// not told. A film.dat that is there but does not open (a folder, a file
// held or refused to this user) is not missing: it is told.
InventoryOpened Open(Listener& told, Opening opening, bool* missing = nullptr) {
  HeldFileWait = kWaitForAnotherProgram;
  InventoryOpened opened = LoadInventory(opening);
  const platform::FileError why = opened.cause.error;
  if (missing != nullptr && opened.failure == OpenFailure::kMissing &&
      (why == platform::FileError::kMissing || why == platform::FileError::kNoFolder)) {
    *missing = true;
    for (Message message : OpeningMessages(opened)) told.Tell(message);
    return opened;
  }
  // The making follows an opening that found film.dat missing and told what
  // it found of the card.
  if (opening == Opening::kMaking) opened.card = CardLookup::kFound;
  for (Message message : OpeningMessages(opened)) told.Tell(message);
  // What stood in the way, where the program's message does not say it. A
  // fresh film.dat is written under a temporary name first.
  const std::wstring& path =
      opened.failure == OpenFailure::kCannotCreate ? std::wstring(kFreshTempPath) : DataPath;
  if (opened.failure == OpenFailure::kCannotCreate &&
      opened.cause.error == platform::FileError::kNotRegular) {
    told.Tell(platform::ShownPath(path) +
              " is not a regular file, and a new film.dat is written under that name first: move "
              "what is there away");
  } else if ((opened.journalKept || !opened) && !TellCause(told, path, opened.cause.error) &&
             opened.failure == OpenFailure::kMissing) {
    told.Tell(platform::ShownPath(DataPath) + ": no such file");
  }
  return opened;
}

}  // namespace

bool OpenForReport(Listener& told, bool* missing) {
  const InventoryOpened opened = Open(told, Opening::kReading, missing);
  if (!opened) return false;
  if (opened.journal == JournalAtOpen::kUnreadable) {
    told.Tell(platform::ShownPath(JournalPath(DataPath)) +
              " or the slots it covers cannot be read now: film.dat is shown as it is");
  }
  if (ReadingThroughJournal()) {
    told.Tell(platform::ShownPath(DataPath) +
              " cannot be written, so the change a power cut left unfinished in " +
              platform::ShownPath(JournalPath(DataPath)) +
              " is shown as finished; the next start or change that can write it finishes it");
  }
  return true;
}

bool OpenForChange(Listener& told, bool makeFresh, bool* missing) {
  if (!Open(told, makeFresh ? Opening::kMaking : Opening::kChanging, missing)) return false;
  platform::ScopedFile data(OpenInventoryForChange());
  if (!data) {
    if (!TellCause(told, DataPath, data.error())) {
      told.Tell(platform::ShownPath(DataPath) +
                ": cannot be opened for writing: it is read-only, or another program holds it");
    }
    return false;
  }
  // Every change goes through the journal beside film.dat, which the store
  // makes once, name and all on the medium: the folder must take it.
  const FileStatus journalMade = PrepareJournal();
  if (!journalMade.ok()) {
    const std::wstring journal = JournalPath(DataPath);
    if (!TellCause(told, journal, journalMade.error)) {
      told.Tell(platform::ShownPath(journal) +
                ": cannot be made: changes need a folder that can be written, for this journal");
    }
    return false;
  }
  return true;
}
