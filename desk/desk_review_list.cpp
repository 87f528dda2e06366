// The review list: a virtual list view whose rows are made when shown, so
// that a review of a whole inventory needs no copy of its rows. The plan's
// parts follow one another, each under a line that names it, drawn across
// the list: conflicts, rows without the version mark and refused rows
// first, then the columns left alone, what goes over film.dat's own
// changes, the changes and the new items. The selected row's whole finding
// is told in words apart (RowDetails).
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cwctype>
#include <string>
#include <vector>

#include "desk/desk_ids.h"
#include "desk/desk_window.h"
#include "office/fields.h"
#include "platform/number_text.h"
#include "platform/utf8.h"

namespace {

using Part = ImportPlan::Part;

struct Column {
  const wchar_t* heading;
  int width;  // dialog units
};
const Column kColumns[] = {{L"Item", 44},        {L"Description", 96},  {L"Field", 46},
                           {L"In film.dat", 52}, {L"In the sheet", 52}, {L"Row", 34},
                           {L"Cell", 30},        {L"What happens", 200}};

struct Section {
  Part part;
  const wchar_t* heading;
};
const Section kSections[] = {
    {Part::kConflict, L"Conflicts: edited in the sheet and changed in film.dat since the export"},
    {Part::kUnmarked,
     L"Rows without the version mark: film.dat cannot tell whether it changed since the export"},
    {Part::kRefused, L"Refused rows"},
    {Part::kNotice, L"Columns that are not ours, left alone"},
    {Part::kOverwritten, L"film.dat's changes the sheet's values go over"},
    {Part::kChange, L"Changes to film.dat"},
    {Part::kAddition, L"New items"},
};

// The list's rows: each shown part's heading, then its rows.
struct Shown {
  const ImportPlan* plan = nullptr;
  std::vector<size_t> firsts;  // the row of each section's heading, or SIZE_MAX
  size_t rows = 0;
  std::wstring text;  // the last text handed to the list, which it copies
} shown;

std::wstring Count(size_t n, const wchar_t* one, const wchar_t* many) {
  return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

// Which section row `row` is in, and where in it (0: its heading).
bool Locate(size_t row, size_t* section, size_t* at) {
  for (size_t s = std::size(kSections); s-- > 0;) {
    if (shown.firsts[s] != SIZE_MAX && row >= shown.firsts[s]) {
      *section = s;
      *at = row - shown.firsts[s];
      return true;
    }
  }
  return false;
}

std::wstring Heading(size_t section) {
  const Part part = kSections[section].part;
  const ImportPlan& plan = *shown.plan;
  std::wstring heading = kSections[section].heading;
  switch (part) {
    case Part::kChange:
      heading += L" (" + Count(plan.ChangedItems(), L"item", L"items") + L")";
      break;
    case Part::kAddition:
      heading += L" (" + Count(plan.AddedItems(), L"item", L"items") + L")";
      break;
    case Part::kUnmarked:
    case Part::kRefused:
      heading += L" (" + Count(plan.Rows(part), L"row", L"rows") + L")";
      break;
    default:
      heading += L" (" + std::to_wstring(plan.Count(part) + plan.Untold(part)) + L")";
      break;
  }
  if (plan.Untold(part) > 0) {
    heading += L", the first " + std::to_wstring(plan.Count(part)) + L" shown";
  }
  return heading;
}

std::wstring CellText(size_t row, int column) {
  size_t section = 0, at = 0;
  if (!Locate(row, &section, &at)) return L"";
  if (at == 0) return column == 0 ? Heading(section) : L"";
  const Part part = kSections[section].part;
  const ImportPlan::Row r = shown.plan->At(part, at - 1);
  switch (column) {
    case 0:
      return r.number == 0 ? L"" : Wide(platform::FormatItemNumber(r.number));
    case 1:
      return Wide(r.description);
    case 2:
      if (part == Part::kAddition) return L"(new item)";
      return r.hasField ? Wide(FieldName(r.field)) : L"";
    case 3:
      return Wide(r.was);
    case 4:
      return Wide(r.is);
    case 5:
      return (r.sheet.empty() ? L"" : Wide(r.sheet) + L" ") + std::to_wstring(r.row);
    case 6:
      return Wide(r.cell);
    default:
      if (part == Part::kChange) return r.was == r.is ? L"stored as the sheet says it" : L"";
      if (part == Part::kAddition) return r.note.empty() ? L"added" : L"added with " + Wide(r.note);
      return Wide(r.note);
  }
}

bool IsHeading(size_t row) {
  size_t section = 0, at = 0;
  return Locate(row, &section, &at) && at == 0;
}

// `text` with its first letter a capital, for the start of a sentence.
std::wstring Sentence(std::wstring text) {
  if (!text.empty()) text[0] = static_cast<wchar_t>(::towupper(text[0]));
  return text;
}

// What a part's rows come to, and what the owner can do about them.
const wchar_t* WhatToDo(Part part, const ImportPlan::Row& r) {
  switch (part) {
    case Part::kConflict:
      return L"What to do: export again and make this edit in the new sheet, or tick "
             L"\"Overwrite film.dat's changes\" to put the sheet's value over film.dat's.";
    case Part::kUnmarked:
      return r.note.find(" goes over ") != std::string::npos
                 ? L"This row has no version mark (its column was deleted, or its cell "
                   L"cleared): Apply puts the sheet's value over film.dat's, changed since the "
                   L"export or not."
                 : L"This row has no version mark (its column was deleted, or its cell "
                   L"cleared), so the sheet cannot tell an edit from an old value. What to do: "
                   L"export again, keep the version column and make the edit there, or tick "
                   L"\"Overwrite film.dat's changes\" if the sheet's value is the one to keep.";
    case Part::kRefused:
      return L"Nothing is written until this row is settled: do what the reason says, save the "
             L"sheet and bring it back again.";
    case Part::kNotice:
      return L"Its cells stay in the sheet, and the rest of every row is read as usual: "
             L"nothing to do.";
    case Part::kOverwritten:
      return L"film.dat changed this value since the export: Apply puts the sheet's value "
             L"over it, as \"Overwrite film.dat's changes\" is ticked.";
    case Part::kChange:
      return L"Apply writes the sheet's value into film.dat.";
    case Part::kAddition:
      return L"Apply adds this item to film.dat.";
  }
  return L"";
}

}  // namespace

std::wstring RowDetails(size_t row) {
  size_t section = 0, at = 0;
  if (shown.plan == nullptr || !Locate(row, &section, &at)) return L"";
  if (at == 0) return Heading(section) + L".";
  const Part part = kSections[section].part;
  const ImportPlan::Row r = shown.plan->At(part, at - 1);
  // Where, then what, each on a line of its own.
  std::wstring where = L"Row " + std::to_wstring(r.row);
  if (!r.sheet.empty()) where += L" of the sheet " + Wide(r.sheet);
  if (!r.cell.empty()) where += L", cell " + Wide(r.cell);
  if (r.number != 0) {
    where += L": item " + Wide(platform::FormatItemNumber(r.number));
    if (!r.description.empty()) where += L", " + Wide(r.description);
  }
  if (r.hasField) where += L", " + Wide(FieldName(r.field));
  std::wstring text = where + L".";
  const auto line = [&text](const std::wstring& more) { text += L"\r\n" + more; };
  if (part == Part::kAddition) {
    line(L"A new item" + (r.note.empty() ? L"" : L" with " + Wide(r.note)) + L".");
  } else if (part == Part::kNotice) {
    line(L"The sheet's column: " + Wide(r.is) + L".");
  } else if (r.hasField) {
    line(L"The sheet says: " + (r.is.empty() ? L"(empty)" : Wide(r.is)));
    if (part != Part::kRefused || !r.was.empty())
      line(L"film.dat says: " + (r.was.empty() ? L"(empty)" : Wide(r.was)));
  }
  if (!r.note.empty() && part != Part::kAddition) line(L"Why: " + Sentence(Wide(r.note)) + L".");
  line(WhatToDo(part, r));
  return text;
}

void SetUpReviewList(HWND dialog, HWND list) {
  ListView_SetExtendedListViewStyle(
      list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    RECT width = {0, 0, kColumns[i].width, 8};
    ::MapDialogRect(dialog, &width);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(kColumns[i].heading);
    column.cx = width.right;
    column.iSubItem = i;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(&column));
  }
}

