// libFuzzer target: arbitrary bytes choose film.dat, tallo.cfg, the storage
// card and a run of commands (Find, Amend, Delete, Configuration, restarts)
// with the user's answers and file or allocation faults. After start-up and
// after every command:
//   - NumberIndex, PrefixTable and the counts agree with the inventory in use,
//     and the live entries stand in (number, slot) order;
//   - no film.dat changed size, and the one in use changed at most in the
//     slot of the record in hand, to exactly that record: either its deleted
//     form, or an amended record that keeps its live number and a
//     description of at least two characters;
//   - no other film.dat changed at all;
// and after each input no file handle is left open. A write that fails
// (failed, short or unflushed) puts the old record back, so it leaves its
// slot as it was.
//
// The input format is described in tests/fuzz/README.md. TALLO_FUZZ_TRACE=1
// prints what each input does, for reading a reproducer.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "commands/records_state.h"
#include "config/configuration.h"
#include "config/settings_save.h"
#include "messages/opening_messages.h"
#include "platform/app_handles.h"
#include "platform/host/host_control.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "records/delete_command.h"
#include "records/find_amend.h"
#include "resources/resource_ids.h"
#include "store/byte_order.h"
#include "store/inventory_record.h"
#include "store/journal.h"
#include "store/settings_image.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "tests/kit/fault_env.h"
#include "tests/kit/open_descriptors.h"
#include "tests/kit/process_state.h"
#include "tests/kit/record_builder.h"
#include "tests/kit/scripted_user.h"
#include "tests/kit/store_invariants.h"

namespace host = platform::host;
namespace fs = std::filesystem;
using Script = testkit::DialogScript;

