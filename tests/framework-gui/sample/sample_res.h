// Resource ids of the sample program (shared by the resource script and code).
#pragma once

#define IDR_MAINFRAME 128
#define IDD_SAMPLE_FORM 101
#define IDD_SETTINGS 102
#define IDD_PAGE_PORT 103
#define IDD_PAGE_DISPLAY 104
#define IDS_OPTIONS 105

#define IDC_TREE 1001
#define IDC_LIST 1002
#define IDC_COUNT 1003
#define IDC_NAME 1004
#define IDC_ENABLED 1005
#define IDC_PORT 1006
#define IDC_GRID 1007
#define IDC_CAPTION 1008

#define ID_ROUTE_CHAIN 32771
#define ID_ITEM_ADD 32772
#define ID_ITEM_REMOVE 32773
#define ID_LOCKED_CMD 32774
#define ID_VIEW_GRID 32775
#define ID_EDIT_SETTINGS 32776
#define ID_EDIT_OPTIONS 32777
#define ID_NO_HANDLER 32778
#define ID_INDICATOR_ITEMS 32779
