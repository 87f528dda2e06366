// The main window's layout: each control where the dialog's template puts
// it, moved by its anchors as the window is sized. The template alone says
// where a control goes; the table below says only which of its edges
// follow the window's right and bottom edges.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "desk/desk_ids.h"
#include "desk/desk_window.h"

namespace {

// The edges of a control that keep their distance from the client's right
// (kLeft, kRight) or bottom (kTop, kBottom) edge; the others keep theirs
// from its left or top. Left and right together move a control; right
// alone widens it.
enum Edges : unsigned {
  kFixed = 0,
  kLeft = 1,
  kTop = 2,
  kRight = 4,
  kBottom = 8,
  kAtRight = kLeft | kRight,
  kWide = kRight,
  kAtFoot = kTop | kBottom,
  kWideAtFoot = kTop | kBottom | kRight,
  kAtCorner = kLeft | kTop | kRight | kBottom,
};

struct Anchor {
  int id;
  unsigned follows;
  // A control that grows with the window shrinks with it no further than
  // this, in dialog units, or than its text when `whole`.
  int leastWidth, leastHeight;
  bool whole;
};

// Every control of the window: the fields and the review grow with it, the
// buttons keep to its right and its foot, the review list takes the height.
// The two folders' fields keep the width of the code page's list below
// them, so that Refresh, which moves with their Browse buttons, stays clear
// of that list.
const Anchor kAnchors[] = {
    {IDC_FOLDER_LABEL, kFixed, 0, 0, false},
    {IDC_FOLDER, kWide, 140, 0, false},
    {IDC_FOLDER_BROWSE, kAtRight, 0, 0, false},
    {IDC_CARD_LABEL, kFixed, 0, 0, false},
    {IDC_CARD, kWide, 140, 0, false},
    {IDC_CARD_BROWSE, kAtRight, 0, 0, false},
    {IDC_CODE_PAGE_LABEL, kFixed, 0, 0, false},
    {IDC_CODE_PAGE, kFixed, 0, 0, false},
    {IDC_REFRESH, kAtRight, 0, 0, false},
    {IDC_EXPORT, kFixed, 0, 0, false},
    {IDC_BRING_BACK, kFixed, 0, 0, false},
    {IDC_COUNTS, kWide, 0, 0, true},
    {IDC_REVIEW_TITLE, kWide, 40, 0, false},  // ends in "..." where it is cut
    {IDC_REVIEW, kRight | kBottom, 40, 50, false},
    {IDC_DETAILS_LABEL, kWideAtFoot, 0, 0, true},
    {IDC_DETAILS, kWideAtFoot, 40, 0, false},
    {IDC_ADD, kAtFoot, 0, 0, false},
    {IDC_OVERWRITE, kAtFoot, 0, 0, false},
    {IDC_MESSAGES, kWideAtFoot, 40, 0, false},
    {IDC_PROGRESS, kWideAtFoot, 20, 0, false},
    {IDC_APPLY, kAtCorner, 0, 0, false},
    {IDCANCEL, kAtCorner, 0, 0, false},
};

// The width `text` takes in `control`'s font, in pixels.
int TextWidth(HWND control, const std::wstring& text) {
  HDC dc = ::GetDC(control);
  const HGDIOBJ was =
      ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT r = {0, 0, 0, 0};
  const UINT prefix =
      (::GetWindowLongPtrW(control, GWL_STYLE) & SS_NOPREFIX) != 0 ? DT_NOPREFIX : 0;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_SINGLELINE | prefix);
  ::SelectObject(dc, was);
  ::ReleaseDC(control, dc);
  return r.right;
}

std::wstring OwnText(HWND control) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

SIZE ClientSize(HWND window) {
  RECT client;
  ::GetClientRect(window, &client);
  return {client.right, client.bottom};
}

