#include "store/journal.h"

#include <algorithm>
#include <cstring>

#include "store/byte_order.h"

namespace {

using platform::kSectorSize;

// The group form's header sector.
constexpr uint8_t kGroupMark[4] = {'T', 'L', 'J', '3'};
constexpr size_t kGroupFileSizeAt = 4;
constexpr size_t kGroupNewSizeAt = 12;
constexpr size_t kGroupRunsAt = 20;
constexpr size_t kGroupBodySizeAt = 24;
constexpr size_t kGroupBodySumAt = 28;
constexpr size_t kGroupHeaderSumAt = 32;

// A run's header in the body.
constexpr size_t kRunFirstAt = 0;
constexpr size_t kRunCountAt = 4;
constexpr size_t kRunSpanStartAt = 8;
constexpr size_t kRunBeforeSizeAt = 12;
constexpr size_t kRunAfterSizeAt = 16;
constexpr size_t kRunContextAt = 20;
static_assert(kRunContextAt + 4 == kGroupRunHeader, "the plan counts a run's header whole");

void StoreU64(uint8_t* at, uint64_t value) { StoreI64(at, static_cast<int64_t>(value)); }
uint64_t LoadU64(const uint8_t* at) { return static_cast<uint64_t>(LoadI64(at)); }

uint32_t RoundUpToSector(uint64_t size) {
  return static_cast<uint32_t>((size + kSectorSize - 1) / kSectorSize * kSectorSize);
}

// The span's bytes that lie in the file before the run is written.
uint32_t BeforeSize(const FileRange& span, uint64_t fileSize) {
  return span.start >= fileSize
             ? 0
             : static_cast<uint32_t>(std::min<uint64_t>(span.end(), fileSize) - span.start);
}

// Whether the runs keep the group's rules (JournalGroup), their sizes
// agreeing with their spans.
bool KeepsGroupRules(const JournalGroup& group) {
  const uint64_t fileSize = group.fileSize, newSize = group.newSize;
  if (fileSize == 0 || fileSize % kRecordSize != 0 || newSize < fileSize ||
      newSize > kLargestInventorySize || (newSize - fileSize) % kRecordSize != 0 ||
      group.entries.empty()) {
    return false;
  }
  const Slot slots = SlotsOf(newSize);
  const bool append = newSize > fileSize;
  if (append && (group.entries.size() != 1 || group.entries[0].first != SlotsOf(fileSize))) {
    return false;
  }
  const GroupEntry* previous = nullptr;
  for (const GroupEntry& e : group.entries) {
    if (e.count <= 0 || e.first < 0 || e.first + e.count > slots ||
        (previous != nullptr && InOneRun(previous->first + previous->count - 1, e.first))) {
      return false;
    }
    const FileRange span = RunSpan(e.first, e.count, newSize);
    if (e.before.size() != BeforeSize(span, fileSize) || e.after.size() != span.size) {
      return false;
    }
    previous = &e;
  }
  return !append || group.entries[0].first + group.entries[0].count == slots;
}

// A whole journal of the single form, as a group of one run of one slot.
bool DecodeSingleForm(const uint8_t* bytes, size_t size, JournalGroup* group) {
  using namespace single_form;
  if (size < kSize || LoadU32(bytes + kChecksumAt) != JournalChecksum(bytes, kChecksumAt))
    return false;
  const int64_t slot = LoadI64(bytes + kSlotAt);
  const uint64_t fileSize = LoadU64(bytes + kFileSizeAt);
  if (!SlotInFile(slot, fileSize)) return false;
  const FileRange span = RunSpan(slot, 1, fileSize);
  if (LoadU32(bytes + kSpanStartAt) != span.start || LoadU32(bytes + kSpanSizeAt) != span.size) {
    return false;
  }
  GroupEntry e;
  e.first = slot;
  e.count = 1;
  e.contextSum = LoadU32(bytes + kContextAt);
  e.before.assign(bytes + kBeforeAt, bytes + kBeforeAt + span.size);
  e.after.assign(bytes + kAfterAt, bytes + kAfterAt + span.size);
  *group = JournalGroup{fileSize, fileSize, {std::move(e)}};
  return true;
}

}  // namespace

uint32_t RunContextSum(Slot first, Slot count, uint64_t newSize, const uint8_t* window) {
  const FileRange span = RunSpan(first, count, newSize);
  const FileRange around = RunWindow(first, count, newSize);
  const uint32_t head = span.start - around.start;
  const uint32_t tail = around.end() - span.end();
  return JournalChecksum(window + head + span.size, tail, JournalChecksum(window, head));
}

