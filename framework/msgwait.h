// Waiting for a kernel object on a thread that owns windows.
#pragma once
#include <windows.h>
#include <functional>

// Waits for `handle` while dispatching the calling thread's messages, so that
// its windows stay served while it waits. Messages are taken in bounded
// passes: a pass dispatches the messages that were queued when it began, then
// a limited number of the input, paint and timer messages that the system
// hands out only when no posted message waits, and then the handle is looked
// at again. So a message that re-posts itself, or any stream of new ones,
// cannot keep the wait from seeing its handle. A WM_QUIT met on the way is
// posted again before returning, for the caller's own loop to see.
// Returns WAIT_OBJECT_0 (or WAIT_ABANDONED_0) once the handle is signalled,
// WAIT_FAILED when it cannot be waited for (an invalid handle).
DWORD AfxWaitWithMessagePump(HANDLE handle);

// One such bounded pass over the messages waiting now, without waiting for
// anything, for a thread that polls while it works (a progress window's
// Cancel). `preTranslate`, when given, sees each message first and returns
// true for one it has handled (say IsDialogMessage of a modeless dialog).
// A WM_QUIT met is posted again.
void AfxPumpPendingMessages(const std::function<bool(MSG&)>& preTranslate = nullptr);
