// Rows queued from worker threads reach a list view in batches, newest kept.
#include "framework/framework.h"
#include "pump_until.h"
#include <gtest/gtest.h>
#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

const UINT WM_ROWS = WM_APP + 7;

// Counts the batches: each showing turns the drawing back on once.
class CCountingList : public CListCtrl {
public:
    int redraws = 0;
    bool drawing = true;
    LRESULT OnSetRedraw(WPARAM on, LPARAM) {
        drawing = on != 0;
        if (on) ++redraws;
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCountingList, CListCtrl)
    ON_MESSAGE(WM_SETREDRAW, OnSetRedraw)
END_MESSAGE_MAP()

struct Row {
    int number;
};

class CRowsHost : public CWnd {
public:
    CListRowBatchBase* batch = nullptr;
    LRESULT OnRows(WPARAM, LPARAM) {
        batch->OnWake();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CRowsHost, CWnd)
    ON_MESSAGE(WM_ROWS, OnRows)
END_MESSAGE_MAP()

struct Fixture {
    CRowsHost host;
    CCountingList list;
    Fixture() {
        EXPECT_TRUE(host.CreateEx(0, nullptr, "rows", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 300), nullptr, 0));
        EXPECT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 300), &host, 1));
        list.InsertColumn(0, "Number", LVCFMT_LEFT, 80);
    }
    ~Fixture() { host.DestroyWindow(); }
    void Attach(CListRowBatchBase& batch) {
        host.batch = &batch;
        batch.Attach(&list, host.m_hWnd, WM_ROWS);
    }
};

void InsertNumber(CListCtrl& list, const Row& row) {
    char text[16];
    wsprintfA(text, "%d", row.number);
    list.InsertItem(list.GetItemCount(), text);
}

TEST(ListRowBatch, WorkersRowsArriveInOrderAtMostFourTimesASecond) {
    Fixture f;
    const int kMax = 50, kWorkers = 2, kEach = 400;
    CListRowBatch<Row> batch(kMax, InsertNumber);
    f.Attach(batch);
    DWORD start = GetTickCount();
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back([&, w] {
            for (int i = 0; i < kEach; ++i) {
                batch.Queue(Row{w * 100000 + i});
                if (i % 50 == 0) Sleep(5);
            }
            ++finished;
        });
    EXPECT_TRUE(PumpUntil([&] { return finished == kWorkers && batch.GetQueuedCount() == 0; }));
    for (auto& t : workers) t.join();
    PumpUntil([] { return false; }, 300);  // a last timer may still be due
    DWORD elapsed = GetTickCount() - start;

    EXPECT_EQ(f.list.GetItemCount(), kMax) << "the newest rows only";
    // Each worker's rows stay in the order they were queued, and the list
    // ends with the last row queued.
    int last[kWorkers] = {-1, -1};
    for (int i = 0; i < f.list.GetItemCount(); ++i) {
        int n = atoi(f.list.GetItemText(i, 0));
        int w = n / 100000;
        ASSERT_LT(w, kWorkers);
        EXPECT_GT(n % 100000, last[w]) << "row " << i;
        last[w] = n % 100000;
    }
    int final = atoi(f.list.GetItemText(f.list.GetItemCount() - 1, 0));
    EXPECT_EQ(final % 100000, kEach - 1);
    EXPECT_GE(f.list.redraws, 1);
    EXPECT_LE(f.list.redraws, (int)(elapsed / 250) + 2) << elapsed << " ms";
    EXPECT_TRUE(f.list.drawing);
}

// Rows the GUI thread adds one at a time are in the list at once, but the
// list is drawn once for the burst, by the timer.
TEST(ListRowBatch, GuiThreadRowsGoInAtOnceAndAreDrawnOnceForTheBurst) {
    Fixture f;
    CListRowBatch<Row> batch(50, InsertNumber);
    f.Attach(batch);
    PumpUntil([] { return false; }, 50);  // the attach's wake-up
    const int before = f.list.redraws;
    for (int i = 1; i <= 80; ++i) {
        batch.Queue(Row{i});
        batch.InsertQueued();
        ASSERT_EQ(f.list.GetItemCount(), std::min(i, 50));
        ASSERT_EQ(atoi(f.list.GetItemText(f.list.GetItemCount() - 1, 0)), i);
    }
    EXPECT_FALSE(f.list.drawing) << "drawn row by row";
    EXPECT_EQ(f.list.redraws, before);
    EXPECT_TRUE(PumpUntil([&] { return f.list.drawing; }));
    EXPECT_EQ(f.list.redraws, before + 1);
    EXPECT_STREQ((LPCSTR)f.list.GetItemText(0, 0), "31");
}

TEST(ListRowBatch, DrawingComesBackWhenAnInsertionThrows) {
    Fixture f;
    CListRowBatch<Row> batch(10, [](CListCtrl& list, const Row& row) {
        if (row.number == 2) throw std::runtime_error("bad row");
        InsertNumber(list, row);
    });
    f.Attach(batch);
    for (int i = 1; i <= 3; ++i) batch.Queue(Row{i});
    EXPECT_THROW(batch.ShowQueued(), std::runtime_error);
    EXPECT_TRUE(f.list.drawing);
    EXPECT_EQ(f.list.GetItemCount(), 1);
    // The rows after the bad one were taken with it; new rows show again.
    batch.Queue(Row{4});
    batch.ShowQueued();
    EXPECT_EQ(f.list.GetItemCount(), 2);
    EXPECT_STREQ((LPCSTR)f.list.GetItemText(1, 0), "4");
}

}  // namespace
