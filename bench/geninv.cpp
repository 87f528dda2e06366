// geninv: writes a synthetic film.dat.
//   geninv OUT --slots N [--order asc|random|desc] [--duplicates N]
//          [--deleted N] [--zeros N] [--negatives N] [--plain] [--seed N]
//          [--codepage 932|1251] [--byte-pairs] [--odd-texts]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/inventory_generator.h"
#include "platform/platform.h"

namespace {

// Words of the shops that use these code pages. Among the Japanese ones
// are characters whose second byte is a backslash (ソ, 表) and half-width
// katakana, which take one byte.
struct Words {
  unsigned codePage;
  std::vector<const wchar_t*> words;
};
const Words kWordsOf[] = {
    {932,
     {L"寿司", L"セット", L"お茶", L"赤い", L"青い", L"靴下", L"帽子", L"ソース", L"表", L"ﾀｵﾙ",
      L"ﾏｸﾞｶｯﾌﾟ", L"石鹸", L"箸", L"弁当"}},
    {1251,
     {L"МОЛОКО", L"ХЛЕБ", L"СЫР", L"ЧАЙ", L"КОФЕ", L"МЫЛО", L"НОСКИ", L"ШАПКА", L"ЁЛКА",
      L"ПОЛОТЕНЦЕ", L"КРУЖКА", L"№"}},
};

// The words for `codePage` in its bytes; false when there are none.
bool TakeWords(unsigned codePage, std::vector<std::string>* words) {
  for (const Words& w : kWordsOf) {
    if (w.codePage != codePage || platform::UseCodePage(codePage) != codePage) continue;
    for (const wchar_t* word : w.words) {
      char narrow[64];
      if (platform::WideToNarrow(word, narrow, sizeof narrow) == 0) return false;
      words->push_back(narrow);
    }
    return true;
  }
  return false;
}

}  // namespace

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
    } else if (arg == "--codepage") {
      if (!TakeWords(static_cast<unsigned>(number()), &options.words)) {
        out.clear();
        break;
      }
    } else if (arg == "--byte-pairs") {
      options.bytePairs = true;
    } else if (arg == "--odd-texts") {
      options.oddTexts = true;
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
                 "              [--deleted N] [--zeros N] [--negatives N] [--plain] [--seed N]\n"
                 "              [--codepage 932|1251] [--byte-pairs] [--odd-texts]\n");
    return 2;
  }
  if (!GenerateInventory(options, out)) {
    std::perror(out.c_str());
    return 1;
  }
  return 0;
}
