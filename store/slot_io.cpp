#include "store/slot_io.h"

#include <algorithm>
#include <cstring>

#include "store/store_state.h"
#include "store/whole_io.h"

platform::Opened OpenWaiting(const std::wstring& path, platform::Access access,
                             platform::Disposition disposition) {
  constexpr uint32_t kStep = 10;  // milliseconds between tries
  for (uint32_t waited = 0;; waited += kStep) {
    const platform::Opened opened = platform::OpenFile(path, access, disposition);
    if (opened || opened.error != platform::FileError::kBusy || waited >= HeldFileWait) {
      return opened;
    }
    platform::Pause(kStep);
  }
}

InventoryFile::InventoryFile(platform::Opened opened, std::shared_ptr<const JournalOverlay> through)
    : file_(opened.file),
      error_(opened.error),
      through_(file_ != nullptr ? std::move(through) : nullptr) {}

InventoryFile& InventoryFile::operator=(InventoryFile&& other) noexcept {
  if (this != &other) {
    Close();
    file_ = other.file_;
    error_ = other.error_;
    through_ = std::move(other.through_);
    position_ = other.position_;
    other.file_ = nullptr;
  }
  return *this;
}

void InventoryFile::Close() {
  platform::CloseFile(file_);
  file_ = nullptr;
  through_.reset();
}

platform::FileResult InventoryFile::SetPosition(uint32_t offset) {
  if (through_ == nullptr) return platform::SetFilePosition(file_, offset);
  position_ = offset;
  return {};
}

platform::FileResult InventoryFile::Read(void* buffer, uint32_t count, uint32_t* transferred) {
  if (through_ == nullptr) return platform::ReadFile(file_, buffer, count, transferred);
  return through_->Read(file_, &position_, buffer, count, transferred);
}

platform::FileResult InventoryFile::GetSize(uint64_t* size) {
  if (through_ == nullptr) return platform::GetFileSize(file_, size);
  *size = through_->size();
  return {};
}

InventoryFile OpenInventoryForReading() {
  std::shared_ptr<const JournalOverlay> through = JournalInUse();
  if (through != nullptr && through->path() != DataPath) through.reset();
  return InventoryFile(
      OpenWaiting(DataPath, platform::Access::kRead, platform::Disposition::kOpenExisting),
      std::move(through));
}

platform::Opened OpenInventoryForChange() {
  return OpenWaiting(DataPath, platform::Access::kReadWrite, platform::Disposition::kOpenExisting);
}

namespace {

// `size` bytes from the position, all of them or false.
bool ReadAll(InventoryFile& file, void* bytes, uint32_t size) {
  uint32_t got = 0;
  return file.Read(bytes, size, &got) && got == size;
}

}  // namespace

bool ReadSlot(InventoryFile& file, Slot slot, InventoryRecord* record) {
  InventoryRecord read;
  if (!file.SetPosition(SlotOffset(slot)) || !ReadAll(file, read.bytes, kRecordSize)) return false;
  std::memcpy(record->bytes, read.bytes, kRecordSize);
  return true;
}

SlotRun::SlotRun(Slot capacity)
    : bytes_(static_cast<uint8_t*>(
          platform::AllocatePages(static_cast<size_t>(capacity) * kRecordSize))),
      capacity_(bytes_ != nullptr ? capacity : 0) {}

SlotRun::~SlotRun() { platform::ReleasePages(bytes_); }

bool SlotRun::Read(InventoryFile& file, Slot first, Slot count) {
  count_ = 0;
  return file.SetPosition(SlotOffset(first)) && Fill(file, first, count);
}

bool SlotRun::ReadFollowing(InventoryFile& file, Slot count) {
  const Slot first = first_ + count_;
  count_ = 0;
  return Fill(file, first, count);
}

bool SlotRun::Fill(InventoryFile& file, Slot first, Slot count) {
  if (bytes_ == nullptr || count < 0 || count > capacity_) return false;
  if (!ReadAll(file, bytes_, static_cast<uint32_t>(count * kRecordSize))) return false;
  first_ = first;
  count_ = count;
  return true;
}

const uint8_t* SlotRun::Record(Slot slot) const {
  if (slot < first_ || slot >= first_ + count_) return nullptr;
  return bytes_ + static_cast<size_t>(slot - first_) * kRecordSize;
}

bool SlotReader::Read(Slot slot, InventoryRecord* record) {
  const uint8_t* found = run_ ? run_.Record(slot) : nullptr;
  if (found == nullptr && run_ && last_ >= 0 && slot > last_ && slot - last_ < kReadRunSlots) {
    const Slot count = std::min(kReadRunSlots, slots_ - slot);
    if (count > 0 && run_.Read(file_, slot, count)) found = run_.Record(slot);
  }
  last_ = slot;
  if (found == nullptr) return ReadSlot(file_, slot, record);
  std::memcpy(record->bytes, found, kRecordSize);
  return true;
}

Slot ReadSlotRuns(InventoryFile& file, Slot slots, InventoryRecord* last,
                  const SlotRunVisitor& visit) {
  SlotRun run(kReadRunSlots);
  Slot slot = 0;
  while (slot < slots) {
    const Slot count = std::min(kReadRunSlots, slots - slot);
    if (!(slot == 0 ? run.Read(file, slot, count) : run.ReadFollowing(file, count))) {
      while (slot < slots && ReadSlot(file, slot, last)) visit(slot++, last->bytes, 1);
      break;
    }
    visit(slot, run.Record(slot), count);
    slot += count;
    // Taken now: a failed read of the next run may leave anything in the room.
    std::memcpy(last->bytes, run.Record(slot - 1), kRecordSize);
  }
  return slot;
}

Slot ReadEachSlot(InventoryFile& file, Slot slots,
                  const std::function<void(Slot slot, const InventoryRecord&)>& visit) {
  InventoryRecord single;
  InventoryRecord record;
  return ReadSlotRuns(file, slots, &single, [&](Slot first, const uint8_t* records, Slot count) {
    for (Slot i = 0; i < count; ++i, records += kRecordSize) {
      std::memcpy(record.bytes, records, kRecordSize);
      visit(first + i, record);
    }
  });
}

FileStatus WriteSpans(platform::FileRef file, const JournalGroup& group, bool after) {
  for (const GroupEntry& e : group.entries) {
    const std::vector<uint8_t>& bytes = after ? e.after : e.before;
    const uint32_t at = RunSpan(e.first, e.count, group.newSize).start;
    const WholeResult written =
        WriteWholeAt(file, at, bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (!written) return Failed(FileStep::kWrite, DataPath, written.error);
  }
  const platform::FileResult flushed = platform::FlushFile(file);
  return flushed ? FileStatus{} : Failed(FileStep::kFlush, DataPath, flushed.error());
}

FileStatus CutToSize(platform::FileRef file, uint64_t size) {
  const platform::FileResult cut = platform::CutFile(file, static_cast<uint32_t>(size));
  if (!cut) return Failed(FileStep::kCut, DataPath, cut.error());
  const platform::FileResult flushed = platform::FlushFile(file);
  return flushed ? FileStatus{} : Failed(FileStep::kFlush, DataPath, flushed.error());
}
