// The window's steps: one at a time, and what follows each.
#include "desk/desk_steps.h"

#include <utility>

DeskSteps::Controls DeskSteps::Now(const Review& review) const {
  // The list reads the review, which a running step may change.
  const bool shown = !Busy() && review.shown;
  const bool working = Busy() && running_ != Step::kCounts;
  Controls c;
  c.shop = !working;
  c.add = shown;
  c.overwrite = shown && review.overwritable;
  c.apply = shown && review.ready;
  c.cancel = Busy() || shown;
  c.progress = working;
  c.review = shown;
  return c;
}

bool DeskSteps::Start(Step step) {
  if (Busy() || step == Step::kNone) return false;
  running_ = step;
  if (step != Step::kCounts) keepMessages_ = false;
  return true;
}

bool DeskSteps::SaveNow() {
  unsaved_ = Busy();
  return !unsaved_;
}

std::wstring DeskSteps::TakeWaiting() {
  if (Busy()) return {};
  return std::exchange(waiting_, std::wstring());
}

bool DeskSteps::Close() {
  closing_ = Busy();
  return !closing_;
}

DeskSteps::Cancel DeskSteps::OnCancel(const Review& review) const {
  if (Busy()) return Cancel::kStopStep;
  return review.shown ? Cancel::kDropReview : Cancel::kNothing;
}

DeskSteps::Ended DeskSteps::Finish() {
  Ended end;
  end.step = std::exchange(running_, Step::kNone);
  end.save = std::exchange(unsaved_, false);
  const bool recount = std::exchange(recount_, false);
  if (end.step == Step::kCounts) {
    end.stale = recount;
    end.afterApply = !recount && keepMessages_;
    keepMessages_ = false;
  } else if (end.step == Step::kApply) {
    keepMessages_ = true;
  }
  if (closing_) {
    end.then = Ended::Then::kClose;
  } else if (end.step == Step::kApply || recount) {
    // After a change to film.dat, or to the shop, the counts again.
    end.then = Ended::Then::kCounts;
  } else if (end.step == Step::kCounts && !waiting_.empty()) {
    end.then = Ended::Then::kBringBack;
    end.sheet = std::exchange(waiting_, std::wstring());
  } else if (end.step == Step::kCounts && pending_ != 0) {
    end.then = Ended::Then::kPress;
    end.press = std::exchange(pending_, 0);
  }
  return end;
}
