// Ground for the record commands' tests: an opened inventory, the scripted
// user, and items with every shown field set.
#pragma once

#include <string>
#include <vector>

#include "platform/host/host_control.h"
#include "records/records_state.h"
#include "resources/resource_ids.h"
#include "store/opendata.h"
#include "store/store_state.h"
#include "tests/test_support.h"

namespace host = platform::host;
using Lines = std::vector<std::string>;
using Script = platform::host::DialogScript;

struct Item {
  int64_t number;
  std::string description;
  std::string sku = "SKU";
  uint32_t inStock = 5;
  float price = 1.5f;
  float cost = 0.75f;
  float trade = 1.25f;
  uint32_t category = 3;
  uint32_t tax = 1;
};

InventoryRecord MakeItem(const Item& item, uint8_t seed = 0);

class RecordsTest : public ProgramTest {
 public:
  // Writes the inventory and opens it.
  void Open(const std::vector<InventoryRecord>& records);
  void Open(const std::vector<Item>& items);
  // The prompt answered with `answer` and OK.
  static Script Answer(const std::wstring& answer);
  // The dialogs that ran, in order of opening.
  const std::vector<host::DialogRun>& Runs() const { return host::DialogRuns(); }
  // The first snapshot of dialog run `i` (after its initialisation).
  const host::DialogSnapshot& Shown(size_t i) const { return Runs().at(i).snapshots.front(); }
  Bytes SlotBytes(int64_t slot) const;
  void ExpectScriptsFollowed() const;
};
