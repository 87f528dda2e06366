// export's workbook, written with libxlsxwriter in its constant-memory mode
// (a row at a time, strings inline), so that a large export holds no more
// than a row: text columns as text cells in columns formatted as Text, so
// that what the owner types there stays text; numbers as numbers; the
// version mark last, in a hidden column.
#include <xlsxwriter.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/number_text.h"
#include "tools/sheets/sheet_writer.h"
#include "tools/tool.h"

namespace {

// How each column is kept, by its place in ExportedColumnNames.
enum class Kind { kWhole, kText, kPrice };
Kind KindOf(size_t column) {
  if (column == 1 || column == kExportedColumns - 1) return Kind::kText;  // number, version
  if (column < 2) return Kind::kWhole;                                     // slot
  switch (kAllFields[column - 2]) {
    case Field::kDescription:
    case Field::kSku:
      return Kind::kText;
    case Field::kCostPrice:
    case Field::kTradePrice:
    case Field::kPrice:
      return Kind::kPrice;
    default:
      return Kind::kWhole;
  }
}

constexpr double kWidths[kExportedColumns] = {8, 21, 40, 18, 10, 5, 12, 13, 11, 10, 30};

// A text as a cell holds it: the workbook format writes "_xHHHH_" for a
// character it cannot hold, and the library writes the control characters
// so, so an underscore that would start such a sequence is written as one
// too ("_x005F_"), and every reader gets back the very text.
std::string CellText(const std::string& text) {
  if (text.find('_') == std::string::npos) return text;
  std::string cell;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool escape = text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' &&
                        text[i + 6] == '_' &&
                        text.find_first_not_of("0123456789ABCDEFabcdef", i + 2) == i + 6;
    if (escape) {
      cell += "_x005F_";
    } else {
      cell += text[i];
    }
  }
  return cell;
}

class WorkbookWriter : public SheetWriter {
 public:
  WorkbookWriter(const std::string& path, uint32_t rowsPerSheet)
      : path_(path), part_(path + ".part"), rowsPerSheet_(rowsPerSheet) {}
  ~WorkbookWriter() override {
    if (book_ != nullptr) {
      workbook_close(book_);
      RemovePart();
    }
  }

  bool Start() {
    // A part an earlier run left, or a link in its place, goes first: the
    // library would write through a link.
    RemovePart();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    book_ = workbook_new_opt(part_.c_str(), &options);
    if (book_ == nullptr) return Failed("cannot be started");
    header_ = workbook_add_format(book_);
    format_set_bold(header_);
    text_ = workbook_add_format(book_);
    format_set_num_format(text_, "@");
    whole_ = workbook_add_format(book_);
    format_set_num_format(whole_, "0");
    price_ = workbook_add_format(book_);
    format_set_num_format(price_, "0.00");
    return NewSheet();
  }

  bool Row(const ExportedRow& row) override {
    if (book_ == nullptr) return false;
    if (row_ == rowsPerSheet_ && (!EndSheet() || !NewSheet())) return false;
    ++row_;
    lxw_error error = Cell(0, std::to_string(row.slot));
    if (!error) error = Cell(1, row.number);
    for (size_t i = 0; !error && i < kFieldCount; ++i) error = Cell(2 + i, row.fields[i]);
    if (!error) error = Cell(kExportedColumns - 1, row.mark);
    return !error || Failed(lxw_strerror(error));
  }

  bool Finish() override {
    if (book_ == nullptr || !EndSheet()) return false;
    const lxw_error error = workbook_close(book_);
    book_ = nullptr;
    if (error) {
      RemovePart();  // what a full disk took of it
      return Failed(lxw_strerror(error));
    }
    std::error_code failed;
    std::filesystem::rename(std::filesystem::u8path(part_), std::filesystem::u8path(path_), failed);
    if (!failed) return true;
    RemovePart();
    Complain(path_ + ": cannot be put in place of the file there");
    return false;
  }

 private:
  void RemovePart() const {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::u8path(part_), ignored);
  }

  bool Failed(const std::string& why) {
    Complain(path_ + ": the workbook " + why);
    return false;
  }

  // The value of `column` in the current row as its kind keeps it: a number
  // that is not one (a price film.dat holds as no finite number) stays text.
  lxw_error Cell(size_t column, const std::string& value) {
    const auto c = static_cast<lxw_col_t>(column);
    const Kind kind = KindOf(column);
    if (kind != Kind::kText) {
      char* end = nullptr;
      const double number = std::strtod(value.c_str(), &end);
      if (!value.empty() && *end == '\0' && std::isfinite(number)) {
        return worksheet_write_number(sheet_, row_, c, number, kind == Kind::kPrice ? price_ : whole_);
      }
    }
    return worksheet_write_string(sheet_, row_, c, CellText(value).c_str(), text_);
  }

  bool NewSheet() {
    ++sheets_;
    const std::string name = sheets_ == 1 ? "Stock" : "Stock " + std::to_string(sheets_);
    sheet_ = workbook_add_worksheet(book_, name.c_str());
    if (sheet_ == nullptr) return Failed("cannot take another sheet");
    for (size_t column = 0; column < kExportedColumns; ++column) {
      const auto c = static_cast<lxw_col_t>(column);
      lxw_format* format = KindOf(column) == Kind::kText ? text_ : nullptr;
      lxw_row_col_options hidden{};
      hidden.hidden = column == kExportedColumns - 1;
      worksheet_set_column_opt(sheet_, c, c, kWidths[column], format, &hidden);
    }
    row_ = 0;
    const auto names = ExportedColumnNames(/*workbook=*/true);
    for (size_t column = 0; column < kExportedColumns; ++column) {
      const lxw_error error = worksheet_write_string(
          sheet_, 0, static_cast<lxw_col_t>(column), names[column].c_str(), header_);
      if (error) return Failed(lxw_strerror(error));
    }
    worksheet_freeze_panes(sheet_, 1, 0);
    return true;
  }

  bool EndSheet() {
    const lxw_error error =
        worksheet_autofilter(sheet_, 0, 0, row_, static_cast<lxw_col_t>(kExportedColumns - 1));
    return !error || Failed(lxw_strerror(error));
  }

  std::string path_, part_;
  lxw_row_t rowsPerSheet_;
  lxw_workbook* book_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  lxw_format* header_ = nullptr;
  lxw_format* text_ = nullptr;
  lxw_format* whole_ = nullptr;
  lxw_format* price_ = nullptr;
  lxw_row_t row_ = 0;
  int sheets_ = 0;
};

}  // namespace

std::unique_ptr<SheetWriter> WorkbookAt(const std::string& path, uint32_t rowsPerSheet) {
  auto writer = std::make_unique<WorkbookWriter>(path, rowsPerSheet);
  if (!writer->Start()) return nullptr;
  return writer;
}
