#include "tests/kit/crash_env.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/host/host_control.h"

namespace testkit {
namespace {

using platform::FileError;
using platform::FileResult;
using platform::Renamed;
using platform::Renaming;

// What a call after the power cut, or a read of a broken sector, fails with.
constexpr FileError kDead = FileError::kOther;

std::string Key(const std::wstring& path) { return platform::host::HostPath(path); }

// The real file's content; nullopt when it is not there.
std::optional<Bytes> ReadReal(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Apply(Bytes& file, uint32_t offset, const uint8_t* data, size_t size) {
  if (file.size() < offset + size) file.resize(offset + size, 0);
  std::memcpy(file.data() + offset, data, size);
}

}  // namespace

void CrashEnv::Start(int cutAfter, const std::vector<std::wstring>& namesNotOnMedium) {
  notOnMedium_.clear();
  for (const std::wstring& name : namesNotOnMedium) notOnMedium_.insert(Key(name));
  nodes_.clear();
  names_.clear();
  durable_.clear();
  pending_.clear();
  handles_.clear();
  resumed_.clear();
  calls_ = 0;
  cutAfter_ = cutAfter;
  cut_ = false;
}

void CrashEnv::Resume(const Medium& medium) {
  Start(0);
  resumed_ = medium.unreadable;
}

bool CrashEnv::Powered() {
  if (cut_) return false;
  ++calls_;
  if (calls_ == cutAfter_) cut_ = true;  // this call still happens, no later one
  return true;
}

int CrashEnv::NewNode(Bytes content) {
  nodes_.push_back(Node{std::move(content), {}});
  return static_cast<int>(nodes_.size()) - 1;
}

int CrashEnv::See(const std::string& path) {
  const auto found = names_.find(path);
  if (found != names_.end()) return found->second;
  int node = kNoFile;
  if (std::optional<Bytes> content = ReadReal(path)) {
    node = NewNode(std::move(*content));
    nodes_[node].unreadable = resumed_[path];
  }
  names_[path] = node;
  durable_[path] = notOnMedium_.count(path) != 0 ? kNoFile : node;
  return node;
}

platform::Opened CrashEnv::OpenFile(const std::wstring& path, platform::Access access,
                                    platform::Disposition disposition) {
  if (!Powered()) return platform::Opened{nullptr, kDead};
  const std::string key = Key(path);
  int node = See(key);  // before a creation empties the real file
  const platform::Opened opened = EnvWrapper::OpenFile(path, access, disposition);
  if (!opened) return opened;
  platform::FileRef file = opened.file;
  if (node == kNoFile && disposition == platform::Disposition::kOpenExisting) {
    // Made by someone outside the model since it was first seen: take it as
    // it stands, on the medium.
    node = names_[key] = durable_[key] = NewNode(ReadReal(key).value_or(Bytes{}));
  }
  Handle handle;
  handle.name = key;
  if (disposition != platform::Disposition::kOpenExisting) {
    // A new file under the name; the medium's folder keeps the old one, or
    // none, until the name reaches it.
    node = names_[key] = NewNode(Bytes{});
  }
  handle.node = node;
  handles_[file] = handle;
  return opened;
}

FileResult CrashEnv::ReadFile(platform::FileRef file, void* buffer, uint32_t count,
                              uint32_t* transferred) {
  *transferred = 0;
  if (!Powered()) return kDead;
  Handle& h = handles_[file];
  for (uint32_t s : nodes_[h.node].unreadable) {
    const uint64_t start = uint64_t{s} * kSectorSize;
    if (count > 0 && start < uint64_t{h.position} + count && start + kSectorSize > h.position) {
      return kDead;
    }
  }
  const FileResult read = EnvWrapper::ReadFile(file, buffer, count, transferred);
  h.position += *transferred;
  return read;
}

FileResult CrashEnv::WriteFile(platform::FileRef file, const void* buffer, uint32_t count,
                               uint32_t* transferred) {
  *transferred = 0;
  if (!Powered()) return kDead;
  Handle& h = handles_[file];
  // An unreadable sector takes a write only of all of it (as far as the
  // file goes): the rest of it could not be read back to merge with.
  std::set<uint32_t>& unreadable = nodes_[h.node].unreadable;
  uint64_t size = 0;
  (void)target().GetFileSize(file, &size);
  const uint64_t from = h.position, to = from + count;
  for (auto s = unreadable.begin(); s != unreadable.end();) {
    const uint64_t start = uint64_t{*s} * kSectorSize;
    const uint64_t end = std::min<uint64_t>(start + kSectorSize, std::max(size, to));
    if (count == 0 || start >= to || end <= from) {
      ++s;
    } else if (from <= start && to >= end) {
      s = unreadable.erase(s);
    } else {
      return kDead;
    }
  }
  const FileResult written = EnvWrapper::WriteFile(file, buffer, count, transferred);
  if (*transferred > 0) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    pending_.push_back(PendingWrite{h.node, h.position, Bytes(bytes, bytes + *transferred)});
  }
  h.position += *transferred;
  return written;
}

FileResult CrashEnv::SetFilePosition(platform::FileRef file, uint32_t offset) {
  if (!Powered()) return kDead;
  const FileResult moved = EnvWrapper::SetFilePosition(file, offset);
  if (moved) handles_[file].position = offset;
  return moved;
}

FileResult CrashEnv::GetFileSize(platform::FileRef file, uint64_t* size) {
  if (!Powered()) return kDead;
  return EnvWrapper::GetFileSize(file, size);
}

FileResult CrashEnv::FlushFile(platform::FileRef file) {
  if (!Powered()) return kDead;
  const FileResult flushed = EnvWrapper::FlushFile(file);
  if (!flushed) return flushed;
  Handle& h = handles_[file];
  Node& node = nodes_[h.node];
  for (const PendingWrite& w : pending_) {
    if (w.node != h.node) continue;
    if (w.cut) {
      if (node.onMedium.size() > w.offset) node.onMedium.resize(w.offset);
    } else {
      Apply(node.onMedium, w.offset, w.data.data(), w.data.size());
    }
  }
  pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                [&](const PendingWrite& w) { return w.node == h.node; }),
                 pending_.end());
  if (names_[h.name] == h.node) durable_[h.name] = h.node;
  return {};
}

