#include "office/sheets/zip_writer.h"

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
// call through the Env, in writes of up to a megabyte (minizip writes a
// header a field at a time), the first failure's cause kept (minizip's
// later calls must not hide it), and nothing written once the zip is
// abandoned.
constexpr size_t kSinkBuffer = size_t{1} << 20;
struct Sink {
  platform::FileRef file = nullptr;
  uint64_t position = 0;  // where minizip writes next
  uint64_t end = 0;
  std::vector<char> buffer;  // what goes at position - buffer.size()
  platform::FileError cause = platform::FileError::kNone;
  bool tooLarge = false;
  bool abandoned = false;

  bool Failed(platform::FileError why) {
    if (cause == platform::FileError::kNone) {
      cause = why == platform::FileError::kNone ? platform::FileError::kOther : why;
    }
    return false;
  }
  // A short write is a failure too: the zip would lack its end.
  bool WriteThrough(const void* bytes, size_t size) {
    uint32_t written = 0;
    const auto count = static_cast<uint32_t>(size);
    const platform::FileResult wrote = platform::WriteFile(file, bytes, count, &written);
    return (wrote && written == count) || Failed(wrote.error());
  }
  // What is buffered, into the file.
  bool Flush() {
    if (buffer.empty() || abandoned) return cause == platform::FileError::kNone;
    const bool written =
        cause == platform::FileError::kNone && WriteThrough(buffer.data(), buffer.size());
    buffer.clear();
    return written;
  }
};

