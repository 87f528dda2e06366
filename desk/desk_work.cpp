#include "desk/desk_work.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "office/fields.h"
#include "office/folders.h"
#include "platform/console.h"
#include "platform/number_text.h"
#include "platform/utf8.h"
#include "store/store_state.h"

const char kAddChoice[] = "Add new items";
const char kOverwriteChoice[] = "Overwrite film.dat's changes";

const ImportChoices& WindowChoices() {
  static const ImportChoices choices{
      std::string("tick \"") + kAddChoice + "\" and bring the sheet back",
      std::string("tick \"") + kOverwriteChoice + "\"",
      std::string("\"") + kOverwriteChoice + "\""};
  return choices;
}

// Hears what a step has to tell, as lines for the window to list: a worker
// thread shows no window of its own.
class DeskWork::Lines : public Listener {
 public:
  explicit Lines(std::vector<std::string>& said) : said_(said) {}
  void Tell(const std::string& text) override { said_.push_back(text); }
  void Tell(Message message) override { said_.push_back(Utf8FromWide(MessageText(message))); }

 private:
  std::vector<std::string>& said_;
};

namespace {

std::string Items(size_t n) { return std::to_string(n) + (n == 1 ? " item" : " items"); }

}  // namespace

DeskWork::DeskWork() : listener_(std::make_unique<Lines>(said_)) {}
DeskWork::~DeskWork() = default;

std::vector<std::string> DeskWork::TakeMessages() {
  std::vector<std::string> said;
  said.swap(said_);
  return said;
}

bool DeskWork::UseShop(const DeskSettings& shop) {
  if (shop.folder.empty()) {
    Tell("Choose the shop's folder first: the folder that holds film.dat and tallo.cfg.");
    return false;
  }
  // A folder that is not there would leave bare names in the last one.
  if (!IsFolder(shop.folder)) {
    Tell(shop.folder + ": no such folder. Choose the shop's folder again.");
    return false;
  }
  if (!shop.card.empty() && !IsFolder(shop.card)) {
    Tell(shop.card + ": no such folder. Choose the card's folder again, or leave it empty.");
    return false;
  }
  const std::string refused = ChooseCodePage(shop.codePage);
  if (!refused.empty()) {
    Tell("code page " + shop.codePage + ": " + refused);
    return false;
  }
  platform::UseFolder(Absolute(shop.folder));
  platform::UseCardFolder(shop.card.empty() ? "" : Absolute(shop.card));
  return true;
}

bool DeskWork::ReadCounts(const DeskSettings& shop, Counts* counts) {
  if (!UseShop(shop) || !OpenForReport(*listener_)) return false;
  *counts = Counts{SlotCount, ActiveCount, DeletedCount};
  return true;
}

ExportEnd DeskWork::Export(const DeskSettings& shop, const std::string& path, Progress* progress,
                           size_t* rows) {
  if (!UseShop(shop)) return ExportEnd::kFailed;
  const ExportEnd end = ExportSheet(path, /*all=*/false, *listener_, progress, rows);
  if (end == ExportEnd::kStopped) Tell("Export cancelled: no sheet was written.");
  return end;
}

