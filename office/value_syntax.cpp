#include "office/value_syntax.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits from `at` on; returns where they end.
size_t SkipDigits(std::string_view text, size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

// The digits of `text` (a sign allowed) once leading zeros are dropped, or
// false when `text` holds anything but digits.
bool WholeDigits(std::string_view text, std::string_view* digits) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || SkipDigits(text, 0) != text.size()) return false;
  while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
  *digits = text;
  return true;
}

}  // namespace

bool IsDecimalText(std::string_view text, char point, bool exponent) {
  size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  const size_t whole = SkipDigits(text, at);
  bool digits = whole > at;
  at = whole;
  if (at < text.size() && text[at] == point) {
    const size_t fraction = SkipDigits(text, at + 1);
    digits = digits || fraction > at + 1;
    at = fraction;
  }
  if (!digits) return false;
  if (exponent && at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    size_t e = at + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
    const size_t end = SkipDigits(text, e);
    if (end == e) return false;
    at = end;
  }
  return at == text.size();
}

namespace {

bool SameLetters(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
    if (c != lower[i]) return false;
  }
  return true;
}

}  // namespace

bool TakeItemNumber(std::string_view text, int64_t* number, std::string* why) {
  static const std::string kNoNumber = "not an item number of 1 or more";
  static const std::string kLargest = "9223372036854775807";
  if (text.size() > kLongestNumberText) {
    *why = "longer than any item number";
    return false;
  }
  const std::string_view trimmed = Trimmed(text);
  std::string_view digits;
  if (!WholeDigits(trimmed, &digits)) {
    *why = IsDecimalText(trimmed, '.', /*exponent=*/true) &&
                   trimmed.find_first_of("eE") != std::string_view::npos
               ? "an item number in E notation, as a spreadsheet writes a long number: "
                 "open the number column as Text"
               : kNoNumber;
    return false;
  }
  if (digits.size() > kLargest.size() || (digits.size() == kLargest.size() && digits > kLargest)) {
    *why = "beyond " + kLargest + ", the largest item number";
    return false;
  }
  int64_t value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  if (value < 1) {
    *why = kNoNumber;
    return false;
  }
  *number = value;
  return true;
}

bool TakeUnsigned(std::string_view text, uint32_t* value) {
  std::string_view digits;
  if (text.size() > kLongestNumberText || !WholeDigits(Trimmed(text), &digits) ||
      digits.size() > 10) {
    return false;
  }
  uint64_t v = 0;
  for (char c : digits) v = v * 10 + static_cast<uint64_t>(c - '0');
  if (v >= 0xFFFFFFFFull) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

bool IsWholeNumberText(std::string_view text) {
  std::string_view digits;
  return text.size() <= kLongestNumberText && WholeDigits(Trimmed(text), &digits);
}

bool TakeStoredNumber(std::string_view text, int64_t* number) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 19 || SkipDigits(text, 0) != text.size()) return false;
  uint64_t magnitude = 0;
  for (char c : text) magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  if (magnitude > limit) return false;
  *number = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

std::string PriceSyntax(std::string_view text) {
  if (text.size() > kLongestNumberText) return "longer than any price";
  std::string_view t = Trimmed(text);
  if (IsDecimalText(t, '.', /*exponent=*/true)) return "";
  std::string_view unsigned_ = t;
  if (!unsigned_.empty() && (unsigned_.front() == '+' || unsigned_.front() == '-')) {
    unsigned_.remove_prefix(1);
  }
  if (SameLetters(unsigned_, "inf") || SameLetters(unsigned_, "infinity")) {
    return "an infinity is no price";
  }
  if (SameLetters(unsigned_, "nan")) return "NaN (not a number) is no price";
  if (IsDecimalText(t, ',', /*exponent=*/false) && t.find(',') != std::string_view::npos) {
    return "a decimal comma: write the price with a point";
  }
  return "not a number";
}

std::string_view Trimmed(std::string_view text, std::string_view blanks) {
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
