// filmtool import: the way back from export, as one ImportRun
// (office/import/import_run.h): every row decided before anything is
// written, then the writes listed as they are made ("NUMBER FIELD: OLD ->
// NEW" a line) or, in the dry run, as its plan (office/import/import_plan.h)
// has them.
#include <cstdio>
#include <string>

#include "filmtool/tool.h"
#include "office/import/import_plan.h"
#include "office/import/import_report.h"
#include "office/import/import_run.h"
#include "office/listener.h"
#include "office/open_inventory.h"
#include "platform/console.h"
#include "store/store_state.h"

namespace {

// The summary of rows without a mark that named an item in film.dat, on
// standard output; nothing when there were none.
void TellUnmarkedRows(const ImportDecisions& decisions) {
  if (decisions.unmarked() > 0) {
    std::printf("%d rows without a version mark were compared with film.dat as it is now\n",
                decisions.unmarked());
  }
}

// Where a row is, after the file's name: a CSV's line, a workbook's sheet
// and row.
std::string RowPlace(const SheetReader& sheet, int line) {
  return sheet.IsWorkbook() ? sheet.RowName(line) : std::to_string(line);
}

// The failure of a write and its cause, then where the import stopped and
// what of it is in the file.
void TellStop(const std::string& path, const SheetReader& sheet, const SlotsWritten& written,
              const ItemEdits::Item& stopped, const std::string& what, size_t changed,
              size_t added) {
  if (!TellStatus(StandardError(), written.status)) {
    const std::string film = platform::ShownPath(DataPath);
    switch (written.outcome) {
      case WriteOutcome::kNotOpened:
        Tell(film + " cannot be opened for writing");
        break;
      case WriteOutcome::kChanged:
        Tell(film + " was changed by another program since the sheet was checked: import it again");
        break;
      case WriteOutcome::kWritten:  // not met: a write that stopped is no written one
      case WriteOutcome::kFailed:
        Tell((written.status.ok() ? film : platform::ShownPath(written.status.path)) +
             (written.status.step == FileStep::kRead ? ": a read failed" : ": a write failed"));
        break;
    }
  }
  Tell(path + ":" + RowPlace(sheet, stopped.line) + ": item " + std::to_string(stopped.number) +
       " not " + what + "; " + std::to_string(changed) + " items changed and " +
       std::to_string(added) +
       " added before it are in film.dat, and importing the file again finishes the job");
}

void TellChanged(const std::string& path, const SheetReader& sheet, const ItemEdits::Item& c) {
  Tell(path + ":" + RowPlace(sheet, c.line) + ": item " + std::to_string(c.number) +
       ": film.dat was changed by another program since it was read; nothing imported");
}

// The lines of the first `count` additions, on standard output as they are
// made: a whole inventory's new items need not be held as text.
void ListAdditions(const ImportRun& run, size_t count) {
  for (size_t i = 0; i < count; ++i) std::fputs(run.AdditionListed(i).c_str(), stdout);
}

}  // namespace

int Import(const std::string& path, bool dryRun, bool add, bool overwrite) {
  ImportRun run(path, ImportRules{add, overwrite}, StandardError());
  if (!run.OpenSheet()) return 1;
  ImportReport report(path, run.sheet(), StandardError());
  if (run.Decide(/*forChange=*/!dryRun, report) != ImportRun::Read::kWhole) return 1;
  if (!report.Finish(run.decisions())) return 1;

  const ItemEdits& changes = run.changes();
  if (dryRun) {
    ImportPlan plan(run);
    size_t changed = 0;
    if (!plan.TakeChanges(run, nullptr, &changed)) {
      TellChanged(path, run.sheet(), changes.At(changed));
      return 1;
    }
    if (run.missing()) {
      std::printf(
          "film.dat would be made first, as tallo's first start makes it (item 1, "
          "\"ITEM 1\")\n");
    }
    std::fputs(plan.ChangeLines().c_str(), stdout);
    ListAdditions(run, run.additions().Count());
    std::printf("dry run: %zu items would change", changes.Count());
    if (add) std::printf(", %zu would be added", run.additions().Count());
    std::printf("; nothing written\n");
    TellUnmarkedRows(run.decisions());
    return 0;
  }
  const ImportRun::Applied applied = run.Apply();
  switch (applied.stop) {
    case ImportRun::Stop::kNone:
      break;
    case ImportRun::Stop::kMadeByOther:
      Tell(platform::ShownPath(DataPath) +
           " was made by another program while the sheet was checked: import it again");
      return 1;
    case ImportRun::Stop::kChanges:
      std::fputs(run.ChangesListed(applied.changes.written).c_str(), stdout);
      TellStop(path, run.sheet(), applied.changes, changes.At(applied.changes.stopped), "written",
               applied.changes.written, 0);
      return 1;
    case ImportRun::Stop::kAdditions:
      std::fputs(run.ChangesListed(changes.Count()).c_str(), stdout);
      ListAdditions(run, applied.additions.written);
      TellStop(path, run.sheet(), applied.additions, run.additions().At(applied.additions.stopped),
               "added", applied.changes.written, applied.additions.written);
      return 1;
    case ImportRun::Stop::kStopped:       // not without a progress that says stop
    case ImportRun::Stop::kNotOpened:     // told
    case ImportRun::Stop::kChangedSince:  // not without a review before the run
      return 1;
  }
  std::fputs(run.ChangesListed(changes.Count()).c_str(), stdout);
  ListAdditions(run, applied.additions.written);
  std::printf("%zu items changed\n", applied.changes.written);
  if (add) std::printf("%zu items added\n", applied.additions.written);
  TellUnmarkedRows(run.decisions());
  return 0;
}
