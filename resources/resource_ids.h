/* Resource and command ids, shared by tallo.rc and the code. Plain defines,
   so that the resource compiler reads this file too. */
#ifndef TALLO_RESOURCE_IDS_H
#define TALLO_RESOURCE_IDS_H

/* Strings */
#define IDS_TITLE 1 /* "Norvi Utility": main window title */
#define IDS_CLASS 2 /* "MYTALLO": main window class */
#define IDS_EXIT 103
#define IDS_HELP 104

/* Pictures, menus, accelerators */
#define IDI_APP 101
#define IDM_MENU 102 /* the menu and the menu-bar data share this id */
#define IDB_BACKGROUND 134
#define IDR_ACCELERATORS 2

/* Commands */
#define IDM_EXIT 40000
#define IDM_HELP 40001
#define IDM_ABOUT 40002

/* Main window buttons */
#define IDC_FIND 110
#define IDC_AMEND 112
#define IDC_DELETE 113
#define IDC_CONFIGURATION 114

/* Dialogs */
#define IDD_ABOUT 105
#define IDD_PROMPT 111
#define IDD_AMEND 130
#define IDD_VIEW 131
#define IDD_RESULT 132
#define IDD_CONFIGURATION 133

/* About dialog controls */
#define IDC_ABOUT_ICON 201
#define IDC_ABOUT_VERSION 202
#define IDC_ABOUT_LINE3 203
#define IDC_ABOUT_BUILD 204
#define IDC_ABOUT_LINE5 205

/* The handheld's OK button in a dialog's title bar; desktop headers lack it. */
#ifndef WS_EX_CAPTIONOKBTN
#define WS_EX_CAPTIONOKBTN 0x80000000L
#endif

/* Standard buttons */
#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#endif

/* Record dialogs (prompt, view, amend, search result) */
#define IDC_NUMBER 1000 /* the prompt's answer field is 1000 too */
#define IDC_DESCRIPTION 1001
#define IDC_COST_PRICE 1002
#define IDC_TRADE_PRICE 1003
#define IDC_PRICE 1004
#define IDC_IN_STOCK 1005
#define IDC_CATEGORY 1006
#define IDC_TAX 1007
#define IDC_SKU1 1008
#define IDC_PROMPT_ANSWER 1000
#define IDC_RESULT_PRICE 1002
#define IDC_RESULT_IN_STOCK 1003
#define IDC_NEXT 110

/* Configuration dialog */
#define IDC_RECORDS 1000
#define IDC_DELETED 1001
#define IDC_ACTIVE 1002
#define IDC_FOCUS_QUANTITY 1003
#define IDC_FOCUS_PRICE 1004
#define IDC_STORAGE 1006

#endif
