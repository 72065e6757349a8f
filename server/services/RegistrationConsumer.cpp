#include "server/services/RegistrationConsumer.h"
#include "server/services/ServiceMessages.h"

namespace {
struct Locked {
    CRITICAL_SECTION& cs;
    explicit Locked(CRITICAL_SECTION& c) : cs(c) { EnterCriticalSection(&cs); }
    ~Locked() { LeaveCriticalSection(&cs); }
};
} // namespace

bool CRegistrationConsumerCore::OpenFile(const std::string& folder, const SYSTEMTIME& now)
{
    m_fileName = RegistrationFileName(folder, now);
    return m_file.Open(m_fileName);
}

void CRegistrationConsumerCore::PostToDispatcher(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostThreadMessageA(m_view.DispatcherThreadId(), message, wParam, lParam);
}

void CRegistrationConsumerCore::OnRegistration(int slot, const RegistrationRecord& r, const SYSTEMTIME& now)
{
    if (!m_view.IsRunning())
        return;
    Locked lock(m_lock);
    PostToDispatcher(WM_TCP_REG2, r.port, slot);
    m_view.AddRegistration(slot);
    if (!r.valid)
        return;
    if (m_view.UseBCDB() && m_databaseThreadId != 0)
        PostThreadMessageA(m_databaseThreadId, WM_DB_REGISTRATION, 0, slot);
    m_file.WriteLine(RegistrationLine(r.raw, r.mediaId, r.dateTime, r.port, r.id, r.eventCode, now));
}

void CRegistrationConsumerCore::OnStatus(int port, int id, const StatusSnapshot& status)
{
    if (!m_view.IsRunning())
        return;
    // The view drops the stored status when it has shown it, possibly before
    // the dispatcher answers: the answer is taken from this snapshot.
    PushStatusSnapshot(id, status);
    if (!PostThreadMessageA(m_view.DispatcherThreadId(), WM_TCP_STATUS_REPLY, port, id)) {
        StatusSnapshot unused;
        TakeStatusSnapshot(id, unused);
    }
    m_view.UpdateControllerStatus(id, port);
}

void CRegistrationConsumerCore::OnEEPROMRead(int id, int location)
{
    if (!m_view.IsRunning())
        return;
    Locked lock(m_lock);
    PostToDispatcher(WM_TCP_READ_REPLY, id, location);
}

void CRegistrationConsumerCore::OnEEPROMWrite(int id, int location)
{
    if (!m_view.IsRunning())
        return;
    Locked lock(m_lock);
    PostToDispatcher(WM_TCP_WRITE_REPLY, id, location);
}

void CRegistrationConsumerCore::OnDiagnostics(int port, int id)
{
    if (!m_view.IsRunning())
        return;
    m_view.AddDiagnosticsLine(id, port);
}

void CRegistrationConsumerCore::CloseFile()
{
    Locked lock(m_lock);
    m_file.Close();
}
