// Every file operation of every command, failed (and, for reads and writes,
// cut short) in turn. Each run must end in one of the command's own failure
// messages or in success; the file must hold either what it held before or
// exactly what the command meant to write, the failure must never pass
// silently, and the index, prefixes and counts must still agree with the
// file.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>

#include "config/configuration.h"
#include "records/commands.h"
#include "store/settings_file.h"
#include "tests/kit/store_invariants.h"
#include "tests/records_fixture.h"

namespace {

struct Scenario {
  const char* name;  // a test name: letters only
  // Prepares the files and, unless the action is the start-up, opens them.
  std::function<void(RecordsTest&)> setup;
  // Queues what the user does and runs the command; false when the start-up
  // failed, so that there is no index to check.
  std::function<bool()> action;
  // The file the command writes, and the messages ("caption|text") that may
  // tell of a failure.
  std::string file;
  std::set<std::string> failures;
};

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

void PrintTo(const Scenario& s, std::ostream* out) { *out << s.name; }

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
       [] {
         host::QueueDialog(RecordsTest::Answer(L"150"));
         host::QueueDialog(Script(IDD_AMEND)
                               .SetText(IDC_DESCRIPTION, L"NEW")
                               .SetText(IDC_PRICE, L"2")
                               .Click(IDOK));
         AmendCommand();
         return true;
       },
       "film.dat",
       {kNotPresent, kNotRead, "Problem|Data file: film.dat, not present.", "Problem|Film.dat"}},
      {"AmendByDescription",
       OpenMany,
       [] {
         host::QueueDialog(RecordsTest::Answer(L"RED"));
         host::QueueDialog(Script(IDD_RESULT).Click(IDC_NEXT).Click(IDOK));
         host::QueueDialog(Script(IDD_AMEND).SetText(IDC_DESCRIPTION, L"GREEN").Click(IDOK));
         AmendCommand();
         return true;
       },
       "film.dat",
       {kNotPresent, "Problem|Film.dat", "Problem|Data file: film.dat, not present."}},
      {"Delete",
       OpenMany,
       [] {
         host::QueueDialog(RecordsTest::Answer(L"150"));
         DeleteCommand();
         return true;
       },
       "film.dat",
       {kNotPresent, kNotRead, "Problem|Not able to write film.dat"}},
      {"StorageSwitchAndExit",
       [](RecordsTest& t) {
         OpenMany(t);
         host::SetStorageCard(host::CardState::kPresent, L"\\Storage Card");
       },
       [] {
         host::QueueDialog(Script(IDD_CONFIGURATION).Click(IDC_STORAGE));
         ConfigurationCommand();
         SaveSettings();
         return true;
       },
       "tallo.cfg",
       {"Problem|Unable to save configuration file"}},
  };
  return scenarios;
}

}  // namespace

class FaultSweep : public RecordsTest, public ::testing::WithParamInterface<Scenario> {
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
  // The scenario's files, with what a failed run left of its script thrown
  // away; what follows is the command's.
  void Prepare() {
    host::ResetHost();
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      std::filesystem::remove_all(entry.path());
    }
    Restart();
    GetParam().setup(*this);
    firstEvent_ = host::Events().size();
    faults_.Reset();
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

  int injected = 0, held = 0;
  for (int op = 0; op < static_cast<int>(FileOp::kCount); ++op) {
    const auto fileOp = static_cast<FileOp>(op);
    const bool canBeShort = fileOp == FileOp::kRead || fileOp == FileOp::kWrite;
    for (int nth = 1; nth <= calls[op]; ++nth) {
      for (Fault fault : {Fault::kFail, Fault::kShort}) {
        if (fault == Fault::kShort && !canBeShort) continue;
        ++injected;
        Prepare();
        faults_.Inject(fileOp, nth, fault);
        const bool opened = s.action();
        const std::string why = Judge(before, intended, normalBoxes, opened);
        if (why.empty()) {
          ++held;
        } else {
          ADD_FAILURE() << testkit::kFileOpNames[op] << " " << nth
                        << (fault == Fault::kShort ? " short" : " failed") << ":" << why;
        }
      }
    }
  }
  host::ResetHost();  // a failed run may leave its script unused
  std::printf("fault sweep, %s: %d faults injected, %d held\n", s.name, injected, held);
  EXPECT_EQ(held, injected);
  EXPECT_GT(injected, 2);
}

INSTANTIATE_TEST_SUITE_P(Commands, FaultSweep, ::testing::ValuesIn(Scenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           return std::string(info.param.name);
                         });
