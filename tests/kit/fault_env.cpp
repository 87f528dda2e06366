#include "tests/kit/fault_env.h"

namespace testkit {

using platform::FileError;

void FaultInjectionEnv::Inject(FileOp op, int nth, Fault fault, bool persistent) {
  plans_[static_cast<size_t>(op)] = Plan{nth, fault, persistent, false};
}

void FaultInjectionEnv::Reset() {
  plans_ = {};
  counts_ = {};
  allocationCountdown_ = 0;
}

bool FaultInjectionEnv::Misbehaves(FileOp op, Fault* fault) {
  ++counts_[static_cast<size_t>(op)];
  Plan& plan = plans_[static_cast<size_t>(op)];
  if (!plan.firing) {
    if (plan.countdown == 0 || --plan.countdown > 0) return false;
    plan.firing = plan.persistent;
  }
  *fault = plan.fault;
  return true;
}

FileError FaultInjectionEnv::CauseOf(Fault fault) {
  return fault == Fault::kDiskFull  ? FileError::kDiskFull
         : fault == Fault::kMissing ? FileError::kMissing
                                    : FileError::kOther;
}

platform::Opened FaultInjectionEnv::OpenFile(const std::wstring& path, platform::Access access,
                                             platform::Disposition disposition) {
  Fault fault;
  if (Misbehaves(FileOp::kOpen, &fault)) return platform::Opened{nullptr, CauseOf(fault)};
  return EnvWrapper::OpenFile(path, access, disposition);
}

platform::FileResult FaultInjectionEnv::ReadFile(platform::FileRef file, void* buffer,
                                                 uint32_t count, uint32_t* transferred) {
  *transferred = 0;
  Fault fault;
  if (Misbehaves(FileOp::kRead, &fault)) {
    if (fault != Fault::kShort) return CauseOf(fault);
    count /= 2;
  }
  return EnvWrapper::ReadFile(file, buffer, count, transferred);
}

platform::FileResult FaultInjectionEnv::WriteFile(platform::FileRef file, const void* buffer,
                                                  uint32_t count, uint32_t* transferred) {
  *transferred = 0;
  Fault fault;
  if (Misbehaves(FileOp::kWrite, &fault)) {
    if (fault == Fault::kDiskFull) {
      // What fitted is written; the rest finds no room.
      (void)EnvWrapper::WriteFile(file, buffer, count / 2, transferred);
      return CauseOf(fault);
    }
    if (fault != Fault::kShort) return CauseOf(fault);
    count /= 2;
  }
  return EnvWrapper::WriteFile(file, buffer, count, transferred);
}

platform::FileResult FaultInjectionEnv::SetFilePosition(platform::FileRef file, uint32_t offset) {
  return FailsOr(FileOp::kSeek, [&] { return EnvWrapper::SetFilePosition(file, offset); });
}

platform::FileResult FaultInjectionEnv::GetFileSize(platform::FileRef file, uint64_t* size) {
  return FailsOr(FileOp::kSize, [&] { return EnvWrapper::GetFileSize(file, size); });
}

platform::FileResult FaultInjectionEnv::FlushFile(platform::FileRef file) {
  return FailsOr(FileOp::kFlush, [&] { return EnvWrapper::FlushFile(file); });
}

platform::FileResult FaultInjectionEnv::CutFile(platform::FileRef file, uint32_t size) {
  return FailsOr(FileOp::kCut, [&] { return EnvWrapper::CutFile(file, size); });
}

platform::FileResult FaultInjectionEnv::RemoveFile(const std::wstring& path) {
  return FailsOr(FileOp::kRemove, [&] { return EnvWrapper::RemoveFile(path); });
}

platform::Renaming FaultInjectionEnv::RenameFile(const std::wstring& from, const std::wstring& to) {
  Fault fault;
  if (Misbehaves(FileOp::kRename, &fault)) {
    return platform::Renaming{platform::Renamed::kNot, CauseOf(fault)};
  }
  return EnvWrapper::RenameFile(from, to);
}

platform::Renaming FaultInjectionEnv::PutFileInPlace(const std::wstring& from,
                                                     const std::wstring& to) {
  Fault fault;
  if (Misbehaves(FileOp::kRename, &fault)) {
    return platform::Renaming{platform::Renamed::kNot, CauseOf(fault)};
  }
  return EnvWrapper::PutFileInPlace(from, to);
}

void* FaultInjectionEnv::AllocateZeroed(size_t count, size_t size) {
  return AllocationFails() ? nullptr : EnvWrapper::AllocateZeroed(count, size);
}

void* FaultInjectionEnv::AllocatePages(size_t bytes) {
  return AllocationFails() ? nullptr : EnvWrapper::AllocatePages(bytes);
}

}  // namespace testkit
