// Workbooks: export's, read back cell for cell, and the forms spreadsheets
// save them in, read as the text an export of the same values prints.
#include <filesystem>

#include "office/export.h"
#include "office/sheets/ods_reader.h"
#include "office/sheets/sheet_reader.h"
#include "office/sheets/sheet_writer.h"
#include "office/sheets/string_table.h"
#include "office/sheets/workbook_reader.h"
#include "platform/utf8.h"
#include "tests/kit/workbook_parts.h"
#include "tests/sheet_commands.h"
#include "tests/test_support.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

// What a cell without a value reads as here: "<error CODE>", "<no value
// yet>" or "<two values>".
std::string Shown(const CellWithoutValue& cell) {
  switch (cell.kind) {
    case CellWithoutValue::Kind::kError:
      return "<error " + cell.code + ">";
    case CellWithoutValue::Kind::kNoValueYet:
      return "<no value yet>";
    case CellWithoutValue::Kind::kTwoValues:
      return "<two values>";
  }
  return "";
}

// Every sheet's rows of the workbook (or, with `ods`, the OpenDocument
// spreadsheet) at `path`, each prefixed with "sheet!row" and its cells, a
// cell without a value as Shown shows it (its text must be "").
Rows ReadAll(const std::string& path, std::string* why, bool ods = false) {
  Rows rows;
  std::unique_ptr<BookReader> reader;
  if (ods) {
    reader = OdsReader::Open(path, why);
  } else {
    reader = WorkbookReader::Open(path, why);
  }
  if (!reader) return rows;
  std::string sheet;
  WorkbookRow row;
  while (reader->NextSheet(&sheet)) {
    while (reader->NextRow(&row)) {
      rows.push_back({sheet + "!" + std::to_string(row.row)});
      for (std::string_view cell : row.cells) rows.back().emplace_back(cell);
      for (const CellWithoutValue& cell : row.withoutValue) {
        std::string& text = rows.back().at(1 + cell.column);
        text = text.empty() ? Shown(cell) : "a text: " + text;
      }
    }
    if (!reader->error().empty()) break;
  }
  *why = reader->error();
  return rows;
}

// Every row of the sheet at `path` as the import reads it.
Rows SheetRows(const std::string& path) {
  Rows rows;
  std::string why, name;
  const auto sheet = OpenSheetReader(path, &why);
  if (!sheet) return {{why}};
  SheetRow row;
  while (sheet->NextSheet(&name)) {
    while (sheet->NextRow(&row)) rows.emplace_back(row.cells.begin(), row.cells.end());
  }
  if (!sheet->error().empty()) rows.push_back({sheet->error()});
  return rows;
}

class Workbook : public ProgramTest {
 protected:
  // Reads the workbook of `shape`, expecting no problem.
  Rows Read(const WorkbookShape& shape) {
    EXPECT_TRUE(WriteZipFile(Path("w.xlsx"), WorkbookParts(shape)));
    std::string why;
    const Rows rows = ReadAll(Path("w.xlsx"), &why);
    EXPECT_EQ(why, "");
    return rows;
  }
  // The problem that reading the zip of `parts` meets.
  std::string Problem(const std::vector<WorkbookPart>& parts) {
    EXPECT_TRUE(WriteZipFile(Path("w.xlsx"), parts));
    std::string why;
    ReadAll(Path("w.xlsx"), &why);
    return why;
  }
};

// The value of attribute `name` in the first element of `xml` that starts
// with `start`, or "" when there is none.
std::string AttributeOf(const std::string& xml, const std::string& start, const std::string& name) {
  const size_t at = xml.find(start);
  if (at == std::string::npos) return "";
  const size_t end = xml.find('>', at);
  const size_t value = xml.find(" " + name + "=\"", at);
  if (value == std::string::npos || value > end) return "";
  const size_t from = value + name.size() + 3;
  return xml.substr(from, xml.find('"', from) - from);
}

// The number format of cell style `style` as the workbook's styles give it
// ("General" for the built-in default), and whether its font is bold.
struct CellFormat {
  std::string code;
  bool bold = false;
};
CellFormat FormatOfStyle(const std::string& styles, const std::string& style) {
  const size_t xfs = styles.find("<cellXfs");
  size_t at = styles.find("<xf ", xfs);
  for (int i = std::atoi(style.c_str()); i > 0 && at != std::string::npos; --i) {
    at = styles.find("<xf ", at + 1);
  }
  if (xfs == std::string::npos || at == std::string::npos) return {"none", false};
  const std::string xf = styles.substr(at, styles.find('>', at) - at + 1);
  const std::string id = AttributeOf(xf, "<xf", "numFmtId");
  const std::string font = AttributeOf(xf, "<xf", "fontId");
  size_t fontAt = styles.find("<font>", styles.find("<fonts"));
  for (int i = std::atoi(font.c_str()); i > 0 && fontAt != std::string::npos; --i) {
    fontAt = styles.find("<font>", fontAt + 1);
  }
  const bool bold = fontAt != std::string::npos && styles.compare(fontAt, 10, "<font><b/>") == 0;
  if (id == "0" || id.empty()) return {"General", bold};
  return {AttributeOf(styles, "<numFmt numFmtId=\"" + id + "\"", "formatCode"), bold};
}

