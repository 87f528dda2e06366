#include "office/fields.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <string>

#include "office/value_syntax.h"
#include "platform/field_text.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "store/field_rules.h"

namespace {

const char* const kNames[] = {"description", "sku",         "in_stock", "tax",
                              "cost_price",  "trade_price", "price",    "category"};

// No text a description or SKU can hold comes near this; a longer value is
// refused before any work is done on it.
constexpr size_t kLongestText = 1000;

// A tax given as the text of its list entry, in any case, blanks around it
// ignored.
bool TakeTaxLabel(std::string_view text, uint32_t* position) {
  std::wstring given;
  if (!WideFromUtf8(std::string(Trimmed(text)), &given) || given.empty()) return false;
  for (uint32_t i = 0; i < kTaxChoiceCount; ++i) {
    std::wstring label = kTaxChoices[i];
    if (label.size() == given.size() &&
        std::equal(label.begin(), label.end(), given.begin(),
                   [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); })) {
      *position = i;
      return true;
    }
  }
  return false;
}

unsigned codePageInUse = 1252;

// kCodePages as "874, 932, 1250 to 1258": a run of three or more
// consecutive numbers as its ends.
std::string CodePageList() {
  std::string list;
  const size_t count = std::size(kCodePages);
  for (size_t i = 0; i < count;) {
    size_t j = i;
    while (j + 1 < count && kCodePages[j + 1] == kCodePages[j] + 1) ++j;
    if (!list.empty()) list += ", ";
    list += std::to_string(kCodePages[i]);
    if (j >= i + 2) {
      list += " to " + std::to_string(kCodePages[j]);
      i = j + 1;
    } else {
      ++i;
    }
  }
  return list;
}

std::string Named(const std::wstring& one, uint32_t code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
  // A character that shows nothing is named by its code alone.
  return IsControlCharacter(code) || IsInvisibleCharacter(code)
             ? std::string(hex)
             : Utf8FromWide(one) + " (" + hex + ")";
}

// True when the code page holds the character `one` and gives it back.
bool InCodePage(const std::wstring& one) {
  char narrow[8] = {};
  wchar_t back[8] = {};
  return platform::WideToNarrow(one.c_str(), narrow, sizeof narrow) > 0 &&
         platform::NarrowToWide(narrow, -1, back, 8) > 0 && one == back;
}

// The first character of `typed` that no description or SKU may hold (a
// control character: a line break, a tab, an escape), or that the code page
// cannot hold as `raised` has it (`typed` with its letters raised, unit for
// unit), with why; "" when there is none. The message names the character
// the owner typed, never a capital made of it.
std::string RefusedCharacter(const std::wstring& raised, const std::wstring& typed) {
  for (size_t i = 0; i < typed.size();) {
    size_t length = 1;
    const uint32_t code = CharacterAt(typed, i, &length);
    const std::wstring one = typed.substr(i, length);
    if (IsControlCharacter(code)) {
      return "a control character, " + Named(one, code) + ", is no part of a text";
    }
    if (!InCodePage(raised.substr(i, length))) {
      return "code page " + std::to_string(codePageInUse) + " has no " +
             (InCodePage(one) ? "capital for " : "") + Named(one, code);
    }
    i += length;
  }
  return "";
}

std::string Text(const uint8_t* field, size_t size) {
  return Utf8FromWide(platform::WideFromField(field, size));
}

// A price stored through `store`: the syntax first, then the value, which
// must be a finite number that a float holds.
std::string StorePriceField(std::string_view value, bool (*store)(InventoryRecord&, double),
                            InventoryRecord& r) {
  const std::string syntax = PriceSyntax(value);
  if (!syntax.empty()) return syntax;
  // The syntax takes ASCII only: the value is its own narrow text.
  return store(r, TypedPrice(std::string(value).c_str())) ? "" : "too large for a price";
}

// How many elements of `text` the dialog's field keeps of it: its first
// `units` UTF-16 units (a character beyond the BMP takes two), never half a
// character.
size_t KeptOfField(const std::wstring& text, size_t units) {
  size_t taken = 0;
  size_t i = 0;
  while (i < text.size()) {
    size_t length = 1;
    const size_t size = CharacterAt(text, i, &length) > 0xFFFF ? 2 : 1;
    if (taken + size > units) break;
    taken += size;
    i += length;
  }
  return i;
}

}  // namespace

const char* FieldName(Field field) { return kNames[Index(field)]; }

bool FieldNamed(std::string_view name, Field* field) {
  for (Field f : kAllFields) {
    if (name == FieldName(f)) {
      *field = f;
      return true;
    }
  }
  return false;
}

std::string ExportedField(Field field, const InventoryRecord& r) {
  switch (field) {
    case Field::kDescription:
      return Text(r.bytes + kDescriptionOffset, kDescriptionSize);
    case Field::kSku:
      return Text(r.bytes + kSku1Offset, kSku1Size);
    case Field::kInStock:
      return std::to_string(RecordInStock(r));
    case Field::kTax:
      return std::to_string(RecordTax(r));
    case Field::kCostPrice:
      return platform::FormatPrice(RecordCostPrice(r));
    case Field::kTradePrice:
      return platform::FormatPrice(RecordTradePrice(r));
    case Field::kPrice:
      return platform::FormatPrice(RecordPrice(r));
    case Field::kCategory:
      return std::to_string(RecordCategory(r));
  }
  return "";
}

