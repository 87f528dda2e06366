#include "office/sheets/ods_reader.h"

#include <expat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "office/sheets/workbook_reader.h"
#include "office/sheets/zip_reader.h"

namespace {

// The namespaces of the elements and attributes read. The parse leaves
// namespaces to this reader (resolving every name would cost expat half
// its time over a sheet): each prefix a document declares (xmlns:table=...)
// is noted with the namespace it stands for.
enum class Ns { kTable, kOffice, kText, kCalcExt, kDrawing, kOther };
constexpr std::pair<std::string_view, Ns> kNamespaces[] = {
    {"urn:oasis:names:tc:opendocument:xmlns:table:1.0", Ns::kTable},
    {"urn:oasis:names:tc:opendocument:xmlns:office:1.0", Ns::kOffice},
    {"urn:oasis:names:tc:opendocument:xmlns:text:1.0", Ns::kText},
    {"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0", Ns::kCalcExt},
    {"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0", Ns::kDrawing},
};

struct Name {
  Ns ns = Ns::kOther;
  std::string_view local;
  bool Is(Ns n, std::string_view l) const { return ns == n && local == l; }
};

// The prefixes declared so far, and what they stand for.
class Prefixes {
 public:
  // Notes the declarations among an element's attributes.
  void Declare(const XML_Char** attributes) {
    for (; *attributes != nullptr; attributes += 2) {
      const XML_Char* name = attributes[0];
      if (std::strncmp(name, "xmlns:", 6) != 0) continue;
      Ns ns = Ns::kOther;
      for (const auto& [uri, known] : kNamespaces) {
        if (uri == attributes[1]) ns = known;
      }
      declared_.emplace_back(std::string(name + 6), ns);
    }
  }
  Name Of(const XML_Char* name) const {
    const char* colon = std::strchr(name, ':');
    if (colon == nullptr) return {Ns::kOther, name};
    const std::string_view prefix(name, static_cast<size_t>(colon - name));
    // The latest declaration of a prefix counts.
    for (auto d = declared_.rbegin(); d != declared_.rend(); ++d) {
      if (d->first == prefix) return {d->second, colon + 1};
    }
    return {Ns::kOther, colon + 1};
  }
  const XML_Char* Attribute(const XML_Char** attributes, Ns ns, std::string_view local) const {
    for (; *attributes != nullptr; attributes += 2) {
      if (Of(attributes[0]).Is(ns, local)) return attributes[1];
    }
    return nullptr;
  }

 private:
  std::vector<std::pair<std::string, Ns>> declared_;
};

// A repeat count as the attribute gives it: 1 when it is missing or no
// count, never more than `most`.
uint64_t RepeatOf(const XML_Char* count, uint64_t most) {
  if (count == nullptr) return 1;
  char* end = nullptr;
  const unsigned long long n = std::strtoull(count, &end, 10);
  if (end == count || *end != '\0' || n == 0) return 1;
  return std::min<uint64_t>(n, most);
}

constexpr char kContent[] = "content.xml";
// A spreadsheet's zip holds a few dozen entries, and the content of the
// largest inventory inflates to well under a gigabyte.
constexpr uint64_t kMostEntries = 10000;
constexpr uint64_t kLargestContent = uint64_t{1} << 30;
// A row's cells may hold this much text together.
constexpr size_t kLongestRow = size_t{16} << 20;
// No element, attribute or comment comes near this, nor elements this
// deep: expat would hold either whole.
constexpr int64_t kLongestToken = int64_t{4} << 20;
constexpr int kDeepest = 64;

}  // namespace

struct OdsReader::Parts {
  unzFile zip = nullptr;
  std::unique_ptr<ZipEntryReader> content;
  XML_Parser parser = nullptr;
  bool partDone = false;
  uint64_t fed = 0;      // bytes of content.xml given to the parser
  int64_t parsedTo = 0;  // where its last token parsed starts
  int depth = 0;         // elements open
  std::string problem;
  bool fileProblem = false;  // the file is damaged: no table's problem

