// Delete and the configuration dialog under Wine, the storage switch across
// restarts included (drive E: stands for the card).
#include "tests/gui/records_shared.h"

using namespace gui;

namespace {

std::wstring CardFolder() {
  wchar_t current[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, current);
  return std::wstring(current) + L"\\card";
}

Bytes Slice(const Bytes& bytes, size_t at, size_t count) {
  return Bytes(bytes.begin() + at, bytes.begin() + at + count);
}

HWND OpenConfiguration(Tallo& tallo, HWND main) {
  Click(main, IDC_CONFIGURATION);
  return tallo.Dialog(L"Tallo Configuration");
}

bool IsChecked(HWND dialog, int id) {
  DWORD_PTR state = 0;
  ::SendMessageTimeoutW(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000,
                        &state);
  return state == BST_CHECKED;
}

// The counts the configuration dialog shows: records, active, deleted.
std::wstring Counts(HWND config) {
  return ControlText(config, IDC_RECORDS) + L"/" + ControlText(config, IDC_ACTIVE) + L"/" +
         ControlText(config, IDC_DELETED);
}

// Presses the storage button and follows its two messages to the end of
// the program; returns the path the first one named.
std::wstring SwitchStorage(Tallo& tallo, HWND config) {
  Click(config, IDC_STORAGE);
  HWND usingBox = tallo.Dialog(L"Using");
  const std::wstring path = MessageText(usingBox);
  Check(::GetWindow(usingBox, GW_OWNER) == config, "\"Using\" is not owned by the dialog");
  Click(usingBox, IDOK);
  HWND restart = tallo.Dialog(L"Please restart");
  Check(MessageText(restart) == L"to take effect", "the restart message");
  Click(restart, IDOK);
  Check(tallo.WaitExit() == 0, "the switch did not end the program with 0");
  return path;
}

}  // namespace

GUI_TEST(DeleteConfirmedMarksTheSlot) {
  Folder folder(L"delete");
  const std::vector<Item> items = {{7, "SEVEN"}, {12, "TWELVE"}, {30, "THIRTY"}};
  folder.Write(L"film.dat", Inventory(items));
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  Ask(tallo, main, IDC_DELETE, L"Delete item number / description", L"12");
  HWND confirm = tallo.Dialog(L"12 Item: TWELVE");
  Check(MessageText(confirm) == L"Are you sure?", "the question");
  Check(::GetDlgItem(confirm, IDCANCEL) != nullptr, "no Cancel button");
  Click(confirm, IDOK);
  HWND done = tallo.Dialog(L"Delete");
  Check(MessageText(done) == L"Complete", "the completion");
  Click(done, IDOK);
  Check(tallo.DialogGone(L"Delete"), "the completion did not close");

  std::vector<InventoryRecord> expected = MakeItems(items);
  MarkDeleted(expected[1]);
  Check(folder.Read(L"film.dat") == InventoryBytes(expected),
        "film.dat is not the deleted form byte for byte");

  Ask(tallo, main, IDC_FIND, L"Find number / description", L"12");
  HWND problem = tallo.Dialog(L"Problem");
  Check(MessageText(problem) == L"No such item: 12", "the deleted item was found");
  Click(problem, IDOK);
  HWND config = OpenConfiguration(tallo, main);
  Check(Counts(config) == L"3/2/1", "counts after the deletion");
  Click(config, IDCANCEL);
  Check(tallo.DialogGone(L"Tallo Configuration"), "the configuration did not close");
  Exit(tallo, main);
}

