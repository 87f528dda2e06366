// filmtool: the back office's window into an inventory, over the program's
// own store. See Usage() and the README.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host/host_control.h"
#include "store/opendata.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "tools/message_echo.h"
#include "tools/tool.h"

namespace {

constexpr char kUsage[] =
    "usage: filmtool COMMAND DIR [ARGUMENTS] [--card FOLDER]\n"
    "\n"
    "DIR holds film.dat and tallo.cfg; --card FOLDER makes FOLDER stand for the\n"
    "storage card's folder (otherwise there is no card). Messages the program\n"
    "would show go to standard error as \"caption: text\".\n"
    "\n"
    "  stats DIR                      slots, active and deleted counts\n"
    "  index DIR                      the used index entries, \"number slot\" a line\n"
    "  prefix DIR                     each slot's two prefix bytes in hex\n"
    "  check DIR                      every problem of the file, then a summary;\n"
    "                                 exit 0 none, 2 problems, 1 unreadable\n"
    "  export DIR [--all]             the records as CSV on standard output\n"
    "                                 (deleted slots only with --all)\n"
    "  amend DIR NUMBER FIELD=VALUE...  change item NUMBER as the amend dialog\n"
    "                                 would; fields: description, sku, in_stock,\n"
    "                                 tax (0-3), cost_price, trade_price, price,\n"
    "                                 category (0-17)\n"
    "  delete DIR NUMBER              delete item NUMBER, as Delete does once\n"
    "                                 confirmed\n"
    "\n"
    "amend and delete exit 0 when the change is in the file, 1 otherwise (the\n"
    "file is then unchanged); the other commands exit 1 when the inventory\n"
    "cannot be opened.\n";

int Usage(std::FILE* out, int status) {
  std::fputs(kUsage, out);
  return status;
}

}  // namespace

uint32_t VisitSlots(platform::FileRef file, uint32_t slots,
                    const std::function<void(uint32_t slot, const InventoryRecord&)>& visit) {
  constexpr uint32_t kRunSlots = 256;
  SlotRun run(kRunSlots);
  for (uint32_t first = 0; first < slots; first += kRunSlots) {
    const uint32_t count = std::min(kRunSlots, slots - first);
    if (!run.Read(file, first, count)) return first;
    for (uint32_t slot = first; slot < first + count; ++slot) {
      InventoryRecord r;
      std::copy_n(run.Record(slot), kRecordSize, r.bytes);
      visit(slot, r);
    }
  }
  return slots;
}

void Complain(const std::string& text) { std::fprintf(stderr, "filmtool: %s\n", text.c_str()); }

int Stats() {
  if (!Opendata()) return 1;
  std::printf("slots %" PRId32 "\nactive %" PRId32 "\ndeleted %" PRId32 "\n", SlotCount,
              ActiveCount, DeletedCount);
  return 0;
}

int Index() {
  if (!Opendata()) return 1;
  for (int64_t i = 0; i < IndexedSlots; ++i) {
    std::printf("%" PRId64 " %" PRId64 "\n", NumberIndex[i].number, NumberIndex[i].slot);
  }
  return 0;
}

int Prefix() {
  if (!Opendata()) return 1;
  for (int32_t slot = 0; slot < SlotCount; ++slot) {
    std::printf("%02x%02x\n", PrefixTable[slot].bytes[0], PrefixTable[slot].bytes[1]);
  }
  return 0;
}

int main(int argc, char** argv) {
  std::vector<std::string> words;
  std::string card;
  bool all = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      return Usage(stdout, 0);
    } else if (std::strcmp(argv[i], "--card") == 0 && i + 1 < argc) {
      card = argv[++i];
    } else if (std::strcmp(argv[i], "--all") == 0) {
      all = true;
    } else {
      words.push_back(argv[i]);
    }
  }
  if (words.size() < 2) return Usage(stderr, 2);
  const std::string command = words[0];
  const std::vector<std::string> rest(words.begin() + 2, words.end());
  const bool exact = rest.empty();

  namespace host = platform::host;
  host::SetWorkingFolder(words[1]);
  if (!card.empty()) host::SetStorageCard(host::CardState::kPresent, host::Widen(card));
  platform::SetUi(&MessageEcho());

  int status = 2;
  if (command == "stats" && exact && !all) {
    status = Stats();
  } else if (command == "index" && exact && !all) {
    status = Index();
  } else if (command == "prefix" && exact && !all) {
    status = Prefix();
  } else if (command == "check" && exact && !all) {
    status = Check();
  } else if (command == "export" && exact) {
    status = Export(all);
  } else if (command == "amend" && rest.size() >= 2 && !all) {
    status = Amend(rest[0], std::vector<std::string>(rest.begin() + 1, rest.end()));
  } else if (command == "delete" && rest.size() == 1 && !all) {
    status = Delete(rest[0]);
  } else {
    return Usage(stderr, 2);
  }
  if (std::fflush(stdout) != 0) return 1;
  return status;
}