TEST_F(Workbook, ExportsRowsComeBackAsTheyWerePrinted) {
  const auto sheet = WorkbookAt(Path("out.xlsx"), StandardError());
  ASSERT_TRUE(sheet);
  ExportedRow row;
  row.slot = 3;
  row.number = "1234567890123456";
  row.fields = {"0012", "1E5", "7", "2", "0.75", "1.25", "56.80", "17"};
  row.mark = "v1abc";
  ASSERT_TRUE(sheet->Row(row));
  // Texts a cell must keep as they are: blanks at the ends, a separator,
  // a control character, what looks like the format's own escape.
  row.slot = 4;
  row.number = "-1";
  row.fields = {" A;B ", "X\x01Y_x0041_Z", "0", "0", "nan", "0.00", "1.00", "0"};
  ASSERT_TRUE(sheet->Row(row));
  // The markup's characters, a carriage return (which XML reads as a line
  // feed unless escaped), tab and line feed at the ends, the characters XML
  // cannot hold, escapes one after another; prices beyond a double's digits.
  const ExportedRow odd{5,
                        "7",
                        {"\ta&b<c>d\"e'\r\n", "\xEF\xBF\xBE\xEF\xBF\xBF_x0041_x0042__x005F_", "-3",
                         "1", "-0.00", "340282346638528859811704183484516925440.00", "0.10", "2"},
                        "v1"};
  ASSERT_TRUE(sheet->Row(odd));
  ASSERT_TRUE(sheet->Finish());

  std::string why;
  const Rows rows = ReadAll(Path("out.xlsx"), &why);
  ASSERT_EQ(why, "");
  ASSERT_EQ(rows.size(), 4u);
  std::vector<std::string> header{"Stock!1"};
  for (const std::string& name : ExportedColumnNames(/*workbook=*/true)) header.push_back(name);
  EXPECT_EQ(rows[0], header);
  // Numbers as the workbook stores them: 56.80 is the number 56.8.
  EXPECT_EQ(rows[1], (std::vector<std::string>{"Stock!2", "3", "1234567890123456", "0012", "1E5",
                                               "7", "2", "0.75", "1.25", "56.8", "17", "v1abc"}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"Stock!3", "4", "-1", " A;B ", "X\x01Y_x0041_Z", "0",
                                               "0", "nan", "0", "1", "0", "v1abc"}));
  EXPECT_EQ(rows[3], (std::vector<std::string>{
                         "Stock!4", "5", "7", odd.fields[0], odd.fields[1], "-3", "1", "-0",
                         "340282346638528859811704183484516925440", "0.1", "2", "v1"}));

  // As a spreadsheet shows the sheet: the number, description, sku and
  // version columns formatted as Text down to the sheet's end, so that a
  // row typed below the export is text too; cells as numbers, prices with
  // two decimals, the header bold, the version column hidden, the filter
  // over every row, and a text's blanks kept at either end.
  const std::string sheetXml = ReadZipEntry(Path("out.xlsx"), "xl/worksheets/sheet1.xml");
  const std::string styles = ReadZipEntry(Path("out.xlsx"), "xl/styles.xml");
  ASSERT_FALSE(sheetXml.empty());
  ASSERT_FALSE(styles.empty());
  for (int column = 1; column <= 11; ++column) {
    const std::string col = "<col min=\"" + std::to_string(column) + "\"";
    const bool text = column == 2 || column == 3 || column == 4 || column == 11;
    const std::string style = AttributeOf(sheetXml, col, "style");
    EXPECT_EQ(FormatOfStyle(styles, style.empty() ? "0" : style).code, text ? "@" : "General")
        << "column " << column;
    EXPECT_EQ(AttributeOf(sheetXml, col, "hidden"), column == 11 ? "1" : "") << column;
  }
  const auto cellFormat = [&](const std::string& xml, const std::string& cell) {
    const std::string style = AttributeOf(xml, "<c r=\"" + cell + "\"", "s");
    return FormatOfStyle(styles, style.empty() ? "0" : style);
  };
  EXPECT_TRUE(cellFormat(sheetXml, "A1").bold);
  EXPECT_TRUE(cellFormat(sheetXml, "K1").bold);
  EXPECT_FALSE(cellFormat(sheetXml, "A2").bold);
  for (const char* cell : {"B2", "C2", "D2", "K2"}) {
    EXPECT_EQ(cellFormat(sheetXml, cell).code, "@") << cell;
  }
  for (const char* cell : {"E2", "F2", "J2"}) {
    EXPECT_EQ(cellFormat(sheetXml, cell).code, "0") << cell;
  }
  for (const char* cell : {"G2", "H2", "I2"}) {
    EXPECT_EQ(cellFormat(sheetXml, cell).code, "0.00") << cell;
  }
  EXPECT_EQ(AttributeOf(sheetXml, "<autoFilter", "ref"), "A1:K4");
  EXPECT_NE(
      ReadZipEntry(Path("out.xlsx"), "xl/workbook.xml").find(">Stock!$A$1:$K$4</definedName>"),
      std::string::npos);
  EXPECT_NE(sheetXml.find("xml:space=\"preserve\"> A;B </t>"), std::string::npos) << sheetXml;
  const auto trail = WorkbookAt(Path("trail.xlsx"), StandardError());
  ExportedRow trailing = row;
  trailing.fields[0] = "TRAIL ";
  ASSERT_TRUE(trail->Row(trailing));
  ASSERT_TRUE(trail->Finish());
  EXPECT_NE(ReadZipEntry(Path("trail.xlsx"), "xl/worksheets/sheet1.xml")
                .find("xml:space=\"preserve\">TRAIL </t>"),
            std::string::npos);
  // Numbers that are not there, or not numbers, are no number cells.
  ExportedRow blank = row;
  blank.fields[2] = "";
  blank.fields[6] = "-";
  const auto blanks = WorkbookAt(Path("blank.xlsx"), StandardError());
  ASSERT_TRUE(blanks->Row(blank));
  ASSERT_TRUE(blanks->Finish());
  const std::string blankXml = ReadZipEntry(Path("blank.xlsx"), "xl/worksheets/sheet1.xml");
  EXPECT_EQ(blankXml.find("<v></v>"), std::string::npos) << blankXml;
  EXPECT_EQ(blankXml.find("<v>-</v>"), std::string::npos) << blankXml;

  // A sheet of texts that hardly compress, much larger than a block of the
  // writer's, comes back whole and in order.
  const auto large = WorkbookAt(Path("large.xlsx"), StandardError());
  uint64_t noise = 88172645463325252u;
  ExportedRow random = row;
  for (int i = 0; i < 40000; ++i) {
    for (std::string* text : {&random.fields[0], &random.fields[1]}) {
      text->assign(38, ' ');
      for (char& c : *text) {
        noise ^= noise << 13, noise ^= noise >> 7, noise ^= noise << 17;
        c = static_cast<char>('!' + noise % 90);
      }
    }
    random.slot = i;
    ASSERT_TRUE(large->Row(random));
  }
  ASSERT_TRUE(large->Finish());
  const Rows back = ReadAll(Path("large.xlsx"), &why);
  ASSERT_EQ(back.size(), 40001u) << why;
  EXPECT_EQ(back.back()[1], "39999");
  EXPECT_EQ(back.back()[3], random.fields[0]);

  // Past a sheet's last row, the rows go on in another sheet, under a
  // header of its own.
  const auto split = WorkbookAt(Path("split.xlsx"), StandardError(), /*rowsPerSheet=*/2);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(split->Row(row));
  ASSERT_TRUE(split->Finish());
  const Rows sheets = ReadAll(Path("split.xlsx"), &why);
  ASSERT_EQ(sheets.size(), 5u) << why;
  EXPECT_EQ(sheets[3][0], "Stock 2!1");
  EXPECT_EQ(sheets[3][2], "number");
  EXPECT_EQ(sheets[4][0], "Stock 2!2");
  // Each sheet's filter is its own, under the sheet's name as a formula
  // quotes it.
  const std::string book = ReadZipEntry(Path("split.xlsx"), "xl/workbook.xml");
  EXPECT_NE(book.find("localSheetId=\"0\" hidden=\"1\">Stock!$A$1:$K$3<"), std::string::npos)
      << book;
  EXPECT_NE(book.find("localSheetId=\"1\" hidden=\"1\">'Stock 2'!$A$1:$K$2<"), std::string::npos)
      << book;
}

