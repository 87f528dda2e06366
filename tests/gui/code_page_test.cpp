// tallo.exe on a Japanese system (code page 932, two bytes to most
// characters): texts shown whole, typed text stored in two bytes a
// character, and the description search over those bytes.
#include <algorithm>

#include "tests/gui/records_shared.h"

using namespace gui;

namespace {

std::string In932(const std::wstring& text) {
  const int n = ::WideCharToMultiByte(932, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(932, 0, text.c_str(), -1, bytes.data(), n, nullptr, nullptr);
  bytes.pop_back();  // the terminator
  return bytes;
}

std::wstring Repeated(const std::wstring& part, size_t length) {
  std::wstring text;
  while (text.size() < length) text += part;
  return text.substr(0, length);
}

const std::wstring kStored = L"寿司セット";
// 120 characters, 240 bytes: more than the 199 bytes a cut by bytes keeps.
const std::wstring kLongSku = Repeated(L"商品番号ソース表示用", 120);

}  // namespace

GUI_TEST_IN_CODE_PAGE(DoubleByteTextsAreShownWhole, 932) {
  Folder folder(L"cp932-view");
  folder.Write(L"film.dat", Inventory({{7, In932(kStored), In932(kLongSku)}}));
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  Ask(tallo, main, IDC_FIND, L"Find number / description", L"7");
  HWND view = InventoryDialog(tallo, false);
  Check(ControlText(view, IDC_DESCRIPTION) == kStored, "the description is not shown right");
  const std::wstring sku = ControlText(view, IDC_SKU1);
  Check(sku == kLongSku, "the SKU1 of 120 characters is shown as " + std::to_string(sku.size()));
  Click(view, IDOK);
  Check(tallo.DialogGone(L"Inventory"), "the view did not close");
  Exit(tallo, main);
}

GUI_TEST_IN_CODE_PAGE(DoubleByteDescriptionIsStoredAndFoundByItsFirstCharacter, 932) {
  Folder folder(L"cp932-amend");
  const std::vector<Item> items = {{3, In932(L"お茶")}, {7, In932(kStored)}};
  folder.Write(L"film.dat", Inventory(items));
  // 38 characters, the most the field takes: 76 bytes and a terminator.
  const std::wstring typed = L"弁当" + Repeated(L"寿司セット表", 36);
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  Ask(tallo, main, IDC_AMEND, L"Number/description/fragment", L"7");
  HWND amend = tallo.Dialog(L"Amend inventory");
  SetText(amend, IDC_DESCRIPTION, typed);
  Click(amend, IDOK);
  Check(tallo.DialogGone(L"Amend inventory"), "the amend dialog did not close");
  Pause(200);
  Check(tallo.Dialogs().empty(), "a successful amendment showed a message");

  Ask(tallo, main, IDC_FIND, L"Find number / description", typed.substr(0, 1));
  HWND result = InventoryDialog(tallo, true);
  Check(ControlText(result, IDC_DESCRIPTION) == typed, "not found by its first character");
  Check(ControlText(result, IDC_NUMBER) == L"7", "found another item");
  Click(result, IDOK);
  Check(tallo.DialogGone(L"Inventory"), "the result dialog did not close");
  Exit(tallo, main);

  // Over the start of the field; what lies behind the terminator stays.
  std::vector<InventoryRecord> expected = MakeItems(items);
  const std::string bytes = In932(typed);
  Check(bytes.size() == 76, "the text is not 76 bytes in code page 932");
  std::copy(bytes.begin(), bytes.end(), expected[1].bytes + kDescriptionOffset);
  expected[1].bytes[kDescriptionOffset + 76] = 0;
  Check(folder.Read(L"film.dat") == InventoryBytes(expected),
        "film.dat is not the amended file byte for byte");
}
