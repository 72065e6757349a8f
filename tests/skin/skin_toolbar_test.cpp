// CSkinToolBar: its three image lists (the disabled images grey-tinted with
// their outlines kept), later bitmaps, the embedded controls of a vertical
// bar, the framework's wrapped and vertical layouts under it, the custom-draw
// item states, painting on screen and the GDI objects it leaves.
#include "bars_ids.h"
#include "bars_window.h"
#include "gdi_census.h"
#include "menu_window.h"
#include "skin/drawing.h"
#include "screen_png.h"
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

const COLORREF kGround = RGB(0, 128, 0);
// The fixed pixels of outlined.bmp: magenta around a black outline (x and y
// 2 to 13 and 2 to 12) around a face of one colour per image.
const COLORREF kFaces[] = {RGB(200, 100, 40), RGB(30, 160, 220), RGB(250, 250, 250)};
const POINT kBackgroundAt = {0, 0}, kOutlineAt = {2, 2}, kFaceAt = {6, 6};

// The grey tint worked out here from the input pixel.
COLORREF Tinted(COLORREF pixel, COLORREF tint)
{
    int grey = (GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel)) / 3;
    auto ch = [&](int t) { return (110 * grey + 145 * t) / 256; };
    return RGB(ch(GetRValue(tint)), ch(GetGValue(tint)), ch(GetBValue(tint)));
}

// Draws one image of a list transparently on the ground colour; the pixel at p.
COLORREF DrawnPixel(HIMAGELIST list, int index, POINT p)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = 15;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    CBitmap target;
    target.Attach(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    CMemoryDC dc(nullptr, target);
    RECT all = {0, 0, 16, 15};
    CBrush ground(kGround);
    FillRect(dc, &all, ground);
    ImageList_Draw(list, index, dc, 0, 0, ILD_TRANSPARENT);
    return GetPixel(dc, p.x, p.y);
}

// A bitmap of n images in the pattern of outlined.bmp with the given faces.
HBITMAP MakeOutlinedBitmap(const std::vector<COLORREF>& faces)
{
    int w = 16 * (int)faces.size();
    CScreenDC screen;
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, 15);
    CMemoryDC dc(nullptr, bitmap);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < 15; ++y) {
            int lx = x % 16;
            bool inside = lx >= 2 && lx <= 13 && y >= 2 && y <= 12;
            bool edge = lx == 2 || lx == 13 || y == 2 || y == 12;
            SetPixelV(dc, x, y, !inside ? RGB(255, 0, 255) : edge ? RGB(0, 0, 0) : faces[x / 16]);
        }
    return bitmap;
}

// Checks images first.. of the lists against the faces they were made from.
void ExpectImages(CSkinToolBar& bar, int first, const std::vector<COLORREF>& faces)
{
    COLORREF tint = SkinToolBarDisabledTint();
    for (size_t k = 0; k < faces.size(); ++k) {
        int i = first + (int)k;
        SCOPED_TRACE(i);
        EXPECT_EQ(kGround, DrawnPixel(bar.m_ilNormal, i, kBackgroundAt));
        EXPECT_EQ(RGB(0, 0, 0), DrawnPixel(bar.m_ilNormal, i, kOutlineAt));
        EXPECT_EQ(faces[k], DrawnPixel(bar.m_ilNormal, i, kFaceAt));
        EXPECT_EQ(kGround, DrawnPixel(bar.m_ilDisabled, i, kBackgroundAt)) << "disabled background transparent";
        EXPECT_EQ(Tinted(RGB(0, 0, 0), tint), DrawnPixel(bar.m_ilDisabled, i, kOutlineAt)) << "outline opaque";
        EXPECT_EQ(Tinted(faces[k], tint), DrawnPixel(bar.m_ilDisabled, i, kFaceAt));
    }
}

struct ShadedScope {
    int previous;
    explicit ShadedScope(int on) : previous(SetUseShadedIcons(on)) {}
    ~ShadedScope() { SetUseShadedIcons(previous); }
};

