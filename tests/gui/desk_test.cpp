// The back-office window (filmdesk.exe) under Wine, as the shop owner works
// it: export through the Save As dialog into a folder and under a name with
// letters beyond the code page, an edited workbook brought back and
// its review read against the edits, Apply and film.dat field by field, a
// conflict shown and refused, what the handheld changed after the review
// refused, every price of a shop raised and applied, Cancel, a long export
// cancelled while the window answers, a sheet dropped on the window and one
// handed over by a second start, each finding told whole in the details
// pane, the counts of the largest film.dat, and every control whole at every
// size of the window. Each test but the counts of the largest runs
// under the Western code page and again under the Japanese one, with texts
// of its own.
#include <algorithm>
#include <cstring>

#include "office/listener.h"
#include "office/sheets/sheet_reader.h"
#include "office/sheets/sheet_writer.h"
#include "tests/gui/desk_driver.h"
#include "tests/gui/records_shared.h"
#include "tests/kit/csv_rows.h"

using namespace gui;

#define DESK_TEST(name)                                                \
  static void name(const std::wstring& exe);                           \
  static gui::Register name##_western(#name, name, 1252);              \
  static gui::Register name##_japanese(#name "InJapanese", name, 932); \
  static void name(const std::wstring& exe)

namespace {

// The texts of this code page's shop.
struct Texts {
  std::wstring ten, eleven, twelve, edited;
};
Texts ShopTexts() {
  if (::GetACP() == 932) return {L"お茶", L"寿司セット", L"弁当", L"大きい寿司セット"};
  return {L"TEA TOWEL", L"CAFÉ", L"KETTLE", L"CAFÉ AU LAIT"};
}

std::string InSystemCodePage(const std::wstring& text) {
  const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes.data(), n, nullptr, nullptr);
  bytes.pop_back();
  return bytes;
}

std::string Utf8(const std::wstring& text) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), n, nullptr, nullptr);
  bytes.pop_back();
  return bytes;
}

std::vector<InventoryRecord> ShopRecords(const Texts& t) {
  return MakeItems({{10, InSystemCodePage(t.ten), "S10", 4, 2.5f},
                    {11, InSystemCodePage(t.eleven), "S11"},
                    {12, InSystemCodePage(t.twelve), "S12"}});
}

// The rows of a sheet (a workbook or CSV), header first, as import reads them.
CsvSheet ReadSheet(const std::wstring& path) {
  std::string why;
  const auto sheet = OpenSheetReader(Utf8(path), &why);
  Check(sheet != nullptr, "cannot read " + Narrow(path) + ": " + why);
  CsvSheet rows;
  std::string name;
  SheetRow row;
  while (sheet->NextSheet(&name)) {
    while (sheet->NextRow(&row)) rows.emplace_back(row.cells.begin(), row.cells.end());
  }
  return rows;
}

// `rows` (an export's, edited) as a workbook, marks and all.
void WriteWorkbook(const std::wstring& path, const CsvSheet& rows) {
  // What stops the writer is told in the check that follows.
  class Unheard : public Listener {
    void Tell(const std::string&) override {}
    void Tell(Message) override {}
  } unheard;
  auto book = WorkbookAt(Utf8(path), unheard);
  Check(book != nullptr, "cannot start " + Narrow(path));
  for (size_t r = 1; r < rows.size(); ++r) {
    ExportedRow row;
    row.slot = std::stoll(rows[r][0]);
    row.number = rows[r][1];
    for (size_t f = 0; f < row.fields.size(); ++f) row.fields[f] = rows[r][2 + f];
    row.mark = rows[r][10];
    Check(book->Row(row), "cannot write " + Narrow(path));
  }
  Check(book->Finish(), "cannot finish " + Narrow(path));
}

// filmtool.exe's export of `folder` as CSV rows.
CsvSheet ExportedByFilmtool(const Folder& folder) {
  Check(RunFilmtool(L"export \"" + folder.Path() + L"\"", folder.Path(L"export.csv")) == 0,
        "filmtool.exe export failed");
  const Bytes csv = folder.Read(L"export.csv");
  return ReadCsv(std::string(csv.begin(), csv.end()));
}

