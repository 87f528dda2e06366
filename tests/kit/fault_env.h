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
  kFail,   // the call fails with platform::FileError::kOther
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

  platform::Opened OpenFile(const std::wstring& path, platform::Access access,
                            platform::Disposition disposition) override;
  platform::FileResult ReadFile(platform::FileRef file, void* buffer, uint32_t count,
                                uint32_t* transferred) override;
  platform::FileResult WriteFile(platform::FileRef file, const void* buffer, uint32_t count,
                                 uint32_t* transferred) override;
  platform::FileResult SetFilePosition(platform::FileRef file, uint32_t offset) override;
  platform::FileResult GetFileSize(platform::FileRef file, uint64_t* size) override;
  platform::FileResult FlushFile(platform::FileRef file) override;
  platform::FileResult CutFile(platform::FileRef file, uint32_t size) override;
  platform::FileResult RemoveFile(const std::wstring& path) override;
  // A rename this layer fails returns the injected cause with kNot.
  platform::Renaming RenameFile(const std::wstring& from, const std::wstring& to) override;
  platform::Renaming PutFileInPlace(const std::wstring& from, const std::wstring& to) override;
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
  bool Misbehaves(FileOp op, Fault* fault);
  // The cause a call fails with under `fault`.
  static platform::FileError CauseOf(Fault fault);
  // A call that moves no bytes: failed with the fault's cause, or `call`.
  template <typename Call>
  platform::FileResult FailsOr(FileOp op, Call call) {
    Fault fault;
    if (Misbehaves(op, &fault)) return CauseOf(fault);
    return call();
  }
  bool AllocationFails() { return allocationCountdown_ > 0 && --allocationCountdown_ == 0; }

  std::array<Plan, static_cast<size_t>(FileOp::kCount)> plans_{};
  std::array<int, static_cast<size_t>(FileOp::kCount)> counts_{};
  int allocationCountdown_ = 0;
};

}  // namespace testkit
