#include "store/inventory_record.h"

#include <cstring>

#include "platform/field_text.h"
#include "store/byte_order.h"

int64_t RecordNumber(const InventoryRecord& r) { return LoadI64(r.bytes + kNumberOffset); }
void SetRecordNumber(InventoryRecord& r, int64_t v) { StoreI64(r.bytes + kNumberOffset, v); }
uint32_t RecordInStock(const InventoryRecord& r) { return LoadU32(r.bytes + kInStockOffset); }
void SetRecordInStock(InventoryRecord& r, uint32_t v) { StoreU32(r.bytes + kInStockOffset, v); }
uint32_t RecordTax(const InventoryRecord& r) { return LoadU32(r.bytes + kTaxOffset); }
void SetRecordTax(InventoryRecord& r, uint32_t v) { StoreU32(r.bytes + kTaxOffset, v); }
uint32_t RecordCategory(const InventoryRecord& r) { return LoadU32(r.bytes + kCategoryOffset); }
void SetRecordCategory(InventoryRecord& r, uint32_t v) { StoreU32(r.bytes + kCategoryOffset, v); }
float RecordCostPrice(const InventoryRecord& r) { return LoadF32(r.bytes + kCostPriceOffset); }
void SetRecordCostPrice(InventoryRecord& r, float v) { StoreF32(r.bytes + kCostPriceOffset, v); }
float RecordTradePrice(const InventoryRecord& r) { return LoadF32(r.bytes + kTradePriceOffset); }
void SetRecordTradePrice(InventoryRecord& r, float v) { StoreF32(r.bytes + kTradePriceOffset, v); }
float RecordPrice(const InventoryRecord& r) { return LoadF32(r.bytes + kPriceOffset); }
void SetRecordPrice(InventoryRecord& r, float v) { StoreF32(r.bytes + kPriceOffset, v); }

size_t DescriptionLength(const InventoryRecord& r) {
  return platform::FieldTextLength(r.bytes + kDescriptionOffset, kDescriptionSize);
}

void MakeFreshRecord(InventoryRecord& r) {
  std::memset(r.bytes, 0, kRecordSize);
  SetRecordNumber(r, 1);
  static const char kFreshDescription[] = "ITEM 1";
  std::memcpy(r.bytes + kDescriptionOffset, kFreshDescription, sizeof kFreshDescription);
}

void MarkDeleted(InventoryRecord& r) {
  SetRecordNumber(r, kDeletedNumber);
  r.bytes[kDescriptionOffset] = 0;
  r.bytes[kDescriptionOffset + 1] = 0;
}
