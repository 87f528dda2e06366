// filmtool export: the records as CSV (RFC 4180, UTF-8, a header line),
// texts converted from the system code page as the dialogs convert them and
// prices printed as the dialogs print them.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "dialogs/dialog_support.h"
#include "platform/host/host_control.h"
#include "platform/number_text.h"
#include "platform/scoped_file.h"
#include "store/opendata.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "tools/tool.h"

namespace {

// A field quoted when it holds a comma, a quote or a line break, with its
// quotes doubled.
std::string Csv(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::string Text(const uint8_t* field, size_t size) {
  return Csv(platform::host::Narrow(WideFromField(field, size)));
}

void PrintRecord(uint32_t slot, const InventoryRecord& r) {
  std::printf("%" PRIu32 ",%s,%s,%s,%" PRIu32 ",%" PRIu32 ",%s,%s,%s,%" PRIu32 "\r\n", slot,
              platform::FormatItemNumber(RecordNumber(r)).c_str(),
              Text(r.bytes + kDescriptionOffset, kDescriptionSize).c_str(),
              Text(r.bytes + kSku1Offset, kSku1Size).c_str(), RecordInStock(r), RecordTax(r),
              platform::FormatPrice(RecordCostPrice(r)).c_str(),
              platform::FormatPrice(RecordTradePrice(r)).c_str(),
              platform::FormatPrice(RecordPrice(r)).c_str(), RecordCategory(r));
}

}  // namespace

int Export(bool all) {
  if (!Opendata()) return 1;
  platform::ScopedFile file(OpenInventoryForReading());
  if (!file) {
    Complain(platform::host::HostPath(DataPath) + ": cannot be opened");
    return 1;
  }
  std::printf("slot,number,description,sku,in_stock,tax,cost_price,trade_price,price,category\r\n");
  const auto slots = static_cast<uint32_t>(SlotCount);
  const uint32_t readTo =
      ReadEachSlot(file.get(), slots, [&](uint32_t slot, const InventoryRecord& r) {
        // Deleted: -1, and the numbers the load counts as deleted with it.
        if (all || RecordNumber(r) > 0) PrintRecord(slot, r);
      });
  if (readTo != slots) {
    Complain("slot " + std::to_string(readTo) + " and after cannot be read");
    return 1;
  }
  return 0;
}
