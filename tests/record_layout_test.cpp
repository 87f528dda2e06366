#include <gtest/gtest.h>

#include <cstring>

#include "store/inventory_record.h"
#include "store/settings_image.h"
#include "tests/test_support.h"

TEST(InventoryRecordLayout, FieldsAreLittleEndianAtTheirPackedOffsets) {
  InventoryRecord r{};
  SetRecordNumber(r, 0x0102030405060708);
  SetRecordInStock(r, 0xA1B2C3D4);
  SetRecordTax(r, 3);
  SetRecordCategory(r, 0x11223344);
  SetRecordPrice(r, 2.0f);
  SetRecordCostPrice(r, -1.5f);
  SetRecordTradePrice(r, 0.25f);
  const Bytes b = RecordBytes(r);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 8), (Bytes{8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(Bytes(b.begin() + 670, b.begin() + 674), (Bytes{0xD4, 0xC3, 0xB2, 0xA1}));
  EXPECT_EQ(Bytes(b.begin() + 686, b.begin() + 690), (Bytes{3, 0, 0, 0}));
  EXPECT_EQ(Bytes(b.begin() + 1787, b.begin() + 1791), (Bytes{0x44, 0x33, 0x22, 0x11}));
  EXPECT_EQ(Bytes(b.begin() + 822, b.begin() + 826), (Bytes{0, 0, 0, 0x40}));
  EXPECT_EQ(Bytes(b.begin() + 814, b.begin() + 818), (Bytes{0, 0, 0xC0, 0xBF}));
  EXPECT_EQ(Bytes(b.begin() + 818, b.begin() + 822), (Bytes{0, 0, 0x80, 0x3E}));
  EXPECT_EQ(RecordNumber(r), 0x0102030405060708);
  EXPECT_EQ(RecordInStock(r), 0xA1B2C3D4u);
  EXPECT_EQ(RecordCategory(r), 0x11223344u);
  EXPECT_EQ(RecordCostPrice(r), -1.5f);
  EXPECT_EQ(RecordTradePrice(r), 0.25f);
  SetRecordNumber(r, -1);
  EXPECT_EQ(Bytes(r.bytes, r.bytes + 8), Bytes(8, 0xFF));
}

TEST(InventoryRecordLayout, FreshRecordIsItem1AndZeros) {
  InventoryRecord r = MakeRecord(5, "OLD");
  MakeFreshRecord(r);
  Bytes expected(kRecordSize, 0);
  const uint8_t head[] = {1, 0, 0, 0, 0, 0, 0, 0, 'I', 'T', 'E', 'M', ' ', '1', 0};
  std::memcpy(expected.data(), head, sizeof head);
  EXPECT_EQ(RecordBytes(r), expected);
}

TEST(InventoryRecordLayout, DeletedFormChangesOnlyNumberAndFirstTwoDescriptionBytes) {
  InventoryRecord r = MakeRecord(42, "ABCDEF", 3);
  const Bytes before = RecordBytes(r);
  MarkDeleted(r);
  Bytes expected = before;
  std::fill(expected.begin(), expected.begin() + 8, 0xFF);
  expected[8] = expected[9] = 0;
  EXPECT_EQ(RecordBytes(r), expected);
}

TEST(InventoryRecordLayout, DescriptionLengthStopsAtTheFieldEnd) {
  InventoryRecord r = MakeRecord(1, "AB");
  EXPECT_EQ(DescriptionLength(r), 2u);
  std::memset(r.bytes + kDescriptionOffset, 'X', kDescriptionSize);
  EXPECT_EQ(DescriptionLength(r), kDescriptionSize);
}

TEST(SettingsImageLayout, OptionsArePackedFloatsAtTheirOffsets) {
  std::memset(&SettingsImage, 0xEE, sizeof SettingsImage);
  SetAmendFocusOption(kOptionOn);
  SetStorageOption(kOptionOff);
  EXPECT_EQ(Bytes(SettingsImage.bytes + 40962, SettingsImage.bytes + 40966),
            (Bytes{0, 0, 0, 0x40}));
  EXPECT_EQ(Bytes(SettingsImage.bytes + 40970, SettingsImage.bytes + 40974), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(SettingsImage.bytes[40966], 0xEE);
  EXPECT_EQ(SettingsImage.bytes[40974], 0xEE);
  const uint8_t negativeZero[] = {0, 0, 0, 0x80};
  std::memcpy(SettingsImage.bytes + kStorageOffset, negativeZero, 4);
  EXPECT_TRUE(StorageOption() == kOptionOff);
  std::memset(&SettingsImage, 0, sizeof SettingsImage);
}
