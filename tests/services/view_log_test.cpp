// The view's message list against a real list-view control in a plain test
// window: the 300-line bound, the line's columns and image, lines added
// from worker threads while the GUI thread keeps pumping, and a burst drawn
// once with the newest line in view.
#include "server/services/HalvexViewLog.h"
#include "server/services/ServiceMessages.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <string>
#include <thread>
#include <vector>

namespace {

CHalvexViewLog* g_log = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (g_log && msg == CHalvexViewLog::WM_ADD_LOG_LINE)
        return g_log->OnAddLogLine(wParam, lParam);
    if (g_log && msg == WM_LOG_STRING)
        return g_log->OnLogString(wParam, lParam);
    if (g_log && msg == WM_BUFFER_COUNT)
        return g_log->OnBufferCount(wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class ViewLog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_LISTVIEW_CLASSES };
        InitCommonControlsEx(&icc);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "ViewLogTestOwner";
        RegisterClassA(&wc);
        owner = CreateWindowA(wc.lpszClassName, "view", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, NULL, NULL,
                              wc.hInstance, NULL);
        list = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 400, 300, owner, NULL,
                             wc.hInstance, NULL);
        ASSERT_NE(nullptr, list);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 150;
        column.pszText = const_cast<char*>("Time");
        ListView_InsertColumn(list, 0, &column);
        column.pszText = const_cast<char*>("Text");
        ListView_InsertColumn(list, 1, &column);
        images = ImageList_Create(16, 16, ILC_COLOR32, 3, 0);
        ListView_SetImageList(list, images, LVSIL_SMALL);
        listCtrl.Attach(list);
        log.Attach(&listCtrl, owner);
        g_log = &log;
    }
    void TearDown() override
    {
        g_log = nullptr;
        listCtrl.Detach();
        DestroyWindow(owner);
        ImageList_Destroy(images);
    }
    void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    std::string Cell(int row, int column)
    {
        char text[512] = {};
        ListView_GetItemText(list, row, column, text, sizeof(text));
        return text;
    }
    int Image(int row)
    {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ListView_GetItem(list, &item);
        return item.iImage;
    }
    int Count() { return ListView_GetItemCount(list); }

    CListCtrl listCtrl;
    CHalvexViewLog log;
    HWND owner = NULL, list = NULL;
    HIMAGELIST images = NULL;
};

TEST_F(ViewLog, LineHasTimeStampTextAndImage)
{
    log.AddLogMessage("Connected to database.", 1);
    ASSERT_EQ(1, Count());
    std::string stamp = Cell(0, 0);
    int y, mo, d, h, mi, s;
    EXPECT_EQ(6, sscanf(stamp.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &y, &mo, &d, &h, &mi, &s)) << stamp;
    EXPECT_EQ(19u, stamp.size());
    EXPECT_EQ("Connected to database.", Cell(0, 1));
    EXPECT_EQ(1, Image(0));
}

TEST_F(ViewLog, The301stLineRemovesTheOldest)
{
    for (int i = 1; i <= 301; ++i)
        log.AddLogMessage("line " + std::to_string(i), i % 3);
    ASSERT_EQ(300, Count());
    EXPECT_EQ("line 2", Cell(0, 1));
    EXPECT_EQ("line 301", Cell(299, 1));
    EXPECT_EQ(301 % 3, Image(299));
}

TEST_F(ViewLog, WorkerThreadsQueueLinesThatTheGuiThreadInsertsInOrder)
{
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w)
        workers.emplace_back([this, w] {
            for (int i = 0; i < 100; ++i)
                log.AddLogMessage("worker " + std::to_string(w) + " line " + std::to_string(i), 1);
        });
    // The workers never wait for this thread: they end before it pumps.
    for (auto& t : workers)
        t.join();
    EXPECT_EQ(0, Count());
    Pump();
    ASSERT_EQ(300, Count());
    // Each worker's lines keep their order.
    std::vector<int> next(4, 0);
    for (int row = 0; row < 300; ++row) {
        int w = -1, i = -1;
        ASSERT_EQ(2, sscanf(Cell(row, 1).c_str(), "worker %d line %d", &w, &i));
        EXPECT_GE(i, next[w]);
        next[w] = i + 1;
    }
}

TEST_F(ViewLog, PostedBufferCountAndMissingStringResource)
{
    PostMessageA(owner, WM_BUFFER_COUNT, 0, 0);
    PostMessageA(owner, WM_LOG_STRING, 0, 59999); // no such string
    Pump();
    ASSERT_EQ(2, Count());
    EXPECT_EQ("Buffer database: 0 records", Cell(0, 1));
    EXPECT_EQ(1, Image(0));
    EXPECT_EQ("", Cell(1, 1));
    EXPECT_EQ(0, Image(1));
}

TEST_F(ViewLog, DiagnosticsLine)
{
    log.AddDiagnosticsLine(5, 2, "0001", "0002", "0003");
    EXPECT_EQ("CP:2 ID:5 CT:0001 RD:0002 WR:0003", Cell(0, 1));
}

// A burst is drawn once, a moment later: the list then shows its last line.
TEST_F(ViewLog, BurstOfLinesEndsScrolledToTheNewest)
{
    for (int i = 1; i <= 400; ++i)
        log.AddLogMessage("burst " + std::to_string(i), 1);
    EXPECT_EQ("burst 400", Cell(299, 1));
    int perPage = ListView_GetCountPerPage(list);
    ASSERT_GT(perPage, 0);
    int top = ListView_GetTopIndex(list);
    for (DWORD start = GetTickCount(); top + perPage < 300 && GetTickCount() - start < 3000;) {
        Pump();
        Sleep(20);
        top = ListView_GetTopIndex(list);
    }
    EXPECT_GE(top + perPage, 300) << "top row " << top << ", " << perPage << " rows a page";
}

} // namespace
