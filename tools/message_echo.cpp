#include "tools/message_echo.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// UTF-8 of wide text (UTF-16 or UTF-32, as wchar_t is wide); what is no
// character (a lone surrogate) is left out.
std::string Utf8(const std::wstring& wide) {
  std::string out;
  for (size_t i = 0; i < wide.size(); ++i) {
    uint32_t c = static_cast<uint32_t>(wide[i]);
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size()) {
      const uint32_t low = static_cast<uint32_t>(wide[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) continue;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

class Echo : public platform::UiWrapper {
 public:
  Echo() : UiWrapper(platform::DefaultUi()) {}
  int ShowMessageBox(platform::WindowRef, const std::wstring& text, const std::wstring& caption,
                     unsigned) override {
    std::fprintf(stderr, "%s: %s\n", Utf8(caption).c_str(), Utf8(text).c_str());
    return platform::kIdOk;
  }
};

}  // namespace

platform::Ui& MessageEcho() {
  static Echo echo;
  return echo;
}
