// The fields the back office reads and changes: their names (export's
// columns, amend's FIELD=VALUE), how export prints each, and how a value is
// stored, exactly as the amend dialog stores the same text typed into that
// field.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/code_pages.h"
#include "store/inventory_record.h"

enum class Field { kDescription, kSku, kInStock, kTax, kCostPrice, kTradePrice, kPrice, kCategory };
constexpr Field kAllFields[] = {Field::kDescription, Field::kSku,       Field::kInStock,
                                Field::kTax,         Field::kCostPrice, Field::kTradePrice,
                                Field::kPrice,       Field::kCategory};
constexpr size_t kFieldCount = sizeof kAllFields / sizeof kAllFields[0];
constexpr size_t Index(Field field) { return static_cast<size_t>(field); }
constexpr bool IsTextField(Field field) {
  return field == Field::kDescription || field == Field::kSku;
}

const char* FieldName(Field field);
// False when `name` names none of them.
bool FieldNamed(std::string_view name, Field* field);

// What export prints for `field` of `record`: UTF-8, before CSV quoting.
std::string ExportedField(Field field, const InventoryRecord& record);

// Stores `value` (UTF-8) into `record` as the amend dialog stores the same
// text typed into `field`. "" when stored; otherwise why not, and `record`
// is unchanged: the dialog would keep the old value or turn the text into 0,
// the value is no finite number, a text holds a control character, the
// code page cannot hold a character of it, or the text does not fit the
// field's two bytes a character. Tax is its position in the dialog's list
// or, when it is no number, the entry's text. `*note` gets what was done to
// a value that is stored otherwise than given (a text cut at the field's
// length).
std::string StoreField(Field field, std::string_view value, InventoryRecord& record,
                       std::string* note);

// A text `value` as a description or SKU field keeps it: its first 38
// characters, never half of one.
std::string KeptText(std::string_view value);
// "" when `value` fits `field` whole (a text of at most 38 characters, or a
// field that is no text); otherwise what it is: longer than the field holds.
std::string TextTooLong(Field field, std::string_view value);

// What `value` prints as once stored: ExportedField of a record that
// StoreField stored it into. False, with `*why` saying why, when StoreField
// refuses it.
bool StoredPrint(Field field, std::string_view value, std::string* printed, std::string* why);

// Makes every text read from or written to film.dat convert with code page
// `given` (a number of kCodePages), or with the system's own when `given` is
// empty, each byte sequence it leaves undefined read as U+FFFD. "" when
// chosen; otherwise why not.
std::string ChooseCodePage(const std::string& given);
// The code page in use, for messages.
unsigned TextCodePage();
// The text of `field` (up to its terminator, or its end) converted whole
// with the code page in use into `*wide`, whose room is kept for the next.
void ConvertFieldText(const uint8_t* field, size_t size, std::wstring* wide);
// True when a text ConvertFieldText made holds a byte sequence the code page
// leaves undefined: export shows U+FFFD there.
bool HoldsUndefinedBytes(const std::wstring& text);
