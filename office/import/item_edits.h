// What an import writes: for each item it changes or adds, the sheet's texts
// of the fields to store, each stored as amend stores it when the write
// reaches the item. The texts are packed one after another, so that an item
// takes a few bytes beyond them: a sheet may hold a whole inventory's
// changes, or hundreds of thousands of new items.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "office/fields.h"
#include "store/inventory_record.h"
#include "store/journalled_write.h"

// One field to store: the sheet's text for it, valid while it is in use.
struct FieldEdit {
  Field field;
  std::string_view text;
};

// What tells a record that another program changed after import read it:
// kept for the time of one run only.
uint64_t RecordDigest(const InventoryRecord& record);

// The record of a new item before its fields are stored: zero, but for its
// number.
InventoryRecord ZeroRecord(int64_t number);

class ItemEdits {
 public:
  // The item of an entry: the sheet's line, its number, its slot (-1 for a
  // new item) and the digest of the record the edits were decided on.
  struct Item {
    int line = 0;
    int64_t number = 0;
    Slot slot = -1;
    uint64_t decidedOn = 0;
  };

  // Keeps `item` with `edits` (each field at most once).
  void Add(const Item& item, const std::vector<FieldEdit>& edits);
  size_t Count() const { return entries_.size(); }
  const Item& At(size_t i) const { return entries_[i].item; }
  // The edits of entry `i`, valid until the next Add.
  std::vector<FieldEdit> Edits(size_t i) const;
  // The entries in slot order, the order a write takes them in.
  void SortBySlot();

  // The record entry `i` makes of `before`: each edit stored as amend
  // stores it. The edits were checked when they were decided, so none is
  // refused.
  InventoryRecord Applied(size_t i, const InventoryRecord& before) const;
  // Each stored field of entry `i` whose print the write changes, with
  // what export printed before and prints after.
  struct FieldChange {
    Field field;
    std::string was, is;
  };
  std::vector<FieldChange> Changed(size_t i, const InventoryRecord& before,
                                   const InventoryRecord& after) const;
  // The lines a write of entry `i` lists: "number field: old -> new" for
  // each of Changed, a new item's "number added" first.
  std::string Listed(size_t i, const InventoryRecord& before, const InventoryRecord& after) const;

 private:
  struct Entry {
    Item item;
    size_t at;  // where its edits start in texts_
  };
  // Both grow a block at a time, never copied whole to grow: a large list
  // takes no more than itself.
  std::deque<Entry> entries_;
  // Each entry's edits: a count byte, then for each its field byte, two
  // bytes of length and the text; one entry's within a block.
  std::vector<std::string> texts_;
};

// The changes of items in film.dat as the store makes them: each made from
// its slot's record as the write reads it, which must still be the record
// the change was decided on, and listed as it is made.
class EditWrites : public SlotChanges {
 public:
  explicit EditWrites(const ItemEdits& changes) : changes_(changes) {}
  size_t Count() const override { return changes_.Count(); }
  int64_t Slot(size_t i) const override { return changes_.At(i).slot; }
  bool Holds(size_t i, const InventoryRecord& now) override;
  void Make(size_t i, const InventoryRecord& now, InventoryRecord* next) override;
  // The lines of the first `count` changes made.
  std::string Listed(size_t count) const;

 private:
  const ItemEdits& changes_;
  std::string listed_;        // the lines of the changes made, one after another
  std::vector<size_t> ends_;  // where each change's lines end in listed_
};

// The new items as the store appends them: each record made from its edits
// over a zero record when the append reaches it.
class EditAdditions : public RecordSource {
 public:
  explicit EditAdditions(const ItemEdits& additions) : additions_(additions) {}
  size_t Count() const override { return additions_.Count(); }
  InventoryRecord Record(size_t i) const override;
  // The lines of addition `i`.
  std::string Listed(size_t i) const;

 private:
  const ItemEdits& additions_;
};
