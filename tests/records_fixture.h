// Ground for the record commands' tests: an opened inventory and the
// scripted user.
#pragma once

#include <string>
#include <vector>

#include "commands/records_state.h"
#include "messages/opening_messages.h"
#include "resources/resource_ids.h"
#include "tests/test_support.h"

using Script = testkit::DialogScript;

class RecordsTest : public ProgramTest {
 public:
  // Writes the inventory and opens it.
  void Open(const std::vector<InventoryRecord>& records);
  void Open(const std::vector<Item>& items) { Open(MakeItems(items)); }
  // The prompt answered with `answer` and OK.
  static Script Answer(const std::wstring& answer);
  // The dialogs that ran, in order of opening.
  const std::vector<host::DialogRun>& Runs() const { return host::DialogRuns(); }
  // The first snapshot of dialog run `i` (after its initialisation).
  const host::DialogSnapshot& Shown(size_t i) const { return Runs().at(i).snapshots.front(); }
  Bytes SlotBytes(int64_t slot) const;
};
