// A test layer over the Env: counts every file call and makes the Nth call
// of an operation fail or come up short, once or from then on, in the way of
// SQLite's test VFS. Allocations can be failed the same way.
#pragma once

#include <array>

#include "platform/env.h"

namespace testkit {

enum class FileOp { kOpen, kRead, kWrite, kSeek, kSize, kFlush, kRemove, kRename, kCut, kCount };
constexpr const char* kFileOpNames[] = {"open",  "read",   "write",  "seek", "size",
                                        "flush", "remove", "rename", "cut"};
enum class Fault {
  kFail,   // the call reports failure (platform::FileError::kOther)
  kShort,  // reads and writes move half the bytes and report success
  // The disk is full: a write moves half the bytes and then fails, any other
  // call fails, each with platform::FileError::kDiskFull.
  kDiskFull,
  // The file is not there: the call fails with platform::FileError::kMissing
  // (another program removed it meanwhile).
  kMissing,
};

class FaultInjectionEnv : public platform::EnvWrapper {
 public:
  explicit FaultInjectionEnv(platform::Env& target = platform::DefaultEnv()) : EnvWrapper(target) {}

  // Makes the `nth` call of `op` from now on (1 = the next one) misbehave;
  // with `persistent`, every call from that one on does.
  void Inject(FileOp op, int nth, Fault fault = Fault::kFail, bool persistent = false);
  // Makes the `nth` allocation from now on fail (either kind of block).
  void InjectAllocationFault(int nth) { allocationCountdown_ = nth; }
  // Calls of `op` since the last Reset.
  int Count(FileOp op) const { return counts_[static_cast<size_t>(op)]; }
  // No faults armed, every count 0.
  void Reset();

  platform::FileRef OpenFile(const std::wstring& path, platform::Access access,
                             platform::Disposition disposition) override;
  bool ReadFile(platform::FileRef file, void* buffer, uint32_t count,
                uint32_t* transferred) override;
  bool WriteFile(platform::FileRef file, const void* buffer, uint32_t count,
                 uint32_t* transferred) override;
  bool SetFilePosition(platform::FileRef file, uint32_t offset) override;
  bool GetFileSize(platform::FileRef file, uint64_t* size) override;
  bool FlushFile(platform::FileRef file) override;
  bool CutFile(platform::FileRef file, uint32_t size) override;
  bool RemoveFile(const std::wstring& path) override;
  platform::Renamed RenameFile(const std::wstring& from, const std::wstring& to) override;
  platform::Renamed PutFileInPlace(const std::wstring& from, const std::wstring& to) override;
  // The injected fault's cause after a call this layer failed; the target's
  // after any other.
  platform::FileError LastFileError() override;
  void* AllocateZeroed(size_t count, size_t size) override;
  void* AllocatePages(size_t bytes) override;

 private:
  struct Plan {
    int countdown = 0;  // 0: none armed; 1: the next call misbehaves
    Fault fault = Fault::kFail;
    bool persistent = false;
    bool firing = false;  // a persistent fault that has started
  };
  // Counts a call of `op`; true when it should misbehave, with `*fault` how.
  // A call that fails here takes its cause from the fault.
  bool Misbehaves(FileOp op, Fault* fault = nullptr);
  // Fails a call with the cause of `fault`.
  bool Fails(Fault fault);
  bool AllocationFails() { return allocationCountdown_ > 0 && --allocationCountdown_ == 0; }

  std::array<Plan, static_cast<size_t>(FileOp::kCount)> plans_{};
  std::array<int, static_cast<size_t>(FileOp::kCount)> counts_{};
  int allocationCountdown_ = 0;
  bool failedHere_ = false;  // the last call was failed by this layer
  platform::FileError cause_ = platform::FileError::kNone;
};

}  // namespace testkit