// Sixteen bytes a step through sixteen tables: a large import's journal
// runs to megabytes.
uint32_t JournalChecksum(const uint8_t* bytes, size_t size, uint32_t crc) {
  static const auto tables = [] {
    struct Tables {
      uint32_t t[16][256];
    } t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t.t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i) {
      for (int k = 1; k < 16; ++k) t.t[k][i] = (t.t[k - 1][i] >> 8) ^ t.t[0][t.t[k - 1][i] & 0xFF];
    }
    return t;
  }();
  const auto& t = tables.t;
  crc = ~crc;
  size_t i = 0;
  for (; i + 16 <= size; i += 16) {
    const uint8_t* b = bytes + i;
    const uint32_t low =
        crc ^ (uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
    crc = t[15][low & 0xFF] ^ t[14][(low >> 8) & 0xFF] ^ t[13][(low >> 16) & 0xFF] ^
          t[12][low >> 24] ^ t[11][b[4]] ^ t[10][b[5]] ^ t[9][b[6]] ^ t[8][b[7]] ^ t[7][b[8]] ^
          t[6][b[9]] ^ t[5][b[10]] ^ t[4][b[11]] ^ t[3][b[12]] ^ t[2][b[13]] ^ t[1][b[14]] ^
          t[0][b[15]];
  }
  for (; i < size; ++i) crc = t[0][(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::vector<uint8_t> EncodeGroup(const JournalGroup& group) {
  size_t body = 0;
  for (const GroupEntry& e : group.entries)
    body += kGroupRunHeader + e.before.size() + e.after.size();
  std::vector<uint8_t> bytes(kSectorSize + RoundUpToSector(body), 0);
  uint8_t* at = bytes.data() + kSectorSize;
  for (const GroupEntry& e : group.entries) {
    StoreU32(at + kRunFirstAt, static_cast<uint32_t>(e.first));
    StoreU32(at + kRunCountAt, static_cast<uint32_t>(e.count));
    StoreU32(at + kRunSpanStartAt, RunSpan(e.first, e.count, group.newSize).start);
    StoreU32(at + kRunBeforeSizeAt, static_cast<uint32_t>(e.before.size()));
    StoreU32(at + kRunAfterSizeAt, static_cast<uint32_t>(e.after.size()));
    StoreU32(at + kRunContextAt, e.contextSum);
    at = std::copy(e.before.begin(), e.before.end(), at + kGroupRunHeader);
    at = std::copy(e.after.begin(), e.after.end(), at);
  }
  uint8_t* header = bytes.data();
  std::memcpy(header, kGroupMark, sizeof kGroupMark);
  StoreU64(header + kGroupFileSizeAt, group.fileSize);
  StoreU64(header + kGroupNewSizeAt, group.newSize);
  StoreU32(header + kGroupRunsAt, static_cast<uint32_t>(group.entries.size()));
  StoreU32(header + kGroupBodySizeAt, static_cast<uint32_t>(body));
  StoreU32(header + kGroupBodySumAt, JournalChecksum(bytes.data() + kSectorSize, body));
  StoreU32(header + kGroupHeaderSumAt, JournalChecksum(header, kGroupHeaderSumAt));
  return bytes;
}

bool IsGroupForm(const uint8_t* bytes) {
  return std::memcmp(bytes, kGroupMark, sizeof kGroupMark) == 0;
}

uint32_t GroupJournalSize(const uint8_t* header) {
  if (!IsGroupForm(header) ||
      LoadU32(header + kGroupHeaderSumAt) != JournalChecksum(header, kGroupHeaderSumAt)) {
    return 0;
  }
  const uint32_t body = LoadU32(header + kGroupBodySizeAt);
  return body > kMaxGroupBody ? 0 : kSectorSize + RoundUpToSector(body);
}

bool DecodeAnyJournal(const uint8_t* bytes, size_t size, JournalGroup* group) {
  if (size >= sizeof single_form::kMark &&
      std::memcmp(bytes, single_form::kMark, sizeof single_form::kMark) == 0) {
    return DecodeSingleForm(bytes, size, group);
  }
  if (size < kSectorSize) return false;
  const uint32_t whole = GroupJournalSize(bytes);
  const uint32_t body = LoadU32(bytes + kGroupBodySizeAt);
  if (whole == 0 || size < kSectorSize + size_t{body} ||
      LoadU32(bytes + kGroupBodySumAt) != JournalChecksum(bytes + kSectorSize, body)) {
    return false;
  }
  JournalGroup read;
  read.fileSize = LoadU64(bytes + kGroupFileSizeAt);
  read.newSize = LoadU64(bytes + kGroupNewSizeAt);
  const uint32_t runs = LoadU32(bytes + kGroupRunsAt);
  const uint8_t* at = bytes + kSectorSize;
  const uint8_t* const end = at + body;
  for (uint32_t i = 0; i < runs; ++i) {
    if (end - at < static_cast<ptrdiff_t>(kGroupRunHeader)) return false;
    GroupEntry e;
    e.first = LoadU32(at + kRunFirstAt);
    e.count = LoadU32(at + kRunCountAt);
    const uint32_t spanStart = LoadU32(at + kRunSpanStartAt);
    const uint32_t beforeSize = LoadU32(at + kRunBeforeSizeAt);
    const uint32_t afterSize = LoadU32(at + kRunAfterSizeAt);
    e.contextSum = LoadU32(at + kRunContextAt);
    at += kGroupRunHeader;
    if (static_cast<uint64_t>(end - at) < uint64_t{beforeSize} + afterSize) return false;
    e.before.assign(at, at + beforeSize);
    e.after.assign(at + beforeSize, at + beforeSize + afterSize);
    at += beforeSize + afterSize;
    if (e.count > 0 && e.count <= kLargestSlotCount &&
        spanStart != RunSpan(e.first, e.count, read.newSize).start) {
      return false;
    }
    read.entries.push_back(std::move(e));
  }
  if (at != end || !KeepsGroupRules(read)) return false;
  *group = std::move(read);
  return true;
}