// The client area's size dialog template `id` gives, in pixels of
// `dialog`'s font; the client area as it is where the template cannot be
// read.
SIZE TemplateSize(HWND dialog, int id) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
  HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
  HGLOBAL loaded = found != nullptr ? ::LoadResource(instance, found) : nullptr;
  const auto* bytes =
      static_cast<const BYTE*>(loaded != nullptr ? ::LockResource(loaded) : nullptr);
  if (bytes == nullptr || ::SizeofResource(instance, found) < 26) return ClientSize(dialog);
  // An extended template (DIALOGEX) starts with its version 1 and 0xFFFF;
  // its width and height are at 22 and 24, a plain one's at 14 and 16.
  WORD version, signature;
  std::memcpy(&version, bytes, 2);
  std::memcpy(&signature, bytes + 2, 2);
  const size_t at = version == 1 && signature == 0xFFFF ? 22 : 14;
  short cx, cy;
  std::memcpy(&cx, bytes + at, 2);
  std::memcpy(&cy, bytes + at + 2, 2);
  RECT r = {0, 0, cx, cy};
  ::MapDialogRect(dialog, &r);
  return {r.right, r.bottom};
}

}  // namespace

void DeskLayout::Take(HWND dialog, int templateId,
                      const std::vector<std::pair<int, std::wstring>>& widest) {
  dialog_ = dialog;
  client_ = TemplateSize(dialog, templateId);
  HDC screen = ::GetDC(dialog);
  dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(dialog, screen);
  places_.clear();
  for (const Anchor& anchor : kAnchors) {
    HWND control = ::GetDlgItem(dialog, anchor.id);
    if (control == nullptr) continue;
    Place place{control, {}, anchor.follows, {anchor.leastWidth, anchor.leastHeight}};
    ::GetWindowRect(control, &place.rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place.rect), 2);
    RECT least = {0, 0, place.least.cx, place.least.cy};
    ::MapDialogRect(dialog, &least);
    place.least = {least.right, least.bottom};
    if (anchor.whole) {
      std::wstring text = OwnText(control);
      for (const auto& given : widest) {
        if (given.first == anchor.id) text = given.second;
      }
      RECT pad = {0, 0, 2, 0};
      ::MapDialogRect(dialog, &pad);
      place.least.cx = std::max<LONG>(place.least.cx, TextWidth(control, text) + pad.right);
    }
    places_.push_back(place);
  }
}

void DeskLayout::Scale(int dpi) {
  if (dialog_ == nullptr || dpi <= 0 || dpi == dpi_) return;
  const auto scaled = [this, dpi](LONG n) { return static_cast<LONG>(::MulDiv(n, dpi, dpi_)); };
  client_ = {scaled(client_.cx), scaled(client_.cy)};
  for (Place& place : places_) {
    place.rect = {scaled(place.rect.left), scaled(place.rect.top), scaled(place.rect.right),
                  scaled(place.rect.bottom)};
    place.least = {scaled(place.least.cx), scaled(place.least.cy)};
  }
  dpi_ = dpi;
}

SIZE DeskLayout::Least() const {
  // As much smaller than the template as its most cramped growing control
  // allows; larger, where a text is wider than the template made room for.
  SIZE least = {0, 0};
  for (const Place& place : places_) {
    const RECT& r = place.rect;
    if ((place.follows & (kLeft | kRight)) == kRight)
      least.cx = std::max(least.cx, client_.cx - (r.right - r.left - place.least.cx));
    if ((place.follows & (kTop | kBottom)) == kBottom)
      least.cy = std::max(least.cy, client_.cy - (r.bottom - r.top - place.least.cy));
  }
  return least;
}

void DeskLayout::Fit() const {
  if (dialog_ == nullptr) return;
  const SIZE now = ClientSize(dialog_);
  const LONG dx = now.cx - client_.cx, dy = now.cy - client_.cy;
  for (const Place& place : places_) {
    // A control that follows no edge stays where the template put it.
    if (place.follows == kFixed) continue;
    const RECT& r = place.rect;
    const LONG left = r.left + ((place.follows & kLeft) != 0 ? dx : 0);
    const LONG top = r.top + ((place.follows & kTop) != 0 ? dy : 0);
    const LONG right = r.right + ((place.follows & kRight) != 0 ? dx : 0);
    const LONG bottom = r.bottom + ((place.follows & kBottom) != 0 ? dy : 0);
    ::SetWindowPos(place.control, nullptr, static_cast<int>(left), static_cast<int>(top),
                   static_cast<int>(std::max(right - left, 0L)),
                   static_cast<int>(std::max(bottom - top, 0L)), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::InvalidateRect(dialog_, nullptr, TRUE);
}
