// libFuzzer target: arbitrary bytes as the back-office window's settings
// file, read from a file as the window reads it and parsed over settings
// that hold values already. Whatever the bytes:
//   - each value kept is UTF-8 without a control character, and the code
//     page is one the back office takes, or none;
//   - each other shop's folder and its sheets' folder are both there, and
//     no more shops are kept than the window keeps;
//   - the settings written out and read back are the same settings;
// and the sanitizers report nothing.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "desk/desk_settings.h"
#include "office/fields.h"
#include "platform/utf8.h"

namespace {

bool IsClean(const std::string& value) {
  std::wstring wide;
  return WideFromUtf8(value, &wide) && !HoldsCharacter(wide, IsControlCharacter);
}

bool IsTaken(const std::string& page) {
  if (page.empty()) return true;
  for (unsigned p : kCodePages) {
    if (page == std::to_string(p)) return true;
  }
  return false;
}

bool Same(const DeskSettings& a, const DeskSettings& b) {
  return a.folder == b.folder && a.card == b.card && a.codePage == b.codePage &&
         a.sheets == b.sheets && a.otherShops == b.otherShops;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    char folder[] = "/tmp/fuzz_desk.XXXXXX";
    if (::mkdtemp(folder) == nullptr) std::abort();
    return std::string(folder) + "/filmdesk.ini";
  }();
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  DeskSettings settings{"C:\\Shop", "", "1252", "", {}};
  LoadDeskSettings(std::wstring(path.begin(), path.end()), &settings);
  for (const std::string* value :
       {&settings.folder, &settings.card, &settings.codePage, &settings.sheets}) {
    if (!IsClean(*value)) __builtin_trap();
  }
  for (const auto& [shop, sheets] : settings.otherShops) {
    if (!IsClean(shop) || !IsClean(sheets) || shop.empty() || sheets.empty()) __builtin_trap();
  }
  if (settings.otherShops.size() > kKeptShops) __builtin_trap();
  if (!IsTaken(settings.codePage)) __builtin_trap();
  DeskSettings again;
  ParseDeskSettings(FormatDeskSettings(settings), &again);
  if (!Same(settings, again)) __builtin_trap();
  return 0;
}
