// filmtool check: the inventory read as start-up reads it, without
// changing anything, and every problem reported on a line of its own.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "filmtool/tool.h"
#include "messages/opening_messages.h"
#include "office/fields.h"
#include "office/listener.h"
#include "office/open_inventory.h"
#include "platform/console.h"
#include "platform/field_text.h"
#include "platform/scoped_file.h"
#include "platform/utf8.h"
#include "store/file_names.h"
#include "store/inventory_location.h"
#include "store/journal_file.h"
#include "store/journal_recovery.h"
#include "store/journalled_write.h"
#include "store/load_inventory.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

class Report {
 public:
  explicit Report(std::string file) : file_(std::move(file)) {}
  void Problem(const std::string& text) {
    Note(text);
    ++problems_;
  }
  // What was found and mended already: told, but no problem left.
  void Note(const std::string& text) { std::printf("%s: %s\n", file_.c_str(), text.c_str()); }
  int problems() const { return problems_; }

 private:
  std::string file_;
  int problems_ = 0;
};

std::string SlotName(Slot slot) { return "slot " + std::to_string(slot); }

bool Terminated(const uint8_t* field, size_t size) {
  return platform::FieldTextLength(field, size) < size;
}

// The first control character (a line break, a tab, an escape, a C1 control)
// of a text, as "0x1B"; "" when there is none.
std::string ControlCharacter(const std::wstring& text) {
  for (const wchar_t c : text) {
    if (IsControlCharacter(static_cast<uint32_t>(c))) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(c));
      return hex;
    }
  }
  return "";
}

// What a journal would change, as "write of slot 5", "write of 7 slots
// from slot 5 to slot 900" or "append of 3 slots from slot 12".
std::string Change(const JournalGroup& group) {
  const GroupEntry& first = group.entries.front();
  const GroupEntry& last = group.entries.back();
  uint64_t slots = 0;
  for (const GroupEntry& e : group.entries) slots += e.count;
  if (group.newSize > group.fileSize) {
    return "append of " + std::to_string(slots) + " slots from slot " + std::to_string(first.first);
  }
  if (slots == 1) return "write of slot " + std::to_string(first.first);
  return "write of " + std::to_string(slots) + " slots from slot " + std::to_string(first.first) +
         " to slot " + std::to_string(last.first + last.count - 1);
}

// What a power cut left beside the inventory: a whole journal is settled
// first, as every reader settles one, or read through where film.dat cannot
// be written; either way the slots are then checked as committed.
void TellJournal(Report& report, const InventoryOpened& opened) {
  const std::string journal = platform::ShownPath(JournalPath(DataPath));
  const JournalGroup& group = opened.readJournal;
  switch (opened.journal) {
    case JournalAtOpen::kNone:
      break;
    case JournalAtOpen::kSettled:
      report.Note(journal + " held an unfinished " + Change(group) + ": finished now");
      break;
    case JournalAtOpen::kDropped:
      report.Note(journal + " held " + (group.newSize > group.fileSize ? "an " : "a ") +
                  Change(group) + " that no longer fit film.dat: left alone");
      break;
    case JournalAtOpen::kReadThrough:
      report.Problem(journal + " holds an unfinished " + Change(group) +
                     " that cannot be finished now (film.dat cannot be written): the slots are "
                     "checked as it leaves them, and the next start that can write finishes it");
      break;
    case JournalAtOpen::kUnreadable:
      report.Problem(journal + " or the slots it covers cannot be read");
      break;
  }
}

// A temporary file a power cut left beside the inventory.
void CheckTemporaries(Report& report) {
  for (const wchar_t* temporary : {kFreshTempPath, kSettingsTempPath}) {
    platform::ScopedFile left(platform::OpenFile(temporary, platform::Access::kRead,
                                                 platform::Disposition::kOpenExisting));
    if (left) {
      report.Problem(platform::ShownPath(temporary) +
                     " is a temporary file a power cut left (the next start removes it)");
    }
  }
}

}  // namespace

