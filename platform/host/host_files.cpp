// The host's Env: POSIX files, with bare names resolved in the working
// folder and backslashes taken as folder separators, and the C heap.
//
// A handle with write access holds its file as Windows' share modes do:
// an exclusive open-file-description lock (F_OFD_SETLK) on the whole file.
// Such a lock belongs to the open file, not to the process, so closing
// another descriptor of the same file keeps it; it meets the classic fcntl
// locks (F_SETLK) of other programs, among them the one that Wine's server
// takes for a Windows program's LockFileEx, so that the Windows programs
// under Wine and this one hold each other off. Links, devices and pipes are never
// opened as files: O_NOFOLLOW, and O_NONBLOCK until fstat has shown a
// regular file.
//
// A file's name reaches the medium with its folder. The Env keeps the names
// it knows to be there (it pushed their folder since they named the file
// they name now); the first flush of a file whose name it does not know
// pushes the folder too, whoever made the file: another program, or an
// earlier run of this one that a kill or a power cut stopped before its
// flush.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/env.h"
#include "platform/host/host_state.h"

namespace platform {

struct File {
  int fd;
  // The file's host path while its name is not known to be on the medium;
  // empty once it is.
  std::string unsyncedName;
};

namespace host {

HostState& State() {
  static HostState state;
  return state;
}

void ResetHost() { State() = HostState{}; }

namespace {
// The working folder changes on the window's worker thread (a step's shop)
// while the window's own thread opens files.
std::mutex workingFolderLock;
}  // namespace

void SetWorkingFolder(const std::string& folder) {
  std::lock_guard<std::mutex> guard(workingFolderLock);
  State().workingFolder = folder;
}

std::string HostPath(const std::wstring& path) {
  std::string host = Narrow(path);
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  if (host.empty() || host[0] == '/') return host;
  std::lock_guard<std::mutex> guard(workingFolderLock);
  const std::string& folder = State().workingFolder;
  return folder.empty() ? host : folder + "/" + host;
}

}  // namespace host

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

// The folder that holds `path`.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Pushes the folder that holds `path` to the medium, so that a name made,
// changed or removed there survives a power cut.
bool SyncFolderOf(const std::string& path) {
  const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

// The cause that errno `error` stands for.
FileError Cause(int error) {
  switch (error) {
    case ENOENT:
      return FileError::kMissing;
    case ENOTDIR:
      return FileError::kNoFolder;
    case EACCES:
    case EPERM:
      return FileError::kDenied;
    case EROFS:
      return FileError::kReadOnly;
    case ELOOP:  // O_NOFOLLOW met a symbolic link
    case EISDIR:
    case ENXIO:  // a pipe without a reader, or a device without its hardware
    case ENODEV:
      return FileError::kNotRegular;
    case ENOSPC:
    case EDQUOT:
      return FileError::kDiskFull;
    default:
      return FileError::kOther;
  }
}

// The whole file, from its start to any end.
struct flock WholeFile(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return lock;
}

// Takes the write lock of an open file. kBusy when another open file holds
// a lock on it; a file system that keeps no locks (ENOLCK, EINVAL) is
// written as before, unheld.
FileError Hold(int fd) {
  struct flock lock = WholeFile(F_WRLCK);
  if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return FileError::kNone;
  return errno == EAGAIN || errno == EACCES ? FileError::kBusy : FileError::kNone;
}

// True while another open file holds a lock on the file at `path`, as a
// writer's hold is. Links, pipes and devices are not opened to learn it.
bool Held(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock lock = WholeFile(F_WRLCK);
  const bool held = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

// Which file a name names: the device and the file's number on it.
struct FileId {
  dev_t device;
  ino_t inode;
  bool operator==(const FileId& other) const {
    return device == other.device && inode == other.inode;
  }
};
FileId IdOf(const struct stat& info) { return FileId{info.st_dev, info.st_ino}; }

// Whether the folder that holds `path` is there.
bool FolderOfExists(const std::string& path) {
  struct stat info;
  return ::stat(FolderOf(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

class PosixEnv : public Env {
 public:
  Opened OpenFile(const std::wstring& path, Access access, Disposition disposition) override {
    int flags = access == Access::kRead ? O_RDONLY : access == Access::kWrite ? O_WRONLY : O_RDWR;
    if (disposition == Disposition::kCreateNew) flags |= O_CREAT | O_EXCL;
    // Emptied below, once held: a file another writer holds keeps its bytes.
    if (disposition == Disposition::kCreateAlways) flags |= O_CREAT;
    const std::string hostPath = host::HostPath(path);
    // What stands under the name is looked at first, so that no device or
    // pipe is even opened; the fstat below covers a name changed meanwhile.
    struct stat info;
    if (::lstat(hostPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
      return Opened{nullptr, FileError::kNotRegular};
    }
    const int fd =
        ::open(hostPath.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) {
      // A missing name in a missing folder is the folder's.
      const FileError cause = Cause(errno);
      return Opened{nullptr, cause == FileError::kMissing && !FolderOfExists(hostPath)
                                 ? FileError::kNoFolder
                                 : cause};
    }
    FileError why = FileError::kNone;
    if (::fstat(fd, &info) != 0) {
      why = Cause(errno);
    } else if (!S_ISREG(info.st_mode)) {
      why = FileError::kNotRegular;
    } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
      why = Cause(errno);
    } else if (access != Access::kRead) {
      why = Hold(fd);
      if (why == FileError::kNone && disposition == Disposition::kCreateAlways &&
          ::ftruncate(fd, 0) != 0) {
        why = Cause(errno);
      }
    }
    if (why != FileError::kNone) {
      ::close(fd);
      return Opened{nullptr, why};
    }
    // A name this process has not pushed to the medium may not be there
    // (a created file's never is): FlushFile pushes its folder too.
    std::lock_guard<std::mutex> guard(names_);
    const auto known = namesOnMedium_.find(hostPath);
    const bool onMedium = known != namesOnMedium_.end() && known->second == IdOf(info);
    return Opened{new File{fd, onMedium ? std::string() : hostPath}};
  }

  FileResult ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred) override {
    auto* bytes = static_cast<char*>(buffer);
    return Noted(MoveBytes([&](uint32_t at, uint32_t n) { return ::read(file->fd, bytes + at, n); },
                           count, transferred));
  }

  FileResult WriteFile(FileRef file, const void* buffer, uint32_t count,
                       uint32_t* transferred) override {
    const auto* bytes = static_cast<const char*>(buffer);
    return Noted(
        MoveBytes([&](uint32_t at, uint32_t n) { return ::write(file->fd, bytes + at, n); }, count,
                  transferred));
  }

  FileResult SetFilePosition(FileRef file, uint32_t offset) override {
    return Noted(::lseek(file->fd, static_cast<off_t>(offset), SEEK_SET) >= 0);
  }

  FileResult GetFileSize(FileRef file, uint64_t* size) override {
    struct stat info;
    if (::fstat(file->fd, &info) != 0) return Cause(errno);
    *size = static_cast<uint64_t>(info.st_size);
    return {};
  }

  // The data and what it takes to read it back (the size); the time of the
  // last change need not reach the medium, which spares a journal commit of
  // the file system on every in-place write.
  FileResult FlushFile(FileRef file) override {
    if (::fdatasync(file->fd) != 0) return Cause(errno);
    if (file->unsyncedName.empty()) return {};
    struct stat info;
    if (!SyncFolderOf(file->unsyncedName) || ::fstat(file->fd, &info) != 0) return Cause(errno);
    std::lock_guard<std::mutex> guard(names_);
    namesOnMedium_[file->unsyncedName] = IdOf(info);
    file->unsyncedName.clear();
    return {};
  }

  FileResult CutFile(FileRef file, uint32_t size) override {
    return Noted(::ftruncate(file->fd, static_cast<off_t>(size)) == 0);
  }

  void CloseFile(FileRef file) override {
    if (file == nullptr) return;
    ::close(file->fd);
    delete file;
  }

  // The folder is not pushed to the medium: nothing relies on a removal
  // surviving a power cut.
  FileResult RemoveFile(const std::wstring& path) override {
    const std::string hostPath = host::HostPath(path);
    if (Held(hostPath)) return FileError::kBusy;
    {
      std::lock_guard<std::mutex> guard(names_);
      namesOnMedium_.erase(hostPath);
    }
    return Noted(::unlink(hostPath.c_str()) == 0 || errno == ENOENT);
  }

  Renaming RenameFile(const std::wstring& from, const std::wstring& to) override {
    const std::string source = host::HostPath(from), target = host::HostPath(to);
    if (Held(source)) return NotMoved(FileError::kBusy);
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
      // A file system without the flag: a second link fails when the name
      // is taken, then the first goes.
      if (errno != EINVAL && errno != ENOSYS) return NotMoved(Cause(errno));
      if (::link(source.c_str(), target.c_str()) != 0) return NotMoved(Cause(errno));
      ::unlink(source.c_str());
    }
    return Moved(source, target);
  }

  Renaming PutFileInPlace(const std::wstring& from, const std::wstring& to) override {
    const std::string source = host::HostPath(from), target = host::HostPath(to);
    if (Held(source)) return NotMoved(FileError::kBusy);
    if (::rename(source.c_str(), target.c_str()) != 0) return NotMoved(Cause(errno));
    return Moved(source, target);
  }

  // Blocks of 2 MiB and more (the index of a large inventory) are mapped
  // with huge pages where the kernel grants them: the first touch of every
  // 4 KiB page would otherwise cost a fault, a fifth of a large start-up.
  void* AllocateZeroed(size_t count, size_t size) override {
    if (size != 0 && count > SIZE_MAX / size) return nullptr;
    const size_t bytes = count * size;
    if (bytes < kHugePage) return std::calloc(count, size);
    void* block = ::mmap(/*addr=*/nullptr, bytes, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, /*fd=*/-1, /*offset=*/0);
    if (block == MAP_FAILED) return nullptr;
    ::madvise(block, bytes, MADV_HUGEPAGE);
    std::lock_guard<std::mutex> guard(blocks_);
    mapped_[block] = bytes;
    return block;
  }

  void Release(void* block) override {
    size_t bytes = 0;
    {
      std::lock_guard<std::mutex> guard(blocks_);
      const auto found = mapped_.find(block);
      if (found != mapped_.end()) {
        bytes = found->second;
        mapped_.erase(found);
      }
    }
    if (bytes == 0) {
      std::free(block);
    } else {
      ::munmap(block, bytes);
    }
  }

  void* AllocatePages(size_t bytes) override {
    void* block = nullptr;
    return ::posix_memalign(&block, static_cast<size_t>(::sysconf(_SC_PAGESIZE)), bytes) == 0
               ? block
               : nullptr;
  }
  void ReleasePages(void* block) override { std::free(block); }

 private:
  // The outcome of a call: its cause from errno when it failed.
  static FileResult Noted(bool done) { return done ? FileError::kNone : Cause(errno); }
  static Renaming NotMoved(FileError why) { return Renaming{Renamed::kNot, why}; }
  // A name change that has been made: pushed to the medium with its folder,
  // which makes the new name known there when that succeeds.
  Renaming Moved(const std::string& source, const std::string& target) {
    {
      std::lock_guard<std::mutex> guard(names_);
      namesOnMedium_.erase(source);
      namesOnMedium_.erase(target);
    }
    if (!SyncFolderOf(target)) return Renaming{Renamed::kNotOnMedium, Cause(errno)};
    struct stat info;
    if (::stat(target.c_str(), &info) == 0) {
      std::lock_guard<std::mutex> guard(names_);
      namesOnMedium_[target] = IdOf(info);
    }
    return Renaming{Renamed::kOnMedium};
  }

  // The back office's window calls the Env from its own thread and its
  // worker's at once: the maps are guarded, and nothing else changes.
  static constexpr size_t kHugePage = size_t{2} << 20;
  std::mutex blocks_;
  std::map<void*, size_t> mapped_;  // the blocks that were mapped, and their sizes
  std::mutex names_;
  // The names known to be on the medium, by host path, and the files they
  // named when their folder was pushed.
  std::map<std::string, FileId> namesOnMedium_;
};

}  // namespace

Env& DefaultEnv() {
  static PosixEnv env;
  return env;
}

void Pause(uint32_t milliseconds) {
  struct timespec left {};
  left.tv_sec = static_cast<time_t>(milliseconds / 1000);
  left.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000;
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
