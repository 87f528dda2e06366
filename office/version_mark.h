// The version mark that export puts at the end of every row: what the row
// held when it was exported, so that import can tell the owner's edits from
// what the handheld or the till changed in film.dat since, without film.dat's
// help. It is letters and digits and starts with a letter, so that no
// spreadsheet reads it as a number or a date.
//
// The mark is "v2" and 96 hexadecimal digits: a 64-bit digest of the whole
// row (the number and every field as export printed them), then 32 bits for
// the number and 32 for each field on its own, then a 32-bit check of all of
// those. The row's digest tells an untouched row from an edited one; the
// field digests tell which fields the owner edited and which film.dat
// changed since the export; the check tells a mark that was changed or cut
// short from a whole one, and the number's digest a mark copied to another
// row. Each is a keyed digest (office/digest.h), so no pattern of edits
// collides more often than chance.
//
// Exports of older builds wrote "v1" and the same 88 digits without the
// check: such a mark is still read, but nothing shows whether it is whole.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "office/fields.h"

// The column export writes the mark in, and its heading in a workbook,
// where the owner may see it, which tells them to leave it; import takes
// either, and the heading of earlier exports too.
constexpr char kVersionColumn[] = "version";
constexpr char kVersionHeading[] = "version \xE2\x80\x94 keep this column as it is";
constexpr char kFormerVersionHeading[] = "version (filmtool's mark: leave it as it is)";

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

// The mark as export writes it ("v2").
std::string EncodeVersionMark(const VersionMark& mark);

// What a mark's text is: whole ("v2" whose check holds), an older export's
// ("v1", which has no check), or damaged (changed, cut short, or no mark of
// either form). Either case of the hex digits is taken.
enum class MarkText { kWhole, kUnchecked, kDamaged };
// `*mark` is set unless the text is damaged.
MarkText DecodeVersionMark(std::string_view text, VersionMark* mark);