TEST_F(Workbook, CellsReadAsTheSpreadsheetStoredThem) {
  WorkbookShape shape;
  // Styles: 0 plain, 1 a built-in date, 2 a date format of its own, 3 text
  // with a quoted "d" in it, which is no date.
  shape.styles = {0, 14, 164, 165};
  shape.formats =
      "<numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy\"/>"
      "<numFmt numFmtId=\"165\" formatCode=\"0.00&quot; d&quot;\"/>";
  shape.strings = {"<t>number</t>", "<r><t>RED </t></r><r><t>HAT</t></r><rPh><t>x</t></rPh>",
                   "<t xml:space=\"preserve\"> A_x000D_B_x005F_x0041_ </t>"};
  shape.sheets = {
      {"Stock",
       "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"inlineStr\"><is><t>price"
       "</t></is></c></row>"
       "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>1</v></c><c r=\"B3\" t=\"s\"><v>2</v></c>"
       "<c r=\"C3\"><f>1+1.5</f><v>2.5</v></c><c r=\"D3\" s=\"1\"><v>46086</v></c>"
       "<c r=\"E3\" s=\"2\"><v>1.5</v></c><c r=\"F3\" s=\"3\"><v>12</v></c></row>"
       // Cells without references; cells that hold no value: errors, a
       // formula whose value was never worked out, two values; a row of
       // such a cell alone; then a row of empty cells, which is no row.
       "<row><c t=\"b\"><v>1</v></c><c t=\"e\"><v>#N/A</v></c><c t=\"str\"><f>A1</f><v> "
       "X_x0041_</v>"
       "</c><c t=\"e\"><f>1/0</f><v>#DIV/0!</v></c><c><f>A1*2</f></c><c t=\"inlineStr\"><v>5</v>"
       "<is><t>6</t></is></c><c t=\"str\"><f>A1</f><v></v></c></row>"
       "<row r=\"7\"><c r=\"B7\"><f>B6</f></c></row>"
       "<row r=\"9\"><c r=\"A9\" s=\"1\"/><c r=\"B9\" t=\"inlineStr\"><is><t></t>"
       "</is></c></row>"},
      {"My list", "<row r=\"2\"><c r=\"AB2\" t=\"inlineStr\"><is><t>far</t></is></c></row>"}};
  const Rows rows = Read(shape);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"Stock!1", "number", "", "price"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"Stock!3", "RED HAT", " A\rB_x0041_ ", "2.5",
                                               "2026-03-05", "1900-01-01", "12"}));
  // A formula's text result keeps its blanks and escapes, as any text does.
  EXPECT_EQ(rows[2],
            (std::vector<std::string>{"Stock!4", "TRUE", "<error #N/A>", " XA", "<error #DIV/0!>",
                                      "<no value yet>", "<two values>", ""}));
  EXPECT_EQ(rows[3], (std::vector<std::string>{"Stock!7", "", "<no value yet>"}));
  ASSERT_EQ(rows[4].size(), 29u);
  EXPECT_EQ(rows[4][0], "My list!2");
  EXPECT_EQ(rows[4][28], "far");
  EXPECT_EQ(WorkbookReader::CellName("My list", 2, 27), "'My list'!AB2");
  EXPECT_EQ(WorkbookReader::CellName("Stock", 7, 3), "Stock!D7");
  // Columns are named as the spreadsheet names them, past Z and ZZ too.
  const std::vector<std::pair<size_t, std::string>> columns{
      {0, "A"}, {25, "Z"}, {26, "AA"}, {51, "AZ"}, {52, "BA"}, {701, "ZZ"}, {702, "AAA"}};
  for (const auto& [column, letters] : columns) {
    EXPECT_EQ(WorkbookReader::CellName("S", 12, column), "S!" + letters + "12");
  }

  // The workbook named by an absolute name in the package, as some
  // programs write it.
  shape.sheets = {{"S", "<row r=\"1\"><c r=\"A1\"><v>7</v></c></row>"}};
  std::vector<WorkbookPart> parts = WorkbookParts(shape);
  for (WorkbookPart& part : parts) {
    const size_t target = part.second.find("Target=\"xl/workbook");
    if (part.first == "_rels/.rels" && target != std::string::npos) {
      part.second.insert(target + 8, "/");
    }
  }
  ASSERT_TRUE(WriteZipFile(Path("w.xlsx"), parts));
  std::string why;
  EXPECT_EQ(ReadAll(Path("w.xlsx"), &why), (Rows{{"S!1", "7"}})) << why;

  // A workbook whose main part has another name, found by the package's
  // relationships, and one whose parts are named in capitals.
  shape.sheets = {{"S", "<row r=\"1\"><c r=\"A1\"><v>8</v></c></row>"}};
  std::vector<WorkbookPart> renamed = WorkbookParts(shape);
  for (WorkbookPart& part : renamed) {
    if (part.first == "xl/workbook.xml") part.first = "xl/workbook2.xml";
    if (part.first == "xl/_rels/workbook.xml.rels") part.first = "xl/_rels/workbook2.xml.rels";
    const size_t target = part.second.find("Target=\"xl/workbook.xml");
    if (target != std::string::npos) part.second.replace(target + 8, 15, "xl/workbook2.xml");
  }
  std::vector<WorkbookPart> capitals = WorkbookParts(shape);
  for (WorkbookPart& part : capitals) {
    if (part.first.compare(0, 3, "xl/") == 0) part.first = "XL/" + part.first.substr(3);
    if (part.first == "XL/workbook.xml") part.first = "XL/Workbook.xml";
    const size_t target = part.second.find("Target=\"xl/workbook.xml");
    if (target != std::string::npos) part.second.replace(target + 8, 15, "XL/Workbook.xml");
  }
  for (const auto& form : {renamed, capitals}) {
    ASSERT_TRUE(WriteZipFile(Path("w.xlsx"), form));
    const auto sheetReader = OpenSheetReader(Path("w.xlsx"), &why);
    ASSERT_TRUE(sheetReader) << why;
    std::string name;
    SheetRow sheetRow;
    ASSERT_TRUE(sheetReader->NextSheet(&name));
    ASSERT_TRUE(sheetReader->NextRow(&sheetRow)) << sheetReader->error();
    EXPECT_EQ(std::string(sheetRow.cells.at(0)), "8");
  }

  // Dates counted from 1904, and the 29 February 1900 of the 1900 count.
  shape.from1904 = true;
  shape.sheets = {{"S", "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>0</v></c></row>"}};
  EXPECT_EQ(Read(shape)[0], (std::vector<std::string>{"S!1", "1904-01-01"}));
  shape.from1904 = false;
  shape.sheets = {{"S",
                   "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>60</v></c><c r=\"B1\" s=\"1\">"
                   "<v>61</v></c></row>"}};
  EXPECT_EQ(Read(shape)[0], (std::vector<std::string>{"S!1", "1900-02-29", "1900-03-01"}));
}

