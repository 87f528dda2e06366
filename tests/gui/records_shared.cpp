#include "tests/gui/records_shared.h"

#include <cstring>

namespace gui {

void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutFloat(Bytes& b, size_t at, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  Put32(b, at, v);
}

namespace {

Bytes Record(const Item& item) {
  Bytes b(kRecordSize);
  for (size_t i = 0; i < kRecordSize; ++i) b[i] = static_cast<uint8_t>(i * 7 + item.number);
  for (int i = 0; i < 8; ++i)
    b[i] = static_cast<uint8_t>(static_cast<uint64_t>(item.number) >> (8 * i));
  std::memcpy(&b[8], item.description, std::strlen(item.description) + 1);
  std::memcpy(&b[90], "SKU-1", 6);
  Put32(b, 670, item.inStock);
  Put32(b, 686, item.tax);
  PutFloat(b, 814, 0.75f);
  PutFloat(b, 818, 1.25f);
  PutFloat(b, 822, item.price);
  Put32(b, 1787, item.category);
  return b;
}

}  // namespace

Bytes Inventory(const std::vector<Item>& items) {
  Bytes file;
  for (const Item& item : items) {
    const Bytes r = Record(item);
    file.insert(file.end(), r.begin(), r.end());
  }
  return file;
}

void Ask(Tallo& tallo, HWND main, int button, const wchar_t* question, const std::wstring& answer) {
  Click(main, button);
  HWND prompt = tallo.Dialog(question);
  Type(prompt, 1000, answer);
  Click(prompt, IDOK);
  Check(tallo.DialogGone(question), "the prompt did not close");
}

HWND InventoryDialog(Tallo& tallo, bool searchResult) {
  for (int i = 0; i < 200; ++i) {
    for (HWND d : tallo.Dialogs()) {
      if (Text(d) == L"Inventory" && (::GetDlgItem(d, 110) != nullptr) == searchResult) return d;
    }
    Pause(50);
  }
  throw Failure{searchResult ? "no search-result dialog" : "no view dialog"};
}

void Exit(Tallo& tallo, HWND main) {
  PostCommand(main, 40000);
  Check(tallo.WaitExit() == 0, "exit code is not 0");
}

}  // namespace gui