void ShowReview(HWND list, const ImportPlan* plan) {
  // The review shown already keeps the owner's selection.
  if (plan != nullptr && plan == shown.plan) {
    ::InvalidateRect(list, nullptr, TRUE);
    return;
  }
  shown.plan = plan;
  shown.firsts.assign(std::size(kSections), SIZE_MAX);
  shown.rows = 0;
  if (plan != nullptr) {
    for (size_t s = 0; s < std::size(kSections); ++s) {
      const size_t count = plan->Count(kSections[s].part);
      if (count == 0) continue;
      shown.firsts[s] = shown.rows;
      shown.rows += 1 + count;
    }
  }
  ListView_SetItemCountEx(list, static_cast<int>(shown.rows), 0);
  ::InvalidateRect(list, nullptr, TRUE);
  // The first finding selected, so that the pane under the list tells it
  // whole; nothing to tell without a review.
  ::SetDlgItemTextW(::GetParent(list), IDC_DETAILS, L"");
  if (shown.rows > 0) {
    const int first = static_cast<int>(shown.rows > 1 ? 1 : 0);
    ListView_SetItemState(list, first, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, first, FALSE);
    ::SetDlgItemTextW(::GetParent(list), IDC_DETAILS,
                      RowDetails(static_cast<size_t>(first)).c_str());
  }
}

