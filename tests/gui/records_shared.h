// Inventories and steps that the GUI tests of the record commands share.
#pragma once

#include "resources/resource_ids.h"
#include "store/inventory_record.h"
#include "store/settings_image.h"
#include "tests/gui/gui_driver.h"
#include "tests/kit/record_builder.h"

namespace gui {

// The bytes of film.dat holding these items, the i-th with seed i.
Bytes Inventory(const std::vector<Item>& items);
// The text of a dialog's control.
std::wstring ControlText(HWND dialog, int id);
// Presses a picture button and answers the prompt that follows.
void Ask(Tallo& tallo, HWND main, int button, const wchar_t* question, const std::wstring& answer);
// The open "Inventory" dialog: the search result (with "Next") or the view.
HWND InventoryDialog(Tallo& tallo, bool searchResult);
// Ends the program with "Exit" and checks the exit code.
void Exit(Tallo& tallo, HWND main);

// A film.dat of the most slots the format allows, at `path`, whose last one
// is `last`, all others zeros (deleted): a sparse file, only the last slot
// holds bytes.
void WriteLargestInventory(const std::wstring& path, const InventoryRecord& last);

}  // namespace gui
