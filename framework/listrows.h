// Rows for a list view from any thread, shown by the GUI thread in batches.
#pragma once
#include "framework/controls.h"
#include "framework/sync.h"
#include <deque>
#include <functional>

// Inserting and redrawing one row at a time costs the GUI thread tens of
// milliseconds per row on a busy list. So rows are queued (the newest
// `maxRows` of them; no more can be shown), the owner window gets one
// wake-up message when the queue stops being empty, and the GUI thread
// inserts the whole queue with the drawing off, at most once per interval
// (250 ms: four times a second). The list keeps at most `maxRows` rows,
// dropping the oldest from the top. Nothing here waits for the GUI thread.
class CListRowBatchBase {
public:
    CListRowBatchBase(const CListRowBatchBase&) = delete;
    CListRowBatchBase& operator=(const CListRowBatchBase&) = delete;

    // GUI thread: the list and the window that receives `wakeMessage` and
    // calls OnWake from its handler. Rows queued before are announced now.
    void Attach(CListCtrl* list, HWND owner, UINT wakeMessage);
    // GUI thread: shows the queue now, or by a timer when the last showing
    // was less than an interval ago.
    void OnWake();
    // GUI thread: inserts every queued row now, redrawing the list once.
    void ShowQueued();
    // GUI thread: inserts every queued row now with the drawing off; the
    // list is shown by the timer (at most once per interval), so rows the GUI
    // thread adds one by one cost no redraw each.
    void InsertQueued();

    int GetMaxRows() const { return m_maxRows; }

protected:
    CListRowBatchBase(int maxRows, DWORD intervalMs);
    virtual ~CListRowBatchBase();
    // Any thread, after a row went into an empty queue.
    void PostWake();
    // GUI thread: takes the queue over; false when it was empty.
    virtual bool TakeQueued() = 0;
    // GUI thread: inserts the rows taken.
    virtual void InsertTaken(CListCtrl& list) = 0;
    // Before each insertion: room for one more row.
    void MakeRoom(CListCtrl& list) const;

    CCriticalSection m_lock;  // guards the queue and m_owner/m_wakeMessage
    const int m_maxRows;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR self, DWORD);

    const DWORD m_intervalMs;
    CListCtrl* m_list = nullptr;
    HWND m_owner = nullptr;
    UINT m_wakeMessage = 0;
    // GUI thread only.
    bool m_timerRunning = false;
    bool m_drawingOff = false;  // InsertQueued turned it off for the timer's showing
    DWORD m_lastShown = 0;  // tick count
    bool m_shownOnce = false;
};

template <class Row>
class CListRowBatch : public CListRowBatchBase {
public:
    // Inserts one row at the end of the list (GUI thread).
    typedef std::function<void(CListCtrl&, const Row&)> InsertRow;

    CListRowBatch(int maxRows, InsertRow insert, DWORD intervalMs = 250)
        : CListRowBatchBase(maxRows, intervalMs), m_insert(std::move(insert)) {}

    // Any thread; rows are shown in the order they were queued.
    void Queue(Row row) {
        bool wasEmpty;
        {
            CSingleLock lock(&m_lock, TRUE);
            wasEmpty = m_rows.empty();
            m_rows.push_back(std::move(row));
            while ((int)m_rows.size() > m_maxRows)
                m_rows.pop_front();
        }
        if (wasEmpty)
            PostWake();
    }

    size_t GetQueuedCount() {
        CSingleLock lock(&m_lock, TRUE);
        return m_rows.size();
    }

private:
    bool TakeQueued() override {
        CSingleLock lock(&m_lock, TRUE);
        m_taken.clear();
        m_taken.swap(m_rows);
        return !m_taken.empty();
    }
    void InsertTaken(CListCtrl& list) override {
        for (const Row& row : m_taken) {
            MakeRoom(list);
            m_insert(list, row);
        }
        m_taken.clear();
    }

    InsertRow m_insert;
    std::deque<Row> m_rows;   // queued, under m_lock
    std::deque<Row> m_taken;  // GUI thread only
};