voidpf OpenSink(voidpf opaque, const void*, int) { return opaque; }
uLong ReadSink(voidpf, voidpf, void*, uLong) { return 0; }
uLong WriteSink(voidpf, voidpf stream, const void* bytes, uLong size) {
  Sink& sink = *static_cast<Sink*>(stream);
  if (sink.abandoned) return size;
  if (sink.cause != platform::FileError::kNone) return 0;
  if (sink.position + size > kLargestZip) {
    sink.tooLarge = true;
    sink.Failed(platform::FileError::kOther);
    return 0;
  }
  if (sink.buffer.size() + size > kSinkBuffer && !sink.Flush()) return 0;
  if (size >= kSinkBuffer) {
    if (!sink.WriteThrough(bytes, size)) return 0;
  } else {
    if (sink.buffer.capacity() < kSinkBuffer) sink.buffer.reserve(kSinkBuffer);
    sink.buffer.insert(sink.buffer.end(), static_cast<const char*>(bytes),
                       static_cast<const char*>(bytes) + size);
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
  if (!sink.Flush() || to > kLargestZip) return -1;
  if (to != sink.position) {
    const platform::FileResult moved =
        platform::SetFilePosition(sink.file, static_cast<uint32_t>(to));
    if (!moved) {
      sink.Failed(moved.error());
      return -1;
    }
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

// The streamed part is deflated by a few threads at once, a block each, as
// one deflate stream: each block but the part's last ends at a byte with
// an empty stored block (a sync flush) and starts its own deflate stream
// where the one before it stopped, primed with the 32 KiB before it, so
// that the blocks join into one stream that compresses as well as one
// deflate of the whole. Their CRCs join the same way.
constexpr size_t kWindow = size_t{1} << MAX_WBITS;

// The threads that deflate: one for each processor, up to four, and no
// fewer than one.
size_t DeflatingThreads() {
  const unsigned processors = std::thread::hardware_concurrency();
  return std::max<size_t>(1, std::min<size_t>(processors == 0 ? 1 : processors, 4));
}

}  // namespace

struct ZipWriter::Parts {
  Sink sink;
  zipFile zip = nullptr;
  zlib_filefunc64_def files{OpenSink, ReadSink,  WriteSink, TellSink,
                            SeekSink, CloseSink, SinkError, nullptr};

  // A block of the streamed part on its way through a deflating thread.
  struct Job {
    uint64_t order = 0;  // of the job in the zip
    ZipBlock in, out;
    std::unique_ptr<char[]> window = std::make_unique<char[]>(kWindow);
    size_t windowSize = 0;  // the part's bytes before the block, its last 32 KiB
    bool last = false;      // the part's last block
    bool failed = false;
    uLong crc = 0;  // of `in`
  };
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::unique_ptr<Job>> waiting;  // to be deflated, in order
  std::vector<std::unique_ptr<Job>> done;    // deflated, in any order
  std::vector<std::unique_ptr<Job>> spare;   // to be filled again
  size_t inFlight = 0;                       // jobs handed over and not yet written
  size_t mostInFlight = 0;
  uint64_t handed = 0, written = 0;  // jobs, by order
  bool stop = false;
  std::vector<std::thread> deflaters;

  // The streamed part, on the caller's side.
  bool streaming = false;
  bool failed = false;
  std::unique_ptr<char[]> tail = std::make_unique<char[]>(kWindow);  // its last 32 KiB so far
  size_t tailSize = 0;
  uLong crc = 0;
  uint64_t size = 0;

  ~Parts() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    changed.notify_all();
    for (std::thread& deflater : deflaters) deflater.join();
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

  // A deflating thread: takes the next block waiting, deflates it as its
  // stretch of the part's stream, and hands it back.
  void Deflate() {
    z_stream z{};
    const bool ready = deflateInit2(&z, /*level=*/1, Z_DEFLATED, -MAX_WBITS, /*memLevel=*/8,
                                    Z_DEFAULT_STRATEGY) == Z_OK;
    for (;;) {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return stop || !waiting.empty(); });
      if (stop) break;
      std::unique_ptr<Job> job = std::move(waiting.front());
      waiting.pop_front();
      lock.unlock();

      Job& j = *job;
      j.crc = crc32(0, nullptr, 0);
      if (j.in.size > 0) {
        j.crc = crc32(j.crc, reinterpret_cast<const Bytef*>(j.in.bytes.get()),
                      static_cast<uInt>(j.in.size));
      }
      j.out.size = 0;
      j.failed = !ready || deflateReset(&z) != Z_OK ||
                 (j.windowSize > 0 &&
                  deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(j.window.get()),
                                       static_cast<uInt>(j.windowSize)) != Z_OK);
      z.next_in = reinterpret_cast<Bytef*>(j.in.bytes.get());
      z.avail_in = static_cast<uInt>(j.in.size);
      const int flush = j.last ? Z_FINISH : Z_SYNC_FLUSH;
      for (bool finished = false; !j.failed && !finished;) {
        j.out.Reserve(j.in.size / 2 + 4096);
        z.next_out = reinterpret_cast<Bytef*>(j.out.bytes.get() + j.out.size);
        z.avail_out = static_cast<uInt>(j.out.capacity - j.out.size);
        const uInt room = z.avail_out;
        const int result = deflate(&z, flush);
        j.out.size += room - z.avail_out;
        j.failed = result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR;
        // Done once all is in and the flush or the end is out whole.
        finished = j.last ? result == Z_STREAM_END : z.avail_in == 0 && z.avail_out > 0;
      }

      lock.lock();
      done.push_back(std::move(job));
      lock.unlock();
      changed.notify_all();
    }
    deflateEnd(&z);
  }

  // Hands `block` (ending the part when `last`) to the deflating threads,
  // writing what they have deflated meanwhile; gives back an empty block.
  bool Hand(ZipBlock* block, bool last) {
    std::unique_lock<std::mutex> lock(mutex);
    if (!WriteDone(lock, [&] { return inFlight < mostInFlight; })) return false;
    std::unique_ptr<Job> job;
    if (spare.empty()) {
      job = std::make_unique<Job>();
    } else {
      job = std::move(spare.back());
      spare.pop_back();
    }
    lock.unlock();

    Job& j = *job;
    std::swap(j.in, *block);
    block->size = 0;
    j.order = handed++;
    j.last = last;
    std::copy_n(tail.get(), tailSize, j.window.get());
    j.windowSize = tailSize;
    // The part's last 32 KiB once this block is in.
    if (j.in.size >= kWindow) {
      std::copy_n(j.in.bytes.get() + j.in.size - kWindow, kWindow, tail.get());
      tailSize = kWindow;
    } else if (j.in.size > 0) {
      const size_t kept = std::min(tailSize, kWindow - j.in.size);
      std::copy(tail.get() + tailSize - kept, tail.get() + tailSize, tail.get());
      std::copy_n(j.in.bytes.get(), j.in.size, tail.get() + kept);
      tailSize = kept + j.in.size;
    }
    if (last) tailSize = 0;

    lock.lock();
    ++inFlight;
    waiting.push_back(std::move(job));
    lock.unlock();
    changed.notify_all();
    return true;
  }

  // Writes the deflated blocks in their order as they come, until `enough`
  // holds; the part's last block ends its entry.
  template <typename Enough>
  bool WriteDone(std::unique_lock<std::mutex>& lock, Enough enough) {
    for (;;) {
      const auto next = std::find_if(done.begin(), done.end(),
                                     [&](const auto& job) { return job->order == written; });
      if (next == done.end()) {
        if (enough()) return true;
        changed.wait(lock);
        continue;
      }
      std::unique_ptr<Job> job = std::move(*next);
      done.erase(next);
      lock.unlock();
      Job& j = *job;
      crc = crc32_combine(crc, j.crc, static_cast<z_off_t>(j.in.size));
      size += j.in.size;
      bool ok = !j.failed;
      if (size > kLargestZip) {
        sink.tooLarge = true;
        ok = false;
      }
      if (ok && j.out.size > 0) {
        ok = zipWriteInFileInZip(zip, j.out.bytes.get(), static_cast<unsigned>(j.out.size)) ==
             ZIP_OK;
      }
      if (ok && j.last) {
        ok = zipCloseFileInZipRaw64(zip, size, crc) == ZIP_OK;
        streaming = false;
      }
      lock.lock();
      ++written;
      --inFlight;
      spare.push_back(std::move(job));
      if (!ok) return Fail();
    }
  }
};

