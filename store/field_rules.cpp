#include "store/field_rules.h"

#include <cmath>
#include <string>

#include "platform/field_text.h"
#include "platform/number_text.h"

namespace {

// A price that does not fit a float (or is no number) is not stored: the
// field keeps its value rather than taking an infinity. A zero is stored as
// +0, never as -0, which would show as "-0.00".
bool StoreFloat(InventoryRecord& r, void (*set)(InventoryRecord&, float), double value) {
  auto narrowed = static_cast<float>(value);
  if (!std::isfinite(narrowed)) return false;
  if (narrowed == 0.0f) narrowed = 0.0f;
  set(r, narrowed);
  return true;
}

}  // namespace

bool StoreDescription(InventoryRecord& r, const std::wstring& text) {
  return platform::NarrowInto(text, reinterpret_cast<char*>(r.bytes + kDescriptionOffset),
                              kDescriptionSize);
}

bool StoreSku1(InventoryRecord& r, const std::wstring& text) {
  return platform::NarrowInto(text, reinterpret_cast<char*>(r.bytes + kSku1Offset), kSku1Size);
}

double TypedPrice(const char* narrowText) { return platform::ParseDouble(narrowText); }

bool StorePrice(InventoryRecord& r, double typed) {
  // An infinity would print as "inf" and read back as 0: it is refused first.
  if (!std::isfinite(typed)) return false;
  const std::string rounded = platform::FormatPrice(typed);
  return StoreFloat(r, SetRecordPrice, platform::ParseDouble(rounded.c_str()));
}

bool StoreCostPrice(InventoryRecord& r, double typed) {
  return StoreFloat(r, SetRecordCostPrice, typed);
}

bool StoreTradePrice(InventoryRecord& r, double typed) {
  return StoreFloat(r, SetRecordTradePrice, typed);
}

bool StoreInStock(InventoryRecord& r, uint32_t value) {
  if (static_cast<int32_t>(value) < 0) return false;
  SetRecordInStock(r, value);
  return true;
}

bool StoreCategory(InventoryRecord& r, uint32_t value) {
  if (value >= kCategoryLimit) return false;
  SetRecordCategory(r, value);
  return true;
}

bool StoreTax(InventoryRecord& r, uint32_t position) {
  if (position >= kTaxChoiceCount) return false;
  SetRecordTax(r, position);
  return true;
}

bool DescriptionLongEnough(const InventoryRecord& r) {
  return DescriptionLength(r) >= kShortestDescription;
}
