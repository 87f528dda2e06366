// A test layer over the Env that simulates a power cut, in the way of
// SQLite's crash test layer and LevelDB's fault-injection env. It keeps what
// has reached the medium apart from what has only been done, by the
// platform's contract (platform/platform.h):
//   - a write reaches the medium when its file is flushed;
//   - a file's name reaches it when a handle that opened the file under that
//     name is flushed (the platform pushes the folder whenever the name is
//     not known to be there, whoever made the file), and a rename when the
//     call says it is on the medium; until then a power cut loses the name
//     and the file with it, as LevelDB's fault-injection env drops the files
//     made since their folder was last synced;
//   - a removal is never sure to have reached it.
// After a chosen number of file calls the power fails: every later call fails
// and changes nothing. The medium is then what had reached it, plus the
// pending writes landing in some pattern: each lost, whole or cut at a sector
// boundary of its file, and at most one sector that a pending write touches
// broken off: holding noise, neither old nor new, or failing every read.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/env.h"
#include "tests/kit/record_builder.h"

namespace testkit {

class CrashEnv : public platform::EnvWrapper {
 public:
  static constexpr uint32_t kSectorSize = platform::kSectorSize;

  explicit CrashEnv(platform::Env& target = platform::DefaultEnv()) : EnvWrapper(target) {}

  // Starts a fresh model over the files as they are. The power fails right
  // after `cutAfter` more file calls; 0: never. The files that
  // `namesNotOnMedium` names (as the program names them) are there, but
  // their names have not reached the medium: another program made them and
  // did not flush them, or a kill stopped it first.
  void Start(int cutAfter = 0, const std::vector<std::wstring>& namesNotOnMedium = {});
  // File calls made since Start (closing a file is none: it changes nothing).
  int Calls() const { return calls_; }
  bool PowerCut() const { return cut_; }

  // What the power cut does to one pending write: nothing of it lands, all
  // of it, or its first `bytes` (up to a sector boundary of its file).
  struct Landing {
    enum class Kind { kLost, kWhole, kCut };
    Kind kind = Kind::kLost;
    uint32_t bytes = 0;
  };
  // The sector that the medium was writing when the power failed: sector
  // `sector` of the file of pending write `write`, which ends up holding
  // noise from `seed`, or failing every read.
  struct Broken {
    enum class Kind { kNone, kNoise, kUnreadable };
    Kind kind = Kind::kNone;
    size_t write = 0;
    uint32_t sector = 0;
    uint64_t seed = 0;
  };
  struct Pattern {
    std::vector<Landing> landings;  // one for each pending write
    Broken broken;
  };
  // The patterns worth trying: none of the pending writes lands; all do;
  // each one is cut at each of its sector boundaries (those before it land,
  // those after it are lost), and a pending cut of a file lands or not after
  // those before it; each sector a pending write touches broken, in
  // either way, with the writes before it landed and those after it lost,
  // and with none or all of the others landed; and `samples` random ones from
  // `seed`.
  std::vector<Pattern> Patterns(int samples, uint64_t seed) const;
  size_t PendingWrites() const { return pending_.size(); }

  // The files as a power cut leaves them.
  struct Medium {
    std::map<std::string, std::optional<Bytes>> files;     // host path; nullopt: not there
    std::map<std::string, std::set<uint32_t>> unreadable;  // sectors that fail every read
  };
  Medium MediumAfter(const Pattern& pattern) const;
  // Starts a model over `medium`, which PutMedium has made the real files:
  // its unreadable sectors fail every read until a write covers them whole.
  // The power does not fail.
  void Resume(const Medium& medium);

  // After the power cut, and on a read of a sector that fails every read,
  // a call fails with platform::FileError::kOther.
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
  void CloseFile(platform::FileRef file) override;
  platform::FileResult RemoveFile(const std::wstring& path) override;
  platform::Renaming RenameFile(const std::wstring& from, const std::wstring& to) override;
  platform::Renaming PutFileInPlace(const std::wstring& from, const std::wstring& to) override;

 private:
  static constexpr int kNoFile = -1;
  // A file, whatever names it has: what of it is on the medium, and which of
  // its sectors fail to read.
  struct Node {
    Bytes onMedium;
    std::set<uint32_t> unreadable;
  };
  // A write of `data` at `offset`, or with `cut` a cut of the file to
  // `offset` bytes: the medium takes it whole or not at all.
  struct PendingWrite {
    int node;
    uint32_t offset;
    Bytes data;
    bool cut = false;
  };
  struct Handle {
    int node = kNoFile;
    uint32_t position = 0;
    std::string name;  // the path it was opened by
  };
  // False once the power has failed; counts the call otherwise.
  bool Powered();
  // The file that `path` names now; at first sight the real file, on the
  // medium as it is.
  int See(const std::string& path);
  int NewNode(Bytes content);
  platform::Renaming Moved(platform::Renaming done, const std::wstring& from,
                           const std::wstring& to);
  std::vector<uint32_t> CutPoints(const PendingWrite& write) const;
  std::vector<uint32_t> Sectors(const PendingWrite& write) const;

  std::vector<Node> nodes_;
  std::map<std::string, int> names_;    // every path seen, as the program sees it now
  std::map<std::string, int> durable_;  // the same paths, as the medium's folders hold them
  std::vector<PendingWrite> pending_;
  std::map<platform::FileRef, Handle> handles_;
  std::map<std::string, std::set<uint32_t>> resumed_;  // unreadable sectors met at first sight
  std::set<std::string> notOnMedium_;  // names met at first sight that the medium lacks
  int calls_ = 0;
  int cutAfter_ = 0;
  bool cut_ = false;
};

// Makes the real files what `medium` says.
void PutMedium(const CrashEnv::Medium& medium);

}  // namespace testkit
