// The rows of a workbook's sheet as its XML says them, written straight
// into the block that is deflated next: each cell with its reference ("C7",
// which some spreadsheets need to place it) and its style, texts as inline
// strings escaped exactly, numbers as the decimals they were printed as.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "office/sheets/zip_writer.h"

// How a cell is kept, each with a style of the workbook's styles part.
enum class CellKind : uint8_t {
  kHeader = 1,  // bold text
  kWhole = 2,   // a whole number, shown "0"; text when the value is no number
  kText = 3,    // text, shown as Text ("@") so that a value typed over it stays text
  kPrice = 4,   // a number shown "0.00"; text when the value is no number
};

// A text as a cell holds it: "&", "<" and ">" escaped as XML escapes them;
// each control character but tab and line feed, and the characters U+FFFE
// and U+FFFF that XML cannot hold, as the workbook format's "_xHHHH_"; and
// an underscore that would start such a sequence as one too ("_x005F_"), so
// that every reader gets back the very text. Appended at `at`, which has
// room for kMostXmlPerByte times the text; returns the end.
constexpr size_t kMostXmlPerByte = 7;
char* AppendCellText(std::string_view text, char* at);

// Whether `value` is a decimal a number cell holds as it is (digits, an
// optional sign and fraction: no exponent, no name such as "nan"), and the
// shortest form of the same number in `*shortest` (its fraction's trailing
// zeros dropped: "56.80" is 56.8).
bool DecimalOf(std::string_view value, std::string_view* shortest);

// Row `number` (from 1) of `count` cells, the cell in column i `values[i]`
// kept as `kinds[i]` says, appended to `block`.
void AppendRow(uint32_t number, const std::string_view* values, const CellKind* kinds, size_t count,
               ZipBlock* block);
