// A plain top-level window that routes its menu messages to the skin library as
// the skinned frames do, for menu tests that need a real popup on screen.
#pragma once
#include <windows.h>

HWND CreateMenuTestWindow(HMENU menuBar);
