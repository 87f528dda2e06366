#include "tools/sheets/zip_writer.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

void ZipBlock::Reserve(size_t more) {
  if (capacity - size >= more) return;
  const size_t grown = std::max(size + more, capacity * 2);
  auto bigger = std::make_unique<char[]>(grown);
  if (size > 0) std::memcpy(bigger.get(), bytes.get(), size);
  bytes = std::move(bigger);
  capacity = grown;
}

namespace {

// A zip without its 64-bit extension holds no part and no offset of 4 GiB
// or more; the Env's positions are 32-bit too.
constexpr uint64_t kLargestZip = 0xFFFFFFFEu;

// The file the zip goes into, as minizip's file functions see it: every
// call through the Env, the first failure's cause kept (minizip's later
// calls must not hide it), and nothing written once the zip is abandoned.
struct Sink {
  platform::FileRef file = nullptr;
  uint64_t position = 0;
  uint64_t end = 0;
  platform::FileError cause = platform::FileError::kNone;
  bool tooLarge = false;
  bool abandoned = false;

  bool Failed(platform::FileError why) {
    if (cause == platform::FileError::kNone) {
      cause = why == platform::FileError::kNone ? platform::FileError::kOther : why;
    }
    return false;
  }
};

voidpf OpenSink(voidpf opaque, const void*, int) { return opaque; }
uLong ReadSink(voidpf, voidpf, void*, uLong) { return 0; }
uLong WriteSink(voidpf, voidpf stream, const void* buffer, uLong size) {
  Sink& sink = *static_cast<Sink*>(stream);
  if (sink.abandoned) return size;
  if (sink.cause != platform::FileError::kNone) return 0;
  if (sink.position + size > kLargestZip) {
    sink.tooLarge = true;
    sink.Failed(platform::FileError::kOther);
    return 0;
  }
  // A short write is a failure too: the zip would lack its end.
  uint32_t written = 0;
  const auto count = static_cast<uint32_t>(size);
  if (!platform::WriteFile(sink.file, buffer, count, &written) || written != count) {
    sink.Failed(platform::LastFileError());
    return 0;
  }
  sink.position += size;
  sink.end = std::max(sink.end, sink.position);
  return size;
}
ZPOS64_T TellSink(voidpf, voidpf stream) { return static_cast<Sink*>(stream)->position; }
long SeekSink(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  Sink& sink = *static_cast<Sink*>(stream);
  const uint64_t to = origin == ZLIB_FILEFUNC_SEEK_SET   ? offset
                      : origin == ZLIB_FILEFUNC_SEEK_CUR ? sink.position + offset
                                                         : sink.end + offset;
  if (sink.abandoned) return 0;
  if (sink.cause != platform::FileError::kNone || to > kLargestZip) return -1;
  if (!platform::SetFilePosition(sink.file, static_cast<uint32_t>(to))) {
    sink.Failed(platform::LastFileError());
    return -1;
  }
  sink.position = to;
  return 0;
}
int CloseSink(voidpf, voidpf) { return 0; }  // the handle is closed by its owner
int SinkError(voidpf, voidpf stream) {
  return static_cast<Sink*>(stream)->cause == platform::FileError::kNone ? 0 : 1;
}

// Every entry bears the same time, the zip format's first day: the same
// rows make the same zip.
zip_fileinfo EntryInfo() {
  zip_fileinfo info{};
  info.tmz_date.tm_year = 1980;
  info.tmz_date.tm_mday = 1;
  return info;
}

// How many blocks wait on each side of the deflating thread: enough that
// neither thread waits for the other's every block, few enough that a
// sheet of any length takes a few megabytes.
constexpr size_t kWaitingBlocks = 4;

}  // namespace

struct ZipWriter::Parts {
  Sink sink;
  zipFile zip = nullptr;
  zlib_filefunc64_def files{OpenSink, ReadSink,  WriteSink, TellSink,
                            SeekSink, CloseSink, SinkError, nullptr};