const std::vector<COLORREF> kResourceFaces(std::begin(kFaces), std::end(kFaces));

} // namespace

TEST(SkinToolBar, ThreeListsOfTheButtonCountAndTheControlsList)
{
    DrawModeScope mode(2);
    for (int shaded : {1, 0}) {
        SCOPED_TRACE(shaded);
        ShadedScope option(shaded);
        FrameScope f(NewBarsFrame());
        ASSERT_NE(nullptr, f.frame);
        CSkinToolBar& bar = f.frame->m_toolbar;
        EXPECT_EQ(3, bar.m_ilNormal.GetImageCount());
        EXPECT_EQ(3, bar.m_ilShaded.GetImageCount());
        EXPECT_EQ(3, bar.m_ilDisabled.GetImageCount());
        HIMAGELIST given = (HIMAGELIST)bar.SendMessage(TB_GETIMAGELIST);
        EXPECT_EQ(shaded ? bar.m_ilShaded.GetSafeHandle() : bar.m_ilNormal.GetSafeHandle(), given);
    }
}

TEST(SkinToolBar, DisabledImagesAreGreyTintedWithOpaqueOutlines)
{
    for (int drawMode : {2, 8}) {
        SCOPED_TRACE(drawMode);
        DrawModeScope mode(drawMode);
        FrameScope f(NewBarsFrame());
        ASSERT_NE(nullptr, f.frame);
        ExpectImages(f.frame->m_toolbar, 0, kResourceFaces);
    }
}

TEST(SkinToolBar, MissingBitmapLeavesTheListsAsTheyAre)
{
    DrawModeScope mode(2);
    FrameScope f(NewBarsFrame());
    ASSERT_NE(nullptr, f.frame);
    CSkinToolBar& bar = f.frame->m_toolbar;
    HIMAGELIST before = bar.m_ilNormal.GetSafeHandle();
    EXPECT_EQ(0, bar.LoadToolBarBitmap(999, 0xFF00FF));
    EXPECT_EQ(before, bar.m_ilNormal.GetSafeHandle());
    EXPECT_EQ(3, bar.m_ilDisabled.GetImageCount());
}

TEST(SkinToolBar, LaterBitmapsAreAddedAndReplacedWhole)
{
    DrawModeScope mode(2);
    FrameScope f(NewBarsFrame());
    ASSERT_NE(nullptr, f.frame);
    CSkinToolBar& bar = f.frame->m_toolbar;
    TBADDBITMAP more = {GetModuleHandleA(nullptr), IDB_BARS_MORE};
    LRESULT first = bar.SendMessage(TB_ADDBITMAP, 3, (LPARAM)&more);
    ASSERT_EQ(3, first);
    EXPECT_EQ(6, bar.m_ilNormal.GetImageCount());
    EXPECT_EQ(6, bar.m_ilShaded.GetImageCount());
    EXPECT_EQ(6, bar.m_ilDisabled.GetImageCount());
    ExpectImages(bar, 3, kResourceFaces);

    const std::vector<COLORREF> faces = {RGB(10, 20, 250), RGB(240, 200, 10), RGB(90, 90, 90)};
    CBitmap replacement;
    replacement.Attach(MakeOutlinedBitmap(faces));
    TBREPLACEBITMAP rb = {GetModuleHandleA(nullptr), IDB_BARS_MORE, nullptr, (UINT_PTR)replacement.GetSafeHandle(), 3};
    ASSERT_TRUE(bar.SendMessage(TB_REPLACEBITMAP, 0, (LPARAM)&rb));
    EXPECT_EQ(6, bar.m_ilNormal.GetImageCount());
    EXPECT_EQ(6, bar.m_ilDisabled.GetImageCount());
    ExpectImages(bar, 0, kResourceFaces);
    ExpectImages(bar, 3, faces);
}