std::string StoreField(Field field, std::string_view value, InventoryRecord& r, std::string* note) {
  if (IsTextField(field) && value.size() > kLongestText) {
    return "longer than any text (" + std::to_string(kLongestText) + " bytes)";
  }
  if (!IsTextField(field) && value.size() > kLongestNumberText) {
    return "longer than any value of the column (" + std::to_string(kLongestNumberText) +
           " characters)";
  }
  std::wstring wide;
  if (!WideFromUtf8(std::string(value), &wide)) return "not UTF-8 text";
  uint32_t number = 0;
  switch (field) {
    case Field::kDescription:
    case Field::kSku: {
      const size_t kept = KeptOfField(wide, kAmendTextChars);
      if (kept < wide.size()) {
        wide.resize(kept);
        *note = "cut to its first " + std::to_string(kAmendTextChars) +
                " characters, as the amend dialog cuts it";
      }
      std::wstring raised = wide;
      platform::RaiseLetters(raised);  // the field is an upper-case edit
      const std::string refused = RefusedCharacter(raised, wide);
      if (!refused.empty()) return refused;
      if (!(field == Field::kDescription ? StoreDescription : StoreSku1)(r, raised)) {
        return "takes more than two bytes a character in code page " +
               std::to_string(codePageInUse);
      }
      return "";
    }
    case Field::kInStock:
    case Field::kCategory: {
      // The dialog reads 4294967295 and beyond as 0: past the field's
      // limit all the same.
      const std::string beyond =
          "beyond " +
          std::to_string(field == Field::kInStock ? uint32_t{INT32_MAX} : kCategoryLimit - 1);
      if (!TakeUnsigned(value, &number)) {
        return IsWholeNumberText(value) ? beyond : "not a whole number of 0 or more";
      }
      return (field == Field::kInStock ? StoreInStock : StoreCategory)(r, number) ? "" : beyond;
    }
    case Field::kTax: {
      const std::string positions = "not a list position 0 to " +
                                    std::to_string(kTaxChoiceCount - 1) + " nor an entry's text";
      if (!TakeUnsigned(value, &number) && !TakeTaxLabel(value, &number)) return positions;
      return StoreTax(r, number) ? "" : positions;
    }
    case Field::kPrice:
      return StorePriceField(value, StorePrice, r);
    case Field::kCostPrice:
      return StorePriceField(value, StoreCostPrice, r);
    case Field::kTradePrice:
      return StorePriceField(value, StoreTradePrice, r);
  }
  return "no such field";
}

bool StoredPrint(Field field, std::string_view value, std::string* printed, std::string* why) {
  InventoryRecord scratch;
  std::memset(scratch.bytes, 0, kRecordSize);
  std::string note;
  *why = StoreField(field, value, scratch, &note);
  if (!why->empty()) return false;
  *printed = ExportedField(field, scratch);
  return true;
}

std::string ChooseCodePage(const std::string& given) {
  unsigned number = 0;
  if (!given.empty()) {
    if (given.size() > 5 || given.find_first_not_of("0123456789") != std::string::npos) {
      return "not a code page number";
    }
    number = static_cast<unsigned>(std::stoul(given));
    if (std::find(std::begin(kCodePages), std::end(kCodePages), number) == std::end(kCodePages)) {
      return "not a code page of the handheld (" + CodePageList() + ")";
    }
  }
  const unsigned chosen = platform::UseCodePage(number);
  if (chosen == 0) return "this system cannot convert with that code page";
  codePageInUse = chosen;
  return "";
}

unsigned TextCodePage() { return codePageInUse; }

void ConvertFieldText(const uint8_t* field, size_t size, std::wstring* wide) {
  const size_t length = platform::FieldTextLength(field, size);
  // No byte makes more than one wide character.
  wide->resize(length);
  if (length == 0) return;
  const int n =
      platform::NarrowToWide(reinterpret_cast<const char*>(field), static_cast<int>(length),
                             wide->data(), static_cast<int>(length));
  wide->resize(static_cast<size_t>(std::max(n, 0)));
}

bool HoldsUndefinedBytes(const std::wstring& text) {
  return text.find(wchar_t{0xFFFD}) != std::wstring::npos;
}

std::string TextTooLong(Field field, std::string_view value) {
  if (!IsTextField(field) || KeptText(value).size() == value.size()) return "";
  return "longer than the " + std::to_string(kAmendTextChars) + " characters " +
         (field == Field::kDescription ? "a description" : "an SKU") + " holds";
}

std::string KeptText(std::string_view value) {
  std::wstring wide;
  if (!WideFromUtf8(std::string(value), &wide)) return std::string(value);
  const size_t kept = KeptOfField(wide, kAmendTextChars);
  if (kept == wide.size()) return std::string(value);
  wide.resize(kept);
  return Utf8FromWide(wide);
}
