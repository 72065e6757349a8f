// Resource ids of the configuration tool. A language library carries the same ids.
#pragma once

// The program's version as the version resource and the about box give it.
#define ORIMBEL_VERSION_NUMBERS 3, 1, 0, 1
#define ORIMBEL_VERSION_TEXT    "3, 1, 0, 1"

// Menu, accelerators, icon and document string of the main window.
#define IDR_MAINFRAME           128

// Dialogs: the about box, the pages, the progress dialog, the status bar and the picker.
#define IDD_ABOUTBOX            100
#define IDC_VERSION             1000
#define IDD_CONFIGURATION       101
#define IDD_PROGRESS            103
#define IDD_TWO_WORDS           110
#define IDD_ONE_WORD            111
#define IDD_WELCOME             112
#define IDD_BAR_STATUS          144
#define IDD_SELECT_FROM_HALVEX  147
#define IDD_LANGUAGE            148
#define IDC_LANGUAGES           1020    // the language dialog's list, as common/D_Language.h names it

// Bitmaps and icons
#define IDB_TREE                130
#define IDB_TOOLBAR             146     // the toolbar's and menus' images on magenta
#define IDI_LED_SPARE1          132
#define IDI_LED_ON              133
#define IDI_LED_SPARE2          134
#define IDI_LED_OFF             135
#define IDI_LED_ON_SELECTED     136
#define IDI_LED_OFF_SELECTED    137

// Controls of the action-word pages (first column, second column)
#define IDC_CAPTION2            1001
#define IDC_CAPTION1            1002
#define IDC_ACTION1_RELAY1      1003
#define IDC_ACTION1_RELAY2      1004
#define IDC_EGRESS1_RELAY1      1005
#define IDC_EGRESS1_RELAY2      1006
#define IDC_SENSOR1_RELAY1      1007
#define IDC_SENSOR1_RELAY2      1008
#define IDC_REGISTRATION1       1009
#define IDC_ACTION2_RELAY1      1010
#define IDC_ACTION2_RELAY2      1011
#define IDC_EGRESS2_RELAY1      1012
#define IDC_EGRESS2_RELAY2      1013
#define IDC_SENSOR2_RELAY1      1014
#define IDC_SENSOR2_RELAY2      1015
#define IDC_REGISTRATION2       1016
#define IDC_LABEL_RELAY1        1024
#define IDC_LABEL_RELAY2        1025
#define IDC_LABEL_REGISTRATION  1026

// Controls of the configuration page
#define IDC_MASTER              1012
#define IDC_DOOR_OPEN_TIMEOUT   1013
#define IDC_RELAY1_TIME         1014
#define IDC_RELAY2_TIME         1015
#define IDC_READER1_LED         1016
#define IDC_READER2_LED         1017
#define IDC_ROLLOVER            1027

// Controls of the progress dialog
#define IDC_PROGRESS_BAR        1003
#define IDC_PROGRESS_PERCENT    1004
#define IDC_PROGRESS_STATUS     1005
#define IDC_PROGRESS_ICON       1042

// Controls of the status bar
#define IDC_DEVICE_TEXT         1014
#define IDC_VERSION_TEXT        1015
#define IDC_DATE_TEXT           1016
#define IDC_TIME_TEXT           1017
#define IDC_COM_PORT            1021
#define IDC_CONTROLLER          1022
#define IDC_LABEL_COM_PORT      1031
#define IDC_LABEL_CONTROLLER    1032
#define IDC_LABEL_DEVICE        1033
#define IDC_LABEL_VERSION       1034
#define IDC_LABEL_DATE          1035
#define IDC_LABEL_TIME          1036

// Controls of the picker
#define IDC_HALVEX_FILE         1028
#define IDC_BROWSE              1029
#define IDC_CONTROLLER_LIST     1030

// The status bar's child id in the frame
#define IDW_BAR_STATUS          1001
// The menu bar's child id in the frame

// Commands
#define ID_RESET_PAGE           32771
#define ID_EEPROM_READ          32778
#define ID_EEPROM_WRITE         32779
#define ID_CONTROLLER_STATUS    32780
#define ID_CONTROLLER_SETTIME   32783
#define ID_SELECT_FROM_HALVEX   32785
#define ID_LANGUAGE             32786
#define ID_CONTROLLER_DIAGNOSTICS 32787

// Strings
#define IDS_PROGRESS_CAPTION    103
#define IDS_CONFIGURATION       129
#define IDS_READER1             130
#define IDS_READER2             131
#define IDS_SENSOR              132
#define IDS_EGRESS              133
#define IDS_DOOR_OPEN_TOO_LONG  135
#define IDS_ALARM               137
#define IDS_FORCED_ENTRY        138
#define IDS_T1                  139
#define IDS_T1A                 140
#define IDS_T2                  141
#define IDS_T2A                 142
#define IDS_CONTROLLER_NOT_FOUND 143
#define IDS_OPENED              149
#define IDS_CLOSED              150
#define IDS_INVALID_FILE        152
#define IDS_INVALID_FILE_VERSION 153
#define IDS_ASK_SET_TIME        155
#define IDS_READING_LOCATION    156
#define IDS_WRITING_LOCATION    158
#define IDS_COL_NAME            160
#define IDS_COL_PORT            161
#define IDS_COL_ID              162
#define IDS_NOTHING_SELECTED    163
#define IDS_RESTART_FOR_LANGUAGE 164
#define IDS_HALVEX_UNREACHABLE  165
