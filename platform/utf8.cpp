#include "platform/utf8.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr bool kUtf16 = sizeof(wchar_t) == 2;

bool IsSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendWide(uint32_t c, std::wstring* wide) {
  if (kUtf16 && c > 0xFFFF) {
    c -= 0x10000;
    wide->push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
    wide->push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
  } else {
    wide->push_back(static_cast<wchar_t>(c));
  }
}

void AppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | c >> 6));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | c >> 12));
    out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | c >> 18));
    out->push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The length of the well-formed UTF-8 sequence at `text[i]`, 0 when there
// is none there.
size_t SequenceLength(std::string_view text, size_t i, uint32_t* code) {
  const auto lead = static_cast<uint8_t>(text[i]);
  const size_t length = lead < 0x80             ? 1
                        : (lead & 0xE0) == 0xC0 ? 2
                        : (lead & 0xF0) == 0xE0 ? 3
                        : (lead & 0xF8) == 0xF0 ? 4
                                                : 0;
  if (length == 0 || i + length > text.size()) return 0;
  uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<uint8_t>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = c << 6 | (next & 0x3F);
  }
  static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || IsSurrogate(c)) return 0;
  *code = c;
  return length;
}

}  // namespace

bool WideFromUtf8(const std::string& utf8, std::wstring* wide) {
  if (!IsUtf8(utf8)) {
    wide->clear();
    return false;
  }
  *wide = Wide(utf8);
  return true;
}

std::wstring Wide(const std::string& utf8) {
  std::wstring wide;
  for (size_t i = 0; i < utf8.size();) {
    uint32_t c = 0xFFFD;
    const size_t length = SequenceLength(utf8, i, &c);
    AppendWide(c, &wide);
    i += length == 0 ? 1 : length;
  }
  return wide;
}

bool IsUtf8(std::string_view text) {
  size_t i = 0;
  // Runs of ASCII eight bytes at a time: most of a sheet.
  while (i < text.size()) {
    uint64_t eight = 0;
    if (i + 8 <= text.size()) {
      std::memcpy(&eight, text.data() + i, 8);
      if ((eight & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    }
    uint32_t c = 0;
    const size_t length = SequenceLength(text, i, &c);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

bool IsInvisibleCharacter(uint32_t c) {
  // Unicode's blanks beyond ASCII's space and its characters that show no
  // mark of their own (byte order mark, zero-width space and joiners,
  // direction marks, soft hyphen, fillers, tags).
  static const uint32_t kRanges[][2] = {
      {0x00A0, 0x00A0}, {0x00AD, 0x00AD},   {0x034F, 0x034F},   {0x061C, 0x061C},
      {0x115F, 0x1160}, {0x1680, 0x1680},   {0x17B4, 0x17B5},   {0x180B, 0x180F},
      {0x2000, 0x200F}, {0x2028, 0x202F},   {0x205F, 0x206F},   {0x3000, 0x3000},
      {0x3164, 0x3164}, {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0},
      {0xFFF0, 0xFFFB}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF}};
  for (const auto& range : kRanges) {
    if (c >= range[0] && c <= range[1]) return true;
  }
  return false;
}

namespace {

// `text` escaped as Printable says, its first `most` characters.
std::string Escaped(std::string_view text, size_t most) {
  std::string out;
  size_t shown = 0;
  size_t i = 0;
  while (i < text.size() && shown < most) {
    uint32_t c = 0;
    const size_t length = SequenceLength(text, i, &c);
    if (length == 0 || IsControlCharacter(c)) {
      // A byte at a time: what is no character, or a control one.
      const size_t bytes = length == 0 ? 1 : length;
      for (size_t k = 0; k < bytes; ++k) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X",
                      static_cast<unsigned>(static_cast<uint8_t>(text[i + k])));
        out += hex;
      }
      i += bytes;
    } else if (IsInvisibleCharacter(c)) {
      char code[16];
      std::snprintf(code, sizeof code, c > 0xFFFF ? "\\U%08X" : "\\u%04X",
                    static_cast<unsigned>(c));
      out += code;
      i += length;
    } else {
      out.append(text.data() + i, length);
      i += length;
    }
    ++shown;
  }
  if (i < text.size()) out += "... (" + std::to_string(text.size() - i) + " more bytes)";
  return out;
}

}  // namespace

std::string Printable(std::string_view text) { return Escaped(text, 60); }

std::string PrintableWhole(std::string_view text) { return Escaped(text, text.size()); }

uint32_t CharacterAt(const std::wstring& wide, size_t i, size_t* length) {
  auto c = static_cast<uint32_t>(wide[i]);
  if (kUtf16) c &= 0xFFFF;
  *length = 1;
  if (kUtf16 && c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() &&
      (static_cast<uint32_t>(wide[i + 1]) & 0xFC00) == 0xDC00) {
    *length = 2;
    c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(wide[i + 1]) & 0x3FF);
  }
  return c;
}

bool HoldsCharacter(const std::wstring& wide, bool (*is)(uint32_t)) {
  for (size_t i = 0; i < wide.size();) {
    size_t length = 1;
    if (is(CharacterAt(wide, i, &length))) return true;
    i += length;
  }
  return false;
}

std::string Utf8FromWide(const std::wstring& wide) {
  std::string out;
  for (size_t i = 0; i < wide.size();) {
    size_t length = 1;
    uint32_t c = CharacterAt(wide, i, &length);
    if (IsSurrogate(c) || c > 0x10FFFF) c = 0xFFFD;
    AppendUtf8(c, &out);
    i += length;
  }
  return out;
}