  // A row with a value, and how many times it stands in a row: its cells
  // with text, each repeat of one value held once, however far the last
  // stands.
  struct Cells {
    uint32_t column, count;  // the first, and how many in a row
    size_t at, size;         // where in text
  };
  struct Row {
    uint32_t number = 0;
    uint64_t repeat = 1;
    std::string text;
    std::vector<Cells> cells;
    uint32_t width = 0;  // past its last cell with text
  };
  // What the parse has found and NextSheet and NextRow have yet to take.
  struct Found {
    enum class Kind { kSheet, kRow, kSheetEnd } kind;
    std::string name;  // a sheet's
    Row row;
  };
  // content.xml is inflated on a thread of its own and parsed on another,
  // a few thousand rows ahead of the caller: each chunk's finds are handed
  // over from `made` to `ready` at once.
  std::deque<Found> made;
  std::deque<Found> ready;
  std::mutex mutex;
  std::condition_variable changed;
  bool parsed = false;  // the parse is done: `problem` says whether whole
  bool stopParsing = false;
  std::thread parsing;
  InflatedEntry inflating;
  static constexpr size_t kMostAhead = 4096;
  Row current;  // what NextRow handed out, and its repeats yet to be
  uint64_t currentLeft = 0;
  std::string sheet;  // the caller's
  std::string table;  // the name of the table being parsed, the parse's own

  Prefixes prefixes;
  // Where the parse stands.
  bool inSpreadsheet = false, inTable = false, inRow = false, inCell = false;
  uint64_t rows = 0;  // of the table so far, empty ones too
  uint64_t rowRepeat = 1;
  Row building;
  size_t columns = 0;       // cells of the row made so far
  uint64_t emptyCells = 0;  // empty ones after them, made only if a value follows
  // The cell being read: its repeat, whether its text is its paragraphs'
  // (else `value` holds it already), and where the text stands.
  uint64_t cellRepeat = 1;
  bool fromParagraphs = false;
  std::string value;
  int cellDepth = 0;  // elements open inside the cell, itself counted
  int skipDepth = 0;  // inside an annotation, a note, a drawing or a table in the cell
  int paragraphs = 0, inParagraph = 0;
  bool afterBlank = false;  // white space collapses, and none starts a paragraph