void WriteCsvFile(const Folder& folder, const std::wstring& name, const CsvSheet& sheet) {
  const std::string text = WriteCsv(sheet);
  folder.Write(name, Bytes(text.begin(), text.end()));
}

void Amend(const Folder& folder, const std::wstring& assignment) {
  Check(RunFilmtool(L"amend \"" + folder.Path() + L"\" " + assignment) == 0,
        "filmtool.exe amend " + Narrow(assignment) + " failed");
}

const char* FieldAt(size_t offset) {
  if (offset < kDescriptionOffset) return "number";
  if (offset < kSku1Offset) return "description";
  if (offset < kInStockOffset) return "sku";
  if (offset < kTaxOffset) return "in stock";
  if (offset < kCostPriceOffset) return "tax";
  if (offset == kCostPriceOffset) return "cost price";
  if (offset >= kTradePriceOffset && offset < kPriceOffset) return "trade price";
  if (offset >= kPriceOffset && offset < kPriceOffset + 4) return "price";
  if (offset >= kCategoryOffset && offset < kCategoryOffset + 4) return "category";
  return "a byte carried through";
}

// film.dat against `expected`, slot by slot and field by field.
void CheckFilm(const Folder& folder, const std::vector<InventoryRecord>& expected) {
  const Bytes file = folder.Read(L"film.dat");
  Check(file.size() == expected.size() * kRecordSize,
        "film.dat has " + std::to_string(file.size()) + " bytes");
  for (size_t slot = 0; slot < expected.size(); ++slot) {
    for (size_t at = 0; at < kRecordSize; ++at) {
      Check(file[slot * kRecordSize + at] == expected[slot].bytes[at],
            "slot " + std::to_string(slot) + ": its " + FieldAt(at) + " (byte " +
                std::to_string(at) + ") is not what was expected");
    }
  }
}

void SetDescription(InventoryRecord& r, const std::string& bytes) {
  std::memcpy(r.bytes + kDescriptionOffset, bytes.data(), bytes.size());
  r.bytes[kDescriptionOffset + bytes.size()] = 0;
}

void Close(Tallo& program, const Desk& desk) {
  ::PostMessageW(desk.main(), WM_CLOSE, 0, 0);
  Check(program.WaitExit() == 0, "filmdesk.exe did not end with 0");
}

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

std::string Shown(const std::vector<std::wstring>& row) {
  std::wstring all;
  for (const std::wstring& cell : row) all += L"|" + cell;
  return Narrow(all);
}

}  // namespace

