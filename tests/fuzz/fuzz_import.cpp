// libFuzzer target: arbitrary bytes make a small film.dat and a sheet that
// filmtool's import takes, as a dry run or not, with --add and --overwrite
// as the input says. The sheet is film.dat's own export (with --all, or its
// marks turned into an older export's, as the input says) with fields of
// the input's choosing put in, film.dat changed since as the input says,
// then the input's raw bytes; or film.dat is taken away before the import,
// as in a new shop's folder. After each import:
//   - a dry run, and an import that was refused, left film.dat byte for byte
//     (in a new shop's folder: made no film.dat and no journal);
//   - an import that went through changed no slot's number, left every
//     changed slot a description of two characters or more, and grew the
//     file only with --add, by slots of live numbers that were not in it;
//   - what it listed ("number field: old -> new") is what export shows
//     changed, field by field;
// no file handle is left open, and the sanitizers report nothing.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "filmtool/tool.h"
#include "office/export.h"
#include "office/listener.h"
#include "office/open_inventory.h"
#include "platform/host/host_control.h"
#include "store/inventory_record.h"
#include "tests/kit/csv_rows.h"
#include "tests/kit/open_descriptors.h"
#include "tests/kit/process_state.h"
#include "tests/kit/record_builder.h"

namespace fs = std::filesystem;

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint32_t U32() {
    return uint32_t{Byte()} | uint32_t{Byte()} << 8 | uint32_t{Byte()} << 16 |
           uint32_t{Byte()} << 24;
  }
  std::string Text(size_t most) {
    const size_t n = std::min<size_t>(Byte() % (most + 1), size_ - std::min(at_, size_));
    std::string out(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return out;
  }
  std::string Rest() {
    const size_t from = std::min(at_, size_);
    at_ = size_;
    return std::string(reinterpret_cast<const char*>(data_ + from), size_ - from);
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "\n*** tallo import fuzz check failed: %s\n", what.c_str());
  std::abort();
}

std::string folder;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs `command` with standard output going to `out` and standard error
// nowhere; returns its status.
template <typename Command>
int Captured(const std::string& out, Command command) {
  std::fflush(stdout);
  std::fflush(stderr);
  const int savedOut = ::dup(1), savedErr = ::dup(2);
  const int to = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  ::dup2(to, 1);
  ::dup2(null, 2);
  const int status = command();
  std::fflush(stdout);
  std::fflush(stderr);
  ::dup2(savedOut, 1);
  ::dup2(savedErr, 2);
  for (int fd : {savedOut, savedErr, to, null}) ::close(fd);
  return status;
}

std::vector<std::vector<std::string>> Exported(const std::string& path, bool all = false) {
  platform::host::ResetHost();
  ResetProcessState();
  platform::host::SetWorkingFolder(folder);
  Captured(path, [all] { return ::Export(all, /*workbook=*/""); });
  return ReadCsv(ReadAll(path));
}

InventoryRecord TakeRecord(Input& in, int i) {
  static const int64_t kNumbers[] = {1, 2, 3, 10, 11, -1, 0, 9000000000000000000};
  const uint8_t pick = in.Byte();
  const int64_t number = pick < 8 ? kNumbers[pick] : 100 + pick % 16;
  // Texts without control characters, so that the listed lines stay lines.
  std::string description = in.Text(40), sku = in.Text(12);
  for (std::string* text : {&description, &sku}) {
    for (char& c : *text) c = static_cast<unsigned char>(c) < 0x20 ? 'x' : c;
  }
  Item item{number, description, sku};
  item.inStock = in.Byte() < 200 ? in.Byte() : in.U32();
  item.price = static_cast<float>(in.Byte()) / 4;
  uint32_t bits = in.Byte() < 128 ? 0 : in.U32();
  if (bits != 0) std::memcpy(&item.cost, &bits, 4);
  item.category = in.Byte() % 20;
  item.tax = in.Byte() % 6;
  return MakeItem(item, static_cast<uint64_t>(i));
}

