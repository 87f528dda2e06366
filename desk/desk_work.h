// The back-office window's work, apart from the window: each step over the
// shop's folder its settings name, with filmtool's own code (the store's
// opening, export, the import's run and plan, the messages), run on the
// window's worker thread while the window stays responsive. What a step has
// to say comes back as lines in the owner's words, for the window to show.
//
// A review is the import's own dry run; Apply is the same run's writes,
// with the store's hold, journal and check of every slot, so that a change
// the handheld made since the review is refused, never written over.
// Forget (Cancel) drops the review, and nothing is written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "desk/desk_settings.h"
#include "office/export.h"
#include "office/import/import_plan.h"
#include "office/import/import_run.h"
#include "office/listener.h"
#include "office/open_inventory.h"
#include "office/progress.h"

// The words the window's messages use for its two choices: what its check
// boxes say.
extern const char kAddChoice[];        // "Add new items"
extern const char kOverwriteChoice[];  // "Overwrite film.dat's changes"
const ImportChoices& WindowChoices();

class DeskWork {
 public:
  DeskWork();
  ~DeskWork();

  // What start-up counts, as filmtool stats gives them.
  struct Counts {
    int64_t slots = 0;
    int32_t active = 0;
    int32_t deleted = 0;
  };
  // False when the inventory could not be opened (said why).
  bool ReadCounts(const DeskSettings& shop, Counts* counts);

  // The records as a sheet at `path` (a workbook, or CSV by its name).
  ExportEnd Export(const DeskSettings& shop, const std::string& path, Progress* progress,
                   size_t* rows);

  enum class Reviewed {
    kReady,    // plan() holds the writes, nothing stands in their way
    kNothing,  // the sheet went through and changes nothing
    kRefused,  // plan() holds the conflicts and refused rows (and what else it would write)
    kFailed,   // the sheet or film.dat could not be read (said why)
    kStopped,  // Cancel
  };
  // The import's dry run of the sheet at `path` with `rules`; film.dat is
  // let go afterwards, so that the handheld can write it while the owner
  // looks.
  Reviewed Review(const DeskSettings& shop, const std::string& path, const ImportRules& rules,
                  Progress* progress);
  // The review being looked at, or null.
  const ImportPlan* plan() const { return plan_.get(); }
  const ImportRun* run() const { return run_.get(); }

  struct Applied {
    bool written = false;  // every write is in film.dat
    size_t changed = 0;    // items changed, and added, in film.dat
    size_t added = 0;
  };
  // Writes what the review shows; the review is done with either way.
  // Unless written, says why and what to do.
  Applied Apply(Progress* progress);
  // Cancel: the review dropped; nothing is written.
  void Forget();

  // What the steps since the last call had to say, in order.
  std::vector<std::string> TakeMessages();
  void Tell(const std::string& line) { said_.push_back(line); }

 private:
  // Puts the shop's folder, card and code page in place for a step; false,
  // said why, when they cannot be used.
  bool UseShop(const DeskSettings& shop);

  class Lines;
  std::unique_ptr<Lines> listener_;
  std::vector<std::string> said_;
  std::unique_ptr<ImportRun> run_;
  std::unique_ptr<ImportPlan> plan_;
  std::string sheetName_;  // the reviewed sheet's name, for messages
};