FileResult CrashEnv::CutFile(platform::FileRef file, uint32_t size) {
  if (!Powered()) return kDead;
  const FileResult cut = EnvWrapper::CutFile(file, size);
  if (!cut) return cut;
  Handle& h = handles_[file];
  // Sectors wholly past the new end go, unreadable or not.
  std::set<uint32_t>& unreadable = nodes_[h.node].unreadable;
  unreadable.erase(unreadable.lower_bound((size + kSectorSize - 1) / kSectorSize),
                   unreadable.end());
  pending_.push_back(PendingWrite{h.node, size, {}, /*cut=*/true});
  return {};
}

void CrashEnv::CloseFile(platform::FileRef file) {
  handles_.erase(file);
  EnvWrapper::CloseFile(file);
}

FileResult CrashEnv::RemoveFile(const std::wstring& path) {
  if (!Powered()) return kDead;
  const std::string key = Key(path);
  See(key);
  const FileResult removed = EnvWrapper::RemoveFile(path);
  if (removed) names_[key] = kNoFile;
  return removed;
}

Renaming CrashEnv::Moved(Renaming done, const std::wstring& from, const std::wstring& to) {
  if (done.renamed == Renamed::kNot) return done;
  const std::string source = Key(from), target = Key(to);
  names_[target] = names_[source];
  names_[source] = kNoFile;
  if (done.renamed == Renamed::kOnMedium) {
    durable_[target] = names_[target];
    durable_[source] = kNoFile;
  }
  return done;
}

Renaming CrashEnv::RenameFile(const std::wstring& from, const std::wstring& to) {
  if (!Powered()) return Renaming{Renamed::kNot, kDead};
  See(Key(from));
  See(Key(to));
  return Moved(EnvWrapper::RenameFile(from, to), from, to);
}

Renaming CrashEnv::PutFileInPlace(const std::wstring& from, const std::wstring& to) {
  if (!Powered()) return Renaming{Renamed::kNot, kDead};
  See(Key(from));
  See(Key(to));
  return Moved(EnvWrapper::PutFileInPlace(from, to), from, to);
}

std::vector<uint32_t> CrashEnv::CutPoints(const PendingWrite& w) const {
  std::vector<uint32_t> cuts;
  if (w.cut) return cuts;
  const uint64_t end = uint64_t{w.offset} + w.data.size();
  for (uint64_t b = (w.offset / kSectorSize + 1) * uint64_t{kSectorSize}; b < end;
       b += kSectorSize) {
    cuts.push_back(static_cast<uint32_t>(b - w.offset));
  }
  return cuts;
}

std::vector<uint32_t> CrashEnv::Sectors(const PendingWrite& w) const {
  std::vector<uint32_t> sectors;
  if (w.cut || w.data.empty()) return sectors;
  const uint64_t last = (uint64_t{w.offset} + w.data.size() - 1) / kSectorSize;
  for (uint64_t s = w.offset / kSectorSize; s <= last; ++s) {
    sectors.push_back(static_cast<uint32_t>(s));
  }
  return sectors;
}

