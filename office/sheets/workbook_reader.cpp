#include "office/sheets/workbook_reader.h"

#include <expat.h>
#include <minizip/unzip.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "office/listener.h"
#include "office/sheets/civil_date.h"
#include "office/sheets/sheet_reader.h"
#include "office/sheets/string_table.h"
#include "office/sheets/zip_reader.h"
#include "platform/utf8.h"

namespace {

// The local name of an element or attribute, without its prefix ("x:c" is
// "c"): the parts are read by local names, whatever namespace a
// spreadsheet's writer gave them (a namespace's resolution would cost a
// fifth of the parse).
std::string_view Local(const XML_Char* name) {
  const char* local = name;
  const char* end = name;
  for (; *end != '\0'; ++end) {
    if (*end == ':') local = end + 1;
  }
  return std::string_view(local, static_cast<size_t>(end - local));
}

const XML_Char* Attribute(const XML_Char** attributes, std::string_view name) {
  for (; *attributes != nullptr; attributes += 2) {
    if (Local(attributes[0]) == name) return attributes[1];
  }
  return nullptr;
}

// A text with the workbook's escapes undone: "_xHHHH_" stands for the
// character HHHH (a control character, or "_" itself as _x005F_).
void AppendUnescaped(std::string_view text, std::string* out) {
  for (size_t i = 0; i < text.size(); ++i) {
    // Up to the next underscore, in one piece.
    const size_t underscore = text.find('_', i);
    if (underscore == std::string_view::npos) {
      out->append(text.substr(i));
      return;
    }
    out->append(text.substr(i, underscore - i));
    i = underscore;
    if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_') {
      unsigned code = 0;
      bool hex = true;
      for (size_t k = i + 2; k < i + 6 && hex; ++k) {
        const char c = text[k];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        hex = digit >= 0;
        code = code * 16 + static_cast<unsigned>(digit);
      }
      if (hex) {
        // As UTF-8; a surrogate stays as it was written.
        if (code < 0x80) {
          *out += static_cast<char>(code);
        } else if (code < 0x800) {
          *out += static_cast<char>(0xC0 | code >> 6);
          *out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0xD800 || code > 0xDFFF) {
          *out += static_cast<char>(0xE0 | code >> 12);
          *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
          *out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
          out->append(text.substr(i, 7));
        }
        i += 6;
        continue;
      }
    }
    *out += text[i];
  }
}

// Whether a number format shows its number as a date or a time: the
// built-in ones that do, and a format of one's own with a date or time
// part outside its quoted texts and brackets.
bool IsDateFormat(unsigned id, const std::string& code) {
  if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
      (id >= 50 && id <= 58) || (id >= 71 && id <= 81)) {
    return true;
  }
  if (code.empty()) return false;
  bool quoted = false;
  int bracket = 0;
  for (size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (quoted) {
      quoted = c != '"';
    } else if (c == '"') {
      quoted = true;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;
    } else if (c == '[') {
      ++bracket;
    } else if (c == ']') {
      bracket = bracket > 0 ? bracket - 1 : 0;
    } else if (bracket == 0) {
      switch (c) {
        case 'd':
        case 'D':
        case 'm':
        case 'M':
        case 'y':
        case 'Y':
        case 'h':
        case 'H':
        case 's':
        case 'S':
          return true;
        case '@':
          return false;
        default:
          break;
      }
    }
  }
  return false;
}