// Export through Save As, a workbook edited and brought back through Open,
// its review against the edits, Apply from the keyboard, and film.dat field
// by field.
DESK_TEST(DeskExportsAndBringsBackAnEditedWorkbook) {
  (void)exe;
  const Texts t = ShopTexts();
  Folder folder(L"desk-export");
  std::vector<InventoryRecord> records = ShopRecords(t);
  folder.Write(L"film.dat", InventoryBytes(records));
  UseShopFolder(folder);
  Tallo program(BesideDriver(L"filmdesk.exe"), folder);
  Desk desk(program);
  Check(desk.Counts() == L"Slots 3    Active 3    Deleted 0", Narrow(desk.Counts()));
  Check(desk.Text(IDC_REFRESH) == L"&Refresh" && desk.Text(IDC_CARD_BROWSE) == L"Bro&wse...",
        "the buttons' letters");

  // Into a folder and under a name with letters beyond ASCII, some beyond
  // the system's code page whichever it is (a profile like C:\Users\Jürgen).
  desk.Press(IDC_EXPORT);
  Check(::CreateDirectoryW(folder.Path(L"Jürgen").c_str(), nullptr) != FALSE ||
            ::GetLastError() == ERROR_ALREADY_EXISTS,
        "cannot make the folder Jürgen");
  const std::wstring exported = folder.Path(L"Jürgen\\在庫 stöck.xlsx");
  Folder::RemoveAt(exported);  // a run under the other code page made it
  const std::wstring suggested = AnswerFileDialog(program, L"Export to a workbook", exported);
  Check(suggested.rfind(L"stock ", 0) == 0 && suggested.size() == 21 &&
            suggested.substr(16) == L".xlsx",
        "the suggested name: " + Narrow(suggested));
  desk.WaitMessages(L"Exported 3 items to " + exported + L".");
  Check(!folder.Exists(L"Jürgen\\在庫 stöck.xlsx.part"), "the export left its part");
  CsvSheet rows = ReadSheet(exported);
  Check(rows.size() == 4 && rows[0][1] == "number",
        "the workbook has " + std::to_string(rows.size()) + " rows");
  Check(rows[1][2] == Utf8(t.ten) && rows[2][2] == Utf8(t.eleven) && rows[3][2] == Utf8(t.twelve),
        "the workbook's descriptions are not film.dat's");

  rows[1][8] = "2.49";
  rows[2][2] = Utf8(t.edited);
  const std::wstring edited = folder.Path(L"edited.xlsx");
  WriteWorkbook(edited, rows);
  desk.Press(IDC_BRING_BACK);
  AnswerFileDialog(program, L"Bring a sheet back", edited);
  desk.WaitReview(L"Review of edited.xlsx: 2 items to change, 0 to add.");
  const std::vector<std::wstring> price = desk.Row(L"Changes to film.dat", L"10");
  Check(price.size() == 8 && price[1] == t.ten && price[2] == L"price" && price[3] == L"2.50" &&
            price[4] == L"2.49" && price[5] == L"2",
        "the price's row: " + Shown(price));
  // film.dat's description beside the field's change.
  const std::vector<std::wstring> text = desk.Row(L"Changes to film.dat", L"11");
  Check(text.size() == 8 && text[1] == t.eleven && text[2] == L"description" &&
            text[3] == t.eleven && text[4] == t.edited,
        "the description's row: " + Shown(text));
  Check(Contains(desk.Text(IDC_DETAILS), L"Row 2: item 10, " + t.ten + L", price."),
        "the details of the first change: " + Narrow(desk.Text(IDC_DETAILS)));
  Check(desk.Rows().size() == 3, "the review has " + std::to_string(desk.Rows().size()) + " rows");
  Check(folder.Read(L"film.dat") == InventoryBytes(records), "the review wrote film.dat");
  Check(desk.Enabled(IDC_APPLY) && !desk.Enabled(IDC_OVERWRITE), "Apply or Overwrite");

  // From the keyboard: Alt+V goes to the list, Alt+A applies.
  Check(BringForward(desk.main()), "cannot bring the window forward");
  KeyChord(VK_MENU, 'V');
  desk.WaitFocus(IDC_REVIEW);
  KeyChord(VK_MENU, 'A');
  const std::wstring said = desk.AnswerMessage();
  Check(said == L"2 items changed and 0 added in film.dat.", "after Apply: " + Narrow(said));
  SetRecordPrice(records[0], 2.49f);
  SetDescription(records[1], InSystemCodePage(t.edited));
  CheckFilm(folder, records);
  desk.WaitIdle();
  Check(desk.Rows().empty() && !desk.Enabled(IDC_APPLY), "the review stayed after Apply");
  Check(Contains(desk.Text(IDC_MESSAGES), L"2 items changed and 0 added in film.dat."),
        "the result is gone from the messages: " + Narrow(desk.Text(IDC_MESSAGES)));
  Close(program, desk);
}

