// The notice "Closing application. Please wait..." shown while the server
// shuts down; a member of the application object.
#pragma once
#include "framework/framework.h"
#include "skin/skindialog.h"

class CD_ClosingApp : public CSkinDialog
{
public:
    CD_ClosingApp();
    // Creates the window without a parent, centred on the screen, and paints
    // it at once (the shutdown that follows keeps the GUI thread busy).
    BOOL ShowNow();
    // Destroys the window if there is one.
    void Close();
};
