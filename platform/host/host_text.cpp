// A Windows code page played on the host as MultiByteToWideChar and
// WideCharToMultiByte convert with it: Windows-1252 unless a tool chooses
// another. Each code page's tables are filled once through glibc's iconv;
// what Windows defines beyond glibc's tables is listed below, so that the
// host and Windows turn the same bytes into the same text and back.
#include <iconv.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/capitals.h"
#include "platform/code_pages.h"
#include "platform/host/host_control.h"
#include "platform/host/host_state.h"
#include "platform/platform.h"

namespace platform {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;
constexpr uint16_t kNoBytes = 0xFFFF;  // a character the code page lacks

// The code pages the host converts with: the lead-byte ranges of the
// double-byte ones (as GetCPInfo gives them), and what Windows shows for a
// lead byte whose trail byte does not complete a character.
struct PageShape {
  unsigned number;
  uint8_t leads[2][2];
  wchar_t broken;
};
constexpr PageShape kPages[] = {
    {874, {}, L'?'},
    {932, {{0x81, 0x9F}, {0xE0, 0xFC}}, 0x30FB},
    {936, {{0x81, 0xFE}}, L'?'},
    {949, {{0x81, 0xFE}}, L'?'},
    {950, {{0x81, 0xFE}}, L'?'},
    {1250, {}, L'?'},
    {1251, {}, L'?'},
    {1252, {}, L'?'},
    {1253, {}, L'?'},
    {1254, {}, L'?'},
    {1255, {}, L'?'},
    {1256, {}, L'?'},
    {1257, {}, L'?'},
    {1258, {}, L'?'},
};
// The same pages as the back office's table, in its order.
constexpr bool SamePages() {
  if (std::size(kPages) != kCodePages.size()) return false;
  for (size_t i = 0; i < kCodePages.size(); ++i) {
    if (kPages[i].number != kCodePages[i]) return false;
  }
  return true;
}
static_assert(SamePages(), "the host converts the code pages of platform/code_pages.h");

// Single bytes that glibc leaves undefined and Windows maps. Besides these,
// each such byte from 0x80 to 0x9F is the control character of its own
// value. `defined` false: MB_ERR_INVALID_CHARS refuses the byte, which
// converts to its private-use character only without that flag.
struct ByteRun {
  unsigned page;
  uint8_t first, last;
  uint16_t firstChar;
  bool defined;
};
const ByteRun kByteRuns[] = {
    {874, 0xDB, 0xDE, 0xF8C1, false},  {874, 0xFC, 0xFF, 0xF8C5, false},
    {932, 0xA0, 0xA0, 0xF8F0, false},  {932, 0xFD, 0xFF, 0xF8F1, false},
    {936, 0xFF, 0xFF, 0xF8F5, false},  {949, 0xFF, 0xFF, 0xF8F7, false},
    {950, 0xFF, 0xFF, 0xF8F8, false},  {1253, 0xAA, 0xAA, 0xF8F9, false},
    {1253, 0xD2, 0xD2, 0xF8FA, false}, {1253, 0xFF, 0xFF, 0xF8FB, false},
    {1255, 0xCA, 0xCA, 0x05BA, true},  {1255, 0xD9, 0xDF, 0xF88D, false},
    {1255, 0xFB, 0xFC, 0xF894, false}, {1255, 0xFF, 0xFF, 0xF896, false},
    {1257, 0xA1, 0xA1, 0xF8FC, false}, {1257, 0xA5, 0xA5, 0xF8FD, false},
};

// The user-defined areas of the double-byte code pages, which Windows maps
// to private-use characters and glibc leaves undefined: leads `leadFirst` to
// `leadLast`, each followed by the trail bytes of one or two ranges,
// numbered in that order from `firstChar`.
struct PrivateArea {
  unsigned page;
  uint8_t leadFirst, leadLast;
  uint8_t trails[2][2];
  uint16_t firstChar;
};
const PrivateArea kPrivateAreas[] = {
    {936, 0xAA, 0xAF, {{0xA1, 0xFE}}, 0xE000},
    {936, 0xF8, 0xFE, {{0xA1, 0xFE}}, 0xE234},
    {936, 0xA1, 0xA7, {{0x40, 0x7E}, {0x80, 0xA0}}, 0xE4C6},
    // The places of GBK's rows that hold no character, in order.
    {936, 0xA2, 0xA2, {{0xAB, 0xB0}}, 0xE766},
    {936, 0xA2, 0xA2, {{0xE3, 0xE4}}, 0xE76C},
    {936, 0xA2, 0xA2, {{0xEF, 0xF0}}, 0xE76E},
    {936, 0xA2, 0xA2, {{0xFD, 0xFE}}, 0xE770},
    {936, 0xA4, 0xA4, {{0xF4, 0xFE}}, 0xE772},
    {936, 0xA5, 0xA5, {{0xF7, 0xFE}}, 0xE77D},
    {936, 0xA6, 0xA6, {{0xB9, 0xC0}}, 0xE785},
    {936, 0xA6, 0xA6, {{0xD9, 0xDF}}, 0xE78D},
    {936, 0xA6, 0xA6, {{0xEC, 0xED}}, 0xE794},
    {936, 0xA6, 0xA6, {{0xF3, 0xF3}}, 0xE796},
    {936, 0xA6, 0xA6, {{0xF6, 0xFE}}, 0xE797},
    {936, 0xA7, 0xA7, {{0xC2, 0xD0}}, 0xE7A0},
    {936, 0xA7, 0xA7, {{0xF2, 0xFE}}, 0xE7AF},
    {936, 0xA8, 0xA8, {{0x96, 0xA0}}, 0xE7BC},
    {936, 0xA8, 0xA8, {{0xBC, 0xBC}}, 0xE7C7},
    {936, 0xA8, 0xA8, {{0xBF, 0xBF}}, 0xE7C8},
    {936, 0xA8, 0xA8, {{0xC1, 0xC4}}, 0xE7C9},
    {936, 0xA8, 0xA8, {{0xEA, 0xFE}}, 0xE7CD},
    {936, 0xA9, 0xA9, {{0x58, 0x58}}, 0xE7E2},
    {936, 0xA9, 0xA9, {{0x5B, 0x5B}}, 0xE7E3},
    {936, 0xA9, 0xA9, {{0x5D, 0x5F}}, 0xE7E4},
    {936, 0xA9, 0xA9, {{0x89, 0x95}}, 0xE7E7},
    {936, 0xA9, 0xA9, {{0x97, 0xA3}}, 0xE7F4},
    {936, 0xA9, 0xA9, {{0xF0, 0xFE}}, 0xE801},
    {936, 0xD7, 0xD7, {{0xFA, 0xFE}}, 0xE810},
    {936, 0xFE, 0xFE, {{0x50, 0x7E}, {0x80, 0xA0}}, 0xE815},
    {949, 0xC9, 0xC9, {{0xA1, 0xFE}}, 0xE000},
    {949, 0xFE, 0xFE, {{0xA1, 0xFE}}, 0xE05E},
    {950, 0xFA, 0xFE, {{0x40, 0x7E}, {0xA1, 0xFE}}, 0xE000},
    {950, 0x8E, 0xA0, {{0x40, 0x7E}, {0xA1, 0xFE}}, 0xE311},
    {950, 0x81, 0x8D, {{0x40, 0x7E}, {0xA1, 0xFE}}, 0xEEB8},
};

// Characters that two byte sequences stand for, where Windows writes
// another one than glibc does.
struct Preferred {
  unsigned page;
  uint16_t character;
  uint16_t bytes;
};
const Preferred kPreferred[] = {
    {950, 0x2550, 0xF9F9},
    {950, 0x255E, 0xF9E9},
    {950, 0x2561, 0xF9EB},
    {950, 0x256A, 0xF9EA},
};

struct CodePage {
  bool lead[256] = {};
  // The character of each other byte, and whether MB_ERR_INVALID_CHARS
  // takes it.
  wchar_t single[256] = {};
  bool defined[256] = {};
  // The character of each lead and trail byte, (lead - 0x80) * 256 + trail;
  // 0 where the pair is no character.
  std::vector<uint16_t> pairs;
  wchar_t broken = L'?';
  // Each BMP character's bytes: one byte, or lead << 8 | trail.
  std::vector<uint16_t> narrow;
};

// One character from `bytes` through iconv; false unless all of them make
// exactly one character of the BMP.
bool Decode(iconv_t cd, const uint8_t* bytes, size_t count, uint16_t* character) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  wchar_t out[4] = {};
  char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
  size_t inLeft = count;
  char* outPtr = reinterpret_cast<char*>(out);
  size_t outLeft = sizeof out;
  if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) {
    return false;
  }
  // Some decoders hold a character back until they know what follows.
  if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
  if (sizeof out - outLeft != sizeof(wchar_t) || static_cast<uint32_t>(out[0]) > 0xFFFF) {
    return false;
  }
  *character = static_cast<uint16_t>(out[0]);
  return true;
}

