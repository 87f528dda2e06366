#include "office/sheets/string_table.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {
constexpr size_t kNowhere = std::string::npos;
}  // namespace

// Bytes appended at the end and read back at any place: the first
// `inMemory` of them in blocks that never move, the rest in a file, written
// a block at a time and read back through a window.
class StringTable::Stream {
 public:
  Stream(std::wstring path, size_t inMemory)
      : path_(std::move(path)), memoryBlocks_(std::max<size_t>(1, inMemory / kBlock)) {}
  ~Stream() {
    if (file_ == nullptr) return;
    platform::CloseFile(file_);
    (void)platform::RemoveFile(path_);
  }

  uint64_t size() const { return size_; }
  bool spilled() const { return file_ != nullptr; }
  platform::FileError cause() const { return cause_; }
  size_t bytes() const {
    return blocks_.size() * kBlock + (pending_ ? kBlock : 0) + (window_ ? kWindow : 0);
  }

  bool Append(const char* bytes, size_t count) {
    const uint64_t inMemory = uint64_t{memoryBlocks_} * kBlock;
    while (count > 0) {
      size_t taken = 0;
      if (size_ < inMemory) {
        const size_t at = static_cast<size_t>(size_ % kBlock);
        if (at == 0) blocks_.push_back(std::make_unique<char[]>(kBlock));
        taken = std::min(count, kBlock - at);
        std::memcpy(blocks_.back().get() + at, bytes, taken);
      } else {
        if (!pending_) pending_ = std::make_unique<char[]>(kBlock);
        taken = std::min(count, kBlock - pendingSize_);
        std::memcpy(pending_.get() + pendingSize_, bytes, taken);
        pendingSize_ += taken;
        if (pendingSize_ == kBlock && !WritePending()) return false;
      }
      bytes += taken;
      count -= taken;
      size_ += taken;
    }
    return true;
  }

  // Bytes [at, at + count) as a view when they lie in one block of memory;
  // else onto the end of `*copies`.
  bool Read(uint64_t at, size_t count, std::string* copies, std::string_view* view,
            size_t* copiedAt) {
    if (count == 0) {  // an empty string, which may stand where no block is yet
      *view = {};
      *copiedAt = kNowhere;
      return true;
    }
    if (at + count <= uint64_t{blocks_.size()} * kBlock && at % kBlock + count <= kBlock) {
      *view =
          std::string_view(blocks_[static_cast<size_t>(at / kBlock)].get() + at % kBlock, count);
      *copiedAt = kNowhere;
      return true;
    }
    *copiedAt = copies->size();
    copies->resize(copies->size() + count);
    if (!Copy(at, count, copies->data() + *copiedAt)) {
      copies->resize(*copiedAt);
      return false;
    }
    *view = std::string_view(copies->data() + *copiedAt, count);
    return true;
  }

  // Bytes [at, at + count) into `out`, wherever they lie.
  bool Copy(uint64_t at, size_t count, char* out) {
    const uint64_t inMemory = uint64_t{blocks_.size()} * kBlock;
    while (count > 0 && at < inMemory) {
      const size_t offset = static_cast<size_t>(at % kBlock);
      const size_t taken = std::min(count, kBlock - offset);
      std::memcpy(out, blocks_[static_cast<size_t>(at / kBlock)].get() + offset, taken);
      out += taken;
      at += taken;
      count -= taken;
    }
    if (count == 0) return true;
    // What is not yet in the file is at the end.
    const uint64_t written = inMemory + fileSize_;
    if (at + count > written) {
      const uint64_t from = std::max(at, written);
      const size_t tail = static_cast<size_t>(at + count - from);
      std::memcpy(out + (from - at), pending_.get() + (from - written), tail);
      count -= tail;
    }
    if (count == 0) return true;
    if (count > kWindow) return ReadFile(at - inMemory, out, count);
    if (at < windowAt_ || at + count > windowAt_ + windowSize_) {
      // Strings are mostly read in the order they came: a window of what
      // follows serves the next ones. After a window that served none, the
      // next few reads take only their string.
      if (windowWide_ && windowHits_ == 0) exactReads_ = kExactReads;
      windowWide_ = exactReads_ == 0;
      size_t wanted = count;
      if (windowWide_) {
        wanted = static_cast<size_t>(std::min<uint64_t>(written, at + kWindow) - at);
      } else {
        --exactReads_;
      }
      if (!window_) window_ = std::make_unique<char[]>(kWindow);
      if (!ReadFile(at - inMemory, window_.get(), wanted)) {
        windowSize_ = 0;
        return false;
      }
      windowAt_ = at;
      windowSize_ = wanted;
      windowHits_ = 0;
    } else {
      ++windowHits_;
    }
    std::memcpy(out, window_.get() + (at - windowAt_), count);
    return true;
  }

