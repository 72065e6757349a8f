#include "server/services/ReceiveThread.h"

DWORD ReceiveThread(CCommandListener& listener, IHalvexView* view, ICommandTarget* commands)
{
    if (view && commands)
        listener.Run((USHORT)view->TCPPort(), *commands);
    return 0;
}
