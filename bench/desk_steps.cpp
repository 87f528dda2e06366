// desk_steps: the back-office window's steps without the window, as its
// worker thread runs them (desk/desk_work.h): an export to a sheet, or the
// review of a sheet brought back, with the window's progress counter. For
// the window's figures in bench/README.md beside filmtool's.
//   desk_steps export FOLDER OUT.xlsx
//   desk_steps review FOLDER SHEET.xlsx
// Prints what the step said and, for a review, the rows the list would show.
#include <atomic>
#include <cstdio>
#include <string>

#include "desk/desk_work.h"
#include "platform/console.h"

namespace {

// The window's worker keeps how far a step has come for its timer.
class Counter : public Progress {
 public:
  bool Step(uint64_t done, uint64_t total) override {
    if (total > 0) permille_ = static_cast<int>(done * 1000 / total);
    return true;
  }

 private:
  std::atomic<int> permille_{0};
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = platform::StartConsole(argc, argv);
  if (args.size() != 3 || (args[0] != "export" && args[0] != "review")) {
    std::fprintf(stderr, "usage: desk_steps export|review FOLDER SHEET\n");
    return 2;
  }
  const DeskSettings shop{args[1], "", "", ""};
  DeskWork work;
  Counter progress;
  int status = 0;
  if (args[0] == "export") {
    size_t rows = 0;
    status = work.Export(shop, args[2], &progress, &rows) == ExportEnd::kWritten ? 0 : 1;
    std::printf("%zu rows exported\n", rows);
  } else {
    const DeskWork::Reviewed reviewed = work.Review(shop, args[2], ImportRules{}, &progress);
    status =
        reviewed == DeskWork::Reviewed::kReady || reviewed == DeskWork::Reviewed::kNothing ? 0 : 1;
    if (const ImportPlan* plan = work.plan()) {
      size_t rows = 0;
      for (size_t p = 0; p < ImportPlan::kParts; ++p) {
        rows += plan->Count(static_cast<ImportPlan::Part>(p));
      }
      std::printf("%zu items to change, %zu rows in the review\n", plan->ChangedItems(), rows);
    }
  }
  for (const std::string& line : work.TakeMessages()) std::printf("%s\n", line.c_str());
  return status;
}
