// Resource ids of the server. A language library carries the same ids.
#pragma once

// Menus, accelerators, icon and document string of the main window.
#define IDR_MAINFRAME           128
#define IDR_CONTEXT_MENU        133
#define IDR_TRAY_MENU           138

// Dialogs
#define IDD_ABOUTBOX            100
#define IDD_HALVEX_FORM         101
#define IDD_CLOSING             130
#define IDD_LANGUAGE            143

// Bitmaps
#define IDB_TREE                130
#define IDB_NOTIFIER            136
#define IDB_MESSAGES            135
#define IDB_TOOLBAR             144
#define IDB_REGISTRATIONS       145

// Icons
#define IDI_TRAY                5
#define IDI_TRAY_OLD            139

// Controls
#define IDC_TREE                1000
#define IDC_VERSION             1001
#define IDC_REGISTRATIONS       1005
#define IDC_MESSAGES            1012

// Commands
#define ID_CONTROLLER_ADD       32772
#define ID_CONTROLLER_REMOVE    32773
#define ID_ONLINE               32774
#define ID_CONTROLLER_STATUS    32776
#define ID_CONTROLLER_SETTIME   32781
#define ID_CONTROLLER_RESET     32784
#define ID_CONTROLLER_PACK      32785
#define ID_RESTORE              32787
#define ID_IMPORT_REGISTRATIONS 32788
#define ID_SHOW_USER_LOG        32789
#define ID_LANGUAGE             32790
#define ID_CONTROLLER_EDIT      32794
#define ID_CONTROLLER_DIAGNOSTICS 32795
#define ID_EXPAND_ALL           32796
#define ID_COLLAPSE_ALL         32797
#define ID_SETTIME_ALL          32798
#define ID_SETTINGS             32799
#define ID_STATUS_ALL           32802
#define ID_TEST_READ_EEPROM     32803
#define ID_TEST_WRITE_EEPROM    32804

// Strings
#define IDS_OLE_INIT_FAILED     100
#define IDS_COL_MEDIAID         129
#define IDS_COL_PORT            130
#define IDS_COL_DATETIME        131
#define IDS_COL_EVENT           132
#define IDS_COL_CONTROLLER      133
#define IDS_ASK_REMOVE          134
#define IDS_ASK_SETTIME         135
#define IDS_NAME_MISSING        136
#define IDS_COL_DESCRIPTION     137
#define IDS_ASK_PACK            143
#define IDS_ASK_RESET           144
#define IDS_STILL_ACTIVE        146
#define IDS_PROGRESS_CAPTION    148
#define IDS_IMPORT_CAPTION      149
#define IDS_IMPORTED            150
#define IDS_EVENT_TIMESET       151
#define IDS_EVENT_RESET         152
#define IDS_EVENT_PACK          153
#define IDS_RESTART_NEEDED      154
#define IDS_CAPTION_ADD         155
#define IDS_CAPTION_EDIT        156
#define IDS_ASK_SETTIME_ALL     157
#define IDS_SETTINGS_CAPTION    158
#define IDS_LINE_PORT           166
#define IDS_LINE_CONTROLLER     167
#define IDS_LINE_DATE           168
#define IDS_LINE_TIME           169
#define IDS_LINE_FIRMWARE       170
#define IDS_LINE_COUNTER        172
