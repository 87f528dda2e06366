// Windows-1252 plays the system code page on the host. The byte-to-character
// table is filled once through glibc's iconv; the five bytes that code page
// leaves undefined map to the control characters of the same value, as
// Windows maps them.
#include <iconv.h>
#include <wctype.h>

#include <array>
#include <string>
#include <unordered_map>

#include "platform/host/host_control.h"
#include "platform/platform.h"

namespace platform {
namespace {

struct CodePage {
  std::array<wchar_t, 256> toWide{};
  std::unordered_map<wchar_t, char> toNarrow;
};

const CodePage& SystemCodePage() {
  static const CodePage page = [] {
    CodePage p;
    iconv_t cd = iconv_open("WCHAR_T", "CP1252");
    for (int b = 0; b < 256; ++b) {
      char in = static_cast<char>(b);
      wchar_t out = static_cast<wchar_t>(b);
      char* inPtr = &in;
      size_t inLeft = 1;
      char* outPtr = reinterpret_cast<char*>(&out);
      size_t outLeft = sizeof out;
      if (cd != reinterpret_cast<iconv_t>(-1) &&
          iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        out = static_cast<wchar_t>(b);
      }
      p.toWide[b] = out;
      p.toNarrow.emplace(out, static_cast<char>(b));
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    return p;
  }();
  return page;
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
  const CodePage& page = SystemCodePage();
  int count = 0;
  for (int i = 0; srcBytes < 0 || i < srcBytes; ++i) {
    if (count == dstChars) return 0;
    const auto byte = static_cast<unsigned char>(src[i]);
    dst[count++] = page.toWide[byte];
    if (srcBytes < 0 && byte == 0) break;
  }
  return count;
}

int WideToNarrow(const wchar_t* src, char* dst, int dstBytes) {
  const CodePage& page = SystemCodePage();
  for (int i = 0;; ++i) {
    if (i == dstBytes) return 0;
    const auto found = page.toNarrow.find(src[i]);
    dst[i] = found == page.toNarrow.end() ? '?' : found->second;
    if (src[i] == L'\0') return i + 1;
  }
}

void RaiseLetters(std::wstring& text) {
  // The capitals of the whole of Unicode, whatever the process's locale.
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  for (wchar_t& c : text) {
    c = static_cast<wchar_t>(unicode != locale_t{} ? towupper_l(static_cast<wint_t>(c), unicode)
                                                   : towupper(static_cast<wint_t>(c)));
  }
}

namespace host {

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
