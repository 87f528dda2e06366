// export's workbook, a row at a time, so that a large export holds no more
// than a few blocks of its XML: text columns as text cells in columns
// formatted as Text, so that what the owner types there stays text;
// numbers as numbers; the version mark last, in a hidden column. The
// sheets' XML is deflated on a second thread while the next rows are made.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "office/sheets/sheet_file.h"
#include "office/sheets/sheet_writer.h"
#include "office/sheets/sheet_xml.h"
#include "office/sheets/workbook_package.h"
#include "office/sheets/zip_writer.h"

namespace {

// How each column is kept, by its place in ExportedColumnNames.
CellKind KindOf(size_t column) {
  if (column == 1 || column == kExportedColumns - 1) return CellKind::kText;  // number, version
  if (column < 2) return CellKind::kWhole;                                    // slot
  switch (kAllFields[column - 2]) {
    case Field::kDescription:
    case Field::kSku:
      return CellKind::kText;
    case Field::kCostPrice:
    case Field::kTradePrice:
    case Field::kPrice:
      return CellKind::kPrice;
    default:
      return CellKind::kWhole;
  }
}

constexpr double kWidths[kExportedColumns] = {8, 21, 40, 18, 10, 5, 12, 13, 11, 10, 30};

// A block of sheet XML is handed to the deflating thread once it holds this
// much: large enough that handing it over costs nothing beside its deflate.
constexpr size_t kBlockBytes = size_t{1} << 20;

class WorkbookWriter : public SheetWriter {
 public:
  WorkbookWriter(Listener& told, uint32_t rowsPerSheet) : file_(told), rowsPerSheet_(rowsPerSheet) {
    for (size_t c = 0; c < kExportedColumns; ++c) {
      kinds_[c] = KindOf(c);
      text_[c] = kinds_[c] == CellKind::kText;
    }
  }

  bool Start(const std::string& path) {
    if (!file_.Name(path)) return false;
    if (!zip_.Open(file_.part())) return Failed();
    return NewSheet();
  }

  bool Row(const ExportedRow& row) override {
    if (failed_) return false;
    if (rows_ == rowsPerSheet_ && (!EndSheet() || !NewSheet())) return false;
    ++rows_;
    const std::string slot = std::to_string(row.slot);
    std::string_view values[kExportedColumns];
    values[0] = slot;
    values[1] = row.number;
    for (size_t i = 0; i < kFieldCount; ++i) values[2 + i] = row.fields[i];
    values[kExportedColumns - 1] = row.mark;
    AppendRow(rows_ + 1, values, kinds_, kExportedColumns, &block_);
    return block_.size < kBlockBytes || Hand();
  }

  bool Finish() override {
    if (failed_ || !EndSheet()) return false;
    const size_t sheets = lastRows_.size();
    const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    const bool written =
        zip_.Add("xl/workbook.xml", WorkbookXml(sheets, kExportedColumns, lastRows_.data())) &&
        zip_.Add("xl/_rels/workbook.xml.rels", WorkbookRelationships(sheets)) &&
        zip_.Add("xl/styles.xml", StylesXml()) &&
        zip_.Add("docProps/core.xml", CoreProperties(now)) &&
        zip_.Add("[Content_Types].xml", ContentTypes(sheets)) &&
        zip_.Add("_rels/.rels", PackageRelationships()) && zip_.Finish();
    if (!written) return Failed();
    failed_ = true;  // nothing more goes in
    return file_.PutInPlace();
  }

 private:
  bool Failed() {
    failed_ = true;
    if (zip_.tooLarge()) {
      return file_.Failed(
          "the workbook would grow past the 4 GiB a workbook can hold: export "
          "CSV instead (a name ending in .csv)");
    }
    return file_.Failed(zip_.cause());
  }

  // The block to the deflating thread, and an empty one to fill next.
  bool Hand() {
    if (!zip_.Feed(&block_)) return Failed();
    block_.Reserve(kBlockBytes + kBlockBytes / 4);
    return true;
  }

  bool NewSheet() {
    const size_t sheet = lastRows_.size();
    if (!zip_.Begin(SheetPart(sheet).c_str())) return Failed();
    block_.Reserve(kBlockBytes + kBlockBytes / 4);
    const std::string head = SheetHead(sheet, kExportedColumns, kWidths, text_);
    block_.Reserve(head.size());
    head.copy(block_.bytes.get() + block_.size, head.size());
    block_.size += head.size();
    const auto names = ExportedColumnNames(/*workbook=*/true);
    std::string_view values[kExportedColumns];
    CellKind header[kExportedColumns];
    for (size_t c = 0; c < kExportedColumns; ++c) {
      values[c] = names[c];
      header[c] = CellKind::kHeader;
    }
    AppendRow(1, values, header, kExportedColumns, &block_);
    rows_ = 0;
    return true;
  }

  bool EndSheet() {
    const std::string tail = SheetTail(kExportedColumns, rows_ + 1);
    block_.Reserve(tail.size());
    tail.copy(block_.bytes.get() + block_.size, tail.size());
    block_.size += tail.size();
    if (!zip_.Feed(&block_) || !zip_.End()) return Failed();
    lastRows_.push_back(rows_ + 1);
    return true;
  }

  // First, so that it goes last: the zip's handle is closed before the
  // part is removed.
  SheetFile file_;
  ZipWriter zip_;
  ZipBlock block_;
  uint32_t rowsPerSheet_;
  uint32_t rows_ = 0;               // of the current sheet, below its header
  std::vector<uint32_t> lastRows_;  // of each sheet ended
  CellKind kinds_[kExportedColumns];
  bool text_[kExportedColumns];
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<SheetWriter> WorkbookAt(const std::string& path, Listener& told,
                                        uint32_t rowsPerSheet) {
  auto writer = std::make_unique<WorkbookWriter>(told, rowsPerSheet);
  if (!writer->Start(path)) return nullptr;
  return writer;
}