// Every price of the shop raised in one sheet: Apply writes them all, in
// journal groups of adjacent slots that meet slot by slot.
DESK_TEST(DeskAppliesEveryPriceRaised) {
  (void)exe;
  Folder folder(L"desk-raise");
  std::vector<Item> items;
  for (int64_t n = 1; n <= 2500; ++n) items.push_back({n, "ITEM " + std::to_string(n)});
  std::vector<InventoryRecord> records = MakeItems(items);
  folder.Write(L"film.dat", InventoryBytes(records));
  CsvSheet sheet = ExportedByFilmtool(folder);
  for (size_t r = 1; r < sheet.size(); ++r) sheet[r][8] = "2.50";
  WriteCsvFile(folder, L"raised.csv", sheet);
  UseShopFolder(folder);
  Tallo program(BesideDriver(L"filmdesk.exe"), folder, L"\"" + folder.Path(L"raised.csv") + L"\"");
  Desk desk(program);
  desk.WaitReview(L"Review of raised.csv: 2,500 items to change, 0 to add.");
  desk.Press(IDC_APPLY);
  const std::wstring said = desk.AnswerMessage();
  Check(said == L"2500 items changed and 0 added in film.dat.", "after Apply: " + Narrow(said));
  for (InventoryRecord& r : records) SetRecordPrice(r, 2.5f);
  CheckFilm(folder, records);
  Close(program, desk);
  folder.Remove(L"film.dat");
}

// A sheet handed over on the command line with a conflict: shown apart
// with its message, refused; Overwrite is the owner's choice; and an item
// the handheld changed after the review is refused, never written over.
DESK_TEST(DeskShowsAConflictAndRefusesWhatChangedSinceTheReview) {
  (void)exe;
  const Texts t = ShopTexts();
  Folder folder(L"desk-conflict");
  folder.Write(L"film.dat", InventoryBytes(ShopRecords(t)));
  CsvSheet sheet = ExportedByFilmtool(folder);
  Amend(folder, L"11 price=5");  // the handheld, since the export
  const Bytes handheld = folder.Read(L"film.dat");
  sheet[1][2] = Utf8(t.edited);
  sheet[2][8] = "6";
  WriteCsvFile(folder, L"prices.csv", sheet);
  UseShopFolder(folder);
  Tallo program(BesideDriver(L"filmdesk.exe"), folder, L"\"" + folder.Path(L"prices.csv") + L"\"");
  Desk desk(program);
  desk.WaitReview(L"Review of prices.csv: 1 row in conflict: nothing can be written");
  const std::vector<std::wstring> conflict = desk.Row(L"Conflicts", L"11");
  Check(conflict.size() == 8 && conflict[2] == L"price" && conflict[3] == L"5.00" &&
            conflict[4] == L"6.00" && conflict[5] == L"3" && conflict[6] == L"I3" &&
            conflict[7] ==
                L"item 11: price: the sheet says 6.00, film.dat now says 5.00 (changed "
                L"since the export)",
        "the conflict's row: " + Shown(conflict));
  Check(Contains(desk.Text(IDC_MESSAGES), L"tick \"Overwrite film.dat's changes\""),
        "the messages: " + Narrow(desk.Text(IDC_MESSAGES)));
  Check(desk.Text(IDC_OVERWRITE) == L"&Overwrite film.dat's changes", "the choice's name");
  Check(!desk.Enabled(IDC_APPLY), "Apply can be pressed over a conflict");
  Check(::IsDlgButtonChecked(desk.main(), IDC_OVERWRITE) == BST_UNCHECKED,
        "Overwrite is ticked unasked");
  Check(folder.Read(L"film.dat") == handheld, "the review wrote film.dat");
  // The sheet is let go: a spreadsheet saves it again over a name of its own.
  WriteCsvFile(folder, L"prices.tmp", sheet);
  const BOOL saved = ::MoveFileExW(folder.Path(L"prices.tmp").c_str(),
                                   folder.Path(L"prices.csv").c_str(), MOVEFILE_REPLACE_EXISTING);
  const DWORD error = ::GetLastError();
  Check(saved != FALSE, "the reviewed sheet cannot be saved again: error " + std::to_string(error));

  desk.Press(IDC_OVERWRITE);
  desk.WaitReview(L"Review of prices.csv: 2 items to change, 0 to add.");
  const std::vector<std::wstring> over = desk.Row(L"film.dat's changes", L"11");
  Check(
      over.size() == 8 && over[7] == L"item 11: price: the sheet's 6.00 goes over film.dat's 5.00",
      "the overwritten row: " + Shown(over));
  // The handheld counts item 10 while the owner looks at the review.
  Amend(folder, L"10 in_stock=1");
  const Bytes counted = folder.Read(L"film.dat");
  desk.Press(IDC_APPLY);
  const std::wstring said = desk.AnswerMessage();
  Check(Contains(said, L"item 10 was changed in film.dat since the review") &&
            Contains(said, L"Nothing was written."),
        "after Apply: " + Narrow(said));
  Check(folder.Read(L"film.dat") == counted, "Apply wrote over the handheld's change");
  Close(program, desk);
}

