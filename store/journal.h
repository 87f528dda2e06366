// The redo journal of a record write, beside the inventory file:
// its format and its file. What a write does with it, and how the next start
// settles one a power cut left, is store/journalled_write.h.
//
// A write of one slot touches whole sectors of the medium, and the first and
// last of them hold bytes of the neighbouring slots too. Before the slot is
// written, the journal takes every byte of those sectors (the span) as it is
// and as it will be, and reaches the medium. Once the slot has reached it
// too, the journal is marked done, without waiting for that mark to reach
// the medium. A power cut in between leaves a whole journal, and the next
// start puts the whole new span back before it reads the slots: a sector the
// cut left as noise or unreadable is mended, a neighbour's bytes included.
//
// A write of many slots journals them in groups, one journal of the group
// form for each (JournalGroup below): runs of slots written in place, or new
// slots appended at the end of the file. The rules are the same: the whole
// group's journal on the medium before any of its slots is touched, the
// group's slots on the medium before it is marked done.
//
// The file stays beside film.dat for the next write, which overwrites it in
// place: once it exists, a write changes no folder. film.dat itself stays an
// ordinary file for other programs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/inventory_record.h"

// A byte range of film.dat.
struct FileRange {
  uint32_t start = 0;
  uint32_t size = 0;
  uint32_t end() const { return start + size; }
};

// 1874 bytes from any offset touch at most five sectors.
constexpr uint32_t kMaxSpanSize = 5 * platform::kSectorSize;
// The span and the rest of the records on either side of the slot.
constexpr uint32_t kMaxWindowSize = 3 * kRecordSize;

// The span of `slot` in a file of `fileSize` bytes: from the start of the
// sector that holds the slot's first byte to the end of the one that holds
// its last, cut at the end of the file.
FileRange SlotSpan(int64_t slot, uint64_t fileSize);
// The span and the rest of the records of the slots before and after
// `slot`: what a write reads before it writes, and what the journal checks.
FileRange SlotWindow(int64_t slot, uint64_t fileSize);

// What a journal holds: the slot, the inventory's size, a checksum of the
// window outside the span, and the span before and after the write.
struct JournalEntry {
  int64_t slot = 0;
  uint64_t fileSize = 0;
  uint32_t contextSum = 0;
  uint8_t before[kMaxSpanSize] = {};  // SlotSpan's size of them are used
  uint8_t after[kMaxSpanSize] = {};
};

// The checksum of the bytes of `window`, the window (SlotWindow) of `slot` in
// a file of `fileSize` bytes, that lie outside the slot's span: while they
// keep it, the file is still the one a journal of that slot was made for.
uint32_t WindowContextSum(int64_t slot, uint64_t fileSize, const uint8_t* window);

// The journal of writing `record` to `slot` of a file of `fileSize` bytes
// whose window (SlotWindow) holds `window`.
JournalEntry MakeJournalEntry(int64_t slot, uint64_t fileSize, const uint8_t* window,
                              const InventoryRecord& record);

// "TLJ2", slot and file size (64 bits each), the span's offset and size and
// the context sum (32 bits each), the span before and after (room for five
// sectors each), a CRC-32 of all that, then zeros: eleven whole sectors,
// little-endian.
constexpr size_t kJournalSize = 11 * platform::kSectorSize;

void EncodeJournal(const JournalEntry& entry, uint8_t* bytes);
// False when `bytes` is no whole journal: too short, marked done, a
// checksum that does not agree, or a slot its file cannot hold.
bool DecodeJournal(const uint8_t* bytes, size_t size, JournalEntry* entry);

// The journal beside the inventory file at `dataPath`.
std::wstring JournalPath(const std::wstring& dataPath);

// Writes the journal beside DataPath (making it the first time, never
// through a link, pipe or device under its name) and pushes it to the
// medium. Returns it still open, for MarkJournalDone; nullptr on failure,
// when it has been marked done again as far as that could be done, with
// `*why` (when given) the cause of the failure.
platform::FileRef WriteJournal(const JournalEntry& entry, platform::FileError* why = nullptr);
// Zeroes the first sector of an open journal, so that it is no whole
// journal any more; with `flush`, returns once that is on the medium.
bool MarkJournalDone(platform::FileRef journal, bool flush);

// True when a journal file lies beside DataPath.
bool JournalLeft();

// What reading the journal beside DataPath back finds.
enum class JournalRead {
  kNone,        // no whole journal: none, marked done, cut short or damaged
  kWhole,       // a whole journal, which may or may not belong to film.dat
  kUnreadable,  // not one sector of it can be read now: perhaps a passing fault
};
// ---- The group form ----

// One run of a group: slots first .. first + count - 1, written whole, and
// its span (RunSpan) as it is and as it will be. `before` holds the span's
// bytes that the file has now, which for an append stop at its old end.
struct GroupEntry {
  uint32_t first = 0;
  uint32_t count = 0;
  uint32_t contextSum = 0;  // of the run's window outside its span (RunWindow)
  std::vector<uint8_t> before;
  std::vector<uint8_t> after;
};

// A journal of the group form. Either every run lies inside the file
// (newSize == fileSize), no two runs closer than three slots, so that no
// run's window meets another's span; or the group is one run of new slots
// appended at fileSize, which makes the file newSize bytes. A journal of the
// single form reads back as a group of one run of one slot.
struct JournalGroup {
  uint64_t fileSize = 0;
  uint64_t newSize = 0;
  std::vector<GroupEntry> entries;
};

// The span of the run of `count` slots from `first` in a file that is
// `newSize` bytes once the run is written: from the start of the sector
// that holds its first byte to the end of the one that holds its last, cut
// at the end of the file. Its window adds the rest of the records next to
// the run.
FileRange RunSpan(uint32_t first, uint32_t count, uint64_t newSize);
FileRange RunWindow(uint32_t first, uint32_t count, uint64_t newSize);
// The checksum of the part of the run's window outside its span, given the
// window's bytes as far as they lie in the file (the window, or for an
// append the part before the span).
uint32_t RunContextSum(uint32_t first, uint32_t count, uint64_t newSize, const uint8_t* window);

// The bytes a journal of the group form holds: a sector of "TLJ3", the two
// sizes, the run count, the body's size and CRC-32 and a CRC-32 of those;
// then the body: each run's first slot and count, span start, before and
// after sizes and context sum (32 bits each, little-endian), its bytes
// before and after; zeros to the end of the last sector. The body takes at
// most kMaxGroupBody bytes.
constexpr size_t kMaxGroupBody = 4u << 20;
constexpr size_t kGroupRunHeader = 24;
std::vector<uint8_t> EncodeGroup(const JournalGroup& group);
// A whole journal in either form read back from `bytes`; false for none:
// too short, marked done, a checksum that disagrees, or runs that break
// the group's rules.
bool DecodeAnyJournal(const uint8_t* bytes, size_t size, JournalGroup* group);

// Writes `group`'s journal beside DataPath and pushes it to the medium, as
// WriteJournal does.
platform::FileRef WriteGroupJournal(const JournalGroup& group, platform::FileError* why = nullptr);

// Reads the journal beside DataPath, in either form; on kWhole, `*group`
// holds it. A sector that fails to read was being written when the power
// failed, by a write of the journal or by its mark: either way no whole
// journal.
JournalRead ReadJournal(JournalGroup* group);