TEST(SkinToolBar, ItemStateFromTheButtonState)
{
    const BYTE E = TBSTATE_ENABLED, P = TBSTATE_PRESSED, C = TBSTATE_CHECKED, I = TBSTATE_INDETERMINATE;
    struct Case {
        BYTE state;
        BOOL focusedUnderCursor;
        UINT expected;
    } cases[] = {
        {E, FALSE, 0},
        {E, TRUE, CDIS_HOT},
        {E | P, TRUE, CDIS_HOT | CDIS_SELECTED},
        {E | P, FALSE, CDIS_HOT},                    // the mouse left while pressed
        {0, FALSE, CDIS_DISABLED},
        {0, TRUE, CDIS_DISABLED},                    // a disabled button is never hot
        {E | C, FALSE, CDIS_CHECKED},
        {E | C, TRUE, CDIS_CHECKED | CDIS_HOT},
        {E | I, FALSE, CDIS_INDETERMINATE},
        {I, TRUE, CDIS_INDETERMINATE | CDIS_DISABLED},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, SkinToolButtonItemState(c.state, c.focusedUnderCursor))
            << "state " << (int)c.state << " focused " << c.focusedUnderCursor;
}

namespace {
// A combo box placed in the toolbar on the separator after the first button.
HWND EmbedCombo(CSkinToolBar& bar)
{
    bar.SetButtonInfo(1, ID_BARS_COMBO, TBSTYLE_SEP, 100);
    return CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 0, 0, 90, 120, bar.m_hWnd,
                           (HMENU)ID_BARS_COMBO, GetModuleHandleA(nullptr), nullptr);
}

RECT ChildRect(HWND parent, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
    return r;
}
} // namespace

TEST(SkinToolBar, EmbeddedControlHiddenDockedVerticallyAndCentredAgainHorizontally)
{
    DrawModeScope mode(2);
    FrameScope f(NewBarsFrame());
    ASSERT_NE(nullptr, f.frame);
    CSkinToolBar& bar = f.frame->m_toolbar;
    HWND combo = EmbedCombo(bar);
    ASSERT_NE(nullptr, combo);
    int buttonHeight = HIWORD(bar.SendMessage(TB_GETBUTTONSIZE));

    CSize vertical = bar.CalcDynamicLayout(-1, LM_VERTDOCK | LM_COMMIT);
    EXPECT_FALSE(IsWindowVisible(combo));
    EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONHIDDEN, ID_BARS_COMBO));
    EXPECT_GE(vertical.cy, 3 * buttonHeight) << "one button a row";
    EXPECT_LT(vertical.cx, 100) << "the placeholder's width does not count";

    CSize horizontal = bar.CalcDynamicLayout(-1, LM_HORZDOCK | LM_COMMIT);
    EXPECT_TRUE(IsWindowVisible(combo));
    EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONHIDDEN, ID_BARS_COMBO));
    EXPECT_GE(horizontal.cx, 100 + 3 * 16);
    RECT item;
    ASSERT_TRUE(bar.SendMessage(TB_GETITEMRECT, 1, (LPARAM)&item));
    RECT placed = ChildRect(bar.m_hWnd, combo);
    int height = placed.bottom - placed.top;
    EXPECT_EQ(item.left + 1, placed.left);
    EXPECT_EQ(item.right - 1, placed.right);
    EXPECT_EQ(item.top + 1 + (item.bottom - item.top - 2 - height) / 2, placed.top);
}

namespace {
// The visible buttons' rows as the control placed them, and their bounds.
struct Placed {
    int rows = 0;
    CSize bounds;
};
Placed PlacedButtons(CToolBar& bar)
{
    Placed p;
    std::set<LONG> tops;
    for (int i = 0; i < bar.GetCount(); ++i) {
        if (bar.SendMessage(TB_ISBUTTONHIDDEN, bar.GetItemID(i))) continue;
        RECT r;
        bar.GetItemRect(i, &r);
        if (IsRectEmpty(&r)) continue;
        if (bar.GetItemID(i) != ID_SEPARATOR) tops.insert(r.top);
        p.bounds.cx = std::max<LONG>(p.bounds.cx, r.right);
        p.bounds.cy = std::max<LONG>(p.bounds.cy, r.bottom);
    }
    p.rows = (int)tops.size();
    return p;
}
} // namespace

