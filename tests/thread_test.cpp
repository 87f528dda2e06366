// The back-office window's two threads at once, through the real host Env:
// its worker reviews a sheet (the import's dry run) and opens a shop whose
// film.dat cannot be opened, while the window saves its settings. A build
// with TALLO_TSAN runs this under ThreadSanitizer, which fails it on any
// race between the two.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "desk/desk_settings.h"
#include "desk/desk_work.h"
#include "platform/env.h"
#include "platform/host/host_control.h"
#include "tests/sheet_commands.h"

namespace {

class DeskThreads : public SheetCommands {};

bool Says(const std::vector<std::string>& said, const std::string& text) {
  for (const std::string& line : said) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

// Each outcome is its own thread's: the review sees the sheet's edit, the
// worker's failed open names its own cause, and every save is whole.
TEST_F(DeskThreads, AReviewAndASettingsSaveAtOnce) {
  WriteInventory(MakeItems({{10, "TEN", "S10", 4, 2.5f}, {11, "ELEVEN"}, {12, "TWELVE"}}));
  CsvSheet sheet = Export();
  sheet[1][kPrice] = "2.49";
  std::ofstream(Path("in.csv"), std::ios::binary) << WriteCsv(sheet);
  std::filesystem::create_directories(Path("broken/film.dat"));  // a folder, not a file

  DeskWork work;
  const DeskSettings shop{folder_, "", "", "", {}};
  const DeskSettings broken{Path("broken"), "", "", "", {}};
  DeskSettings saved = shop;
  saved.sheets = folder_;
  // The window's file lies in the user's profile, by its whole path. The
  // fault layer counts without a lock: the real Env alone, as the window has.
  const std::wstring settings = platform::host::Widen(Path("desk.ini"));
  platform::SetEnv(nullptr);

  constexpr int kRounds = 3;
  std::atomic<bool> working{true};
  std::vector<DeskWork::Reviewed> reviews;
  std::vector<std::string> brokenSaid;
  std::thread worker([&] {
    for (int round = 0; round < kRounds; ++round) {
      reviews.push_back(work.Review(shop, Path("in.csv"), ImportRules{}, nullptr));
      work.TakeMessages();
      DeskWork::Counts counts;
      if (!work.ReadCounts(broken, &counts)) {
        for (const std::string& line : work.TakeMessages()) brokenSaid.push_back(line);
      }
    }
    working = false;
  });
  int saves = 0, failed = 0;
  while (working || saves == 0) {
    ++saves;
    if (!SaveDeskSettings(settings, saved)) ++failed;
  }
  worker.join();
  platform::SetEnv(&faults_);

  EXPECT_EQ(failed, 0) << "of " << saves << " saves";
  EXPECT_EQ(reviews, std::vector<DeskWork::Reviewed>(kRounds, DeskWork::Reviewed::kReady));
  ASSERT_NE(work.plan(), nullptr);
  EXPECT_EQ(work.plan()->Count(ImportPlan::Part::kChange), 1u);
  EXPECT_TRUE(Says(brokenSaid, "film.dat is not a regular file"))
      << (brokenSaid.empty() ? "" : brokenSaid[0]);
  DeskSettings loaded;
  LoadDeskSettings(settings, &loaded);
  EXPECT_EQ(loaded.folder, saved.folder);
  EXPECT_EQ(loaded.sheets, saved.sheets);
  EXPECT_FALSE(Exists("desk.ini.tmp"));
}

}  // namespace
