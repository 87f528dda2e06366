// Reading film.dat as a whole journal leaves it. A report that finds a
// journal it cannot settle (film.dat on a read-only file or medium) must
// still show what was committed, never a record a power cut left half
// written: from here on, every read of the inventory opened for reading
// (OpenInventoryForReading) gets the journal's new bytes over the file's,
// and its size is the size the journal gives it. Nothing is written, and
// no other file is touched: the overlay goes with the inventory's handles
// alone, never through the Env that the rest of the program uses.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "store/journal.h"

// A journal group laid over film.dat. It never changes once made, so that
// handles on several threads may read through it at once.
class JournalOverlay {
 public:
  JournalOverlay(JournalGroup group, std::wstring path)
      : group_(std::move(group)), path_(std::move(path)) {}

  // The inventory it lies over.
  const std::wstring& path() const { return path_; }
  // The size the journal gives the file.
  uint64_t size() const { return group_.newSize; }
  // Reads up to `count` bytes of `file` from `*position`, as
  // platform::ReadFile reads them, with the journal's spans over the file's
  // bytes (past its end too, for an append), and moves `*position` on. The
  // spans come from the journal alone: a sector of one that the power cut
  // broke off may fail every read of the file.
  platform::FileResult Read(platform::FileRef file, uint64_t* position, void* buffer,
                            uint32_t count, uint32_t* transferred) const;

 private:
  JournalGroup group_;
  std::wstring path_;
};

// Reads the inventory at `dataPath` through `group` from now on, for the
// handles that OpenInventoryForReading opens.
void ReadThroughJournal(const JournalGroup& group, const std::wstring& dataPath);
// True while reads go through a journal.
bool ReadingThroughJournal();
// The overlay that new handles read through; nullptr while none. Handles
// opened before StopReadingThroughJournal keep theirs.
std::shared_ptr<const JournalOverlay> JournalInUse();
// Reads the inventory as it is again.
void StopReadingThroughJournal();
