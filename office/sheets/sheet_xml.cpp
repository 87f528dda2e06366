#include "office/sheets/sheet_xml.h"

#include <array>
#include <cstring>

namespace {

// The bytes a text's copy stops at: the markup's, the control characters,
// the underscore, and the first byte of U+FFFE and U+FFFF. Everything else
// is copied in runs.
constexpr std::array<bool, 256> StopBytes() {
  std::array<bool, 256> stop{};
  for (int c = 0; c < 0x20; ++c) stop[c] = true;
  stop['&'] = stop['<'] = stop['>'] = stop['_'] = stop[0xEF] = true;
  return stop;
}
constexpr std::array<bool, 256> kStop = StopBytes();

template <size_t N>
char* Put(char* at, const char (&text)[N]) {
  std::memcpy(at, text, N - 1);
  return at + N - 1;
}
char* Put(char* at, const char* from, size_t size) {
  std::memcpy(at, from, size);
  return at + size;
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "_xHHHH_", its digits upper-case.
char* Escape(char* at, unsigned code) {
  static const char kDigits[] = "0123456789ABCDEF";
  *at++ = '_';
  *at++ = 'x';
  for (int shift = 12; shift >= 0; shift -= 4) *at++ = kDigits[(code >> shift) & 0xF];
  *at++ = '_';
  return at;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A column's letters ("A", "Z", "AA"), from 0.
char* Letters(size_t column, char* at) {
  char letters[4];
  size_t count = 0;
  for (size_t c = column + 1; c > 0 && count < sizeof letters; c = (c - 1) / 26) {
    letters[count++] = static_cast<char>('A' + (c - 1) % 26);
  }
  while (count > 0) *at++ = letters[--count];
  return at;
}

}  // namespace

char* AppendCellText(std::string_view text, char* at) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const char* run = p;
    while (p < end && !kStop[static_cast<unsigned char>(*p)]) ++p;
    at = Put(at, run, static_cast<size_t>(p - run));
    if (p == end) break;
    const auto c = static_cast<unsigned char>(*p);
    switch (c) {
      case '&':
        at = Put(at, "&amp;");
        ++p;
        break;
      case '<':
        at = Put(at, "&lt;");
        ++p;
        break;
      case '>':
        at = Put(at, "&gt;");
        ++p;
        break;
      case '\t':
      case '\n':
        *at++ = *p++;
        break;
      case '_': {
        const bool sequence = end - p >= 7 && p[1] == 'x' && IsHex(p[2]) && IsHex(p[3]) &&
                              IsHex(p[4]) && IsHex(p[5]) && p[6] == '_';
        if (sequence) {
          at = Escape(at, '_');
        } else {
          *at++ = '_';
        }
        ++p;
        break;
      }
      case 0xEF:
        if (end - p >= 3 && static_cast<unsigned char>(p[1]) == 0xBF &&
            (static_cast<unsigned char>(p[2]) & 0xFE) == 0xBE) {
          at = Escape(at, 0xFFFE | (static_cast<unsigned char>(p[2]) & 1));
          p += 3;
        } else {
          *at++ = *p++;
        }
        break;
      default:  // a control character
        at = Escape(at, c);
        ++p;
    }
  }
  return at;
}

bool DecimalOf(std::string_view value, std::string_view* shortest) {
  size_t i = !value.empty() && value[0] == '-' ? 1 : 0;
  const size_t digits = i;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
  if (i == digits) return false;
  if (i == value.size()) {
    *shortest = value;
    return true;
  }
  if (value[i] != '.') return false;
  const size_t fraction = ++i;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
  if (i == fraction || i != value.size()) return false;
  size_t kept = value.size();
  while (value[kept - 1] == '0') --kept;
  if (value[kept - 1] == '.') --kept;
  *shortest = value.substr(0, kept);
  return true;
}

void AppendRow(uint32_t number, const std::string_view* values, const CellKind* kinds, size_t count,
               ZipBlock* block) {
  // The markup of a row and of each cell is under 64 bytes.
  size_t most = 64 * (count + 1);
  for (size_t i = 0; i < count; ++i) most += values[i].size() * kMostXmlPerByte;
  block->Reserve(most);
  char* at = block->bytes.get() + block->size;

  char digits[10];
  size_t length = 0;
  for (uint32_t n = number; length == 0 || n > 0; n /= 10) {
    digits[sizeof digits - ++length] = static_cast<char>('0' + n % 10);
  }
  const char* row = digits + sizeof digits - length;

  at = Put(at, "<row r=\"");
  at = Put(at, row, length);
  at = Put(at, "\">");
  for (size_t i = 0; i < count; ++i) {
    const std::string_view value = values[i];
    at = Put(at, "<c r=\"");
    at = Letters(i, at);
    at = Put(at, row, length);
    std::string_view decimal;
    const CellKind kind = kinds[i];
    if ((kind == CellKind::kWhole || kind == CellKind::kPrice) && DecimalOf(value, &decimal)) {
      at = Put(at, kind == CellKind::kWhole ? "\" s=\"2\"><v>" : "\" s=\"4\"><v>");
      at = Put(at, decimal.data(), decimal.size());
      at = Put(at, "</v></c>");
      continue;
    }
    // A number column's value that is no number stays text, as it was printed.
    at = Put(at, kind == CellKind::kHeader ? "\" s=\"1\"" : "\" s=\"3\"");
    if (value.empty()) {
      at = Put(at, "/>");
      continue;
    }
    at = Put(at, " t=\"inlineStr\"><is><t");
    // Blanks at a text's ends are kept only where the cell says so.
    if (IsBlank(value.front()) || IsBlank(value.back())) at = Put(at, " xml:space=\"preserve\"");
    *at++ = '>';
    at = AppendCellText(value, at);
    at = Put(at, "</t></is></c>");
  }
  at = Put(at, "</row>");
  block->size = static_cast<size_t>(at - block->bytes.get());
}
