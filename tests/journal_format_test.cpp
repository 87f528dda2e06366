// The journal's bytes against journals written out by hand (tests/golden,
// one of each form): what the write leaves, what a reader takes, and what
// start-up makes of it. The expected bytes never come from the encoder.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "store/byte_order.h"
#include "store/journal.h"
#include "store/journal_recovery.h"
#include "store/journalled_write.h"
#include "store/store_state.h"
#include "tests/kit/single_journal.h"
#include "tests/test_support.h"

namespace {

// A golden file: hex bytes, "vv*n" for byte vv n times, "#" to the end of
// the line a comment.
Bytes Golden(const std::string& name) {
  std::ifstream in(std::string(TALLO_SOURCE_DIR) + "/tests/golden/" + name);
  EXPECT_TRUE(in) << name;
  Bytes bytes;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream tokens(line.substr(0, line.find('#')));
    std::string token;
    while (tokens >> token) {
      const size_t star = token.find('*');
      const auto value = static_cast<uint8_t>(std::stoul(token.substr(0, star), nullptr, 16));
      const size_t count = star == std::string::npos ? 1 : std::stoul(token.substr(star + 1));
      bytes.insert(bytes.end(), count, value);
    }
  }
  return bytes;
}

// The inventory of the golden journals: 8 slots, every byte of slot k is
// 0x10 + k; and the same with slot k's bytes all `value` for each change.
constexpr uint32_t kSlots = 8;
Bytes Inventory(std::initializer_list<std::pair<int, uint8_t>> changes = {}) {
  Bytes file;
  for (uint32_t k = 0; k < kSlots; ++k) file.insert(file.end(), kRecordSize, 0x10 + k);
  for (const auto& [slot, value] : changes) {
    std::fill_n(file.begin() + slot * kRecordSize, kRecordSize, value);
  }
  return file;
}
InventoryRecord Filled(uint8_t value) {
  InventoryRecord record;
  std::fill_n(record.bytes, kRecordSize, value);
  return record;
}
Bytes Slice(const Bytes& bytes, size_t from, size_t to) {
  return Bytes(bytes.begin() + from, bytes.begin() + to);
}

// Resealed after a hand edit: the body's sum and the header's.
void Reseal(Bytes* journal) {
  const uint32_t body = LoadU32(journal->data() + 24);
  StoreU32(journal->data() + 28, JournalChecksum(journal->data() + 512, body));
  StoreU32(journal->data() + 32, JournalChecksum(journal->data(), 32));
}

class JournalBytes : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    DataPath = kDeviceDataPath;
    WriteBytes("film.dat", Inventory());
  }
};

}  // namespace

TEST_F(JournalBytes, TheGroupFormReadsAsWrittenOutByHand) {
  const Bytes golden = Golden("journal_group.hex");
  ASSERT_EQ(golden.size(), 11264u);
  const Bytes before = Inventory(), after = Inventory({{1, 0xA1}, {4, 0xA4}});
  JournalGroup group;
  ASSERT_TRUE(DecodeAnyJournal(golden.data(), golden.size(), &group));
  EXPECT_EQ(group.fileSize, 14992u);
  EXPECT_EQ(group.newSize, 14992u);
  ASSERT_EQ(group.entries.size(), 2u);
  // Slot 1 is bytes 1874 to 3747, in sectors 3 to 7; slot 4 is 7496 to 9369,
  // in sectors 14 to 18.
  EXPECT_EQ(group.entries[0].first, 1);
  EXPECT_EQ(group.entries[0].count, 1);
  EXPECT_EQ(group.entries[0].before, Slice(before, 1536, 4096));
  EXPECT_EQ(group.entries[0].after, Slice(after, 1536, 4096));
  EXPECT_EQ(group.entries[1].first, 4);
  EXPECT_EQ(group.entries[1].before, Slice(before, 7168, 9728));
  EXPECT_EQ(group.entries[1].after, Slice(after, 7168, 9728));
  EXPECT_EQ(EncodeGroup(group), golden);

  // Each sum guards its bytes.
  for (size_t at : {size_t{4}, size_t{20}, size_t{512 + 30}, size_t{512 + 24 + 5120 + 20}}) {
    Bytes damaged = golden;
    damaged[at] ^= 1;
    EXPECT_FALSE(DecodeAnyJournal(damaged.data(), damaged.size(), &group)) << at;
  }
}

