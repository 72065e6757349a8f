// Resource ids of the bar and sheet tests.
#pragma once
#define IDR_BARS_TOOLBAR 128
#define IDB_BARS_IMAGES 146
#define IDB_BARS_MORE 147
#define IDD_BARS_PAGE 300
#define IDS_BARS_SHEET 400
#define IDS_BARS_PAGE 401
#define ID_BARS_FIRST 200
#define ID_BARS_SECOND 201
#define ID_BARS_THIRD 202
#define ID_BARS_COMBO 210
