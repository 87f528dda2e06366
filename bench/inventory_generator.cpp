#include "bench/inventory_generator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "store/inventory_record.h"
#include "tests/kit/record_builder.h"

namespace {

const char* const kWords[] = {
    "RED",    "BLUE",  "GREEN", "BLACK", "WHITE",  "LARGE", "SMALL",  "COTTON", "WOOL",
    "SHIRT",  "SOCKS", "HAT",   "SCARF", "GLOVES", "BELT",  "JACKET", "BOOTS",  "LAMP",
    "CANDLE", "MUG",   "PLATE", "BOWL",  "SPOON",  "KNIFE", "FORK",   "TOWEL",  "SOAP",
    "BRUSH",  "COMB",  "PEN",   "PAPER", "TAPE",   "GLUE",  "CORD",   "BOX",    "BAG"};
constexpr uint32_t kWordCount = sizeof kWords / sizeof kWords[0];

uint64_t Mix(uint64_t x) { return SplitMix64(x); }

constexpr uint32_t kPairsPerSlot = 40;  // 80 bytes and the terminator

// Descriptions and SKUs of GeneratorOptions::oddTexts, in Windows-1252.
const char* const kOddTexts[][2] = {
    {"0012", "0012"},
    {"1E5", "1e5"},
    {"1/2", "3/4"},
    {" LEADING", "TRAILING "},
    {"  ", ""},
    {"_x0041_", "_x005F_"},
    {"A\001B", "TAB\tIN"},
    {"LINE\nFEED\n", "\x1F"},
    {"1234567890123456", "9.00719925474099E+015"},
    {"=1+1", "+5"},
    {"TRUE", "2026-01-02"},
    {"A&B<C>\"D'", "-7"},
    {"CAF\xC9 \x80", "\xDF\xFC"},
    {"1,5", "12%"},
};

// A pseudo-random bijection of 0..n-1: a four-round Feistel network over the
// smallest even number of bits that covers n, walking the cycle until the
// value falls inside 0..n-1. Reproducible per index at any n.
uint64_t Permute(uint64_t i, uint64_t n, uint64_t seed) {
  int bits = 2;
  while ((uint64_t{1} << bits) < n) bits += 2;
  const int half = bits / 2;
  const uint64_t mask = (uint64_t{1} << half) - 1;
  uint64_t x = i;
  do {
    uint64_t left = x >> half, right = x & mask;
    for (uint64_t round = 0; round < 4; ++round) {
      const uint64_t next = left ^ (Mix(right ^ (seed * 4 + round)) & mask);
      left = right;
      right = next;
    }
    x = left << half | right;
  } while (x >= n);
  return x;
}

// Which kind of slot `slot` is. The special slots are spread by a
// permutation of the slots, so that each kind takes exactly as many as asked
// (as many as there are slots at most).
enum class SlotKind { kLive, kDuplicate, kDeleted, kZero, kNegative };

SlotKind KindOf(const GeneratorOptions& o, uint32_t slot) {
  const uint64_t r = Permute(slot, o.slots, o.seed * 7919 + 1);
  uint64_t bound = o.deleted;
  if (r < bound) return SlotKind::kDeleted;
  if (r < (bound += o.zeros)) return SlotKind::kZero;
  if (r < (bound += o.negatives)) return SlotKind::kNegative;
  if (r < (bound += o.duplicates)) return SlotKind::kDuplicate;
  return SlotKind::kLive;
}

int64_t LiveNumber(const GeneratorOptions& o, uint32_t slot) {
  switch (o.order) {
    case NumberOrder::kAscending:
      return int64_t{slot} + 1;
    case NumberOrder::kDescending:
      return int64_t{o.slots} - slot;
    case NumberOrder::kRandom:
      return static_cast<int64_t>(Permute(slot, o.slots, o.seed)) + 1;
  }
  return 1;
}

}  // namespace

void GenerateRecord(const GeneratorOptions& o, uint32_t slot, uint8_t* bytes) {
  const uint64_t h = Mix(o.seed ^ (uint64_t{slot} * 0x2545F4914F6CDD1Dull));
  const auto word = [&o](uint64_t i) -> std::string {
    return o.words.empty() ? kWords[i % kWordCount] : o.words[i % o.words.size()];
  };
  Item item{LiveNumber(o, slot), word(h)};
  item.description += ' ';
  item.description += word(h >> 8);
  if ((h >> 16) % 2) {
    item.description += ' ';
    item.description += word(h >> 24);
  }
  if (o.bytePairs) {
    item.description.clear();
    for (uint32_t pair = slot * kPairsPerSlot; item.description.size() < 2 * kPairsPerSlot;
         ++pair) {
      const uint32_t bytes = 0x8000 + pair % 0x8000;
      if ((bytes & 0xFF) == 0) continue;
      item.description += static_cast<char>(bytes >> 8);
      item.description += static_cast<char>(bytes & 0xFF);
    }
  }
  item.sku = "SKU-" + std::to_string(h % 1000000);
  if (o.oddTexts && slot < sizeof kOddTexts / sizeof kOddTexts[0]) {
    item.description = kOddTexts[slot][0];
    item.sku = kOddTexts[slot][1];
  }
  item.inStock = static_cast<uint32_t>((h >> 32) % 500);
  item.tax = static_cast<uint32_t>((h >> 40) % 4);
  item.category = static_cast<uint32_t>((h >> 44) % 18);
  item.price = static_cast<float>((h >> 48) % 10000) / 100.0f;
  item.cost = item.price * 0.6f;
  item.trade = item.price * 0.8f;
  switch (KindOf(o, slot)) {
    case SlotKind::kLive:
      break;
    case SlotKind::kDuplicate:
      item.number = LiveNumber(o, static_cast<uint32_t>(h % o.slots));
      break;
    case SlotKind::kDeleted:
      break;
    case SlotKind::kZero:
      item.number = 0;
      break;
    case SlotKind::kNegative:
      item.number = -2 - static_cast<int64_t>(h % 1000);
      break;
  }
  InventoryRecord record = MakeItem(item, o.seed ^ (uint64_t{slot} << 20),
                                    o.opaqueNoise ? Filler::kNoise : Filler::kZero);
  if (KindOf(o, slot) == SlotKind::kDeleted) MarkDeleted(record);
  std::memcpy(bytes, record.bytes, kRecordSize);
}

bool GenerateInventory(const GeneratorOptions& o, const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!file) return false;
  constexpr uint32_t kBlock = 512;
  std::vector<uint8_t> block(size_t{kBlock} * kRecordSize);
  for (uint32_t slot = 0; slot < o.slots;) {
    const uint32_t n = std::min(kBlock, o.slots - slot);
    for (uint32_t i = 0; i < n; ++i)
      GenerateRecord(o, slot + i, block.data() + size_t{i} * kRecordSize);
    if (std::fwrite(block.data(), kRecordSize, n, file.get()) != n) return false;
    slot += n;
  }
  return std::fclose(file.release()) == 0;
}
