// Windows, message maps, handle maps, menus and control wrappers of the
// framework layer, against real windows under the X display.
#include "framework/framework.h"
#include "pump_until.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

namespace {

UINT g_registered = RegisterWindowMessageA("FrameworkTest::Registered");

class CProbeWnd : public CWnd {
public:
    std::vector<UINT> seen;
    bool attachedAtNcCreate = false;
    bool attachedAtCreate = false;
    int creates = 0, commands = 0, updates = 0, notifies = 0;
    bool enableCommand = true;
    LRESULT defaultAtMessage = -1;
    WPARAM lastWp = 0;
    bool* deleted = nullptr;
    bool selfDelete = false;

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_NCCREATE) attachedAtNcCreate = CWnd::FromHandlePermanent(m_hWnd) == this;
        seen.push_back(msg);
        return CWnd::WindowProc(msg, wp, lp);
    }
    void PostNcDestroy() override {
        if (deleted) *deleted = true;
        if (selfDelete) delete this;
    }
    int OnCreate(LPCREATESTRUCTA cs) {
        ++creates;
        attachedAtCreate = CWnd::FromHandlePermanent(m_hWnd) == this;
        return CWnd::OnCreate(cs);
    }
    LRESULT OnProbe(WPARAM wp, LPARAM lp) {
        lastWp = wp;
        const MSG* m = GetCurrentMessage();
        EXPECT_EQ(m->message, (UINT)(WM_APP + 1));
        EXPECT_EQ(m->wParam, wp);
        return 1234;
    }
    LRESULT OnRegistered(WPARAM wp, LPARAM) { lastWp = wp; return 77; }
    LRESULT OnGetText(WPARAM, LPARAM) {
        // Default() passes the current message on to the window class.
        defaultAtMessage = Default();
        return defaultAtMessage;
    }
    void OnTest() { ++commands; }
    void OnUpdateTest(CCmdUI* ui) { ++updates; ui->Enable(enableCommand); }
    void OnItemChanged(NMHDR*, LRESULT* r) { ++notifies; *r = 0; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_APP + 1, OnProbe)
    ON_REGISTERED_MESSAGE(g_registered, OnRegistered)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetText)
    ON_COMMAND(40001, OnTest)
    ON_UPDATE_COMMAND_UI(40001, OnUpdateTest)
    ON_NOTIFY(LVN_ITEMCHANGED, 100, OnItemChanged)
END_MESSAGE_MAP()

CRect Rect(int x, int y, int w, int h) { return CRect(x, y, x + w, y + h); }

TEST(Window, CreationHookAttachesBeforeFirstMessage) {
    bool deleted = false;
    CProbeWnd* w = new CProbeWnd;
    w->deleted = &deleted;
    w->selfDelete = true;
    ASSERT_TRUE(w->CreateEx(0, nullptr, "probe", WS_OVERLAPPEDWINDOW, Rect(10, 10, 200, 100), nullptr, 0));
    EXPECT_TRUE(w->attachedAtNcCreate);
    EXPECT_TRUE(w->attachedAtCreate);
    EXPECT_EQ(w->creates, 1);
    EXPECT_EQ(w->seen.at(0), (UINT)WM_GETMINMAXINFO) << "the first message of a top-level window";
    HWND h = w->m_hWnd;
    EXPECT_EQ(CWnd::FromHandle(h), w);
    w->DestroyWindow();
    EXPECT_TRUE(deleted) << "PostNcDestroy runs last";
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

// A window whose creation fails at the message given (0: never).
class CFailingWnd : public CWnd {
public:
    UINT failAt = 0;
    int* postNcDestroys = nullptr;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == failAt) return msg == WM_CREATE ? -1 : FALSE;
        return CWnd::WindowProc(msg, wp, lp);
    }
    void PostNcDestroy() override { ++*postNcDestroys; }
};

