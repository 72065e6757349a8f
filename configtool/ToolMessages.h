// Messages of the configuration tool's windows and of its listener thread.
#pragma once
#include <windows.h>

// Posted by the listener to the main frame, one per answer of the server.
#define WM_TOOL_STATUS (WM_APP + 0x0001)            // lParam: CStatusTexts* the frame takes over
#define WM_TOOL_EEPROM_READ (WM_APP + 0x0003)       // wParam location, lParam word
#define WM_TOOL_EEPROM_WRITTEN (WM_APP + 0x0004)    // wParam location, lParam word
#define WM_TOOL_CONTROLLER_ERROR (WM_APP + 0x0005)  // the server does not know the controller

// Posted once by the frame to the listener thread: start accepting answers.
#define WM_TOOL_START_RECEIVING (WM_APP + 0x0007)
