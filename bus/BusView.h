// What the bus threads need of the server view, registered by the
// application once the view exists. Until then (and after it is cleared) no
// state message is posted and nothing is logged.
#pragma once
#include <windows.h>
#include <string>

namespace VTMultiDrop {

class IBusView {
public:
    virtual ~IBusView() {}
    // The window that receives WM_DEVICE_STATE.
    virtual HWND GetStateWindow() = 0;
    // The [Misc] SelectPollInfo option: log every command sent and reply read.
    virtual bool SelectPollInfo() = 0;
    // One line in the view's message list (image 1 information). Called by
    // bus threads while they hold their port lock: it must hand the line to
    // the GUI thread by posting and never wait for that thread.
    virtual void AddLogMessage(const std::string& text, int image) = 0;
};

// Registers the view (null clears it). The view must stay alive until it is
// cleared or every port is closed.
void SetBusView(IBusView* view);
IBusView* GetBusView();

}  // namespace VTMultiDrop
