// Finds the running server's main frame from another program.
#pragma once
#include <windows.h>

// The frame, or null when no server runs.
HWND FindServerFrame();