// Cancel (Esc) drops a review (a sheet dropped on the window) and writes
// nothing; a long export shows its progress, answers while it works, and
// cancelled leaves no file.
DESK_TEST(DeskCancelWritesNothing) {
  (void)exe;
  const Texts t = ShopTexts();
  Folder folder(L"desk-cancel");
  std::vector<Item> items;
  for (int64_t n = 1; n <= 40000; ++n) items.push_back({n, "ITEM " + std::to_string(n)});
  items[0].description = InSystemCodePage(t.ten);
  const Bytes film = InventoryBytes(MakeItems(items));
  folder.Write(L"film.dat", film);
  CsvSheet sheet = {{"number", "price"}, {"1", "9.99"}};
  WriteCsvFile(folder, L"prices.csv", sheet);
  UseShopFolder(folder);
  Tallo program(BesideDriver(L"filmdesk.exe"), folder);
  Desk desk(program);
  Check(desk.Counts() == L"Slots 40,000    Active 40,000    Deleted 0", Narrow(desk.Counts()));

  DropFile(program, desk.main(), folder.Path(L"prices.csv"));
  desk.WaitReview(L"Review of prices.csv: 1 row without the version mark");
  Check(desk.Row(L"Rows without the version mark", L"1").size() == 8,
        "the dropped sheet's row is not shown");
  desk.Press(IDC_OVERWRITE);
  desk.WaitReview(L"Review of prices.csv: 1 item to change");
  Check(desk.Enabled(IDC_APPLY), "Apply cannot be pressed");
  Check(BringForward(desk.main()), "cannot bring the window forward");
  Key(VK_ESCAPE);
  desk.WaitMessages(L"The review is dropped: nothing was written.");
  Check(desk.Rows().empty() && !desk.Enabled(IDC_APPLY), "the review stayed after Cancel");
  Check(folder.Read(L"film.dat") == film, "Cancel wrote film.dat");

  desk.Press(IDC_EXPORT);
  AnswerFileDialog(program, L"Export to a workbook", folder.Path(L"all.xlsx"));
  // While it works, the window answers and shows how far it has come.
  for (int i = 0; i < 200 && !::IsWindowVisible(::GetDlgItem(desk.main(), IDC_PROGRESS)); ++i) {
    Pause(10);
  }
  DWORD_PTR answered = 0;
  Check(::SendMessageTimeoutW(desk.main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answered) != 0,
        "the window does not answer while it exports");
  Check(Contains(desk.Text(IDC_MESSAGES), L"Exporting to"), Narrow(desk.Text(IDC_MESSAGES)));
  desk.Press(IDCANCEL);
  desk.WaitMessages(L"Export cancelled: no sheet was written.");
  desk.WaitIdle();
  Check(!folder.Exists(L"all.xlsx") && !folder.Exists(L"all.xlsx.part"),
        "a cancelled export left a file");
  Check(folder.Read(L"film.dat") == film, "the export wrote film.dat");
  Close(program, desk);
  folder.Remove(L"film.dat");
}