  // The streamed part: blocks of XML go to the deflating thread, which
  // gives back each one deflated, in order.
  struct Deflated {
    ZipBlock block;
    bool last = false;
    bool failed = false;
    uLong crc = 0;
    uint64_t size = 0;  // the part's bytes before deflating, with the last
  };
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::pair<ZipBlock, bool>> waiting;  // a block, and whether it ends the part
  std::deque<Deflated> done;
  std::vector<ZipBlock> emptyIn, emptyOut;  // blocks to be filled again
  bool stop = false;
  std::thread deflater;
  bool streaming = false;
  bool failed = false;

  ~Parts() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    changed.notify_all();
    if (deflater.joinable()) deflater.join();
    if (zip != nullptr) {
      sink.abandoned = true;  // only minizip's memory is let go
      zipClose(zip, nullptr);
    }
    platform::CloseFile(sink.file);
  }

  bool Fail() {
    failed = true;
    sink.Failed(platform::FileError::kOther);
    return false;
  }

  // The deflating thread: one raw deflate stream a part, its CRC and size
  // counted as it goes, each block given back as it is done.
  void Deflate() {
    z_stream z{};
    bool ready = deflateInit2(&z, /*level=*/1, Z_DEFLATED, -MAX_WBITS, /*memLevel=*/8,
                              Z_DEFAULT_STRATEGY) == Z_OK;
    uLong crc = crc32(0, nullptr, 0);
    uint64_t size = 0;
    for (;;) {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock,
                   [&] { return stop || (!waiting.empty() && done.size() < kWaitingBlocks); });
      if (stop) break;
      auto [in, last] = std::move(waiting.front());
      waiting.pop_front();
      Deflated out;
      if (!emptyOut.empty()) {
        out.block = std::move(emptyOut.back());
        emptyOut.pop_back();
      }
      lock.unlock();

      out.block.size = 0;
      // (zlib's CRC of no buffer is its start value, whatever came before.)
      if (in.size > 0) {
        crc =
            crc32(crc, reinterpret_cast<const Bytef*>(in.bytes.get()), static_cast<uInt>(in.size));
      }
      size += in.size;
      out.failed = !ready || size > kLargestZip;
      z.next_in = reinterpret_cast<Bytef*>(in.bytes.get());
      z.avail_in = static_cast<uInt>(in.size);
      int result = Z_OK;
      while (!out.failed && (z.avail_in > 0 || (last && result != Z_STREAM_END))) {
        out.block.Reserve(in.size / 2 + 4096);
        z.next_out = reinterpret_cast<Bytef*>(out.block.bytes.get() + out.block.size);
        z.avail_out = static_cast<uInt>(out.block.capacity - out.block.size);
        const uInt room = z.avail_out;
        result = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
        out.block.size += room - z.avail_out;
        out.failed = result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR;
      }
      out.last = last;
      out.crc = crc;
      out.size = size;
      if (last) {
        deflateReset(&z);
        crc = crc32(0, nullptr, 0);
        size = 0;
      }

      lock.lock();
      in.size = 0;
      emptyIn.push_back(std::move(in));
      done.push_back(std::move(out));
      lock.unlock();
      changed.notify_all();
    }
    deflateEnd(&z);
  }

  // Hands `block` (ending the part when `last`) to the deflating thread,
  // writing what it has deflated meanwhile; gives back an empty block.
  bool Hand(ZipBlock* block, bool last) {
    std::unique_lock<std::mutex> lock(mutex);
    if (!WriteDone(lock, [&] { return waiting.size() < kWaitingBlocks; })) return false;
    waiting.emplace_back(std::move(*block), last);
    *block = ZipBlock{};
    if (!emptyIn.empty()) {
      *block = std::move(emptyIn.back());
      emptyIn.pop_back();
    }
    lock.unlock();
    changed.notify_all();
    return true;
  }

  // Writes each deflated block as it comes, until `enough` holds; the last
  // block of the part ends its entry.
  template <typename Enough>
  bool WriteDone(std::unique_lock<std::mutex>& lock, Enough enough) {
    for (;;) {
      while (!done.empty()) {
        Deflated out = std::move(done.front());
        done.pop_front();
        lock.unlock();
        changed.notify_all();
        bool ok = !out.failed;
        if (ok && out.block.size > 0) {
          ok = zipWriteInFileInZip(zip, out.block.bytes.get(),
                                   static_cast<unsigned>(out.block.size)) == ZIP_OK;
        }
        if (ok && out.last) {
          ok = zipCloseFileInZipRaw64(zip, out.size, out.crc) == ZIP_OK;
          streaming = false;
        }
        if (!ok && out.size > kLargestZip) sink.tooLarge = true;
        lock.lock();
        emptyOut.push_back(std::move(out.block));
        if (!ok) return Fail();
      }
      if (enough()) return true;
      changed.wait(lock, [&] { return !done.empty() || enough(); });
    }
  }
};