  ~Parts() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopParsing = true;
    }
    changed.notify_all();
    if (parsing.joinable()) parsing.join();
    inflating.Stop();
    if (parser != nullptr) XML_ParserFree(parser);
    content.reset();
    if (zip != nullptr) unzClose(zip);
  }

  // The parsing thread: each chunk's finds handed over as it is parsed.
  void Parse() {
    for (bool more = true; more;) {
      more = Feed();
      std::unique_lock<std::mutex> lock(mutex);
      for (Found& found : made) ready.push_back(std::move(found));
      made.clear();
      parsed = !more;
      changed.notify_all();
      if (more) {
        changed.wait(lock, [&] { return stopParsing || ready.size() < kMostAhead; });
        if (stopParsing) return;
      }
    }
  }
  // The next find, once the parse has made it: nullptr when the parse is
  // done and nothing is left.
  Found* Front(std::unique_lock<std::mutex>& lock) {
    changed.wait(lock, [&] { return !ready.empty() || parsed; });
    return ready.empty() ? nullptr : &ready.front();
  }
  void Pop() {
    ready.pop_front();
    changed.notify_all();
  }
  void Stop(const std::string& why) {
    if (problem.empty()) problem = why;
    XML_StopParser(parser, XML_FALSE);
  }
  static Parts& Of(void* data) { return *static_cast<Parts*>(data); }
  std::string RowText() const { return std::to_string(rows + 1); }

  // Feeds the next chunk of content.xml: false at its end or on a problem.
  bool Feed() {
    if (partDone || !problem.empty()) return false;
    std::string_view chunk;
    partDone = !inflating.Next(&chunk);
    if (partDone && inflating.damaged()) {
      problem = WhyEntryUnread(inflating.outcome(), kContent);
      fileProblem = true;
      return false;
    }
    const size_t got = chunk.size();
    if (XML_Parse(parser, chunk.data(), static_cast<int>(got), partDone) != XML_STATUS_OK &&
        problem.empty()) {
      problem = std::string(kContent) + ": " + XML_ErrorString(XML_GetErrorCode(parser)) +
                " at line " + std::to_string(XML_GetCurrentLineNumber(parser));
    }
    // The parser holds a token it is still reading whole, as long as the
    // part makes it (expat tells no place when it only took the bytes in).
    fed += got;
    parsedTo = std::max<int64_t>(parsedTo, XML_GetCurrentByteIndex(parser));
    if (problem.empty() && static_cast<int64_t>(fed) - parsedTo > kLongestToken) {
      problem = std::string(kContent) + ": an element longer than any a spreadsheet holds";
    }
    return problem.empty() && !partDone;
  }

  static void Start(void* data, const XML_Char* element, const XML_Char** attributes) {
    Parts& p = Of(data);
    if (++p.depth > kDeepest) {
      return p.Stop(std::string(kContent) + ": elements nested deeper than any spreadsheet's");
    }
    // Namespaces are declared at the document's top (cells and their rows
    // declare none).
    if (!p.inRow) p.prefixes.Declare(attributes);
    const Name name = p.prefixes.Of(element);
    if (p.inCell) {
      ++p.cellDepth;
      if (p.skipDepth > 0) {
        ++p.skipDepth;
      } else if (name.Is(Ns::kOffice, "annotation") || name.Is(Ns::kText, "note") ||
                 name.ns == Ns::kDrawing || name.Is(Ns::kTable, "table")) {
        p.skipDepth = 1;
      } else if (name.Is(Ns::kText, "p") || name.Is(Ns::kText, "h")) {
        if (p.inParagraph == 0 && p.paragraphs++ > 0) p.Append("\n");
        ++p.inParagraph;
        p.afterBlank = true;
      } else if (p.inParagraph > 0 && name.Is(Ns::kText, "s")) {
        const uint64_t count =
            RepeatOf(p.prefixes.Attribute(attributes, Ns::kText, "c"), kLongestCell + 1);
        p.Append(std::string(static_cast<size_t>(count), ' '));
        p.afterBlank = false;
      } else if (p.inParagraph > 0 && name.Is(Ns::kText, "tab")) {
        p.Append("\t");
        p.afterBlank = false;
      } else if (p.inParagraph > 0 && name.Is(Ns::kText, "line-break")) {
        p.Append("\n");
        p.afterBlank = false;
      }
      return;
    }
    if (name.Is(Ns::kOffice, "spreadsheet")) {
      p.inSpreadsheet = true;
    } else if (name.Is(Ns::kTable, "table") && p.inSpreadsheet && !p.inTable) {
      const XML_Char* named = p.prefixes.Attribute(attributes, Ns::kTable, "name");
      p.table = named == nullptr ? "" : named;
      p.made.push_back({Found::Kind::kSheet, p.table, {}});
      p.inTable = true;
      p.rows = 0;
    } else if (name.Is(Ns::kTable, "table-row") && p.inTable && !p.inRow) {
      p.inRow = true;
      p.rowRepeat = RepeatOf(p.prefixes.Attribute(attributes, Ns::kTable, "number-rows-repeated"),
                             uint64_t{1} << 32);
      p.building.text.clear();
      p.building.cells.clear();
      p.building.width = 0;
      p.columns = 0;
      p.emptyCells = 0;
    } else if ((name.Is(Ns::kTable, "table-cell") || name.Is(Ns::kTable, "covered-table-cell")) &&
               p.inRow) {
      p.StartCell(attributes);
    }
  }

  static void End(void* data, const XML_Char* element) {
    Parts& p = Of(data);
    --p.depth;
    if (p.inCell) {
      const Name name = p.prefixes.Of(element);
      if (--p.cellDepth == 0) {
        p.inCell = false;
        p.EndCell();
      } else if (p.skipDepth > 0) {
        --p.skipDepth;
      } else if (name.Is(Ns::kText, "p") || name.Is(Ns::kText, "h")) {
        --p.inParagraph;
      }
      return;
    }
    const Name name = p.prefixes.Of(element);
    if (name.Is(Ns::kTable, "table-row") && p.inRow) {
      p.inRow = false;
      p.EndRow();
    } else if (name.Is(Ns::kTable, "table") && p.inTable) {
      p.inTable = false;
      p.made.push_back({Found::Kind::kSheetEnd, "", {}});
    } else if (name.Is(Ns::kOffice, "spreadsheet")) {
      p.inSpreadsheet = false;
    }
  }

  static void Text(void* data, const XML_Char* text, int size) {
    Parts& p = Of(data);
    if (!p.inCell || p.skipDepth > 0 || p.inParagraph == 0 || !p.fromParagraphs) return;
    // White space collapses to one blank, and none begins a paragraph:
    // spaces beyond one are text:s. Runs without white space go in whole.
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    for (int i = 0; i < size;) {
      int run = i;
      while (run < size && !blank(text[run])) ++run;
      if (run > i) {
        p.value.append(text + i, static_cast<size_t>(run - i));
        p.afterBlank = false;
      }
      for (i = run; i < size && blank(text[i]); ++i) {
        if (!p.afterBlank) p.value += ' ';
        p.afterBlank = true;
      }
    }
    if (p.value.size() > kLongestCell) p.TooLong();
  }

  void Append(const std::string& text) {
    if (!fromParagraphs || skipDepth > 0) return;
    value += text;
    if (value.size() > kLongestCell) TooLong();
  }
  // A cell longer than any field holds, named as a workbook's is: the name
  // says the sheet.
  void TooLong() {
    if (problem.empty()) fileProblem = true;
    Stop(WorkbookReader::CellName(table, static_cast<uint32_t>(rows + 1),
                                  static_cast<size_t>(columns + emptyCells)) +
         " holds more text than any cell of a stock's sheet, " + std::to_string(kLongestCell) +
         " bytes");
  }

  // A cell's value as its type says, or its paragraphs' text to come.
  void StartCell(const XML_Char** attributes) {
    inCell = true;
    cellDepth = 1;
    skipDepth = paragraphs = inParagraph = 0;
    const XML_Char *repeat = nullptr, *type = nullptr, *extended = nullptr, *number = nullptr,
                   *date = nullptr, *boolean = nullptr, *string = nullptr;
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
      const Name attribute = prefixes.Of(a[0]);
      if (attribute.ns == Ns::kOffice) {
        if (attribute.local == "value-type") type = a[1];
        if (attribute.local == "value") number = a[1];
        if (attribute.local == "date-value") date = a[1];
        if (attribute.local == "boolean-value") boolean = a[1];
        if (attribute.local == "string-value") string = a[1];
      } else if (attribute.Is(Ns::kTable, "number-columns-repeated")) {
        repeat = a[1];
      } else if (attribute.Is(Ns::kCalcExt, "value-type")) {
        extended = a[1];
      }
    }
    cellRepeat = RepeatOf(repeat, kMostSheetColumns + 1);
    value.clear();
    fromParagraphs = false;
    if (type == nullptr) return;  // empty, whatever it shows
    const std::string_view kind = type;
    const XML_Char* given = nullptr;
    if (extended != nullptr && std::string_view(extended) == "error") {
      given = nullptr;  // the error's code, as its paragraph shows it
    } else if (kind == "float" || kind == "percentage" || kind == "currency") {
      given = number;
    } else if (kind == "date") {
      if (date != nullptr) {
        value.assign(date, std::min<size_t>(std::strlen(date), 10));
        return;
      }
    } else if (kind == "boolean") {
      if (boolean != nullptr) {
        value = std::string_view(boolean) == "true" ? "TRUE" : "FALSE";
        return;
      }
    } else if (kind == "string") {
      given = string;
    }
    if (given != nullptr) {
      value = given;
      if (value.size() > kLongestCell) TooLong();
    } else {
      fromParagraphs = true;
    }
  }

  // The cell into the row: empty ones are counted, and made only once a
  // cell with a value follows them; a repeated value is held once.
  void EndCell() {
    if (value.empty()) {
      emptyCells = std::min<uint64_t>(emptyCells + cellRepeat, kMostSheetColumns + 1);
      return;
    }
    if (columns + emptyCells + cellRepeat > kMostSheetColumns) {
      return Stop("row " + RowText() + " has a value past the sheet's last column");
    }
    if (building.text.size() + value.size() > kLongestRow) {
      return Stop("row " + RowText() + " holds more text than any row of a stock's sheet");
    }
    const uint32_t first = static_cast<uint32_t>(columns + emptyCells);
    building.cells.push_back(
        {first, static_cast<uint32_t>(cellRepeat), building.text.size(), value.size()});
    building.text += value;
    columns = first + static_cast<size_t>(cellRepeat);
    building.width = static_cast<uint32_t>(columns);
    emptyCells = 0;
  }

  // A row with a value is handed out as often as it stands; empty ones
  // only count.
  void EndRow() {
    if (!building.cells.empty()) {
      if (rows + rowRepeat > kLastSheetRow) {
        return Stop("row " + RowText() + " is past the sheet's last row, " +
                    std::to_string(kLastSheetRow));
      }
      building.number = static_cast<uint32_t>(rows + 1);
      building.repeat = rowRepeat;
      made.push_back({Found::Kind::kRow, "", std::move(building)});
      building = Row{};
    }
    rows += rowRepeat;
  }
};