bool ReviewListNotify(const NMHDR& header, LRESULT* result) {
  if (header.idFrom != IDC_REVIEW || shown.plan == nullptr) return false;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = *reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header));
      if ((info.item.mask & LVIF_TEXT) != 0 && info.item.cchTextMax > 0) {
        shown.text = CellText(static_cast<size_t>(info.item.iItem), info.item.iSubItem);
        lstrcpynW(info.item.pszText, shown.text.c_str(), info.item.cchTextMax);
      }
      *result = 0;
      return true;
    }
    case LVN_ITEMCHANGED: {
      // The selected row's whole finding, in the pane under the list.
      const auto& change = *reinterpret_cast<const NMLISTVIEW*>(&header);
      if ((change.uNewState & LVIS_SELECTED) != 0) {
        ::SetDlgItemTextW(::GetParent(header.hwndFrom), IDC_DETAILS,
                          RowDetails(static_cast<size_t>(change.iItem)).c_str());
      }
      *result = 0;
      return true;
    }
    case NM_CUSTOMDRAW: {
      auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header));
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        *result = CDRF_NOTIFYITEMDRAW;
        return true;
      }
      const auto row = static_cast<size_t>(draw.nmcd.dwItemSpec);
      if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT || !IsHeading(row)) {
        *result = CDRF_DODEFAULT;
        return true;
      }
      // A part's line, across the whole row, in the dialog's colours and
      // the list's font made bold.
      static HFONT bold = [&header] {
        LOGFONTW font = {};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(header.hwndFrom, WM_GETFONT, 0, 0)),
                     sizeof font, &font);
        font.lfWeight = FW_BOLD;
        return ::CreateFontIndirectW(&font);
      }();
      RECT r;
      ListView_GetItemRect(header.hwndFrom, static_cast<int>(row), &r, LVIR_BOUNDS);
      ::FillRect(draw.nmcd.hdc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
      ::SetTextColor(draw.nmcd.hdc, ::GetSysColor(COLOR_BTNTEXT));
      ::SetBkMode(draw.nmcd.hdc, TRANSPARENT);
      r.left += 4;
      const std::wstring text = CellText(row, 0);
      const HGDIOBJ was = ::SelectObject(draw.nmcd.hdc, bold);
      ::DrawTextW(draw.nmcd.hdc, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
      ::SelectObject(draw.nmcd.hdc, was);
      *result = CDRF_SKIPDEFAULT;
      return true;
    }
    default:
      return false;
  }
}