ZipWriter::ZipWriter() : parts_(std::make_unique<Parts>()) {}
ZipWriter::~ZipWriter() = default;

bool ZipWriter::Open(const std::wstring& path) {
  Parts& p = *parts_;
  p.sink.file =
      platform::OpenFile(path, platform::Access::kWrite, platform::Disposition::kCreateAlways);
  if (p.sink.file == nullptr) {
    p.failed = true;
    return p.sink.Failed(platform::LastFileError());
  }
  p.files.opaque = &p.sink;
  p.zip = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &p.files);
  if (p.zip == nullptr) return p.Fail();
  return true;
}

bool ZipWriter::Add(const char* name, std::string_view content) {
  Parts& p = *parts_;
  if (p.failed || p.streaming) return p.Fail();
  const zip_fileinfo info = EntryInfo();
  const bool ok =
      zipOpenNewFileInZip64(p.zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                            /*level=*/1, /*zip64=*/0) == ZIP_OK &&
      zipWriteInFileInZip(p.zip, content.data(), static_cast<unsigned>(content.size())) == ZIP_OK &&
      zipCloseFileInZip(p.zip) == ZIP_OK;
  return ok || p.Fail();
}

bool ZipWriter::Begin(const char* name) {
  Parts& p = *parts_;
  if (p.failed || p.streaming) return p.Fail();
  const zip_fileinfo info = EntryInfo();
  // Raw: the entry takes the deflating thread's output as it is.
  if (zipOpenNewFileInZip2_64(p.zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              /*level=*/1, /*raw=*/1, /*zip64=*/0) != ZIP_OK) {
    return p.Fail();
  }
  p.streaming = true;
  if (!p.deflater.joinable()) {
    try {
      p.deflater = std::thread([&p] { p.Deflate(); });
    } catch (const std::system_error&) {
      return p.Fail();  // no thread to be had
    }
  }
  return true;
}

bool ZipWriter::Feed(ZipBlock* block) {
  Parts& p = *parts_;
  if (p.failed || !p.streaming) return p.Fail();
  return p.Hand(block, /*last=*/false);
}

bool ZipWriter::End() {
  Parts& p = *parts_;
  if (p.failed || !p.streaming) return p.Fail();
  ZipBlock none;
  if (!p.Hand(&none, /*last=*/true)) return false;
  std::unique_lock<std::mutex> lock(p.mutex);
  return p.WriteDone(lock, [&] { return !p.streaming; });
}

bool ZipWriter::Finish() {
  Parts& p = *parts_;
  if (p.failed || p.streaming) return p.Fail();
  const int closed = zipClose(p.zip, nullptr);
  p.zip = nullptr;
  if (closed != ZIP_OK || p.sink.cause != platform::FileError::kNone) return p.Fail();
  const bool flushed = platform::FlushFile(p.sink.file);
  if (!flushed) p.sink.Failed(platform::LastFileError());
  platform::CloseFile(p.sink.file);
  p.sink.file = nullptr;
  p.failed = !flushed;
  return flushed;
}

platform::FileError ZipWriter::cause() const { return parts_->sink.cause; }
bool ZipWriter::tooLarge() const { return parts_->sink.tooLarge; }
