#include "tests/kit/single_journal.h"

#include <algorithm>

#include "store/byte_order.h"
#include "store/journal.h"

Bytes SingleFormJournal(const Bytes& file, int64_t slot, const InventoryRecord& record) {
  using namespace single_form;
  const uint64_t size = file.size();
  const auto first = static_cast<uint32_t>(slot);
  const FileRange span = RunSpan(first, 1, size);
  const FileRange window = RunWindow(first, 1, size);
  Bytes bytes(kSize, 0);
  std::copy(kMark, kMark + sizeof kMark, bytes.begin());
  StoreI64(bytes.data() + kSlotAt, slot);
  StoreI64(bytes.data() + kFileSizeAt, static_cast<int64_t>(size));
  StoreU32(bytes.data() + kSpanStartAt, span.start);
  StoreU32(bytes.data() + kSpanSizeAt, span.size);
  StoreU32(bytes.data() + kContextAt, RunContextSum(first, 1, size, file.data() + window.start));
  std::copy_n(file.begin() + span.start, span.size, bytes.begin() + kBeforeAt);
  std::copy_n(file.begin() + span.start, span.size, bytes.begin() + kAfterAt);
  std::copy_n(record.bytes, kRecordSize,
              bytes.begin() + kAfterAt + (SlotOffset(slot) - span.start));
  StoreU32(bytes.data() + kChecksumAt, JournalChecksum(bytes.data(), kChecksumAt));
  return bytes;
}
