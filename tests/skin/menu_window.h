// A plain top-level window that routes its menu messages to the skin library as
// the skinned frames do, for menu tests that need a real popup on screen.
#pragma once
#include "build_tree_path.h"
#include <windows.h>

HWND CreateMenuTestWindow(HMENU menuBar);

#include <functional>
#include <string>

// What a test saw of the first popup menu that showed while open() ran.
struct OpenPopup {
    HWND window = nullptr;
    HMENU menu = nullptr;      // MN_GETHMENU of the window
    RECT rect = {};
    bool ownerDrawn = false;   // every item of its menu is owner-drawn
    bool saved = false;        // screenshot written
};

// Runs open(), which enters a menu loop; a timer inside the loop finds the
// first visible popup-menu window, lets inspect() look at it while it is on
// screen, saves the screen around it (and around `context`, when given) as a
// PNG named png in the build tree (none when png is null), then ends the menu.
OpenPopup CapturePopupMenu(const std::function<void()>& open, const char* png, const RECT* context = nullptr,
                           const std::function<void(const OpenPopup&)>& inspect = {});
