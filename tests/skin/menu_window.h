// A plain top-level window that routes its menu messages to the skin library as
// the skinned frames do, for menu tests that need a real popup on screen.
#pragma once
#include <windows.h>

HWND CreateMenuTestWindow(HMENU menuBar);
// Captures part of the screen from inside Wine (which shows popup menus, unlike
// a capture of the X root window) and writes it as a PNG; false on failure.
bool SaveScreenPng(const char* path, const RECT& area);
