#include "tests/records_fixture.h"

void RecordsTest::Open(const std::vector<InventoryRecord>& records) {
  WriteInventory(records);
  ASSERT_TRUE(Opendata());
  ASSERT_TRUE(Ui().empty());
}

Script RecordsTest::Answer(const std::wstring& answer) {
  return Script(IDD_PROMPT).Type(IDC_PROMPT_ANSWER, answer).Click(IDOK);
}

Bytes RecordsTest::SlotBytes(int64_t slot) const {
  const Bytes all = ReadBytes("film.dat");
  return Bytes(all.begin() + slot * kRecordSize, all.begin() + (slot + 1) * kRecordSize);
}