namespace {

// ---- Reading the input ------------------------------------------------------

// Takes values from the front; an exhausted input reads as zeros.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint16_t U16() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
  uint32_t U32() { return uint32_t{U16()} | uint32_t{U16()} << 16; }
  uint64_t U64() { return uint64_t{U32()} | uint64_t{U32()} << 32; }
  // Up to `n` bytes, fewer when the input runs out.
  Bytes Take(size_t n) {
    const size_t got = std::min(n, size_ - std::min(at_, size_));
    Bytes out(data_ + at_, data_ + at_ + got);
    at_ += got;
    return out;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

bool tracing = false;

void Trace(const char* format, ...) {
  if (!tracing) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "\n*** tallo fuzz check failed: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// ---- Files --------------------------------------------------------------------

std::string folder;  // the working folder, one per process

struct FileImage {
  bool exists = false;
  Bytes bytes;
  bool operator==(const FileImage& o) const { return exists == o.exists && bytes == o.bytes; }
};

// The harness's own loops and file copies need no coverage feedback.
#define TALLO_NO_COVERAGE __attribute__((no_sanitize("coverage")))

// Reads into `image`, reusing its buffer: the films are read around every
// command, and fresh buffers of their size would dominate the run time.
TALLO_NO_COVERAGE void ReadImage(const std::string& path, FileImage* image) {
  image->exists = false;
  image->bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat info;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    image->exists = true;
    image->bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < image->bytes.size()) {
      const ssize_t n = ::read(fd, image->bytes.data() + done, image->bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    image->bytes.resize(done);
  }
  ::close(fd);
}

void WriteImage(const std::string& path, const Bytes& bytes) {
  std::error_code ignored;
  fs::create_directories(fs::path(path).parent_path(), ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) Fail("cannot write " + path);
}

// ---- Building film.dat ----------------------------------------------------------

const int64_t kNumberTable[] = {1,
                                2,
                                3,
                                7,
                                12,
                                -1,
                                0,
                                -2,
                                std::numeric_limits<int64_t>::max(),
                                std::numeric_limits<int64_t>::min(),
                                100000000000000000,
                                100000000000000001,
                                1000000000000000000,
                                4294967296,
                                2147483648,
                                999999999};

int64_t TakeNumber(Input& in) {
  const uint8_t sel = in.Byte();
  if (sel < 16) return kNumberTable[sel];
  if (sel < 240) return sel - 15;
  return static_cast<int64_t>(in.U64());
}

// One record from a compact description; bytes not given carry a pattern
// that depends on `seed`.
InventoryRecord TakeRecord(Input& in, uint8_t seed) {
  InventoryRecord r = MakeRecord(TakeNumber(in), "", seed);
  const size_t length = in.Byte() % 96;
  const Bytes text = in.Take(std::min(length, kDescriptionSize));
  std::copy(text.begin(), text.end(), r.bytes + kDescriptionOffset);
  if (text.size() < kDescriptionSize) r.bytes[kDescriptionOffset + text.size()] = 0;
  const uint8_t fields = in.Byte();
  SetRecordInStock(r, fields & 0x01 ? in.U32() : 5);
  StoreU32(r.bytes + kPriceOffset, fields & 0x02 ? in.U32() : 0x3FC00000);       // 1.5
  StoreU32(r.bytes + kCostPriceOffset, fields & 0x04 ? in.U32() : 0x3F400000);   // 0.75
  StoreU32(r.bytes + kTradePriceOffset, fields & 0x08 ? in.U32() : 0x3FA00000);  // 1.25
  SetRecordTax(r, fields & 0x10 ? in.U32() : 1);
  SetRecordCategory(r, fields & 0x20 ? in.U32() : 3);
  if (fields & 0x40) {
    const Bytes sku = in.Take(in.Byte() % 64);
    std::copy(sku.begin(), sku.end(), r.bytes + kSku1Offset);
    r.bytes[kSku1Offset + sku.size()] = 0;
  }
  return r;
}

TALLO_NO_COVERAGE Bytes Repeat(const Bytes& chunk, size_t length) {
  Bytes out;
  if (chunk.empty()) return out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) out.push_back(chunk[i % chunk.size()]);
  return out;
}

constexpr size_t kMaxDescriptors = 40;
constexpr size_t kMaxSlots = 300;  // past Opendata's first 256-slot block

Bytes TakeFilm(Input& in) {
  Bytes film;
  const uint8_t mode = in.Byte() % 4;
  if (mode == 0) {  // raw bytes, any length
    film = in.Take(in.U16());
    Trace("film: %zu raw bytes\n", film.size());
    return film;
  }
  if (mode == 3) {  // a few raw bytes repeated up to any length
    const size_t length = in.U16();
    const Bytes chunk = in.Take(in.Byte() + 1u);
    film = Repeat(chunk, length);
    Trace("film: %zu bytes repeating %zu\n", film.size(), chunk.size());
    return film;
  }
  std::vector<InventoryRecord> records;
  const size_t described = in.Byte() % (kMaxDescriptors + 1);
  for (size_t i = 0; i < described; ++i) records.push_back(TakeRecord(in, static_cast<uint8_t>(i)));
  size_t slots = records.size();
  bool distinct = false;
  if (mode == 2 && !records.empty()) {  // repeated up to many slots
    slots = in.U16() % (kMaxSlots + 1);
    distinct = in.Byte() & 1;
  }
  for (size_t s = 0; s < slots; ++s) {
    InventoryRecord r = records[s % records.size()];
    const int64_t n = RecordNumber(r);
    const auto round = static_cast<int64_t>(s / records.size());
    if (distinct && n > 0 && n < (int64_t{1} << 40)) SetRecordNumber(r, n + round * 1000);
    film.insert(film.end(), r.bytes, r.bytes + kRecordSize);
  }
  const uint8_t tail = in.Byte();
  if (tail >= 200) {
    film.insert(film.end(), in.U16() % (2 * kRecordSize), 0x41);
  } else if (tail >= 190 && !film.empty()) {
    film.resize(film.size() - std::min<size_t>(film.size(), in.Byte() + 1u));
  }
  Trace("film: %zu slots from %zu records, %zu bytes\n", slots, records.size(), film.size());
  return film;
}

// ---- Building tallo.cfg -------------------------------------------------------

float TakeFloat(Input& in) {
  const uint32_t table[] = {0x00000000, 0x80000000, 0x40000000, 0x3F800000, 0x7FC00000, 0xFFC00000,
                            0x7F800000, 0xFF800000, 0x00000001, 0x7F7FFFFF, 0x40000001, 0x3FFFFFFF,
                            0xC0000000, 0x7F800001, 0x80000001, 0x40800000};
  const uint8_t sel = in.Byte();
  const uint32_t bits = sel < 16 ? table[sel] : in.U32();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Absent, whole, cut or overlong, with the two options chosen and the rest
// zero or taken from the input.
void TakeSettings(Input& in, const std::string& path) {
  const size_t lengths[] = {0,     1,     40962, 40964, 40966, 40970, 40972, 40974,
                            42549, 42550, 42550, 42551, 50000, 42550, 42550, 42550};
  const uint8_t mode = in.Byte();
  if (mode % 4 == 0) {
    Trace("tallo.cfg: absent\n");
    return;
  }
  const size_t length = mode % 4 == 1 ? kSettingsSize : lengths[(mode >> 2) % 16];
  Bytes cfg(std::max(length, kSettingsSize), 0);
  if (mode % 4 == 3) {
    const Bytes head = in.Take(in.Byte());
    std::copy(head.begin(), head.end(), cfg.begin());
  }
  const float focus = TakeFloat(in), storage = TakeFloat(in);
  StoreF32(cfg.data() + kAmendFocusOffset, focus);
  StoreF32(cfg.data() + kStorageOffset, storage);
  cfg.resize(length);
  Trace("tallo.cfg: %zu bytes, focus %g, storage %g\n", length, focus, storage);
  WriteImage(path, cfg);
}

// ---- Faults -----------------------------------------------------------------------

struct FaultChoice {
  bool file = false;
  bool allocation = false;
  testkit::FileOp op = testkit::FileOp::kOpen;
  testkit::Fault fault = testkit::Fault::kFail;
  bool persistent = false;
  int nth = 0;
};

FaultChoice TakeFault(Input& in) {
  FaultChoice f;
  const uint8_t kind = in.Byte() % 16;
  if (kind < 7) return f;
  const uint8_t how = in.Byte();
  f.nth = 1 + (how & 7);
  if (kind == 15) {
    f.allocation = true;
    return f;
  }
  const testkit::FileOp ops[] = {testkit::FileOp::kRemove, testkit::FileOp::kRename,
                                 testkit::FileOp::kOpen,   testkit::FileOp::kRead,
                                 testkit::FileOp::kWrite,  testkit::FileOp::kSeek,
                                 testkit::FileOp::kSize,   testkit::FileOp::kFlush};
  f.file = true;
  f.op = ops[kind - 7];
  f.fault = how & 8 ? testkit::Fault::kShort : testkit::Fault::kFail;
  f.persistent = how & 16;
  return f;
}

// The fault-injecting Env that every input runs over.
testkit::FaultInjectionEnv faults;

const char* OpName(testkit::FileOp op) { return testkit::kFileOpNames[static_cast<int>(op)]; }

void Arm(const FaultChoice& f) {
  if (f.allocation) {
    faults.InjectAllocationFault(f.nth);
    Trace("  fault: allocation #%d\n", f.nth);
  } else if (f.file) {
    faults.Inject(f.op, f.nth, f.fault, f.persistent);
    Trace("  fault: %s #%d %s%s\n", OpName(f.op), f.nth,
          f.fault == testkit::Fault::kShort ? "short" : "fail", f.persistent ? " persistent" : "");
  }
}

// ---- The storage card ---------------------------------------------------------------

struct Card {
  host::CardState state = host::CardState::kAbsent;
  std::wstring folder;   // as the card reports it
  std::string filmPath;  // where its film.dat is on the host
};

Card TakeCard(Input& in) {
  Card card;
  const uint8_t b = in.Byte();
  const host::CardState states[] = {host::CardState::kAbsent, host::CardState::kPresent,
                                    host::CardState::kUnreadable, host::CardState::kPresent};
  card.state = states[b & 3];
  const std::wstring base = host::Widen(folder);
  switch ((b >> 2) % 8) {
    case 0:
      card.folder = base + L"/card";
      break;
    case 1:
      card.folder = base + L"\\Storage Card";
      break;
    case 2:
      card.folder = base + L"/carte m\u00e9moire";
      break;
    case 3:
      card.folder = base + L"/\u5361";
      break;
    case 4:
      card.folder = L"card";
      break;  // relative: resolves in the working folder
    case 5:
      card.folder = base + L"\\deep\\er";
      break;
    case 6:
      card.folder = base + L"/" + std::wstring(250, L'c');
      break;  // too long to report
    case 7:
      card.folder = base + L"/nowhere";
      break;
  }
  card.filmPath = host::HostPath(card.folder + L"\\film.dat");
  return card;
}

void ApplyCard(const Card& card) { host::SetStorageCard(card.state, card.folder); }

// ---- The code page ------------------------------------------------------------------

// The system's code page, or the one the back office chooses (undefined bytes
// then read as U+FFFD).
struct CodePage {
  unsigned page = 1252;
  bool chosen = false;
};

CodePage TakeCodePage(uint8_t where) {
  static const unsigned kPages[] = {1252, 932,  936,  949,  950,  874,  1250, 1251,
                                    1253, 1254, 1255, 1256, 1257, 1258, 932,  1251};
  return {kPages[(where >> 2) & 15], (where & 0x40) != 0};
}

void ApplyCodePage(const CodePage& c) {
  if (c.chosen) {
    platform::UseCodePage(c.page);
  } else {
    host::SetSystemCodePage(c.page);
  }
}

// ---- Program state --------------------------------------------------------------

std::string devicePath;
std::string settingsPath;
Card card;
CodePage codePage;
Bytes film;  // the image the input chose, for building answers

void FreshHost() {
  host::ResetHost();
  testkit::ResetScriptedUser();
  faults.Reset();
  host::SetWorkingFolder(folder);
  MainWindow = testkit::MainWindowStandIn();
  ApplyCard(card);
  ApplyCodePage(codePage);
}

void ResetProgram() {
  ResetProcessState();
  FreshHost();
}

std::string InUsePath() { return host::HostPath(DataPath); }

// The journal beside the inventory at host path `film`, when there is a
// whole one.
std::string JournalPathBeside(const std::string& film) {
  return film.substr(0, film.rfind('/') + 1) + "film.jnl";
}

std::optional<JournalGroup> JournalBeside(const std::string& film) {
  FileImage image;
  ReadImage(JournalPathBeside(film), &image);
  JournalGroup group;
  if (!image.exists || !DecodeAnyJournal(image.bytes.data(), image.bytes.size(), &group)) {
    return std::nullopt;
  }
  return group;
}

// The film.dat files an input can touch.
struct Films {
  FileImage device, card;
};

void ReadFilms(Films* f) {
  ReadImage(devicePath, &f->device);
  f->card = FileImage{};
  if (card.filmPath != devicePath) ReadImage(card.filmPath, &f->card);
}

// The films as the last check saw them, and the buffer for the next look.
Films known, fresh;

const FileImage& ImageOf(const Films& f, const std::string& path) {
  return path == devicePath ? f.device : f.card;
}

void CheckStore(const Bytes& file, const std::string& when) {
  const std::string problem = CheckStoreAgreesWith(file);
  if (!problem.empty()) Fail(when + ": the store disagrees with film.dat: " + problem);
  // Equal numbers stand in slot order, which the walk by number and the move
  // to the deleted run rely on.
  for (int64_t i = 1; i < IndexedSlots; ++i) {
    const IndexEntry a = NumberIndex[i - 1], b = NumberIndex[i];
    if (a.number > 0 && a.number == b.number && a.slot > b.slot) {
      Fail(when + ": index entries " + std::to_string(i - 1) + " and " + std::to_string(i) +
           " hold number " + std::to_string(a.number) + " out of slot order");
    }
  }
}

// ---- The user's answers ---------------------------------------------------------

std::wstring CharFor(uint8_t c) {
  static const wchar_t kHigh[16] = {0x20AC, 0x00E9, 0x00FC, 0x00DF, 0x0178, 0x4E2D, 0xFFFD, 0x1F600,
                                    0x0000, 0x00A0, 0x2030, 0x2122, 0x0192, 0x0081, 0xFFFF, 0x00FF};
  if (c >= 0x80 && c < 0xA0) return std::wstring(1, kHigh[c & 15]);
  return std::wstring(1, static_cast<wchar_t>(c));
}

std::wstring TakeText(Input& in) {
  size_t length = in.Byte() % 64;
  if (length == 63) length += size_t{in.Byte()} * 2;  // long answers, up to 573
  std::wstring text;
  for (const uint8_t c : in.Take(length)) text += CharFor(c);
  return text;
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

size_t FilmSlots() { return film.size() / kRecordSize; }

std::wstring NumberOfSlot(Input& in) {
  const size_t slots = FilmSlots();
  const int64_t n = slots == 0 ? 1 : LoadI64(film.data() + (in.Byte() % slots) * kRecordSize);
  const std::string number = platform::FormatItemNumber(n);
  switch (in.Byte() % 6) {
    case 0:
      return Widen(number);
    case 1:
      return L" " + Widen(number);
    case 2:
      return L"+" + Widen(number);
    case 3:
      return Widen(number) + L"ABC";
    case 4:
      return L"-" + Widen(number);
    default:
      return L"0000" + Widen(number);
  }
}

// The start of a slot's description, some characters turned into '?'.
std::wstring DescriptionOfSlot(Input& in) {
  const size_t slots = FilmSlots();
  if (slots == 0) return L"IT";
  const uint8_t* field = film.data() + (in.Byte() % slots) * kRecordSize + kDescriptionOffset;
  const void* end = std::memchr(field, 0, kDescriptionSize);
  size_t length = end == nullptr ? kDescriptionSize : static_cast<const uint8_t*>(end) - field;
  length = std::min<size_t>(length, in.Byte() % 41);
  wchar_t wide[kDescriptionSize + 1];
  const int n = length == 0 ? 0
                            : platform::NarrowToWide(reinterpret_cast<const char*>(field),
                                                     static_cast<int>(length), wide,
                                                     static_cast<int>(kDescriptionSize));
  std::wstring text(wide, static_cast<size_t>(n));
  const uint8_t wild = in.Byte();
  for (size_t i = 0; i < text.size() && i < 8; ++i) {
    if (wild & (1u << i)) text[i] = L'?';
  }
  return text;
}

const wchar_t* const kEdgeAnswers[] = {L"0",
                                       L"-7",
                                       L"100000000000000000",
                                       L"100000000000000001",
                                       L"99999999999999999999",
                                       L"9223372036854775807",
                                       L"-9223372036854775808",
                                       L"?",
                                       L"??",
                                       L"???",
                                       L"1e5",
                                       L" ",
                                       L"ITEM 1",
                                       L"IT",
                                       L"\u20AC",
                                       L"?\u00e9"};

const wchar_t* const kFieldValues[] = {L"",
                                       L"0",
                                       L"-1",
                                       L"1",
                                       L"2",
                                       L"4294967295",
                                       L"4294967296",
                                       L"2147483647",
                                       L"2147483648",
                                       L"-2147483648",
                                       L"17",
                                       L"18",
                                       L"3.999",
                                       L"0.005",
                                       L"0.004999",
                                       L"-0",
                                       L"1e38",
                                       L"3.4028235e38",
                                       L"3.4028236e38",
                                       L"1e39",
                                       L"1e308",
                                       L"1e309",
                                       L"-1e309",
                                       L"NaN",
                                       L"inf",
                                       L"1e-46",
                                       L"99999999999999999999999999999999999999",
                                       L"X",
                                       L"AB",
                                       L"12abc",
                                       L".5",
                                       L"5.",
                                       L"-.",
                                       L"e5",
                                       L"1e",
                                       L"0x1p3",
                                       L"9223372036854775807",
                                       L"-9223372036854775808",
                                       L"00000000000000000000000000000000000001",
                                       L"\u20AC\u20AC"};

struct Prompt {
  Script script{IDD_PROMPT};
  std::wstring answer;
  bool ok = false;
};

Prompt TakePrompt(Input& in) {
  Prompt p;
  const uint8_t sel = in.Byte() % 16;
  switch (sel) {
    case 0:
      p.script.Click(IDCANCEL);
      return p;
    case 1:
      p.script.Close();
      return p;
    case 2:
      p.script.Click(IDOK);
      p.ok = true;
      return p;
    case 3:
      return p;  // left open
    case 4:
    case 5:
    case 6:
      p.answer = NumberOfSlot(in);
      break;
    case 7:
    case 8:
    case 9:
      p.answer = DescriptionOfSlot(in);
      break;
    case 10:
      p.answer = kEdgeAnswers[in.Byte() % std::size(kEdgeAnswers)];
      break;
    default:
      p.answer = TakeText(in);
      break;
  }
  if (in.Byte() & 1) {
    p.script.SetText(IDC_PROMPT_ANSWER, p.answer);
  } else {
    p.script.Type(IDC_PROMPT_ANSWER, p.answer);
  }
  p.script.Click(IDOK);
  p.ok = true;
  return p;
}

// Whether the answer will be looked up by number (else by description); only
// to queue the dialogs in the order they will come.
bool LooksLikeNumber(const Prompt& p, int64_t largest) {
  if (!p.ok) return false;
  std::string narrow;
  for (wchar_t c : p.answer.substr(0, 39)) narrow += c < 0x80 ? static_cast<char>(c) : 'x';
  const int64_t n = platform::ParseInt64(narrow.c_str());
  return n >= 1 && n <= largest;
}

void End(Script& s, uint8_t how, bool hasCancel) {
  switch (how % 4) {
    case 0:
      s.Click(IDOK);
      break;
    case 1:
      if (hasCancel)
        s.Click(IDCANCEL);
      else
        s.Click(IDOK);
      break;
    case 2:
      s.Close();
      break;
    case 3:
      break;  // left open
  }
}

Script TakeResult(Input& in) {
  Script s(IDD_RESULT);
  const uint8_t b = in.Byte();
  for (int i = 0; i < b % 8; ++i) s.Click(IDC_NEXT);
  End(s, b >> 3, true);
  return s;
}

Script TakeAmend(Input& in) {
  Script s(IDD_AMEND);
  const int fields[] = {IDC_NUMBER,     IDC_DESCRIPTION, IDC_SKU1,     IDC_IN_STOCK, IDC_PRICE,
                        IDC_COST_PRICE, IDC_TRADE_PRICE, IDC_CATEGORY, IDC_TAX};
  const int edits = in.Byte() % 8;
  for (int i = 0; i < edits; ++i) {
    const uint8_t f = in.Byte();
    const int id = fields[(f & 0x0F) % 9];
    if (id == IDC_TAX) {
      s.Pick(IDC_TAX, static_cast<int>(in.Byte() % 8) - 2);
      continue;
    }
    const uint8_t v = in.Byte();
    const std::wstring text = v < 128 ? kFieldValues[v % std::size(kFieldValues)] : TakeText(in);
    if (f & 0x10) {
      s.SetText(id, text);
    } else {
      s.Type(id, text);
    }
  }
  End(s, in.Byte(), true);
  return s;
}

Script TakeConfiguration(Input& in) {
  Script s(IDD_CONFIGURATION);
  const int buttons[] = {IDC_FOCUS_QUANTITY, IDC_FOCUS_PRICE, IDC_STORAGE, IDC_FOCUS_PRICE};
  const uint8_t b = in.Byte();
  for (int i = 0; i < b % 4; ++i) s.Click(buttons[in.Byte() % 4]);
  End(s, b >> 2, true);
  return s;
}

// ---- Checks around one command -----------------------------------------------------

// `before`/`after`: the films around a command; `inUse`: the inventory the
// program had open. Returns the bytes of the inventory in use.
const Bytes& CheckFilms(const Films& before, const Films& after, const std::string& inUse,
                        const std::string& what) {
  for (const std::string& path : {devicePath, card.filmPath}) {
    if (path == inUse) continue;
    if (!(ImageOf(before, path) == ImageOf(after, path))) {
      Fail(what + ": " + path + " changed although it is not the inventory in use");
    }
  }
  const FileImage& was = ImageOf(before, inUse);
  const FileImage& now = ImageOf(after, inUse);
  if (!was.exists || !now.exists) Fail(what + ": the inventory in use is missing");
  if (was.bytes.size() != now.bytes.size()) {
    Fail(what + ": film.dat changed size from " + std::to_string(was.bytes.size()) + " to " +
         std::to_string(now.bytes.size()));
  }
  const Bytes& file = now.bytes;
  if (file == was.bytes) return file;
  const size_t slots = file.size() / kRecordSize;
  for (size_t s = 0; s < slots; ++s) {
    const uint8_t* old = was.bytes.data() + s * kRecordSize;
    const uint8_t* cur = file.data() + s * kRecordSize;
    if (std::memcmp(old, cur, kRecordSize) == 0) continue;
    const std::string at = what + ": slot " + std::to_string(s);
    if (static_cast<int64_t>(s) != CurrentSlot) {
      Fail(at + " changed, but the record in hand is slot " + std::to_string(CurrentSlot));
    }
    if (std::memcmp(cur, CurrentRecord.bytes, kRecordSize) != 0) {
      Fail(at + " holds something other than the record in hand (a torn or stale write)");
    }
    const int64_t oldNumber = LoadI64(old), newNumber = LoadI64(cur);
    if (newNumber == kDeletedNumber) {
      if (cur[kDescriptionOffset] != 0 || cur[kDescriptionOffset + 1] != 0) {
        Fail(at + " was written with number -1 but a description");
      }
    } else {
      if (newNumber != oldNumber || newNumber <= 0) {
        Fail(at + " was written with number " + std::to_string(newNumber) + ", it held " +
             std::to_string(oldNumber));
      }
      InventoryRecord r;
      std::memcpy(r.bytes, cur, kRecordSize);
      if (DescriptionLength(r) < 2)
        Fail(at + " was written with a description under two characters");
    }
  }
  return file;
}

// Starts the program as at power-on over the files as they are now. False
// when it did not start.
bool Start(const FaultChoice& fault, const std::string& what) {
  ResetProgram();
  Arm(fault);
  ReadFilms(&fresh);
  const Films& before = fresh;
  const std::optional<JournalGroup> journalDevice = JournalBeside(devicePath);
  const std::optional<JournalGroup> journalCard = JournalBeside(card.filmPath);
  const bool opened = Opendata();
  Trace("  Opendata: %s, %d slots, %lld indexed, path %s\n", opened ? "open" : "failed", SlotCount,
        static_cast<long long>(IndexedSlots), InUsePath().c_str());
  if (!opened) return false;
  const std::string inUse = InUsePath();
  if (inUse != devicePath && inUse != card.filmPath) Fail(what + ": film.dat opened at " + inUse);
  ReadFilms(&known);
  const Films& after = known;
  // An existing inventory is written at start-up only to finish the write
  // of a whole journal beside it: in its span, to its new bytes.
  const FileImage& was = ImageOf(before, inUse);
  const FileImage& now = ImageOf(after, inUse);
  if (was.exists && !(was == now)) {
    const std::optional<JournalGroup>& journal = inUse == devicePath ? journalDevice : journalCard;
    Bytes finished = was.bytes;
    if (journal && journal->fileSize == finished.size() && journal->newSize == finished.size()) {
      for (const GroupEntry& e : journal->entries) {
        const FileRange span = RunSpan(e.first, e.count, journal->newSize);
        std::copy(e.after.begin(), e.after.end(), finished.begin() + span.start);
      }
    }
    if (finished != now.bytes) Fail(what + ": Opendata changed " + inUse + " beyond its journal");
  }
  if (SlotCount <= 0 || IndexedSlots > SlotCount) Fail(what + ": opened with no slots");
  CheckStore(ImageOf(after, inUse).bytes, what);
  return true;
}

void Restart(const FaultChoice& fault, const std::string& what, bool* running) {
  SaveSettings();
  *running = Start(fault, what);
}

// One command from the input. False when the program has stopped.
bool RunCommand(Input& in, int index, bool* running) {
  const uint8_t kind = in.Byte() % 7;
  const FaultChoice fault = TakeFault(in);
  const std::string what = "command " + std::to_string(index);
  FreshHost();

  if (kind == 5) {  // restart
    Trace("%d: restart\n", index);
    Restart(fault, what + " (restart)", running);
    return *running;
  }
  if (kind == 6) {  // the card comes, goes or fails between commands
    const host::CardState states[] = {host::CardState::kAbsent, host::CardState::kPresent,
                                      host::CardState::kUnreadable};
    card.state = states[in.Byte() % 3];
    ApplyCard(card);
    Trace("%d: card state %d\n", index, static_cast<int>(card.state));
    return true;
  }

  const char* names[] = {"find", "amend", "delete", "configuration", "find"};
  Trace("%d: %s\n", index, names[kind]);
  if (kind == 3) {
    testkit::QueueDialog(TakeConfiguration(in));
  } else {
    const Prompt prompt = TakePrompt(in);
    Trace("  answer \"%s\"%s\n", host::Narrow(prompt.answer).c_str(), prompt.ok ? "" : " (no OK)");
    testkit::QueueDialog(prompt.script);
    const bool find = kind == 0 || kind == 4;
    const bool byNumber = LooksLikeNumber(prompt, find ? 100000000000000000 : INT64_MAX);
    if (find) {
      if (byNumber) {
        Script view(IDD_VIEW);
        End(view, in.Byte(), false);
        testkit::QueueDialog(view);
      } else {
        testkit::QueueDialog(TakeResult(in));
      }
    } else {
      if (!byNumber) testkit::QueueDialog(TakeResult(in));
      if (kind == 1) {
        testkit::QueueDialog(TakeAmend(in));
      } else {
        testkit::QueueMessageBoxAnswer(in.Byte() & 1 ? platform::kIdCancel : platform::kIdOk);
      }
    }
  }

  const std::string inUse = InUsePath();
  FileImage journalBefore;
  ReadImage(JournalPathBeside(inUse), &journalBefore);
  Arm(fault);
  switch (kind) {
    case 0:
    case 4:
      FindCommand();
      break;
    case 1:
      AmendCommand();
      break;
    case 2:
      DeleteCommand();
      break;
    case 3:
      ConfigurationCommand();
      break;
  }
  if (tracing) {
    for (const auto& e : testkit::Events()) {
      if (e.kind == testkit::UiEvent::Kind::kMessageBox) {
        Trace("  box %s|%s|%s\n", e.owner.c_str(), host::Narrow(e.caption).c_str(),
              host::Narrow(e.text).c_str());
      } else if (e.kind == testkit::UiEvent::Kind::kDialog) {
        Trace("  dialog %u\n", e.sound);
      }
    }
    for (const auto& e : testkit::ScriptErrors()) Trace("  script: %s\n", e.c_str());
    Trace("  CurrentNumber %lld, CurrentSlot %lld\n", static_cast<long long>(CurrentNumber),
          static_cast<long long>(CurrentSlot));
  }

  ReadFilms(&fresh);
  if ((kind == 0 || kind == 3 || kind == 4) &&
      !(known.device == fresh.device && known.card == fresh.card)) {
    Fail(what + ": Find or Configuration wrote to a film.dat");
  }
  CheckStore(CheckFilms(known, fresh, inUse, what), what);
  std::swap(known, fresh);
  // A whole journal that this command left behind (one it could not mark
  // done) holds its write: the record in hand.
  FileImage journalAfter;
  ReadImage(JournalPathBeside(inUse), &journalAfter);
  const std::optional<JournalGroup> journal = JournalBeside(inUse);
  if (journal && !(journalAfter == journalBefore)) {
    const GroupEntry& e = journal->entries.front();
    const FileRange span = RunSpan(e.first, e.count, journal->newSize);
    if (journal->entries.size() != 1 || e.count != 1 || e.first != CurrentSlot ||
        std::memcmp(e.after.data() + (SlotOffset(e.first) - span.start), CurrentRecord.bytes,
                    kRecordSize) != 0) {
      Fail(what + ": a journal was left that does not hold the record in hand");
    }
  }

  // The storage switch ends the program; it starts again over the other
  // inventory, with the settings written at exit.
  if (testkit::QuitRequested()) {
    Trace("%d: quit, restart\n", index);
    Restart(FaultChoice{}, what + " (restart after quit)", running);
  }
  return *running;
}

void Setup() {
  tracing = std::getenv("TALLO_FUZZ_TRACE") != nullptr;
  // tmpfs when there is one: every write-back is flushed.
  const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  folder = (base / ("tallo-fuzz-" + std::to_string(::getpid()))).string();
  devicePath = folder + "/film.dat";
  settingsPath = folder + "/tallo.cfg";
  if (!testkit::LoadDialogTemplates(TALLO_RES_PATH)) Fail("no dialog templates");
  platform::SetEnv(&faults);
  platform::SetUi(&testkit::ScriptedUser());
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (Setup(), true);
  (void)ready;
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  fs::create_directories(folder);
  const int descriptors = OpenDescriptors();

  Input in(data, size);
  Trace("---- input of %zu bytes\n", size);
  host::ResetHost();
  testkit::ResetScriptedUser();
  host::SetWorkingFolder(folder);  // the card's folder may be relative
  card = TakeCard(in);
  const uint8_t where = in.Byte();
  film = TakeFilm(in);
  if (where & 1) WriteImage(devicePath, film);
  if ((where & 2) && card.filmPath != devicePath) WriteImage(card.filmPath, film);
  Trace("card %d at %s; film.dat on %s%s\n", static_cast<int>(card.state), card.filmPath.c_str(),
        where & 1 ? "device " : "", where & 2 ? "card" : "");
  codePage = TakeCodePage(where);
  ApplyCodePage(codePage);  // for the answers built from film.dat's texts
  Trace("code page %u%s\n", codePage.page, codePage.chosen ? ", chosen" : "");
  TakeSettings(in, settingsPath);
  const FaultChoice startFault = TakeFault(in);

  bool running = Start(startFault, "start-up");
  for (int i = 0; running && i < 32 && !in.Empty(); ++i) RunCommand(in, i, &running);

  ResetProcessState();
  host::ResetHost();
  testkit::ResetScriptedUser();
  faults.Reset();
  if (OpenDescriptors() != descriptors) Fail("a file handle was left open");
  return 0;
}