// The bytes glibc writes for `character`, kNoBytes when none.
uint16_t Encode(iconv_t cd, uint16_t character) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  wchar_t in[1] = {static_cast<wchar_t>(character)};
  char* inPtr = reinterpret_cast<char*>(in);
  size_t inLeft = sizeof in;
  uint8_t out[8];
  char* outPtr = reinterpret_cast<char*>(out);
  size_t outLeft = sizeof out;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return kNoBytes;
  const size_t size = sizeof out - outLeft;
  return size == 1 ? out[0] : size == 2 ? static_cast<uint16_t>(out[0] << 8 | out[1]) : kNoBytes;
}

std::unique_ptr<CodePage> Build(const PageShape& shape) {
  const std::string name = "CP" + std::to_string(shape.number);
  const iconv_t toWide = iconv_open("WCHAR_T", name.c_str());
  const iconv_t toNarrow = iconv_open(name.c_str(), "WCHAR_T");
  const auto failed = reinterpret_cast<iconv_t>(-1);
  if (toWide == failed || toNarrow == failed) {
    if (toWide != failed) iconv_close(toWide);
    if (toNarrow != failed) iconv_close(toNarrow);
    return nullptr;
  }
  auto page = std::make_unique<CodePage>();
  CodePage& p = *page;
  p.broken = shape.broken;
  bool doubleByte = false;
  for (const auto& range : shape.leads) {
    for (int b = range[0]; range[0] != 0 && b <= range[1]; ++b) p.lead[b] = doubleByte = true;
  }
  for (int b = 0; b < 256; ++b) {
    if (p.lead[b]) continue;
    const uint8_t byte = static_cast<uint8_t>(b);
    uint16_t c = 0;
    p.defined[b] = Decode(toWide, &byte, 1, &c) || (b >= 0x80 && b <= 0x9F);
    p.single[b] = p.defined[b] && c != 0 ? c : static_cast<wchar_t>(b);
  }
  for (const ByteRun& run : kByteRuns) {
    if (run.page != shape.number) continue;
    for (int b = run.first; b <= run.last; ++b) {
      p.single[b] = static_cast<wchar_t>(run.firstChar + (b - run.first));
      p.defined[b] = run.defined;
    }
  }
  if (doubleByte) {
    p.pairs.assign(128 * 256, 0);
    for (int lead = 0x80; lead < 256; ++lead) {
      if (!p.lead[lead]) continue;
      for (int trail = 0; trail < 256; ++trail) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)};
        uint16_t c = 0;
        if (Decode(toWide, bytes, 2, &c)) p.pairs[(lead - 0x80) * 256 + trail] = c;
      }
    }
    for (const PrivateArea& area : kPrivateAreas) {
      if (area.page != shape.number) continue;
      uint16_t next = area.firstChar;
      for (int lead = area.leadFirst; lead <= area.leadLast; ++lead) {
        for (const auto& trails : area.trails) {
          for (int trail = trails[0]; trails[0] != 0 && trail <= trails[1]; ++trail) {
            p.pairs[(lead - 0x80) * 256 + trail] = next++;
          }
        }
      }
    }
  }

  // Back from characters: where two byte sequences stand for one character,
  // the one glibc writes, unless Windows is known to write the other.
  p.narrow.assign(0x10000, kNoBytes);
  const auto take = [&](uint16_t c, uint16_t bytes) {
    uint16_t& kept = p.narrow[c];
    if (kept == kNoBytes || Encode(toNarrow, c) == bytes) kept = bytes;
  };
  for (int b = 0; b < 256; ++b) {
    if (!p.lead[b]) take(static_cast<uint16_t>(p.single[b]), static_cast<uint16_t>(b));
  }
  for (size_t i = 0; i < p.pairs.size(); ++i) {
    if (p.pairs[i] != 0) take(p.pairs[i], static_cast<uint16_t>(0x8000 + i));
  }
  for (const Preferred& preferred : kPreferred) {
    if (preferred.page == shape.number) p.narrow[preferred.character] = preferred.bytes;
  }
  iconv_close(toWide);
  iconv_close(toNarrow);
  return page;
}

