// Inventories and steps that the GUI tests of the record commands share.
#pragma once

#include "tests/gui/gui_driver.h"

namespace gui {

constexpr size_t kRecordSize = 1874;
constexpr size_t kSettingsSize = 42550;

struct Item {
  int64_t number;
  const char* description;
  float price = 1.5f;
  uint32_t inStock = 5;
  uint32_t category = 3;
  uint32_t tax = 1;
};

void Put32(Bytes& bytes, size_t at, uint32_t value);
void PutFloat(Bytes& bytes, size_t at, float value);
// Records whose opaque bytes carry a pattern, so that changes show.
Bytes Inventory(const std::vector<Item>& items);
// Presses a picture button and answers the prompt that follows.
void Ask(Tallo& tallo, HWND main, int button, const wchar_t* question, const std::wstring& answer);
// The open "Inventory" dialog: the search result (with "Next") or the view.
HWND InventoryDialog(Tallo& tallo, bool searchResult);
// Ends the program with "Exit" and checks the exit code.
void Exit(Tallo& tallo, HWND main);

}  // namespace gui
