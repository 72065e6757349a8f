#include "server/services/ReceiveThread.h"

ICommandTarget* g_pCommandTarget = nullptr;

DWORD WINAPI ReceiveThread(LPVOID param)
{
    IHalvexView* view = static_cast<IHalvexView*>(param);
    if (view && g_pCommandTarget)
        g_CommandListener.Run((USHORT)view->TCPPort(), *g_pCommandTarget);
    return 0;
}
