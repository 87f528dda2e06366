// Walks tallo.exe, then the back-office window filmdesk.exe (with
// filmtool.exe beside it), through every window the user guide shows and asks for a
// picture of each. For each picture it prints "shot NAME LEFT TOP RIGHT
// BOTTOM" (the window's screen rectangle) and waits until the file
// NAME.done appears in the current folder: scripts/screenshots.sh takes the
// picture and makes that file. Usage: screenshots TALLO.EXE [SUFFIX]: with
// a suffix, only the back-office window's pictures, each name ending in it
// (the same window at another DPI).
//
// The inventory is sample.dat from the current folder (the sample `make run`
// seeds); the item shown is the first description match of "R?D", so no
// item number is assumed.
#include <cstdio>
#include <string>

#include "tests/gui/desk_driver.h"
#include "tests/gui/gui_driver.h"
#include "tests/kit/csv_rows.h"

using namespace gui;

namespace {

constexpr int kFind = 110, kAmend = 112, kDelete = 113, kConfiguration = 114;
constexpr int kAbout = 40002, kExit = 40000;
constexpr int kNext = 110, kNumber = 1000, kAnswer = 1000;

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Asks for a picture of `window` and waits until it is taken.
void Shoot(const std::string& named, HWND window) {
  const char* name = named.c_str();
  if (!BringForward(window)) std::printf("note: %s not in the foreground\n", name);
  // Let the window finish painting before it is photographed.
  ::RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pause(500);
  RECT r;
  Check(::GetWindowRect(window, &r) != FALSE, std::string("no rectangle for ") + name);
  std::printf("shot %s %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
  std::fflush(stdout);
  const std::wstring done = std::wstring(name, name + std::string(name).size()) + L".done";
  for (int waited = 0; ::GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited) {
    Check(waited < 600, std::string("the picture ") + name + " was not taken");
    Pause(50);
  }
}

// Presses a picture button and types the answer into the prompt, leaving
// it open.
HWND Prompt(Tallo& tallo, HWND main, int button, const wchar_t* question,
            const std::wstring& answer) {
  Click(main, button);
  HWND prompt = tallo.Dialog(question);
  Type(prompt, kAnswer, answer);
  return prompt;
}

void Answer(Tallo& tallo, HWND prompt, const wchar_t* question) {
  Click(prompt, IDOK);
  Check(tallo.DialogGone(question), "the prompt did not close");
}

// The open dialog titled `title`, told apart from a search result (which
// has "Next") when both are titled "Inventory".
HWND DialogWith(Tallo& tallo, const std::wstring& title, bool withNext) {
  for (int i = 0; i < 200; ++i) {
    for (HWND d : tallo.Dialogs()) {
      if (Text(d) == title && (::GetDlgItem(d, kNext) != nullptr) == withNext) return d;
    }
    Pause(50);
  }
  throw Failure{"no dialog \"" + Narrow(title) + "\""};
}

HWND MessageBoxSaying(Tallo& tallo, const std::wstring& text) {
  for (int i = 0; i < 200; ++i) {
    for (HWND d : tallo.Dialogs()) {
      if (MessageText(d) == text) return d;
    }
    Pause(50);
  }
  throw Failure{"no message \"" + Narrow(text) + "\""};
}

void Close(Tallo& tallo, HWND dialog, int button) {
  const std::wstring title = Text(dialog);
  Click(dialog, button);
  Check(tallo.DialogGone(title), "\"" + Narrow(title) + "\" did not close");
}

void TakeAll(const std::wstring& exe) {
  Folder folder(L"shots");
  const Bytes sample = Folder::ReadAt(L"sample.dat");
  Check(!sample.empty(), "no sample.dat beside the driver");
  folder.Write(L"film.dat", sample);
  Tallo tallo(exe, folder);
  HWND main = tallo.MainWindow();
  Shoot("main-window", main);

  const wchar_t* const find = L"Find number / description";
  HWND prompt = Prompt(tallo, main, kFind, find, L"r?d");
  Shoot("prompt", prompt);
  Answer(tallo, prompt, find);
  HWND result = DialogWith(tallo, L"Inventory", /*withNext=*/true);
  const std::wstring number = Text(::GetDlgItem(result, kNumber));
  Check(!number.empty(), "the search result shows no number");
  Shoot("search-result", result);
  Close(tallo, result, IDCANCEL);

  Answer(tallo, Prompt(tallo, main, kFind, find, number), find);
  HWND view = DialogWith(tallo, L"Inventory", /*withNext=*/false);
  Shoot("item-view", view);
  Close(tallo, view, IDOK);

  const wchar_t* const amend = L"Number/description/fragment";
  Answer(tallo, Prompt(tallo, main, kAmend, amend, number), amend);
  HWND amendDialog = DialogWith(tallo, L"Amend inventory", /*withNext=*/false);
  Shoot("amend", amendDialog);
  Close(tallo, amendDialog, IDCANCEL);

  const wchar_t* const remove = L"Delete item number / description";
  Answer(tallo, Prompt(tallo, main, kDelete, remove, number), remove);
  HWND confirm = MessageBoxSaying(tallo, L"Are you sure?");
  Shoot("delete-confirmation", confirm);
  Close(tallo, confirm, IDCANCEL);  // the picture only: nothing is deleted

  Click(main, kConfiguration);
  HWND configuration = tallo.Dialog(L"Tallo Configuration");
  Shoot("configuration", configuration);
  Close(tallo, configuration, IDCANCEL);

  PostCommand(main, kAbout);
  HWND about = tallo.Dialog(L"Norvi Retail Utility");
  Shoot("about", about);
  Close(tallo, about, IDOK);

  PostCommand(main, kExit);
  Check(tallo.WaitExit() == 0, "tallo.exe did not end with 0");
}

// The back-office window over the same sample: after an export, and with a
// sheet under review whose price the handheld changed since the export and
// a row the import refuses, whose reason the details pane tells whole. The
// window as large as the guide's pictures go at 96 DPI, and as much larger
// as the screen's DPI is.
void TakeDesk(const std::string& suffix) {
  Folder folder(L"shop");
  folder.Write(L"film.dat", Folder::ReadAt(L"sample.dat"));
  folder.Remove(L"stock.xlsx");
  UseShopFolder(folder);
  Tallo program(BesideDriver(L"filmdesk.exe"), folder);
  Desk desk(program);
  // As wide as the guide's pictures go, so that the review's messages show.
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  ::SetWindowPos(desk.main(), nullptr, 0, 0, ::MulDiv(790, dpi, 96), ::MulDiv(600, dpi, 96),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  desk.Counts();
  desk.Press(IDC_EXPORT);
  const std::wstring exported = folder.Path(L"stock.xlsx");
  AnswerFileDialog(program, L"Export to a workbook", exported);
  desk.WaitMessages(L"Exported ");
  desk.WaitIdle();
  Shoot("desk-export" + suffix, desk.main());

  // The owner's edits in the export, and the handheld's since.
  Check(RunFilmtool(L"export \"" + folder.Path() + L"\"", folder.Path(L"export.csv")) == 0,
        "filmtool.exe export failed");
  const Bytes csv = folder.Read(L"export.csv");
  CsvSheet sheet = ReadCsv(std::string(csv.begin(), csv.end()));
  sheet[1][8] = "4.99";
  sheet[2][4] = "24";
  sheet[3][8] = "12.50";
  sheet[4][8] = "3,49";  // a decimal comma: refused, with its reason
  Check(
      RunFilmtool(L"amend \"" + folder.Path() + L"\" " + Wide(sheet[3][1]) + L" price=11.95") == 0,
      "filmtool.exe amend failed");
  const std::string text = WriteCsv(sheet);
  folder.Write(L"stock.csv", Bytes(text.begin(), text.end()));
  DropFile(program, desk.main(), folder.Path(L"stock.csv"));
  desk.WaitReview(L"Review of stock.csv: 1 row in conflict, 1 row refused");
  // The refused row selected from the keyboard: the list, then two rows down
  // past the refused rows' heading.
  Check(BringForward(desk.main()), "cannot bring the window forward");
  KeyChord(VK_MENU, 'V');
  desk.WaitFocus(IDC_REVIEW);
  Key(VK_DOWN);
  Key(VK_DOWN);
  for (int waited = 0; desk.Text(IDC_DETAILS).find(L"Why: Price") == std::wstring::npos; ++waited) {
    Check(waited < 100,
          "the refused row's reason is not in the details pane: " + Narrow(desk.Text(IDC_DETAILS)));
    Pause(50);
  }
  Shoot("desk-review" + suffix, desk.main());
  // The same review in the window as small as it lets itself be made: the
  // list gives up its height and the fields their width, every text whole.
  ::SetWindowPos(desk.main(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Shoot("desk-smallest" + suffix, desk.main());
  ::PostMessageW(desk.main(), WM_CLOSE, 0, 0);
  Check(program.WaitExit() == 0, "filmdesk.exe did not end with 0");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: screenshots TALLO.EXE\n");
    return 2;
  }
  try {
    if (argc > 2) {
      const std::wstring suffix = argv[2];
      TakeDesk(std::string(suffix.begin(), suffix.end()));
    } else {
      TakeAll(argv[1]);
      TakeDesk("");
    }
  } catch (const Failure& failure) {
    std::printf("failed: %s\n", failure.message.c_str());
    return 1;
  }
  std::printf("done\n");
  return 0;
}
