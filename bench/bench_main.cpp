// tallo_bench: loading, lookup by number, the description scan and the
// delete's index update at every size, each beside its straightforward
// reference and, where there is one, the physical floor of reading the file.
//   tallo_bench --data DIR [--sizes 10000,100000,1000000] [--table FILE]
//               [google benchmark flags]
// DIR holds <slots>-<order>/film.dat (made by scripts/bench.sh with geninv).
// With --table, a markdown table of the ratios is written to FILE.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "commands/records_state.h"
#include "messages/opening_messages.h"
#include "platform/host/host_control.h"
#include "platform/scoped_file.h"
#include "records/description_scan.h"
#include "store/journalled_write.h"
#include "store/number_index.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "tests/kit/process_state.h"
#include "tests/kit/reference.h"

namespace {

namespace host = platform::host;

const char* const kOrders[] = {"ascending", "random", "descending"};
// The straight insertion sort is quadratic: past this many unsorted
// entries it would run for minutes to hours, so it is left out.
constexpr int64_t kReferenceSortLimit = 150000;

std::string DataDir(const std::string& root, int64_t slots, const std::string& order) {
  return root + "/" + std::to_string(slots) + "-" + order;
}

void Use(const std::string& dir) {
  ResetProcessState();
  host::ResetHost();
  host::SetWorkingFolder(dir);
}

bool Exists(const std::string& dir) { return std::ifstream(dir + "/film.dat").good(); }

// Reads the whole file sequentially into a page-aligned buffer of 1 MiB, as
// fast as a read of the file gets; also warms the page cache for the other
// measurements. Returns the bytes read.
uint64_t ReadAll() {
  constexpr uint32_t kBuffer = 1 << 20;
  static void* const buffer = platform::AllocatePages(kBuffer);
  platform::ScopedFile file(platform::OpenFile(L"film.dat", platform::Access::kRead,
                                               platform::Disposition::kOpenExisting));
  uint64_t total = 0;
  uint32_t got = 0;
  while (file && platform::ReadFile(file.get(), buffer, kBuffer, &got) && got > 0) {
    benchmark::DoNotOptimize(buffer);
    total += got;
  }
  return total;
}

void Load(benchmark::State& state, const std::string& dir, bool reference) {
  Use(dir);
  ReadAll();
  for (auto _ : state) {
    Use(dir);
    const bool loaded = reference ? (DataPath = kDeviceDataPath, ReferenceLoad()) : Opendata();
    if (!loaded) state.SkipWithError("cannot load");
    benchmark::DoNotOptimize(NumberIndex);
  }
  state.SetItemsProcessed(state.iterations() * SlotCount);
}

// Reads the whole file sequentially into one buffer and does nothing more.
void ReadFloor(benchmark::State& state, const std::string& dir) {
  Use(dir);
  ReadAll();
  for (auto _ : state) benchmark::DoNotOptimize(ReadAll());
}

// The walk by number at a loaded index; the record read aside.
void Walk(benchmark::State& state, const std::string& dir, const std::string& which,
          bool reference) {
  Use(dir);
  if (!Opendata()) state.SkipWithError("cannot load");
  int64_t target = NumberIndex[IndexedSlots - 1].number;  // the largest
  if (which == "present") target = NumberIndex[DeletedCount + ActiveCount / 2].number;
  if (which == "absent") {  // a gap between two live numbers
    for (int64_t i = DeletedCount + ActiveCount / 2; i + 1 < IndexedSlots; ++i) {
      if (NumberIndex[i + 1].number > NumberIndex[i].number + 1) {
        target = NumberIndex[i].number + 1;
        break;
      }
    }
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(reference ? ReferenceWalk(target) : FirstEntryAtOrAbove(target));
  }
}

// A scan that passes the prefix step on every live slot and matches none.
void Scan(benchmark::State& state, const std::string& dir, bool reference) {
  Use(dir);
  if (!Opendata()) state.SkipWithError("cannot load");
  ReadAll();
  std::strcpy(InputText, "??#");
  for (auto _ : state) {
    InventoryFile file = OpenInventoryForReading();
    CurrentSlot = 0;
    const ScanOutcome outcome = reference ? ReferenceScan(file) : ScanDescriptions(file);
    if (outcome != ScanOutcome::kExhausted) state.SkipWithError("the scan matched");
  }
  state.SetItemsProcessed(state.iterations() * SlotCount);
}

// One amendment's write of a slot, with its journal or, as before the
// journal, straight into the slot; both push the file to the medium. The
// slot's own record is written back, so the file stays as it is.
void Write(benchmark::State& state, const std::string& dir, bool journalled) {
  Use(dir);
  if (!Opendata()) state.SkipWithError("cannot load");
  const int64_t slot = SlotCount / 2;
  InventoryRecord record;
  {
    InventoryFile file = OpenInventoryForReading();
    if (!ReadSlot(file, slot, &record)) state.SkipWithError("cannot read");
  }
  for (auto _ : state) {
    const bool written =
        journalled ? WriteSlotJournalled(slot, record, record).outcome == WriteOutcome::kWritten
                   : PlainWriteSlot(slot, record);
    if (!written) state.SkipWithError("cannot write");
  }
}

// Deleting the entry at `where` of the live part: the front (nothing moves),
// the middle, the end (every live entry before it moves).
void DeleteUpdate(benchmark::State& state, const std::string& dir, const std::string& where) {
  Use(dir);
  if (!Opendata()) state.SkipWithError("cannot load");
  const int64_t first = DeletedCount;
  const int64_t at = where == "front"    ? first
                     : where == "middle" ? first + ActiveCount / 2
                                         : IndexedSlots - 1;
  const IndexEntry entry = NumberIndex[at];
  const std::vector<IndexEntry> saved(NumberIndex + first, NumberIndex + at + 1);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const bool moved = MoveToDeletedRun(entry.number, entry.slot);
    const auto stop = std::chrono::steady_clock::now();
    if (!moved) state.SkipWithError("no entry moved");
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    std::copy(saved.begin(), saved.end(), NumberIndex + first);
  }
}