OdsReader::~OdsReader() = default;

bool OdsReader::Fail(const std::string& why) {
  if (error_.empty()) error_ = why;
  return false;
}

std::unique_ptr<OdsReader> OdsReader::Open(const std::string& path, std::string* why) {
  std::unique_ptr<OdsReader> reader(new OdsReader);
  reader->parts_ = std::make_unique<Parts>();
  Parts& p = *reader->parts_;
  p.zip = OpenZipToRead(path);
  if (p.zip == nullptr) {
    *why = "is no OpenDocument spreadsheet: its zip cannot be read";
    return nullptr;
  }
  ZipIndex index;
  uint64_t entries = 0;
  if (!IndexZip(p.zip, kMostEntries, &index, &entries)) {
    *why = entries > kMostEntries ? "is no spreadsheet of a stock: it holds " +
                                        std::to_string(entries) + " entries, and one holds a few"
                                  : "is no OpenDocument spreadsheet: its zip cannot be read";
    return nullptr;
  }
  const auto at = index.find(kContent);
  if (at == index.end()) {
    *why = std::string("is no OpenDocument spreadsheet (") + kContent + " is missing)";
    return nullptr;
  }
  p.content = std::make_unique<ZipEntryReader>(p.zip);
  // Read whole first, to know it undamaged before a row of it is taken.
  const ZipEntryReader::Outcome checked = p.content->Check(at->second, kLargestContent);
  const ZipEntryReader::Outcome opened = checked == ZipEntryReader::Outcome::kEnd
                                             ? p.content->Open(at->second, kLargestContent)
                                             : checked;
  if (opened != ZipEntryReader::Outcome::kRead) {
    *why = WhyEntryUnread(opened, kContent);
    return nullptr;
  }
  p.parser = XML_ParserCreate(nullptr);
  XML_SetUserData(p.parser, &p);
  XML_SetElementHandler(p.parser, Parts::Start, Parts::End);
  XML_SetCharacterDataHandler(p.parser, Parts::Text);
  // No document type: entities are what XML bombs are made of.
  XML_SetStartDoctypeDeclHandler(
      p.parser, [](void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        Parts::Of(self).Stop(std::string(kContent) +
                             ": a document type, which no OpenDocument spreadsheet has");
      });
  bool started = p.inflating.Start(p.content.get());
  try {
    if (started) p.parsing = std::thread([&p] { p.Parse(); });
  } catch (const std::system_error&) {
    started = false;
  }
  if (!started) {
    *why = "cannot be read: no thread can be started to read it";
    return nullptr;
  }
  return reader;
}

