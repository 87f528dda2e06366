// Find and Amend under Wine, from the picture buttons to the file.
#include "store/journal.h"
#include "tests/gui/records_shared.h"
#include "tests/kit/single_journal.h"

using namespace gui;

GUI_TEST(FindByNumberShowsTheItem) {
  Folder folder(L"find-number");
  folder.Write(L"film.dat",
               Inventory({{7, "SEVEN"}, {12, "TWELVE", "SKU-1", 40, 2.5f, 0.75f, 1.25f, 17, 3}}));
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  Ask(tallo, main, IDC_FIND, L"Find number / description", L"12");
  HWND view = InventoryDialog(tallo, false);
  Check(::GetWindow(view, GW_OWNER) == main, "the view is not owned by the main window");
  const struct {
    int id;
    const wchar_t* shown;
  } fields[] = {{IDC_NUMBER, L"12"},        {IDC_DESCRIPTION, L"TWELVE"}, {IDC_SKU1, L"SKU-1"},
                {IDC_IN_STOCK, L"40"},      {IDC_PRICE, L"2.50"},         {IDC_COST_PRICE, L"0.75"},
                {IDC_TRADE_PRICE, L"1.25"}, {IDC_CATEGORY, L"17"},        {IDC_TAX, L"2"}};
  for (const auto& f : fields) {
    Check(ControlText(view, f.id) == f.shown, "control " + std::to_string(f.id));
  }
  Click(view, IDOK);
  Check(tallo.DialogGone(L"Inventory"), "the view did not close");
  Exit(tallo, main);
}

GUI_TEST(FindByDescriptionWithNextToTheEnd) {
  Folder folder(L"find-description");
  folder.Write(
      L"film.dat",
      Inventory(
          {{1, "RED HAT"}, {2, "BLUE HAT"}, {3, "RED SOCKS"}, {4, "RED BOX", "SKU", 2, 9.99f}}));
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  Ask(tallo, main, IDC_FIND, L"Find number / description", L"red");  // typed as capitals
  HWND result = InventoryDialog(tallo, true);
  Check(FocusOf(result) == ::GetDlgItem(result, IDC_NEXT), "the focus is not on Next");
  const wchar_t* expected[] = {L"RED HAT", L"RED SOCKS", L"RED BOX"};
  for (size_t i = 0; i < 3; ++i) {
    for (int wait = 0; wait < 100 && ControlText(result, IDC_DESCRIPTION) != expected[i]; ++wait) {
      Pause(50);
    }
    Check(ControlText(result, IDC_DESCRIPTION) == expected[i], "match " + std::to_string(i));
    if (i < 2) Click(result, IDC_NEXT);
  }
  Check(ControlText(result, IDC_NUMBER) == L"4", "Number of the last match");
  Check(ControlText(result, IDC_RESULT_PRICE) == L"9.99", "Price of the last match");
  Check(ControlText(result, IDC_RESULT_IN_STOCK) == L"2", "In stock of the last match");
  Click(result, IDC_NEXT);
  HWND box = tallo.Dialog(L"Finished");
  Check(MessageText(box) == L"No match found", "the end of the matches");
  Check(::GetWindow(box, GW_OWNER) == result, "the message is not owned by the result dialog");
  Click(box, IDOK);
  Check(tallo.DialogGone(L"Inventory"), "the result dialog did not close");
  Exit(tallo, main);
}

GUI_TEST(AmendChangesPriceAndDescription) {
  Folder folder(L"amend");
  const std::vector<Item> items = {{7, "SEVEN"},
                                   {12, "TWELVE", "SKU-1", 40, 2.5f, 0.75f, 1.25f, 17, 3}};
  folder.Write(L"film.dat", Inventory(items));
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  Ask(tallo, main, IDC_AMEND, L"Number/description/fragment", L"12");
  HWND amend = tallo.Dialog(L"Amend inventory");
  Check(FocusOf(amend) == ::GetDlgItem(amend, IDC_IN_STOCK), "the focus is not on In stock");
  SetText(amend, IDC_PRICE, L"3.999");
  SetText(amend, IDC_DESCRIPTION, L"new name");  // the field raises set text too
  SetText(amend, IDC_IN_STOCK, L" 41abc");       // read as 41
  SetText(amend, IDC_CATEGORY, L"-5");           // reads as 4294967291: Category stays
  Click(amend, IDOK);
  Check(tallo.DialogGone(L"Amend inventory"), "the amend dialog did not close");
  Pause(200);
  Check(tallo.Dialogs().empty(), "a successful amendment showed a message");

  Ask(tallo, main, IDC_FIND, L"Find number / description", L"NEW");
  HWND result = InventoryDialog(tallo, true);
  Check(ControlText(result, IDC_DESCRIPTION) == L"NEW NAME", "not found under the new description");
  Check(ControlText(result, IDC_RESULT_PRICE) == L"4.00", "the price was not rounded");
  Click(result, IDOK);
  Check(tallo.DialogGone(L"Inventory"), "the result dialog did not close");
  Exit(tallo, main);

  std::vector<InventoryRecord> expected = MakeItems(items);
  std::copy_n("NEW NAME", 9, expected[1].bytes + kDescriptionOffset);
  SetRecordPrice(expected[1], 4.0f);
  SetRecordInStock(expected[1], 41);
  Check(folder.Read(L"film.dat") == InventoryBytes(expected),
        "film.dat is not the amended file byte for byte");
}

GUI_TEST(AJournalLeftByAPowerCutIsFinishedAtStart) {
  // Slot 1 torn between its old record and a new one, the journal of that
  // write whole beside it.
  Folder folder(L"journal");
  std::vector<InventoryRecord> records = MakeItems({{7, "SEVEN"}, {12, "TWELVE"}, {30, "THIRTY"}});
  const Bytes old = InventoryBytes(records);
  const InventoryRecord mended = MakeItem({12, "MENDED TWELVE", "SKU", 6, 3.25f}, 1);
  const Bytes journal = SingleFormJournal(old, 1, mended);
  std::copy_n(mended.bytes, 600, records[1].bytes);
  folder.Write(L"film.dat", InventoryBytes(records));
  folder.Write(L"film.jnl", journal);

  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  JournalGroup left;
  const Bytes after = folder.Read(L"film.jnl");
  Check(!DecodeAnyJournal(after.data(), after.size(), &left), "the journal is not marked done");
  records[1] = mended;
  Check(folder.Read(L"film.dat") == InventoryBytes(records), "slot 1 is not the new record");
  Ask(tallo, main, IDC_FIND, L"Find number / description", L"12");
  HWND view = InventoryDialog(tallo, false);
  Check(ControlText(view, IDC_DESCRIPTION) == L"MENDED TWELVE",
        "Find does not show the new record");
  Check(ControlText(view, IDC_PRICE) == L"3.25", "Find does not show the new price");
  Click(view, IDOK);
  Check(tallo.DialogGone(L"Inventory"), "the view did not close");
  Exit(tallo, main);
}
