// Lets a starting server find a running one and bring its window to the
// front: the running instance publishes its main window handle in a small
// named shared-memory block.
#pragma once
#include "framework/handle.h"
#include <windows.h>
#include <string>

class CSingleInstance
{
public:
    explicit CSingleInstance(const char* applicationName = "Halvex");
    virtual ~CSingleInstance();

    std::string MakeMappingName() const;
    // TRUE when a running instance's shared memory exists; keeps it open.
    BOOL PreviousInstanceRunning();
    // Restores and activates the running instance's window; its handle or NULL.
    HWND ActivatePrevious();
    // Publishes `mainWindow` (NULL is published as 0); TRUE when this process
    // created the shared memory. The block stays until the process ends.
    BOOL PublishMainWindow(HWND mainWindow);

private:
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    std::string m_strApplicationName;
    COwnedHandle m_hLock;     // unnamed mutex ordering this object's own accesses
    COwnedHandle m_hMapping; // opened by PreviousInstanceRunning
};

// The second guard, for the time before the first instance has published its
// window. TRUE when this process is the first to hold the named mutex; the
// handle is kept until the process ends. Created in one step, so two
// processes starting together cannot both pass.
BOOL AcquireInstanceMutex(const char* name = "75C57BC1-E844-456c-A568-7B0C0282792A");
