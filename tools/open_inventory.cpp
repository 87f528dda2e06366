// How filmtool's commands open the inventory: as start-up does, but
// without making a film.dat, and with the tool's own words for what stands
// in the way.
#include "platform/console.h"
#include "platform/scoped_file.h"
#include "store/file_names.h"
#include "store/journal.h"
#include "store/journal_overlay.h"
#include "store/opendata.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "tools/tool.h"

namespace {

bool Open(Opening opening) {
  if (Opendata(opening)) return true;
  platform::ScopedFile there(OpenInventoryForReading());
  if (!there) Complain(platform::ShownPath(DataPath) + ": no such file");
  return false;
}

}  // namespace

bool OpenForReport() {
  if (!Open(Opening::kReading)) return false;
  if (ReadingThroughJournal()) {
    Complain(platform::ShownPath(DataPath) +
             " cannot be written, so the change a power cut left unfinished in " +
             platform::ShownPath(JournalPath(DataPath)) +
             " is shown as finished; the next start or change that can write it finishes it");
  }
  return true;
}

bool OpenForChange(bool makeFresh) {
  if (!Open(makeFresh ? Opening::kProgram : Opening::kChanging)) return false;
  using platform::Access;
  using platform::Disposition;
  platform::ScopedFile data(
      platform::OpenFile(DataPath, Access::kReadWrite, Disposition::kOpenExisting));
  if (!data) {
    Complain(platform::ShownPath(DataPath) +
             ": cannot be opened for writing: it is read-only, or another program holds it");
    return false;
  }
  // Every change goes through the journal beside film.dat, which stays there
  // once made: the folder must take it.
  const std::wstring journal = JournalPath(DataPath);
  platform::ScopedFile made(
      platform::OpenFile(journal, Access::kReadWrite, Disposition::kOpenExisting));
  if (!made) made = platform::OpenFile(journal, Access::kReadWrite, Disposition::kCreateNew);
  if (!made) {
    Complain(platform::ShownPath(journal) +
             ": cannot be made: changes need a folder that can be written, for this journal");
    return false;
  }
  return true;
}