// A frame that deletes itself, as every frame does, and fails in WM_CREATE.
class CFailingFrame : public CFrameWnd {
public:
    int* destroyed = nullptr;
    ~CFailingFrame() override { ++*destroyed; }
    int OnCreate(LPCREATESTRUCTA) { return -1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFailingFrame, CFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST(Window, FailedCreationEndsTheObjectOnce) {
    // PostNcDestroy runs once: at WM_NCDESTROY when the window was attached,
    // else from CreateEx.
    struct Case {
        const char* name;
        const char* cls;
        UINT failAt;
    } const cases[] = {
        {"unknown class, never attached", "NoSuchFrameworkTestClass", 0},
        {"WM_NCCREATE refuses", nullptr, WM_NCCREATE},
        {"WM_CREATE gives -1", nullptr, WM_CREATE},
    };
    for (const Case& c : cases) {
        int calls = 0;
        CFailingWnd w;
        w.failAt = c.failAt;
        w.postNcDestroys = &calls;
        EXPECT_FALSE(w.CreateEx(0, c.cls, "failing", WS_OVERLAPPEDWINDOW, Rect(10, 10, 200, 100), nullptr, 0))
            << c.name;
        EXPECT_EQ(calls, 1) << c.name;
        EXPECT_EQ(w.m_hWnd, nullptr) << c.name;
    }
    // A self-deleting frame is gone after the failure, and gone only once.
    int destroyed = 0;
    CFailingFrame* frame = new CFailingFrame;
    frame->destroyed = &destroyed;
    EXPECT_FALSE(frame->Create(nullptr, "failing frame"));
    EXPECT_EQ(destroyed, 1);
}

TEST(Window, MessageEntriesAndDefault) {
    CProbeWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "abc", WS_OVERLAPPEDWINDOW, Rect(10, 10, 200, 100), nullptr, 0));
    EXPECT_EQ(w.SendMessage(WM_APP + 1, 5, 0), 1234);
    EXPECT_EQ(w.lastWp, 5u);
    EXPECT_EQ(w.SendMessage(g_registered, 9, 0), 77);
    EXPECT_EQ(w.lastWp, 9u);
    EXPECT_EQ(w.SendMessage(WM_GETTEXTLENGTH), 3);
    EXPECT_EQ(w.defaultAtMessage, 3);
    EXPECT_EQ(w.SendMessage(WM_APP + 2, 0, 0), 0) << "unmapped message goes to the default procedure";
    w.DestroyWindow();
}

TEST(Window, DisabledCommandIsDroppedWhateverItsRoute) {
    CProbeWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "cmd", WS_OVERLAPPEDWINDOW, Rect(10, 10, 200, 100), nullptr, 0));
    w.SendMessage(WM_COMMAND, 40001, 0);
    EXPECT_EQ(w.commands, 1);
    w.enableCommand = false;
    w.SendMessage(WM_COMMAND, 40001, 0);
    w.PostMessage(WM_COMMAND, MAKEWPARAM(40001, 1), 0);  // as an accelerator
    PumpUntil([&] { return w.updates >= 3; });
    EXPECT_EQ(w.commands, 1);
    w.enableCommand = true;
    w.PostMessage(WM_COMMAND, 40001, 0);
    PumpUntil([&] { return w.commands == 2; });
    EXPECT_EQ(w.commands, 2);
    w.DestroyWindow();
}

// A reflected notification is handled by the control's own class first.
class CReflectingList : public CListCtrl {
public:
    int reflected = 0;
    bool passOn = false;
    BOOL OnItemChanged(NMHDR*, LRESULT*) { ++reflected; return passOn ? FALSE : TRUE; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CReflectingList, CListCtrl)
    ON_NOTIFY_REFLECT_EX(LVN_ITEMCHANGED, OnItemChanged)
END_MESSAGE_MAP()

TEST(Window, NotificationsReflectToTheChildFirst) {
    CProbeWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "notify", WS_OVERLAPPEDWINDOW, Rect(10, 10, 300, 200), nullptr, 0));
    CReflectingList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, Rect(0, 0, 200, 100), &parent, 100));
    list.InsertColumn(0, "a", LVCFMT_LEFT, 50);
    list.InsertItem(0, "one");
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_GT(list.reflected, 0);
    EXPECT_EQ(parent.notifies, 0);
    list.passOn = true;
    list.SetItemState(0, 0, LVIS_SELECTED);
    EXPECT_GT(parent.notifies, 0) << "ON_NOTIFY_REFLECT_EX returning FALSE passes the notification on";
    parent.DestroyWindow();
}

