#include "platform/field_text.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/platform.h"

namespace platform {
namespace {
// Texts are shown through a working buffer of 200 wide characters.
constexpr size_t kShownChars = 200;
}  // namespace

size_t FieldTextLength(const uint8_t* field, size_t size) {
  const void* end = std::memchr(field, 0, size);
  return end == nullptr ? size : static_cast<size_t>(static_cast<const uint8_t*>(end) - field);
}

std::wstring WideFromField(const uint8_t* field, size_t fieldSize) {
  const auto* text = reinterpret_cast<const char*>(field);
  const size_t length = FieldTextLength(field, fieldSize);
  if (length == 0) return {};
  // No byte makes more than one wide character. The whole text is converted
  // and then cut between characters, never between the two bytes of one.
  std::wstring wide(length, L'\0');
  const int n = NarrowToWide(text, static_cast<int>(length), wide.data(), static_cast<int>(length));
  size_t shown = std::min(static_cast<size_t>(n), kShownChars - 1);
  // Nor between the two halves of a surrogate pair.
  if (shown < static_cast<size_t>(n) && shown > 0 && wide[shown - 1] >= 0xD800 &&
      wide[shown - 1] <= 0xDBFF) {
    --shown;
  }
  wide.resize(shown);
  return wide;
}

bool NarrowInto(const std::wstring& text, char* out, int roomBytes) {
  // Two bytes a character allow for a double-byte code page. A conversion
  // that runs out of room may have written part of the text: it goes to a
  // buffer of its own first.
  const int chars = static_cast<int>(text.size());
  const int limit = std::min(2 * (chars + 1), roomBytes);
  if (limit <= 0) return false;
  std::vector<char> converted(static_cast<size_t>(limit));
  const int bytes = WideToNarrow(text.c_str(), converted.data(), limit);
  if (bytes <= 0) return false;
  std::memcpy(out, converted.data(), static_cast<size_t>(bytes));
  return true;
}

}  // namespace platform
