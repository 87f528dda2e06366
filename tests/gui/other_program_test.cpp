// Another program changes film.dat while tallo runs under Wine: between the
// lookup and OK, and by moving the slots.
#include "tests/gui/records_shared.h"

using namespace gui;

namespace {

const std::vector<Item> kItems = {{7, "SEVEN"}, {12, "TWELVE"}, {30, "THIRTY"}};

// What the other program writes: slot `slot` with another stock.
Bytes WithStockChanged(const Folder& folder, size_t slot) {
  Bytes file = folder.Read(L"film.dat");
  file[slot * kRecordSize + kInStockOffset] = 99;
  folder.Write(L"film.dat", file);
  return file;
}

// The refusal of a write over the other program's change, answered.
void ExpectRefused(Tallo& tallo, HWND main, const std::wstring& text) {
  HWND box = tallo.Dialog(L"Problem");
  Check(MessageText(box) == text, "the message: " + Narrow(MessageText(box)));
  Check(::GetWindow(box, GW_OWNER) == main, "the message is not owned by the main window");
  Click(box, IDOK);
  Check(tallo.DialogGone(L"Problem"), "the message did not close");
}

}  // namespace

GUI_TEST(AChangeMadeWhileAnItemIsOpenIsNeverUndone) {
  Folder folder(L"other-program-change");
  folder.Write(L"film.dat", Inventory(kItems));
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  const std::wstring refused = L"Film.dat was changed by another program. Look the item up again.";

  Ask(tallo, main, IDC_AMEND, L"Number/description/fragment", L"12");
  HWND amend = tallo.Dialog(L"Amend inventory");
  Bytes theirs = WithStockChanged(folder, 1);
  SetText(amend, IDC_PRICE, L"8.50");
  Click(amend, IDOK);
  ExpectRefused(tallo, main, refused);
  Check(folder.Read(L"film.dat") == theirs, "Amend wrote over the other program's change");

  Ask(tallo, main, IDC_DELETE, L"Delete item number / description", L"30");
  HWND confirm = tallo.Dialog(L"30 Item: THIRTY");
  theirs = WithStockChanged(folder, 2);
  Click(confirm, IDOK);
  ExpectRefused(tallo, main, refused);
  Check(folder.Read(L"film.dat") == theirs, "Delete wrote over the other program's change");

  // Looked up again, the item shows the other program's stock.
  Ask(tallo, main, IDC_FIND, L"Find number / description", L"30");
  HWND view = InventoryDialog(tallo, false);
  Check(ControlText(view, IDC_IN_STOCK) == L"99", "Find does not show the other program's stock");
  Click(view, IDOK);
  Check(tallo.DialogGone(L"Inventory"), "the view did not close");
  Exit(tallo, main);
}

GUI_TEST(SlotsMovedByAnotherProgramAreToldNotShown) {
  Folder folder(L"other-program-moves");
  folder.Write(L"film.dat", Inventory(kItems));
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  const Bytes theirs = Inventory({{30, "THIRTY"}, {7, "SEVEN"}, {12, "TWELVE"}});
  folder.Write(L"film.dat", theirs);
  const std::wstring moved =
      L"Film.dat was changed by another program. Restart tallo to see the changes.";

  Ask(tallo, main, IDC_FIND, L"Find number / description", L"12");
  ExpectRefused(tallo, main, moved);
  Ask(tallo, main, IDC_AMEND, L"Number/description/fragment", L"7");
  ExpectRefused(tallo, main, moved);
  Pause(200);
  Check(tallo.Dialogs().empty(), "a dialog opened on another item's record");
  Exit(tallo, main);
  Check(folder.Read(L"film.dat") == theirs, "film.dat was written");
}
