// The largest inventory the format allows, under Wine: its last slot starts
// at byte 4,294,964,380, where a file offset no longer fits a signed 32-bit
// value. The file is sparse: only the last slot holds bytes.
#include "tests/gui/records_shared.h"

using namespace gui;

namespace {

constexpr uint32_t kLargestSlots = static_cast<uint32_t>(kLargestInventorySize / kRecordSize);
constexpr uint64_t kLastSlotOffset = uint64_t{kLargestSlots - 1} * kRecordSize;

// The file's size and the bytes of its last slot.
Bytes LastSlot(const std::wstring& path, uint64_t* size) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  Check(file != INVALID_HANDLE_VALUE, "cannot open " + Narrow(path));
  LARGE_INTEGER length = {}, at;
  at.QuadPart = static_cast<LONGLONG>(kLastSlotOffset);
  Bytes bytes(kRecordSize);
  DWORD read = 0;
  const BOOL ok = ::GetFileSizeEx(file, &length) &&
                  ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                  ::ReadFile(file, bytes.data(), kRecordSize, &read, nullptr);
  ::CloseHandle(file);
  Check(ok && read == kRecordSize, "cannot read the last slot of " + Narrow(path));
  *size = static_cast<uint64_t>(length.QuadPart);
  return bytes;
}

}  // namespace

GUI_TEST(TheLastSlotOfTheLargestInventoryIsFoundAndAmended) {
  Folder folder(L"largest");
  const Item item = {4242, "LAST SLOT", "SKU-L", 9, 2.5f, 1.0f, 2.0f, 8, 2};
  WriteLargestInventory(folder.Path(L"film.dat"), MakeItem(item, 1));

  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow(/*timeoutMs=*/120000);  // every slot is read at start
  Check(tallo.Dialogs().empty(), "the largest inventory did not load without a message");
  Ask(tallo, main, IDC_FIND, L"Find number / description", L"4242");
  HWND view = InventoryDialog(tallo, false);
  Check(ControlText(view, IDC_DESCRIPTION) == L"LAST SLOT", "Find does not show the last slot");
  Check(ControlText(view, IDC_PRICE) == L"2.50", "Find does not show the last slot's price");
  Click(view, IDOK);
  Check(tallo.DialogGone(L"Inventory"), "the view did not close");

  Ask(tallo, main, IDC_AMEND, L"Number/description/fragment", L"4242");
  HWND amend = tallo.Dialog(L"Amend inventory");
  SetText(amend, IDC_PRICE, L"7.25");
  Click(amend, IDOK);
  Check(tallo.DialogGone(L"Amend inventory"), "the amend dialog did not close");
  Pause(200);
  Check(tallo.Dialogs().empty(), "amending the last slot showed a message");
  Exit(tallo, main);

  InventoryRecord expected = MakeItem(item, 1);
  SetRecordPrice(expected, 7.25f);
  uint64_t size = 0;
  const Bytes last = LastSlot(folder.Path(L"film.dat"), &size);
  Check(size == uint64_t{kLargestSlots} * kRecordSize, "film.dat changed its size");
  Check(last == RecordBytes(expected), "the last slot is not the amended record");
  folder.Remove(L"film.dat");
}
