// The fixed parts of the workbook export writes, around its sheets: the
// content types, the relationships, the workbook, the styles and the core
// properties, and each sheet's XML before and after its rows. The styles
// are those the sheet's cells name (office/sheets/sheet_xml.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The name of sheet `sheet` (from 0): "Stock", "Stock 2", ...
std::string SheetName(size_t sheet);
// The part of sheet `sheet`: "xl/worksheets/sheet1.xml", ...
std::string SheetPart(size_t sheet);

// A sheet's XML up to its first row: the first sheet is the one shown; the
// header row stays in view (frozen); the columns' widths, the text columns
// formatted as Text for every row (those typed below the export too) and
// the last column, `columns` - 1, hidden.
std::string SheetHead(size_t sheet, size_t columns, const double* widths, const bool* text);
// A sheet's XML after its last row, `lastRow` (its header's 1 when it has no
// other): the filter over its rows.
std::string SheetTail(size_t columns, uint32_t lastRow);

// The parts that name the `sheets` sheets, each of `columns` columns with
// a filter down to its row lastRows[i]; core.xml's times are `now`
// (seconds since 1970, UTC).
std::string ContentTypes(size_t sheets);
std::string PackageRelationships();
std::string WorkbookXml(size_t sheets, size_t columns, const uint32_t* lastRows);
std::string WorkbookRelationships(size_t sheets);
std::string StylesXml();
std::string CoreProperties(int64_t now);
