// What an import will do, as its dry run finds it: each write (item,
// description, field, film.dat's value and the new one), each new item, and
// apart from them the conflicts, the rows without the version mark, the rows
// refused, what --overwrite puts over film.dat's own changes and the columns
// left alone, each with its place in the sheet and its message. filmtool import --dry-run lists it;
// the back-office window shows it for the owner to review before anything is written, and its Apply
// is the same run's writes (ImportRun::Apply).
//
// The rows are held as their texts packed one after another, so that a
// review of a whole inventory's changes takes little beyond them; the new
// items are made from the run's own edits when asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "office/import/import_decisions.h"
#include "office/import/import_report.h"
#include "office/import/import_run.h"
#include "office/progress.h"

class ImportPlan : public FindingSink {
 public:
  enum class Part {
    kConflict,     // edited in the sheet and changed in film.dat: refused
    kOverwritten,  // the same, put over film.dat's value (--overwrite)
    kRefused,      // a row or the sheet refused, with the message saying why
    kChange,       // a field of an item that will change
    kAddition,     // a new item
    kUnmarked,     // a value of a row without the version mark that differs from
                   // film.dat's: refused, or put over it (--overwrite)
    kNotice,       // a column of the owner's own, left alone
  };
  static constexpr size_t kParts = 7;
  // The most rows a part of findings keeps; the others are counted.
  static constexpr size_t kKeptFindings = 10000;

  struct Row {
    // Where it is, as a spreadsheet shows it: the row's number, the sheet's
    // name where it is not the first, and the cell ("I1289") where the
    // finding is about one.
    int row = 0;
    std::string sheet;
    std::string cell;
    int64_t number = 0;
    std::string description;  // film.dat's, or the new item's
    bool hasField = false;
    Field field = Field::kDescription;
    std::string was;   // film.dat's value, as export prints it
    std::string is;    // the sheet's value as film.dat prints it once stored
    std::string note;  // the finding's message; a new item's fields
  };

  // The plan of `run`, whose sheet is open; messages in the words of
  // `choices`.
  explicit ImportPlan(const ImportRun& run, ImportChoices choices = CommandLineChoices());

  // Keeps each finding the decisions make (ImportRun::Decide).
  void Tell(const Found& found) override;

  // The dry run's pass over the changes (ImportRun::MakeChanges): each made
  // again from its slot as film.dat holds it now, its rows kept. False when
  // one no longer holds what it was decided on (`*changed` gets it) or
  // `progress` said stop (`*stopped`).
  bool TakeChanges(ImportRun& run, Progress* progress = nullptr, size_t* changed = nullptr,
                   bool* stopped = nullptr);

  size_t Count(Part part) const;
  Row At(Part part, size_t i) const;
  // The findings of a part that were not kept.
  size_t Untold(Part part) const { return untold_[static_cast<size_t>(part)]; }
  // The sheet's rows that a part's findings are about, kept or not.
  size_t Rows(Part part) const { return rows_[static_cast<size_t>(part)]; }
  // The items that will change, and those that will be added.
  size_t ChangedItems() const { return changedItems_; }
  size_t AddedItems() const;

  // The dry run's lines of the changes: "number field: old -> new".
  std::string ChangeLines() const;

 private:
  struct Entry {
    int64_t number;
    int32_t line;
    int16_t column;
    uint8_t field;  // kFieldCount: none
    uint64_t at;    // where its texts start
  };
  void Keep(Part part, const Entry& entry, std::initializer_list<std::string_view> texts);
  std::vector<std::string_view> Texts(uint64_t at, size_t count) const;
  // Where `line` (and its cell in `column`, where 0 or more) is.
  void Place(int line, int column, Row* row) const;

  const ImportRun& run_;
  ImportChoices choices_;
  std::deque<Entry> entries_[kParts];
  size_t untold_[kParts] = {};
  size_t rows_[kParts] = {};
  int lastLine_[kParts] = {};
  size_t changedItems_ = 0;
  // Each row's texts (description, was, is, note), each a length (four
  // bytes) and its bytes; one row's within a block.
  std::vector<std::string> blocks_;
};