template <class Base>
class CWrapped : public Base {
public:
    int paints = 0, probes = 0;
    LRESULT OnProbe(WPARAM wp, LPARAM lp) { ++probes; return 99; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_TEMPLATE_MESSAGE_MAP(CWrapped, Base, Base)
    ON_MESSAGE(WM_APP + 1, OnProbe)
END_MESSAGE_MAP()

TEST(Window, TemplateMapComesBeforeTheBaseMap) {
    CWrapped<CProbeWnd> w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "tmpl", WS_OVERLAPPEDWINDOW, Rect(10, 10, 200, 100), nullptr, 0));
    EXPECT_EQ(w.creates, 1) << "base map still serves WM_CREATE";
    EXPECT_EQ(w.SendMessage(WM_APP + 1, 1, 0), 99);
    EXPECT_EQ(w.probes, 1);
    w.DestroyWindow();
}

class CDialogLike : public CWnd {
public:
    int clicks = 0, selChanges = 0;
    void OnClicked() { ++clicks; }
    void OnSel() { ++selChanges; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CDialogLike, CWnd)
    ON_BN_CLICKED(201, OnClicked)
    ON_CBN_SELCHANGE(202, OnSel)
END_MESSAGE_MAP()

TEST(Window, ControlNotificationsReachTheParent) {
    CDialogLike w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "ctl", WS_OVERLAPPEDWINDOW | WS_VISIBLE, Rect(10, 10, 300, 200), nullptr, 0));
    CButton b;
    ASSERT_TRUE(b.Create("B", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, Rect(0, 0, 60, 20), &w, 201));
    b.SendMessage(BM_CLICK);
    PumpUntil([&] { return w.clicks > 0; });
    EXPECT_EQ(w.clicks, 1);
    CComboBox c;
    ASSERT_TRUE(c.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, Rect(0, 30, 100, 100), &w, 202));
    c.AddString("x");
    c.AddString("y");
    // Selection made by code sends no notification; the parent is told as a user pick would.
    c.SetCurSel(1);
    w.SendMessage(WM_COMMAND, MAKEWPARAM(202, CBN_SELCHANGE), (LPARAM)c.m_hWnd);
    EXPECT_EQ(w.selChanges, 1);
    CString s;
    c.GetLBText(1, s);
    EXPECT_STREQ((LPCSTR)s, "y");
    w.DestroyWindow();
}

class COwnerMenu : public CMenu {
public:
    int measured = 0, drawn = 0;
    void MeasureItem(LPMEASUREITEMSTRUCT mi) override { ++measured; mi->itemWidth = 50; mi->itemHeight = 20; }
    void DrawItem(LPDRAWITEMSTRUCT) override { ++drawn; }
};

TEST(Window, OwnerDrawnMenuItemsReachTheMenuObject) {
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "menu", WS_OVERLAPPEDWINDOW, Rect(10, 10, 300, 200), nullptr, 0));
    CMenu bar;
    COwnerMenu popup;
    ASSERT_TRUE(bar.CreateMenu());
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendMenu(MF_OWNERDRAW, 500, (LPCSTR)1);
    bar.AppendMenu(MF_POPUP | MF_STRING, (UINT_PTR)popup.m_hMenu, "&File");
    w.SetMenu(&bar);
    EXPECT_EQ(CMenu::FromHandlePermanent(popup.m_hMenu), &popup);
    MEASUREITEMSTRUCT mi = {ODT_MENU, 0, 500, 0, 0, 1};
    w.SendMessage(WM_MEASUREITEM, 0, (LPARAM)&mi);
    EXPECT_EQ(popup.measured, 1);
    EXPECT_EQ(mi.itemWidth, 50u);
    DRAWITEMSTRUCT di = {};
    di.CtlType = ODT_MENU;
    di.itemID = 500;
    di.hwndItem = (HWND)popup.m_hMenu;
    w.SendMessage(WM_DRAWITEM, 0, (LPARAM)&di);
    EXPECT_EQ(popup.drawn, 1);
    ::SetMenu(w.m_hWnd, nullptr);
    popup.Detach();  // destroyed with the bar
    w.DestroyWindow();
}