// One window at a time: a second start hands its sheet to the first and
// ends; the first reviews it.
DESK_TEST(DeskTakesASheetFromASecondStart) {
  (void)exe;
  const Texts t = ShopTexts();
  Folder folder(L"desk-second");
  folder.Write(L"film.dat", InventoryBytes(ShopRecords(t)));
  CsvSheet sheet = ExportedByFilmtool(folder);
  sheet[3][4] = "17";
  WriteCsvFile(folder, L"stock.csv", sheet);
  UseShopFolder(folder);
  Tallo first(BesideDriver(L"filmdesk.exe"), folder);
  Desk desk(first);
  desk.Counts();
  Tallo second(BesideDriver(L"filmdesk.exe"), folder, L"\"" + folder.Path(L"stock.csv") + L"\"");
  Check(second.WaitExit() == 0, "the second start did not end with 0");
  desk.WaitReview(L"Review of stock.csv: 1 item to change, 0 to add.");
  const std::vector<std::wstring> stock = desk.Row(L"Changes to film.dat", L"12");
  Check(stock.size() == 8 && stock[1] == t.twelve && stock[2] == L"in_stock" && stock[3] == L"5" &&
            stock[4] == L"17" && stock[5] == L"4",
        "the stock's row: " + Shown(stock));
  Close(first, desk);
}

// Each finding whole in the details pane, reached from the keyboard: a
// refused row's reason and what to do; a deleted version column's rows under
// a heading of their own, never among the conflicts; a column of the owner's
// own told once as a notice, and the real edit beside it applied.
DESK_TEST(DeskTellsEachFindingWhole) {
  (void)exe;
  const Texts t = ShopTexts();
  Folder folder(L"desk-details");
  std::vector<InventoryRecord> records = ShopRecords(t);
  folder.Write(L"film.dat", InventoryBytes(records));
  const CsvSheet exported = ExportedByFilmtool(folder);
  UseShopFolder(folder);
  Tallo program(BesideDriver(L"filmdesk.exe"), folder);
  Desk desk(program);
  desk.Counts();

  WriteCsvFile(folder, L"new.csv", {{"number", "description"}, {"20", "KETTLE"}});
  DropFile(program, desk.main(), folder.Path(L"new.csv"));
  desk.WaitReview(L"Review of new.csv: 1 row refused: nothing can be written");
  const std::wstring details = desk.Text(IDC_DETAILS);
  Check(Contains(details, L"Row 2: item 20.\r\n") &&
            Contains(details,
                     L"Why: No item 20 in film.dat: tick \"Add new items\" and bring the sheet "
                     L"back to add it as a new item."),
        "the refused row's details: " + Narrow(details));
  Check(BringForward(desk.main()), "cannot bring the window forward");
  KeyChord(VK_MENU, 'T');
  desk.WaitFocus(IDC_DETAILS);

  CsvSheet unmarked = exported;
  for (std::vector<std::string>& row : unmarked) row.pop_back();  // the version column
  unmarked[2][8] = "6";
  WriteCsvFile(folder, L"unmarked.csv", unmarked);
  DropFile(program, desk.main(), folder.Path(L"unmarked.csv"));
  desk.WaitReview(
      L"Review of unmarked.csv: 1 row without the version mark: nothing can be written");
  Check(desk.Row(L"Conflicts", L"11").empty(), "a row without the mark among the conflicts");
  const std::vector<std::wstring> row = desk.Row(
      L"Rows without the version mark: film.dat cannot tell whether it changed since the export",
      L"11");
  Check(row.size() == 8 && row[3] == L"1.50" && row[4] == L"6.00" && row[6] == L"I3",
        "the row without the mark: " + Shown(row));
  Check(Contains(desk.Text(IDC_MESSAGES), L"The version column of this export is missing"),
        "the messages: " + Narrow(desk.Text(IDC_MESSAGES)));

  CsvSheet notes = exported;
  for (size_t i = 0; i < notes.size(); ++i) notes[i].push_back(i == 0 ? "notes" : "ask them");
  notes[3][8] = "4.75";
  WriteCsvFile(folder, L"notes.csv", notes);
  DropFile(program, desk.main(), folder.Path(L"notes.csv"));
  desk.WaitReview(L"Review of notes.csv: 1 item to change, 0 to add.");
  const std::vector<std::wstring> notice = desk.Row(L"Columns that are not ours", L"");
  Check(notice.size() == 8 && notice[6] == L"L1" &&
            notice[7] == L"column 'notes' is not ours: ignored",
        "the notice: " + Shown(notice));
  const std::vector<std::wstring> price = desk.Row(L"Changes to film.dat", L"12");
  Check(price.size() == 8 && price[4] == L"4.75", "the real edit: " + Shown(price));
  desk.Press(IDC_APPLY);
  const std::wstring said = desk.AnswerMessage();
  Check(said == L"1 item changed and 0 added in film.dat.", "after Apply: " + Narrow(said));
  SetRecordPrice(records[2], 4.75f);
  CheckFilm(folder, records);
  Close(program, desk);
}

