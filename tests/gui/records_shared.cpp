#include "tests/gui/records_shared.h"

namespace gui {

Bytes Inventory(const std::vector<Item>& items) { return InventoryBytes(MakeItems(items)); }

std::wstring ControlText(HWND dialog, int id) { return Text(::GetDlgItem(dialog, id)); }

void Ask(Tallo& tallo, HWND main, int button, const wchar_t* question, const std::wstring& answer) {
  Click(main, button);
  HWND prompt = tallo.Dialog(question);
  Type(prompt, IDC_PROMPT_ANSWER, answer);
  Click(prompt, IDOK);
  Check(tallo.DialogGone(question), "the prompt did not close");
}

HWND InventoryDialog(Tallo& tallo, bool searchResult) {
  for (int i = 0; i < 200; ++i) {
    for (HWND d : tallo.Dialogs()) {
      if (Text(d) == L"Inventory" && (::GetDlgItem(d, IDC_NEXT) != nullptr) == searchResult) {
        return d;
      }
    }
    Pause(50);
  }
  throw Failure{searchResult ? "no search-result dialog" : "no view dialog"};
}

void Exit(Tallo& tallo, HWND main) {
  PostCommand(main, IDM_EXIT);
  Check(tallo.WaitExit() == 0, "exit code is not 0");
}

void WriteLargestInventory(const std::wstring& path, const InventoryRecord& last) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  Check(file != INVALID_HANDLE_VALUE, "cannot create " + Narrow(path));
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(uint64_t(kLargestSlotCount - 1) * kRecordSize);
  DWORD written = 0;
  const BOOL ok = ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                  ::WriteFile(file, last.bytes, kRecordSize, &written, nullptr);
  ::CloseHandle(file);
  Check(ok && written == kRecordSize, "cannot write " + Narrow(path));
}

}  // namespace gui
