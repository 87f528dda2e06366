#include "office/import/import_report.h"

#include <cstdio>

#include "office/listener.h"
#include "platform/utf8.h"

namespace {

constexpr int kToldLines = 100;

// The columns import reads, for a message about one it does not.
std::string ColumnsRead() {
  std::string names = "number";
  for (Field f : kAllFields) names += std::string(", ") + FieldName(f);
  return names + " and " + kVersionColumn + " (and export's slot, which it ignores)";
}

// Whether `text` holds a character that shows nothing where the owner looks.
bool HoldsInvisible(std::string_view text) {
  std::wstring wide;
  return WideFromUtf8(std::string(text), &wide) && HoldsCharacter(wide, IsInvisibleCharacter);
}

std::string Item(const Found& f) { return "item " + std::to_string(f.number); }

// "1 field was", "2 fields were".
std::string Fields(int n) { return std::to_string(n) + (n == 1 ? " field was" : " fields were"); }

}  // namespace

const ImportChoices& CommandLineChoices() {
  static const ImportChoices choices{"import with --add", "import with --overwrite", "--overwrite"};
  return choices;
}

std::string FindingText(const Found& f, const SheetReader& sheet, const ImportChoices& choices) {
  const bool workbook = sheet.IsWorkbook();
  const std::string field = FieldName(f.field);
  const std::string value = Printable(f.text);
  // A value compared with film.dat's is said as film.dat would print it.
  const std::string is = f.is.empty() ? value : Printable(f.is);
  switch (f.what) {
    case Finding::kSeparatedBy:
      return std::string("the fields are separated by ") + (f.text == ";" ? "semicolons" : "tabs") +
             ", not commas: save the sheet as CSV with the comma as field separator";
    case Finding::kColumnTwice:
      return "the column " + value + " stands twice: delete one of them";
    case Finding::kNoSuchColumn:
      return "no such column: " + value +
             (HoldsInvisible(f.text) ? " (it holds an invisible character, shown as \\u...: type "
                                       "the name again)"
                                     : "") +
             "; import reads the columns " + ColumnsRead() + ": delete or rename the others";
    case Finding::kColumnNotOurs:
      return "column '" + value + "' is not ours: ignored";
    case Finding::kNoNumberColumn:
      return std::string("no number column: the first ") + (workbook ? "row" : "line") +
             " names the columns, and one of them must be number";
    case Finding::kFieldCount:
      if (workbook) {
        return "a value right of the last named column: give that column a name import reads, "
               "or empty its cells";
      }
      return std::to_string(f.count) + " fields where the header has " + std::to_string(f.other) +
             ": a row has one cell a column (a text with a comma in it must be in quotes)";
    case Finding::kUnnamedValue:
      return "a value in column " + std::to_string(f.other) + ", which has no name: " + value +
             ": a spreadsheet splits a text at a semicolon or a tab when it opens the file with "
             "those as separators; open it with the comma as the only separator, or delete the "
             "column";
    case Finding::kTotalsRow:
      return "a row without an item number" +
             std::string(f.text.empty() ? "" : " (" + value + ")") +
             ", such as a totals row: import takes rows of items only; delete this row";
    case Finding::kBadNumber:
      return f.why + ": " + value;
    case Finding::kNoValue:
      switch (static_cast<CellWithoutValue::Kind>(f.count)) {
        case CellWithoutValue::Kind::kError:
          return "the cell holds " +
                 (f.text.empty() ? std::string("an error") : "a formula error (" + value + ")") +
                 ", no value: put a value there";
        case CellWithoutValue::Kind::kNoValueYet:
          return "the cell holds a formula whose value the program that wrote the workbook did "
                 "not work out: put a value there, or open and save the workbook in a "
                 "spreadsheet first";
        case CellWithoutValue::Kind::kTwoValues:
          return "the cell holds two values at once, which no spreadsheet writes: put one value "
                 "there";
      }
      return "";
    case Finding::kDamagedMark:
      return Item(f) +
             ": the version mark of this row is damaged: export again and redo the row's edits "
             "in the new sheet (leave the version column as export writes it)";
    case Finding::kMarkOfOtherRow:
      return Item(f) +
             ": this row's version mark was made for another row: a row copied for a new item "
             "(clear its version cell, then " +
             choices.add +
             "), a sort that left the version "
             "column out (export again), or a number a spreadsheet changed (open the number "
             "column as Text, see the guide)";
    case Finding::kRowDisagrees:
      return "the row does not agree with its version mark: export again";
    case Finding::kItemDisagrees:
      return Item(f) + " does not agree with this row's version mark: export again";
    case Finding::kDeletedSince:
      return Item(f) +
             " is no longer in film.dat (deleted since the export), and a row with a version "
             "mark never adds one: delete the row, or clear its version cell and " +
             choices.add + " to add the item again";
    case Finding::kDeletedSlotEdited:
      return "this row is of a deleted slot (number " + std::to_string(f.number) +
             "), which import leaves alone: undo the row's edits or delete the row";
    case Finding::kNoSuchItem:
      return "no item " + std::to_string(f.number) + " in film.dat: " + choices.add +
             " to add it as a new item";
    case Finding::kCannotAdd:
      return "film.dat cannot be read whole (filmtool check tells why): no item can be added";
    case Finding::kTooManySlots:
      return "film.dat would pass " + std::to_string(kLargestSlotCount) +
             " slots, the largest inventory";
    case Finding::kTwice:
      return Item(f) + " stands on " + sheet.RowName(static_cast<int>(f.other)) +
             " already: a sheet holds each item on one line; delete one of them (a row copied "
             "for a new item needs a number of its own and an empty version cell)";
    case Finding::kSeveralSlots:
      return Item(f) + " stands in " + std::to_string(f.count) +
             " slots: change it in the program, where lookups find the first";
    case Finding::kUnreadable:
      return "slot " + std::to_string(f.count) + " of film.dat cannot be read";
    case Finding::kChangedSinceRead:
      return "film.dat was changed by another program since it was read: import again";
    case Finding::kRefusedValue:
    case Finding::kTooLong:
      return field + ": " + f.why + ": " + value;
    case Finding::kRespelled:
      return Item(f) + ": " + field + ": the sheet says " + value + " where film.dat says " +
             Printable(f.now) +
             (workbook ? ": a spreadsheet made the text a number or a date; format the number, "
                         "description and sku columns as Text (Format Cells, Text), type the "
                         "value again, and save"
                       : ": a spreadsheet read the text as a number or a date; open the file "
                         "with the number, description and sku columns as Text (see the guide)");
    case Finding::kShortDescription:
      return "the description must have at least two characters";
    case Finding::kConflict:
      return Item(f) + ": " + field + ": the sheet says " + is + ", film.dat now says " +
             Printable(f.now) + " (changed since the export)";
    case Finding::kUncheckedConflict:
      return Item(f) + ": " + field + ": the sheet says " + is + ", film.dat now says " +
             Printable(f.now) +
             " (changed since the export, and the row's older version mark "
             "cannot show it is undamaged)";
    case Finding::kUnmarkedConflict:
      return Item(f) + ": " + field + ": the sheet says " + is + ", film.dat says " +
             Printable(f.now) + " (a row without a version mark)";
    case Finding::kOverwritten:
      return Item(f) + ": " + field + ": the sheet's " + is + " goes over film.dat's " +
             Printable(f.now);
  }
  return "";
}

