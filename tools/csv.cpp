#include "tools/csv.h"

bool ReadCsv(const std::string& text, std::vector<CsvRow>* rows, std::string* error) {
  rows->clear();
  size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  int line = 1;
  while (i < text.size()) {
    if (text[i] == '\n' || (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
      i += text[i] == '\r' ? 2 : 1;  // an empty line
      ++line;
      continue;
    }
    CsvRow row;
    row.line = line;
    for (;;) {  // one field a turn
      std::string field;
      if (i < text.size() && text[i] == '"') {
        const int opened = line;
        for (++i;; ++i) {
          if (i >= text.size()) {
            *error = "line " + std::to_string(opened) + ": a quoted field has no closing quote";
            return false;
          }
          if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              field += '"';
              ++i;
              continue;
            }
            ++i;
            break;
          }
          if (text[i] == '\n') ++line;
          field += text[i];
        }
        const bool ends = i >= text.size() || text[i] == ',' || text[i] == '\n' ||
                          (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
        if (!ends) {
          *error = "line " + std::to_string(line) + ": text after a closing quote";
          return false;
        }
      } else {
        while (i < text.size() && text[i] != ',' && text[i] != '\n' &&
               !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
          if (text[i] == '"') {
            *error = "line " + std::to_string(line) + ": a quote inside an unquoted field";
            return false;
          }
          field += text[i++];
        }
      }
      row.fields.push_back(std::move(field));
      if (i < text.size() && text[i] == ',') {
        ++i;
        continue;
      }
      if (i < text.size()) i += text[i] == '\r' ? 2 : 1;
      ++line;
      break;
    }
    rows->push_back(std::move(row));
  }
  return true;
}
