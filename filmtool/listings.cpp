// filmtool stats, index and prefix: what start-up builds, printed.
#include <cinttypes>
#include <cstdio>

#include "filmtool/tool.h"
#include "office/listener.h"
#include "office/open_inventory.h"
#include "store/load_inventory.h"
#include "store/store_state.h"

int Stats() {
  if (!OpenForReport(StandardError())) return 1;
  std::printf("slots %" PRId64 "\nactive %" PRId32 "\ndeleted %" PRId32 "\n", SlotCount,
              ActiveCount, DeletedCount);
  return 0;
}

int Index() {
  if (!OpenForReport(StandardError())) return 1;
  for (Slot i = 0; i < IndexedSlots; ++i) {
    std::printf("%" PRId64 " %" PRId64 "\n", NumberIndex[i].number, NumberIndex[i].slot);
  }
  return 0;
}

int Prefix() {
  if (!OpenForReport(StandardError())) return 1;
  for (Slot slot = 0; slot < SlotCount; ++slot) {
    std::printf("%02x%02x\n", PrefixTable[slot].bytes[0], PrefixTable[slot].bytes[1]);
  }
  return 0;
}
