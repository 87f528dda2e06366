// A power cut after every file operation of every write, with the writes
// that had not reached the medium landing in many ways: none, all, each cut
// at each sector boundary, and a fixed-seed sample of subsets; the names of
// files not yet on the medium are lost with it. After each, the
// program starts again and must find every slot holding its old record or its
// new one, byte for byte; the new one wherever a whole journal was left; the
// index, prefixes and counts agreeing with the file; film.dat at its old size
// or its new one, whole; tallo.cfg the old image or the new one, whole; and
// no journal or temporary file left behind.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "config/settings_save.h"
#include "filmtool/tool.h"
#include "office/export.h"
#include "office/listener.h"
#include "office/open_inventory.h"
#include "store/journal.h"
#include "store/settings_image.h"
#include "store/slot_io.h"
#include "tests/kit/crash_env.h"
#include "tests/kit/fault_env.h"
#include "tests/kit/single_journal.h"
#include "tests/kit/store_invariants.h"
#include "tests/sweep_fixture.h"

namespace {

using testkit::CrashEnv;
using File = std::optional<Bytes>;

using namespace sweep_user;

struct CrashScenario : SweepScenario {
  // Files of the setup whose names have not reached the medium when the
  // action starts: made by a program that a kill stopped before its flush,
  // or by an older filmtool that made the journal without one.
  std::vector<std::wstring> namesNotOnMedium = {};
  // Only the patterns where no pending write lands, where all do, and the
  // random samples: a write of many groups pends journals of megabytes,
  // with thousands of sector boundaries each.
  bool sampled = false;
};
SWEEP_PRINTS_ITS_NAME(CrashScenario)

// The back office's amend, as filmtool runs it; what it says on standard
// error is its own business here.
bool BackOfficeAmend(const std::string& number, const std::vector<std::string>& assignments) {
  testing::internal::CaptureStderr();
  Amend(number, assignments);
  testing::internal::GetCapturedStderr();
  return true;
}

std::vector<Item> Items() {
  std::vector<Item> items;
  for (int i = 0; i < 12; ++i) items.push_back({100 + i, i % 4 == 0 ? "RED HAT" : "BLUE SOCKS"});
  items[3].number = -1;
  return items;
}

void OpenItems(RecordsTest& t) { t.Open(Items()); }

// More adjacent items than one journal group holds when every one changes.
std::vector<Item> ManyItems() {
  std::vector<Item> items;
  for (int i = 0; i < 1130; ++i) items.push_back({100 + i, "ITEM " + std::to_string(i)});
  return items;
}
std::vector<int64_t> EverySlot(size_t count) {
  std::vector<int64_t> slots(count);
  for (size_t s = 0; s < count; ++s) slots[s] = static_cast<int64_t>(s);
  return slots;
}

const std::vector<CrashScenario>& Scenarios() {
  static const std::vector<CrashScenario> scenarios = {
      {"FirstStart", [](RecordsTest&) {}, [] { return Opendata(); }},
      {"AmendByNumber", OpenItems, [] { return AmendByNumber(L"105", L"GREEN SCARF", L"9.99"); }},
      {"AmendByDescription", OpenItems,
       [] { return AmendSecondMatch(L"RED", IDC_SKU1, L"NEW SKU"); }},
      {"Delete", OpenItems, [] { return DeleteItem(L"110"); }},
      {"SecondAmendWhileAJournalIsLeft",
       [](RecordsTest& t) {
         OpenItems(t);
         t.faults_.Inject(testkit::FileOp::kWrite, 3);  // the first amendment is not marked done
         AmendByNumber(L"101", L"FIRST", L"9.99");
         JournalGroup left;
         const Bytes journal = t.ReadBytes("film.jnl");
         ASSERT_TRUE(DecodeAnyJournal(journal.data(), journal.size(), &left));
       },
       [] { return AmendByNumber(L"102", L"SECOND", L"9.99"); }},
      {"ExitWritingTheSettings",
       [](RecordsTest& t) {
         Bytes cfg(kSettingsSize, 0);
         cfg[0] = 0x11;
         t.WriteBytes("tallo.cfg", cfg);
         OpenItems(t);
         SetAmendFocusOption(kOptionOn);
       },
       [] {
         SaveSettings();
         return true;
       }},
      {"StorageSwitch",
       [](RecordsTest& t) {
         OpenItems(t);
         host::SetStorageCard(host::CardState::kPresent, host::Widen(t.Path("card")));
       },
       SwitchStorageAndExit},
      // Two runs (slots 1 and 2, slots 5 and 7) and a slot of its own, in one
      // group.
      {"AmendManySlots", OpenItems,
       [] {
         return AmendSlots(Items(), {1, 2, 5, 7, 11});
       }},
      // Every slot in two groups, the second group's window taking in the
      // last slot the first wrote.
      {{"AmendSlotsInTwoGroups",
        [](RecordsTest& t) {
          t.Open(ManyItems());
          ASSERT_EQ(PlanGroups(
                        ManyItems().size(), [](size_t i) { return static_cast<Slot>(i); },
                        uint64_t{kRecordSize} * ManyItems().size())
                        .size(),
                    2u);
        },
        [] { return AmendSlots(ManyItems(), EverySlot(ManyItems().size())); }},
       {},
       /*sampled=*/true},
      {"AppendSlotsJournalled", OpenItems, [] { return AppendItems(300, 3); }},
      // The disk fills during the append's write: the file is cut back to
      // its old size, its old bytes put back, and the journal marked done.
      {"AppendOnAFullDisk", OpenItems,
       [] {
         testkit::FaultInjectionEnv full(platform::CurrentEnv());
         full.Inject(testkit::FileOp::kWrite, 2, testkit::Fault::kDiskFull);  // after the journal's
         platform::SetEnv(&full);
         AppendItems(300, 3);
         platform::SetEnv(&full.target());
         return true;
       }},
      {"SettlingAJournalAtStart",
       [](RecordsTest& t) {
         // Slot 5 torn half-way between its old record and its new one, and
         // the whole journal of that write beside the file.
         std::vector<InventoryRecord> records = MakeItems(Items());
         const Bytes file = InventoryBytes(records);
         const InventoryRecord mended = MakeItem({105, "MENDED"}, 5);
         const Bytes journal = SingleFormJournal(file, 5, mended);
         std::copy(mended.bytes, mended.bytes + 1000, records[5].bytes);
         t.WriteInventory(records);
         t.WriteBytes("film.jnl", journal);
       },
       [] { return Opendata(); }},
      // filmtool's amend in a folder without a journal: the store makes it,
      // and its name is on the medium before film.dat is written in place.
      {{"BackOfficeAmendMakingTheJournal",
        [](RecordsTest& t) { t.WriteInventory(MakeItems(Items())); },
        [] {
          return BackOfficeAmend("105", {"price=12.34", "description=CRASH TEST"});
        }}},
      // A journal beside film.dat whose name is not on the medium yet: the
      // amendment's flush of it must push its name there before the slot is
      // written.
      {{"AmendWhileTheJournalsNameIsNotOnTheMedium",
        [](RecordsTest& t) {
          OpenItems(t);
          t.WriteBytes("film.jnl", Bytes(platform::kSectorSize, 0));
        },
        [] { return AmendByNumber(L"105", L"GREEN SCARF", L"9.99"); }},
       {L"film.jnl"}},
  };
  return scenarios;
}

File ReadFile(const std::string& path) {
  if (!std::filesystem::exists(path)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes SlotOf(const Bytes& file, size_t slot) {
  return Bytes(file.begin() + slot * kRecordSize, file.begin() + (slot + 1) * kRecordSize);
}

// A medium that takes no write: every open but for reading fails.
class ReadOnlyMedium : public platform::EnvWrapper {
 public:
  using EnvWrapper::EnvWrapper;
  platform::Opened OpenFile(const std::wstring& path, platform::Access access,
                            platform::Disposition disposition) override {
    if (access != platform::Access::kRead) return platform::Opened{nullptr, kReadOnly};
    return target().OpenFile(path, access, disposition);
  }
  platform::FileResult RemoveFile(const std::wstring&) override { return kReadOnly; }
  platform::Renaming RenameFile(const std::wstring&, const std::wstring&) override {
    return platform::Renaming{platform::Renamed::kNot, kReadOnly};
  }
  platform::Renaming PutFileInPlace(const std::wstring&, const std::wstring&) override {
    return platform::Renaming{platform::Renamed::kNot, kReadOnly};
  }

 private:
  static constexpr platform::FileError kReadOnly = platform::FileError::kReadOnly;
};

}  // namespace

class CrashSweep : public Sweep<CrashScenario> {
 protected:
  // Runs the action over the crash layer, the power failing after `cut`
  // file calls (0: never).
  void Run(int cut) {
    crash_.Start(cut, GetParam().namesNotOnMedium);
    platform::SetEnv(&crash_);
    GetParam().action();
    platform::SetEnv(&faults_);
    host::ResetHost();  // a cut run leaves its scripts unused
  }
  // What is wrong with the start after a power cut that left `medium`, or "".
  std::string Judge(const CrashEnv::Medium& medium) {
    std::string why;
    // A whole journal on the medium promises its new spans.
    std::optional<JournalGroup> promised;
    const auto journal = medium.files.find(Path("film.jnl"));
    if (journal != medium.files.end() && journal->second) {
      JournalGroup group;
      if (DecodeAnyJournal(journal->second->data(), journal->second->size(), &group)) {
        promised = group;
      }
    }
    why += JudgeReader(medium, promised);
    Restart();
    host::SetStorageCard(host::CardState::kPresent, host::Widen(Path("card")));
    next_.Resume(medium);  // the sectors the cut broke off fail to read
    platform::SetEnv(&next_);
    const bool started = Opendata();
    platform::SetEnv(&faults_);
    for (const std::string& line : Ui()) why += " it said \"" + line + "\";";
    if (!started) return why + " the next start failed;";
    const File film = ReadFile(Path("film.dat"));
    const bool oldSize = film && before_.film && film->size() == before_.film->size();
    // A whole journal that belongs to the file must have been finished: an
    // append's too, which takes the file to its new size (also where the run
    // itself gave the append up).
    const bool append = promised && promised->newSize > promised->fileSize;
    const bool promisedSize = append && film && film->size() == promised->newSize;
    if (!film || (!oldSize && !promisedSize && film->size() != after_.film->size())) {
      return why + " film.dat is gone or neither its old size nor its new one;";
    }
    const size_t newSlots = after_.film->size() / kRecordSize;
    for (size_t s = 0; s < film->size() / kRecordSize; ++s) {
      const Bytes slot = SlotOf(*film, s);
      const bool old = oldSize || (before_.film && s < before_.film->size() / kRecordSize);
      if (!old && s >= newSlots) continue;  // the promised span, judged below
      if ((!old || slot != SlotOf(*before_.film, s)) &&
          (s >= newSlots || slot != SlotOf(*after_.film, s))) {
        why += " slot " + std::to_string(s) + " holds neither its old nor its new record;";
      }
    }
    if (promised && (append || promised->fileSize == film->size())) {
      if (film->size() != promised->newSize) why += " a whole journal's append was dropped;";
      for (const GroupEntry& e : promised->entries) {
        const FileRange span = RunSpan(e.first, e.count, promised->newSize);
        if (film->size() >= span.end() &&
            !std::equal(e.after.begin(), e.after.end(), film->begin() + span.start)) {
          why += " a whole journal's span is not in the file;";
        }
      }
    }
    const std::string disagreement = CheckStoreAgreesWith(*film);
    if (!disagreement.empty()) why += " " + disagreement + ";";
    const File cfg = ReadFile(Path("tallo.cfg"));
    if (cfg != before_.cfg && cfg != after_.cfg) why += " tallo.cfg is neither old nor new;";
    for (const char* leftover : {"film.tmp", "tallo.tmp"}) {
      if (Exists(leftover)) why += std::string(" ") + leftover + " is left;";
    }
    if (WholeJournal()) why += " a whole journal is left;";
    host::ResetHost();
    return why;
  }

  // What is wrong with what a report on a medium it cannot write reads of
  // the inventory after the power cut, or "": every slot its old record or
  // its new one, and wherever a whole journal promised new bytes, those.
  std::string JudgeReader(const CrashEnv::Medium& medium,
                          const std::optional<JournalGroup>& promised) {
    Restart();
    host::SetStorageCard(host::CardState::kPresent, host::Widen(Path("card")));
    next_.Resume(medium);
    ReadOnlyMedium readOnly(next_);
    platform::SetEnv(&readOnly);
    std::string why;
    uint64_t size = 0;
    Bytes seen;
    if (Opendata(Opening::kReading)) {
      InventoryFile file = OpenInventoryForReading();
      if (!file || !file.GetSize(&size)) return " the reader cannot read;";
      seen.resize(size);
      for (uint64_t s = 0; s < size / kRecordSize; ++s) {
        InventoryRecord r;
        if (!ReadSlot(file, static_cast<int64_t>(s), &r)) {
          why += " the reader cannot read slot " + std::to_string(s) + ";";
          continue;
        }
        std::copy_n(r.bytes, kRecordSize, seen.begin() + static_cast<ptrdiff_t>(s * kRecordSize));
        // A slot an append's whole journal adds is judged by its span below.
        const bool promisedNew = promised && s >= promised->fileSize / kRecordSize;
        const bool old = before_.film && s < before_.film->size() / kRecordSize &&
                         SlotOf(seen, s) == SlotOf(*before_.film, s);
        const bool fresh =
            s < after_.film->size() / kRecordSize && SlotOf(seen, s) == SlotOf(*after_.film, s);
        if (!old && !fresh && !promisedNew) {
          why += " the reader sees slot " + std::to_string(s) + " neither old nor new;";
        }
      }
    }
    platform::SetEnv(&faults_);
    host::ResetHost();
    const File film = ReadFile(Path("film.dat"));
    const bool append = promised && promised->newSize > promised->fileSize;
    if (film && promised && (append || promised->fileSize == film->size())) {
      if (size != promised->newSize) return why + " the reader missed a whole journal's append;";
      for (const GroupEntry& e : promised->entries) {
        const FileRange span = RunSpan(e.first, e.count, promised->newSize);
        if (!std::equal(e.after.begin(), e.after.end(), seen.begin() + span.start)) {
          why += " the reader does not see a whole journal's span;";
        }
      }
    }
    return why;
  }

  struct Files {
    File film, cfg;
  };
  Files Now() const { return {ReadFile(Path("film.dat")), ReadFile(Path("tallo.cfg"))}; }

  CrashEnv crash_;  // the run that the power cut breaks off
  CrashEnv next_;   // the start after it
  Files before_, after_;
};

TEST_P(CrashSweep, EveryCrashPointLeavesOldOrNewRecordsOnly) {
  Prepare();
  before_ = Now();
  Run(0);
  after_ = Now();
  // A write given up and undone has its undoing on the medium, its journal
  // marked done there too: a power cut now must not bring back what the
  // user was told did not happen.
  if (after_.film == before_.film && before_.film) {
    EXPECT_EQ(crash_.PendingWrites(), 0u) << GetParam().name;
  }
  const int calls = crash_.Calls();
  ASSERT_TRUE(after_.film.has_value());

  int points = 0;
  for (int cut = 1; cut <= calls; ++cut) {
    Prepare();
    Run(cut);
    ++points;
    std::vector<CrashEnv::Pattern> tries = crash_.Patterns(8, 1000 + cut);
    if (GetParam().sampled && tries.size() > 10) {
      tries.erase(tries.begin() + 2, tries.end() - 8);
    }
    for (size_t p = 0; p < tries.size(); ++p) {
      const CrashEnv::Medium medium = crash_.MediumAfter(tries[p]);
      testkit::PutMedium(medium);
      Tally("power cut after call " + std::to_string(cut) + " of " + std::to_string(calls) +
                ", pattern " + std::to_string(p) + " of " + std::to_string(tries.size()),
            Judge(medium));
    }
  }
  ExpectEveryRunHeld("crash sweep, " + std::string(GetParam().name) + ": " +
                     std::to_string(points) + " crash points, " + std::to_string(runs_) +
                     " patterns");
  EXPECT_GT(points, 2);
}

INSTANTIATE_TEST_SUITE_P(Writes, CrashSweep, ::testing::ValuesIn(Scenarios()),
                         ScenarioName<CrashScenario>);