// Keeps every result's real time per iteration, in seconds, by name: the
// best of a benchmark's repetitions, as the machine's noise only ever adds.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      // The name as registered, without the run's own suffixes
      // ("/iterations:3", "/manual_time").
      std::string name = run.benchmark_name();
      for (const char* suffix : {"/iterations:", "/repeats:", "/manual_time"}) {
        const size_t at = name.find(suffix);
        if (at != std::string::npos) name.erase(at);
      }
      const double t = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      const auto known = seconds.find(name);
      if (known == seconds.end() || t < known->second) seconds[name] = t;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> seconds;
};

std::string Fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

void WriteTable(const std::string& path, const TableReporter& reporter,
                const std::vector<int64_t>& sizes) {
  const auto& t = reporter.seconds;
  const auto get = [&](const std::string& name) {
    const auto found = t.find(name);
    return found == t.end() ? -1.0 : found->second;
  };
  const auto ms = [](double s) { return s < 0 ? std::string("-") : Fixed(s * 1e3, 2); };
  const auto ratio = [](double a, double b) {
    return a < 0 || b <= 0 ? std::string("-") : Fixed(a / b, 2);
  };
  std::ostringstream out;
  out << "# Benchmarks\n\nMade by `make bench` (`scripts/bench.sh`); times are real time per "
         "operation on this machine, page cache warm. The reference is the straightforward "
         "way: one 1874-byte read per record and the straight insertion sort for loading, "
         "the linear walk for lookups, one positioned read per slot for the scan. The floor "
         "is reading the same file sequentially into a page-aligned buffer of 1 MiB and doing "
         "nothing with it. Loading and its floor are the best of five repetitions. A "
         "reference left out (\"-\") would take minutes to hours: the insertion sort is "
         "quadratic.\n\n## Loading (`Opendata`)\n\n"
         "| slots | order | ours ms | floor ms | ours / floor | reference ms | reference / ours |\n"
         "|---:|---|---:|---:|---:|---:|---:|\n";
  for (int64_t n : sizes) {
    for (const char* order : kOrders) {
      const std::string key = std::to_string(n) + "/" + order;
      const double ours = get("load/ours/" + key), floor = get("load/floor/" + key),
                   reference = get("load/reference/" + key);
      if (ours < 0 && floor < 0) continue;  // no inventory of this order at this size
      out << "| " << n << " | " << order << " | " << ms(ours) << " | " << ms(floor) << " | "
          << ratio(ours, floor) << " | " << ms(reference) << " | " << ratio(reference, ours)
          << " |\n";
    }
  }
  out << "\n## Lookup by number: the index walk alone\n\n"
         "| slots | target | ours ns | linear walk ns | linear / ours "
         "|\n|---:|---|---:|---:|---:|\n";
  for (int64_t n : sizes) {
    for (const char* which : {"present", "absent", "largest"}) {
      const std::string key = std::to_string(n) + "/" + which;
      const double ours = get("walk/ours/" + key), linear = get("walk/reference/" + key);
      out << "| " << n << " | " << which << " | " << (ours < 0 ? "-" : Fixed(ours * 1e9, 1))
          << " | " << (linear < 0 ? "-" : Fixed(linear * 1e9, 1)) << " | " << ratio(linear, ours)
          << " |\n";
    }
  }
  out << "\n## Description scan that passes the prefix step on every slot and matches none "
         "(pattern `??#`, random order)\n\n"
         "| slots | ours ms | floor ms | ours / floor | reference ms | reference / ours |\n"
         "|---:|---:|---:|---:|---:|---:|\n";
  for (int64_t n : sizes) {
    const std::string key = std::to_string(n) + "/random";
    const double ours = get("scan/ours/" + key), reference = get("scan/reference/" + key),
                 floor = get("load/floor/" + key);
    out << "| " << n << " | " << ms(ours) << " | " << ms(floor) << " | " << ratio(ours, floor)
        << " | " << ms(reference) << " | " << ratio(reference, ours) << " |\n";
  }
  out << "\n## A delete's index update (random order)\n\n"
         "| slots | front us | middle us | end us |\n|---:|---:|---:|---:|\n";
  for (int64_t n : sizes) {
    out << "| " << n;
    for (const char* where : {"front", "middle", "end"}) {
      const double s = get("delete/" + std::to_string(n) + "/" + where);
      out << " | " << (s < 0 ? "-" : Fixed(s * 1e6, 2));
    }
    out << " |\n";
  }
  const double journalled = get("write/journalled"), plain = get("write/plain");
  out << "\n## An amendment's write (" << sizes.front()
      << " slots): with its journal, and straight into the slot\n\n"
         "Both push what they wrote to the medium before they return. The journalled write\n"
         "reads the slot's window to check it still holds the record shown, overwrites\n"
         "film.jnl in place and flushes it, writes and flushes the slot, then marks the\n"
         "journal done without a flush: two flushes, and no change to the folder.\n\n"
         "| journalled us | straight us | journalled / straight |\n|---:|---:|---:|\n"
      << "| " << (journalled < 0 ? "-" : Fixed(journalled * 1e6, 1)) << " | "
      << (plain < 0 ? "-" : Fixed(plain * 1e6, 1)) << " | " << ratio(journalled, plain) << " |\n";
  std::ofstream(path) << out.str();
}

}  // namespace