// The tables of `number`, built on first use; nullptr when the host cannot
// convert with it.
const CodePage* Tables(unsigned number) {
  static std::map<unsigned, std::unique_ptr<CodePage>> built;
  const auto found = built.find(number);
  if (found != built.end()) return found->second.get();
  for (const PageShape& shape : kPages) {
    if (shape.number == number) return (built[number] = Build(shape)).get();
  }
  return nullptr;
}

const CodePage& InUse() {
  const CodePage* page = Tables(host::State().codePage);
  if (page == nullptr) page = Tables(1252);
  if (page == nullptr) {
    // No iconv module at all: bytes stand for the characters of their value.
    static const CodePage latin = [] {
      CodePage p;
      for (int b = 0; b < 256; ++b) {
        p.single[b] = static_cast<wchar_t>(b);
        p.defined[b] = true;
      }
      p.narrow.assign(0x10000, kNoBytes);
      for (int b = 0; b < 256; ++b) p.narrow[b] = static_cast<uint16_t>(b);
      return p;
    }();
    page = &latin;
  }
  return *page;
}

std::string Convert(const char* to, const char* from, const char* data, size_t bytes) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(bytes * 4 + 4, '\0');
  char* in = const_cast<char*>(data);
  size_t inLeft = bytes;
  char* outPtr = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0 && iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
    ++in;  // skip what cannot be converted
    --inLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

