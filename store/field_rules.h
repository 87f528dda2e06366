// How a typed or imported value is stored into a record: one rule per
// field, taking the value as the amend dialog reads it from the field's
// control, the limits, and the description an amendment needs. The amend
// dialog and the back office (amend, import) both store through these, so
// both store the same for the same typed text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "store/inventory_record.h"

// Description, SKU1 and the prices are read with room for this many
// characters (longer text is cut).
constexpr int kAmendTextChars = 38;

// The amend dialog's tax list, in order: a choice's position is the Tax
// value it stores.
inline constexpr const wchar_t* kTaxChoices[] = {L"Non", L"1 and 2", L"1", L"2"};
constexpr uint32_t kTaxChoiceCount = sizeof kTaxChoices / sizeof kTaxChoices[0];
// A Category is stored only below this.
constexpr uint32_t kCategoryLimit = 18;

// Description and SKU1: the text as its field holds it (letters raised, at
// most 38 characters) converted with the system code page, terminator
// included, over the start of the field, in at most 2 x (characters + 1)
// bytes; the bytes after the terminator keep their values. False when the
// text does not fit: the field then keeps its value.
bool StoreDescription(InventoryRecord& record, const std::wstring& text);
bool StoreSku1(InventoryRecord& record, const std::wstring& text);
// What the dialog reads from a price field's narrow text: the number it
// begins with, 0 when none.
double TypedPrice(const char* narrowText);
// Price rounded to two decimals through its "%.2f" form; Cost price and
// Trade price as typed. Each is stored only when it fits a float. False:
// the field keeps its value.
bool StorePrice(InventoryRecord& record, double typed);
bool StoreCostPrice(InventoryRecord& record, double typed);
bool StoreTradePrice(InventoryRecord& record, double typed);
// In stock, stored only when below 2^31 (not negative as a signed 32-bit
// value); Category only when below kCategoryLimit; Tax, the position of the
// chosen list entry, only when it is one (so no entry chosen leaves it).
// False: the field keeps its value.
bool StoreInStock(InventoryRecord& record, uint32_t value);
bool StoreCategory(InventoryRecord& record, uint32_t value);
bool StoreTax(InventoryRecord& record, uint32_t position);

// An amended record is written only with a description of at least this
// many bytes.
constexpr size_t kShortestDescription = 2;
bool DescriptionLongEnough(const InventoryRecord& record);
