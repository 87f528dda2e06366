// POSIX files with SQLite-test-VFS-style fault injection: a countdown per
// operation, one-off or persistent, failing or shortening the call.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/host/host_state.h"
#include "platform/platform.h"

namespace platform {

struct File {
  int fd;
};

namespace host {

HostState& State() {
  static HostState state;
  return state;
}

std::optional<Fault> NextCallFault(FileOp op) {
  HostState& s = State();
  ++s.counts[static_cast<size_t>(op)];
  FaultPlan& plan = s.faults[static_cast<size_t>(op)];
  if (!plan.firing) {
    if (plan.countdown == 0 || --plan.countdown > 0) return std::nullopt;
    plan.firing = plan.persistent;
  }
  return plan.fault;
}

void InjectFault(FileOp op, int nth, Fault fault, bool persistent) {
  State().faults[static_cast<size_t>(op)] = FaultPlan{nth, fault, persistent, false};
}

int OperationCount(FileOp op) { return State().counts[static_cast<size_t>(op)]; }

void SetWorkingFolder(const std::string& folder) { State().workingFolder = folder; }

std::string HostPath(const std::wstring& path) {
  std::string host = Narrow(path);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  const std::string& folder = State().workingFolder;
  if (!host.empty() && host[0] != '/' && !folder.empty()) host = folder + "/" + host;
  return host;
}

}  // namespace host

FileRef OpenFile(const std::wstring& path, Access access, Disposition disposition) {
  if (host::NextCallFault(host::FileOp::kOpen)) return nullptr;
  int flags = access == Access::kRead ? O_RDONLY : O_WRONLY;
  if (disposition == Disposition::kCreateNew) flags |= O_CREAT | O_EXCL;
  if (disposition == Disposition::kCreateAlways) flags |= O_CREAT | O_TRUNC;
  const int fd = ::open(host::HostPath(path).c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {  // folders are no files
    ::close(fd);
    return nullptr;
  }
  return new File{fd};
}

namespace {

// One read or write call, retried over signals and partial transfers the way
// a Windows file call completes in one go.
template <typename Transfer>
bool MoveBytes(Transfer transfer, uint32_t count, uint32_t* transferred) {
  uint32_t done = 0;
  while (done < count) {
    const ssize_t n = transfer(done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *transferred = done;
      return false;
    }
    if (n == 0) break;
    done += static_cast<uint32_t>(n);
  }
  *transferred = done;
  return true;
}

}  // namespace

bool ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred) {
  *transferred = 0;
  if (const auto fault = host::NextCallFault(host::FileOp::kRead)) {
    if (*fault == host::Fault::kFail) return false;
    count /= 2;
  }
  auto* bytes = static_cast<char*>(buffer);
  return MoveBytes([&](uint32_t at, uint32_t n) { return ::read(file->fd, bytes + at, n); }, count,
                   transferred);
}

bool WriteFile(FileRef file, const void* buffer, uint32_t count, uint32_t* transferred) {
  *transferred = 0;
  if (const auto fault = host::NextCallFault(host::FileOp::kWrite)) {
    if (*fault == host::Fault::kFail) return false;
    count /= 2;
  }
  const auto* bytes = static_cast<const char*>(buffer);
  return MoveBytes([&](uint32_t at, uint32_t n) { return ::write(file->fd, bytes + at, n); }, count,
                   transferred);
}

bool SetFilePosition(FileRef file, uint32_t offset) {
  if (host::NextCallFault(host::FileOp::kSeek)) return false;
  return ::lseek(file->fd, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool GetFileSize(FileRef file, uint64_t* size) {
  if (host::NextCallFault(host::FileOp::kSize)) return false;
  struct stat info;
  if (::fstat(file->fd, &info) != 0) return false;
  *size = static_cast<uint64_t>(info.st_size);
  return true;
}

bool FlushFile(FileRef file) {
  if (host::NextCallFault(host::FileOp::kFlush)) return false;
  return ::fsync(file->fd) == 0;
}

void CloseFile(FileRef file) {
  if (file == nullptr) return;
  ::close(file->fd);
  delete file;
}

}  // namespace platform