// The date a spreadsheet's day number stands for, as YYYY-MM-DD; "" when
// it stands for none.
std::string DateOf(double serial, bool from1904) {
  if (!std::isfinite(serial) || serial < 0 || serial >= 2958466) return "";
  long days = static_cast<long>(std::floor(serial));
  // Days since 1970-01-01: 1900's day 1 is 1900-01-01, and its day 60 the
  // 29 February 1900 that never was.
  if (from1904) {
    days += 1462;  // its day 0, 1904-01-01, is 1900's day 1462
  } else {
    if (days == 60) return "1900-02-29";
    if (days < 60) ++days;
  }
  days -= 25569;
  const CivilDate date = CivilDateOf(days);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

// The column of a cell reference ("D7": 3), or -1.
long ColumnOf(const char* reference) {
  long column = 0;
  size_t letters = 0;
  for (; reference[letters] >= 'A' && reference[letters] <= 'Z'; ++letters) {
    column = column * 26 + (reference[letters] - 'A' + 1);
    if (column > 16384) return -1;
  }
  return letters == 0 ? -1 : column - 1;
}

// A row's cells may hold this much text together, its shared strings too.
constexpr size_t kLongestRow = size_t{16} << 20;
// No element, attribute or comment of a part comes near this, nor its
// elements this deep: expat would hold either whole.
constexpr int64_t kLongestToken = int64_t{4} << 20;
constexpr int kDeepest = 64;
constexpr long kLastRow = kLastSheetRow;

// What a workbook's zip and parts may be: a workbook holds a few dozen
// entries; its relationships, workbook and styles are small; a sheet of
// the largest inventory inflates to well under a gigabyte.
constexpr uint64_t kMostEntries = 10000;
constexpr uint64_t kLargestPart = uint64_t{1} << 25;
constexpr uint64_t kLargestSharedStringsPart = uint64_t{1} << 29;
constexpr uint64_t kLargestSheetPart = uint64_t{1} << 30;
// No cell that names a shared string takes fewer bytes of its sheet
// (<c t="s"><v>0</v></c>).
constexpr uint64_t kShortestSharedCell = 20;

// Why the file beside a workbook that takes its shared strings failed.
std::string SpillCause(platform::FileError why) {
  const std::string words = CauseWords(why);
  return words.empty() ? "a file there cannot be written" : words;
}

}  // namespace

// What is read of the workbook: the zip, its sheets and the parser of the
// current part.
struct WorkbookReader::Parts {
  unzFile zip = nullptr;
  struct Sheet {
    std::string name, part;
    bool hidden = false;
  };
  std::vector<Sheet> sheets;
  size_t next = 0;
  std::string sheet;  // the current sheet's name
  bool from1904 = false;
  std::vector<bool> dateStyle;  // by style index
  // The shared strings, each cut at kLongestCell + 1 bytes: a cell of a
  // longer one is refused. No more of them than the sheets have cells.
  std::unique_ptr<StringTable> strings;
  uint64_t mostStrings = 0;
  std::string copies;  // a row's shared strings that lie outside memory
  struct Copied {
    size_t column, at, size;
  };
  std::vector<Copied> copied;
  std::string string;  // the one being read

  // The part being parsed, and its inflate ahead of the parse.
  XML_Parser parser = nullptr;
  InflatedEntry inflating;
  bool partDone = false;
  uint64_t fed = 0;    // bytes of the part given to the parser
  int64_t parsed = 0;  // where its last token parsed starts
  int depth = 0;       // elements open
  std::string problem;

  // What the parse of a sheet has found so far: a row's cells with text,
  // each in its own text or the shared strings, as many as there are
  // (however far the last stands).
  struct Cell {
    uint32_t column;
    bool shared;  // `at` is the shared string's index, else its place in the text
    size_t at, size;
  };
  struct Row {
    uint32_t number = 0;
    std::string text;
    std::vector<Cell> cells;
    size_t bytes = 0;    // of its cells' texts together
    uint32_t width = 0;  // past its last cell, with text or none
    std::vector<CellWithoutValue> withoutValue;
  };
  Row building;
  bool inRow = false, inCell = false, inValue = false, inText = false;
  int phonetic = 0;  // depth inside a phonetic run, whose text is no part
  long column = -1;
  // The cell's type: 's' shared string, 'i' inline string, 'S' a formula's
  // string, 'b' boolean, 'd' date, 'n' number, 'e' error, 'o' another; 0
  // once the cell is known to hold no value.
  char type = 'n';
  std::string value;
  size_t style = 0;
  bool formula = false;  // the cell has a formula
  int values = 0;        // its values: <v> elements and inline strings

  // A sheet is inflated and parsed on a thread of its own while the caller
  // takes its rows, which go over in batches: each batch's rows are kept
  // and filled again, so that a sheet of any length takes a few batches.
  struct Batch {
    std::vector<Row> rows;
    size_t count = 0;
  };
  static constexpr size_t kBatchRows = 256;
  static constexpr size_t kMostBatches = 4;
  std::unique_ptr<Batch> filling;  // the reading thread's
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::unique_ptr<Batch>> full;
  std::vector<std::unique_ptr<Batch>> spare;
  bool sheetRead = false;  // the thread is done: `problem` says whether whole
  std::atomic<bool> stopReading{false};
  std::thread reader;
  std::unique_ptr<Batch> taken;  // NextRow's, and the row it hands out next
  size_t takenAt = 0;

  // Where each entry stands, by its name in small letters (names are
  // looked up whatever their capitals), and the entry being read.
  ZipIndex index;
  std::unique_ptr<ZipEntryReader> entry;
  // The problem names its own place (the file's entry, a cell): no sheet's
  // name goes before it.
  bool fileProblem = false;

