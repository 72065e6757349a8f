// The skinned popups on screen: a skinned frame whose menus open through the
// system's menu loop, framed and painted by the theme, printed with WM_PRINT,
// and closed many times without a GDI object left behind; screenshots of the
// shipped look and of every theme.
#include "skin/drawing.h"
#include "skin/itempaint.h"
#include "skin/menutheme.h"
#include "skin/popuphook.h"
#include "skin/skinframewnd.h"
#include "skin/skinlib.h"
#include "skin/systemglyphs.h"
#include "skin/testhooks.h"
#include "gdi_census.h"
#include "menu_window.h"
#include "screen_png.h"
#include "skin_scopes.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <vector>

namespace {

enum : UINT { kOpen = 100, kSave = 101, kExit = 102, kPolling = 103, kDaily = 104, kWeekly = 105, kAbout = 120 };

// The test frame: every command has a handler; the update handlers check
// Polling, make Daily the chosen radio item and disable Exit.
class CPopupTestFrame : public CSkinFrameWnd {
public:
    void OnAnyCommand(UINT) {}
    void OnUpdatePolling(CCmdUI* ui) { ui->SetCheck(1); }
    void OnUpdateDaily(CCmdUI* ui) { ui->SetRadio(TRUE); }
    void OnUpdateWeekly(CCmdUI* ui) { ui->SetRadio(FALSE); }
    void OnUpdateExit(CCmdUI* ui) { ui->Enable(FALSE); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CPopupTestFrame, CSkinFrameWnd)
    ON_COMMAND_RANGE(100, 120, OnAnyCommand)
    ON_UPDATE_COMMAND_UI(kPolling, OnUpdatePolling)
    ON_UPDATE_COMMAND_UI(kDaily, OnUpdateDaily)
    ON_UPDATE_COMMAND_UI(kWeekly, OnUpdateWeekly)
    ON_UPDATE_COMMAND_UI(kExit, OnUpdateExit)
END_MESSAGE_MAP()

// A frame as the programs make theirs, with the toolbar's icons in its menus.
struct Frame {
    CPopupTestFrame* wnd = new CPopupTestFrame;
    RECT rect = {};
    Frame()
    {
        if (!wnd->LoadFrame(210, WS_OVERLAPPEDWINDOW)) {
            wnd = nullptr;
            return;
        }
        wnd->GetDefaultMenu().LoadToolBar(128, 144, RGB(255, 0, 255));
        wnd->SetWindowPos(nullptr, 60, 60, 360, 260, SWP_NOZORDER | SWP_SHOWWINDOW);
        wnd->SetForegroundWindow();
        wnd->UpdateWindow();
        wnd->GetWindowRect(&rect);
    }
    ~Frame()
    {
        if (wnd) wnd->DestroyWindow();   // deletes itself
    }
    HMENU File() const { return GetSubMenu(wnd->GetDefaultMenu().m_hMenu, 0); }
    // Opens a menu as the keyboard does (Alt+key; ' ' the system menu) and
    // runs inspect while it is on screen.
    OpenPopup Open(char key, const char* png, const std::function<void(const OpenPopup&)>& inspect = {})
    {
        return CapturePopupMenu([&] { wnd->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, key); }, png, &rect, inspect);
    }
    // After a draw-mode change: the bar brush of the new mode, the bar redrawn.
    void Restyle()
    {
        ApplyMenuBarBrush(wnd->GetDefaultMenu().m_hMenu);
        wnd->DrawMenuBar();
        wnd->RedrawWindow(nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    }
};

// Draw mode (and the Wine reading, so that even modes can be had) for one test.
struct ThemeScope {
    SkinEnvironmentScope environment;
    DrawModeScope drawMode;
    explicit ThemeScope(int m, bool asOnWindows = true) : environment(Reading(asOnWindows)), drawMode(m) {}
    static SkinEnvironmentOverride Reading(bool asOnWindows)
    {
        SkinEnvironmentOverride o;
        if (asOnWindows) o.wine = 0;
        return o;
    }
};

// The screen's pixels of a window, read from the screen DC as they show.
struct ScreenPixels {
    int width = 0, height = 0;
    std::vector<DWORD> px;
    explicit ScreenPixels(const RECT& r) : width(r.right - r.left), height(r.bottom - r.top)
    {
        CScreenDC screen;
        CBitmap bits;
        bits.Attach(CreateCompatibleBitmap(screen, width, height));
        {
            CMemoryDC dc(screen, bits);
            dc.BitBlt(0, 0, width, height, &screen, r.left, r.top, SRCCOPY);
        }
        Read(bits);
    }
    ScreenPixels(HBITMAP bitmap, int w, int h) : width(w), height(h) { Read(bitmap); }
    COLORREF At(int x, int y) const
    {
        DWORD p = px[(size_t)y * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    void Read(HBITMAP bitmap)
    {
        px.assign((size_t)width * height, 0);
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB};
        CScreenDC screen;
        GetDIBits(screen, bitmap, 0, height, px.data(), &bi, DIB_RGB_COLORS);
    }
};

// What WM_PRINT of a window gives, in a bitmap of the window's size.
ScreenPixels Printed(HWND wnd, const RECT& r)
{
    int w = r.right - r.left, h = r.bottom - r.top;
    CScreenDC screen;
    CBitmap bits;
    bits.Attach(CreateCompatibleBitmap(screen, w, h));
    {
        CMemoryDC dc(screen, bits);
        dc.FillSolidRect(0, 0, w, h, RGB(1, 2, 3));
        SendMessageA(wnd, WM_PRINT, (WPARAM)(HDC)dc, PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    }
    return ScreenPixels(bits, w, h);
}

int Differences(const ScreenPixels& a, const ScreenPixels& b)
{
    int n = 0;
    for (int y = 0; y < a.height && y < b.height; ++y)
        for (int x = 0; x < a.width && x < b.width; ++x) n += a.At(x, y) != b.At(x, y);
    return n;
}

SIZE SizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }

} // namespace

// The shipped look under Wine (draw mode 2 gives 3): the system border, the
// items painted by the XP painter, icons and the radio bullet of an update
// handler's SetRadio.
TEST(SkinPopupScreen, ShippedLookUnderWine)
{
    Frame f;
    ASSERT_NE(nullptr, f.wnd);
    ThemeScope theme(2, false);
    EXPECT_EQ(3, GetMenuDrawMode());
    f.Restyle();
    bool skinned = false;
    MENUITEMINFOA daily = {}, weekly = {};
    RECT dailyRect = {};
    std::vector<COLORREF> dailyBox;
    OpenPopup p = f.Open('f', "skin_popup_mode3.png", [&](const OpenPopup& seen) {
        skinned = GetMenuHookData(seen.window) != nullptr;
        for (MENUITEMINFOA* mii : {&daily, &weekly}) {
            mii->cbSize = sizeof *mii;
            mii->fMask = MIIM_CHECKMARKS | MIIM_STATE;
            GetMenuItemInfoA(seen.menu, mii == &daily ? kDaily : kWeekly, FALSE, mii);
        }
        GetMenuItemRect(f.wnd->m_hWnd, seen.menu, 4, &dailyRect);
        ScreenPixels shown(dailyRect);
        for (int y = 0; y < shown.height; ++y)
            for (int x = 0; x < 24 && x < shown.width; ++x) dailyBox.push_back(shown.At(x, y));
    });
    ASSERT_EQ(f.File(), p.menu);
    EXPECT_TRUE(p.ownerDrawn);
    EXPECT_TRUE(skinned);
    EXPECT_TRUE(p.saved);
    // The update handlers ran: Daily checked with the radio dot, Weekly not.
    EXPECT_TRUE(daily.fState & MFS_CHECKED);
    EXPECT_NE(nullptr, daily.hbmpChecked);
    EXPECT_EQ(nullptr, daily.hbmpUnchecked);
    EXPECT_FALSE(weekly.fState & MFS_CHECKED);
    // On screen the Daily item's box shows what the painter draws for a radio
    // item: the same item painted into memory, and not the check mark.
    SIZE item = SizeOf(dailyRect);
    ASSERT_GT(item.cx, 24);
    CSkinMenu* file = CSkinMenu::FromMenuHandle(f.File());
    ASSERT_NE(nullptr, file);
    auto paint = [&](HBITMAP checkedBitmap) {
        CScreenDC screen;
        CBitmap bits;
        bits.Attach(CreateCompatibleBitmap(screen, item.cx, item.cy));
        {
            CMemoryDC dc(screen, bits);
            SetMenuItemBitmaps(f.File(), kDaily, MF_BYCOMMAND, nullptr, checkedBitmap);
            DRAWITEMSTRUCT dis = {ODT_MENU, 0, kDaily, ODA_DRAWENTIRE, ODS_CHECKED, (HWND)f.File(), dc,
                                  {0, 0, item.cx, item.cy}, (ULONG_PTR)file->GetItemData()[4]};
            file->DrawItem(&dis);
        }
        ScreenPixels drawn(bits, item.cx, item.cy);
        std::vector<COLORREF> box;
        for (int y = 0; y < item.cy; ++y)
            for (int x = 0; x < 24; ++x) box.push_back(drawn.At(x, y));
        return box;
    };
    std::vector<COLORREF> asRadio = paint(daily.hbmpChecked), asCheck = paint(nullptr);
    EXPECT_EQ(asRadio, dailyBox);
    EXPECT_NE(asCheck, dailyBox);
    EXPECT_EQ(0, GetSubclassedPopupCount());
}

// A theme with its own border (draw mode 2 where the system draws none): the
// popup grows by 2, its client area sits inside the library's border, the
// border and the shadow over the captured screen are the theme's, and
// WM_PRINT gives the pixels on screen.
TEST(SkinPopupScreen, OwnBorderFrameShadowAndPrint)
{
    Frame f;
    ASSERT_NE(nullptr, f.wnd);
    ASSERT_FALSE(IsDropShadowEnabled());   // Wine: the library paints the shadow
    SIZE plain = {};
    {
        ThemeScope theme(3);
        f.Restyle();
        OpenPopup p = f.Open('f', nullptr);
        plain = SizeOf(p.rect);
    }
    ThemeScope theme(2);
    ASSERT_EQ(2, GetMenuDrawMode());
    f.Restyle();
    RECT window = {}, client = {};
    std::vector<COLORREF> problems;
    int printedDifferences = -1;
    ScreenPixels* shown = nullptr;
    COLORREF capturedAt[3] = {}, frameMenu = 0;
    OpenPopup p = f.Open('f', "skin_popup_mode2_frame.png", [&](const OpenPopup& seen) {
        GetWindowRect(seen.window, &window);
        GetClientRect(seen.window, &client);
        MapWindowPoints(seen.window, nullptr, (LPPOINT)&client, 2);
        shown = new ScreenPixels(window);
        CMenuHookData* data = GetMenuHookData(seen.window);
        if (data && data->capture.GetSafeHandle()) {
            ScreenPixels capture((HBITMAP)data->capture.GetSafeHandle(), SizeOf(window).cx + 10,
                                 SizeOf(window).cy + 10);
            int w = SizeOf(window).cx;
            capturedAt[0] = capture.At(w - 1, 2);
            capturedAt[1] = capture.At(w - 1, 12);
            capturedAt[2] = capture.At(w - 4, 12);
        }
        frameMenu = GetMenuBackgroundColor(seen.menu);
        printedDifferences = Differences(*shown, Printed(seen.window, window));
    });
    ASSERT_NE(nullptr, p.window) << "no popup opened";
    ASSERT_NE(nullptr, shown);
    SIZE size = SizeOf(window);
    EXPECT_EQ(plain.cx + 2, size.cx);
    EXPECT_EQ(plain.cy + 2, size.cy);
    // Non-client area from the theme: 2 left and top, 5 right, 6 below.
    EXPECT_EQ(window.left + 2, client.left);
    EXPECT_EQ(window.top + 2, client.top);
    EXPECT_EQ(window.right - 5, client.right);
    EXPECT_EQ(window.bottom - 6, client.bottom);
    // The flat frame: dark outline, light inner line, the shadow over the screen.
    COLORREF dark = DarkenColor(128, frameMenu), light = MixColors86To14(GetSysColor(COLOR_WINDOW), frameMenu);
    EXPECT_EQ(dark, shown->At(0, 10));
    EXPECT_EQ(dark, shown->At(size.cx - 5, 10));
    EXPECT_EQ(dark, shown->At(10, size.cy - 5));
    EXPECT_EQ(light, shown->At(1, 1));
    EXPECT_EQ(capturedAt[0], shown->At(size.cx - 1, 2));
    EXPECT_EQ(DarkenColor(30, capturedAt[1]), shown->At(size.cx - 1, 12));
    EXPECT_EQ(DarkenColor(120, capturedAt[2]), shown->At(size.cx - 4, 12));
    EXPECT_EQ(0, printedDifferences);
    delete shown;
    EXPECT_EQ(0, GetSubclassedPopupCount());
}

// The system's print path of a popup in the shipped mode gives the screen too.
TEST(SkinPopupScreen, PrintOfTheShippedLook)
{
    Frame f;
    ASSERT_NE(nullptr, f.wnd);
    ThemeScope theme(3);
    f.Restyle();
    int differences = -1;
    f.Open('f', nullptr, [&](const OpenPopup& seen) {
        RECT r;
        GetWindowRect(seen.window, &r);
        differences = Differences(ScreenPixels(r), Printed(seen.window, r));
    });
    EXPECT_EQ(0, differences);
}

// A popup announced for a skin menu that never opened must not skin the next
// popup, a foreign one opened through the menu loop.
TEST(SkinPopupScreen, StaleAnnouncementLeavesAForeignPopupAlone)
{
    Frame f;
    ASSERT_NE(nullptr, f.wnd);
    HandleInitMenuPopup(f.wnd, CMenu::FromHandle(GetSubMenu(f.File(), 6)), 6, FALSE);
    CMenu foreign;
    foreign.CreatePopupMenu();
    foreign.AppendMenu(MF_STRING, 300, "Foreign");
    bool skinned = true;
    OpenPopup p = CapturePopupMenu(
        [&] { foreign.TrackPopupMenu(TPM_LEFTALIGN, f.rect.left + 50, f.rect.top + 80, f.wnd); }, nullptr, nullptr,
        [&](const OpenPopup& seen) { skinned = GetMenuHookData(seen.window) != nullptr; });
    EXPECT_EQ(foreign.m_hMenu, p.menu);
    EXPECT_FALSE(skinned);
    // A skin popup opened the same way is skinned (created before its announcement).
    OpenPopup mine = CapturePopupMenu(
        [&] { CMenu::FromHandle(f.File())->TrackPopupMenu(TPM_LEFTALIGN, f.rect.left + 50, f.rect.top + 80, f.wnd); },
        nullptr, nullptr, [&](const OpenPopup& seen) { skinned = GetMenuHookData(seen.window) != nullptr; });
    EXPECT_EQ(f.File(), mine.menu);
    EXPECT_TRUE(skinned);
    foreign.DestroyMenu();
}

// Every theme on screen (screenshots in the build tree), and no GDI object
// left after many openings in the shipped mode and a framing one.
TEST(SkinPopupScreen, EveryThemeAndManyOpenings)
{
    Frame f;
    ASSERT_NE(nullptr, f.wnd);
    for (int mode = 0; mode < 12; ++mode) {
        ThemeScope theme(mode);
        ASSERT_EQ(mode, GetMenuDrawMode());
        f.Restyle();
        char name[40];
        snprintf(name, sizeof name, "skin_theme_%02d.png", mode);
        OpenPopup p = f.Open('f', name);
        EXPECT_TRUE(p.saved) << mode;
        EXPECT_TRUE(p.ownerDrawn) << mode;
    }
    ASSERT_TRUE(GdiCensusWorks());
    for (int mode : {3, 2, 8}) {
        ThemeScope theme(mode);
        f.Restyle();
        int before = -1, opened = 0;
        for (int round = 0; round < 8; ++round) {
            for (char key : {'f', 'h', ' '}) {
                opened += f.Open(key, nullptr, [&](const OpenPopup& seen) {
                    RECT r;
                    GetWindowRect(seen.window, &r);
                    Printed(seen.window, r);
                }).menu != nullptr;
            }
            if (round == 0) before = CountGdiObjects();
        }
        EXPECT_EQ(24, opened) << mode;
        EXPECT_EQ(before, CountGdiObjects()) << mode;
    }
}
