#include "framework/listrows.h"

namespace {
// The drawing comes back on also when an insertion throws.
struct CRedrawOff {
    CListCtrl& list;
    explicit CRedrawOff(CListCtrl& l) : list(l) { list.SetRedraw(FALSE); }
    ~CRedrawOff() { list.SetRedraw(TRUE); }
};
}  // namespace

CListRowBatchBase::CListRowBatchBase(int maxRows, DWORD intervalMs) : m_maxRows(maxRows), m_intervalMs(intervalMs) {}

CListRowBatchBase::~CListRowBatchBase() {
    if (m_timerRunning && ::IsWindow(m_owner))
        ::KillTimer(m_owner, reinterpret_cast<UINT_PTR>(this));
}

void CListRowBatchBase::Attach(CListCtrl* list, HWND owner, UINT wakeMessage) {
    {
        CSingleLock lock(&m_lock, TRUE);
        m_list = list;
        m_owner = owner;
        m_wakeMessage = wakeMessage;
    }
    PostWake();  // harmless with an empty queue: OnWake finds nothing
}

void CListRowBatchBase::PostWake() {
    HWND owner;
    UINT message;
    {
        CSingleLock lock(&m_lock, TRUE);
        owner = m_owner;
        message = m_wakeMessage;
    }
    if (owner)
        ::PostMessageA(owner, message, 0, 0);
}

void CListRowBatchBase::OnWake() {
    if (m_timerRunning || !m_list)
        return;  // the timer shows what is queued
    const DWORD since = ::GetTickCount() - m_lastShown;
    if (m_shownOnce && since < m_intervalMs &&
        ::SetTimer(m_owner, reinterpret_cast<UINT_PTR>(this), m_intervalMs - since, &OnTimer)) {
        m_timerRunning = true;
        return;
    }
    ShowQueued();
}

void CListRowBatchBase::InsertQueued() {
    if (!m_list || !TakeQueued())
        return;
    if (!m_timerRunning) {
        const DWORD since = ::GetTickCount() - m_lastShown;
        const DWORD wait = m_shownOnce && since < m_intervalMs ? m_intervalMs - since : 0;
        m_timerRunning = ::SetTimer(m_owner, reinterpret_cast<UINT_PTR>(this), wait, &OnTimer) != 0;
    }
    if (!m_timerRunning) {
        // No timer to show them later: shown now.
        CRedrawOff off(*m_list);
        InsertTaken(*m_list);
        return;
    }
    if (!m_drawingOff) {
        m_list->SetRedraw(FALSE);
        m_drawingOff = true;
    }
    InsertTaken(*m_list);
}

void CALLBACK CListRowBatchBase::OnTimer(HWND owner, UINT, UINT_PTR self, DWORD) {
    CListRowBatchBase* batch = reinterpret_cast<CListRowBatchBase*>(self);
    ::KillTimer(owner, self);
    batch->m_timerRunning = false;
    batch->ShowQueued();
}

void CListRowBatchBase::ShowQueued() {
    if (!m_list)
        return;
    m_lastShown = ::GetTickCount();
    m_shownOnce = true;
    const bool taken = TakeQueued();
    if (!taken && !m_drawingOff)
        return;
    CListCtrl& list = *m_list;
    {
        CRedrawOff off(list);
        m_drawingOff = false;  // on again when `off` ends
        if (taken)
            InsertTaken(list);
    }
    const int count = list.GetItemCount();
    if (count > 0)
        list.EnsureVisible(count - 1, FALSE);
    list.Invalidate();
}

void CListRowBatchBase::MakeRoom(CListCtrl& list) const {
    while (list.GetItemCount() >= m_maxRows && list.GetItemCount() > 0)
        list.DeleteItem(0);
}
