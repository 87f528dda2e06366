// Every file operation of every command, failed (and, for reads and writes,
// cut short) in turn. Each run must end in one of the command's own failure
// messages or in success; the file must hold either what it held before or
// exactly what the command meant to write, the failure must never pass
// silently, and the index, prefixes and counts must still agree with the
// file.
#include <algorithm>
#include <set>

#include "records/find_amend.h"
#include "tests/kit/store_invariants.h"
#include "tests/sweep_fixture.h"

namespace {

using namespace sweep_user;

struct Scenario : SweepScenario {
  Scenario(const char* name, std::function<void(RecordsTest&)> setup, std::function<bool()> action,
           std::string file, std::set<std::string> failures)
      : SweepScenario{name, std::move(setup), std::move(action)},
        file(std::move(file)),
        failures(std::move(failures)) {}
  // The file the command writes, and the messages ("caption|text") that may
  // tell of a failure.
  std::string file;
  std::set<std::string> failures;
};
SWEEP_PRINTS_ITS_NAME(Scenario)

// More slots than one read block, every tenth a "RED" item.
std::vector<Item> ManyItems() {
  std::vector<Item> items;
  for (int i = 0; i < 300; ++i) {
    items.push_back(
        {300 - i, i % 10 == 0 ? "RED ITEM" : "BLUE ITEM", "S", 1, 1.0f, 1.0f, 1.0f, 0, 0});
  }
  items[5].number = -1;
  return items;
}

void OpenMany(RecordsTest& t) { t.Open(ManyItems()); }

const std::string kNotPresent = "Fatal error|Data file: film.dat, not present.";
const std::string kNotRead = "Problem|Not able to read film.dat";

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> scenarios = {
      {"StartUpWithAnInventory",
       [](RecordsTest& t) { t.WriteInventory(MakeItems(ManyItems())); },
       [] { return Opendata(); },
       "film.dat",
       {"Fatal error|Unable to open film.dat in Opendata",
        "Fatal error|Data file film.dat corrupt in Opendata."}},
      {"StartUpCreatingTheInventory",
       [](RecordsTest&) {},
       [] { return Opendata(); },
       "film.dat",
       {"Fatal error|Unable to create inventory file.",
        "Fatal error|Unable to open inventory file.",
        "Fatal error|Film.dat has no data in Opendata.",
        "Fatal error|Data file film.dat corrupt in Opendata.",
        "Fatal error|Unable to open film.dat in Opendata"}},
      {"FindByNumber",
       OpenMany,
       [] {
         host::QueueDialog(RecordsTest::Answer(L"150"));
         host::QueueDialog(Script(IDD_VIEW).Click(IDOK));
         FindCommand();
         return true;
       },
       "film.dat",
       {kNotPresent, kNotRead}},
      {"FindByDescriptionToTheEnd",
       OpenMany,
       [] {
         host::QueueDialog(RecordsTest::Answer(L"RED"));
         Script result(IDD_RESULT);
         for (int i = 0; i < 40; ++i) result.Click(IDC_NEXT);
         host::QueueDialog(result);
         FindCommand();
         return true;
       },
       "film.dat",
       {kNotPresent, "Problem|Film.dat"}},
      {"AmendByNumber",
       OpenMany,
       [] { return AmendByNumber(L"150", L"NEW", L"2"); },
       "film.dat",
       {kNotPresent, kNotRead, "Problem|Data file: film.dat, not present.", "Problem|Film.dat"}},
      {"AmendByDescription",
       OpenMany,
       [] { return AmendSecondMatch(L"RED", IDC_DESCRIPTION, L"GREEN"); },
       "film.dat",
       {kNotPresent, "Problem|Film.dat", "Problem|Data file: film.dat, not present."}},
      {"Delete",
       OpenMany,
       [] { return DeleteItem(L"150"); },
       "film.dat",
       {kNotPresent, kNotRead, "Problem|Not able to write film.dat"}},
      {"AmendManySlots",
       OpenMany,
       [] {
         return AmendSlots(ManyItems(), {10, 11, 100, 102, 250});
       },
       "film.dat",
       {"Problem|Data file: film.dat, not present.", "Problem|Film.dat"}},
      {"AppendSlotsJournalled",
       OpenMany,
       [] { return AppendItems(400, 3); },
       "film.dat",
       {"Problem|Data file: film.dat, not present.", "Problem|Film.dat"}},
      {"StorageSwitchAndExit",
       [](RecordsTest& t) {
         OpenMany(t);
         host::SetStorageCard(host::CardState::kPresent, L"\\Storage Card");
       },
       SwitchStorageAndExit,
       "tallo.cfg",
       {"Problem|Unable to save configuration file"}},
  };
  return scenarios;
}

}  // namespace

