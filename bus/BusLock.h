// Scoped hold of a critical section.
#pragma once
#include <windows.h>

namespace VTMultiDrop {

class BusLock {
public:
    explicit BusLock(CRITICAL_SECTION& section) : m_section(section) { EnterCriticalSection(&m_section); }
    ~BusLock() { LeaveCriticalSection(&m_section); }
    BusLock(const BusLock&) = delete;
    BusLock& operator=(const BusLock&) = delete;

private:
    CRITICAL_SECTION& m_section;
};

}  // namespace VTMultiDrop
