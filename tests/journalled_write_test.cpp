// A write of more slots than one journal holds goes in several groups: every
// change of it goes in, wherever the groups' runs meet, and another
// program's change between two groups stops the write before the next one.
#include "store/journalled_write.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <vector>

#include "platform/env.h"
#include "store/journal_plan.h"
#include "store/store_state.h"
#include "tests/test_support.h"

namespace {

// More slots than two groups hold when every one of them is changed.
constexpr Slot kSlots = 2600;

// Slot `slot`'s record of generation `generation`: every byte differs from
// the generation before's and from the neighbours'.
InventoryRecord Marked(Slot slot, uint8_t generation) {
  InventoryRecord record;
  for (uint32_t b = 0; b < kRecordSize; ++b) {
    record.bytes[b] = static_cast<uint8_t>(slot * 31 + b * 7 + generation);
  }
  return record;
}
Bytes Inventory(const std::function<uint8_t(Slot)>& generation) {
  Bytes file;
  for (Slot s = 0; s < kSlots; ++s) {
    const InventoryRecord r = Marked(s, generation(s));
    file.insert(file.end(), r.bytes, r.bytes + kRecordSize);
  }
  return file;
}

// Another program that writes `bytes` at `offset` of film.dat, past the
// write's hold (which binds only programs that ask for it), when the write
// moves to `when` for the `nth` time.
class OtherProgramAt : public platform::EnvWrapper {
 public:
  OtherProgramAt(platform::Env& target, std::string path, uint32_t when, int nth, uint32_t offset,
                 Bytes bytes)
      : EnvWrapper(target),
        path_(std::move(path)),
        when_(when),
        nth_(nth),
        offset_(offset),
        bytes_(std::move(bytes)) {}
  platform::FileResult SetFilePosition(platform::FileRef file, uint32_t offset) override {
    if (offset == when_ && --nth_ == 0) {
      std::fstream other(path_, std::ios::in | std::ios::out | std::ios::binary);
      other.seekp(offset_);
      other.write(reinterpret_cast<const char*>(bytes_.data()),
                  static_cast<std::streamsize>(bytes_.size()));
    }
    return target().SetFilePosition(file, offset);
  }

 private:
  std::string path_;
  uint32_t when_;
  int nth_;
  uint32_t offset_;
  Bytes bytes_;
};

class ManyGroups : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    DataPath = kDeviceDataPath;
    WriteBytes("film.dat", Inventory([](Slot) { return 0; }));
  }
  // The changes of every slot that `changed` picks, to generation 1.
  static std::vector<SlotChange> Changes(const std::function<bool(Slot)>& changed) {
    std::vector<SlotChange> changes;
    for (Slot s = 0; s < kSlots; ++s) {
      if (changed(s)) changes.push_back({s, Marked(s, 1), Marked(s, 0)});
    }
    return changes;
  }
  static std::vector<PlannedGroup> Plan(const std::vector<SlotChange>& changes) {
    return PlanGroups(
        changes.size(), [&changes](size_t i) { return changes[i].slot; },
        uint64_t{kSlots} * kRecordSize);
  }
};

}  // namespace

TEST_F(ManyGroups, EveryChangeGoesInWhereverTheGroupsMeet) {
  // Every slot: a run cut by the group's room, the next group's window
  // reaching back over the slot the group before wrote. Two of three and
  // one of two: the groups meet at an untouched slot or at a changed one.
  const std::vector<std::pair<const char*, std::function<bool(Slot)>>> picks = {
      {"every slot", [](Slot) { return true; }},
      {"two of three", [](Slot s) { return s % 3 != 2; }},
      {"one of two", [](Slot s) { return s % 2 == 0; }}};
  for (const auto& [name, changed] : picks) {
    WriteBytes("film.dat", Inventory([](Slot) { return 0; }));
    const std::vector<SlotChange> changes = Changes(changed);
    ASSERT_GE(Plan(changes).size(), 3u) << name;
    SlotChangeList list(changes);
    const SlotsWritten written = WriteSlotsJournalled(list);
    EXPECT_EQ(written.outcome, WriteOutcome::kWritten)
        << name << ", stopped at " << written.stopped;
    EXPECT_EQ(written.written, changes.size()) << name;
    EXPECT_EQ(ReadBytes("film.dat"), Inventory([&](Slot s) { return changed(s) ? 1 : 0; })) << name;
    EXPECT_FALSE(WholeJournal()) << name;
  }
}

TEST_F(ManyGroups, AnotherProgramsChangeBetweenTwoGroupsStopsTheWrite) {
  const std::vector<SlotChange> changes = Changes([](Slot) { return true; });
  const std::vector<PlannedGroup> plan = Plan(changes);
  const size_t firstGroup = plan[0].back().to;
  const auto met = static_cast<Slot>(firstGroup - 1);  // the last slot of the first group
  // When the write reads the second group's window again at its turn, the
  // other program has changed: the slot where the groups meet, which the
  // first group wrote; a slot of the second group; the record after its
  // last run.
  const Slot afterSecond = changes[plan[1].back().to - 1].slot + 1;
  for (const Slot theirs : {met, met + 1, afterSecond}) {
    const Bytes before = Inventory([](Slot) { return 0; });
    WriteBytes("film.dat", before);
    const uint8_t generation = theirs == met ? 7 : 9;  // neither the old record nor the new
    const InventoryRecord r = Marked(theirs, generation);
    OtherProgramAt other(platform::CurrentEnv(), Path("film.dat"), SlotOffset(met), /*nth=*/2,
                         SlotOffset(theirs), Bytes(r.bytes, r.bytes + kRecordSize));
    platform::SetEnv(&other);
    SlotChangeList list(changes);
    const SlotsWritten written = WriteSlotsJournalled(list);
    platform::SetEnv(&faults_);
    EXPECT_EQ(written.outcome, WriteOutcome::kChanged) << theirs;
    EXPECT_EQ(written.written, firstGroup) << theirs;
    EXPECT_EQ(ReadBytes("film.dat"), Inventory([&](Slot s) -> uint8_t {
                if (s == theirs) return generation;
                return s < static_cast<Slot>(firstGroup) ? 1 : 0;
              }))
        << "the first group stays written, the other program's record stays, nothing else "
           "written; slot "
        << theirs;
    EXPECT_FALSE(WholeJournal()) << theirs;
  }
}
