// Inventory records for tests, benchmarks and the generator: every shown
// field set from an Item, every other byte filled so that carried-through
// bytes show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/inventory_record.h"

using Bytes = std::vector<uint8_t>;

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

// How the bytes not set from the Item are filled: a pattern that depends on
// the seed, pseudo-random noise from the seed, or zeros.
enum class Filler { kPattern, kNoise, kZero };

// The number and description set; every other byte from the filler.
InventoryRecord MakeRecord(int64_t number, const std::string& description, uint64_t seed = 0,
                           Filler filler = Filler::kPattern);
// Every shown field set from `item`; every other byte from the filler.
InventoryRecord MakeItem(const Item& item, uint64_t seed = 0, Filler filler = Filler::kPattern);

Bytes RecordBytes(const InventoryRecord& record);
// splitmix64: a well-mixed 64-bit value for each input.
uint64_t SplitMix64(uint64_t x);
// The records one after another, as film.dat holds them.
Bytes InventoryBytes(const std::vector<InventoryRecord>& records);
// Records made from items, the i-th with seed i.
std::vector<InventoryRecord> MakeItems(const std::vector<Item>& items);