  ~Parts() {
    StopReading();
    EndPart();
    entry.reset();
    if (zip != nullptr) unzClose(zip);
  }

  // The reading thread's loop over a sheet: the rows made by each chunk
  // go over once a batch is full, and the rest at the sheet's end.
  void ReadSheet(const std::string& part) {
    while (!stopReading && Feed(part)) {
      if (filling->count >= kBatchRows && !Hand(/*last=*/false)) return;
    }
    Hand(/*last=*/true);
  }
  // Hands the filled batch over and takes an empty one, waiting while the
  // caller has enough: false when told to stop.
  bool Hand(bool last) {
    std::unique_lock<std::mutex> lock(mutex);
    if (filling->count > 0) full.push_back(std::move(filling));
    if (last) sheetRead = true;
    changed.notify_all();
    if (last) return true;
    changed.wait(lock, [&] { return stopReading || full.size() < kMostBatches; });
    if (stopReading) return false;
    if (spare.empty()) {
      filling = std::make_unique<Batch>();
    } else {
      filling = std::move(spare.back());
      spare.pop_back();
    }
    filling->count = 0;
    return true;
  }
  // Ends the reading of a sheet, done or not.
  void StopReading() {
    if (!reader.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopReading = true;
    }
    changed.notify_all();
    reader.join();
  }
  // The row the reading thread made, into the batch.
  void KeepRow() {
    Batch& b = *filling;
    if (b.count == b.rows.size()) b.rows.emplace_back();
    std::swap(b.rows[b.count++], building);
    building.text.clear();
    building.cells.clear();
    building.bytes = 0;
    building.width = 0;
    building.withoutValue.clear();
  }
  void EndPart() {
    inflating.Stop();
    if (parser != nullptr) XML_ParserFree(parser);
    parser = nullptr;
    if (entry) entry->Close();
  }
  void Stop(const std::string& why) {
    if (problem.empty()) problem = why;
    XML_StopParser(parser, XML_FALSE);
  }
  void Unread(ZipEntryReader::Outcome outcome, const std::string& name) {
    if (!problem.empty()) return;
    problem = WhyEntryUnread(outcome, name);
    fileProblem = true;
  }
  const unz64_file_pos* Find(const std::string& name) const {
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto at = index.find(key);
    return at == index.end() ? nullptr : &at->second;
  }

  // Starts the streamed parse of part `name`, which may inflate to `most`
  // bytes, with the handlers of `T`: false when it is missing (`*missing`)
  // or cannot be read.
  template <typename T>
  bool StartPart(const std::string& name, uint64_t most, bool* missing = nullptr) {
    EndPart();
    if (missing != nullptr) *missing = false;
    const unz64_file_pos* at = Find(name);
    if (at == nullptr) {
      if (missing != nullptr) *missing = true;
      problem = name + " is missing";
      return false;
    }
    // A part is read twice: whole, to know it undamaged, before a row of
    // it is taken.
    const ZipEntryReader::Outcome checked = entry->Check(*at, most);
    const ZipEntryReader::Outcome opened =
        checked == ZipEntryReader::Outcome::kEnd ? entry->Open(*at, most) : checked;
    if (opened != ZipEntryReader::Outcome::kRead) {
      Unread(opened, name);
      return false;
    }
    partDone = false;
    fed = 0;
    parsed = 0;
    depth = 0;
    if (!inflating.Start(entry.get())) {
      problem = name + " cannot be read: no thread can be started to inflate it";
      return false;
    }
    parser = NewParser();
    XML_SetElementHandler(parser, Nested<T>::Start, Nested<T>::End);
    XML_SetCharacterDataHandler(parser, T::Text);
    return true;
  }
  // The handlers of `T`, with the depth of the elements open counted.
  template <typename T>
  struct Nested {
    static void Start(void* data, const XML_Char* name, const XML_Char** attributes) {
      if (++Of(data).depth > kDeepest)
        return Of(data).Stop("elements nested deeper than any workbook's");
      T::Start(data, name, attributes);
    }
    static void End(void* data, const XML_Char* name) {
      --Of(data).depth;
      T::End(data, name);
    }
  };

