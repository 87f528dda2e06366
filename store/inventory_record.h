// The 1874-byte item record of film.dat. Only a few fields mean anything to
// the program; every other byte is carried through unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kRecordSize = 1874;
// The largest inventory file: its byte offsets fit in 32 bits.
constexpr uint64_t kLargestInventorySize = 0xFFFFFFFFull;

// A slot: a record's place in film.dat, from 0. One type wherever the store
// names a slot or counts them: at most kLargestSlotCount of them fit in a
// file whose offsets keep to 32 bits, and the index keeps them in 64 bits.
using Slot = int64_t;

// The whole slots of a file of `size` bytes.
constexpr Slot SlotsOf(uint64_t size) { return static_cast<Slot>(size / kRecordSize); }

// The most slots a file can hold: 2,291,871, the last whole record ending
// at byte 4,294,966,254, below 4 GiB.
constexpr Slot kLargestSlotCount = SlotsOf(kLargestInventorySize);

// Whether `slot` lies inside a file of `fileSize` bytes that an inventory
// can be: a whole number of records, no offset past 32 bits.
constexpr bool SlotInFile(Slot slot, uint64_t fileSize) {
  return slot >= 0 && fileSize <= kLargestInventorySize && fileSize % kRecordSize == 0 &&
         slot < SlotsOf(fileSize);
}

// The byte offset of a slot: 32 bits, from the slot's low 32 bits.
inline uint32_t SlotOffset(Slot slot) { return static_cast<uint32_t>(slot) * kRecordSize; }

// Field offsets and sizes within a record.
constexpr size_t kNumberOffset = 0;
constexpr size_t kDescriptionOffset = 8;
constexpr size_t kDescriptionSize = 82;
constexpr size_t kSku1Offset = 90;
constexpr size_t kSku1Size = 580;  // the text, then opaque bytes up to 669
constexpr size_t kInStockOffset = 670;
constexpr size_t kTaxOffset = 686;
constexpr size_t kCostPriceOffset = 814;
constexpr size_t kTradePriceOffset = 818;
constexpr size_t kPriceOffset = 822;
constexpr size_t kCategoryOffset = 1787;

constexpr int64_t kDeletedNumber = -1;
// A live item's number is 1 or more. The load counts every other stored
// number as deleted, -1 and the rest alike.
constexpr bool IsLiveNumber(int64_t number) { return number >= 1; }
// The load rule: a stored number is taken as itself when it is live, and as
// kDeletedNumber otherwise, in memory only (the file keeps what it holds).
constexpr int64_t NumberAsLoaded(int64_t stored) {
  return IsLiveNumber(stored) ? stored : kDeletedNumber;
}

struct InventoryRecord {
  uint8_t bytes[kRecordSize];
};

int64_t RecordNumber(const InventoryRecord& record);
void SetRecordNumber(InventoryRecord& record, int64_t number);
uint32_t RecordInStock(const InventoryRecord& record);
void SetRecordInStock(InventoryRecord& record, uint32_t value);
uint32_t RecordTax(const InventoryRecord& record);
void SetRecordTax(InventoryRecord& record, uint32_t value);
uint32_t RecordCategory(const InventoryRecord& record);
void SetRecordCategory(InventoryRecord& record, uint32_t value);
float RecordCostPrice(const InventoryRecord& record);
void SetRecordCostPrice(InventoryRecord& record, float value);
float RecordTradePrice(const InventoryRecord& record);
void SetRecordTradePrice(InventoryRecord& record, float value);
float RecordPrice(const InventoryRecord& record);
void SetRecordPrice(InventoryRecord& record, float value);

// The Description's length up to its terminator, bounded by its field.
size_t DescriptionLength(const InventoryRecord& record);

// The record a new film.dat starts with: Number 1, Description "ITEM 1",
// every other byte 0.
void MakeFreshRecord(InventoryRecord& record);
// Number -1 and the first two Description bytes 0; nothing else changes.
void MarkDeleted(InventoryRecord& record);