ZipWriter::ZipWriter() : parts_(std::make_unique<Parts>()) {}
ZipWriter::~ZipWriter() = default;

bool ZipWriter::Open(const std::wstring& path) {
  Parts& p = *parts_;
  const platform::Opened opened =
      platform::OpenFile(path, platform::Access::kWrite, platform::Disposition::kCreateAlways);
  p.sink.file = opened.file;
  if (!opened) {
    p.failed = true;
    return p.sink.Failed(opened.error);
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
  p.crc = crc32(0, nullptr, 0);
  p.size = 0;
  p.tailSize = 0;
  if (p.deflaters.empty()) {
    const size_t threads = DeflatingThreads();
    // Enough blocks in flight that no thread waits for another's, few
    // enough that a sheet of any length takes a few megabytes.
    p.mostInFlight = threads + 2;
    try {
      for (size_t t = 0; t < threads; ++t) p.deflaters.emplace_back([&p] { p.Deflate(); });
    } catch (const std::system_error&) {
      if (p.deflaters.empty()) return p.Fail();  // no thread to be had
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
  if (closed != ZIP_OK || !p.sink.Flush()) return p.Fail();
  const platform::FileResult pushed = platform::FlushFile(p.sink.file);
  const bool flushed = pushed || p.sink.Failed(pushed.error());
  platform::CloseFile(p.sink.file);
  p.sink.file = nullptr;
  p.failed = !flushed;
  return flushed;
}

platform::FileError ZipWriter::cause() const { return parts_->sink.cause; }
bool ZipWriter::tooLarge() const { return parts_->sink.tooLarge; }
