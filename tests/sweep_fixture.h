// What the fault sweep and the crash sweep share: a scenario (the files a
// command starts from, and what the user does), each run of it from those
// files afresh, the user's actions both sweeps drive, and the tally of the
// runs that held.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "commands/write_outcome.h"
#include "config/configuration.h"
#include "config/settings_save.h"
#include "records/delete_command.h"
#include "records/find_amend.h"
#include "store/record_writes.h"
#include "tests/records_fixture.h"

struct SweepScenario {
  const char* name;  // a test name: letters only
  // Makes the files and, unless the action is the start-up, opens them.
  std::function<void(RecordsTest&)> setup;
  // Queues what the user does and runs the command; false when the start-up
  // failed, so that there is no index to check.
  std::function<bool()> action;
};

// A scenario prints as its name, so that ctest's test names stay the same
// from build to build. GoogleTest never picks a printer of the base for a
// sweep's own scenario type, so each type says so too (SWEEP_PRINTS_ITS_NAME).
inline void PrintTo(const SweepScenario& s, std::ostream* out) { *out << s.name; }
#define SWEEP_PRINTS_ITS_NAME(Type) \
  inline void PrintTo(const Type& s, std::ostream* out) { *out << s.name; }

// The parameterised test's name for a scenario.
template <typename Scenario>
std::string ScenarioName(const ::testing::TestParamInfo<Scenario>& info) {
  return info.param.name;
}

// A sweep over `Scenario`s, each a SweepScenario with whatever its sweep
// judges by.
template <typename Scenario>
class Sweep : public RecordsTest, public ::testing::WithParamInterface<Scenario> {
 protected:
  // The scenario's files and state, anything an earlier run left behind
  // (files, state, unused scripts, faults) thrown away. An empty folder
  // "card" is there for a scenario's storage card.
  void Prepare() {
    host::ResetHost();
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      std::filesystem::remove_all(entry.path());
    }
    std::filesystem::create_directory(Path("card"));
    Restart();
    this->GetParam().setup(*this);
    faults_.Reset();
  }
  // Counts a run, which held when `why` is empty; otherwise the test fails
  // with `run` and `why`.
  void Tally(const std::string& run, const std::string& why) {
    ++runs_;
    if (why.empty()) {
      ++held_;
    } else {
      ADD_FAILURE() << run << ":" << why;
    }
  }
  // Prints "<summary>, <held> held" and expects every run to have held.
  void ExpectEveryRunHeld(const std::string& summary) {
    host::ResetHost();  // a failed or cut run may leave its script unused
    std::printf("%s, %d held\n", summary.c_str(), held_);
    EXPECT_EQ(held_, runs_);
  }

  int runs_ = 0;
  int held_ = 0;
};

// What the user does in the sweeps' scenarios; each returns true.
namespace sweep_user {

// Amend, the item asked for by `answer`, given `description` and `price`.
inline bool AmendByNumber(const wchar_t* answer, const wchar_t* description, const wchar_t* price) {
  host::QueueDialog(RecordsTest::Answer(answer));
  host::QueueDialog(Script(IDD_AMEND)
                        .SetText(IDC_DESCRIPTION, description)
                        .SetText(IDC_PRICE, price)
                        .Click(IDOK));
  AmendCommand();
  return true;
}

// Amend, asked `pattern`: the second match taken, `control` given `text`.
inline bool AmendSecondMatch(const wchar_t* pattern, int control, const wchar_t* text) {
  host::QueueDialog(RecordsTest::Answer(pattern));
  host::QueueDialog(Script(IDD_RESULT).Click(IDC_NEXT).Click(IDOK));
  host::QueueDialog(Script(IDD_AMEND).SetText(control, text).Click(IDOK));
  AmendCommand();
  return true;
}

inline bool DeleteItem(const wchar_t* answer) {
  host::QueueDialog(RecordsTest::Answer(answer));
  DeleteCommand();
  return true;
}

// The configuration's storage switch, then the exit's settings save.
inline bool SwitchStorageAndExit() {
  host::QueueDialog(Script(IDD_CONFIGURATION).Click(IDC_STORAGE));
  ConfigurationCommand();
  SaveSettings();
  return true;
}

// Changes of the slots `slots` of an inventory of `items` (made as
// MakeItems makes them) in one batch, each given a new description: the
// store's many-slot write, its outcome told as Amend tells one.
inline bool AmendSlots(const std::vector<Item>& items, const std::vector<int64_t>& slots) {
  const std::vector<InventoryRecord> records = MakeItems(items);
  std::vector<SlotChange> changes;
  for (int64_t slot : slots) {
    SlotChange c{slot, records[slot], records[slot]};
    const std::string description = "CHANGED " + std::to_string(slot);
    std::fill_n(c.record.bytes + kDescriptionOffset, kDescriptionSize, 0);
    std::copy(description.begin(), description.end(), c.record.bytes + kDescriptionOffset);
    changes.push_back(c);
  }
  SlotChangeList list(changes);
  const SlotsWritten written = WriteAmendedRecords(list);
  TellResult(OutcomeOf({written.outcome, written.status}, Message::kWriteBackMissing,
                       Message::kWriteBackFailed));
  return true;
}

// `count` new items, numbers from `first` on, appended after the inventory.
inline bool AppendItems(int64_t first, int count) {
  std::vector<InventoryRecord> added;
  for (int i = 0; i < count; ++i) {
    added.push_back(MakeItem({first + i, "ADDED " + std::to_string(i)}, 900 + i));
  }
  const SlotsWritten written = WriteAppendedRecords(added);
  TellResult(OutcomeOf({written.outcome, written.status}, Message::kWriteBackMissing,
                       Message::kWriteBackFailed));
  return true;
}

}  // namespace sweep_user