TEST(ToolBarLayout, RowsOfTheDockedAndFloatingLayouts)
{
    DrawModeScope mode(0);
    FrameScope f(NewBarsFrame());
    ASSERT_NE(nullptr, f.frame);
    CSkinToolBar& bar = f.frame->m_toolbar;
    int bw = LOWORD(bar.SendMessage(TB_GETBUTTONSIZE)), bh = HIWORD(bar.SendMessage(TB_GETBUTTONSIZE));
    // Buttons 200, separator, 201, 202.
    struct Case {
        const char* name;
        int length;
        DWORD mode;
        int rows;
    } cases[] = {
        {"docked horizontally", -1, LM_HORZDOCK | LM_HORZ, 1},
        {"docked vertically", -1, LM_VERTDOCK, 3},
        {"floating, room for all", 4 * bw, LM_HORZ, 1},
        {"floating, two buttons wide", 2 * bw + 8, LM_HORZ, 2},
        {"floating, one button wide", bw, LM_HORZ, 3},
        {"floating, two rows high", 2 * bh + bh, LM_HORZ | LM_LENGTHY, 2},
        {"floating, too low for two rows", 2 * bh - 1, LM_HORZ | LM_LENGTHY, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSize size = bar.CalcDynamicLayout(c.length, c.mode | LM_COMMIT);
        Placed placed = PlacedButtons(bar);
        EXPECT_EQ(c.rows, placed.rows);
        CRect inside(0, 0, 0, 0);
        bar.CalcInsideRect(inside, (c.mode & LM_VERTDOCK) == 0);
        // The computed size is where the control put the buttons.
        EXPECT_EQ(placed.bounds.cx, size.cx - (inside.left - inside.right));
        EXPECT_EQ(placed.bounds.cy, size.cy - (inside.top - inside.bottom));
        if (!(c.mode & (LM_HORZDOCK | LM_VERTDOCK))) {
            EXPECT_EQ(size.cx, bar.m_nMRUWidth) << "a committed floating width is kept";
            if (c.mode & LM_LENGTHY) EXPECT_LE(size.cy, c.length);
            // A separator that ends a row stays in it, past the width.
            else EXPECT_LE(size.cx - (inside.left - inside.right), std::max(c.length, bw) + 8);
        }
    }
    // The kept width gives the same layout again.
    CSize floating = bar.CalcDynamicLayout(2 * bw + 8, LM_HORZ | LM_COMMIT);
    CSize again = bar.CalcDynamicLayout(0, LM_HORZ | LM_MRUWIDTH);
    EXPECT_EQ(floating.cx, again.cx);
    EXPECT_EQ(floating.cy, again.cy);
    // Stretched docked bars take the whole length.
    EXPECT_EQ(32767, bar.CalcDynamicLayout(-1, LM_HORZDOCK | LM_HORZ | LM_STRETCH).cx);
    EXPECT_EQ(32767, bar.CalcDynamicLayout(-1, LM_VERTDOCK | LM_STRETCH).cy);
}

TEST(ToolBarLayout, EmptyBarIsOneButtonHigh)
{
    DrawModeScope mode(0);
    FrameScope f(NewBarsFrame());
    ASSERT_NE(nullptr, f.frame);
    CSkinToolBar& bar = f.frame->m_toolbar;
    ASSERT_TRUE(bar.SetButtons(nullptr, 0));
    int bh = HIWORD(bar.SendMessage(TB_GETBUTTONSIZE));
    for (DWORD m : {(DWORD)(LM_HORZDOCK | LM_HORZ), (DWORD)LM_VERTDOCK, (DWORD)LM_HORZ, (DWORD)(LM_HORZ | LM_LENGTHY)}) {
        SCOPED_TRACE(m);
        CSize size = bar.CalcDynamicLayout(50, m | LM_COMMIT);
        CRect inside(0, 0, 0, 0);
        bar.CalcInsideRect(inside, (m & LM_VERTDOCK) == 0);
        EXPECT_EQ(0, size.cx - (inside.left - inside.right));
        EXPECT_EQ(bh, size.cy - (inside.top - inside.bottom));
    }
}

namespace {
COLORREF ScreenPixel(HWND wnd, POINT client)
{
    ClientToScreen(wnd, &client);
    CScreenDC screen;
    return GetPixel(screen, client.x, client.y);
}
} // namespace

TEST(SkinToolBar, PaintsDisabledButtonsWithTheirGreyImage)
{
    DrawModeScope mode(2);
    ShadedScope option(1);
    FrameScope f(NewBarsFrame());
    ASSERT_NE(nullptr, f.frame);
    CSkinToolBar& bar = f.frame->m_toolbar;
    bar.SendMessage(TB_ENABLEBUTTON, ID_BARS_SECOND, FALSE);
    SetCursorPos(0, 0);   // no button hot
    PaintNow(f.frame->m_hWnd);
    PumpPending();
    // Where the image of each button lies: centred in its rectangle.
    auto imageOrigin = [&](int index) {
        RECT r;
        bar.GetItemRect(index, &r);
        return POINT{r.left + (r.right - r.left - 16) / 2, r.top + (r.bottom - r.top - 15) / 2};
    };
    POINT second = imageOrigin(bar.CommandToIndex(ID_BARS_SECOND));
    COLORREF tint = SkinToolBarDisabledTint();
    EXPECT_EQ(GetScreenNearestColor(Tinted(kFaces[1], tint)),
              ScreenPixel(bar.m_hWnd, {second.x + kFaceAt.x, second.y + kFaceAt.y}));
    EXPECT_EQ(GetScreenNearestColor(Tinted(RGB(0, 0, 0), tint)),
              ScreenPixel(bar.m_hWnd, {second.x + kOutlineAt.x, second.y + kOutlineAt.y}));
    // An enabled button at rest shows the shaded image.
    POINT first = imageOrigin(bar.CommandToIndex(ID_BARS_FIRST));
    EXPECT_EQ(GetScreenNearestColor(DarkenColor(GetIconShadeAmount(), kFaces[0])),
              ScreenPixel(bar.m_hWnd, {first.x + kFaceAt.x, first.y + kFaceAt.y}));

    RECT shot;
    GetWindowRect(bar.m_hWnd, &shot);
    EXPECT_TRUE(SaveScreenPng(BuildTreePath("skin_toolbar_disabled.png").c_str(), shot));
}

TEST(SkinToolBar, NoGdiObjectLeftAfterManyFrames)
{
    if (!GdiCensusWorks()) GTEST_SKIP() << "GDI census unavailable";
    DrawModeScope mode(8);
    auto cycle = [] {
        FrameScope f(NewBarsFrame());
        ASSERT_NE(nullptr, f.frame);
        CSkinToolBar& bar = f.frame->m_toolbar;
        bar.LoadToolBarBitmap(IDB_BARS_IMAGES, 0xFF000000);
        TBADDBITMAP more = {GetModuleHandleA(nullptr), IDB_BARS_MORE};
        bar.SendMessage(TB_ADDBITMAP, 3, (LPARAM)&more);
        CBitmap replacement;
        replacement.Attach(MakeOutlinedBitmap({RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9)}));
        TBREPLACEBITMAP rb = {GetModuleHandleA(nullptr), IDB_BARS_MORE, nullptr,
                              (UINT_PTR)replacement.GetSafeHandle(), 3};
        bar.SendMessage(TB_REPLACEBITMAP, 0, (LPARAM)&rb);
        PaintNow(f.frame->m_hWnd);
        PumpPending();
    };
    cycle();   // first-use caches (brushes, fonts) settle
    int before = CountGdiObjects();
    for (int i = 0; i < 20; ++i) cycle();
    EXPECT_EQ(before, CountGdiObjects());
}
