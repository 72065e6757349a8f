// Test screenshots: captures part of the screen from inside Wine (which shows
// popup menus, unlike a capture of the X root window) and writes it as a PNG.
#pragma once
#include <windows.h>

// False when the area is empty or the file cannot be written.
bool SaveScreenPng(const char* path, const RECT& area);
