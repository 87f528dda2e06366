#include "platform/number_text.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace platform {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string FormatCount(int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%" PRId32, value);
  return text;
}

std::string FormatItemNumber(int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%" PRId64, value);
  return text;
}

std::string FormatPrice(double value) {
  // The largest single-precision float needs 39 digits before the point.
  char text[400];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

int64_t ParseInt64(const char* text) {
  const char* p = text;
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // Accumulate the magnitude as unsigned so that INT64_MIN is reachable.
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  uint64_t magnitude = 0;
  for (; IsDigit(*p); ++p) {
    const unsigned digit = static_cast<unsigned>(*p - '0');
    if (magnitude > (limit - digit) / 10) {
      magnitude = limit;
      break;
    }
    magnitude = magnitude * 10 + digit;
  }
  if (!negative) return static_cast<int64_t>(magnitude);
  return magnitude == (uint64_t{1} << 63) ? std::numeric_limits<int64_t>::min()
                                          : -static_cast<int64_t>(magnitude);
}

double ParseDouble(const char* text) {
  const char* p = text;
  while (IsBlank(*p)) ++p;
  const char* start = p;
  if (*p == '+' || *p == '-') ++p;
  const char* mantissa = p;
  while (IsDigit(*p)) ++p;
  bool digits = p != mantissa;
  if (*p == '.') {
    ++p;
    const char* fraction = p;
    while (IsDigit(*p)) ++p;
    digits = digits || p != fraction;
  }
  if (!digits) return 0.0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      while (IsDigit(*q)) ++q;
      p = q;
    }
  }
  // Only the decimal number just matched reaches strtod, so its own extras
  // (hexadecimal, infinity and NaN names, locale) never apply.
  const std::string number(start, p);
  return std::strtod(number.c_str(), nullptr);
}

}  // namespace platform