GUI_TEST(DeleteCancelledChangesNothing) {
  Folder folder(L"delete-cancel");
  const Bytes original = Inventory({{7, "SEVEN"}, {12, "TWELVE"}});
  folder.Write(L"film.dat", original);
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  Ask(tallo, main, IDC_DELETE, L"Delete item number / description", L"SEV");
  HWND result = InventoryDialog(tallo, true);
  Click(result, IDOK);
  HWND confirm = tallo.Dialog(L"7 Item: SEVEN");
  Click(confirm, IDCANCEL);
  Check(tallo.DialogGone(L"7 Item: SEVEN"), "the question did not close");
  Pause(200);
  Check(tallo.Dialogs().empty(), "a message followed the cancel");
  Check(folder.Read(L"film.dat") == original, "film.dat changed");
  Exit(tallo, main);
}

GUI_TEST(ConfigurationCountsAndFocusChoice) {
  Folder folder(L"configuration");
  folder.Write(L"film.dat", Inventory({{7, "SEVEN"}, {-1, ""}, {12, "TWELVE"}}));
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  HWND config = OpenConfiguration(tallo, main);
  Check(Counts(config) == L"3/2/1", "counts");
  Check(IsChecked(config, IDC_FOCUS_QUANTITY) && !IsChecked(config, IDC_FOCUS_PRICE),
        "the quantity focus is not chosen");
  Click(config, IDC_FOCUS_PRICE);
  for (int i = 0; i < 40 && !IsChecked(config, IDC_FOCUS_PRICE); ++i) Pause(50);
  Check(!IsChecked(config, IDC_FOCUS_QUANTITY), "the radio buttons are not one group");
  Click(config, IDOK);
  Check(tallo.DialogGone(L"Tallo Configuration"), "the configuration did not close");

  Ask(tallo, main, IDC_AMEND, L"Number/description/fragment", L"12");
  HWND amend = tallo.Dialog(L"Amend inventory");
  Check(FocusOf(amend) == ::GetDlgItem(amend, IDC_PRICE), "the focus is not on Price");
  Click(amend, IDCANCEL);
  Check(tallo.DialogGone(L"Amend inventory"), "the amend dialog did not close");
  Exit(tallo, main);
  const Bytes settings = folder.Read(L"tallo.cfg");
  Check(settings.size() == kSettingsSize, "tallo.cfg size");
  Check(Slice(settings, kAmendFocusOffset, 4) == (Bytes{0, 0, 0, 0x40}),
        "the focus option is not 2.0");
}

GUI_TEST(StorageSwitchToTheCardAndBack) {
  Folder folder(L"storage");
  folder.Write(L"film.dat", Inventory({{1, "ON DEVICE"}}));
  const std::wstring card = CardFolder();
  Folder::WriteAt(card + L"\\film.dat", Inventory({{5, "ON CARD"}, {6, "ALSO ON CARD"}}));
  {
    Tallo tallo(exe, folder);
    HWND config = OpenConfiguration(tallo, tallo.MainWindow());
    Check(Counts(config) == L"1/1/0", "the device's counts");
    Check(SwitchStorage(tallo, config) == L"E:\\film.dat", "the card's path");
  }
  Check(Slice(folder.Read(L"tallo.cfg"), kStorageOffset, 4) == (Bytes{0, 0, 0, 0x40}),
        "the storage option is not 2.0");
  {
    Tallo tallo(exe, folder);
    HWND config = OpenConfiguration(tallo, tallo.MainWindow());
    Check(Counts(config) == L"2/2/0", "the card's inventory is not in use");
    Check(SwitchStorage(tallo, config) == L"My device\\film.dat", "the device's name");
  }
  Check(Slice(folder.Read(L"tallo.cfg"), kStorageOffset, 4) == Bytes(4, 0),
        "the storage option is not 0.0");
  {
    Tallo tallo(exe, folder);
    HWND main = tallo.MainWindow();
    HWND config = OpenConfiguration(tallo, main);
    Check(Counts(config) == L"1/1/0", "the device's inventory is not back in use");
    Click(config, IDCANCEL);
    Check(tallo.DialogGone(L"Tallo Configuration"), "the configuration did not close");
    Exit(tallo, main);
  }
  Folder::RemoveAt(card + L"\\film.dat");
}
