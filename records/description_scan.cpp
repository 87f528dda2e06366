// The description scan: every slot whose first two Description bytes pass
// the pattern in PrefixTable is read and compared from byte 2 on. Candidate
// records are read in blocks that reach up to the last candidate of the next
// stretch of slots, so a dense scan reads the file sequentially and a sparse
// one reads single records; either way each record is taken whole.
#include "records/description_scan.h"

#include <algorithm>
#include <cstring>

#include "commands/records_state.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

constexpr uint32_t kBlockSlots = 256;
constexpr char kWildcard = '?';

bool PassesPrefix(int64_t slot, const char* p) {
  const uint8_t* prefix = PrefixTable[slot].bytes;
  return prefix[0] != 0 && (p[0] == kWildcard || static_cast<uint8_t>(p[0]) == prefix[0]) &&
         (p[1] == kWildcard || static_cast<uint8_t>(p[1]) == prefix[1]);
}

// The pattern from its third character on against a record's Description;
// "?" matches any byte, the terminator and what follows it too.
bool RestMatches(const char* p, const uint8_t* record) {
  const uint8_t* description = record + kDescriptionOffset;
  for (size_t k = 2; k < kInputTextSize; ++k) {
    if (p[k] == '\0') return true;
    if (p[k] != kWildcard && static_cast<uint8_t>(p[k]) != description[k]) return false;
  }
  return true;
}

class CandidateReader {
 public:
  explicit CandidateReader(InventoryFile& file) : file_(file), run_(kBlockSlots) {}

  // The whole record of `slot`, or nullptr when it cannot be read. It stays
  // valid until the next call.
  const uint8_t* Read(int64_t slot, const char* pattern) {
    if (const uint8_t* record = run_.Record(slot)) return record;
    if (Fill(slot, pattern)) return run_.Record(slot);
    return ReadSlot(file_, slot, &single_) ? single_.bytes : nullptr;
  }

 private:
  // Reads from `slot` up to the last candidate within the next block. False
  // when there is no further candidate in it, or the read fails or comes up
  // short: the record is then read on its own.
  bool Fill(int64_t slot, const char* pattern) {
    const Slot end = std::min(slot + run_.capacity(), SlotCount);
    int64_t last = slot;
    for (int64_t s = slot + 1; s < end; ++s) {
      if (PassesPrefix(s, pattern)) last = s;
    }
    return last > slot && run_.Read(file_, slot, static_cast<uint32_t>(last - slot + 1));
  }

  InventoryFile& file_;
  SlotRun run_;
  InventoryRecord single_;
};

}  // namespace

ScanOutcome ScanDescriptions(InventoryFile& file) {
  CandidateReader reader(file);
  // Candidates are compared where they were read; CurrentRecord takes the
  // match, or the last candidate read when none matches.
  const uint8_t* candidate = nullptr;
  for (; CurrentSlot <= SlotCount - 1; ++CurrentSlot) {
    if (!PassesPrefix(CurrentSlot, InputText)) continue;
    candidate = reader.Read(CurrentSlot, InputText);
    if (candidate == nullptr) return ScanOutcome::kReadFailed;
    if (RestMatches(InputText, candidate)) {
      std::memcpy(CurrentRecord.bytes, candidate, kRecordSize);
      return ScanOutcome::kMatch;
    }
  }
  if (candidate != nullptr) std::memcpy(CurrentRecord.bytes, candidate, kRecordSize);
  return ScanOutcome::kExhausted;
}
