#include "tools/sheets/ods_reader.h"

#include <expat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/sheets/zip_reader.h"

namespace {

// The namespaces of the elements and attributes read, as expat names them
// ("namespace|local").
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

Name NameOf(const XML_Char* name) {
  const char* bar = std::strrchr(name, '|');
  if (bar == nullptr) return {Ns::kOther, name};
  const std::string_view uri(name, static_cast<size_t>(bar - name));
  for (const auto& [known, ns] : kNamespaces) {
    if (uri == known) return {ns, bar + 1};
  }
  return {Ns::kOther, bar + 1};
}

const XML_Char* AttributeOf(const XML_Char** attributes, Ns ns, std::string_view local) {
  for (; *attributes != nullptr; attributes += 2) {
    if (NameOf(attributes[0]).Is(ns, local)) return attributes[1];
  }
  return nullptr;
}

// A repeat count as the attribute gives it: 1 when it is missing or no
// count, never more than `most`.
uint64_t RepeatOf(const XML_Char* count, uint64_t most) {
  if (count == nullptr) return 1;
  char* end = nullptr;
  const unsigned long long n = std::strtoull(count, &end, 10);
  if (end == count || *end != '\0' || n == 0) return 1;
  return std::min<uint64_t>(n, most);
}

constexpr size_t kChunk = size_t{1} << 16;
// No cell of a sheet comes near this; a longer one is refused.
constexpr size_t kLongestCell = size_t{1} << 20;
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
  uint64_t fed = 0;    // bytes of content.xml given to the parser
  int64_t parsed = 0;  // where its last token parsed starts
  int depth = 0;       // elements open
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
  std::deque<Found> ready;
  Row current;  // what NextRow handed out, and its repeats yet to be
  uint64_t currentLeft = 0;
  std::string sheet;

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
    if (parser != nullptr) XML_ParserFree(parser);
    content.reset();
    if (zip != nullptr) unzClose(zip);
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
    char buffer[kChunk];
    unsigned got = 0;
    const ZipEntryReader::Outcome read = content->Read(buffer, sizeof buffer, &got);
    if (read != ZipEntryReader::Outcome::kRead && read != ZipEntryReader::Outcome::kEnd) {
      problem = WhyEntryUnread(read, kContent);
      fileProblem = true;
      return false;
    }
    partDone = read == ZipEntryReader::Outcome::kEnd;
    if (XML_Parse(parser, buffer, static_cast<int>(got), partDone) != XML_STATUS_OK &&
        problem.empty()) {
      problem = std::string(kContent) + ": " + XML_ErrorString(XML_GetErrorCode(parser)) +
                " at line " + std::to_string(XML_GetCurrentLineNumber(parser));
    }
    // The parser holds a token it is still reading whole, as long as the
    // part makes it (expat tells no place when it only took the bytes in).
    fed += got;
    parsed = std::max<int64_t>(parsed, XML_GetCurrentByteIndex(parser));
    if (problem.empty() && static_cast<int64_t>(fed) - parsed > kLongestToken) {
      problem = std::string(kContent) + ": an element longer than any a spreadsheet holds";
    }
    return problem.empty() && !partDone;
  }

  static void Start(void* data, const XML_Char* element, const XML_Char** attributes) {
    Parts& p = Of(data);
    if (++p.depth > kDeepest) {
      return p.Stop(std::string(kContent) + ": elements nested deeper than any spreadsheet's");
    }
    const Name name = NameOf(element);
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
        const uint64_t count = RepeatOf(AttributeOf(attributes, Ns::kText, "c"), kLongestCell + 1);
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
      const XML_Char* named = AttributeOf(attributes, Ns::kTable, "name");
      p.ready.push_back({Found::Kind::kSheet, named == nullptr ? "" : named, {}});
      p.inTable = true;
      p.rows = 0;
    } else if (name.Is(Ns::kTable, "table-row") && p.inTable && !p.inRow) {
      p.inRow = true;
      p.rowRepeat =
          RepeatOf(AttributeOf(attributes, Ns::kTable, "number-rows-repeated"), uint64_t{1} << 32);
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
      const Name name = NameOf(element);
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
    const Name name = NameOf(element);
    if (name.Is(Ns::kTable, "table-row") && p.inRow) {
      p.inRow = false;
      p.EndRow();
    } else if (name.Is(Ns::kTable, "table") && p.inTable) {
      p.inTable = false;
      p.ready.push_back({Found::Kind::kSheetEnd, "", {}});
    } else if (name.Is(Ns::kOffice, "spreadsheet")) {
      p.inSpreadsheet = false;
    }
  }

  static void Text(void* data, const XML_Char* text, int size) {
    Parts& p = Of(data);
    if (!p.inCell || p.skipDepth > 0 || p.inParagraph == 0 || !p.fromParagraphs) return;
    // White space collapses to one blank, and none begins a paragraph:
    // spaces beyond one are text:s.
    for (int i = 0; i < size; ++i) {
      const char c = text[i];
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        if (!p.afterBlank) p.value += ' ';
        p.afterBlank = true;
      } else {
        p.value += c;
        p.afterBlank = false;
      }
    }
    if (p.value.size() > kLongestCell) p.Stop("a cell of row " + p.RowText() + " is too long");
  }

  void Append(const std::string& text) {
    if (!fromParagraphs || skipDepth > 0) return;
    value += text;
    if (value.size() > kLongestCell) Stop("a cell of row " + RowText() + " is too long");
  }

  // A cell's value as its type says, or its paragraphs' text to come.
  void StartCell(const XML_Char** attributes) {
    inCell = true;
    cellDepth = 1;
    skipDepth = paragraphs = inParagraph = 0;
    cellRepeat = RepeatOf(AttributeOf(attributes, Ns::kTable, "number-columns-repeated"),
                          kMostSheetColumns + 1);
    value.clear();
    fromParagraphs = false;
    const XML_Char* type = AttributeOf(attributes, Ns::kOffice, "value-type");
    const XML_Char* extended = AttributeOf(attributes, Ns::kCalcExt, "value-type");
    if (type == nullptr) return;  // empty, whatever it shows
    const std::string_view kind = type;
    const auto attribute = [&](const char* local) -> const XML_Char* {
      return AttributeOf(attributes, Ns::kOffice, local);
    };
    const XML_Char* given = nullptr;
    if (extended != nullptr && std::string_view(extended) == "error") {
      given = nullptr;  // the error's code, as its paragraph shows it
    } else if (kind == "float" || kind == "percentage" || kind == "currency") {
      given = attribute("value");
    } else if (kind == "date") {
      given = attribute("date-value");
      if (given != nullptr) {
        value.assign(given, std::min<size_t>(std::strlen(given), 10));
        return;
      }
    } else if (kind == "boolean") {
      given = attribute("boolean-value");
      if (given != nullptr) {
        value = std::string_view(given) == "true" ? "TRUE" : "FALSE";
        return;
      }
    } else if (kind == "string") {
      given = attribute("string-value");
    }
    if (given != nullptr) {
      value = given;
      if (value.size() > kLongestCell) Stop("a cell of row " + RowText() + " is too long");
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
      ready.push_back({Found::Kind::kRow, "", std::move(building)});
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
  p.parser = XML_ParserCreateNS(nullptr, '|');
  XML_SetUserData(p.parser, &p);
  XML_SetElementHandler(p.parser, Parts::Start, Parts::End);
  XML_SetCharacterDataHandler(p.parser, Parts::Text);
  // No document type: entities are what XML bombs are made of.
  XML_SetStartDoctypeDeclHandler(
      p.parser, [](void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        Parts::Of(self).Stop(std::string(kContent) +
                             ": a document type, which no OpenDocument spreadsheet has");
      });
  return reader;
}

bool OdsReader::NextSheet(std::string* name) {
  Parts& p = *parts_;
  p.currentLeft = 0;
  // What is left of the sheet before goes; a problem found past the next
  // sheet's start is told as that sheet's.
  const auto nextSheet = [&p] {
    while (!p.ready.empty() && p.ready.front().kind != Parts::Found::Kind::kSheet) {
      p.ready.pop_front();
    }
    return !p.ready.empty();
  };
  while (!nextSheet()) {
    if (!p.Feed() && !nextSheet()) return p.problem.empty() ? false : Fail(p.problem);
  }
  widest_ = kMostSheetColumns;
  p.sheet = *name = std::move(p.ready.front().name);
  p.ready.pop_front();
  return true;
}

bool OdsReader::NextRow(WorkbookRow* row) {
  Parts& p = *parts_;
  if (p.currentLeft == 0) {
    while (p.ready.empty() && p.Feed()) {
    }
    if (!p.problem.empty()) return Fail(p.fileProblem ? p.problem : p.sheet + ": " + p.problem);
    if (p.ready.empty() || p.ready.front().kind != Parts::Found::Kind::kRow) {
      if (!p.ready.empty() && p.ready.front().kind == Parts::Found::Kind::kSheetEnd) {
        p.ready.pop_front();
      }
      return false;
    }
    p.current = std::move(p.ready.front().row);
    p.ready.pop_front();
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