TEST_F(JournalBytes, TheWriteLeavesTheGroupFormWrittenOutByHand) {
  // Every write to film.dat fails from the first on, the putting back and
  // the mark too: the journal stays whole as the write made it.
  faults_.Inject(FileOp::kWrite, 2, Fault::kFail, /*persistent=*/true);
  const std::vector<SlotChange> changes = {{1, Filled(0xA1), Filled(0x11)},
                                           {4, Filled(0xA4), Filled(0x14)}};
  SlotChangeList list(changes);
  EXPECT_EQ(WriteSlotsJournalled(list).outcome, WriteOutcome::kFailed);
  EXPECT_EQ(ReadBytes("film.jnl"), Golden("journal_group.hex"));
}

TEST_F(JournalBytes, StartFinishesAWriteFromEitherFormWrittenOutByHand) {
  const Bytes single = Golden("journal_single.hex");
  ASSERT_EQ(single.size(), 11u * 512);
  EXPECT_EQ(SingleFormJournal(Inventory(), 1, Filled(0xA1)), single)
      << "the test kit's single form, which other tests use, is the hand-written one";
  for (const auto& [name, after] :
       {std::pair{"journal_single.hex", Inventory({{1, 0xA1}})},
        std::pair{"journal_group.hex", Inventory({{1, 0xA1}, {4, 0xA4}})}}) {
    WriteBytes("film.dat", Inventory());
    WriteBytes("film.jnl", Golden(name));
    EXPECT_EQ(SettleJournal(), Settling::kFinished) << name;
    EXPECT_EQ(ReadBytes("film.dat"), after) << name;
    EXPECT_FALSE(WholeJournal()) << name;
  }
}

// Slots closer than three share a run: between two runs lie at least two
// untouched slots, so that no run's window meets another run's span.
TEST_F(JournalBytes, TwoRunsLeaveTwoUntouchedSlotsBetweenThem) {
  faults_.Inject(FileOp::kWrite, 2, Fault::kFail, /*persistent=*/true);
  const std::vector<SlotChange> close = {{1, Filled(0xA1), Filled(0x11)},
                                         {3, Filled(0xA3), Filled(0x13)}};
  SlotChangeList list(close);
  EXPECT_EQ(WriteSlotsJournalled(list).outcome, WriteOutcome::kFailed);
  JournalGroup group;
  const Bytes written = ReadBytes("film.jnl");
  ASSERT_TRUE(DecodeAnyJournal(written.data(), written.size(), &group));
  ASSERT_EQ(group.entries.size(), 1u);
  EXPECT_EQ(group.entries[0].first, 1);
  EXPECT_EQ(group.entries[0].count, 3);

  // The hand-written journal with its second run moved to slot 3 (span
  // 5120 to 7679, the same size) keeps one untouched slot only: refused.
  Bytes tooClose = Golden("journal_group.hex");
  const size_t second = 512 + 24 + 2 * 2560;
  StoreU32(tooClose.data() + second, 3);
  StoreU32(tooClose.data() + second + 8, 5120);
  Reseal(&tooClose);
  EXPECT_FALSE(DecodeAnyJournal(tooClose.data(), tooClose.size(), &group));
}

// A run's before and after bytes must be its span's size: the hand-written
// journal with one byte less of slot 1's old span, sums and sizes made
// right, is no journal.
TEST_F(JournalBytes, ARunWhoseBytesAreNotItsSpansIsRefused) {
  const Bytes golden = Golden("journal_group.hex");
  Bytes cut(golden.begin(), golden.begin() + 512 + 24 + 2559);
  cut.insert(cut.end(), golden.begin() + 512 + 24 + 2560, golden.end());
  cut.push_back(0);  // the last sector whole again
  StoreU32(cut.data() + 512 + 12, 2559);
  StoreU32(cut.data() + 24, 10287);
  Reseal(&cut);
  JournalGroup group;
  EXPECT_FALSE(DecodeAnyJournal(cut.data(), cut.size(), &group));
}

// The slots of a write come in ascending order, each once; any other order
// writes nothing, not even a journal.
TEST_F(JournalBytes, AWriteOfSlotsOutOfOrderOrTwiceWritesNothing) {
  for (const std::vector<SlotChange>& changes :
       {std::vector<SlotChange>{{4, Filled(0xA4), Filled(0x14)}, {1, Filled(0xA1), Filled(0x11)}},
        std::vector<SlotChange>{{1, Filled(0xA1), Filled(0x11)},
                                {1, Filled(0xA1), Filled(0x11)}}}) {
    SlotChangeList list(changes);
    EXPECT_EQ(WriteSlotsJournalled(list).outcome, WriteOutcome::kChanged);
    EXPECT_EQ(ReadBytes("film.dat"), Inventory());
    EXPECT_FALSE(Exists("film.jnl"));
  }
}
