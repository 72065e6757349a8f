// Resource ids of the operator dialogs: the controller dialog, the progress
// window and the user event log. The ids are fixed; a language library
// carries the same ones.
#pragma once

#define IDD_PROGRESS            104
#define IDD_CONTROLLER          132
#define IDD_IMPORT_REGS         140
#define IDD_USER_LOG            142

// Controller dialog
#define IDC_COMM_PORT           1004
#define IDC_CONTROLLER_ID       1005
#define IDC_CONTROLLER_NAME     1006

// Progress window
#define IDC_PROGRESS_BAR        1003
#define IDC_PROGRESS_PERCENT    1004
#define IDC_PROGRESS_TEXT       1005

// Registration import
#define IDC_IMPORT_FILE         1013
#define IDC_IMPORT_BROWSE       1014
#define IDC_IMPORT_FROM_DATE    1015
#define IDC_IMPORT_TO_DATE      1016
#define IDC_IMPORT_FROM_TIME    1017
#define IDC_IMPORT_TO_TIME      1018

// User event log
#define IDC_USER_LOG_LIST       1012

// Strings the dialogs load (the program's string table holds them).
#define IDS_COLUMN_PORT         130
#define IDS_COLUMN_DATETIME     131
#define IDS_COLUMN_EVENT        132
#define IDS_COLUMN_CONTROLLER   133
#define IDS_NO_NAME             136
#define IDS_COLUMN_DESCRIPTION  137
#define IDS_PROGRESS            148
#define IDS_ADD_CONTROLLER      155
#define IDS_EDIT_CONTROLLER     156