int main(int argc, char** argv) {
  std::string data, table;
  std::vector<int64_t> sizes = {10000, 100000, 1000000};
  std::vector<char*> rest = {argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--data" && i + 1 < argc) {
      data = argv[++i];
    } else if (arg == "--table" && i + 1 < argc) {
      table = argv[++i];
    } else if (arg == "--sizes" && i + 1 < argc) {
      sizes.clear();
      std::stringstream list(argv[++i]);
      for (std::string item; std::getline(list, item, ',');) sizes.push_back(std::stoll(item));
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (data.empty()) {
    std::fprintf(stderr, "usage: tallo_bench --data DIR [--sizes N,...] [--table FILE]\n");
    return 2;
  }

  for (int64_t n : sizes) {
    const std::string random = DataDir(data, n, "random");
    const int loadRepeats = n >= 1000000 ? 3 : 10;
    for (const char* order : kOrders) {
      const std::string dir = DataDir(data, n, order), key = std::to_string(n) + "/" + order;
      if (!Exists(dir)) continue;  // the largest size comes in random order only
      benchmark::RegisterBenchmark(("load/ours/" + key).c_str(), Load, dir, false)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(loadRepeats)
          ->Repetitions(5);
      benchmark::RegisterBenchmark(("load/floor/" + key).c_str(), ReadFloor, dir)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(loadRepeats)
          ->Repetitions(5);
      if (n <= kReferenceSortLimit || std::string(order) == "ascending") {
        benchmark::RegisterBenchmark(("load/reference/" + key).c_str(), Load, dir, true)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(n >= 100000 ? 1 : 3);
      }
    }
    for (const char* which : {"present", "absent", "largest"}) {
      const std::string key = std::to_string(n) + "/" + which;
      benchmark::RegisterBenchmark(("walk/ours/" + key).c_str(), Walk, random, which, false);
      benchmark::RegisterBenchmark(("walk/reference/" + key).c_str(), Walk, random, which, true)
          ->Unit(benchmark::kMicrosecond);
    }
    const std::string key = std::to_string(n) + "/random";
    benchmark::RegisterBenchmark(("scan/ours/" + key).c_str(), Scan, random, false)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(loadRepeats);
    benchmark::RegisterBenchmark(("scan/reference/" + key).c_str(), Scan, random, true)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(n >= 1000000 ? 1 : 3);
    for (const char* where : {"front", "middle", "end"}) {
      benchmark::RegisterBenchmark(("delete/" + std::to_string(n) + "/" + where).c_str(),
                                   DeleteUpdate, random, where)
          ->UseManualTime()
          ->Unit(benchmark::kMicrosecond);
    }
  }

  const std::string writes = DataDir(data, sizes.front(), "random");
  benchmark::RegisterBenchmark("write/journalled", Write, writes, true)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("write/plain", Write, writes, false)->Unit(benchmark::kMicrosecond);

  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (!table.empty()) WriteTable(table, reporter, sizes);
  ResetProcessState();
  return 0;
}
