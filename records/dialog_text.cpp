#include "records/dialog_text.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "records/records_state.h"

namespace {
// Texts are shown through a working buffer of 200 wide characters.
constexpr size_t kShownChars = 200;
}  // namespace

std::wstring WideFromField(const uint8_t* field, size_t fieldSize) {
  const auto* text = reinterpret_cast<const char*>(field);
  const void* end = std::memchr(text, 0, fieldSize);
  const size_t length =
      std::min(end == nullptr ? fieldSize : static_cast<const char*>(end) - text, kShownChars - 1);
  wchar_t wide[kShownChars];
  const int n = length == 0 ? 0
                            : platform::NarrowToWide(text, static_cast<int>(length), wide,
                                                     static_cast<int>(kShownChars));
  return std::wstring(wide, static_cast<size_t>(n));
}

std::wstring WideFromText(const char* text, size_t bufferSize) {
  return WideFromField(reinterpret_cast<const uint8_t*>(text), bufferSize);
}

bool ControlToNarrow(platform::WindowRef dialog, int id, int maxChars, char* out, int roomBytes) {
  std::vector<wchar_t> wide(static_cast<size_t>(maxChars) + 1);
  const int chars = platform::GetControlText(dialog, id, wide.data(), maxChars + 1);
  // Two bytes a character allow for a double-byte code page.
  return platform::WideToNarrow(wide.data(), out, std::min(2 * (chars + 1), roomBytes)) > 0;
}

std::wstring WideThroughScratch(const std::string& printed) {
  std::strncpy(ScratchText, printed.c_str(), sizeof ScratchText - 1);
  return WideFromText(ScratchText, sizeof ScratchText);
}

bool EndOnCancelOrClose(platform::WindowRef dialog, unsigned message, uintptr_t wparam) {
  if (message == platform::kMsgClose ||
      (message == platform::kMsgCommand && CommandId(wparam) == platform::kIdCancel)) {
    platform::EndDialog(dialog, 0);
    return true;
  }
  return false;
}