std::string FindingPlace(const Found& found, const SheetReader& sheet) {
  if (!sheet.IsWorkbook()) return std::to_string(found.line);
  return found.column >= 0 ? sheet.CellName(found.line, static_cast<size_t>(found.column))
                           : sheet.RowName(found.line);
}

std::vector<std::string> ConflictAdvice(const ImportDecisions& d, const ImportChoices& choices) {
  std::vector<std::string> advice;
  if (const int n = d.conflicts(Finding::kConflict); n > 0) {
    advice.push_back(Fields(n) +
                     " edited in the sheet and changed in film.dat since the export; "
                     "export again and redo those edits, or " +
                     choices.overwrite + " to put the sheet's values over film.dat's");
  }
  if (const int n = d.conflicts(Finding::kUncheckedConflict); n > 0) {
    advice.push_back(Fields(n) +
                     " edited in the sheet and changed in film.dat since an export by "
                     "an older filmtool, whose version marks cannot show they are undamaged, so " +
                     choices.overwriteName +
                     " does not reach them: export again and redo those edits");
  }
  if (const int n = d.conflicts(Finding::kUnmarkedConflict); n > 0) {
    const std::string overwrite = choices.overwrite + " to put the sheet's values over film.dat's";
    if (d.versionMissing()) {
      advice.push_back(
          "the version column of this export is missing: without it the sheet "
          "cannot tell its edits from what changed in film.dat since the export, "
          "so " +
          (n == 1 ? std::string("the value that differs")
                  : "each of the " + std::to_string(n) + " values that differ") +
          " is a conflict; export again, keep the version column (hide "
          "it if it is in the way) and redo the edits, or " +
          overwrite);
    } else {
      advice.push_back(std::to_string(n) +
                       (n == 1 ? " value of a row without a version mark differs"
                               : " values of rows without a version mark differ") +
                       " from film.dat, and such a "
                       "row cannot tell an edit from an old value; " +
                       overwrite + ", or export again and make the edits in the export");
    }
  }
  if (const int n = d.unmarkedOverwritten(); n > 0 && d.versionMissing()) {
    advice.push_back(
        "the version column of this export is missing: the sheet cannot tell its edits from "
        "what changed in film.dat since the export, so " +
        (n == 1 ? std::string("the value that differs from film.dat goes")
                : "each of the " + std::to_string(n) + " values that differ from film.dat go") +
        " over film.dat's, changed since the export or not");
  }
  return advice;
}

void ImportReport::Tell(const Found& found) {
  // The changes are listed otherwise; a column left alone is said here.
  if (found.what == Finding::kOverwritten) return;
  if (++said_ <= kToldLines) {
    told_.Tell(file_ + ":" + FindingPlace(found, sheet_) + ": " + FindingText(found, sheet_));
  }
}

bool ImportReport::Finish(const ImportDecisions& d) {
  if (said_ > kToldLines) {
    told_.Tell(file_ + ": " + std::to_string(said_ - kToldLines) + " more problems and conflicts");
  }
  for (const std::string& advice : ConflictAdvice(d)) told_.Tell(file_ + ": " + advice);
  if (d.problems() == 0 && d.conflicts() == 0) return true;
  told_.Tell(file_ + ": nothing imported, film.dat is unchanged");
  return false;
}
