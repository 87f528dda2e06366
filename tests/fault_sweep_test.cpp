// Every file operation of every command, failed (and, for reads and writes,
// cut short) in turn. Each run must end in one of the command's own failure
// messages or in success; the inventory must hold either what it held before
// or exactly what the command meant to write, the failure must never pass
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
#include "store/settings_image.h"
#include "tests/records_fixture.h"
#include "tests/store_invariants.h"

namespace {

struct Scenario {
  const char* name;
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

const host::FileOp kOps[] = {host::FileOp::kOpen, host::FileOp::kRead, host::FileOp::kWrite,
                             host::FileOp::kSeek, host::FileOp::kSize, host::FileOp::kFlush};
const char* const kOpNames[] = {"open", "read", "write", "seek", "size", "flush"};

std::vector<Item> ManyItems() {
  std::vector<Item> items;
  for (int i = 0; i < 600; ++i) {
    items.push_back(
        {600 - i, i % 3 == 0 ? "RED ITEM" : "BLUE ITEM", "S", 1, 1.0f, 1.0f, 1.0f, 0, 0});
  }
  items[5].number = -1;
  return items;
}

void OpenMany(RecordsTest& t) { t.Open(ManyItems()); }

const std::string kNotPresent = "Fatal error|Data file: film.dat, not present.";
const std::string kNotRead = "Problem|Not able to read film.dat";

std::vector<Scenario> Scenarios() {
  return {
      {"start-up with an inventory",
       [](RecordsTest& t) {
         t.WriteInventory([] {
           std::vector<InventoryRecord> r;
           for (const Item& i : ManyItems()) r.push_back(MakeItem(i));
           return r;
         }());
       },
       [] { return Opendata(); },
       "film.dat",
       {"Fatal error|Unable to open film.dat in Opendata",
        "Fatal error|Data file film.dat corrupt in Opendata."}},
      {"start-up creating the inventory",
       [](RecordsTest&) {},
       [] { return Opendata(); },
       "film.dat",
       {"Fatal error|Unable to create inventory file.",
        "Fatal error|Unable to open inventory file.",
        "Fatal error|Film.dat has no data in Opendata.",
        "Fatal error|Data file film.dat corrupt in Opendata.",
        "Fatal error|Unable to open film.dat in Opendata"}},
      {"find by number",
       OpenMany,
       [] {
         host::QueueDialog(RecordsTest::Answer(L"300"));
         host::QueueDialog(Script(IDD_VIEW).Click(IDOK));
         FindCommand();
         return true;
       },
       "film.dat",
       {kNotPresent, kNotRead}},
      {"find by description to the end",
       OpenMany,
       [] {
         host::QueueDialog(RecordsTest::Answer(L"RED"));
         Script result(IDD_RESULT);
         for (int i = 0; i < 250; ++i) result.Click(IDC_NEXT);
         host::QueueDialog(result);
         FindCommand();
         return true;
       },
       "film.dat",
       {kNotPresent, "Problem|Film.dat"}},
      {"amend by number",
       OpenMany,
       [] {
         host::QueueDialog(RecordsTest::Answer(L"300"));
         host::QueueDialog(Script(IDD_AMEND)
                               .SetText(IDC_DESCRIPTION, L"NEW")
                               .SetText(IDC_PRICE, L"2")
                               .Click(IDOK));
         AmendCommand();
         return true;
       },
       "film.dat",
       {kNotPresent, kNotRead, "Problem|Data file: film.dat, not present.", "Problem|Film.dat"}},
      {"amend by description",
       OpenMany,
       [] {
         host::QueueDialog(RecordsTest::Answer(L"BLUE"));
         host::QueueDialog(Script(IDD_RESULT).Click(IDC_NEXT).Click(IDOK));
         host::QueueDialog(Script(IDD_AMEND).SetText(IDC_DESCRIPTION, L"GREEN").Click(IDOK));
         AmendCommand();
         return true;
       },
       "film.dat",
       {kNotPresent, "Problem|Film.dat", "Problem|Data file: film.dat, not present."}},
      {"delete",
       OpenMany,
       [] {
         host::QueueDialog(RecordsTest::Answer(L"300"));
         DeleteCommand();
         return true;
       },
       "film.dat",
       {kNotPresent, kNotRead, "Problem|Not able to write film.dat"}},
      {"storage switch and exit",
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
}

}  // namespace

class FaultSweep : public RecordsTest {
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
  // The scenario's files; what follows is the command's.
  void Prepare(const Scenario& s) {
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      std::filesystem::remove_all(entry.path());
    }
    Restart();
    s.setup(*this);
    firstEvent_ = host::Events().size();
    for (int op = 0; op < 6; ++op) callsBefore_[op] = host::OperationCount(kOps[op]);
  }
  int CallsSince(int op) const { return host::OperationCount(kOps[op]) - callsBefore_[op]; }

  size_t firstEvent_ = 0;
  int callsBefore_[6] = {};
};

TEST_F(FaultSweep, EveryFileOperationOfEveryCommandFailsSafely) {
  int injected = 0, held = 0;
  for (const Scenario& s : Scenarios()) {
    // The run without faults: how many calls of each operation, and the
    // file the command means to leave.
    Prepare(s);
    const Bytes before = ReadBytes(s.file);
    ASSERT_TRUE(s.action()) << s.name;
    const Bytes intended = ReadBytes(s.file);
    const std::vector<std::string> normalBoxes = Boxes();
    int calls[6];
    for (int op = 0; op < 6; ++op) calls[op] = CallsSince(op);

    for (int op = 0; op < 6; ++op) {
      for (int nth = 1; nth <= calls[op]; ++nth) {
        for (host::Fault fault : {host::Fault::kFail, host::Fault::kShort}) {
          const bool canBeShort =
              kOps[op] == host::FileOp::kRead || kOps[op] == host::FileOp::kWrite;
          if (fault == host::Fault::kShort && !canBeShort) continue;
          ++injected;
          Prepare(s);
          host::InjectFault(kOps[op], nth, fault);
          const bool opened = s.action();
          const Bytes after = ReadBytes(s.file);
          const std::string where = std::string(s.name) + ": " + kOpNames[op] + " " +
                                    std::to_string(nth) +
                                    (fault == host::Fault::kShort ? " short" : " failed");
          bool ok = true;
          std::string why;
          const std::vector<std::string> boxes = Boxes();
          bool toldFailure = false;
          for (const std::string& box : boxes) {
            const bool normal =
                std::find(normalBoxes.begin(), normalBoxes.end(), box) != normalBoxes.end();
            if (s.failures.count(box) != 0) toldFailure = true;
            if (!normal && s.failures.count(box) == 0) {
              ok = false;
              why += " unexpected message \"" + box + "\";";
            }
          }
          const bool changedAsMeant = after == intended;
          const bool unchanged = after == before;
          if (!changedAsMeant && !unchanged && !(toldFailure && s.file != "film.dat")) {
            // Only a fresh inventory that could not be written whole may be
            // left part-written, and only with its failure told.
            const bool freshPart = before.empty() && toldFailure &&
                                   std::equal(after.begin(), after.end(), intended.begin());
            if (!freshPart) {
              ok = false;
              why += " the file is neither as before nor as meant;";
            }
          }
          if (!changedAsMeant && intended != before && !toldFailure &&
              std::string(s.name).rfind("start-up", 0) != 0) {
            ok = false;
            why += " the change did not happen and nobody was told;";
          }
          if (opened && s.file == "film.dat") {
            const std::string disagreement = CheckStoreAgreesWith(after);
            if (!disagreement.empty()) {
              ok = false;
              why += " " + disagreement + ";";
            }
          }
          if (ok) {
            ++held;
          } else {
            ADD_FAILURE() << where << ":" << why;
          }
        }
      }
    }
  }
  std::printf("fault sweep: %d faults injected, %d held\n", injected, held);
  EXPECT_EQ(held, injected);
  EXPECT_GT(injected, 100);
}
