/* The back-office window's resource and control ids, shared by filmdesk.rc
   and the code. Plain defines, so that the resource compiler reads this file
   too. */
#ifndef FILMDESK_IDS_H
#define FILMDESK_IDS_H

#define IDI_DESK 1
#define IDD_DESK 100
#define IDR_DESK_KEYS 101

/* The main window's controls, in Tab order */
#define IDC_FOLDER_LABEL 1000
#define IDC_FOLDER 1001
#define IDC_FOLDER_BROWSE 1002
#define IDC_CARD_LABEL 1003
#define IDC_CARD 1004
#define IDC_CARD_BROWSE 1005
#define IDC_CODE_PAGE_LABEL 1006
#define IDC_CODE_PAGE 1007
#define IDC_COUNTS 1008
#define IDC_REFRESH 1009
#define IDC_EXPORT 1010
#define IDC_BRING_BACK 1011
#define IDC_REVIEW_TITLE 1012
#define IDC_REVIEW 1013
#define IDC_ADD 1014
#define IDC_OVERWRITE 1015
#define IDC_MESSAGES 1016
#define IDC_PROGRESS 1017
#define IDC_APPLY 1018
#define IDC_DETAILS_LABEL 1019
#define IDC_DETAILS 1020
/* Cancel is IDCANCEL (2): Esc stops the work or drops the review. */

#endif
