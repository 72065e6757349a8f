#include "wait_until.h"

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs,
               const std::function<void()>& meanwhile)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs)
            return done();
        if (meanwhile)
            meanwhile();
        Sleep(pollMs);
    }
    return true;
}
