#include "tests/kit/crash_env.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/host/host_control.h"

namespace testkit {
namespace {

std::string Key(const std::wstring& path) { return platform::host::HostPath(path); }

void Apply(Bytes& file, uint32_t offset, const uint8_t* data, size_t size) {
  if (file.size() < offset + size) file.resize(offset + size, 0);
  std::memcpy(file.data() + offset, data, size);
}

}  // namespace

void CrashEnv::Start(int cutAfter) {
  medium_.clear();
  pending_.clear();
  handles_.clear();
  calls_ = 0;
  cutAfter_ = cutAfter;
  cut_ = false;
}

bool CrashEnv::Powered() {
  if (cut_) return false;
  ++calls_;
  if (calls_ == cutAfter_) cut_ = true;  // this call still happens, no later one
  return true;
}

std::optional<Bytes>& CrashEnv::OnMedium(const std::string& path) {
  const auto found = medium_.find(path);
  if (found != medium_.end()) return found->second;
  std::optional<Bytes>& entry = medium_[path];
  std::ifstream in(path, std::ios::binary);
  if (in) entry = Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return entry;
}

void CrashEnv::Forget(const std::string& path) {
  pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                [&](const PendingWrite& w) { return w.path == path; }),
                 pending_.end());
}

platform::FileRef CrashEnv::OpenFile(const std::wstring& path, platform::Access access,
                                     platform::Disposition disposition) {
  if (!Powered()) return nullptr;
  const std::string key = Key(path);
  OnMedium(key);  // before a creation empties the real file
  platform::FileRef file = EnvWrapper::OpenFile(path, access, disposition);
  if (file == nullptr) return nullptr;
  if (disposition != platform::Disposition::kOpenExisting) {
    OnMedium(key) = Bytes{};
    Forget(key);
  }
  handles_[file] = Handle{key, 0};
  return file;
}

bool CrashEnv::ReadFile(platform::FileRef file, void* buffer, uint32_t count,
                        uint32_t* transferred) {
  *transferred = 0;
  if (!Powered()) return false;
  const bool read = EnvWrapper::ReadFile(file, buffer, count, transferred);
  handles_[file].position += *transferred;
  return read;
}

bool CrashEnv::WriteFile(platform::FileRef file, const void* buffer, uint32_t count,
                         uint32_t* transferred) {
  *transferred = 0;
  if (!Powered()) return false;
  const bool written = EnvWrapper::WriteFile(file, buffer, count, transferred);
  Handle& h = handles_[file];
  if (*transferred > 0) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    pending_.push_back(PendingWrite{h.path, h.position, Bytes(bytes, bytes + *transferred)});
  }
  h.position += *transferred;
  return written;
}

bool CrashEnv::SetFilePosition(platform::FileRef file, uint32_t offset) {
  if (!Powered() || !EnvWrapper::SetFilePosition(file, offset)) return false;
  handles_[file].position = offset;
  return true;
}

bool CrashEnv::GetFileSize(platform::FileRef file, uint64_t* size) {
  return Powered() && EnvWrapper::GetFileSize(file, size);
}

bool CrashEnv::FlushFile(platform::FileRef file) {
  if (!Powered() || !EnvWrapper::FlushFile(file)) return false;
  const std::string& path = handles_[file].path;
  std::optional<Bytes>& onMedium = OnMedium(path);
  for (const PendingWrite& w : pending_) {
    if (w.path == path && onMedium) Apply(*onMedium, w.offset, w.data.data(), w.data.size());
  }
  Forget(path);
  return true;
}

void CrashEnv::CloseFile(platform::FileRef file) {
  handles_.erase(file);
  EnvWrapper::CloseFile(file);
}

bool CrashEnv::RemoveFile(const std::wstring& path) {
  if (!Powered()) return false;
  const std::string key = Key(path);
  OnMedium(key);
  if (!EnvWrapper::RemoveFile(path)) return false;
  OnMedium(key).reset();
  Forget(key);
  return true;
}