int NarrowToWide(const char* src, int srcBytes, wchar_t* dst, int dstChars) {
  const CodePage& page = InUse();
  const bool marked = host::State().codePageChosen;
  const auto* bytes = reinterpret_cast<const uint8_t*>(src);
  int count = 0;
  for (int i = 0; srcBytes < 0 || i < srcBytes;) {
    if (count == dstChars) return 0;
    const uint8_t byte = bytes[i];
    int used = 1;
    wchar_t c;
    if (!page.lead[byte]) {
      c = marked && !page.defined[byte] ? kReplacement : page.single[byte];
    } else {
      // With a length of -1 the next byte is there: at worst the terminator.
      const bool next = srcBytes < 0 || i + 1 < srcBytes;
      const uint16_t pair = next ? page.pairs[(byte - 0x80) * 256 + bytes[i + 1]] : 0;
      if (pair != 0) {
        c = pair;
        used = 2;
      } else if (marked) {
        c = kReplacement;
      } else {
        // Windows takes the trail byte with the broken character, unless it
        // is a terminator.
        c = page.broken;
        if (next && bytes[i + 1] != 0) used = 2;
      }
    }
    dst[count++] = c;
    if (srcBytes < 0 && byte == 0) break;
    i += used;
  }
  return count;
}

int WideToNarrow(const wchar_t* src, char* dst, int dstBytes) {
  const CodePage& page = InUse();
  int count = 0;
  for (int i = 0;; ++i) {
    const auto c = static_cast<uint32_t>(src[i]);
    uint16_t bytes = c <= 0xFFFF ? page.narrow[c] : kNoBytes;
    if (bytes == kNoBytes) bytes = '?';
    const int size = bytes > 0xFF ? 2 : 1;
    if (count + size > dstBytes) return 0;
    if (size == 2) dst[count++] = static_cast<char>(bytes >> 8);
    dst[count++] = static_cast<char>(bytes & 0xFF);
    if (c == 0) return count;
  }
}

unsigned UseCodePage(unsigned codePage) {
  if (codePage == 0) codePage = 1252;  // what plays the system's code page here
  if (Tables(codePage) == nullptr) return 0;
  host::State().codePage = codePage;
  host::State().codePageChosen = true;
  return codePage;
}

void RaiseLetters(std::wstring& text) {
  // Windows' capitals, not the C library's: those raise µ, ı, ſ and ς to
  // letters the code page may lack, and characters beyond the BMP.
  for (wchar_t& c : text) {
    if (static_cast<uint32_t>(c) <= 0xFFFF) c = CapitalOf(static_cast<uint16_t>(c));
  }
}

namespace host {

bool SetSystemCodePage(unsigned codePage) {
  if (Tables(codePage) == nullptr) return false;
  State().codePage = codePage;
  State().codePageChosen = false;
  return true;
}

std::wstring Widen(const std::string& utf8) {
  const std::string wide = Convert("WCHAR_T", "UTF-8", utf8.data(), utf8.size());
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t));
}

std::string Narrow(const std::wstring& wide) {
  return Convert("UTF-8", "WCHAR_T", reinterpret_cast<const char*>(wide.data()),
                 wide.size() * sizeof(wchar_t));
}

}  // namespace host
}  // namespace platform