  // Feeds the next chunk of the current part to its parser: false at its
  // end or on a problem.
  bool Feed(const std::string& name) {
    if (partDone || !problem.empty()) return false;
    std::string_view chunk;
    partDone = !inflating.Next(&chunk);
    if (partDone && inflating.damaged()) {
      Unread(inflating.outcome(), name);
      return false;
    }
    const size_t got = chunk.size();
    if (XML_Parse(parser, chunk.data(), static_cast<int>(got), partDone) != XML_STATUS_OK &&
        problem.empty()) {
      problem = name + ": " + XML_ErrorString(XML_GetErrorCode(parser)) + " at line " +
                std::to_string(XML_GetCurrentLineNumber(parser));
    }
    // The parser holds what it has not parsed yet: a token it is still
    // reading, which grows as long as the part makes it.
    // (expat tells no place when it only took the bytes in.)
    fed += got;
    parsed = std::max<int64_t>(parsed, XML_GetCurrentByteIndex(parser));
    if (problem.empty() && static_cast<int64_t>(fed) - parsed > kLongestToken) {
      problem = name + ": an element longer than any a workbook holds";
    }
    return problem.empty() && !partDone;
  }

  // Parses part `name` to its end with the handlers of `T`.
  template <typename T>
  bool ParsePart(const std::string& name, uint64_t most, bool* missing = nullptr) {
    if (!StartPart<T>(name, most, missing)) return false;
    while (Feed(name)) {
    }
    EndPart();
    return problem.empty();
  }

  // A parser that refuses a document type, which no workbook part has
  // (entities are what zip bombs of XML are made of).
  XML_Parser NewParser() {
    XML_Parser p = XML_ParserCreate(nullptr);
    XML_SetUserData(p, this);
    XML_SetStartDoctypeDeclHandler(
        p, [](void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
          static_cast<Parts*>(self)->Stop("a document type, which no workbook has");
        });
    return p;
  }

  static Parts& Of(void* data) { return *static_cast<Parts*>(data); }

