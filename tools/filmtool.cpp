// filmtool: a window into the inventory store for tests and the back office.
//   filmtool stats DIR   slots, active and deleted counts after loading
//   filmtool index DIR   the used NumberIndex entries, "number slot" a line
//   filmtool prefix DIR  each slot's two PrefixTable bytes in hex
// With --card FOLDER, FOLDER stands for the first storage card's folder;
// otherwise there is no card. Message boxes go to standard error as
// "caption: text"; a failed load exits with status 1.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/host/host_control.h"
#include "store/opendata.h"
#include "store/store_state.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: filmtool stats|index|prefix DIR [--card FOLDER]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command, folder, card;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--card") == 0 && i + 1 < argc) {
      card = argv[++i];
    } else if (command.empty()) {
      command = argv[i];
    } else if (folder.empty()) {
      folder = argv[i];
    } else {
      return Usage();
    }
  }
  if (folder.empty() || (command != "stats" && command != "index" && command != "prefix")) {
    return Usage();
  }

  namespace host = platform::host;
  host::SetWorkingFolder(folder);
  if (!card.empty()) host::SetStorageCard(host::CardState::kPresent, host::Widen(card));
  host::EchoMessagesTo(stderr);
  if (!Opendata()) return 1;

  if (command == "stats") {
    std::printf("slots %" PRId32 "\nactive %" PRId32 "\ndeleted %" PRId32 "\n", SlotCount,
                ActiveCount, DeletedCount);
  } else if (command == "index") {
    for (int64_t i = 0; i < IndexedSlots; ++i) {
      std::printf("%" PRId64 " %" PRId64 "\n", NumberIndex[i].number, NumberIndex[i].slot);
    }
  } else {
    for (int32_t slot = 0; slot < SlotCount; ++slot) {
      std::printf("%02x%02x\n", PrefixTable[slot].bytes[0], PrefixTable[slot].bytes[1]);
    }
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
