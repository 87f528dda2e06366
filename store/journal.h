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
// ordinary file for other programs. Only the store makes it, and its name
// reaches the medium before film.dat is touched: the first flush of a
// journal whose name is not known to be there pushes its folder too, whoever
// made it.
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

// The CRC-32 (IEEE 802.3, reflected) that journals of both forms carry;
// `crc` carries a sum on over a further piece.
uint32_t JournalChecksum(const uint8_t* bytes, size_t size, uint32_t crc = 0);

// ---- The single form ----
// Builds before the group form wrote the journal of a write of one slot in
// a form of its own, which nothing writes any more: a journal of that form
// left by an older build reads back (DecodeAnyJournal) as a group of one run
// of one slot, and start-up settles it as any other. Eleven whole sectors,
// little-endian: "TLJ2", the slot and the file size (64 bits each), the
// span's offset and size and the context sum (32 bits each), the span before
// and after (room for five sectors each), a JournalChecksum of all that,
// then zeros.
namespace single_form {
constexpr uint8_t kMark[4] = {'T', 'L', 'J', '2'};
constexpr size_t kSize = 11 * platform::kSectorSize;
constexpr size_t kSpanRoom = 5 * platform::kSectorSize;  // 1874 bytes touch at most five
constexpr size_t kSlotAt = 4;
constexpr size_t kFileSizeAt = 12;
constexpr size_t kSpanStartAt = 20;
constexpr size_t kSpanSizeAt = 24;
constexpr size_t kContextAt = 28;
constexpr size_t kBeforeAt = 32;
constexpr size_t kAfterAt = kBeforeAt + kSpanRoom;
constexpr size_t kChecksumAt = kAfterAt + kSpanRoom;
static_assert(kChecksumAt + 4 <= kSize, "the journal's fields fit in it");
}  // namespace single_form

// The journal beside the inventory file at `dataPath`.
std::wstring JournalPath(const std::wstring& dataPath);

// Zeroes the first sector of an open journal, so that it is no whole
// journal any more; with `flush`, returns once that is on the medium.
bool MarkJournalDone(platform::FileRef journal, bool flush);

// Makes the journal beside DataPath when there is none, and pushes it, and
// with it its name, to the medium: so that a change to come can journal
// itself, which a back-office change makes sure of before it reads what it
// will change. False, with `*why` the cause, when the folder takes no
// journal (or another program kept it for HeldFileWait).
bool PrepareJournal(platform::FileError* why);

// True when a journal file lies beside DataPath.
bool JournalFileExists();

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
  Slot first = 0;
  Slot count = 0;
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
FileRange RunSpan(Slot first, Slot count, uint64_t newSize);
FileRange RunWindow(Slot first, Slot count, uint64_t newSize);
// The checksum of the part of the run's window outside its span, given the
// window's bytes as far as they lie in the file (the window, or for an
// append the part before the span).
uint32_t RunContextSum(Slot first, Slot count, uint64_t newSize, const uint8_t* window);

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

// Writes `group`'s journal beside DataPath (making it the first time, never
// through a link, pipe or device under its name) and pushes it to the
// medium. Returns it still open, for MarkJournalDone; nullptr on failure,
// when it has been marked done again as far as that could be done, with
// `*why` (when given) the cause of the failure.
platform::FileRef WriteGroupJournal(const JournalGroup& group, platform::FileError* why = nullptr);

// Reads the journal beside DataPath, in either form; on kWhole, `*group`
// holds it. A sector that fails to read was being written when the power
// failed, by a write of the journal or by its mark: either way no whole
// journal.
JournalRead ReadJournal(JournalGroup* group);
