// The main window: the shop's folder, its card folder and code page (kept
// in the window's own settings file), the counts, Export, Bring a sheet back
// (also a file dropped on the window or handed over by a second start), the
// review list, its two choices, Apply and Cancel. Each step runs on the
// worker thread; the window stays responsive, shows its progress and hears
// Cancel. Which step may start and what follows it is DeskSteps' to say
// (desk_steps.h); where each control goes, the dialog's template's
// (desk_layout.cpp). A flat procedure over the dialog's messages, as the
// family's dialogs are.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "desk/desk_ids.h"
#include "desk/desk_steps.h"
#include "desk/desk_window.h"
#include "desk/desk_work.h"
#include "office/fields.h"
#include "platform/code_pages.h"
#include "platform/utf8.h"

namespace {

constexpr UINT kStepDone = WM_APP + 1;
constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressMs = 100;
constexpr wchar_t kCaption[] = L"tallo back office";

using Step = DeskSteps::Step;

// The one window's state, touched by the window's thread only; the worker
// thread writes a step's results, which the window reads once it has ended.
struct Desk {
  HWND dialog = nullptr;
  std::wstring settingsPath;
  DeskSettings settings;
  DeskWork work;
  Worker worker;
  DeskSteps steps;
  DeskLayout layout;
  // The sheet under review, and its choices.
  std::wstring reviewed;
  ImportRules rules;
  // A step's results.
  bool counted = false;
  DeskWork::Counts counts;
  ExportEnd exported = ExportEnd::kFailed;
  size_t exportedRows = 0;
  std::wstring exportPath;
  DeskWork::Reviewed review = DeskWork::Reviewed::kFailed;
  DeskWork::Applied applied;
} desk;

std::wstring ControlText(int id) {
  HWND control = ::GetDlgItem(desk.dialog, id);
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void SetText(int id, const std::wstring& text) { ::SetDlgItemTextW(desk.dialog, id, text.c_str()); }

void Enable(int id, bool enabled) { ::EnableWindow(::GetDlgItem(desk.dialog, id), enabled); }

bool Checked(int id) { return ::IsDlgButtonChecked(desk.dialog, id) == BST_CHECKED; }

void SetChecked(int id, bool checked) {
  ::CheckDlgButton(desk.dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

// The lines a step had to say, in the messages field.
void ShowMessages(const std::vector<std::string>& lines, const std::wstring& first = L"") {
  std::wstring text = first;
  for (const std::string& line : lines) text += (text.empty() ? L"" : L"\r\n") + Wide(line);
  SetText(IDC_MESSAGES, text);
}

// What a step had to say, in a message box as well.
void Tell(const std::vector<std::string>& lines, UINT icon) {
  std::wstring text;
  for (const std::string& line : lines) text += (text.empty() ? L"" : L"\n") + Wide(line);
  ::MessageBoxW(desk.dialog, text.c_str(), kCaption, MB_OK | icon);
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The settings file is written by the window's thread only while no step
// runs, so that the file layer is never the window's and the worker's at
// once: a change meanwhile is saved when the step ends.
void SaveSettings() {
  if (desk.steps.SaveNow() && !desk.settingsPath.empty())
    SaveDeskSettings(desk.settingsPath, desk.settings);
}

// ---- The controls' state ----

HWND List() { return ::GetDlgItem(desk.dialog, IDC_REVIEW); }

bool Overwritable(const ImportPlan& plan) {
  const ImportDecisions& d = desk.work.run()->decisions();
  return d.conflicts(Finding::kConflict) + d.conflicts(Finding::kUnmarkedConflict) > 0 ||
         plan.Count(ImportPlan::Part::kOverwritten) > 0;
}

// The review being looked at, for the steps' rules; none while a step runs,
// which may be changing it on the worker thread.
DeskSteps::Review Review() {
  DeskSteps::Review review;
  if (desk.steps.Busy()) return review;
  const ImportPlan* plan = desk.work.plan();
  review.shown = plan != nullptr;
  review.ready = plan != nullptr && desk.review == DeskWork::Reviewed::kReady;
  review.overwritable = plan != nullptr && Overwritable(*plan);
  return review;
}

// What can be pressed now, as the steps say.
void ShowState() {
  const DeskSteps::Controls now = desk.steps.Now(Review());
  for (int id : {IDC_FOLDER, IDC_FOLDER_BROWSE, IDC_CARD, IDC_CARD_BROWSE, IDC_CODE_PAGE,
                 IDC_REFRESH, IDC_EXPORT, IDC_BRING_BACK}) {
    Enable(id, now.shop);
  }
  Enable(IDC_ADD, now.add);
  Enable(IDC_OVERWRITE, now.overwrite);
  Enable(IDC_APPLY, now.apply);
  Enable(IDCANCEL, now.cancel);
  ::ShowWindow(::GetDlgItem(desk.dialog, IDC_PROGRESS), now.progress ? SW_SHOW : SW_HIDE);
  ShowReview(List(), now.review ? desk.work.plan() : nullptr);
  if (!now.review && !desk.steps.Busy())
    SetText(IDC_REVIEW_TITLE, L"Re&view: bring a sheet back to see what it changes");
}

// `n` with the user's thousands separator: 2,291,871.
std::wstring Grouped(int64_t n) {
  wchar_t separator[8] = L",";
  if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator,
                       static_cast<int>(std::size(separator))) == 0) {
    separator[0] = L'\0';
  }
  const std::wstring digits = std::to_wstring(n);
  std::wstring grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && digits[i - 1] != L'-' && (digits.size() - i) % 3 == 0) grouped += separator;
    grouped += digits[i];
  }
  return grouped;
}

std::wstring CountsText(int64_t slots, int64_t active, int64_t deleted) {
  return L"Slots " + Grouped(slots) + L"    Active " + Grouped(active) + L"    Deleted " +
         Grouped(deleted);
}

void ShowCounts() {
  if (desk.counted) {
    SetText(IDC_COUNTS, CountsText(desk.counts.slots, desk.counts.active, desk.counts.deleted));
  } else {
    SetText(IDC_COUNTS, desk.settings.folder.empty() ? L"No folder chosen" : L"Not open");
  }
}

// ---- The steps ----

bool Start(Step step, const std::wstring& what, std::function<void()> work) {
  if (desk.steps.Busy()) {
    ::MessageBeep(MB_ICONWARNING);
    return false;
  }
  ShowReview(List(), nullptr);  // the list reads the plan, which the step may change
  if (!desk.worker.Start(desk.dialog, kStepDone, std::move(work))) return false;
  desk.steps.Start(step);
  // What runs is said before its progress shows.
  if (!desk.steps.keepMessages()) SetText(IDC_MESSAGES, what);
  ::SendDlgItemMessageW(desk.dialog, IDC_PROGRESS, PBM_SETPOS, 0, 0);
  ShowState();
  ::SetTimer(desk.dialog, kProgressTimer, kProgressMs, nullptr);
  if (step != Step::kCounts) ::SetFocus(::GetDlgItem(desk.dialog, IDCANCEL));
  return true;
}

void StartCounts() {
  // The counts under way are of the shop as it was: they are read again
  // once they end, and never shown under the shop as it is now.
  if (desk.steps.Busy()) {
    desk.steps.CountAgain();
    return;
  }
  const DeskSettings shop = desk.settings;
  Start(Step::kCounts, L"Reading film.dat...",
        [shop] { desk.counted = desk.work.ReadCounts(shop, &desk.counts); });
}

void StartExport(const std::wstring& path) {
  const DeskSettings shop = desk.settings;
  const std::string target = Utf8FromWide(path);
  desk.exportPath = path;
  Progress* progress = &desk.worker;
  Start(Step::kExport, L"Exporting to " + path + L"...", [shop, target, progress] {
    desk.exportedRows = 0;
    desk.exported = desk.work.Export(shop, target, progress, &desk.exportedRows);
  });
}

void StartReview(const std::wstring& path, const ImportRules& rules) {
  const DeskSettings shop = desk.settings;
  const std::string sheet = Utf8FromWide(path);
  desk.reviewed = path;
  desk.rules = rules;
  Progress* progress = &desk.worker;
  Start(Step::kReview, L"Reading " + path + L"...", [shop, sheet, rules, progress] {
    desk.review = desk.work.Review(shop, sheet, rules, progress);
  });
}

void StartApply() {
  Progress* progress = &desk.worker;
  Start(Step::kApply, L"Writing film.dat...",
        [progress] { desk.applied = desk.work.Apply(progress); });
}

// A sheet to review: from the Open dialog, a drop or a second start. Its
// choices start unticked: --overwrite is never a default.
void BringBack(const std::wstring& path) {
  if (desk.steps.Busy()) {
    ::MessageBeep(MB_ICONWARNING);
    SetText(IDC_MESSAGES, L"Wait until the work under way ends (or cancel it), then bring " +
                              NameOf(path) + L" back again.");
    return;
  }
  SetChecked(IDC_ADD, false);
  SetChecked(IDC_OVERWRITE, false);
  StartReview(path, ImportRules{});
}

// `text` shown as it is by a control that reads & as a mnemonic's mark.
std::wstring Unmarked(const std::wstring& text) {
  std::wstring shown;
  for (const wchar_t c : text) shown += c == L'&' ? L"&&" : std::wstring(1, c);
  return shown;
}

// The list's title, whose Alt+V goes to the list.
void ReviewTitle() {
  const ImportPlan* plan = desk.work.plan();
  std::wstring title = L"Re&view of " + Unmarked(NameOf(desk.reviewed)) + L": ";
  // Rows of the sheet, however many values or reasons each has.
  const auto rows = [plan](ImportPlan::Part part, const wchar_t* one, const wchar_t* many) {
    const size_t n = plan->Rows(part);
    return n == 0 ? std::wstring() : Grouped(static_cast<int64_t>(n)) + (n == 1 ? one : many);
  };
  switch (desk.review) {
    case DeskWork::Reviewed::kRefused: {
      std::wstring counted;
      for (const std::wstring& part :
           {rows(ImportPlan::Part::kConflict, L" row in conflict", L" rows in conflict"),
            rows(ImportPlan::Part::kUnmarked, L" row without the version mark",
                 L" rows without the version mark"),
            rows(ImportPlan::Part::kRefused, L" row refused", L" rows refused")}) {
        if (!part.empty()) counted += (counted.empty() ? L"" : L", ") + part;
      }
      title += counted + L": nothing can be written";
      break;
    }
    case DeskWork::Reviewed::kNothing:
      title += L"nothing to change; film.dat holds every value of it";
      break;
    default:
      title += Grouped(static_cast<int64_t>(plan->ChangedItems())) +
               (plan->ChangedItems() == 1 ? L" item to change, " : L" items to change, ") +
               Grouped(static_cast<int64_t>(plan->AddedItems())) + L" to add. Apply writes them.";
      break;
  }
  SetText(IDC_REVIEW_TITLE, title);
}

// A step has ended: its results shown, and what follows it started.
void StepDone() {
  desk.worker.Finished();
  ::KillTimer(desk.dialog, kProgressTimer);
  const DeskSteps::Ended end = desk.steps.Finish();
  if (end.save) SaveSettings();
  const std::vector<std::string> said = desk.work.TakeMessages();
  switch (end.step) {
    case Step::kCounts:
      if (end.stale) {
        desk.counted = false;
      } else if (!end.afterApply) {
        ShowMessages(said);
      } else if (!said.empty()) {
        ShowMessages(said, ControlText(IDC_MESSAGES));  // after Apply's result
      }
      ShowCounts();
      break;
    case Step::kExport:
      if (desk.exported == ExportEnd::kWritten) {
        desk.settings.sheets = Utf8FromWide(FolderOf(desk.exportPath));
        SaveSettings();
        ShowMessages(said, L"Exported " + Grouped(static_cast<int64_t>(desk.exportedRows)) +
                               L" items to " + desk.exportPath + L".");
      } else {
        ShowMessages(said);
        if (desk.exported == ExportEnd::kFailed) Tell(said, MB_ICONWARNING);
      }
      break;
    case Step::kReview:
      ShowMessages(said);
      if (desk.work.plan() != nullptr) {
        ReviewTitle();
      } else {
        desk.reviewed.clear();
        if (desk.review == DeskWork::Reviewed::kFailed) Tell(said, MB_ICONWARNING);
      }
      break;
    case Step::kApply:
      desk.reviewed.clear();
      ShowMessages(said);
      Tell(said, desk.applied.written ? MB_ICONINFORMATION : MB_ICONWARNING);
      break;
    case Step::kNone:
      break;
  }
  ShowState();
  switch (end.then) {
    case DeskSteps::Ended::Then::kClose:
      ::DestroyWindow(desk.dialog);
      break;
    case DeskSteps::Ended::Then::kCounts:
      StartCounts();
      break;
    case DeskSteps::Ended::Then::kBringBack:
      BringBack(end.sheet);
      break;
    case DeskSteps::Ended::Then::kPress:
      ::PostMessageW(desk.dialog, WM_COMMAND, MAKEWPARAM(end.press, BN_CLICKED), 0);
      break;
    case DeskSteps::Ended::Then::kNothing:
      break;
  }
}

// ---- The shop's folder, card and code page ----

std::string CodePageOfEntry(int entry) {
  return entry <= 0 ? "" : std::to_string(kCodePageTable[entry - 1].number);
}

void FillCodePages() {
  const std::wstring system = L"The system's (" + std::to_wstring(::GetACP()) + L")";
  ::SendDlgItemMessageW(desk.dialog, IDC_CODE_PAGE, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(system.c_str()));
  int chosen = 0;
  for (size_t i = 0; i < std::size(kCodePageTable); ++i) {
    const std::wstring entry =
        std::to_wstring(kCodePageTable[i].number) + L" " + Wide(kCodePageTable[i].name);
    ::SendDlgItemMessageW(desk.dialog, IDC_CODE_PAGE, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(entry.c_str()));
    if (desk.settings.codePage == std::to_string(kCodePageTable[i].number))
      chosen = static_cast<int>(i) + 1;
  }
  ::SendDlgItemMessageW(desk.dialog, IDC_CODE_PAGE, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

// The fields as the owner left them: a change of shop drops the review
// (it was made of another film.dat), is kept, and the counts are read again.
void TakeShop() {
  DeskSettings now = desk.settings;
  ChangeShop(Utf8FromWide(ControlText(IDC_FOLDER)), &now);
  now.card = Utf8FromWide(ControlText(IDC_CARD));
  now.codePage = CodePageOfEntry(
      static_cast<int>(::SendDlgItemMessageW(desk.dialog, IDC_CODE_PAGE, CB_GETCURSEL, 0, 0)));
  const bool changed = now.folder != desk.settings.folder || now.card != desk.settings.card ||
                       now.codePage != desk.settings.codePage;
  desk.settings = now;
  if (!changed) return;
  SaveSettings();
  if (desk.work.plan() != nullptr) {
    desk.work.Forget();
    desk.reviewed.clear();
  }
  if (desk.steps.Busy()) {
    SetText(IDC_COUNTS, L"");  // the counts under way are the old shop's
  } else {
    desk.counted = false;
    ShowCounts();
  }
  StartCounts();
}

std::wstring SuggestedName() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  wchar_t name[64];
  swprintf(name, 64, L"stock %04u-%02u-%02u.xlsx", now.wYear, now.wMonth, now.wDay);
  return name;
}

// Where Open starts: the folder of this shop's last sheet, or the shop's.
std::wstring SheetsFolder() {
  return desk.settings.sheets.empty() ? Wide(desk.settings.folder) : Wide(desk.settings.sheets);
}

// ---- Messages ----

void Initialise(HWND dialog) {
  desk.dialog = dialog;
  HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_DESK));
  ::SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  SetText(IDC_FOLDER, Wide(desk.settings.folder));
  SetText(IDC_CARD, Wide(desk.settings.card));
  ::SendDlgItemMessageW(dialog, IDC_FOLDER, EM_SETCUEBANNER, TRUE,
                        reinterpret_cast<LPARAM>(L"the folder that holds film.dat"));
  ::SendDlgItemMessageW(dialog, IDC_CARD, EM_SETCUEBANNER, TRUE,
                        reinterpret_cast<LPARAM>(L"the first removable drive"));
  FillCodePages();
  SetUpReviewList(dialog, List());
  ::SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETRANGE32, 0, 1000);
  ::DragAcceptFiles(dialog, TRUE);
  // The template's places, and room from the start for the counts of the
  // largest inventory the format allows in this font at this DPI.
  constexpr int64_t kMostSlots = 2291871;
  desk.layout.Take(dialog, IDD_DESK,
                   {{IDC_COUNTS, CountsText(kMostSlots, kMostSlots, kMostSlots)}});
  RECT client;
  ::GetClientRect(dialog, &client);
  const SIZE least = desk.layout.Least();
  if (client.right < least.cx || client.bottom < least.cy) {
    RECT frame;
    ::GetWindowRect(dialog, &frame);
    ::SetWindowPos(dialog, nullptr, 0, 0,
                   frame.right - frame.left + std::max(0L, least.cx - client.right),
                   frame.bottom - frame.top + std::max(0L, least.cy - client.bottom),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  desk.layout.Fit();
  ShowCounts();
  ShowState();
  if (desk.settings.folder.empty()) {
    SetText(IDC_MESSAGES,
            L"Choose the folder that holds film.dat (Browse...), or type it and "
            L"press Enter.");
  } else {
    StartCounts();
  }
}

// The buttons that start a step of their own, once no step is under way.
void Press(WORD id) {
  switch (id) {
    case IDC_FOLDER_BROWSE:
    case IDC_CARD_BROWSE: {
      const int field = id == IDC_FOLDER_BROWSE ? IDC_FOLDER : IDC_CARD;
      std::wstring folder = ControlText(field);
      if (AskFolder(desk.dialog,
                    field == IDC_FOLDER ? L"The folder that holds film.dat"
                                        : L"The folder that stands for the storage card",
                    &folder)) {
        SetText(field, folder);
        TakeShop();
      }
      break;
    }
    case IDC_REFRESH:
      StartCounts();
      break;
    case IDC_EXPORT: {
      std::wstring path;
      // Save As starts in the shop's own folder, whichever shop was before.
      if (AskExportPath(desk.dialog, Wide(desk.settings.folder), SuggestedName(), &path))
        StartExport(path);
      break;
    }
    case IDC_BRING_BACK: {
      std::wstring path;
      if (AskSheetPath(desk.dialog, SheetsFolder(), &path)) {
        desk.settings.sheets = Utf8FromWide(FolderOf(path));
        SaveSettings();
        BringBack(path);
      }
      break;
    }
  }
}

void Command(WORD id, WORD code) {
  switch (id) {
    case IDC_FOLDER:
    case IDC_CARD:
      if (code == EN_KILLFOCUS && !desk.steps.Busy()) TakeShop();
      break;
    case IDC_CODE_PAGE:
      if (code == CBN_SELCHANGE) TakeShop();
      break;
    case IDC_FOLDER_BROWSE:
    case IDC_CARD_BROWSE:
    case IDC_REFRESH:
    case IDC_EXPORT:
    case IDC_BRING_BACK: {
      const bool counting = desk.steps.Busy();
      if (id != IDC_FOLDER_BROWSE && id != IDC_CARD_BROWSE) TakeShop();
      // The counts TakeShop started are the refresh.
      if (id == IDC_REFRESH && !counting && desk.steps.Busy()) break;
      if (desk.steps.Busy()) {
        desk.steps.PressAfterCounts(id);
        break;
      }
      Press(id);
      break;
    }
    case IDC_ADD:
    case IDC_OVERWRITE:
      // The same sheet reviewed again with the choices as they are now.
      if (code == BN_CLICKED && !desk.reviewed.empty() && !desk.steps.Busy()) {
        StartReview(desk.reviewed, ImportRules{Checked(IDC_ADD), Checked(IDC_OVERWRITE)});
      }
      break;
    case IDC_APPLY:
      if (desk.steps.Busy()) {
        ::MessageBeep(MB_ICONWARNING);
      } else if (desk.steps.Now(Review()).apply) {
        StartApply();
      }
      break;
    case IDCANCEL:
      switch (desk.steps.OnCancel(Review())) {
        case DeskSteps::Cancel::kStopStep:
          desk.worker.Cancel();
          SetText(IDC_MESSAGES, L"Cancelling...");
          break;
        case DeskSteps::Cancel::kDropReview:
          desk.work.Forget();
          desk.reviewed.clear();
          SetText(IDC_MESSAGES, L"The review is dropped: nothing was written.");
          ShowState();
          break;
        case DeskSteps::Cancel::kNothing:
          break;
      }
      break;
  }
}

INT_PTR CALLBACK DeskProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog);
      return TRUE;
    case WM_SIZE:
      desk.layout.Fit();
      return TRUE;
    case WM_GETMINMAXINFO: {
      if (desk.dialog == nullptr) return FALSE;
      // No smaller than every text needs, frame and all.
      const SIZE least = desk.layout.Least();
      RECT r = {0, 0, least.cx, least.cy};
      ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = {r.right - r.left, r.bottom - r.top};
      return TRUE;
    }
    case WM_DPICHANGED: {
      desk.layout.Scale(HIWORD(wparam));
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      ::SetWindowPos(dialog, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      return TRUE;
    }
    case WM_COMMAND:
      Command(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!ReviewListNotify(*reinterpret_cast<const NMHDR*>(lparam), &result)) return FALSE;
      ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_TIMER:
      if (wparam == kProgressTimer) {
        ::SendDlgItemMessageW(dialog, IDC_PROGRESS, PBM_SETPOS,
                              static_cast<WPARAM>(desk.worker.Permille()), 0);
      }
      return TRUE;
    case kStepDone:
      StepDone();
      return TRUE;
    case WM_DROPFILES: {
      auto drop = reinterpret_cast<HDROP>(wparam);
      const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
      std::wstring path(length + 1, L'\0');
      ::DragQueryFileW(drop, 0, path.data(), length + 1);
      path.resize(length);
      ::DragFinish(drop);
      if (!path.empty()) BringBack(path);
      return TRUE;
    }
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
      if (data->dwData != kSheetToBringBack) return FALSE;
      const std::wstring path(static_cast<const wchar_t*>(data->lpData),
                              data->cbData / sizeof(wchar_t));
      BringBack(path.c_str());
      ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_CLOSE:
      // A step under way is stopped first (a write runs to its end).
      if (!desk.steps.Close()) {
        desk.worker.Cancel();
        SetText(IDC_MESSAGES, desk.steps.running() == Step::kApply
                                  ? L"The window closes when the write to film.dat ends: a "
                                    L"write is never stopped halfway."
                                  : L"Cancelling: the window closes once the work has stopped.");
      } else {
        ::DestroyWindow(dialog);
      }
      return TRUE;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND CreateDeskWindow(HINSTANCE instance, const std::wstring& sheet, int showState) {
  // The settings file lives in the user's profile, in a folder of its own.
  wchar_t profile[MAX_PATH] = {};
  if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, profile))) {
    const std::wstring folder = std::wstring(profile) + L"\\tallo";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    desk.settingsPath = folder + L"\\filmdesk.ini";
    LoadDeskSettings(desk.settingsPath, &desk.settings);
  }
  desk.steps.BringBackAfterCounts(sheet);
  HWND dialog = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_DESK), nullptr, DeskProc, 0);
  if (dialog == nullptr) return nullptr;
  // A sheet handed over with no folder to bring it into waits for none.
  const std::wstring waiting = desk.steps.TakeWaiting();
  if (!waiting.empty()) BringBack(waiting);
  ::ShowWindow(dialog, showState);
  return dialog;
}
