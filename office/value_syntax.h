// How the back office reads numbers from the command line and from a
// sheet: by hand, in one pass over the text, so that no value's length can
// cost more than a bounded amount of time and stack. Each reader says what
// the text is instead when it is not what was asked for, in words a shop
// owner can act on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The blanks a value may have around it: spaces and tabs.
constexpr std::string_view kBlanks = " \t";
// `text` without the `blanks` at its ends.
std::string_view Trimmed(std::string_view text, std::string_view blanks = kBlanks);

// The longest number text taken: no item number, count or price needs more.
constexpr size_t kLongestNumberText = 64;

// `text` as a whole item number of 1 or more (blanks around it, one '+',
// leading zeros); false, with `*why` saying what it is instead.
bool TakeItemNumber(std::string_view text, int64_t* number, std::string* why);

// `text` as a whole unsigned decimal as the dialog's number fields read one
// (blanks around it, one '+', leading zeros; 0 to 4294967294, since the
// dialog reads 4294967295 and beyond as 0). False for anything else.
bool TakeUnsigned(std::string_view text, uint32_t* value);
// Whether `text` is a whole number of 0 or more as TakeUnsigned reads one,
// of any size: what TakeUnsigned refuses of it is beyond what it takes.
bool IsWholeNumberText(std::string_view text);

// `text` as a whole signed 64-bit number, as export prints a slot's stored
// number (-1 for a deleted slot): an optional '-' and digits, nothing else.
bool TakeStoredNumber(std::string_view text, int64_t* number);

// Whether `text` is a decimal number: a sign, digits with an optional
// `point` and fraction (or a point and a fraction), with `exponent` an
// optional exponent; nothing around it.
bool IsDecimalText(std::string_view text, char point = '.', bool exponent = true);

// Whether `text` is a decimal number the price fields read whole: blanks
// around it, a sign, digits with a point, an exponent. "" when it is;
// otherwise what it is instead (an infinity, NaN, a decimal comma, ...).
std::string PriceSyntax(std::string_view text);
