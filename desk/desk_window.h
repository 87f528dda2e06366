// The back-office window (filmdesk.exe): a dialog of its own class as the
// main window, over DeskWork (desk/desk_work.h), whose steps run on a worker
// thread. What its files share.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "office/import/import_plan.h"
#include "office/progress.h"

// The class a second start looks for, and the WM_COPYDATA it sends the first:
// the sheet it was given, as wide text.
constexpr wchar_t kDeskClass[] = L"FILMDESK";
constexpr ULONG_PTR kSheetToBringBack = 0x5348;

// Creates the main window, shown; it brings `sheet` back once it is up
// when `sheet` is not empty.
HWND CreateDeskWindow(HINSTANCE instance, const std::wstring& sheet, int showState);

// ---- The layout (desk_layout.cpp) ----

// The window's controls where its dialog template puts them, at the size
// the template gives; as the window is sized, each moves or grows by its
// anchors, so that the template is the only place that says where a
// control goes.
class DeskLayout {
 public:
  // At WM_INITDIALOG: each control's place as the template `templateId`
  // put it, for the client area's size the template gives (the window may
  // have been made smaller to fit the screen). `widest`: for a control that
  // must show its text whole at every size, the widest text it will show,
  // where that is not the text it holds now.
  void Take(HWND dialog, int templateId, const std::vector<std::pair<int, std::wstring>>& widest);
  // Every control moved to the client area's size now.
  void Fit() const;
  // The smallest client area in which every growing control keeps its
  // least size (a field's few letters, the counts whole): smaller than the
  // template's where they have room to give, larger where a text needs
  // more. The template leaves room between the controls that move and
  // those that stay, so that they meet only through the growing ones.
  SIZE Least() const;
  // The places as they are at `dpi` (WM_DPICHANGED).
  void Scale(int dpi);

 private:
  struct Place {
    HWND control;
    RECT rect;         // in the client area, at the template's size
    unsigned follows;  // the edges that follow the client's right and bottom
    SIZE least;        // how small it may grow, in pixels
  };
  HWND dialog_ = nullptr;
  SIZE client_ = {0, 0};
  int dpi_ = 96;
  std::vector<Place> places_;
};

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
