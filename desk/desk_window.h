// The back-office window (filmdesk.exe): a dialog of its own class as the
// main window, over DeskWork (desk/desk_work.h), whose steps run on a worker
// thread. What its files share.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "office/import/import_plan.h"
#include "office/progress.h"

// The class a second start looks for, and the WM_COPYDATA it sends the first:
// the sheet it was given, as wide text.
constexpr wchar_t kDeskClass[] = L"FILMDESK";
constexpr ULONG_PTR kSheetToBringBack = 0x5348;

// Creates the main window, shown; it brings `sheet` back once it is up
// when `sheet` is not empty.
HWND CreateDeskWindow(HINSTANCE instance, const std::wstring& sheet, int showState);

// ---- The system's dialogs (desk_dialogs.cpp) ----

// Save As for an export: a workbook by default, or CSV by type, the name
// `suggested` in `folder`; false on Cancel.
bool AskExportPath(HWND owner, const std::wstring& folder, const std::wstring& suggested,
                   std::wstring* path);
// Open for a sheet to bring back (.xlsx or .csv); false on Cancel.
bool AskSheetPath(HWND owner, const std::wstring& folder, std::wstring* path);
// The system's folder picker, starting at `*folder`; false on Cancel.
bool AskFolder(HWND owner, const wchar_t* title, std::wstring* folder);

// ---- The review list (desk_review_list.cpp) ----

// Sets up the list's columns, in widths of the dialog's font.
void SetUpReviewList(HWND dialog, HWND list);
// Shows `plan` (null: nothing) in the list, its parts one after another,
// each under a line that names it, with its first finding selected and told
// whole in the details pane.
void ShowReview(HWND list, const ImportPlan* plan);
// The whole finding of the list's row `row`, in the window's words: where
// it is, what the sheet and film.dat say, why, and what to do.
std::wstring RowDetails(size_t row);
// The list's notifications (the rows' texts, the parts' lines drawn across
// the list); true when handled, with `*result` the answer.
bool ReviewListNotify(const NMHDR& header, LRESULT* result);

// ---- The worker (desk_worker.cpp) ----

// One step of the window's work on a thread of its own, so that the window
// stays responsive; the window's timer reads its progress, and Cancel is
// heard at its next step.
class Worker : public Progress {
 public:
  ~Worker() override;
  bool Busy() const { return thread_ != nullptr; }
  // Runs `work` on a new thread and posts `done` to `window` at its end.
  // False when a step is running already, or no thread can be had.
  bool Start(HWND window, UINT done, std::function<void()> work);
  // At `done`: the thread is waited for and let go.
  void Finished();
  void Cancel() { cancel_ = true; }
  bool Cancelled() const { return cancel_; }
  // How far the step has come, in thousandths.
  int Permille() const { return permille_; }
  // On the worker thread.
  bool Step(uint64_t done, uint64_t total) override;

 private:
  static DWORD WINAPI Run(LPVOID self);
  HANDLE thread_ = nullptr;
  HWND window_ = nullptr;
  UINT done_ = 0;
  std::function<void()> work_;
  std::atomic<bool> cancel_{false};
  std::atomic<int> permille_{0};
};
