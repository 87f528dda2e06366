// geninv: writes a synthetic film.dat.
//   geninv OUT --slots N [--order asc|random|desc] [--duplicates N]
//          [--deleted N] [--zeros N] [--negatives N] [--plain] [--seed N]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/inventory_generator.h"

int main(int argc, char** argv) {
  GeneratorOptions options;
  std::string out;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto number = [&] { return i + 1 < argc ? std::strtoull(argv[++i], nullptr, 10) : 0; };
    if (arg == "--slots") {
      options.slots = static_cast<uint32_t>(number());
    } else if (arg == "--order" && i + 1 < argc) {
      const std::string order = argv[++i];
      options.order = order == "random" ? NumberOrder::kRandom
                      : order == "desc" ? NumberOrder::kDescending
                                        : NumberOrder::kAscending;
    } else if (arg == "--duplicates") {
      options.duplicates = static_cast<uint32_t>(number());
    } else if (arg == "--deleted") {
      options.deleted = static_cast<uint32_t>(number());
    } else if (arg == "--zeros") {
      options.zeros = static_cast<uint32_t>(number());
    } else if (arg == "--negatives") {
      options.negatives = static_cast<uint32_t>(number());
    } else if (arg == "--seed") {
      options.seed = number();
    } else if (arg == "--plain") {
      options.opaqueNoise = false;
    } else if (out.empty() && arg[0] != '-') {
      out = arg;
    } else {
      out.clear();
      break;
    }
  }
  if (out.empty() || options.slots == 0) {
    std::fprintf(stderr,
                 "usage: geninv OUT --slots N [--order asc|random|desc] [--duplicates N]\n"
                 "              [--deleted N] [--zeros N] [--negatives N] [--plain] [--seed N]\n");
    return 2;
  }
  if (!GenerateInventory(options, out)) {
    std::perror(out.c_str());
    return 1;
  }
  return 0;
}