bool OdsReader::NextSheet(std::string* name) {
  Parts& p = *parts_;
  p.currentLeft = 0;
  // What is left of the sheet before goes; a problem found past the next
  // sheet's start is told as that sheet's.
  std::unique_lock<std::mutex> lock(p.mutex);
  for (;;) {
    Parts::Found* found = p.Front(lock);
    if (found == nullptr) return p.problem.empty() ? false : Fail(p.problem);
    if (found->kind == Parts::Found::Kind::kSheet) break;
    p.Pop();
  }
  widest_ = kMostSheetColumns;
  p.sheet = *name = std::move(p.ready.front().name);
  p.Pop();
  return true;
}

bool OdsReader::NextRow(WorkbookRow* row) {
  Parts& p = *parts_;
  if (p.currentLeft == 0) {
    // The rows before a problem are the sheet's; the problem is told where
    // they end.
    std::unique_lock<std::mutex> lock(p.mutex);
    Parts::Found* found = p.Front(lock);
    if (found == nullptr) {
      if (p.problem.empty()) return false;
      return Fail(p.fileProblem ? p.problem : p.sheet + ": " + p.problem);
    }
    if (found->kind != Parts::Found::Kind::kRow) {
      if (found->kind == Parts::Found::Kind::kSheetEnd) p.Pop();
      return false;
    }
    p.current = std::move(found->row);
    p.Pop();
    p.currentLeft = p.current.repeat;
  } else {
    ++p.current.number;  // the row repeated
  }
  --p.currentLeft;
  row->row = p.current.number;
  // Past the caller's widest column, the first cell stands for them all.
  const size_t widest = widest_;
  row->cells.assign(std::min<size_t>(p.current.width, widest + 1), {});
  for (const Parts::Cells& cells : p.current.cells) {
    const std::string_view text(p.current.text.data() + cells.at, cells.size);
    const size_t from = std::min<size_t>(cells.column, widest);
    std::fill_n(row->cells.begin() + from, std::min<size_t>(cells.count, row->cells.size() - from),
                text);
    if (cells.column + cells.count > widest) break;
  }
  return true;
}