 private:
  static constexpr size_t kBlock = size_t{1} << 20;
  static constexpr size_t kWindow = size_t{64} << 10;
  static constexpr size_t kExactReads = 16;

  bool Failed(platform::FileError why) {
    cause_ = why == platform::FileError::kNone ? platform::FileError::kOther : why;
    return false;
  }
  // The full block of pending bytes onto the file's end.
  bool WritePending() {
    if (file_ == nullptr && !OpenFile()) return false;
    if (fileSize_ + pendingSize_ > std::numeric_limits<uint32_t>::max()) {
      return Failed(platform::FileError::kOther);
    }
    uint32_t written = 0;
    platform::FileResult done = platform::SetFilePosition(file_, static_cast<uint32_t>(fileSize_));
    if (done) {
      done =
          platform::WriteFile(file_, pending_.get(), static_cast<uint32_t>(pendingSize_), &written);
    }
    if (!done || written != pendingSize_) return Failed(done.error());
    fileSize_ += pendingSize_;
    pendingSize_ = 0;
    return true;
  }
  // A file of its own: one left by an import that was cut off is removed
  // first; one that another import holds open (on Windows, where it cannot
  // be removed then) is let be, and the next name is tried. Where it can be
  // removed, the other import keeps its own file under no name.
  bool OpenFile() {
    const std::wstring stem = path_;
    platform::FileError why = platform::FileError::kNone;
    for (int n = 1; n <= 8 && file_ == nullptr; ++n) {
      path_ = n == 1 ? stem : stem + L"-" + std::to_wstring(n);
      path_ += L".part";
      (void)platform::RemoveFile(path_);  // a left one goes; a held one stays
      const platform::Opened opened = platform::OpenFile(path_, platform::Access::kReadWrite,
                                                         platform::Disposition::kCreateNew);
      file_ = opened.file;
      why = opened.error;
    }
    return file_ != nullptr || Failed(why);
  }
  bool ReadFile(uint64_t position, char* into, size_t count) {
    uint32_t got = 0;
    platform::FileResult done = platform::SetFilePosition(file_, static_cast<uint32_t>(position));
    if (done) done = platform::ReadFile(file_, into, static_cast<uint32_t>(count), &got);
    if (!done) return Failed(done.error());
    if (got != count) {  // the file was cut short under us
      cause_ = platform::FileError::kOther;
      return false;
    }
    return true;
  }

  std::wstring path_;
  size_t memoryBlocks_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  uint64_t size_ = 0;
  platform::FileRef file_ = nullptr;
  uint64_t fileSize_ = 0;            // bytes written to the file
  std::unique_ptr<char[]> pending_;  // the bytes past the file's end
  size_t pendingSize_ = 0;
  std::unique_ptr<char[]> window_;  // bytes of the file from windowAt_
  uint64_t windowAt_ = 0;
  size_t windowSize_ = 0;
  size_t windowHits_ = 0;    // reads the window served since it was read
  bool windowWide_ = false;  // the window was read beyond its string
  size_t exactReads_ = 0;    // reads still to take only their string
  platform::FileError cause_ = platform::FileError::kNone;
};

StringTable::StringTable(std::wstring spill, size_t textInMemory, size_t indexInMemory) {
  const bool toFile = !spill.empty();
  const size_t most = std::numeric_limits<size_t>::max();
  text_ =
      std::make_unique<Stream>(toFile ? spill + L".strings" : L"", toFile ? textInMemory : most);
  index_ =
      std::make_unique<Stream>(toFile ? spill + L".index" : L"", toFile ? indexInMemory : most);
}

StringTable::~StringTable() = default;

bool StringTable::Add(std::string_view text) {
  // Each string's index entry is where it starts; it ends where the next
  // starts, the last where the text ends.
  const uint64_t start = text_->size();
  if (start + text.size() > std::numeric_limits<uint32_t>::max()) return false;
  const auto entry = static_cast<uint32_t>(start);
  if (!index_->Append(reinterpret_cast<const char*>(&entry), sizeof entry) ||
      !text_->Append(text.data(), text.size())) {
    return false;
  }
  ++count_;
  return true;
}

bool StringTable::Get(size_t index, std::string* copies, std::string_view* text, size_t* copiedAt) {
  uint32_t bounds[2] = {0, static_cast<uint32_t>(text_->size())};
  const size_t entries = index + 1 < count_ ? 2 : 1;
  if (!index_->Copy(uint64_t{index} * sizeof(uint32_t), entries * sizeof(uint32_t),
                    reinterpret_cast<char*>(bounds))) {
    return false;
  }
  return text_->Read(bounds[0], bounds[1] - bounds[0], copies, text, copiedAt);
}

platform::FileError StringTable::cause() const {
  return text_->cause() != platform::FileError::kNone ? text_->cause() : index_->cause();
}

bool StringTable::spilled() const { return text_->spilled() || index_->spilled(); }

size_t StringTable::bytes() const { return text_->bytes() + index_->bytes(); }
