// The service threads' view of the bus layer (ring records, stored status
// and EEPROM words) and what TCP command frames may do to controllers, both
// over VTMultiDrop.
#pragma once
#include "server/services/CommandParser.h"
#include "server/services/ServiceBus.h"
#include <windows.h>

class CVTServiceBus : public IServiceBus
{
public:
    bool ReadRegistration(int index, RegistrationRecord& record) override;
    bool ReadBufferedRegistration(int index, BufferedRegistration& record) override;
    bool ReadReg2Fields(int index, CommandProtocol::Reg2Fields& fields) override;
    bool RebuildRegistration(int port, int id, const char* raw, int year, BufferedRegistration& out) override;
    StatusSnapshot CurrentStatus(int id) override;
    unsigned TakeEEPROMWord(int id, int location) override;
};

// Runs on the listener thread. Controllers are looked up at use, so one that
// is removed meanwhile is never touched; a removal asked over TCP is posted to
// the window that owns the controller tree (`removeMessage`, wParam port,
// lParam id), which carries it out.
class CHalvexCommandTarget : public ICommandTarget
{
public:
    CHalvexCommandTarget();
    void SetTreeWindow(HWND window, UINT removeMessage);

    bool ControllerExists(int port, int id) override;
    void AddController(int port, int id, const std::string& name) override;
    void QueueStatus(int port, int id) override;
    void QueueSetTime(int port, int id) override;
    void EraseStatus(int id) override;
    void QueueReadEEPROM(int port, int id, int location) override;
    void QueueWriteEEPROM(int port, int id, int location, int value) override;
    void RemoveController(int port, int id) override;
    void PostErrorReply(int port, int id) override;

    // Set by the view once the dispatcher runs.
    volatile DWORD m_dwDispatcherThreadId;

private:
    volatile HWND m_treeWindow;
    UINT m_removeMessage;
};

// Queues a set-time on controller (port, id); the bus error code.
int QueueSetTimeOnController(int port, int id);
