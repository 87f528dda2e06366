// export's CSV: quoted where a spreadsheet needs it, rows ending in CR LF.
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "office/sheets/sheet_file.h"
#include "office/sheets/sheet_writer.h"
#include "platform/platform.h"
#include "platform/scoped_file.h"

namespace {

// A field quoted, its quotes doubled, when it holds a comma, a quote or a
// line break; and when it holds a separator that a spreadsheet may take for
// the file's own (a semicolon, a tab) or blanks at its ends, which
// spreadsheets drop from a field without quotes.
std::string Csv(const std::string& field) {
  const bool blankEnds = !field.empty() && (field.front() == ' ' || field.back() == ' ');
  if (!blankEnds && field.find_first_of(",\"\r\n;\t") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

// The rows as CSV text, to wherever Put sends it.
class CsvWriter : public SheetWriter {
 public:
  // The header line; false when it could not be written.
  bool Start() {
    std::string header;
    for (const std::string& name : ExportedColumnNames(/*workbook=*/false)) {
      header += (header.empty() ? "" : ",") + name;
    }
    return ok_ = Put(header + "\r\n");
  }
  bool Row(const ExportedRow& row) override {
    if (!ok_) return false;
    std::string line = std::to_string(row.slot) + "," + row.number;
    for (const std::string& field : row.fields) line += "," + Csv(field);
    line += "," + row.mark + "\r\n";
    return ok_ = Put(line);
  }
  bool Finish() override { return ok_ && End(); }

 protected:
  virtual bool Put(std::string_view text) = 0;
  virtual bool End() { return true; }

 private:
  bool ok_ = true;
};

class CsvThrough : public CsvWriter {
 public:
  explicit CsvThrough(std::function<bool(std::string_view)> put) : put_(std::move(put)) {}

 protected:
  bool Put(std::string_view text) override { return put_(text); }

 private:
  std::function<bool(std::string_view)> put_;
};

// A CSV file, put in place once whole (office/sheets/sheet_file.h).
class CsvFile : public CsvWriter {
 public:
  explicit CsvFile(Listener& told) : file_(told) {}
  bool Open(const std::string& path) {
    if (!file_.Name(path)) return false;
    handle_ = platform::OpenFile(file_.part(), platform::Access::kWrite,
                                 platform::Disposition::kCreateAlways);
    return handle_ ? Start() : file_.Failed(handle_.error());
  }

 protected:
  bool Put(std::string_view text) override {
    buffer_ += text;
    return buffer_.size() < kBufferBytes || Flush();
  }
  bool End() override {
    if (!Flush()) return false;
    if (const platform::FileResult flushed = platform::FlushFile(handle_.get()); !flushed) {
      return file_.Failed(flushed.error());
    }
    handle_.Close();
    return file_.PutInPlace();
  }

 private:
  static constexpr size_t kBufferBytes = size_t{1} << 20;
  bool Flush() {
    uint32_t written = 0;
    const auto size = static_cast<uint32_t>(buffer_.size());
    const platform::FileResult wrote =
        platform::WriteFile(handle_.get(), buffer_.data(), size, &written);
    buffer_.clear();
    // A write that moved less without a cause fails all the same.
    return (wrote && written == size) || file_.Failed(wrote.error());
  }

  // First, so that it goes last: the handle is closed before the part is
  // removed.
  SheetFile file_;
  platform::ScopedFile handle_;
  std::string buffer_;
};

}  // namespace

std::unique_ptr<SheetWriter> CsvTo(std::function<bool(std::string_view)> put) {
  auto writer = std::make_unique<CsvThrough>(std::move(put));
  writer->Start();  // a failure is told, and every row after it refused
  return writer;
}

std::unique_ptr<SheetWriter> CsvAt(const std::string& path, Listener& told) {
  auto writer = std::make_unique<CsvFile>(told);
  if (!writer->Open(path)) return nullptr;
  return writer;
}
