// Number formatting and parsing with the exact results the program shows and
// accepts, the same on every platform (no locale, no C runtime differences).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// "%d"
std::string FormatCount(int32_t value);
// "%I64d"
std::string FormatItemNumber(int64_t value);
// "%.2f"
std::string FormatPrice(double value);

// A signed 64-bit decimal: leading blanks, one optional sign, digits up to
// the first non-digit; 0 when there are no digits. Values beyond the signed
// 64-bit range saturate at its nearest end.
int64_t ParseInt64(const char* text);
// A decimal floating-point number: leading blanks, optional sign, digits with
// an optional point and fraction, an optional exponent; 0 when the text does
// not begin with a number. Names such as "inf" and "nan" are not numbers;
// a value too large for a double gives an infinity.
double ParseDouble(const char* text);

}  // namespace platform
