#include "office/sheets/workbook_package.h"

#include <cstdio>

#include "office/sheets/civil_date.h"
#include "office/sheets/sheet_reader.h"
#include "office/sheets/sheet_xml.h"

namespace {

constexpr char kXmlDeclaration[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kOfficeRelationships[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr char kPackageRelationships[] =
    "http://schemas.openxmlformats.org/package/2006/relationships";

// The filter's range of a sheet as a defined name holds it:
// "'Stock 2'!$A$1:$K$7".
std::string FilterRange(size_t sheet, size_t columns, uint32_t lastRow) {
  const std::string name = SheetName(sheet);
  const bool plain = name.find(' ') == std::string::npos;
  return (plain ? name : "'" + name + "'") + "!$A$1:$" + ColumnLetters(columns - 1) + "$" +
         std::to_string(lastRow);
}

}  // namespace

std::string SheetName(size_t sheet) {
  return sheet == 0 ? "Stock" : "Stock " + std::to_string(sheet + 1);
}

std::string SheetPart(size_t sheet) {
  return "xl/worksheets/sheet" + std::to_string(sheet + 1) + ".xml";
}

std::string SheetHead(size_t sheet, size_t columns, const double* widths, const bool* text) {
  std::string xml = kXmlDeclaration;
  xml += std::string("<worksheet xmlns=\"") + kMain + "\" xmlns:r=\"" + kOfficeRelationships +
         "\"><sheetViews><sheetView " + (sheet == 0 ? "tabSelected=\"1\" " : "") +
         "workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" "
         "state=\"frozen\"/><selection pane=\"bottomLeft\"/></sheetView></sheetViews>"
         "<sheetFormatPr defaultRowHeight=\"15\"/><cols>";
  for (size_t c = 0; c < columns; ++c) {
    // A width as spreadsheets store it: the characters of the column's
    // text and the cell's margins, in widths of a digit.
    char width[32];
    std::snprintf(width, sizeof width, "%.10g", widths[c] + 0.7109375);
    const std::string n = std::to_string(c + 1);
    xml += "<col min=\"" + n + "\" max=\"" + n + "\" width=\"" + width + "\"" +
           (text[c] ? " style=\"3\"" : "") + (c + 1 == columns ? " hidden=\"1\"" : "") +
           " customWidth=\"1\"/>";
  }
  return xml + "</cols><sheetData>";
}

std::string SheetTail(size_t columns, uint32_t lastRow) {
  return "</sheetData><autoFilter ref=\"A1:" + ColumnLetters(columns - 1) +
         std::to_string(lastRow) +
         "\"/><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
         "header=\"0.3\" footer=\"0.3\"/></worksheet>";
}

std::string ContentTypes(size_t sheets) {
  std::string xml = std::string(kXmlDeclaration) +
                    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                    "<Default Extension=\"rels\" ContentType=\"application/"
                    "vnd.openxmlformats-package.relationships+xml\"/>"
                    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                    "<Override PartName=\"/docProps/core.xml\" ContentType=\"application/"
                    "vnd.openxmlformats-package.core-properties+xml\"/>"
                    "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
                    "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
                    "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                    "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>";
  for (size_t s = 0; s < sheets; ++s) {
    xml += "<Override PartName=\"/" + SheetPart(s) +
           "\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
  }
  return xml + "</Types>";
}

std::string PackageRelationships() {
  return std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kPackageRelationships +
         "\"><Relationship Id=\"rId1\" Type=\"" + kOfficeRelationships +
         "/officeDocument\" Target=\"xl/workbook.xml\"/><Relationship Id=\"rId2\" Type=\"" +
         kPackageRelationships +
         "/metadata/core-properties\" Target=\"docProps/core.xml\"/></Relationships>";
}

std::string WorkbookXml(size_t sheets, size_t columns, const uint32_t* lastRows) {
  std::string xml = std::string(kXmlDeclaration) + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" +
                    kOfficeRelationships +
                    "\"><workbookPr/><bookViews><workbookView xWindow=\"240\" yWindow=\"15\" "
                    "windowWidth=\"16095\" windowHeight=\"9660\"/></bookViews><sheets>";
  for (size_t s = 0; s < sheets; ++s) {
    const std::string n = std::to_string(s + 1);
    xml += "<sheet name=\"" + SheetName(s) + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
  }
  // Each sheet's filter names its range, as spreadsheets keep it.
  xml += "</sheets><definedNames>";
  for (size_t s = 0; s < sheets; ++s) {
    xml += "<definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"" + std::to_string(s) +
           "\" hidden=\"1\">" + FilterRange(s, columns, lastRows[s]) + "</definedName>";
  }
  return xml + "</definedNames></workbook>";
}

std::string WorkbookRelationships(size_t sheets) {
  std::string xml =
      std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kPackageRelationships + "\">";
  for (size_t s = 0; s < sheets; ++s) {
    xml += "<Relationship Id=\"rId" + std::to_string(s + 1) + "\" Type=\"" + kOfficeRelationships +
           "/worksheet\" Target=\"worksheets/sheet" + std::to_string(s + 1) + ".xml\"/>";
  }
  return xml + "<Relationship Id=\"rId" + std::to_string(sheets + 1) + "\" Type=\"" +
         kOfficeRelationships + "/styles\" Target=\"styles.xml\"/></Relationships>";
}

// The cell styles by CellKind's numbers: 0 the default, 1 bold (the
// header), 2 whole numbers "0", 3 text "@", 4 prices "0.00".
std::string StylesXml() {
  return std::string(kXmlDeclaration) + "<styleSheet xmlns=\"" + kMain +
         "\"><numFmts count=\"3\"><numFmt numFmtId=\"164\" formatCode=\"0\"/>"
         "<numFmt numFmtId=\"165\" formatCode=\"@\"/><numFmt numFmtId=\"166\" "
         "formatCode=\"0.00\"/></numFmts><fonts count=\"2\"><font><sz val=\"11\"/>"
         "<name val=\"Calibri\"/><family val=\"2\"/></font><font><b/><sz val=\"11\"/>"
         "<name val=\"Calibri\"/><family val=\"2\"/></font></fonts><fills count=\"2\"><fill>"
         "<patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/>"
         "</fill></fills><borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/>"
         "</border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" "
         "fillId=\"0\" borderId=\"0\"/></cellStyleXfs><cellXfs count=\"5\"><xf numFmtId=\"0\" "
         "fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/><xf numFmtId=\"0\" fontId=\"1\" "
         "fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/><xf numFmtId=\"164\" "
         "fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
         "<xf numFmtId=\"165\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
         "applyNumberFormat=\"1\"/><xf numFmtId=\"166\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
         "xfId=\"0\" applyNumberFormat=\"1\"/></cellXfs><cellStyles count=\"1\"><cellStyle "
         "name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles><dxfs count=\"0\"/>"
         "<tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium9\" "
         "defaultPivotStyle=\"PivotStyleLight16\"/></styleSheet>";
}

std::string CoreProperties(int64_t now) {
  const int64_t days = (now >= 0 ? now : now - 86399) / 86400;
  const int64_t seconds = now - days * 86400;
  const CivilDate date = CivilDateOf(days);
  char when[40];
  std::snprintf(when, sizeof when, "%04d-%02d-%02dT%02d:%02d:%02dZ", date.year, date.month,
                date.day, static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return std::string(kXmlDeclaration) +
         "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/"
         "core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
         "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
         "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><dcterms:created "
         "xsi:type=\"dcterms:W3CDTF\">" +
         when + "</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + when +
         "</dcterms:modified></cp:coreProperties>";
}