// An OpenDocument spreadsheet reads as a workbook of the same values does:
// each cell by its value type, texts as their paragraphs say them, a repeat
// of cells or rows as often as it stands, empty repeats as nothing at all.
TEST_F(Workbook, OpenDocumentCellsReadAsTheSpreadsheetStoredThem) {
  const std::string text = "<table:table-cell office:value-type=\"string\">";
  const std::string end = "</table:table-cell>";
  const std::vector<std::pair<std::string, std::string>> tables = {
      {"Stock",
       "<table:table-row>" + text + "<text:p>number</text:p>" + end +
           "<table:table-cell table:number-columns-repeated=\"2\"/>" + text +
           "<text:p>price</text:p>" + end +
           "<table:table-cell table:number-columns-repeated=\"16380\"/></table:table-row>"
           // Blanks: one kept where it stands, none leading a paragraph, more
           // as text:s; tabs, breaks and paragraphs; a run; a comment, left out.
           "<table:table-row>" +
           text + "<text:p><text:s/>A  <text:s text:c=\"2\"/>B " + "</text:p>" + end + text +
           "<text:p>TAB<text:tab/>IN<text:line-break/>" +
           "<text:span>RUN</text:span></text:p><text:p>NEXT</text:p><office:annotation>" +
           "<text:p>a note</text:p></office:annotation>" + end +
           "<table:table-cell office:value-type=\"float\" office:value=\"2.5\">"
           "<text:p>2.50</text:p>" +
           end +
           "<table:table-cell office:value-type=\"percentage\" office:value=\"0.12\"/>"
           "<table:table-cell office:value-type=\"date\" "
           "office:date-value=\"2026-03-05T10:00:00\"/>"
           "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\"/>"
           "<table:table-cell office:value-type=\"float\" office:value=\"0\" "
           "calcext:value-type=\"error\"><text:p>#DIV/0!</text:p>" +
           end +
           "<table:table-cell office:value-type=\"string\" office:string-value=\"GIVEN\">"
           "<text:p>SHOWN</text:p>" +
           end + "<table:table-cell><text:p>no type: empty</text:p>" + end +
           "<table:covered-table-cell office:value-type=\"currency\" office:value=\"7\"/>"
           "</table:table-row>"
           // Repeats: a row of values twice, a value twice, then the empty
           // rows Calc writes down to the sheet's last.
           "<table:table-row table:number-rows-repeated=\"2\">"
           "<table:table-cell table:number-columns-repeated=\"2\" office:value-type=\"float\" "
           "office:value=\"4\"/></table:table-row>"
           "<table:table-row table:number-rows-repeated=\"1048570\"><table:table-cell "
           "table:number-columns-repeated=\"16384\"/></table:table-row>"},
      {"My list", "<table:table-row/><table:table-row>" + text + "<text:p>far</text:p>" + end +
                      "</table:table-row>"}};
  ASSERT_TRUE(WriteZipFile(Path("w.ods"), OdsParts(tables)));
  std::string why;
  const Rows rows = ReadAll(Path("w.ods"), &why, /*ods=*/true);
  EXPECT_EQ(why, "");
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"Stock!1", "number", "", "", "price"}));
  EXPECT_EQ(rows[1],
            (std::vector<std::string>{"Stock!2", " A   B ", "TAB\tIN\nRUN\nNEXT", "2.5", "0.12",
                                      "2026-03-05", "TRUE", "#DIV/0!", "GIVEN", "", "7"}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"Stock!3", "4", "4"}));
  EXPECT_EQ(rows[3], (std::vector<std::string>{"Stock!4", "4", "4"}));
  EXPECT_EQ(rows[4], (std::vector<std::string>{"My list!2", "far"}));

  // A repeat that would put a value past the sheet's last column or row,
  // a document type, no content: refused.
  const auto problem = [&](const std::string& rows) {
    EXPECT_TRUE(WriteZipFile(Path("w.ods"), OdsParts({{"S", rows}})));
    std::string why;
    ReadAll(Path("w.ods"), &why, /*ods=*/true);
    return why;
  };
  EXPECT_EQ(problem("<table:table-row><table:table-cell table:number-columns-repeated=\"16384\"/>" +
                    text + "<text:p>x</text:p>" + end + "</table:table-row>"),
            "S: row 1 has a value past the sheet's last column");
  EXPECT_EQ(problem("<table:table-row table:number-rows-repeated=\"1048576\"/>"
                    "<table:table-row table:number-rows-repeated=\"2\">" +
                    text + "<text:p>x</text:p>" + end + "</table:table-row>"),
            "S: row 1048577 is past the sheet's last row, 1048576");
  EXPECT_EQ(problem("<table:table-row><table:table-cell table:number-columns-repeated="
                    "\"18446744073709551615\" office:value-type=\"float\" office:value=\"1\"/>"
                    "</table:table-row>"),
            "S: row 1 has a value past the sheet's last column");
  // The last column and the last row themselves hold values.
  ASSERT_TRUE(WriteZipFile(
      Path("w.ods"),
      OdsParts(
          {{"S", "<table:table-row><table:table-cell table:number-columns-repeated=\"16383\"/>" +
                     text + "<text:p>x</text:p>" + end +
                     "</table:table-row><table:table-row table:number-rows-repeated=\"1048574\"/>"
                     "<table:table-row>" +
                     text + "<text:p>y</text:p>" + end + "</table:table-row>"}})));
  const Rows last = ReadAll(Path("w.ods"), &why, /*ods=*/true);
  EXPECT_EQ(why, "");
  ASSERT_EQ(last.size(), 2u);
  ASSERT_EQ(last[0].size(), 16385u);
  EXPECT_EQ(last[0].back(), "x");
  EXPECT_EQ(last[1], (std::vector<std::string>{"S!1048576", "y"}));
  auto parts = OdsParts({{"S", ""}});
  parts[2].second = "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"aaaa\">]><d/>";
  ASSERT_TRUE(WriteZipFile(Path("w.ods"), parts));
  ReadAll(Path("w.ods"), &why, /*ods=*/true);
  EXPECT_EQ(why, "content.xml: a document type, which no OpenDocument spreadsheet has");
  ASSERT_TRUE(WriteZipFile(Path("w.ods"), {parts[0], parts[1]}));
  EXPECT_EQ(OpenSheetReader(Path("w.ods"), &why), nullptr);
  EXPECT_EQ(why, "is no OpenDocument spreadsheet (content.xml is missing)");
}