  // The parts read whole: the package's relationships, the workbook's, the
  // workbook and its styles.
  struct Targets {  // Relationship Id -> Target, and the main document's
    std::map<std::string, std::string> byId;
    std::string officeDocument;
  } targets;
  struct Relationships {
    static void Start(void* data, const XML_Char* name, const XML_Char** attributes) {
      if (Local(name) != "Relationship") return;
      const XML_Char* id = Attribute(attributes, "Id");
      const XML_Char* target = Attribute(attributes, "Target");
      const XML_Char* type = Attribute(attributes, "Type");
      if (id == nullptr || target == nullptr) return;
      Of(data).targets.byId[id] = target;
      if (type != nullptr && std::string_view(type).size() >= 14 &&
          std::string_view(type).substr(std::string_view(type).size() - 14) == "officeDocument") {
        Of(data).targets.officeDocument = target;
      }
    }
    static void End(void*, const XML_Char*) {}
    static void Text(void*, const XML_Char*, int) {}
  };
  struct SheetId {
    std::string name, relationship;
    bool hidden;
  };
  std::vector<SheetId> sheetIds;
  struct Book {
    static void Start(void* data, const XML_Char* name, const XML_Char** attributes) {
      const std::string_view local = Local(name);
      if (local == "sheet") {
        const XML_Char* sheetName = Attribute(attributes, "name");
        // The relationship id is the attribute "id" of the relationships'
        // namespace: the sheet's own "sheetId" is no such.
        const XML_Char* id = nullptr;
        for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
          if (Local(a[0]) == "id" && std::strchr(a[0], ':') != nullptr) id = a[1];
        }
        const XML_Char* state = Attribute(attributes, "state");
        const bool hidden = state != nullptr && (std::strcmp(state, "hidden") == 0 ||
                                                 std::strcmp(state, "veryHidden") == 0);
        if (sheetName != nullptr && id != nullptr) {
          Of(data).sheetIds.push_back({sheetName, id, hidden});
        }
      } else if (local == "workbookPr") {
        const XML_Char* date1904 = Attribute(attributes, "date1904");
        Of(data).from1904 = date1904 != nullptr &&
                            (std::strcmp(date1904, "1") == 0 || std::strcmp(date1904, "true") == 0);
      }
    }
    static void End(void*, const XML_Char*) {}
    static void Text(void*, const XML_Char*, int) {}
  };
  std::map<unsigned, std::string> formats;  // numFmtId -> formatCode
  std::vector<unsigned> xfFormats;          // by style index: numFmtId
  bool inCellXfs = false;
  struct Styles {
    static void Start(void* data, const XML_Char* name, const XML_Char** attributes) {
      Parts& p = Of(data);
      const std::string_view local = Local(name);
      if (local == "numFmt") {
        const XML_Char* id = Attribute(attributes, "numFmtId");
        const XML_Char* code = Attribute(attributes, "formatCode");
        if (id != nullptr && code != nullptr) p.formats[std::strtoul(id, nullptr, 10)] = code;
      } else if (local == "cellXfs") {
        p.inCellXfs = true;
      } else if (local == "xf" && p.inCellXfs) {
        const XML_Char* id = Attribute(attributes, "numFmtId");
        p.xfFormats.push_back(id == nullptr ? 0 : std::strtoul(id, nullptr, 10));
      }
    }
    static void End(void* data, const XML_Char* name) {
      if (Local(name) == "cellXfs") Of(data).inCellXfs = false;
    }
    static void Text(void*, const XML_Char*, int) {}
  };

  // The shared strings: the text of each <si>, its runs one after another,
  // a phonetic run's left out.
  struct SharedStrings {
    static void Start(void* data, const XML_Char* name, const XML_Char**) {
      Parts& p = Of(data);
      const std::string_view local = Local(name);
      if (local == "rPh") ++p.phonetic;
      if (local == "si") p.string.clear();
      if (local == "t" && p.phonetic == 0) {
        p.inText = true;
        p.value.clear();
      }
    }
    static void End(void* data, const XML_Char* name) {
      Parts& p = Of(data);
      const std::string_view local = Local(name);
      if (local == "rPh") --p.phonetic;
      if (local == "t" && p.inText) {
        p.inText = false;
        AppendUnescaped(p.value, &p.string);
        // What a cell may hold, and one byte to tell it is longer.
        if (p.string.size() > kLongestCell) p.string.resize(kLongestCell + 1);
      }
      if (local != "si") return;
      if (p.strings->size() >= p.mostStrings) {
        if (p.problem.empty()) p.fileProblem = true;
        p.Stop("holds more shared strings than its sheets have cells (" +
               std::to_string(p.strings->size()) + " and more)");
      } else if (!p.strings->Add(p.string)) {
        if (p.problem.empty()) p.fileProblem = true;
        p.Stop(
            "holds more shared strings than fit in memory, and the rest cannot be put "
            "beside it (" +
            SpillCause(p.strings->cause()) + "): copy it into a folder you may write to");
      }
    }
    static void Text(void* data, const XML_Char* text, int size) {
      Parts& p = Of(data);
      // Beyond the longest cell (and an escape), the text is no cell's.
      if (p.inText && p.value.size() <= kLongestCell + 8) {
        p.value.append(text, static_cast<size_t>(size));
      }
    }
  };

  // A sheet's rows, a cell at a time: each element told by its local
  // name, each attribute looked at once.
  struct SheetData {
    static void Start(void* data, const XML_Char* name, const XML_Char** attributes) {
      Parts& p = Of(data);
      const std::string_view local = Local(name);
      if (local == "c" && p.inRow) {
        const XML_Char *r = nullptr, *type = nullptr, *style = nullptr;
        for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
          const std::string_view attribute = Local(a[0]);
          if (attribute.size() != 1) continue;
          if (attribute[0] == 'r') r = a[1];
          if (attribute[0] == 't') type = a[1];
          if (attribute[0] == 's') style = a[1];
        }
        const long column = r != nullptr ? ColumnOf(r) : p.column + 1;
        if (column <= p.column) return p.Stop("a cell out of its order in row " + p.RowText());
        p.column = column;
        p.type = TypeOf(type);
        p.style = style == nullptr ? 0 : std::strtoul(style, nullptr, 10);
        p.value.clear();
        p.formula = false;
        p.values = 0;
        p.inCell = true;
      } else if (p.inCell && local == "f") {
        p.formula = true;
      } else if (p.inCell && (local == "v" || local == "is")) {
        ++p.values;
        p.inValue = local == "v";
      } else if (p.inCell && local == "t" && p.phonetic == 0) {
        p.inValue = true;
      } else if (p.inCell && local == "rPh") {
        ++p.phonetic;
      } else if (local == "row") {
        const XML_Char* r = Attribute(attributes, "r");
        const long number = r != nullptr ? std::strtol(r, nullptr, 10) : p.building.number + 1;
        if (number > kLastRow) {
          return p.Stop("row " + std::to_string(number) + " is past a sheet's last row, " +
                        std::to_string(kLastRow));
        }
        if (number <= static_cast<long>(p.building.number)) {
          return p.Stop("row " + std::to_string(number) + " out of its order");
        }
        p.inRow = true;
        p.building.number = static_cast<uint32_t>(number);
        p.building.text.clear();
        p.building.cells.clear();
        p.building.bytes = 0;
        p.building.width = 0;
        p.building.withoutValue.clear();
        p.column = -1;
      }
    }
    static void End(void* data, const XML_Char* name) {
      Parts& p = Of(data);
      const std::string_view local = Local(name);
      if (local == "v" || local == "t") {
        p.inValue = false;
      } else if (local == "c" && p.inCell) {
        p.inCell = false;
        p.EndCell();
      } else if (local == "rPh") {
        --p.phonetic;
      } else if (local == "row" && p.inRow) {
        p.inRow = false;
        bool any = false;
        for (const Cell& cell : p.building.cells) any = any || cell.size > 0 || cell.shared;
        const uint32_t number = p.building.number;
        if (any || !p.building.withoutValue.empty()) p.KeepRow();
        p.building.number = number;  // the next row's must be past it
      }
    }
    static void Text(void* data, const XML_Char* text, int size) {
      Parts& p = Of(data);
      if (!p.inValue) return;
      p.value.append(text, static_cast<size_t>(size));
      if (p.value.size() > kLongestCell) p.TooLong();
    }
    static char TypeOf(const XML_Char* type) {
      if (type == nullptr) return 'n';
      const std::string_view t = type;
      if (t == "s" || t == "b" || t == "d" || t == "n") return t[0];
      if (t == "inlineStr") return 'i';
      if (t == "str") return 'S';
      return t == "e" ? 'e' : 'o';
    }
  };

  std::string RowText() const { return std::to_string(building.number); }
  static std::string TooLongRow(uint32_t row) {
    return "row " + std::to_string(row) + " holds more text than any row of a stock's sheet";
  }
  std::string TooLongCell(uint32_t row, size_t column) const {
    return WorkbookReader::CellName(sheet, row, column) +
           " holds more text than any cell of a stock's sheet, " + std::to_string(kLongestCell) +
           " bytes";
  }
  void TooLong() {
    if (problem.empty()) fileProblem = true;
    Stop(TooLongCell(building.number, static_cast<size_t>(column)));
  }

  // Whether the cell just read holds no value, and then why, in `*cell`.
  bool WithoutValue(CellWithoutValue* cell) const {
    using Kind = CellWithoutValue::Kind;
    cell->column = static_cast<size_t>(column);
    if (type == 'e') {
      cell->kind = Kind::kError;
      cell->code = value.substr(0, 16);  // an error's code is short (#DIV/0!, #N/A)
    } else if (values > 1) {
      cell->kind = Kind::kTwoValues;
    } else if (formula && values == 0) {
      cell->kind = Kind::kNoValueYet;
    } else {
      return false;
    }
    return true;
  }

  // The text of the cell just read, by its type, onto the row's; a cell
  // without a value is "" there, and listed apart.
  void EndCell() {
    std::string& out = building.text;
    const size_t at = out.size();
    CellWithoutValue none;
    if (WithoutValue(&none)) {
      building.withoutValue.push_back(std::move(none));
      type = 0;  // nothing of it goes onto the row
    }
    switch (type) {
      case 0:
        break;
      case 's': {
        char* end = nullptr;
        const unsigned long index = std::strtoul(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || index >= strings->size()) {
          return Stop("a cell of row " + RowText() + " names no shared string");
        }
        // Its text is looked up, and its length told, as the row is taken.
        return Take({static_cast<uint32_t>(column), true, index, 0});
      }
      case 'i':
      case 'S':
        AppendUnescaped(value, &out);
        break;
      case 'b':
        out += value == "1" ? "TRUE" : value == "0" ? "FALSE" : value;
        break;
      case 'd':
        out.append(value, 0, 10);
        break;
      default: {  // a number, or an error's code
        const size_t first = value.find_first_not_of(' ');
        if (first == std::string::npos) break;
        const std::string_view text(value.data() + first, value.find_last_not_of(' ') + 1 - first);
        if (type == 'n' && style < dateStyle.size() && dateStyle[style]) {
          char* end = nullptr;
          const double serial = std::strtod(value.c_str() + first, &end);
          const std::string date =
              end == value.c_str() + first + text.size() ? DateOf(serial, from1904) : "";
          if (!date.empty()) {
            out += date;
            break;
          }
        }
        out.append(text);
      }
    }
    Take({static_cast<uint32_t>(column), false, at, out.size() - at});
  }
  void Take(const Cell& cell) {
    if (cell.size > kLongestCell) return TooLong();
    building.width = cell.column + 1;
    building.bytes += cell.size;
    if (building.bytes > kLongestRow) {
      return Stop(TooLongRow(building.number));
    }
    if (cell.size > 0 || cell.shared) building.cells.push_back(cell);
  }
};