void Setup() {
  folder =
      (fs::temp_directory_path() / ("tallo-fuzz-import-" + std::to_string(::getpid()))).string();
  fs::create_directories(folder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (Setup(), true);
  (void)ready;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path(), ignored);
  const int descriptors = OpenDescriptors();
  Input in(data, size);

  std::vector<InventoryRecord> records;
  const int count = 1 + in.Byte() % 8;
  for (int i = 0; i < count; ++i) records.push_back(TakeRecord(in, i));
  const std::string film = folder + "/film.dat";
  const Bytes inventory = InventoryBytes(records);
  WriteAll(film, std::string(inventory.begin(), inventory.end()));
  const uint8_t options = in.Byte();
  const bool dryRun = options & 1, add = options & 2, overwrite = options & 4;

  // The sheet: the export, the input's fields put in, then raw bytes.
  std::vector<std::vector<std::string>> sheet;
  if (options & 8) sheet = Exported(folder + "/export.csv", (options & 32) != 0);
  if (options & 128) {
    // An older export's marks: the same digests without their check.
    for (auto& row : sheet) {
      std::string& mark = row.back();
      if (mark.size() == 98 && mark.compare(0, 2, "v2") == 0) mark = "v1" + mark.substr(2, 88);
    }
  }
  for (int edits = in.Byte() % 6; edits > 0 && !sheet.empty(); --edits) {
    auto& row = sheet[in.Byte() % sheet.size()];
    row[in.Byte() % row.size()] = in.Text(24);
  }
  if (options & 16) {
    // The handheld changed a record since the export.
    const size_t slot = in.Byte() % records.size();
    SetRecordInStock(records[slot], in.U32());
    if (in.Byte() & 1) records[slot].bytes[kDescriptionOffset] = 'Z';
    const Bytes changed = InventoryBytes(records);
    WriteAll(film, std::string(changed.begin(), changed.end()));
  }
  const std::string sheetPath = folder + "/sheet.csv";
  WriteAll(sheetPath, WriteCsv(sheet) + in.Rest());

  // A new shop's folder: the import is to make the fresh inventory (item 1,
  // "ITEM 1") itself, and only when it goes through.
  const bool newShop = (options & 64) != 0;
  if (newShop) {
    InventoryRecord fresh;
    MakeFreshRecord(fresh);
    WriteAll(film, std::string(reinterpret_cast<const char*>(fresh.bytes), kRecordSize));
  }
  const std::string before = ReadAll(film);
  const auto shownBefore = Exported(folder + "/before.csv");
  if (newShop) {
    fs::remove(film);
    fs::remove(folder + "/film.jnl", ignored);
  }
  platform::host::ResetHost();
  ResetProcessState();
  platform::host::SetWorkingFolder(folder);
  const int status =
      Captured(folder + "/listed.txt", [&] { return Import(sheetPath, dryRun, add, overwrite); });
  ResetProcessState();
  const std::string after = ReadAll(film);
  if (OpenDescriptors() != descriptors) Fail("a file handle was left open");

  if (status != 0 || dryRun) {
    if (newShop && (fs::exists(film) || fs::exists(folder + "/film.jnl"))) {
      Fail("a refused import or a dry run made a file in a new shop's folder");
    }
    if (!newShop && after != before) Fail("a refused import or a dry run changed film.dat");
    return 0;
  }
  if (newShop && !add) Fail("an import without --add went through in a folder without film.dat");
  if (after.size() < before.size() || (after.size() - before.size()) % kRecordSize != 0 ||
      (!add && after.size() != before.size())) {
    Fail("film.dat changed size by other than added slots");
  }
  std::set<int64_t> numbersBefore;
  for (size_t s = 0; s < before.size() / kRecordSize; ++s) {
    InventoryRecord was, is;
    std::memcpy(was.bytes, before.data() + s * kRecordSize, kRecordSize);
    std::memcpy(is.bytes, after.data() + s * kRecordSize, kRecordSize);
    numbersBefore.insert(RecordNumber(was));
    if (std::memcmp(was.bytes, is.bytes, kRecordSize) == 0) continue;
    if (RecordNumber(is) != RecordNumber(was)) Fail("an import changed a slot's number");
    if (DescriptionLength(is) < 2) Fail("an import left a description under two characters");
  }
  for (size_t s = before.size() / kRecordSize; s < after.size() / kRecordSize; ++s) {
    InventoryRecord is;
    std::memcpy(is.bytes, after.data() + s * kRecordSize, kRecordSize);
    if (!IsLiveNumber(RecordNumber(is)) || numbersBefore.count(RecordNumber(is)) != 0) {
      Fail("an added slot's number is not new");
    }
  }
  // The listed changes of the items that were in the file are what export
  // shows changed.
  const auto shownAfter = Exported(folder + "/after.csv");
  std::string changed;
  for (size_t r = 1; r < shownBefore.size() && r < shownAfter.size(); ++r) {
    for (size_t c = 2; c + 1 < shownBefore[0].size(); ++c) {
      if (shownBefore[r][c] != shownAfter[r][c]) {
        changed += shownAfter[r][1] + " " + shownBefore[0][c] + ": " + shownBefore[r][c] + " -> " +
                   shownAfter[r][c] + "\n";
      }
    }
  }
  std::string listed;
  std::istringstream lines(ReadAll(folder + "/listed.txt"));
  std::set<std::string> added;
  for (std::string line; std::getline(lines, line);) {
    if (line.size() > 6 && line.compare(line.size() - 6, 6, " added") == 0) {
      added.insert(line.substr(0, line.size() - 6));
    } else if (line.find(" -> ") != std::string::npos &&
               added.count(line.substr(0, line.find(' '))) == 0) {
      listed += line + "\n";
    }
  }
  if (listed != changed) Fail("the list is not what changed:\n" + listed + "---\n" + changed);
  return 0;
}