// A zip whose entry no longer matches its checksum (a byte changed in a
// stored entry, which no inflate would notice), is cut short, or claims to
// inflate past what such a part holds, is refused naming the entry, in a
// workbook and in an OpenDocument spreadsheet alike, before any row of it
// is handed out.
TEST_F(Workbook, ADamagedZipIsRefusedNamingItsEntry) {
  WorkbookShape shape;
  shape.strings = {"<t>number</t>", "<t>price</t>"};
  shape.sheets = {{"Stock",
                   "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\">"
                   "<v>1</v></c></row><row r=\"2\"><c r=\"A2\"><v>161</v></c>"
                   "<c r=\"B2\"><v>7.25</v></c></row>"}};
  const std::string ods =
      "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"161\"/>"
      "<table:table-cell office:value-type=\"float\" office:value=\"7.25\"/></table:table-row>";
  const std::string sheet = "xl/worksheets/sheet1.xml", strings = "xl/sharedStrings.xml";
  const auto damaged = [](const std::string& part, const std::string& what) {
    return "is damaged (" + part + " " + what + "): export again or bring back an undamaged copy";
  };
  const std::string checksum = "does not match its checksum";
  const struct {
    const char* file;
    ZipForm form;
    std::string changed;  // a text of the stored part whose first byte is changed
    std::string why;
  } cases[] = {
      {"w.xlsx", {true, "", 0}, "7.25", damaged(sheet, checksum)},
      {"w.xlsx", {true, "", 0}, "price", damaged(strings, checksum)},
      {"w.xlsx", {false, sheet, 1}, "", damaged(sheet, checksum)},
      {"w.xlsx", {false, strings, 1}, "", damaged(strings, checksum)},
      {"w.xlsx",
       {false, sheet, 1u << 31},
       "",
       damaged(sheet, "would inflate to more than any such part holds")},
      {"w.ods", {true, "", 0}, "7.25", damaged("content.xml", checksum)},
      {"w.ods", {false, "content.xml", 1}, "", damaged("content.xml", checksum)},
  };
  for (const auto& c : cases) {
    const bool isOds = std::string(c.file) == "w.ods";
    ASSERT_TRUE(WriteZipFile(Path(c.file),
                             isOds ? OdsParts({{"Stock", ods}}) : WorkbookParts(shape), c.form));
    if (!c.changed.empty()) {
      Bytes bytes = ReadBytes(c.file);
      const std::string text(bytes.begin(), bytes.end());
      const size_t at = text.find(c.changed);
      ASSERT_NE(at, std::string::npos) << c.changed;
      ASSERT_EQ(text.find(c.changed, at + 1), std::string::npos) << c.changed;
      bytes[at] ^= 0x0E;  // 7.25 reads 9.25, price reads ~rice
      WriteBytes(c.file, bytes);
    }
    EXPECT_EQ(SheetRows(Path(c.file)), Rows{{c.why}}) << c.changed << c.form.overstatedPart;
  }
}

