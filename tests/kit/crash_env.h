// A test layer over the Env that simulates a power cut, in the way of
// SQLite's crash test layer and LevelDB's fault-injection env. It keeps what
// has reached the medium apart from what has only been written: a write
// reaches the medium when its file is flushed; creating, removing and
// renaming files reach it at once (the file system orders and writes
// through its own records). After a chosen number of file calls the power
// fails: every later call fails and changes nothing, and the medium is what
// was on it plus any subset of the writes that were pending, each possibly
// cut at a 512-byte sector boundary of its file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/env.h"
#include "tests/kit/record_builder.h"

namespace testkit {

class CrashEnv : public platform::EnvWrapper {
 public:
  static constexpr uint32_t kSectorSize = 512;

  explicit CrashEnv(platform::Env& target = platform::DefaultEnv()) : EnvWrapper(target) {}

  // Starts a fresh model over the files as they are. The power fails right
  // after `cutAfter` more file calls; 0: never.
  void Start(int cutAfter = 0);
  // File calls made since Start (closing a file is none: it changes nothing).
  int Calls() const { return calls_; }
  bool PowerCut() const { return cut_; }

  // A write that had not reached the medium when the power failed.
  struct PendingWrite {
    std::string path;
    uint32_t offset;
    Bytes data;
  };
  const std::vector<PendingWrite>& Pending() const { return pending_; }

  // What the power cut does to one pending write: nothing of it lands, all
  // of it, or its first `bytes` (up to a sector boundary of its file).
  struct Landing {
    enum class Kind { kLost, kWhole, kCut };
    Kind kind = Kind::kLost;
    uint32_t bytes = 0;
  };
  using Pattern = std::vector<Landing>;
  // The patterns worth trying: none of the pending writes lands; all do;
  // each one is cut at each of its sector boundaries (those before it land,
  // those after it are lost); and `samples` random ones from `seed`.
  std::vector<Pattern> Patterns(int samples, uint64_t seed) const;

  // The files as the power cut leaves them: host path to content, nullopt
  // for a file that is not there.
  using Medium = std::map<std::string, std::optional<Bytes>>;
  Medium MediumAfter(const Pattern& pattern) const;

  platform::FileRef OpenFile(const std::wstring& path, platform::Access access,
                             platform::Disposition disposition) override;
  bool ReadFile(platform::FileRef file, void* buffer, uint32_t count,
                uint32_t* transferred) override;
  bool WriteFile(platform::FileRef file, const void* buffer, uint32_t count,
                 uint32_t* transferred) override;
  bool SetFilePosition(platform::FileRef file, uint32_t offset) override;
  bool GetFileSize(platform::FileRef file, uint64_t* size) override;
  bool FlushFile(platform::FileRef file) override;
  void CloseFile(platform::FileRef file) override;
  bool RemoveFile(const std::wstring& path) override;
  bool RenameFile(const std::wstring& from, const std::wstring& to) override;
  bool PutFileInPlace(const std::wstring& from, const std::wstring& to) override;

 private:
  struct Handle {
    std::string path;
    uint32_t position = 0;
  };
  // False once the power has failed; counts the call otherwise.
  bool Powered();
  // The medium's copy of `path`, taken from the real file at first sight.
  std::optional<Bytes>& OnMedium(const std::string& path);
  void Forget(const std::string& path);  // drops the path's pending writes
  bool Moved(bool done, const std::wstring& from, const std::wstring& to);
  std::vector<uint32_t> CutPoints(const PendingWrite& write) const;

  Medium medium_;
  std::vector<PendingWrite> pending_;
  std::map<platform::FileRef, Handle> handles_;
  int calls_ = 0;
  int cutAfter_ = 0;
  bool cut_ = false;
};

// Makes the real files what `medium` says.
void PutMedium(const CrashEnv::Medium& medium);

}  // namespace testkit
