// What a spreadsheet does to a text that looks like a number or a date when
// it opens a CSV file with its default column types: "0012" comes back as
// "12", "1E5" as "100000", "12.50" as "12.5", "1/2" and "MARCH 5" as dates
// in the sheet's own form. Import tells such a respelling from an edit, so
// that a description or SKU is never rewritten by a spreadsheet's guess.
#pragma once

#include <string_view>

// True when `sheet` is what a spreadsheet may have made of the text
// `original`: both read as the same number, or both as dates of which the
// sheet's holds every part of the original's (a year may be added).
bool IsSpreadsheetRespelling(std::string_view original, std::string_view sheet);
