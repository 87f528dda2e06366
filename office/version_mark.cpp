#include "office/version_mark.h"

#include <algorithm>

#include "office/digest.h"

namespace {

constexpr size_t kPrefixSize = 2;
// The digests, and after them in "v2" the check.
constexpr size_t kDigestDigits = 16 + 8 + 8 * kFieldCount;
constexpr size_t kCheckDigits = 8;

constexpr uint8_t kNumberDomain = 0x40;
constexpr uint8_t kRowDomain = 0x80;
constexpr uint8_t kCheckDomain = 0xC0;

// The check of a mark's digests: over their bytes, little-endian, so that it
// comes out the same on every machine and in either case of the digits.
uint32_t MarkCheck(const VersionMark& mark) {
  uint8_t bytes[8 + 4 + 4 * kFieldCount];
  size_t at = 0;
  for (int i = 0; i < 8; ++i) bytes[at++] = static_cast<uint8_t>(mark.row >> (8 * i));
  const auto put32 = [&](uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at++] = static_cast<uint8_t>(value >> (8 * i));
  };
  put32(mark.number);
  for (uint32_t f : mark.fields) put32(f);
  return static_cast<uint32_t>(Digest(kCheckDomain, bytes, sizeof bytes));
}

// Writes `value` as `digits` hex digits at `out`; returns the end.
char* PutHex(uint64_t value, int digits, char* out) {
  static const char kHex[] = "0123456789abcdef";
  for (int i = digits - 1; i >= 0; --i) *out++ = kHex[(value >> (4 * i)) & 0xF];
  return out;
}

bool TakeHex(std::string_view text, size_t at, int digits, uint64_t* value) {
  // Each byte's value as a hex digit, 16 for none.
  static const auto kValues = [] {
    std::array<uint8_t, 256> v{};
    v.fill(16);
    for (int d = 0; d < 10; ++d) v['0' + d] = static_cast<uint8_t>(d);
    for (int d = 0; d < 6; ++d) v['a' + d] = v['A' + d] = static_cast<uint8_t>(10 + d);
    return v;
  }();
  uint64_t v = 0;
  unsigned bad = 0;
  for (int i = 0; i < digits; ++i) {
    const uint8_t d = kValues[static_cast<uint8_t>(text[at + static_cast<size_t>(i)])];
    bad |= d & 16u;
    v = v << 4 | (d & 15u);
  }
  *value = v;
  return bad == 0;
}

}  // namespace

uint32_t NumberDigest(std::string_view printed) {
  return static_cast<uint32_t>(Digest(kNumberDomain, printed.data(), printed.size()));
}

uint32_t FieldDigest(Field field, std::string_view printed) {
  return static_cast<uint32_t>(Digest(static_cast<uint8_t>(field), printed.data(), printed.size()));
}

uint64_t RowDigest(const PrintedRow& row) {
  // Each value with its length in front, so that no two rows run together
  // alike.
  char bytes[1024];
  std::string spill;
  size_t size = 0;
  for (std::string_view value : row) size += 4 + value.size();
  char* out = bytes;
  if (size > sizeof bytes) {
    spill.resize(size);
    out = spill.data();
  }
  char* at = out;
  for (std::string_view value : row) {
    const auto length = static_cast<uint32_t>(value.size());
    for (int i = 0; i < 4; ++i) *at++ = static_cast<char>(length >> (8 * i));
    at = std::copy(value.begin(), value.end(), at);
  }
  return Digest(kRowDomain, out, size);
}

VersionMark MakeVersionMark(const PrintedRow& row) {
  VersionMark mark;
  mark.number = NumberDigest(row[0]);
  for (Field f : kAllFields) mark.fields[Index(f)] = FieldDigest(f, row[1 + Index(f)]);
  mark.row = RowDigest(row);
  return mark;
}

std::string EncodeVersionMark(const VersionMark& mark) {
  char text[kPrefixSize + kDigestDigits + kCheckDigits] = {'v', '2'};
  char* at = text + kPrefixSize;
  at = PutHex(mark.row, 16, at);
  at = PutHex(mark.number, 8, at);
  for (uint32_t f : mark.fields) at = PutHex(f, 8, at);
  PutHex(MarkCheck(mark), 8, at);
  return std::string(text, sizeof text);
}

MarkText DecodeVersionMark(std::string_view text, VersionMark* mark) {
  const bool v1 = text.size() == kPrefixSize + kDigestDigits && text[1] == '1';
  const bool v2 = text.size() == kPrefixSize + kDigestDigits + kCheckDigits && text[1] == '2';
  if (!(v1 || v2) || (text[0] != 'v' && text[0] != 'V')) return MarkText::kDamaged;
  VersionMark read;
  uint64_t value = 0;
  size_t at = kPrefixSize;
  if (!TakeHex(text, at, 16, &read.row)) return MarkText::kDamaged;
  at += 16;
  if (!TakeHex(text, at, 8, &value)) return MarkText::kDamaged;
  read.number = static_cast<uint32_t>(value);
  at += 8;
  for (uint32_t& f : read.fields) {
    if (!TakeHex(text, at, 8, &value)) return MarkText::kDamaged;
    f = static_cast<uint32_t>(value);
    at += 8;
  }
  if (v2 && (!TakeHex(text, at, 8, &value) || value != MarkCheck(read))) return MarkText::kDamaged;
  *mark = read;
  return v2 ? MarkText::kWhole : MarkText::kUnchecked;
}
