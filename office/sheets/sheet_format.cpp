#include "office/sheets/sheet_format.h"

#include "office/sheets/zip_reader.h"

namespace {

constexpr char kSaveAsWorkbook[] = ": save it as .xlsx (Excel 2007-365) and bring that back";

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// A zip's kind by what it holds.
SheetKind KindOfZip(const std::string& path, std::string* why) {
  const unzFile zip = OpenZipToRead(path);
  if (zip == nullptr) {
    *why = "is no workbook: its zip cannot be read";
    return SheetKind::kUnread;
  }
  SheetKind kind = SheetKind::kUnread;
  const std::string mimetype = ZipEntryStart(zip, "mimetype", 80);
  if (StartsWith(mimetype, "application/vnd.oasis.opendocument.spreadsheet")) {
    kind = SheetKind::kOpenDocument;
  } else if (StartsWith(mimetype, "application/vnd.oasis.opendocument.")) {
    *why =
        std::string("is an OpenDocument file of another kind than a spreadsheet") + kSaveAsWorkbook;
  } else if (ZipHolds(zip, "xl/workbook.bin")) {
    *why = std::string("is a binary workbook (.xlsb)") + kSaveAsWorkbook;
  } else if (ZipHolds(zip, "xl/workbook.xml") ||
             ZipEntryStart(zip, "_rels/.rels", 4096).find("workbook") != std::string::npos) {
    kind = SheetKind::kWorkbook;
  } else if (ZipHolds(zip, "content.xml") && ZipHolds(zip, "META-INF/manifest.xml")) {
    kind = SheetKind::kOpenDocument;  // without its mimetype entry; its content tells
  } else {
    *why = std::string(
               "is neither a workbook nor an OpenDocument spreadsheet (a .numbers file, "
               "say, or another program's zip)") +
           kSaveAsWorkbook;
  }
  unzClose(zip);
  return kind;
}

}  // namespace

SheetKind KindOfSheet(const std::string& path, std::string_view head, std::string* why) {
  // A zip's local header, or the end of an empty one.
  if (StartsWith(head, std::string_view("PK\3\4", 4)) ||
      StartsWith(head, std::string_view("PK\5\6", 4))) {
    return KindOfZip(path, why);
  }
  // A compound file, as Excel 97-2003 saves a workbook (and Word and others
  // their own files); or a bare BIFF stream of Excel 2 to 4, its first
  // record a BOF.
  const bool compound = StartsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  const bool biff = head.size() >= 4 && head[0] == '\x09' &&
                    (head[1] == '\x00' || head[1] == '\x02' || head[1] == '\x04') &&
                    head[3] == '\x00';
  if (compound || biff) {
    *why = std::string(
               "is an old-style Excel file (.xls, or another program's file of that "
               "kind)") +
           kSaveAsWorkbook;
    return SheetKind::kUnread;
  }
  if (StartsWith(head, "\x1F\x8B")) {
    *why = std::string("is a compressed file (a Gnumeric workbook, say), not a sheet") +
           kSaveAsWorkbook;
    return SheetKind::kUnread;
  }
  // XML, as flat OpenDocument and Excel 2003's XML spreadsheets are, with or
  // without a byte order mark.
  const std::string_view text = StartsWith(head, "\xEF\xBB\xBF") ? head.substr(3) : head;
  if (StartsWith(text, "<?xml")) {
    *why = std::string(
               "is an XML file (a flat OpenDocument or Excel 2003 XML spreadsheet, say), "
               "not a sheet import reads") +
           kSaveAsWorkbook;
    return SheetKind::kUnread;
  }
  return SheetKind::kCsv;
}
