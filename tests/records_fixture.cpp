#include "tests/records_fixture.h"

#include <cstring>

InventoryRecord MakeItem(const Item& item, uint8_t seed) {
  InventoryRecord r = MakeRecord(item.number, item.description, seed);
  std::memcpy(r.bytes + kSku1Offset, item.sku.c_str(), item.sku.size() + 1);
  SetRecordInStock(r, item.inStock);
  SetRecordPrice(r, item.price);
  SetRecordCostPrice(r, item.cost);
  SetRecordTradePrice(r, item.trade);
  SetRecordCategory(r, item.category);
  SetRecordTax(r, item.tax);
  return r;
}

void RecordsTest::Open(const std::vector<InventoryRecord>& records) {
  WriteInventory(records);
  ASSERT_TRUE(Opendata());
  ASSERT_TRUE(Ui().empty());
}

void RecordsTest::Open(const std::vector<Item>& items) {
  std::vector<InventoryRecord> records;
  for (size_t i = 0; i < items.size(); ++i) records.push_back(MakeItem(items[i], uint8_t(i)));
  Open(records);
}

Script RecordsTest::Answer(const std::wstring& answer) {
  return Script(IDD_PROMPT).Type(IDC_PROMPT_ANSWER, answer).Click(IDOK);
}

Bytes RecordsTest::SlotBytes(int64_t slot) const {
  const Bytes all = ReadBytes("film.dat");
  return Bytes(all.begin() + slot * kRecordSize, all.begin() + (slot + 1) * kRecordSize);
}

void RecordsTest::ExpectScriptsFollowed() const {
  EXPECT_TRUE(host::ScriptErrors().empty()) << host::ScriptErrors().front();
}
