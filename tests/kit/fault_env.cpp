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
  failedHere_ = false;
}

bool FaultInjectionEnv::Misbehaves(FileOp op, Fault* fault) {
  failedHere_ = false;
  ++counts_[static_cast<size_t>(op)];
  Plan& plan = plans_[static_cast<size_t>(op)];
  if (!plan.firing) {
    if (plan.countdown == 0 || --plan.countdown > 0) return false;
    plan.firing = plan.persistent;
  }
  if (fault != nullptr) *fault = plan.fault;
  // A call that misbehaves without `fault` to tell it how simply fails.
  if (fault == nullptr) Fails(plan.fault);
  return true;
}

bool FaultInjectionEnv::Fails(Fault fault) {
  failedHere_ = true;
  cause_ = fault == Fault::kDiskFull  ? FileError::kDiskFull
           : fault == Fault::kMissing ? FileError::kMissing
                                      : FileError::kOther;
  return false;
}

FileError FaultInjectionEnv::LastFileError() {
  return failedHere_ ? cause_ : EnvWrapper::LastFileError();
}

platform::FileRef FaultInjectionEnv::OpenFile(const std::wstring& path, platform::Access access,
                                              platform::Disposition disposition) {
  return Misbehaves(FileOp::kOpen) ? nullptr : EnvWrapper::OpenFile(path, access, disposition);
}

bool FaultInjectionEnv::ReadFile(platform::FileRef file, void* buffer, uint32_t count,
                                 uint32_t* transferred) {
  *transferred = 0;
  Fault fault;
  if (Misbehaves(FileOp::kRead, &fault)) {
    if (fault != Fault::kShort) return Fails(fault);
    count /= 2;
  }
  return EnvWrapper::ReadFile(file, buffer, count, transferred);
}

bool FaultInjectionEnv::WriteFile(platform::FileRef file, const void* buffer, uint32_t count,
                                  uint32_t* transferred) {
  *transferred = 0;
  Fault fault;
  if (Misbehaves(FileOp::kWrite, &fault)) {
    if (fault == Fault::kDiskFull) {
      // What fitted is written; the rest finds no room.
      EnvWrapper::WriteFile(file, buffer, count / 2, transferred);
      return Fails(fault);
    }
    if (fault != Fault::kShort) return Fails(fault);
    count /= 2;
  }
  return EnvWrapper::WriteFile(file, buffer, count, transferred);
}

bool FaultInjectionEnv::SetFilePosition(platform::FileRef file, uint32_t offset) {
  return !Misbehaves(FileOp::kSeek) && EnvWrapper::SetFilePosition(file, offset);
}

bool FaultInjectionEnv::GetFileSize(platform::FileRef file, uint64_t* size) {
  return !Misbehaves(FileOp::kSize) && EnvWrapper::GetFileSize(file, size);
}

bool FaultInjectionEnv::FlushFile(platform::FileRef file) {
  return !Misbehaves(FileOp::kFlush) && EnvWrapper::FlushFile(file);
}

bool FaultInjectionEnv::CutFile(platform::FileRef file, uint32_t size) {
  return !Misbehaves(FileOp::kCut) && EnvWrapper::CutFile(file, size);
}

bool FaultInjectionEnv::RemoveFile(const std::wstring& path) {
  return !Misbehaves(FileOp::kRemove) && EnvWrapper::RemoveFile(path);
}

platform::Renamed FaultInjectionEnv::RenameFile(const std::wstring& from, const std::wstring& to) {
  return Misbehaves(FileOp::kRename) ? platform::Renamed::kNot : EnvWrapper::RenameFile(from, to);
}

platform::Renamed FaultInjectionEnv::PutFileInPlace(const std::wstring& from,
                                                    const std::wstring& to) {
  return Misbehaves(FileOp::kRename) ? platform::Renamed::kNot
                                     : EnvWrapper::PutFileInPlace(from, to);
}

void* FaultInjectionEnv::AllocateZeroed(size_t count, size_t size) {
  return AllocationFails() ? nullptr : EnvWrapper::AllocateZeroed(count, size);
}

void* FaultInjectionEnv::AllocatePages(size_t bytes) {
  return AllocationFails() ? nullptr : EnvWrapper::AllocatePages(bytes);
}

}  // namespace testkit
