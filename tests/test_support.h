// Shared ground for the unit tests: a fresh temp folder per test that bare
// file names resolve in, every piece of process state back at its start, the
// fault-injecting Env and the scripted user in use, and helpers to write and
// read files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host/host_control.h"
#include "store/inventory_record.h"
#include "store/store_state.h"
#include "tests/kit/fault_env.h"
#include "tests/kit/record_builder.h"
#include "tests/kit/scripted_user.h"

// What the tests set and read around the program, by one name: the host back
// end's folder and card, and the scripted user at its screen.
namespace host {
using namespace platform::host;
using namespace testkit;
// The back end and the scripted user back at their start (the templates
// stay loaded).
void ResetHost();
}  // namespace host
using Lines = std::vector<std::string>;
using testkit::Fault;
using testkit::FileOp;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 public:
  // As at a new start of the program: all state back, the same folder.
  void Restart();
  // The host back end and the faults afresh (no events, faults or scripts),
  // the same folder; the program's own state stays. Every dialog script and
  // message-box answer queued before must have been used up.
  void FreshHost();

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  void WriteBytes(const std::string& name, const Bytes& bytes) const;
  Bytes ReadBytes(const std::string& name) const;
  bool Exists(const std::string& name) const;
  void WriteInventory(const std::vector<InventoryRecord>& records,
                      const std::string& name = "film.dat") const;
  // True when `name` holds a whole journal, one not marked done.
  bool WholeJournal(const std::string& name = "film.jnl") const;

  // Message boxes, beeps and dialogs in order: "beep 0",
  // "box <owner>|caption|text", "dialog <id> <owner>".
  std::vector<std::string> Ui() const;

  std::string folder_;
  testkit::FaultInjectionEnv faults_;
};

inline bool operator==(const IndexEntry& a, const IndexEntry& b) {
  return a.number == b.number && a.slot == b.slot;
}
inline std::ostream& operator<<(std::ostream& out, const IndexEntry& e) {
  return out << "(" << e.number << ", " << e.slot << ")";
}
