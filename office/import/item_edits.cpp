#include "office/import/item_edits.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/number_text.h"
#include "platform/utf8.h"

uint64_t RecordDigest(const InventoryRecord& record) {
  // Any well-mixed 64 bits will do, and these take a few instructions a
  // word where a keyed digest takes many (a large import takes three of
  // every changed record). Four words a step, each into a lane of its own,
  // so that no step waits for the one before.
  uint64_t lanes[4] = {0x9E3779B97F4A7C15ull, 0xBF58476D1CE4E5B9ull, 0x94D049BB133111EBull,
                       0xD6E8FEB86659FD93ull};
  size_t i = 0;
  for (; i + 32 <= kRecordSize; i += 32) {
    for (int k = 0; k < 4; ++k) {
      uint64_t word;
      std::memcpy(&word, record.bytes + i + 8 * k, 8);
      lanes[k] = (lanes[k] ^ word) * 0xFF51AFD7ED558CCDull;
      lanes[k] ^= lanes[k] >> 29;
    }
  }
  uint64_t h = lanes[0] ^ (lanes[1] * 3) ^ (lanes[2] * 5) ^ (lanes[3] * 7);
  for (; i < kRecordSize; ++i) h = (h ^ record.bytes[i]) * 0xC4CEB9FE1A85EC53ull;
  return h ^ h >> 32;
}

InventoryRecord ZeroRecord(int64_t number) {
  InventoryRecord r;
  std::memset(r.bytes, 0, kRecordSize);
  SetRecordNumber(r, number);
  return r;
}

namespace {

// The bytes of a block of edits: far more than one entry's (a few hundred
// at most).
constexpr size_t kBlockBytes = size_t{1} << 16;

}  // namespace

void ItemEdits::Add(const Item& item, const std::vector<FieldEdit>& edits) {
  size_t bytes = 1;
  for (const FieldEdit& e : edits) bytes += 3 + e.text.size();
  if (texts_.empty() || texts_.back().size() + bytes > kBlockBytes) {
    texts_.emplace_back();
    texts_.back().reserve(std::max(kBlockBytes, bytes));
  }
  std::string& block = texts_.back();
  entries_.push_back(Entry{item, (texts_.size() - 1) * kBlockBytes + block.size()});
  block += static_cast<char>(edits.size());
  for (const FieldEdit& e : edits) {
    // A text the field rules took is at most a few hundred bytes.
    const auto size = static_cast<uint16_t>(std::min<size_t>(e.text.size(), 0xFFFF));
    block += static_cast<char>(Index(e.field));
    block += static_cast<char>(size & 0xFF);
    block += static_cast<char>(size >> 8);
    block.append(e.text.data(), size);
  }
}

std::vector<FieldEdit> ItemEdits::Edits(size_t i) const {
  std::vector<FieldEdit> edits;
  const std::string& block = texts_[entries_[i].at / kBlockBytes];
  size_t at = entries_[i].at % kBlockBytes;
  const auto byte = [&block](size_t k) { return static_cast<uint8_t>(block[k]); };
  const size_t count = byte(at++);
  for (size_t k = 0; k < count; ++k) {
    const auto field = static_cast<Field>(byte(at));
    const size_t size = byte(at + 1) | size_t{byte(at + 2)} << 8;
    edits.push_back(FieldEdit{field, std::string_view(block.data() + at + 3, size)});
    at += 3 + size;
  }
  return edits;
}

void ItemEdits::SortBySlot() {
  std::sort(entries_.begin(), entries_.end(),
            [](const Entry& a, const Entry& b) { return a.item.slot < b.item.slot; });
}

InventoryRecord ItemEdits::Applied(size_t i, const InventoryRecord& before) const {
  InventoryRecord after = before;
  std::string note;
  for (const FieldEdit& e : Edits(i)) StoreField(e.field, e.text, after, &note);
  return after;
}

std::vector<ItemEdits::FieldChange> ItemEdits::Changed(size_t i, const InventoryRecord& before,
                                                       const InventoryRecord& after) const {
  std::array<bool, kFieldCount> stored{};
  for (const FieldEdit& e : Edits(i)) stored[Index(e.field)] = true;
  std::vector<FieldChange> changed;
  for (Field field : kAllFields) {
    if (!stored[Index(field)]) continue;
    FieldChange c{field, ExportedField(field, before), ExportedField(field, after)};
    if (c.was != c.is) changed.push_back(std::move(c));
  }
  return changed;
}

std::string ItemEdits::Listed(size_t i, const InventoryRecord& before,
                              const InventoryRecord& after) const {
  const Item& item = At(i);
  const std::string number = platform::FormatItemNumber(item.number);
  std::string out;
  if (item.slot < 0) out += number + " added\n";
  for (const FieldChange& c : Changed(i, before, after)) {
    out += number + " " + FieldName(c.field) + ": " + PrintableWhole(c.was) + " -> " +
           PrintableWhole(c.is) + "\n";
  }
  return out;
}

bool EditWrites::Holds(size_t i, const InventoryRecord& now) {
  return RecordDigest(now) == changes_.At(i).decidedOn;
}

void EditWrites::Make(size_t i, const InventoryRecord& now, InventoryRecord* next) {
  *next = changes_.Applied(i, now);
  // A change made again (a group written again) is listed once, as last made.
  if (ends_.size() > i) {
    listed_.resize(i == 0 ? 0 : ends_[i - 1]);
    ends_.resize(i);
  }
  while (ends_.size() < i) ends_.push_back(listed_.size());
  listed_ += changes_.Listed(i, now, *next);
  ends_.push_back(listed_.size());
}

std::string EditWrites::Listed(size_t count) const {
  if (count == 0 || ends_.empty()) return "";
  return listed_.substr(0, ends_[std::min(count, ends_.size()) - 1]);
}

InventoryRecord EditAdditions::Record(size_t i) const {
  return additions_.Applied(i, ZeroRecord(additions_.At(i).number));
}

std::string EditAdditions::Listed(size_t i) const {
  const InventoryRecord zero = ZeroRecord(additions_.At(i).number);
  return additions_.Listed(i, zero, additions_.Applied(i, zero));
}
