#include "server/services/RegistrationQueue.h"

void CRegistrationQueue::SetReader(DWORD threadId, UINT wakeMessage)
{
    bool waiting;
    {
        CSingleLock lock(&m_lock, TRUE);
        m_dwReader = threadId;
        m_nWakeMessage = wakeMessage;
        waiting = !m_queue.empty();
    }
    // Registrations pushed before the reader was known woke nobody.
    if (waiting && threadId != 0)
        ::PostThreadMessageA(threadId, wakeMessage, 0, 0);
}

void CRegistrationQueue::Push(const BufferedRegistration& registration)
{
    DWORD reader;
    UINT message;
    {
        CSingleLock lock(&m_lock, TRUE);
        m_queue.push_back(registration);
        if (m_queue.size() > 1)
            return; // the reader has been woken already and takes this one too
        reader = m_dwReader;
        message = m_nWakeMessage;
    }
    if (reader != 0)
        ::PostThreadMessageA(reader, message, 0, 0);
}

bool CRegistrationQueue::Pop(BufferedRegistration& registration)
{
    CSingleLock lock(&m_lock, TRUE);
    if (m_queue.empty())
        return false;
    registration = m_queue.front();
    m_queue.pop_front();
    return true;
}
