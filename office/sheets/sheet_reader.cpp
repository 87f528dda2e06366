#include "office/sheets/sheet_reader.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>
#include <utility>

#include "office/sheets/csv.h"
#include "office/sheets/ods_reader.h"
#include "office/sheets/sheet_format.h"
#include "office/sheets/workbook_reader.h"

namespace {

class CsvSheet : public SheetReader {
 public:
  explicit CsvSheet(std::streambuf* source) : reader_(source) {}
  std::unique_ptr<std::filebuf> file;

  bool NextSheet(std::string* name) override {
    name->clear();
    return !std::exchange(started_, true);
  }
  bool NextRow(SheetRow* row) override {
    if (!reader_.Next(&row_)) return false;
    row->line = row_.line;
    row->cells = row_.fields;
    row->withoutValue.clear();
    return true;
  }
  const std::string& error() const override { return reader_.error(); }
  std::string RowName(int line) const override { return "line " + std::to_string(line); }
  std::string CellName(int line, size_t) const override { return std::to_string(line); }
  bool Hidden() const override { return false; }
  bool IsWorkbook() const override { return false; }
  void Close() override { file.reset(); }

 private:
  CsvReader reader_;
  CsvRow row_;
  bool started_ = false;
};

// A workbook's rows are numbered by sheet: row R of the workbook's sheet S
// (from 0) is line S * kLinesPerSheet + R.
constexpr int kLinesPerSheet = 1048577;
constexpr int kMostSheets = 2047;

// A workbook or an OpenDocument spreadsheet, each sheet its rows.
class WorkbookSheet : public SheetReader {
 public:
  explicit WorkbookSheet(std::unique_ptr<BookReader> reader) : reader_(std::move(reader)) {}

  bool NextSheet(std::string* name) override {
    if (!reader_->NextSheet(name)) return Failed();
    // A workbook of exactly that many sheets is read whole.
    if (static_cast<int>(names_.size()) == kMostSheets) {
      error_ = "holds more than " + std::to_string(kMostSheets) + " sheets";
      return false;
    }
    names_.push_back(*name);
    width_ = 0;
    return true;
  }
  bool NextRow(SheetRow* row) override {
    if (!reader_->NextRow(&row_)) return Failed();
    row->line = static_cast<int>(names_.size() - 1) * kLinesPerSheet + static_cast<int>(row_.row);
    row->cells = row_.cells;
    row->withoutValue = row_.withoutValue;
    // A sheet's rows are as wide as its first: cells a spreadsheet keeps
    // empty past its last column are no values.
    while (row->cells.size() > width_ && width_ > 0 && row->cells.back().empty()) {
      row->cells.pop_back();
    }
    if (width_ == 0) {
      while (!row->cells.empty() && row->cells.back().empty()) row->cells.pop_back();
      width_ = row->cells.size();
      if (width_ > 0) reader_->LimitWidth(width_);
    }
    if (row->cells.size() < width_) row->cells.resize(width_);
    return true;
  }
  const std::string& error() const override { return error_; }
  std::string RowName(int line) const override {
    return Sheet(line) + " row " + std::to_string(line % kLinesPerSheet);
  }
  std::string CellName(int line, size_t column) const override {
    return WorkbookReader::CellName(Sheet(line), static_cast<uint32_t>(line % kLinesPerSheet),
                                    column);
  }
  bool Hidden() const override { return reader_ && reader_->SheetHidden(); }
  int ShownRow(int line) const override { return line % kLinesPerSheet; }
  std::string LaterSheet(int line) const override {
    return line < kLinesPerSheet ? "" : Sheet(line);
  }
  bool IsWorkbook() const override { return true; }
  void Close() override { reader_.reset(); }

 private:
  bool Failed() {
    if (error_.empty()) error_ = reader_->error();
    return false;
  }
  std::string Sheet(int line) const {
    const size_t sheet = static_cast<size_t>(line / kLinesPerSheet);
    return sheet < names_.size() ? names_[sheet] : "";
  }

  std::unique_ptr<BookReader> reader_;
  WorkbookRow row_;
  std::vector<std::string> names_;
  size_t width_ = 0;
  std::string error_;
};

}  // namespace

std::string ColumnLetters(size_t column) {
  std::string letters;
  for (size_t c = column + 1; c > 0; c = (c - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
  }
  return letters;
}

std::unique_ptr<SheetReader> OpenSheetReader(const std::string& path, std::string* why) {
  if (path == "-") return std::make_unique<CsvSheet>(std::cin.rdbuf());
  std::error_code error;
  const std::filesystem::path where = std::filesystem::u8path(path);
  const auto status = std::filesystem::status(where, error);
  if (status.type() == std::filesystem::file_type::directory) {
    *why = "is a folder, not a sheet";
    return nullptr;
  }
  if (!error && status.type() != std::filesystem::file_type::regular) {
    *why = "is not a regular file";
    return nullptr;
  }
  auto file = std::make_unique<std::filebuf>();
  if (!file->open(where, std::ios::in | std::ios::binary)) {
    *why = "cannot be read";
    return nullptr;
  }
  char head[kSheetHeadBytes] = {};
  const std::streamsize got = file->sgetn(head, sizeof head);
  const SheetKind kind =
      KindOfSheet(path, std::string_view(head, got < 0 ? 0 : static_cast<size_t>(got)), why);
  switch (kind) {
    case SheetKind::kUnread:
      return nullptr;
    case SheetKind::kWorkbook:
    case SheetKind::kOpenDocument: {
      file.reset();
      std::unique_ptr<BookReader> book;
      if (kind == SheetKind::kWorkbook) {
        book = WorkbookReader::Open(path, why);
      } else {
        book = OdsReader::Open(path, why);
      }
      if (!book) return nullptr;
      return std::make_unique<WorkbookSheet>(std::move(book));
    }
    case SheetKind::kCsv:
      break;
  }
  file->pubseekpos(0, std::ios::in);
  auto csv = std::make_unique<CsvSheet>(file.get());
  csv->file = std::move(file);
  return csv;
}
