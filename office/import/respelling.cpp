#include "office/import/respelling.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "office/value_syntax.h"
#include "platform/number_text.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// A decimal number as a spreadsheet reads one: a sign, digits with a point,
// an exponent. Its value goes to `*value`.
bool ReadsAsNumber(std::string_view text, double* value) {
  // Spaces only: a tab around a number keeps it a text.
  text = Trimmed(text, " ");
  if (!IsDecimalText(text)) return false;
  *value = platform::ParseDouble(std::string(text).c_str());
  return std::isfinite(*value);
}

// The month a name stands for (its first three letters are enough), 0 for
// none.
int Month(std::string_view word) {
  static const char* const kMonths[] = {"january",   "february", "march",    "april",
                                        "may",       "june",     "july",     "august",
                                        "september", "october",  "november", "december"};
  if (word.size() < 3) return 0;
  for (int m = 0; m < 12; ++m) {
    const std::string_view name = kMonths[m];
    if (word.size() > name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < word.size() && same; ++i) same = Lower(word[i]) == name[i];
    if (same) return m + 1;
  }
  return 0;
}

// The parts of a date as a spreadsheet reads or writes one: numbers and
// month names between separators ("1/2", "MARCH 5", "2026-03-05",
// "05-Mar-26"), a time of day after it ignored. False when `text` is no such
// date of two or three parts.
bool ReadsAsDate(std::string_view text, std::vector<int>* parts) {
  parts->clear();
  size_t at = 0;
  int separators = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c == '/' || c == '-' || c == '.' || c == ' ' || c == ',') {
      ++separators;
      ++at;
      continue;
    }
    size_t end = at;
    if (IsDigit(c)) {
      while (end < text.size() && IsDigit(text[end])) ++end;
      if (end < text.size() && text[end] == ':') break;  // the time of day
      if (end - at > 4) return false;
      parts->push_back(std::stoi(std::string(text.substr(at, end - at))));
    } else {
      while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end]))) ++end;
      const int month = end > at ? Month(text.substr(at, end - at)) : 0;
      if (month == 0) return false;
      parts->push_back(month);
    }
    at = end;
  }
  return separators > 0 && parts->size() >= 2 && parts->size() <= 3;
}

}  // namespace

bool IsSpreadsheetRespelling(std::string_view original, std::string_view sheet) {
  if (original == sheet) return false;
  double was = 0, is = 0;
  if (ReadsAsNumber(original, &was) && ReadsAsNumber(sheet, &is)) {
    // A spreadsheet keeps 15 significant digits.
    return std::fabs(was - is) <= 1e-14 * std::max(std::fabs(was), std::fabs(is));
  }
  std::vector<int> before, after;
  if (!ReadsAsDate(original, &before) || !ReadsAsDate(sheet, &after)) return false;
  for (int part : before) {
    const auto found = std::find(after.begin(), after.end(), part);
    if (found == after.end()) return false;
    after.erase(found);
  }
  return true;
}
