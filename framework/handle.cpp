#include "framework/handle.h"

COwnedHandle COwnedHandle::DuplicateOf(HANDLE h, DWORD access, DWORD options) {
    COwnedHandle copy;
    if (!IsNone(h)) {
        HANDLE process = ::GetCurrentProcess();
        if (!::DuplicateHandle(process, h, process, copy.Receive(), access, FALSE, options))
            copy.Detach();  // the slot may hold anything after a failure
    }
    return copy;
}
