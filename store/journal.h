// The redo journal of a record write. Before a slot is overwritten, its old
// and new record go to "film.jnl" beside the inventory file and reach the
// medium; once the slot has reached it too, the journal is removed. A power
// cut in between leaves the journal, and the next start finishes the write
// before it reads the slots, so that a slot never keeps a record mixed from
// two. film.dat itself stays an ordinary file for other programs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "store/inventory_record.h"

// What a journal holds: the slot, the inventory file's size when it was
// written, and the slot's record before and after the write.
struct JournalEntry {
  int64_t slot = 0;
  uint64_t fileSize = 0;
  InventoryRecord before{};
  InventoryRecord after{};
};

// "TLJ1", slot and file size (64 bits each), the two records, and a CRC-32
// of everything before it; little-endian.
constexpr size_t kJournalSize = 4 + 8 + 8 + 2 * size_t{kRecordSize} + 4;

// The journal beside the inventory file at `dataPath`.
std::wstring JournalPath(const std::wstring& dataPath);

void EncodeJournal(const JournalEntry& entry, uint8_t* bytes);
// False when `bytes` is no whole journal: too short, too long, another
// mark, or a checksum that does not agree.
bool DecodeJournal(const uint8_t* bytes, size_t size, JournalEntry* entry);

// Writes the journal beside DataPath and pushes it to the medium; on failure
// nothing of it is left.
bool WriteJournal(const JournalEntry& entry);
// Removes the journal beside DataPath; false when it is still there.
bool RemoveJournal();

// True when a journal lies beside DataPath.
bool JournalLeft();

enum class Settling {
  kNoJournal,
  kFinished,   // the slot held the old record, the new one or a mix: it holds the new one
  kDropped,    // the file was changed or replaced since: left alone, journal removed
  kDiscarded,  // the journal was never written whole: removed
  kKept,       // settling failed; the journal stays for the next start
};
// Settles a journal left beside DataPath by a write that a power cut broke
// off. Nothing is shown; the caller tells the user of kKept.
Settling SettleJournal();
