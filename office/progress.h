// How long work tells how far it has come, and hears that it is to stop:
// the back-office window's progress bar and its Cancel. The command line
// passes none.
#pragma once

#include <cstdint>

class Progress {
 public:
  virtual ~Progress() = default;
  // `done` of `total` steps (a total that is only an estimate may be
  // passed). False when the work is to stop: it then ends before anything
  // more is written, leaving every file as it was.
  virtual bool Step(uint64_t done, uint64_t total) = 0;
};

// Steps on `progress` every `every` calls of Tick, so that a loop over a
// million rows pays little for being watched; with no progress, never stops.
class ProgressTicker {
 public:
  explicit ProgressTicker(Progress* progress, uint32_t every = 1024)
      : progress_(progress), every_(every) {}
  // False once the work is to stop.
  bool Tick(uint64_t done, uint64_t total) {
    if (progress_ == nullptr || ++calls_ % every_ != 0) return !stopped_;
    stopped_ = stopped_ || !progress_->Step(done, total);
    return !stopped_;
  }
  bool stopped() const { return stopped_; }

 private:
  Progress* progress_;
  uint32_t every_;
  uint32_t calls_ = 0;
  bool stopped_ = false;
};