int Check() {
  // The opening every reader makes, without the index: the journal settled
  // or read through, the size judged (the tail of an unfinished append,
  // which the journal's line reports, set aside).
  InventoryFile file;
  const InventoryOpened opened = OpenSizedInventory(Opening::kReading, &file);
  TellCardLookup(opened.card);
  const std::string name = platform::ShownPath(DataPath);
  Report report(name);
  TellJournal(report, opened);
  CheckTemporaries(report);

  if (opened.size != InventorySize::kWhole) {
    report.Problem(opened.size == InventorySize::kEmpty ? "is empty"
                   : opened.size == InventorySize::kTooLarge
                       ? "is 4 GiB or larger, beyond 32-bit offsets"
                       : std::to_string(opened.bytes) + " bytes are no whole number of " +
                             std::to_string(kRecordSize) + "-byte records");
    std::printf("%s: not an inventory, %d problems\n", name.c_str(), report.problems());
    return 1;
  }
  if (!opened) {
    report.Problem("cannot be opened");
    std::printf("%s: not an inventory, %d problems\n", name.c_str(), report.problems());
    return 1;
  }

  const Slot slots = SlotsOf(opened.bytes);
  std::vector<std::pair<int64_t, Slot>> live;  // number and slot
  Slot deleted = 0;
  const std::string undefined = " holds bytes that code page " + std::to_string(TextCodePage()) +
                                " leaves undefined (export shows U+FFFD)";
  std::wstring text;  // a field's, converted
  const Slot readTo = ReadEachSlot(file, slots, [&](Slot slot, const InventoryRecord& r) {
    const int64_t number = RecordNumber(r);
    if (IsLiveNumber(number)) {
      live.emplace_back(number, slot);
    } else {
      ++deleted;
    }
    if (!IsLiveNumber(number) && number != kDeletedNumber) {
      report.Problem(
          SlotName(slot) + ": number " + std::to_string(number) + " counts as deleted" +
          (r.bytes[kDescriptionOffset] != 0 ? ", yet a description search still finds it" : ""));
    }
    if (!Terminated(r.bytes + kDescriptionOffset, kDescriptionSize)) {
      report.Problem(SlotName(slot) + ": the Description has no terminator in its " +
                     std::to_string(kDescriptionSize) + " bytes");
    }
    if (!Terminated(r.bytes + kSku1Offset, kSku1Size)) {
      report.Problem(SlotName(slot) + ": SKU1 has no terminator in its " +
                     std::to_string(kSku1Size) + " bytes");
    }
    for (const auto& [name, offset, size] :
         {std::tuple<const char*, size_t, size_t>{"the Description", kDescriptionOffset,
                                                  kDescriptionSize},
          {"SKU1", kSku1Offset, kSku1Size}}) {
      ConvertFieldText(r.bytes + offset, size, &text);
      const std::string control = ControlCharacter(text);
      if (!control.empty() && IsLiveNumber(number)) {
        report.Problem(SlotName(slot) + ": " + name + " holds a control character, " + control);
      }
      if (HoldsUndefinedBytes(text)) {
        report.Problem(SlotName(slot) + ": " + name + undefined);
      }
    }
  });
  if (readTo != slots) {
    report.Problem(SlotName(readTo) + " and after cannot be read");
    std::printf("%s: not readable whole, %d problems\n", name.c_str(), report.problems());
    return 1;
  }

  // A live number in more than one slot: lookups find only the lowest slot.
  std::sort(live.begin(), live.end());
  for (size_t i = 0; i < live.size();) {
    size_t j = i + 1;
    while (j < live.size() && live[j].first == live[i].first) ++j;
    if (j - i > 1) {
      std::string slotsText;
      for (size_t k = i; k < j; ++k)
        slotsText += (k > i ? ", " : "") + std::to_string(live[k].second);
      report.Problem("number " + std::to_string(live[i].first) + " stands in slots " + slotsText);
    }
    i = j;
  }
  std::printf("%s: %" PRId64 " slots, %zu active, %" PRId64 " deleted, %d problems\n", name.c_str(),
              slots, live.size(), deleted, report.problems());
  return report.problems() == 0 ? 0 : 2;
}
