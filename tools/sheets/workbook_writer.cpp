// export's workbook, written with libxlsxwriter in its constant-memory mode
// (a row at a time, strings inline), so that a large export holds no more
// than a row: text columns as text cells in columns formatted as Text, so
// that what the owner types there stays text; numbers as numbers; the
// version mark last, in a hidden column. The library opens files by narrow
// names only: the part is made through the Env's wide calls first and handed
// to it by a narrow name of that file (NarrowPathOf), then put in place by
// the Env's wide calls again, so that any folder and name the owner picks
// works (C:\Users\Jürgen, 在庫.xlsx).
#include <xlsxwriter.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/console.h"
#include "platform/number_text.h"
#include "platform/scoped_file.h"
#include "tools/sheets/sheet_writer.h"
#include "tools/tool.h"
#include "tools/utf8.h"

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
  WorkbookWriter(const std::string& path, std::wstring wide, uint32_t rowsPerSheet)
      : path_(path), wide_(std::move(wide)), part_(wide_ + L".part"), rowsPerSheet_(rowsPerSheet) {}
  ~WorkbookWriter() override {
    if (book_ != nullptr) workbook_close(book_);
    if (!placed_) platform::RemoveFile(part_);
  }

  bool Start() {
    // The part is made anew (a part an earlier run left, or a link in its
    // place, removed first: the library would write through a link), so
    // that it has a narrow name to give the library.
    platform::RemoveFile(part_);
    platform::ScopedFile made(
        platform::OpenFile(part_, platform::Access::kWrite, platform::Disposition::kCreateAlways));
    if (!made) return FileFailed();
    made.Close();
    const std::string narrow = platform::NarrowPathOf(part_);
    if (narrow.empty()) {
      Complain(path_ +
               ": the workbook cannot be written under this name: the folder's or the file's "
               "name holds letters that the system's code page lacks, and the disk keeps no "
               "short names; export into another folder, or under another name");
      return false;
    }
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    book_ = workbook_new_opt(narrow.c_str(), &options);
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

  // A workbook that is not put in place leaves no part: a full disk's
  // half of one is removed at once.
  bool Finish() override {
    if (Close()) return true;
    platform::RemoveFile(part_);
    return false;
  }

 private:
  bool Close() {
    if (book_ == nullptr || !EndSheet()) return false;
    const lxw_error error = workbook_close(book_);
    book_ = nullptr;
    if (error) return Failed(lxw_strerror(error));
    // The library closes its file without pushing it to the medium.
    platform::ScopedFile written(
        platform::OpenFile(part_, platform::Access::kWrite, platform::Disposition::kOpenExisting));
    if (!written || !platform::FlushFile(written.get())) return FileFailed();
    written.Close();
    if (platform::PutFileInPlace(part_, wide_) == platform::Renamed::kNot) {
      if (!ComplainOfCause(wide_, platform::LastFileError())) {
        Complain(path_ + ": cannot be put in place of the file there");
      }
      return false;
    }
    placed_ = true;
    return true;
  }

  // A file call on the part failed: told by its cause.
  bool FileFailed() {
    if (!ComplainOfCause(part_, platform::LastFileError())) {
      Complain(path_ + ": the workbook cannot be written");
    }
    return false;
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

  std::string path_;
  std::wstring wide_, part_;
  lxw_row_t rowsPerSheet_;
  lxw_workbook* book_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  lxw_format* header_ = nullptr;
  lxw_format* text_ = nullptr;
  lxw_format* whole_ = nullptr;
  lxw_format* price_ = nullptr;
  lxw_row_t row_ = 0;
  int sheets_ = 0;
  bool placed_ = false;
};

}  // namespace

std::unique_ptr<SheetWriter> WorkbookAt(const std::string& path, uint32_t rowsPerSheet) {
  std::wstring wide;
  if (!WideFromUtf8(path, &wide)) {
    Complain(path + ": no file name");
    return nullptr;
  }
  auto writer = std::make_unique<WorkbookWriter>(path, std::move(wide), rowsPerSheet);
  if (!writer->Start()) return nullptr;
  return writer;
}
