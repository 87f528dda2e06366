// The version mark that export puts at the end of every row: what the row
// held when it was exported, so that import can tell the owner's edits from
// what the handheld or the till changed in film.dat since, without film.dat's
// help. It is letters and digits and starts with a letter, so that no
// spreadsheet reads it as a number or a date.
//
// The mark is "v1" and 88 hexadecimal digits: a 64-bit digest of the whole
// row (the number and every field as export printed them), then 32 bits for
// the number and 32 for each field on its own. The row's digest tells an
// untouched row from an edited one; the field digests tell which fields the
// owner edited and which film.dat changed since the export. Each is a
// keyed digest (tools/digest.h), so no pattern of edits collides more often
// than chance.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "tools/fields.h"

// The column export writes the mark in.
constexpr char kVersionColumn[] = "version";

struct VersionMark {
  uint64_t row = 0;
  uint32_t number = 0;
  std::array<uint32_t, kFieldCount> fields{};
};

// The digests of one printed value: the number's (as FormatItemNumber prints
// it) or a field's (as ExportedField prints it).
uint32_t NumberDigest(std::string_view printed);
uint32_t FieldDigest(Field field, std::string_view printed);

// The printed values of a row: the number and each field.
using PrintedRow = std::array<std::string_view, 1 + kFieldCount>;

// The digest of a whole row: one pass over every value, so that a row as
// export printed it is told in one digest.
uint64_t RowDigest(const PrintedRow& row);
// The mark of a row that prints as `row`.
VersionMark MakeVersionMark(const PrintedRow& row);

std::string EncodeVersionMark(const VersionMark& mark);
// False for text that is no mark of this form (either case of the hex
// digits is taken).
bool DecodeVersionMark(std::string_view text, VersionMark* mark);