TEST(Window, TemporaryWrappersGoAtIdleAndLeaveTheWindow) {
    HWND h = CreateWindowExA(0, "STATIC", "raw", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CWnd* temp = CWnd::FromHandle(h);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    EXPECT_EQ(CWnd::FromHandle(h), temp);
    CDC* dc = CDC::FromHandle(GetDC(h));
    HDC hdc = dc->m_hDC;
    AfxDeleteTempMaps();
    EXPECT_TRUE(IsWindow(h));
    EXPECT_TRUE(ReleaseDC(h, hdc));
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    CWnd* null = nullptr;
    EXPECT_EQ(null->GetSafeHwnd(), nullptr);
    DestroyWindow(h);
}

TEST(Window, ListAndTreeFromAWorkerWhileTheGuiRuns) {
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW, Rect(0, 0, 400, 300), nullptr, 0));
    CListCtrl list;
    CTreeCtrl tree;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, Rect(0, 0, 200, 200), &host, 1));
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASLINES, Rect(200, 0, 200, 200), &host, 2));
    list.InsertColumn(0, "Time", LVCFMT_LEFT, 80);
    list.InsertColumn(1, "Text", LVCFMT_LEFT, 100);
    const int kItems = 200;
    std::atomic<bool> done{false};
    int misread = 0;
    std::thread worker([&] {
        HTREEITEM root = tree.InsertItem("COM1");
        for (int i = 0; i < kItems; ++i) {
            char t[32];
            wsprintfA(t, "line %d", i);
            int at = list.InsertItem(list.GetItemCount(), t);
            list.SetItemText(at, 1, "text");
            HTREEITEM item = tree.InsertItem(t, root);
            // Reads from the worker come back through the control's own thread.
            if (list.GetItemText(at, 0) != t || tree.GetItemText(item) != t) ++misread;
        }
        // A spare entry added and removed again from the worker.
        HTREEITEM spare = tree.InsertItem("spare", root);
        tree.DeleteItem(spare);
        list.DeleteItem(list.InsertItem(0, "spare"));
        tree.Expand(root, TVE_EXPAND);
        done = true;
        PostMessageA(host.m_hWnd, WM_NULL, 0, 0);
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(misread, 0);
    EXPECT_EQ(list.GetItemCount(), kItems);
    EXPECT_STREQ((LPCSTR)list.GetItemText(0, 0), "line 0");
    EXPECT_STREQ((LPCSTR)list.GetItemText(kItems - 1, 0), "line 199");
    EXPECT_STREQ((LPCSTR)list.GetItemText(3, 1), "text");
    EXPECT_EQ(tree.GetCount(), (UINT)kItems + 1);
    HTREEITEM first = tree.GetChildItem(tree.GetRootItem());
    EXPECT_STREQ((LPCSTR)tree.GetItemText(first), "line 0");
    host.DestroyWindow();
}

TEST(Gdi, RectArithmetic) {
    struct Case { CRect r; int dx, dy; CRect inflated; };
    const Case cases[] = {
        {CRect(0, 0, 10, 10), 2, 3, CRect(-2, -3, 12, 13)},
        {CRect(5, 5, 6, 6), -1, 0, CRect(6, 5, 5, 6)},
    };
    for (const Case& c : cases) {
        CRect r = c.r;
        r.InflateRect(c.dx, c.dy);
        EXPECT_EQ(r, c.inflated);
    }
    CRect a(0, 0, 10, 10), b(5, 5, 20, 20);
    EXPECT_EQ(a & b, CRect(5, 5, 10, 10));
    EXPECT_EQ(a | b, CRect(0, 0, 20, 20));
    EXPECT_EQ(CRect(1, 2, 4, 8).Size(), CSize(3, 6));
    EXPECT_EQ(CPoint(MAKELPARAM(-3, 4)), CPoint(-3, 4)) << "packed points are signed";
}

TEST(Gdi, MemoryDcDrawsIntoItsBitmap) {
    CClientDC screen(nullptr);
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(&screen));
    CBitmap bm;
    ASSERT_TRUE(bm.CreateCompatibleBitmap(&screen, 8, 8));
    CBitmap* old = mem.SelectObject(&bm);
    CBrush red(RGB(255, 0, 0));
    mem.FillRect(CRect(0, 0, 8, 8), &red);
    mem.FillSolidRect(2, 2, 2, 2, RGB(0, 0, 255));
    EXPECT_EQ(mem.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(mem.GetPixel(3, 3), RGB(0, 0, 255));
    mem.SelectObject(old);
}

}  // namespace
