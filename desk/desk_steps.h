// The back-office window's steps as a state machine, apart from the window:
// which step runs, what can be pressed meanwhile, what a press or a change
// of shop during a step turns into, and what follows a step once it ends.
// The window shows what this says; it holds no handle and no text of the
// window, so that its transitions are tested in-process.
#pragma once

#include <string>

class DeskSteps {
 public:
  enum class Step { kNone, kCounts, kExport, kReview, kApply };

  // The review being looked at, as the window's work holds it.
  struct Review {
    bool shown = false;         // a review is there to look at
    bool ready = false;         // nothing stands in the way of its writes
    bool overwritable = false;  // it has conflicts, or writes over film.dat's changes
  };

  // What can be pressed now, and what shows.
  struct Controls {
    bool shop = false;       // the folder, card and code page, Browse, Refresh, Export, Bring back
    bool add = false;        // "Add new items"
    bool overwrite = false;  // "Overwrite film.dat's changes"
    bool apply = false;
    bool cancel = false;
    bool progress = false;  // the progress bar shows
    bool review = false;    // the list shows the review (a running step may change it)
  };

  Step running() const { return running_; }
  bool Busy() const { return running_ != Step::kNone; }

  // While a step runs only Cancel (the counts take a moment: a button
  // pressed meanwhile waits for them); Apply only over a review that
  // nothing stands in the way of.
  Controls Now(const Review& review) const;

  // `step` starts; false, and nothing changes, while another runs.
  bool Start(Step step);

  // The settings changed: true when they may be saved now; false while a
  // step runs, when they are saved once it ends.
  bool SaveNow();
  // The shop changed while its counts were read: they are read again once
  // they end, and never shown under the shop as it is now.
  void CountAgain() { recount_ = true; }
  // Button `id` was pressed while the counts were read: it is pressed again
  // once they end.
  void PressAfterCounts(int id) { pending_ = id; }
  // A sheet handed over at start, brought back once the counts are in.
  void BringBackAfterCounts(const std::wstring& sheet) { waiting_ = sheet; }
  // The sheet handed over, if no step is there to wait for; empty otherwise.
  std::wstring TakeWaiting();
  // The window is to close: at once when no step runs (true), else once
  // the step under way has stopped (false).
  bool Close();
  bool closing() const { return closing_; }

  // What Cancel (Esc) does: stops the step under way, or drops the review;
  // it never closes the window.
  enum class Cancel { kNothing, kStopStep, kDropReview };
  Cancel OnCancel(const Review& review) const;

  // Whether the messages field keeps what it shows when a step starts:
  // Apply's result stays in view while the counts after it are read.
  bool keepMessages() const { return keepMessages_; }

  // The running step has ended: what it was, what to show, and what follows.
  struct Ended {
    Step step = Step::kNone;
    bool save = false;        // the settings changed meanwhile: save them now
    bool stale = false;       // counts of a shop since changed: not to be shown
    bool afterApply = false;  // counts read after Apply: its result stays in view
    enum class Then { kNothing, kClose, kCounts, kBringBack, kPress } then = Then::kNothing;
    std::wstring sheet;  // kBringBack: the sheet
    int press = 0;       // kPress: the button
  };
  Ended Finish();

 private:
  Step running_ = Step::kNone;
  bool closing_ = false;
  bool recount_ = false;
  bool unsaved_ = false;
  bool keepMessages_ = false;
  int pending_ = 0;
  std::wstring waiting_;
};
