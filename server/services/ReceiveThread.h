// The TCP listener thread: started by the service start-up with the view;
// serves requests on the view's TCPPort through `listener` until the shutdown
// closes it (CCommandListener::Close).
#pragma once
#include "server/services/CommandListener.h"
#include "server/services/HalvexViewServices.h"

// `commands` is what frames may ask of the server: the implementation over
// the bus layer and the view. Returns 0.
DWORD ReceiveThread(CCommandListener& listener, IHalvexView* view, ICommandTarget* commands);