bool CrashEnv::Moved(bool done, const std::wstring& from, const std::wstring& to) {
  if (!done) return false;
  const std::string source = Key(from), target = Key(to);
  OnMedium(target) = OnMedium(source);
  OnMedium(source).reset();
  for (PendingWrite& w : pending_) {
    if (w.path == target) w.path.clear();  // the old file under that name is gone
    if (w.path == source) w.path = target;
  }
  Forget("");
  return true;
}

bool CrashEnv::RenameFile(const std::wstring& from, const std::wstring& to) {
  if (!Powered()) return false;
  OnMedium(Key(from));
  OnMedium(Key(to));
  return Moved(EnvWrapper::RenameFile(from, to), from, to);
}

bool CrashEnv::PutFileInPlace(const std::wstring& from, const std::wstring& to) {
  if (!Powered()) return false;
  OnMedium(Key(from));
  OnMedium(Key(to));
  return Moved(EnvWrapper::PutFileInPlace(from, to), from, to);
}

std::vector<uint32_t> CrashEnv::CutPoints(const PendingWrite& w) const {
  std::vector<uint32_t> cuts;
  const uint64_t end = uint64_t{w.offset} + w.data.size();
  for (uint64_t b = (w.offset / kSectorSize + 1) * uint64_t{kSectorSize}; b < end;
       b += kSectorSize) {
    cuts.push_back(static_cast<uint32_t>(b - w.offset));
  }
  return cuts;
}

std::vector<CrashEnv::Pattern> CrashEnv::Patterns(int samples, uint64_t seed) const {
  using Kind = Landing::Kind;
  const size_t n = pending_.size();
  std::vector<Pattern> patterns = {Pattern(n, Landing{Kind::kLost, 0})};
  if (n == 0) return patterns;
  patterns.push_back(Pattern(n, Landing{Kind::kWhole, 0}));
  for (size_t i = 0; i < n; ++i) {
    for (uint32_t cut : CutPoints(pending_[i])) {
      Pattern p(n, Landing{Kind::kLost, 0});
      for (size_t j = 0; j < i; ++j) p[j].kind = Kind::kWhole;
      p[i] = Landing{Kind::kCut, cut};
      patterns.push_back(p);
    }
  }
  uint64_t state = seed;
  for (int s = 0; s < samples; ++s) {
    Pattern p(n);
    for (size_t i = 0; i < n; ++i) {
      const uint64_t r = SplitMix64(state++);
      const std::vector<uint32_t> cuts = CutPoints(pending_[i]);
      switch (r % 3) {
        case 0:
          p[i] = Landing{Kind::kLost, 0};
          break;
        case 1:
          p[i] = Landing{Kind::kWhole, 0};
          break;
        default:
          p[i] = cuts.empty() ? Landing{Kind::kWhole, 0}
                              : Landing{Kind::kCut, cuts[(r >> 8) % cuts.size()]};
      }
    }
    patterns.push_back(p);
  }
  return patterns;
}

CrashEnv::Medium CrashEnv::MediumAfter(const Pattern& pattern) const {
  Medium medium = medium_;
  for (size_t i = 0; i < pending_.size() && i < pattern.size(); ++i) {
    const PendingWrite& w = pending_[i];
    std::optional<Bytes>& file = medium[w.path];
    if (!file || pattern[i].kind == Landing::Kind::kLost) continue;
    const size_t size = pattern[i].kind == Landing::Kind::kWhole ? w.data.size() : pattern[i].bytes;
    Apply(*file, w.offset, w.data.data(), size);
  }
  return medium;
}

void PutMedium(const CrashEnv::Medium& medium) {
  for (const auto& [path, content] : medium) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    if (!content) continue;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(content->data()),
              static_cast<std::streamsize>(content->size()));
  }
}

}  // namespace testkit