// A workbook made to take memory or time without bound is refused with
// what it holds past a bound: a shared string longer than any cell,
// referenced by many cells (held once, never copied per cell); a row whose
// cells together hold more than any row; an element the parser would have
// to hold whole; elements nested without end. The same in an OpenDocument
// spreadsheet.
TEST_F(Workbook, AHostileWorkbookIsRefusedAtItsBound) {
  const std::string longest(kLongestCell, 'x');
  const auto cells = [](int count, const std::string& cell) {
    std::string row = "<row r=\"1\">";
    for (int i = 0; i < count; ++i) row += cell;
    return row + "</row>";
  };
  const std::string shared = "<c t=\"s\"><v>0</v></c>";
  std::string deep;
  for (int i = 0; i < 70; ++i) deep = "<r>" + deep + "</r>";
  const struct {
    std::string string, sheet, why;
  } cases[] = {
      {"<t>" + longest + "y</t>", cells(16384, shared),
       "Stock!A1 holds more text than any cell of a stock's sheet, 1048576 bytes"},
      {"<t>" + longest + "</t>", cells(17, shared),
       "Stock: row 1 holds more text than any row of a stock's sheet"},
      {"<t>a</t>", cells(1, "<c x=\"" + std::string(5 << 20, 'a') + "\"/>"),
       "Stock: xl/worksheets/sheet1.xml: an element longer than any a workbook holds"},
      {"<t>a</t>", cells(1, "<c t=\"inlineStr\"><is>" + deep + "</is></c>"),
       "Stock: elements nested deeper than any workbook's"},
  };
  WorkbookShape shape;
  for (const auto& c : cases) {
    shape.strings = {c.string};
    shape.sheets = {{"Stock", c.sheet}};
    EXPECT_EQ(Problem(WorkbookParts(shape)), c.why);
  }

  // The same bounds in an OpenDocument spreadsheet.
  const std::string cell = "<table:table-cell office:value-type=\"string\" office:string-value=\"" +
                           std::string(kLongestCell, 'x') + "\"/>";
  std::string seventeen, nested;
  for (int i = 0; i < 17; ++i) seventeen += cell;
  for (int i = 0; i < 70; ++i) nested = "<text:span>" + nested + "</text:span>";
  const struct {
    std::string rows, why;
  } tables[] = {
      {"<table:table-row>" + seventeen + "</table:table-row>",
       "Stock: row 1 holds more text than any row of a stock's sheet"},
      {"<table:table-row><table:table-cell/><table:table-cell office:value-type=\"string\">"
       "<text:p>" +
           std::string(kLongestCell + 1, 'x') + "</text:p></table:table-cell></table:table-row>",
       "Stock!B1 holds more text than any cell of a stock's sheet, 1048576 bytes"},
      {"<table:table-row><table:table-cell x=\"" + std::string(5 << 20, 'a') +
           "\"/></table:table-row>",
       "Stock: content.xml: an element longer than any a spreadsheet holds"},
      {"<table:table-row><table:table-cell office:value-type=\"string\"><text:p>" + nested +
           "</text:p></table:table-cell></table:table-row>",
       "Stock: content.xml: elements nested deeper than any spreadsheet's"},
  };
  for (const auto& t : tables) {
    ASSERT_TRUE(WriteZipFile(Path("w.ods"), OdsParts({{"Stock", t.rows}})));
    std::string why;
    ReadAll(Path("w.ods"), &why, /*ods=*/true);
    EXPECT_EQ(why, t.why);
  }
}

// Shared strings past what memory takes go into a file beside the
// workbook and come back from it, in the order they came and in any other;
// the file goes with the table. A table that cannot make the file says why.
TEST_F(Workbook, SharedStringsPastMemoryComeBackFromBesideTheWorkbook) {
  const auto text = [](size_t i) { return std::string(i % 37, 'a' + i % 26) + std::to_string(i); };
  constexpr size_t kCount = 600000;  // 14 MB of text, 2.4 MB of index
  const auto wide = [](const std::string& path) {
    std::wstring name;
    EXPECT_TRUE(WideFromUtf8(path, &name));
    return name;
  };
  {
    StringTable table(wide(Path("w.xlsx")), 1 << 20, 1 << 20);
    for (size_t i = 0; i < kCount; ++i) ASSERT_TRUE(table.Add(text(i)));
    EXPECT_TRUE(table.spilled());
    EXPECT_TRUE(Exists("w.xlsx.strings.part"));
    EXPECT_TRUE(Exists("w.xlsx.index.part"));
    EXPECT_LT(table.bytes(), size_t{5} << 20);
    std::string copies;
    const auto same = [&](size_t i) {
      std::string_view got;
      size_t at = 0;
      return table.Get(i, &copies, &got, &at) && got == text(i);
    };
    size_t wrong = 0;
    for (size_t i = 0; i < kCount; ++i) wrong += !same(i);
    for (size_t i = 0, j = 7; i < kCount / 10; ++i, j = (j * 48271) % kCount) wrong += !same(j);
    for (size_t i = kCount; i-- > 0;) wrong += !same(i);
    EXPECT_EQ(wrong, 0u);
  }
  EXPECT_FALSE(Exists("w.xlsx.strings.part"));
  EXPECT_FALSE(Exists("w.xlsx.index.part"));
  // In memory alone, strings that cross from one block into the next.
  StringTable inMemory;
  const std::string long1(1000003, 'x');
  ASSERT_TRUE(inMemory.Add(long1) && inMemory.Add("across") && inMemory.Add(long1) &&
              inMemory.Add("across again"));
  std::string copies;
  std::string_view got;
  size_t at = 0;
  ASSERT_TRUE(inMemory.Get(1, &copies, &got, &at));
  EXPECT_EQ(got, "across");
  ASSERT_TRUE(inMemory.Get(2, &copies, &got, &at));
  EXPECT_EQ(got, long1);
  ASSERT_TRUE(inMemory.Get(3, &copies, &got, &at));
  EXPECT_EQ(got, "across again");

  StringTable nowhere(wide(Path("missing/w.xlsx")), 1 << 20, 1 << 20);
  bool added = true;
  for (size_t i = 0; i < kCount && added; ++i) added = nowhere.Add(text(i));
  EXPECT_FALSE(added);
  EXPECT_EQ(nowhere.cause(), platform::FileError::kNoFolder);
}

