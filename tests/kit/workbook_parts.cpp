#include "tests/kit/workbook_parts.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <cstdlib>
#include <map>

bool WriteZipFile(const std::string& path, const std::vector<WorkbookPart>& parts,
                  const ZipForm& form) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (zip == nullptr) return false;
  bool ok = true;
  for (const auto& [name, content] : parts) {
    const unsigned size = static_cast<unsigned>(content.size());
    // An overstated part is written raw (stored), with its CRC and a size
    // of our own.
    const bool raw = name == form.overstatedPart;
    const int method = form.stored || raw ? 0 : Z_DEFLATED;
    ok = ok &&
         zipOpenNewFileInZip2(zip, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, method,
                              method == 0 ? 0 : Z_DEFAULT_COMPRESSION, raw) == ZIP_OK &&
         zipWriteInFileInZip(zip, content.data(), size) == ZIP_OK;
    if (raw) {
      const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(content.data()), size);
      ok = ok && zipCloseFileInZipRaw(zip, size + form.overstated, crc) == ZIP_OK;
    } else {
      ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
  }
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}

std::string ReadZipEntry(const std::string& path, const std::string& name) {
  unzFile zip = unzOpen64(path.c_str());
  if (zip == nullptr) return "";
  std::string content;
  if (unzLocateFile(zip, name.c_str(), /*iCaseSensitivity=*/1) == UNZ_OK &&
      unzOpenCurrentFile(zip) == UNZ_OK) {
    char buffer[1 << 16];
    int got;
    while ((got = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0) {
      content.append(buffer, static_cast<size_t>(got));
    }
    unzCloseCurrentFile(zip);
  }
  unzClose(zip);
  return content;
}

std::vector<WorkbookPart> WorkbookParts(const WorkbookShape& shape) {
  const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string relations =
      "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const std::string package = "http://schemas.openxmlformats.org/package/2006/relationships";
  std::vector<WorkbookPart> parts;
  parts.emplace_back("[Content_Types].xml",
                     "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/"
                     "package/2006/content-types\"/>");
  parts.emplace_back("_rels/.rels", "<?xml version=\"1.0\"?><Relationships xmlns=\"" + package +
                                        "\"><Relationship Id=\"rId1\" Type=\"" + relations +
                                        "/officeDocument\" Target=\"xl/workbook.xml\"/>"
                                        "</Relationships>");
  std::string book = "<?xml version=\"1.0\"?><workbook xmlns=\"" + main + "\" xmlns:r=\"" +
                     relations + "\"><workbookPr" + (shape.from1904 ? " date1904=\"1\"" : "") +
                     "/><sheets>";
  std::string bookRelations = "<?xml version=\"1.0\"?><Relationships xmlns=\"" + package + "\">";
  for (size_t i = 0; i < shape.sheets.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    const bool stated = i < shape.states.size() && !shape.states[i].empty();
    book += "<sheet name=\"" + shape.sheets[i].first + "\" sheetId=\"" + n + "\" r:id=\"rId" + n +
            "\"" + (stated ? " state=\"" + shape.states[i] + "\"" : "") + "/>";
    bookRelations += "<Relationship Id=\"rId" + n + "\" Type=\"" + relations +
                     "/worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
    parts.emplace_back("xl/worksheets/sheet" + n + ".xml",
                       "<?xml version=\"1.0\"?><worksheet xmlns=\"" + main + "\"><sheetData>" +
                           shape.sheets[i].second + "</sheetData></worksheet>");
  }
  parts.emplace_back("xl/workbook.xml", book + "</sheets></workbook>");
  parts.emplace_back("xl/_rels/workbook.xml.rels", bookRelations + "</Relationships>");
  std::string styles = "<?xml version=\"1.0\"?><styleSheet xmlns=\"" + main + "\">";
  if (!shape.formats.empty()) styles += "<numFmts>" + shape.formats + "</numFmts>";
  // The named styles come first, as spreadsheets save them: a date among
  // them is no cell's style.
  styles += "<cellStyleXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellStyleXfs><cellXfs>";
  for (unsigned id : shape.styles) styles += "<xf numFmtId=\"" + std::to_string(id) + "\"/>";
  parts.emplace_back("xl/styles.xml", styles + "</cellXfs></styleSheet>");
  if (!shape.strings.empty()) {
    std::string strings = "<?xml version=\"1.0\"?><sst xmlns=\"" + main + "\">";
    for (const std::string& s : shape.strings) strings += "<si>" + s + "</si>";
    parts.emplace_back("xl/sharedStrings.xml", strings + "</sst>");
  }
  return parts;
}

std::vector<WorkbookPart> OdsParts(const std::vector<std::pair<std::string, std::string>>& tables) {
  std::string content =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
      "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
      "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
      "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
      "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\" "
      "office:version=\"1.3\"><office:body><office:spreadsheet>";
  for (const auto& [name, rows] : tables) {
    content +=
        "<table:table table:name=\"" + name + "\"><table:table-column/>" + rows + "</table:table>";
  }
  content += "</office:spreadsheet></office:body></office:document-content>";
  return {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
          {"META-INF/manifest.xml",
           "<?xml version=\"1.0\"?><manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:"
           "opendocument:xmlns:manifest:1.0\"/>"},
          {"content.xml", content}};
}

namespace {

// A text as XML holds it: markup escaped, control characters as _xHHHH_.
std::string Xml(const std::string& text) {
  std::string xml;
  for (char c : text) {
    switch (c) {
      case '&':
        xml += "&amp;";
        break;
      case '<':
        xml += "&lt;";
        break;
      case '>':
        xml += "&gt;";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') {
          char escape[8];
          std::snprintf(escape, sizeof escape, "_x%04X_", static_cast<unsigned>(c));
          xml += escape;
        } else {
          xml += c;
        }
    }
  }
  return xml;
}

std::string Column(size_t column) {
  std::string letters;
  for (size_t c = column + 1; c > 0; c = (c - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
  }
  return letters;
}

}  // namespace

WorkbookShape AsSaved(const std::vector<SheetOfRows>& sheets) {
  static const char* const kNumberColumns[] = {"slot",       "in_stock",    "tax",  "category",
                                               "cost_price", "trade_price", "price"};
  WorkbookShape shape;
  std::map<std::string, size_t> strings;
  for (const auto& [name, rows] : sheets) {
    std::string data;
    std::vector<bool> numeric;
    for (size_t r = 0; r < rows.size(); ++r) {
      data += "<row r=\"" + std::to_string(r + 1) + "\">";
      for (size_t c = 0; c < rows[r].size(); ++c) {
        const std::string& text = rows[r][c];
        if (r == 0) {
          bool number = false;
          for (const char* n : kNumberColumns) number = number || text == n;
          numeric.push_back(number);
        }
        if (text.empty()) continue;
        const std::string at = Column(c) + std::to_string(r + 1);
        char* end = nullptr;
        std::strtod(text.c_str(), &end);
        if (r > 0 && c < numeric.size() && numeric[c] && *end == '\0') {
          data += "<c r=\"" + at + "\"><v>" + text + "</v></c>";
          continue;
        }
        const auto [found, added] = strings.emplace(text, strings.size());
        if (added) shape.strings.push_back("<t xml:space=\"preserve\">" + Xml(text) + "</t>");
        data += "<c r=\"" + at + "\" t=\"s\"><v>" + std::to_string(found->second) + "</v></c>";
      }
      data += "</row>";
    }
    shape.sheets.emplace_back(name, data);
  }
  return shape;
}
