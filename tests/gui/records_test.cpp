// Find and Amend under Wine, from the picture buttons to the file.
#include <cstring>

#include "tests/gui/records_shared.h"

using namespace gui;

GUI_TEST(FindByNumberShowsTheItem) {
  Folder folder(L"find-number");
  folder.Write(L"film.dat", Inventory({{7, "SEVEN"}, {12, "TWELVE", 2.5f, 40, 17, 3}}));
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  Ask(tallo, main, 110, L"Find number / description", L"12");
  HWND view = InventoryDialog(tallo, false);
  Check(::GetWindow(view, GW_OWNER) == main, "the view is not owned by the main window");
  Check(Text(::GetDlgItem(view, 1000)) == L"12", "Number");
  Check(Text(::GetDlgItem(view, 1001)) == L"TWELVE", "Description");
  Check(Text(::GetDlgItem(view, 1008)) == L"SKU-1", "SKU1");
  Check(Text(::GetDlgItem(view, 1005)) == L"40", "In stock");
  Check(Text(::GetDlgItem(view, 1004)) == L"2.50", "Price");
  Check(Text(::GetDlgItem(view, 1002)) == L"0.75", "Cost price");
  Check(Text(::GetDlgItem(view, 1003)) == L"1.25", "Trade price");
  Check(Text(::GetDlgItem(view, 1006)) == L"17", "Category");
  Check(Text(::GetDlgItem(view, 1007)) == L"2", "Tax");
  Click(view, IDOK);
  Check(tallo.DialogGone(L"Inventory"), "the view did not close");
  Exit(tallo, main);
}

GUI_TEST(FindByDescriptionWithNextToTheEnd) {
  Folder folder(L"find-description");
  folder.Write(
      L"film.dat",
      Inventory({{1, "RED HAT"}, {2, "BLUE HAT"}, {3, "RED SOCKS"}, {4, "RED BOX", 9.99f, 2}}));
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  Ask(tallo, main, 110, L"Find number / description", L"red");  // typed as capitals
  HWND result = InventoryDialog(tallo, true);
  Check(FocusOf(result) == ::GetDlgItem(result, 110), "the focus is not on Next");
  const wchar_t* expected[] = {L"RED HAT", L"RED SOCKS", L"RED BOX"};
  for (size_t i = 0; i < 3; ++i) {
    for (int wait = 0; wait < 100 && Text(::GetDlgItem(result, 1001)) != expected[i]; ++wait) {
      Pause(50);
    }
    Check(Text(::GetDlgItem(result, 1001)) == expected[i], "match " + std::to_string(i));
    if (i < 2) Click(result, 110);
  }
  Check(Text(::GetDlgItem(result, 1000)) == L"4", "Number of the last match");
  Check(Text(::GetDlgItem(result, 1002)) == L"9.99", "Price of the last match");
  Check(Text(::GetDlgItem(result, 1003)) == L"2", "In stock of the last match");
  Click(result, 110);
  HWND box = tallo.Dialog(L"Finished");
  Check(MessageText(box) == L"No match found", "the end of the matches");
  Check(::GetWindow(box, GW_OWNER) == result, "the message is not owned by the result dialog");
  Click(box, IDOK);
  Check(tallo.DialogGone(L"Inventory"), "the result dialog did not close");
  Exit(tallo, main);
}

GUI_TEST(AmendChangesPriceAndDescription) {
  Folder folder(L"amend");
  const Bytes original = Inventory({{7, "SEVEN"}, {12, "TWELVE", 2.5f, 40, 17, 3}});
  folder.Write(L"film.dat", original);
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  Ask(tallo, main, 112, L"Number/description/fragment", L"12");
  HWND amend = tallo.Dialog(L"Amend inventory");
  Check(FocusOf(amend) == ::GetDlgItem(amend, 1005), "the focus is not on In stock");
  SetText(amend, 1004, L"3.999");
  SetText(amend, 1001, L"new name");  // the field raises set text too
  SetText(amend, 1005, L" 41abc");    // read as 41
  SetText(amend, 1006, L"-5");        // reads as 4294967291: Category stays
  Click(amend, IDOK);
  Check(tallo.DialogGone(L"Amend inventory"), "the amend dialog did not close");
  Pause(200);
  Check(tallo.Dialogs().empty(), "a successful amendment showed a message");

  Ask(tallo, main, 110, L"Find number / description", L"NEW");
  HWND result = InventoryDialog(tallo, true);
  Check(Text(::GetDlgItem(result, 1001)) == L"NEW NAME", "not found under the new description");
  Check(Text(::GetDlgItem(result, 1002)) == L"4.00", "the price was not rounded");
  Click(result, IDOK);
  Check(tallo.DialogGone(L"Inventory"), "the result dialog did not close");
  Exit(tallo, main);

  Bytes expected = original;
  std::memcpy(&expected[kRecordSize + 8], "NEW NAME", 9);
  PutFloat(expected, kRecordSize + 822, 4.0f);
  Put32(expected, kRecordSize + 670, 41);
  Check(folder.Read(L"film.dat") == expected, "film.dat is not the amended file byte for byte");
}