DeskWork::Reviewed DeskWork::Review(const DeskSettings& shop, const std::string& path,
                                    const ImportRules& rules, Progress* progress) {
  Forget();
  if (!UseShop(shop)) return Reviewed::kFailed;
  run_ = std::make_unique<ImportRun>(path, rules, *listener_);
  if (!run_->OpenSheet()) {
    run_.reset();
    return Reviewed::kFailed;
  }
  plan_ = std::make_unique<ImportPlan>(*run_, WindowChoices());
  sheetName_ = std::filesystem::u8path(path).filename().u8string();
  Reviewed reviewed = Reviewed::kReady;
  switch (run_->Decide(/*forChange=*/false, *plan_, progress)) {
    case ImportRun::Read::kWhole: {
      bool stopped = false;
      size_t changed = 0;
      if (!plan_->TakeChanges(*run_, progress, &changed, &stopped)) {
        if (!stopped) {
          Tell("film.dat was changed by another program while the sheet was read (item " +
               platform::FormatItemNumber(run_->changes().At(changed).number) +
               "): bring the sheet back again.");
        }
        reviewed = stopped ? Reviewed::kStopped : Reviewed::kFailed;
        break;
      }
      // The columns left alone, and what the conflicts and the rows without
      // the version mark come to, a sentence each, whether they stand in
      // the way or go over film.dat.
      std::vector<std::string> sentences;
      for (size_t i = 0; i < plan_->Count(ImportPlan::Part::kNotice); ++i)
        sentences.push_back(plan_->At(ImportPlan::Part::kNotice, i).note);
      for (const std::string& advice : ConflictAdvice(run_->decisions(), WindowChoices()))
        sentences.push_back(advice);
      for (std::string& sentence : sentences) {
        sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
        Tell(sentence + ".");
      }
      if (run_->Refused()) {
        Tell("Nothing can be written until every row marked above is settled.");
        reviewed = Reviewed::kRefused;
      } else if (plan_->ChangedItems() == 0 && plan_->AddedItems() == 0 && !run_->missing()) {
        reviewed = Reviewed::kNothing;
      }
      break;
    }
    case ImportRun::Read::kFailed:
      reviewed = Reviewed::kFailed;
      break;
    case ImportRun::Read::kStopped:
      reviewed = Reviewed::kStopped;
      break;
  }
  if (run_) run_->LetFilesGo();
  if (reviewed == Reviewed::kStopped) Tell("Cancelled: nothing was written.");
  if (reviewed == Reviewed::kFailed || reviewed == Reviewed::kStopped) Forget();
  return reviewed;
}

DeskWork::Applied DeskWork::Apply(Progress* progress) {
  Applied result;
  if (!run_ || run_->Refused()) return result;
  const ImportRun::Applied applied = run_->Apply(progress);
  const auto nothing = [this](const std::string& why) { Tell(why + ": nothing was written."); };
  const std::string again = "Bring " + sheetName_ + " back again to review it as film.dat is now.";
  const auto failedWrite = [&](const SlotsWritten& w, const ItemEdits& edits, size_t changed,
                               size_t added) {
    const std::string item = "item " + platform::FormatItemNumber(edits.At(w.stopped).number);
    if (w.outcome == WriteOutcome::kChanged) {
      Tell(item +
           " was changed in film.dat since the review (by the handheld or another "
           "program), and is never written over.");
    } else if (w.status.error == platform::FileError::kBusy) {
      Tell("Another program is changing film.dat. Try again in a moment.");
    } else if (w.status.error == platform::FileError::kDiskFull) {
      Tell("The disk or card of film.dat is full. Make room there and try again.");
    } else if (w.status.error == platform::FileError::kReadOnly) {
      Tell("The disk or card of film.dat is read-only. Make it writable and try again.");
    } else if (w.status.error == platform::FileError::kDenied) {
      Tell("film.dat may not be written by this user (permission denied).");
    } else {
      Tell("film.dat could not be " +
           std::string(w.status.step == FileStep::kRead ? "read" : "written") + " at " + item +
           ".");
    }
    if (changed + added == 0) {
      Tell("Nothing was written. " + again);
    } else {
      Tell(Items(changed) + " changed and " + std::to_string(added) +
           " added are in film.dat; bring " + sheetName_ +
           " back again and apply it to finish the job.");
    }
  };
  switch (applied.stop) {
    case ImportRun::Stop::kNone:
      result.written = true;
      result.changed = applied.changes.written;
      result.added = applied.additions.written;
      Tell(Items(result.changed) + " changed and " + std::to_string(result.added) +
           " added in film.dat.");
      break;
    case ImportRun::Stop::kStopped:
      nothing("Cancelled");
      break;
    case ImportRun::Stop::kNotOpened:
      Tell("Nothing was written.");
      break;
    case ImportRun::Stop::kMadeByOther:
      nothing("film.dat was made by another program since the review");
      Tell(again);
      break;
    case ImportRun::Stop::kChangedSince:
      nothing(
          "film.dat was changed by another program since the review, so that an item to "
          "be added is in it now");
      Tell(again);
      break;
    case ImportRun::Stop::kChanges:
      failedWrite(applied.changes, run_->changes(), applied.changes.written, 0);
      break;
    case ImportRun::Stop::kAdditions:
      failedWrite(applied.additions, run_->additions(), applied.changes.written,
                  applied.additions.written);
      break;
  }
  Forget();
  return result;
}

void DeskWork::Forget() {
  plan_.reset();
  run_.reset();
}