// A workbook whose shared strings take more than memory holds reads them
// back from beside it in its rows; one of more shared strings than its
// sheets could name is refused before they are read.
TEST_F(Workbook, AWorkbookOfManySharedStringsIsReadOrRefusedByItsCells) {
  WorkbookShape shape;
  std::string rows;
  constexpr size_t kStrings = 500000;  // 50 MB
  for (size_t i = 0; i < kStrings; ++i) {
    shape.strings.push_back("<t>" + std::string(90, 'a' + i % 26) + std::to_string(i) + "</t>");
  }
  const auto string = [](size_t i) { return std::string(90, 'a' + i % 26) + std::to_string(i); };
  const auto cell = [](size_t i) { return "<c t=\"s\"><v>" + std::to_string(i) + "</v></c>"; };
  // Each row one string from memory and one from beside the file, their
  // columns swapped from row to row.
  for (size_t r = 1; r <= 100; ++r) {
    const std::string early = cell(r - 1), late = cell(kStrings - r);
    rows += "<row r=\"" + std::to_string(r) + "\">" + (r % 2 == 1 ? early + late : late + early) +
            "</row>";
  }
  rows += std::string(kStrings * 20, ' ');  // room, as the sheet states it, for every string
  // The room of every sheet counts: the last one here has little.
  shape.sheets = {{"Stock", rows}, {"Notes", "<row r=\"1\"><c><v>1</v></c></row>"}};
  const Rows read = Read(shape);
  ASSERT_EQ(read.size(), 101u);
  EXPECT_EQ(read[0], (std::vector<std::string>{"Stock!1", string(0), string(kStrings - 1)}));
  EXPECT_EQ(read[1], (std::vector<std::string>{"Stock!2", string(kStrings - 2), string(1)}));
  EXPECT_EQ(read[99], (std::vector<std::string>{"Stock!100", string(kStrings - 100), string(99)}));
  EXPECT_EQ(read[100], (std::vector<std::string>{"Notes!1", "1"}));
  EXPECT_FALSE(Exists("w.xlsx.strings.part"));

  // A row inside another (no spreadsheet writes one) starts afresh: no
  // cell of the row around it, not even one without a value, comes along.
  shape.strings = {"<t>a</t>"};
  shape.sheets = {{"Stock",
                   "<row r=\"1\"><c t=\"e\"><v>#REF!</v></c><row r=\"2\"><c><v>5</v></c></row>"
                   "</row>"}};
  EXPECT_EQ(Read(shape), (Rows{{"Stock!2", "5"}}));

  // Shared strings that are all empty hold no byte at all.
  shape.strings = {""};
  shape.sheets = {{"Stock", "<row r=\"1\"><c t=\"s\"><v>0</v></c><c><v>5</v></c></row>"}};
  EXPECT_EQ(Read(shape), (Rows{{"Stock!1", "", "5"}}));

  shape.strings.assign(1000, "");
  shape.sheets = {{"Stock", "<row r=\"1\"><c t=\"s\"><v>0</v></c></row>"}};
  EXPECT_EQ(Problem(WorkbookParts(shape)),
            "holds more shared strings than its sheets have cells (8 and more)");
}

// A zip of more entries than any workbook or spreadsheet holds is refused
// before its directory is walked; a workbook of as many sheets as the
// import numbers is read whole, and one of a sheet more is refused.
TEST_F(Workbook, EntriesAndSheetsPastAWorkbooksAreRefused) {
  WorkbookShape shape;
  const std::string row = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
  shape.sheets = {{"Stock", row}};
  std::vector<WorkbookPart> parts = WorkbookParts(shape);
  for (int i = 0; i < 10000; ++i) parts.emplace_back("xl/media/" + std::to_string(i), "");
  ASSERT_TRUE(WriteZipFile(Path("w.xlsx"), parts));
  EXPECT_EQ(
      SheetRows(Path("w.xlsx")),
      Rows{{"is no workbook of a stock: it holds 10006 entries, and a workbook holds a few"}});
  std::vector<WorkbookPart> ods = OdsParts({{"Stock", ""}});
  ods.insert(ods.end(), parts.begin() + 6, parts.end());
  ASSERT_TRUE(WriteZipFile(Path("w.ods"), ods));
  EXPECT_EQ(SheetRows(Path("w.ods")),
            Rows{{"is no spreadsheet of a stock: it holds 10003 entries, and one holds a few"}});

  shape.sheets.assign(2047, {"S", row});
  for (size_t i = 0; i < shape.sheets.size(); ++i) shape.sheets[i].first += std::to_string(i);
  ASSERT_TRUE(WriteZipFile(Path("w.xlsx"), WorkbookParts(shape)));
  EXPECT_EQ(SheetRows(Path("w.xlsx")), Rows(2047, {"1"}));
  shape.sheets.push_back({"Last", row});
  ASSERT_TRUE(WriteZipFile(Path("w.xlsx"), WorkbookParts(shape)));
  EXPECT_EQ(SheetRows(Path("w.xlsx")).back(),
            std::vector<std::string>{"holds more than 2047 sheets"});
}

// Past the header's last column, the first value of a row stands next to
// it, where the import tells there is one, however far right it was: a
// million rows each with a value in the last column read as fast as
// narrow ones.
TEST_F(Workbook, AValueFarRightOfTheHeaderStandsNextToIt) {
  WorkbookShape shape;
  shape.sheets = {{"Stock",
                   "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>2</v></c></row>"
                   "<row r=\"2\"><c r=\"XFC2\"><v>3</v></c><c r=\"XFD2\"><v>4</v></c>"
                   "</row><row r=\"3\"><c r=\"A3\"><v>5</v></c><c r=\"XFD3\" t=\"e\">"
                   "<v>#N/A</v></c></row>"}};
  ASSERT_TRUE(WriteZipFile(Path("w.xlsx"), WorkbookParts(shape)));
  EXPECT_EQ(SheetRows(Path("w.xlsx")), (Rows{{"1", "2"}, {"", "", "3"}, {"5", ""}}));
  const std::string value = "<table:table-cell office:value-type=\"float\" office:value=\"";
  ASSERT_TRUE(WriteZipFile(
      Path("w.ods"),
      OdsParts(
          {{"Stock", "<table:table-row>" + value + "1\"/>" + value +
                         "2\"/></table:table-row><table:table-row table:number-rows-repeated="
                         "\"2\"><table:table-cell table:number-columns-repeated=\"16000\"/>" +
                         value + "3\" table:number-columns-repeated=\"2\"/></table:table-row>"}})));
  EXPECT_EQ(SheetRows(Path("w.ods")), (Rows{{"1", "2"}, {"", "", "3"}, {"", "", "3"}}));
}

