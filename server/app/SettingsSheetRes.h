// Resource ids of the settings sheet's two pages. The ids are fixed; a
// language library carries the same ones.
#pragma once

#define IDD_PAGE_MISC           102
#define IDD_PAGE_DATABASE       134

// Database page
#define IDC_USE_DATABASE        1009
#define IDC_CONNECTION_STRING   1010
#define IDC_BUILD_CONNECTION    1011

// Miscellaneous page
#define IDC_AUTO_SET_TIME       1022
#define IDC_AUTO_SET_INTERVAL   1023
#define IDC_COMMAND_TIMEOUT     1024
#define IDC_TCP_PORT            1025
#define IDC_TEST_MENU           1026
#define IDC_SELECT_POLL_INFO    1027

// Strings the sheet loads (the program's string table holds them).
#define IDS_SETTINGS            158
#define IDS_DATA_LINK_FAILED    175
