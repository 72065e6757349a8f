#include "bus/Registry.h"

#include "framework/msgwait.h"

DWORD WaitWithMessagePump(HANDLE* handle)
{
    return AfxWaitWithMessagePump(handle ? *handle : nullptr);
}