std::vector<CrashEnv::Pattern> CrashEnv::Patterns(int samples, uint64_t seed) const {
  using Kind = Landing::Kind;
  const size_t n = pending_.size();
  const auto all = [n](Kind kind) {
    return Pattern{std::vector<Landing>(n, Landing{kind, 0}), {}};
  };
  std::vector<Pattern> patterns = {all(Kind::kLost)};
  if (n == 0) return patterns;
  patterns.push_back(all(Kind::kWhole));
  // The writes before `i` landed, those after it lost.
  const auto upTo = [&](size_t i) {
    Pattern p = all(Kind::kLost);
    for (size_t j = 0; j < i; ++j) p.landings[j].kind = Kind::kWhole;
    return p;
  };
  for (size_t i = 0; i < n; ++i) {
    for (uint32_t cut : CutPoints(pending_[i])) {
      Pattern p = upTo(i);
      p.landings[i] = Landing{Kind::kCut, cut};
      patterns.push_back(p);
    }
    // A cut of the file lands whole or not at all, after what came before.
    if (pending_[i].cut) {
      patterns.push_back(upTo(i));
      patterns.push_back(upTo(i + 1));
    }
  }
  uint64_t state = seed;
  for (size_t i = 0; i < n; ++i) {
    const PendingWrite& w = pending_[i];
    for (uint32_t sector : Sectors(w)) {
      for (Broken::Kind kind : {Broken::Kind::kNoise, Broken::Kind::kUnreadable}) {
        const Broken broken{kind, i, sector, SplitMix64(state++)};
        // The medium was writing this sector: what came before it landed.
        Pattern inOrder = upTo(i);
        const uint64_t sectorStart = uint64_t{sector} * kSectorSize;
        if (sectorStart > w.offset) {
          inOrder.landings[i] = Landing{Kind::kCut, static_cast<uint32_t>(sectorStart - w.offset)};
        }
        for (Pattern p : {inOrder, all(Kind::kLost), all(Kind::kWhole)}) {
          p.broken = broken;
          patterns.push_back(p);
        }
      }
    }
  }
  for (int s = 0; s < samples; ++s) {
    Pattern p = all(Kind::kLost);
    for (size_t i = 0; i < n; ++i) {
      const uint64_t r = SplitMix64(state++);
      const std::vector<uint32_t> cuts = CutPoints(pending_[i]);
      switch (r % 3) {
        case 0:
          break;
        case 1:
          p.landings[i].kind = Kind::kWhole;
          break;
        default:
          p.landings[i] = cuts.empty() ? Landing{Kind::kWhole, 0}
                                       : Landing{Kind::kCut, cuts[(r >> 8) % cuts.size()]};
      }
    }
    const uint64_t r = SplitMix64(state++);
    const std::vector<uint32_t> sectors = Sectors(pending_[(r >> 8) % n]);
    if (r % 2 == 0 && !sectors.empty()) {
      const size_t i = (r >> 8) % n;
      p.broken = Broken{r & 4 ? Broken::Kind::kNoise : Broken::Kind::kUnreadable, i,
                        sectors[(r >> 16) % sectors.size()], SplitMix64(state++)};
    }
    patterns.push_back(p);
  }
  return patterns;
}

CrashEnv::Medium CrashEnv::MediumAfter(const Pattern& pattern) const {
  std::vector<Bytes> content;
  for (const Node& node : nodes_) content.push_back(node.onMedium);
  for (size_t i = 0; i < pending_.size() && i < pattern.landings.size(); ++i) {
    const PendingWrite& w = pending_[i];
    const Landing& landing = pattern.landings[i];
    if (landing.kind == Landing::Kind::kLost) continue;
    if (w.cut) {
      if (content[w.node].size() > w.offset) content[w.node].resize(w.offset);
      continue;
    }
    const size_t size = landing.kind == Landing::Kind::kWhole ? w.data.size() : landing.bytes;
    Apply(content[w.node], w.offset, w.data.data(), size);
  }
  const Broken& broken = pattern.broken;
  if (broken.kind != Broken::Kind::kNone) {
    // The file reaches at least as far as the write did into the sector; the
    // sector holds noise as far as the file goes.
    const PendingWrite& w = pending_[broken.write];
    Bytes& file = content[w.node];
    const uint64_t start = uint64_t{broken.sector} * kSectorSize;
    const uint64_t reached =
        std::min<uint64_t>(uint64_t{w.offset} + w.data.size(), start + kSectorSize);
    if (file.size() < reached) file.resize(reached, 0);
    uint64_t state = broken.seed;
    for (uint64_t b = start; b < std::min<uint64_t>(start + kSectorSize, file.size()); ++b) {
      file[b] = static_cast<uint8_t>(SplitMix64(state++));
    }
  }
  Medium medium;
  for (const auto& [path, node] : durable_) {
    if (node == kNoFile) {
      medium.files[path] = std::nullopt;
      continue;
    }
    medium.files[path] = content[node];
    std::set<uint32_t> unreadable = nodes_[node].unreadable;
    if (broken.kind == Broken::Kind::kUnreadable && pending_[broken.write].node == node) {
      unreadable.insert(broken.sector);
    }
    if (!unreadable.empty()) medium.unreadable[path] = unreadable;
  }
  return medium;
}

void PutMedium(const CrashEnv::Medium& medium) {
  for (const auto& [path, content] : medium.files) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    if (!content) continue;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(content->data()),
              static_cast<std::streamsize>(content->size()));
  }
}

}  // namespace testkit
