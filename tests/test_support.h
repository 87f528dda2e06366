// Shared ground for the unit tests: a fresh temp folder per test that bare
// file names resolve in, every piece of process state back at its start, and
// helpers to build records and files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host/host_control.h"
#include "store/inventory_record.h"
#include "store/store_state.h"

using Bytes = std::vector<uint8_t>;

// Every piece of process state back at its start: store, records, host
// (no faults, no card, no events, no scripts), MainWindow the host's
// stand-in, and the dialog templates loaded.
void ResetProgramState();

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 public:
  // As at a new start of the program: all state back, the same folder.
  void Restart();
  // The host back end afresh (no events, faults or scripts), the same folder;
  // the program's own state stays.
  void FreshHost();

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  void WriteBytes(const std::string& name, const Bytes& bytes) const;
  Bytes ReadBytes(const std::string& name) const;
  bool Exists(const std::string& name) const;
  void WriteInventory(const std::vector<InventoryRecord>& records,
                      const std::string& name = "film.dat") const;

  // Message boxes, beeps and dialogs in order: "beep 0",
  // "box <owner>|caption|text", "dialog <id> <owner>".
  std::vector<std::string> Ui() const;

  std::string folder_;
};

// A record with the given number and description; every other byte is a
// pattern that depends on `seed`, so that carried-through bytes show.
InventoryRecord MakeRecord(int64_t number, const std::string& description, uint8_t seed = 0);
Bytes RecordBytes(const InventoryRecord& record);

inline bool operator==(const IndexEntry& a, const IndexEntry& b) {
  return a.number == b.number && a.slot == b.slot;
}
inline std::ostream& operator<<(std::ostream& out, const IndexEntry& e) {
  return out << "(" << e.number << ", " << e.slot << ")";
}