TEST_F(Workbook, WhatIsNoWorkbookIsToldWithoutReadingOn) {
  WriteBytes("plain.xlsx", Bytes{'n', 'u', 'm', 'b', 'e', 'r', '\n'});
  std::string why;
  EXPECT_EQ(WorkbookReader::Open(Path("plain.xlsx"), &why), nullptr);
  EXPECT_EQ(why, "is no workbook: its zip cannot be read");
  EXPECT_EQ(WorkbookReader::Open(Path("none.xlsx"), &why), nullptr);

  EXPECT_TRUE(WriteZipFile(Path("w.xlsx"), {{"a.txt", "a"}}));
  EXPECT_EQ(WorkbookReader::Open(Path("w.xlsx"), &why), nullptr);
  EXPECT_EQ(why, "is no workbook (xl/workbook.xml is missing)");

  // Formats import does not read are told as what they are, with what to
  // do, whatever the file's name; none is read as CSV.
  const std::string save = ": save it as .xlsx (Excel 2007-365) and bring that back";
  const struct {
    std::string bytes;
    std::vector<WorkbookPart> parts;  // a zip of these, when there are any
    std::string why;
  } unread[] = {
      {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\0\0", 12),
       {},
       "is an old-style Excel file (.xls, or another program's file of that kind)" + save},
      {std::string("\x09\x04\x06\0\0\0\x10\0", 8), {}, "is an old-style Excel file"},
      {"\x1F\x8B\x08", {}, "is a compressed file (a Gnumeric workbook, say), not a sheet" + save},
      {"\xEF\xBB\xBF<?xml version=\"1.0\"?><office:document/>", {}, "is an XML file"},
      {"",
       {{"Index/Document.iwa", "x"}, {"Metadata/Properties.plist", "x"}},
       "is neither a workbook nor an OpenDocument spreadsheet (a .numbers file, say, or another "
       "program's zip)" +
           save},
      {"", {{"a.txt", "a"}}, "is neither a workbook nor an OpenDocument spreadsheet"},
      {"",
       {{"[Content_Types].xml", "<Types/>"}, {"xl/workbook.bin", "x"}},
       "is a binary workbook (.xlsb)" + save},
      {"",
       {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<x/>"}},
       "is an OpenDocument file of another kind than a spreadsheet" + save},
  };
  for (const auto& c : unread) {
    if (c.parts.empty()) {
      WriteBytes("sheet.csv", Bytes(c.bytes.begin(), c.bytes.end()));
    } else {
      ASSERT_TRUE(WriteZipFile(Path("sheet.csv"), c.parts));
    }
    why.clear();
    EXPECT_EQ(OpenSheetReader(Path("sheet.csv"), &why), nullptr) << c.why;
    EXPECT_EQ(why.substr(0, c.why.size()), c.why);
  }

  WorkbookShape shape;
  shape.sheets = {{"S", "<row r=\"2\"><c r=\"A2\"><v>1</v></c></row><row r=\"2\"/>"}};
  EXPECT_EQ(Problem(WorkbookParts(shape)), "S: row 2 out of its order");
  shape.sheets = {{"S", "<row r=\"1048576\"><c><v>1</v></c></row><row><c><v>2</v></c></row>"}};
  EXPECT_EQ(Problem(WorkbookParts(shape)), "S: row 1048577 is past a sheet's last row, 1048576");
  shape.sheets = {{"S", "<row r=\"2\"><c r=\"B2\"><v>1</v></c><c r=\"A2\"><v>1</v></c></row>"}};
  EXPECT_EQ(Problem(WorkbookParts(shape)), "S: a cell out of its order in row 2");
  // One shared string: index 1 is the first past the table.
  shape.strings = {"<t>a</t>"};
  shape.sheets = {{"S", "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>1</v></c></row>"}};
  EXPECT_EQ(Problem(WorkbookParts(shape)), "S: a cell of row 2 names no shared string");
  // Entities, what an XML bomb is made of, never expand: a part with a
  // document type is refused.
  auto parts = WorkbookParts(shape);
  parts[2].second = "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaa\">]><worksheet/>";
  EXPECT_EQ(Problem(parts), "S: a document type, which no workbook has");
}

// An export cut short by any file step that fails, comes up short or finds
// the disk full is told, and leaves the sheet that was there as it was and
// nothing beside it; where the step was one it could do without, the sheet
// it put in place is whole. The workbook's rows fill more than one of the
// blocks its deflating threads take.
TEST_F(SheetCommands, AnExportCutShortLeavesTheSheetThereAsItWas) {
  std::vector<Item> items;
  for (int64_t n = 1; n <= 2000; ++n) {
    items.push_back({n * 37, "ITEM " + std::to_string(n * 7919), "S" + std::to_string(n)});
  }
  WriteInventory(MakeItems(items));
  const Bytes old{'o', 'l', 'd'};
  for (const std::string name : {"stock.csv", "stock.xlsx"}) {
    const auto exportWith = [&](FileOp op, int nth, Fault fault) {
      return Tool([&] {
        if (nth > 0) faults_.Inject(op, nth, fault);
        return ExportSheet(Path(name), /*all=*/false, StandardError()) == ExportEnd::kWritten ? 0
                                                                                              : 1;
      });
    };
    ASSERT_EQ(exportWith(FileOp::kOpen, 0, Fault::kFail), 0) << err_;
    const Rows whole = SheetRows(Path(name));
    ASSERT_EQ(whole.size(), items.size() + 1);
    int calls[static_cast<int>(FileOp::kCount)];
    for (int op = 0; op < static_cast<int>(FileOp::kCount); ++op) {
      calls[op] = faults_.Count(static_cast<FileOp>(op));
    }
    int failed = 0;
    // The steps a sheet's file takes (film.dat's reads are another test's).
    for (FileOp fileOp :
         {FileOp::kOpen, FileOp::kWrite, FileOp::kSeek, FileOp::kFlush, FileOp::kRename}) {
      const int op = static_cast<int>(fileOp);
      for (int nth = 1; nth <= calls[op]; ++nth) {
        for (Fault fault : {Fault::kFail, Fault::kShort, Fault::kDiskFull}) {
          if (fault != Fault::kFail && fileOp != FileOp::kWrite) continue;
          const std::string run = name + ", " + testkit::kFileOpNames[op] + " " +
                                  std::to_string(nth) + " fault " +
                                  std::to_string(static_cast<int>(fault));
          WriteBytes(name, old);
          if (exportWith(fileOp, nth, fault) == 0) {
            EXPECT_EQ(SheetRows(Path(name)), whole) << run;
          } else {
            ++failed;
            EXPECT_EQ(ReadBytes(name), old) << run;
            EXPECT_NE(err_, "") << run;
          }
          EXPECT_FALSE(Exists(name + ".part")) << run;
        }
      }
    }
    EXPECT_GT(failed, 5) << name;
  }
}

}  // namespace
