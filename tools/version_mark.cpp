#include "tools/version_mark.h"

#include "tools/digest.h"

namespace {

constexpr char kPrefix[] = "v1";
constexpr size_t kPrefixSize = sizeof kPrefix - 1;
constexpr size_t kHexDigits = 16 + 8 + 8 * kFieldCount;

constexpr uint8_t kNumberDomain = 0x40;
constexpr uint8_t kRowDomain = 0x80;

void PutHex(uint64_t value, int digits, std::string* out) {
  static const char kHex[] = "0123456789abcdef";
  for (int i = digits - 1; i >= 0; --i) out->push_back(kHex[(value >> (4 * i)) & 0xF]);
}

bool TakeHex(std::string_view text, size_t at, int digits, uint64_t* value) {
  uint64_t v = 0;
  for (int i = 0; i < digits; ++i) {
    const char c = text[at + static_cast<size_t>(i)];
    const int d = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
    if (d < 0) return false;
    v = v << 4 | static_cast<uint64_t>(d);
  }
  *value = v;
  return true;
}

}  // namespace

uint32_t NumberDigest(std::string_view printed) {
  return static_cast<uint32_t>(Digest(kNumberDomain, printed.data(), printed.size()));
}

uint32_t FieldDigest(Field field, std::string_view printed) {
  return static_cast<uint32_t>(
      Digest(static_cast<uint8_t>(field), printed.data(), printed.size()));
}

uint64_t RowDigest(uint32_t number, const std::array<uint32_t, kFieldCount>& fields) {
  uint8_t bytes[4 * (1 + kFieldCount)];
  const auto put = [&bytes](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
  };
  put(0, number);
  for (size_t i = 0; i < kFieldCount; ++i) put(4 * (i + 1), fields[i]);
  return Digest(kRowDomain, bytes, sizeof bytes);
}

VersionMark MakeVersionMark(std::string_view number,
                            const std::array<std::string, kFieldCount>& fields) {
  VersionMark mark;
  mark.number = NumberDigest(number);
  for (Field f : kAllFields) mark.fields[Index(f)] = FieldDigest(f, fields[Index(f)]);
  mark.row = RowDigest(mark.number, mark.fields);
  return mark;
}

std::string EncodeVersionMark(const VersionMark& mark) {
  std::string text = kPrefix;
  text.reserve(kPrefixSize + kHexDigits);
  PutHex(mark.row, 16, &text);
  PutHex(mark.number, 8, &text);
  for (uint32_t f : mark.fields) PutHex(f, 8, &text);
  return text;
}

bool DecodeVersionMark(std::string_view text, VersionMark* mark) {
  if (text.size() != kPrefixSize + kHexDigits ||
      (text[0] != 'v' && text[0] != 'V') || text[1] != '1') {
    return false;
  }
  VersionMark read;
  uint64_t value = 0;
  size_t at = kPrefixSize;
  if (!TakeHex(text, at, 16, &read.row)) return false;
  at += 16;
  if (!TakeHex(text, at, 8, &value)) return false;
  read.number = static_cast<uint32_t>(value);
  at += 8;
  for (uint32_t& f : read.fields) {
    if (!TakeHex(text, at, 8, &value)) return false;
    f = static_cast<uint32_t>(value);
    at += 8;
  }
  *mark = read;
  return true;
}
