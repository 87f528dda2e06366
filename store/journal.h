// The byte format of the redo journal beside the inventory file (film.jnl):
// pure functions over bytes, for the write (store/journalled_write.h), the
// settling at start (store/journal_recovery.h) and their tests alike. The
// journal's file is store/journal_file.h; how a write is cut into runs and
// groups, store/journal_plan.h.
//
// Before the slots of a group are written, the journal takes every byte of
// each run's span as it is and as it will be, and reaches the medium. Once
// the slots have reached it too, the journal is marked done (its first
// sector zeroed). A power cut in between leaves a whole journal, and the
// next start puts the whole new spans back before it reads the slots: a
// sector the cut left as noise or unreadable is mended, a neighbour's bytes
// included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "store/inventory_record.h"
#include "store/journal_plan.h"

// The CRC-32 (IEEE 802.3, reflected) that journals of both forms carry;
// `crc` carries a sum on over a further piece.
uint32_t JournalChecksum(const uint8_t* bytes, size_t size, uint32_t crc = 0);

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

// What a journal of either form says. Either every run lies inside the file
// (newSize == fileSize), no two in one run by the plan (InOneRun), so that
// no run's window meets another's span; or the group is one run of new
// slots appended at fileSize, which makes the file newSize bytes.
struct JournalGroup {
  uint64_t fileSize = 0;
  uint64_t newSize = 0;
  std::vector<GroupEntry> entries;
};

// The checksum of the part of the run's window outside its span, given the
// window's bytes as far as they lie in the file (the window, or for an
// append the part before the span).
uint32_t RunContextSum(Slot first, Slot count, uint64_t newSize, const uint8_t* window);

// ---- The single form ----
// Builds before the group form wrote the journal of a write of one slot in
// a form of its own, which nothing writes any more: a journal of that form
// left by an older build reads back as a group of one run of one slot, and
// start-up settles it as any other. Eleven whole sectors, little-endian:
// "TLJ2", the slot and the file size (64 bits each), the span's offset and
// size and the context sum (32 bits each), the span before and after (room
// for five sectors each), a JournalChecksum of all that, then zeros.
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

// ---- The group form ----
// A sector of "TLJ3", the two sizes (64 bits), the run count, the body's
// size and CRC-32 and a CRC-32 of those (32 bits each); then the body: each
// run's first slot and count, span start, before and after sizes and
// context sum (32 bits each), its bytes before and after; zeros to the end
// of the last sector. The body takes at most kMaxGroupBody bytes.
std::vector<uint8_t> EncodeGroup(const JournalGroup& group);

// A whole journal in either form read back from `bytes`; false for none:
// too short, marked done, a checksum that disagrees, or runs that break
// the group's rules.
bool DecodeAnyJournal(const uint8_t* bytes, size_t size, JournalGroup* group);

// A reader takes a journal's first kJournalFirstRead bytes at once: the
// whole of the single form, and the group form's header among them.
constexpr size_t kJournalFirstRead = single_form::kSize;
// The size of the group-form journal whose first sector is `header`, header
// and padding included; 0 when that sector is no whole group header.
uint32_t GroupJournalSize(const uint8_t* header);
// Whether `bytes` (a sector or more) start as a journal of the group form.
bool IsGroupForm(const uint8_t* bytes);
