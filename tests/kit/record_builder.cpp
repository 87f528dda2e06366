#include "tests/kit/record_builder.h"

#include <algorithm>
#include <cstring>

uint64_t SplitMix64(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

namespace {

void Fill(InventoryRecord& r, uint64_t seed, Filler filler) {
  switch (filler) {
    case Filler::kPattern:
      for (uint32_t i = 0; i < kRecordSize; ++i)
        r.bytes[i] = static_cast<uint8_t>(i * 31 + seed * 7 + 1);
      return;
    case Filler::kNoise:
      for (uint32_t i = 0; i < kRecordSize; i += 8) {
        const uint64_t noise = SplitMix64(seed + i);
        std::memcpy(r.bytes + i, &noise, std::min<uint32_t>(8, kRecordSize - i));
      }
      return;
    case Filler::kZero:
      std::memset(r.bytes, 0, kRecordSize);
      return;
  }
}

// A text and its terminator at the start of a field, cut to fit.
void PutText(InventoryRecord& r, size_t offset, size_t room, const std::string& text) {
  const size_t n = std::min(text.size(), room - 1);
  std::memcpy(r.bytes + offset, text.data(), n);
  r.bytes[offset + n] = 0;
}

}  // namespace

InventoryRecord MakeRecord(int64_t number, const std::string& description, uint64_t seed,
                           Filler filler) {
  InventoryRecord r;
  Fill(r, seed, filler);
  SetRecordNumber(r, number);
  PutText(r, kDescriptionOffset, kDescriptionSize, description);
  return r;
}

InventoryRecord MakeItem(const Item& item, uint64_t seed, Filler filler) {
  InventoryRecord r = MakeRecord(item.number, item.description, seed, filler);
  PutText(r, kSku1Offset, kSku1Size, item.sku);
  SetRecordInStock(r, item.inStock);
  SetRecordPrice(r, item.price);
  SetRecordCostPrice(r, item.cost);
  SetRecordTradePrice(r, item.trade);
  SetRecordCategory(r, item.category);
  SetRecordTax(r, item.tax);
  return r;
}

Bytes RecordBytes(const InventoryRecord& record) {
  return Bytes(record.bytes, record.bytes + kRecordSize);
}

Bytes InventoryBytes(const std::vector<InventoryRecord>& records) {
  Bytes bytes;
  bytes.reserve(records.size() * kRecordSize);
  for (const InventoryRecord& r : records)
    bytes.insert(bytes.end(), r.bytes, r.bytes + kRecordSize);
  return bytes;
}

std::vector<InventoryRecord> MakeItems(const std::vector<Item>& items) {
  std::vector<InventoryRecord> records;
  for (size_t i = 0; i < items.size(); ++i) records.push_back(MakeItem(items[i], i));
  return records;
}
