// One import of a sheet, as filmtool import and the back-office window both
// run it. The sheet is read once, a row at a time, and every row is decided
// (office/import/import_decisions.h) before anything is written; only what
// must be written is kept. Then the dry run makes each change again from its
// slot as film.dat holds it now, writing nothing, and the real run writes
// the changes through the store's journalled write under its hold, each only
// over the record it was decided on, then appends the new items.
//
// A run decided over film.dat opened for a report (the dry run, the window's
// review) opens it for the change only when it writes, and checks again
// what its new items were decided on; a run decided over film.dat opened for
// a change (filmtool import) writes over that opening. On a folder without
// film.dat, --add decides the sheet against the fresh inventory that tallo's
// first start makes, and makes that film.dat only when it writes.
//
// What stands in the way is told as it is found: the decisions' findings to
// the FindingSink the caller gives, everything else to its listener. The
// outcome of the writes comes back with its cause, for the caller's words.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "office/import/import_decisions.h"
#include "office/import/item_edits.h"
#include "office/listener.h"
#include "office/progress.h"
#include "office/sheets/sheet_reader.h"
#include "store/journalled_write.h"
#include "store/slot_io.h"

class ImportRun {
 public:
  // `path`: UTF-8, or "-" for CSV on standard input. `told` hears what
  // stands in the way, for as long as the run lasts.
  ImportRun(std::string path, const ImportRules& rules, Listener& told);
  ~ImportRun();
  ImportRun(const ImportRun&) = delete;
  ImportRun& operator=(const ImportRun&) = delete;

  // Opens the sheet: false, told, when it cannot be opened.
  bool OpenSheet();
  const SheetReader& sheet() const { return *sheet_; }
  const std::string& path() const { return path_; }
  const ImportRules& rules() const { return rules_; }

  enum class Read {
    kWhole,    // every row decided: decisions() says whether anything stands in the way
    kFailed,   // the sheet or film.dat could not be read (told)
    kStopped,  // `progress` said stop
  };
  // Opens film.dat, for a change or for a report, and decides every row of
  // each sheet of export's columns (a workbook's other sheets left alone,
  // and told so), telling `findings` each finding as it is made. `progress`
  // counts rows against film.dat's item count, an estimate.
  Read Decide(bool forChange, FindingSink& findings, Progress* progress = nullptr);
  const ImportDecisions& decisions() const { return *decisions_; }
  // Whether there was no film.dat: --add decided against the fresh one.
  bool missing() const { return missing_; }
  // Whether anything stands in the way of the writes: a problem or a
  // conflict of the decisions.
  bool Refused() const;

  // The dry run's pass over the changes: each made again from its slot as
  // film.dat holds it now and handed to `each` with the record before and
  // after it, in slot order. Returns how many were made: short of all when
  // the next one's slot no longer holds the record it was decided on (or
  // cannot be read), or when `progress` said stop (`*stopped`).
  using EachChange =
      std::function<void(size_t i, const InventoryRecord& before, const InventoryRecord& after)>;
  size_t MakeChanges(const EachChange& each, Progress* progress = nullptr, bool* stopped = nullptr);
  // Lets film.dat and the sheet go, once every row is decided: on Windows
  // an open handle of film.dat keeps every writer out, and one of the sheet
  // keeps a spreadsheet from saving it, and a review may stay open long.
  void LetFilesGo();

  // Why the writes did not all go in.
  enum class Stop {
    kNone,
    kStopped,       // `progress` said stop before the first write: nothing written
    kNotOpened,     // film.dat could not be opened (or made) for the change: told
    kMadeByOther,   // the new shop's film.dat, just made, is not the fresh one
    kChangedSince,  // film.dat changed since the review so that an item the run
                    // would add is in it now, or cannot be told apart: nothing written
    kChanges,       // the write of the changes stopped: `changes` says how
    kAdditions,     // the append of the new items stopped: `additions` says how
  };
  struct Applied {
    Stop stop = Stop::kNone;
    SlotsWritten changes;    // of decisions().changes()
    SlotsWritten additions;  // of decisions().additions()
  };
  // Writes the changes, then appends the new items. Nothing is written once
  // `progress` has said stop, and it is heard only until the first write:
  // from there on the run goes to its end, so that film.dat holds all of it
  // or, after a failure, the changes before it whole.
  Applied Apply(Progress* progress = nullptr);

  // The lines of the first `count` changes written ("number field: old ->
  // new") by Apply, and those of new item `i`.
  std::string ChangesListed(size_t count) const;
  std::string AdditionListed(size_t i) const;
  // The edits of each change and new item, as decided.
  const ItemEdits& changes() const;
  const ItemEdits& additions() const;

 private:
  bool Header(std::string* name);

  std::string path_;
  ImportRules rules_;
  Listener& told_;
  std::unique_ptr<SheetReader> sheet_;
  SheetRow row_;
  bool anyHeader_ = false;
  bool forChange_ = false;
  bool missing_ = false;
  InventoryFile inventory_;
  std::unique_ptr<SheetItems> items_;
  std::unique_ptr<ImportDecisions> decisions_;
  std::unique_ptr<EditWrites> writes_;
  std::unique_ptr<EditAdditions> added_;
};
