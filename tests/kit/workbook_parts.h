// Workbooks as the tests make them: a zip of the parts given, written with
// minizip, and the parts of a small workbook as spreadsheets save one
// (relationships, workbook, styles, shared strings, sheets), so that a test
// can make the form it needs from plain XML.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using WorkbookPart = std::pair<std::string, std::string>;  // name in the zip, content

// How the zip's entries are written: deflated, or stored as they are (so
// that a byte changed in the file is a byte changed in the part); and one
// part, if named, whose central directory entry states `overstated` bytes
// more than it holds, as an entry cut short or a bomb claims.
struct ZipForm {
  bool stored = false;
  std::string overstatedPart;
  uint32_t overstated = 0;
};

// Writes the zip of `parts`; false when it cannot be written.
bool WriteZipFile(const std::string& path, const std::vector<WorkbookPart>& parts,
                  const ZipForm& form = {});
// The content of entry `name` of the zip at `path`; "" when it has none.
std::string ReadZipEntry(const std::string& path, const std::string& name);

// The parts of a workbook with the sheets named (each its sheet XML's
// <sheetData> content), the shared strings `strings` (each an <si>'s
// content) and the cell styles' number formats `styles` (numFmtId each, with
// custom formats `formats` as numFmt elements), dates from 1904 if asked.
struct WorkbookShape {
  std::vector<std::pair<std::string, std::string>> sheets;  // name, sheetData content
  std::vector<std::string> states;  // by sheet, the state attribute when there is one
  std::vector<std::string> strings;
  std::vector<unsigned> styles{0};
  std::string formats;
  bool from1904 = false;
};
std::vector<WorkbookPart> WorkbookParts(const WorkbookShape& shape);

// The parts of an OpenDocument spreadsheet whose tables are named, each
// its table:table content (rows of cells, in the namespaces' usual prefixes:
// table, office, text, calcext).
std::vector<WorkbookPart> OdsParts(const std::vector<std::pair<std::string, std::string>>& tables);

// Sheets of rows (each sheet's first row its header) as a spreadsheet saves
// them: the texts as shared strings, and the values of the columns whose
// header names a whole number or a price (in_stock, tax, category, the
// prices, slot) as numbers when they are numbers.
using SheetOfRows = std::pair<std::string, std::vector<std::vector<std::string>>>;
WorkbookShape AsSaved(const std::vector<SheetOfRows>& sheets);