namespace {

// The width `text` takes in the window's font (the shell's dialog font, 8
// points) at the screen's DPI, in pixels.
int DialogFontWidth(const std::wstring& text) {
  HDC screen = ::GetDC(nullptr);
  HFONT font =
      ::CreateFontW(-::MulDiv(8, ::GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                    FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH, L"MS Shell Dlg 2");
  const HGDIOBJ was = ::SelectObject(screen, font);
  RECT r = {0, 0, 0, 0};
  ::DrawTextW(screen, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(screen, was);
  ::DeleteObject(font);
  ::ReleaseDC(nullptr, screen);
  return r.right;
}

}  // namespace

// The counts of the largest inventory the format allows, whole, in a
// field wide enough for them.
static void DeskCountsTheLargestInventory(const std::wstring&) {
  Folder folder(L"desk-largest");
  WriteLargestInventory(folder.Path(L"film.dat"), MakeItem({4242, "LAST SLOT"}, 1));
  UseShopFolder(folder);
  Tallo program(BesideDriver(L"filmdesk.exe"), folder);
  Desk desk(program);
  std::wstring counts;
  for (DWORD waited = 0; counts.rfind(L"Slots", 0) != 0; waited += 100) {
    Check(waited < 180000, "no counts: " + Narrow(desk.Text(IDC_MESSAGES)));
    Pause(100);
    counts = desk.Text(IDC_COUNTS);
  }
  Check(counts == L"Slots 2,291,871    Active 1    Deleted 2,291,870", Narrow(counts));
  RECT field;
  ::GetClientRect(::GetDlgItem(desk.main(), IDC_COUNTS), &field);
  const int needs = DialogFontWidth(counts);
  Check(field.right >= needs, "the counts need " + std::to_string(needs) + " pixels, their field " +
                                  std::to_string(field.right) + " has");
  Close(program, desk);
  folder.Remove(L"film.dat");
}
static gui::Register deskLargest("DeskCountsTheLargestInventory", DeskCountsTheLargestInventory,
                                 1252);

namespace {

// Each control of the window that shows, with its place in the client area.
std::vector<std::pair<int, RECT>> Placed(HWND window) {
  std::vector<std::pair<int, RECT>> placed;
  std::vector<int> ids = {IDCANCEL};
  for (int id = IDC_FOLDER_LABEL; id <= IDC_DETAILS; ++id) ids.push_back(id);
  for (int id : ids) {
    HWND control = ::GetDlgItem(window, id);
    if (control == nullptr || !::IsWindowVisible(control)) continue;
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    placed.emplace_back(id, r);
  }
  return placed;
}

RECT PlaceOf(HWND window, int id) {
  for (const auto& place : Placed(window)) {
    if (place.first == id) return place.second;
  }
  Check(false, "control " + std::to_string(id) + " does not show");
  return {};
}

SIZE ClientSize(HWND window) {
  RECT client;
  ::GetClientRect(window, &client);
  return {client.right, client.bottom};
}

// At the window's size now: every control that shows inside the client
// area and clear of every other, and room for the counts of the largest
// inventory the format allows.
void CheckLaidOut(HWND window, const std::string& when) {
  const SIZE client = ClientSize(window);
  const std::vector<std::pair<int, RECT>> placed = Placed(window);
  Check(placed.size() >= 20, when + ": only " + std::to_string(placed.size()) + " controls show");
  for (size_t i = 0; i < placed.size(); ++i) {
    const RECT& r = placed[i].second;
    const std::string name = "control " + std::to_string(placed[i].first);
    Check(r.left >= 0 && r.top >= 0 && r.right <= client.cx && r.bottom <= client.cy &&
              r.right > r.left && r.bottom > r.top,
          when + ": " + name + " is not whole in the window");
    for (size_t j = i + 1; j < placed.size(); ++j) {
      RECT both;
      Check(!::IntersectRect(&both, &r, &placed[j].second),
            when + ": " + name + " overlaps control " + std::to_string(placed[j].first));
    }
  }
  RECT counts;
  ::GetClientRect(::GetDlgItem(window, IDC_COUNTS), &counts);
  const int needs = DialogFontWidth(L"Slots 2,291,871    Active 2,291,871    Deleted 2,291,871");
  Check(counts.right >= needs, when + ": the counts need " + std::to_string(needs) +
                                   " pixels, their field has " + std::to_string(counts.right));
}

}  // namespace

// The window laid out from its template at its first size, larger, and as
// small as it lets itself be made: nothing cut or overlapping; the list
// takes what the window grows by, the buttons keep to its corner.
DESK_TEST(DeskLaysOutEveryControlAtEverySize) {
  (void)exe;
  Folder folder(L"desk-layout");
  folder.Write(L"film.dat", InventoryBytes(ShopRecords(ShopTexts())));
  UseShopFolder(folder);
  Tallo program(BesideDriver(L"filmdesk.exe"), folder);
  Desk desk(program);
  desk.Counts();
  CheckLaidOut(desk.main(), "at its first size");
  const SIZE first = ClientSize(desk.main());
  RECT frame;
  ::GetWindowRect(desk.main(), &frame);
  const auto size = [&desk](LONG width, LONG height) {
    ::SetWindowPos(desk.main(), nullptr, 0, 0, static_cast<int>(width), static_cast<int>(height),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  };

  size(1, 1);
  const SIZE smallest = ClientSize(desk.main());
  // A window that starts taller than the screen starts as small as it goes.
  const bool onScreen = frame.bottom - frame.top <= ::GetSystemMetrics(SM_CYSCREEN);
  Check(smallest.cx <= first.cx && smallest.cy <= first.cy && (smallest.cy < first.cy || !onScreen),
        "the window cannot be made smaller than its first size");
  CheckLaidOut(desk.main(), "at its smallest");
  const RECT list = PlaceOf(desk.main(), IDC_REVIEW), cancel = PlaceOf(desk.main(), IDCANCEL);

  // Larger than at first, as far as the screen lets it.
  size(frame.right - frame.left + 120, frame.bottom - frame.top + 16);
  CheckLaidOut(desk.main(), "larger");
  const SIZE larger = ClientSize(desk.main());
  const LONG dx = larger.cx - smallest.cx, dy = larger.cy - smallest.cy;
  Check(dy > 0 || frame.bottom - frame.top + 16 > ::GetSystemMetrics(SM_CYMAXTRACK),
        "the window did not grow");
  const RECT grown = PlaceOf(desk.main(), IDC_REVIEW), moved = PlaceOf(desk.main(), IDCANCEL);
  Check(grown.left == list.left && grown.top == list.top && grown.right == list.right + dx &&
            grown.bottom == list.bottom + dy,
        "the review list did not take what the window grew by");
  Check(moved.left == cancel.left + dx && moved.top == cancel.top + dy &&
            moved.right - moved.left == cancel.right - cancel.left,
        "Cancel did not keep to the window's corner");
  Close(program, desk);
  folder.Remove(L"film.dat");
}