WorkbookReader::~WorkbookReader() = default;

std::string WorkbookReader::CellName(const std::string& sheet, uint32_t row, size_t column) {
  const std::string letters = ColumnLetters(column);
  // A sheet's name is quoted where it holds more than letters and digits.
  bool plain = !sheet.empty();
  for (char c : sheet) plain = plain && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
  const std::string shown = plain ? sheet : "'" + sheet + "'";
  return shown + "!" + letters + std::to_string(row);
}

bool WorkbookReader::Fail(const std::string& why) {
  if (error_.empty()) error_ = why;
  return false;
}

std::unique_ptr<WorkbookReader> WorkbookReader::Open(const std::string& path, std::string* why) {
  std::unique_ptr<WorkbookReader> reader(new WorkbookReader);
  reader->parts_ = std::make_unique<Parts>();
  Parts& p = *reader->parts_;
  p.zip = OpenZipToRead(path);
  if (p.zip == nullptr) {
    *why = "is no workbook: its zip cannot be read";
    return nullptr;
  }
  uint64_t entries = 0;
  if (!IndexZip(p.zip, kMostEntries, &p.index, &entries)) {
    *why = entries > kMostEntries
               ? "is no workbook of a stock: it holds " + std::to_string(entries) +
                     " entries, and a workbook holds a few"
               : "is no workbook: its zip cannot be read";
    return nullptr;
  }
  p.entry = std::make_unique<ZipEntryReader>(p.zip);
  const auto failed = [&p, why](bool missing) {
    *why = p.fileProblem ? p.problem
           : missing     ? "is no workbook (" + p.problem + ")"
                         : "is damaged: " + p.problem;
    return nullptr;
  };
  // The workbook, as the package's relationships name it.
  bool missing = false;
  std::string book = "xl/workbook.xml";
  if (p.ParsePart<Parts::Relationships>("_rels/.rels", kLargestPart, &missing) &&
      !p.targets.officeDocument.empty()) {
    book = p.targets.officeDocument;
    if (!book.empty() && book[0] == '/') book.erase(0, 1);
  }
  if (p.fileProblem) return failed(false);
  p.problem.clear();
  const std::string folder = book.substr(0, book.find_last_of('/') + 1);
  const std::string rels = folder + "_rels/" + book.substr(folder.size()) + ".rels";
  p.targets.byId.clear();
  if (!p.ParsePart<Parts::Book>(book, kLargestPart, &missing) ||
      !p.ParsePart<Parts::Relationships>(rels, kLargestPart, &missing)) {
    return failed(missing);
  }
  for (const Parts::SheetId& sheet : p.sheetIds) {
    const auto target = p.targets.byId.find(sheet.relationship);
    if (target == p.targets.byId.end() || target->second.empty()) continue;
    std::string part = target->second;
    part = part[0] == '/' ? part.substr(1) : folder + part;
    p.sheets.push_back({sheet.name, part, sheet.hidden});
  }
  // Styles and shared strings, when the workbook has them.
  if (p.ParsePart<Parts::Styles>(folder + "styles.xml", kLargestPart, &missing)) {
    for (unsigned id : p.xfFormats) {
      const auto code = p.formats.find(id);
      p.dateStyle.push_back(IsDateFormat(id, code == p.formats.end() ? "" : code->second));
    }
  } else if (!missing) {
    return failed(false);
  }
  p.problem.clear();
  // The shared strings: no more than the sheets, as the zip states their
  // sizes, can have cells; what memory does not take goes beside the file.
  for (const Parts::Sheet& sheet : p.sheets) {
    const unz64_file_pos* at = p.Find(sheet.part);
    unz_file_info64 info{};
    if (at != nullptr && unzGoToFilePos64(p.zip, at) == UNZ_OK &&
        unzGetCurrentFileInfo64(p.zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK) {
      p.mostStrings +=
          std::min<uint64_t>(info.uncompressed_size, kLargestSheetPart) / kShortestSharedCell;
    }
  }
  std::wstring wide;
  p.strings = std::make_unique<StringTable>(WideFromUtf8(path, &wide) ? wide : std::wstring());
  const std::string shared = folder + "sharedStrings.xml";
  if (!p.ParsePart<Parts::SharedStrings>(shared, kLargestSharedStringsPart, &missing) && !missing) {
    return failed(false);
  }
  p.problem.clear();
  return reader;
}

bool WorkbookReader::NextSheet(std::string* name) {
  Parts& p = *parts_;
  if (!error_.empty() || p.next >= p.sheets.size()) return false;
  const Parts::Sheet& sheet = p.sheets[p.next++];
  p.StopReading();  // what is left of the sheet before
  p.full.clear();
  p.taken.reset();
  p.sheetRead = false;
  p.stopReading = false;
  p.building = Parts::Row{};
  p.inRow = p.inCell = p.inValue = false;
  p.phonetic = 0;
  p.sheet = sheet.name;
  widest_ = kMostSheetColumns;
  if (!p.StartPart<Parts::SheetData>(sheet.part, kLargestSheetPart)) {
    return Fail(p.fileProblem ? p.problem : sheet.name + ": " + p.problem);
  }
  p.sheet = sheet.name;
  p.filling = std::make_unique<Parts::Batch>();
  try {
    p.reader = std::thread([&p, part = sheet.part] { p.ReadSheet(part); });
  } catch (const std::system_error&) {
    return Fail(sheet.name + ": no thread can be started to read it");
  }
  *name = sheet.name;
  return true;
}

bool WorkbookReader::SheetHidden() const {
  const Parts& p = *parts_;
  return p.next > 0 && p.sheets[p.next - 1].hidden;
}

bool WorkbookReader::NextRow(WorkbookRow* row) {
  Parts& p = *parts_;
  // A row whose shared strings are all empty holds no more than one
  // without cells, and is passed over as that is.
  for (bool held = false; !held;) {
    if (!error_.empty() || !p.reader.joinable()) return false;
    held = TakeRow(row);
  }
  return true;
}

bool WorkbookReader::TakeRow(WorkbookRow* row) {
  Parts& p = *parts_;
  if (p.taken == nullptr || p.takenAt == p.taken->count) {
    std::unique_lock<std::mutex> lock(p.mutex);
    if (p.taken != nullptr) p.spare.push_back(std::move(p.taken));
    p.changed.wait(lock, [&] { return !p.full.empty() || p.sheetRead; });
    // The rows before a problem are the sheet's; the problem is told
    // where they end.
    if (p.full.empty()) {
      lock.unlock();
      p.reader.join();
      if (p.problem.empty()) return false;
      return Fail(p.fileProblem ? p.problem : p.sheet + ": " + p.problem);
    }
    p.taken = std::move(p.full.front());
    p.full.pop_front();
    p.takenAt = 0;
    lock.unlock();
    p.changed.notify_all();  // room for another batch
  }
  const Parts::Row& current = p.taken->rows[p.takenAt++];
  row->row = current.number;
  // Past the caller's widest column, the first cell stands for them all.
  const size_t widest = widest_;
  row->withoutValue.clear();
  for (CellWithoutValue cell : current.withoutValue) {
    if (cell.column > widest) {
      if (!row->withoutValue.empty() && row->withoutValue.back().column == widest) continue;
      cell.column = widest;
    }
    row->withoutValue.push_back(std::move(cell));
  }
  row->cells.assign(std::min<size_t>(current.width, widest + 1), {});
  // A shared string that lies outside memory is copied for the row: its
  // view is made once the row's copies are all there.
  p.copies.clear();
  p.copied.clear();
  size_t bytes = current.bytes;
  bool held = !current.withoutValue.empty();
  for (const Parts::Cell& cell : current.cells) {
    const size_t column = std::min<size_t>(cell.column, widest);
    if (column == widest && !row->cells[widest].empty()) break;
    std::string_view text;
    if (!cell.shared) {
      text = std::string_view(current.text.data() + cell.at, cell.size);
    } else {
      size_t copiedAt = std::string::npos;
      if (!p.strings->Get(cell.at, &p.copies, &text, &copiedAt)) {
        return Fail("its shared strings cannot be read back from beside it (" +
                    SpillCause(p.strings->cause()) + ")");
      }
      if (text.size() > kLongestCell) return Fail(p.TooLongCell(current.number, cell.column));
      bytes += text.size();
      if (bytes > kLongestRow) return Fail(p.sheet + ": " + Parts::TooLongRow(current.number));
      if (copiedAt != std::string::npos) p.copied.push_back({column, copiedAt, text.size()});
    }
    row->cells[column] = text;
    held = held || !text.empty();
    if (column == widest && !text.empty()) break;
  }
  for (const Parts::Copied& copy : p.copied) {
    row->cells[copy.column] = std::string_view(p.copies.data() + copy.at, copy.size);
  }
  return held;
}