class FaultSweep : public Sweep<Scenario> {
 protected:
  // Message boxes the command showed, as "caption|text".
  std::vector<std::string> Boxes() const {
    std::vector<std::string> boxes;
    const auto& events = host::Events();
    for (size_t i = firstEvent_; i < events.size(); ++i) {
      if (events[i].kind == host::UiEvent::Kind::kMessageBox) {
        boxes.push_back(host::Narrow(events[i].caption) + "|" + host::Narrow(events[i].text));
      }
    }
    return boxes;
  }
  // The scenario's files; the events that follow are the command's.
  void Prepare() {
    Sweep::Prepare();
    firstEvent_ = host::Events().size();
  }
  // What is wrong with the run that just ended, or "".
  std::string Judge(const Bytes& before, const Bytes& intended,
                    const std::vector<std::string>& normalBoxes, bool opened) const {
    const Scenario& s = GetParam();
    std::string why;
    bool toldFailure = false;
    for (const std::string& box : Boxes()) {
      const bool normal =
          std::find(normalBoxes.begin(), normalBoxes.end(), box) != normalBoxes.end();
      if (s.failures.count(box) != 0) toldFailure = true;
      if (!normal && s.failures.count(box) == 0) why += " unexpected message \"" + box + "\";";
    }
    const Bytes after = ReadBytes(s.file);
    const bool startUp = std::string(s.name).rfind("StartUp", 0) == 0;
    if (after != intended && after != before) {
      why += " the file is neither as before nor as meant;";
    }
    if (after != intended && intended != before && !toldFailure && !startUp) {
      why += " the change did not happen and nobody was told;";
    }
    if (opened && s.file == "film.dat") {
      const std::string disagreement = CheckStoreAgreesWith(after);
      if (!disagreement.empty()) why += " " + disagreement + ";";
    }
    return why;
  }

  size_t firstEvent_ = 0;
};

TEST_P(FaultSweep, EveryFileOperationFailsSafely) {
  const Scenario& s = GetParam();
  // The run without faults: how many calls of each operation, and the file
  // the command means to leave.
  Prepare();
  const Bytes before = ReadBytes(s.file);
  ASSERT_TRUE(s.action());
  const Bytes intended = ReadBytes(s.file);
  const std::vector<std::string> normalBoxes = Boxes();
  int calls[static_cast<int>(FileOp::kCount)];
  for (int op = 0; op < static_cast<int>(FileOp::kCount); ++op) {
    calls[op] = faults_.Count(static_cast<FileOp>(op));
  }

  for (int op = 0; op < static_cast<int>(FileOp::kCount); ++op) {
    const auto fileOp = static_cast<FileOp>(op);
    const bool canBeShort = fileOp == FileOp::kRead || fileOp == FileOp::kWrite;
    for (int nth = 1; nth <= calls[op]; ++nth) {
      // A full disk takes a write part-way and then fails it.
      for (Fault fault : {Fault::kFail, Fault::kShort, Fault::kDiskFull}) {
        if (fault == Fault::kShort && !canBeShort) continue;
        if (fault == Fault::kDiskFull && fileOp != FileOp::kWrite) continue;
        Prepare();
        faults_.Inject(fileOp, nth, fault);
        const bool opened = s.action();
        Tally(std::string(testkit::kFileOpNames[op]) + " " + std::to_string(nth) +
                  (fault == Fault::kShort      ? " short"
                   : fault == Fault::kDiskFull ? " on a full disk"
                                               : " failed"),
              Judge(before, intended, normalBoxes, opened));
      }
    }
  }
  ExpectEveryRunHeld("fault sweep, " + std::string(s.name) + ": " + std::to_string(runs_) +
                     " faults injected");
  EXPECT_GT(runs_, 2);
}

INSTANTIATE_TEST_SUITE_P(Commands, FaultSweep, ::testing::ValuesIn(Scenarios()),
                         ScenarioName<Scenario>);

// A disk that stays full: an append whose slots do not fit leaves film.dat
// at its old size, told as a failed write; the index and counts stay.
TEST_F(RecordsTest, AnAppendThatDoesNotFitLeavesTheFileAtItsOldSize) {
  OpenMany(*this);
  const Bytes before = ReadBytes("film.dat");
  std::vector<InventoryRecord> added;
  for (int i = 0; i < 3; ++i) added.push_back(MakeItem({400 + i, "ADDED"}, 900 + i));
  faults_.Inject(FileOp::kWrite, 2, Fault::kDiskFull, /*persistent=*/true);  // after the journal
  const SlotsWritten written = WriteAppendedRecords(added);
  EXPECT_EQ(written.outcome, WriteOutcome::kFailed);
  EXPECT_EQ(written.status.step, FileStep::kWrite);
  EXPECT_EQ(written.status.path, L"film.dat");
  EXPECT_EQ(written.status.error, platform::FileError::kDiskFull);
  EXPECT_EQ(ReadBytes("film.dat"), before);
  EXPECT_EQ(SlotCount, 300);
  EXPECT_EQ(CheckStoreAgreesWith(before), "");
}
