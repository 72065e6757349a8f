// Registrations on their way from the consumer to the reporting-database
// thread, copied when they are handed on: the ring slot a registration came
// from is rewritten after 8192 more, and a slow reporting database can leave
// the database thread that far behind. The reader is woken by one thread
// message when the queue turns non-empty, so a long backlog never fills the
// reader's message queue.
#pragma once
#include "framework/framework.h"
#include "server/services/BufferedRegistration.h"
#include <deque>

class CRegistrationQueue
{
public:
    CRegistrationQueue() : m_dwReader(0), m_nWakeMessage(0) {}

    // The thread that takes the registrations, and the message that wakes it.
    void SetReader(DWORD threadId, UINT wakeMessage);
    // Any thread: appends a copy.
    void Push(const BufferedRegistration& registration);
    // The reader: the oldest registration; false when none waits.
    bool Pop(BufferedRegistration& registration);

private:
    CRegistrationQueue(const CRegistrationQueue&) = delete;
    CRegistrationQueue& operator=(const CRegistrationQueue&) = delete;

    CCriticalSection m_lock; // guards the members below
    std::deque<BufferedRegistration> m_queue;
    DWORD m_dwReader;
    UINT m_nWakeMessage;
};
