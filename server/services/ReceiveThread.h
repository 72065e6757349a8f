// The TCP listener thread: started by the service start-up with the view as
// its argument; serves requests on the view's TCPPort until the shutdown
// closes the listening socket (g_CommandListener.Close()).
#pragma once
#include "server/services/CommandListener.h"
#include "server/services/HalvexViewServices.h"

// What frames may ask of the server; set by the start-up before the listener
// runs (the implementation over the bus layer and the view).
extern ICommandTarget* g_pCommandTarget;

DWORD WINAPI ReceiveThread(LPVOID view);
