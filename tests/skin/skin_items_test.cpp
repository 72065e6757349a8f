// Menu item data, measuring, mnemonics and the owner-draw conversion: the pure
// parts of the skinned menus, on real menu handles without a window.
#include "skin/drawing.h"
#include "skin/menuicons.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"
#include "skin_scopes.h"
#include <gtest/gtest.h>
#include <string>

namespace {

SIZE MenuTextExtent(const char* text, bool bold)
{
    LOGFONTA lf = GetMenuLogFont();
    if (bold) lf.lfWeight = FW_BOLD;
    CFont font;
    font.CreateFontIndirect(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE sz = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &sz);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return sz;
}

typedef void (CSkinMenu::*MeasureOp)(MEASUREITEMSTRUCT*, BOOL);

SIZE Measure(CSkinMenu& menu, MeasureOp op, int pos, BOOL bar)
{
    CSkinMenuItemData* d = menu.GetItemData()[pos];
    MEASUREITEMSTRUCT mis = {ODT_MENU, 0, (UINT)d->m_nID, 0, 0, (ULONG_PTR)d};
    (menu.*op)(&mis, bar);
    return {(LONG)mis.itemWidth, (LONG)mis.itemHeight};
}

int Biggest(int a, int b, int c) { return std::max(a, std::max(b, c)); }

} // namespace

// Every theme's measure of an ordinary item, from this run's own metrics:
// {Classic, Bevel, Flat} x {bar, popup} x {mnemonic or not} x {submenu or
// command} x {default item or not}.
TEST(SkinItemMeasure, OrdinaryItemsByTheme)
{
    HMENU h = CreatePopupMenu();
    HMENU subs[2] = {CreatePopupMenu(), CreatePopupMenu()};
    AppendMenuA(subs[0], MF_STRING, 9, "x");
    AppendMenuA(subs[1], MF_STRING, 8, "y");
    AppendMenuA(h, MF_STRING, 1, "&Open");
    AppendMenuA(h, MF_STRING, 2, "Open");
    AppendMenuA(h, MF_POPUP, (UINT_PTR)subs[0], "&Open");
    AppendMenuA(h, MF_POPUP, (UINT_PTR)subs[1], "Open");
    CSkinMenu menu;
    ASSERT_TRUE(menu.LoadMenu(h));
    const int cyMenu = GetSystemMetrics(SM_CYMENU), check = GetSystemMetrics(SM_CXMENUCHECK);
    const int iw = menu.GetIconSize().cx, ih = menu.GetIconSize().cy;
    enum Style { Classic, Bevel, Flat };
    struct Op {
        Style style;
        MeasureOp op;
        const char* name;
    } ops[] = {{Classic, &CSkinMenu::MeasureItemClassic, "classic"},
               {Bevel, &CSkinMenu::MeasureItemBevel, "bevel"},
               {Flat, &CSkinMenu::MeasureItemFlat, "flat"}};
    for (const Op& op : ops) {
        for (BOOL bar : {FALSE, TRUE}) {
            for (int pos = 0; pos < 4; ++pos) {
                for (bool isDefault : {false, true}) {
                    bool mnemonic = pos == 0 || pos == 2, popup = pos >= 2;
                    SetMenuDefaultItem(h, isDefault ? pos : (UINT)-1, TRUE);
                    SIZE text = MenuTextExtent(mnemonic ? "&Open" : "Open", isDefault);
                    int w = text.cx, tall = text.cy;
                    SIZE want;
                    if (op.style == Flat) {
                        want.cx = bar ? (mnemonic ? w - 6 : w) : w + iw + 6 + (popup ? cyMenu : cyMenu / 2);
                        want.cy = bar ? Biggest(cyMenu, ih + 2, tall) : std::max(cyMenu > ih + 8 ? cyMenu : ih + 7, tall);
                    } else {
                        want.cx = bar ? (mnemonic ? w - check / 2 : w) : w + 2 * iw + 2;
                        want.cy = Biggest(cyMenu, ih + (op.style == Classic ? 4 : 6), tall);
                    }
                    SIZE got = Measure(menu, op.op, pos, bar);
                    std::string what = std::string(op.name) + (bar ? " bar" : " popup") + " pos " +
                                       std::to_string(pos) + (isDefault ? " default" : "");
                    EXPECT_EQ(want.cx, got.cx) << what;
                    EXPECT_EQ(want.cy, got.cy) << what;
                }
            }
        }
    }
    // The bold default item is wider than the same label not default.
    SetMenuDefaultItem(h, 1, TRUE);
    SIZE bold = Measure(menu, &CSkinMenu::MeasureItemFlat, 1, FALSE);
    SetMenuDefaultItem(h, (UINT)-1, TRUE);
    EXPECT_GT(bold.cx, Measure(menu, &CSkinMenu::MeasureItemFlat, 1, FALSE).cx);
}

// Separators measure 3 x 3 everywhere; a system command takes the menu height
// and the width of the next command after it; tabs count as "nnn" in the flat
// and bevel themes.
TEST(SkinItemMeasure, SeparatorsSystemCommandsAndTabs)
{
    HMENU h = CreatePopupMenu();
    AppendMenuA(h, MF_SEPARATOR, 0, nullptr);                      // 0
    AppendMenuA(h, MF_STRING, SC_CLOSE, "C");                      // 1
    AppendMenuA(h, MF_SEPARATOR, 0, nullptr);                      // 2
    AppendMenuA(h, MF_STRING, SC_RESTORE, "Restore a long label");  // 3
    AppendMenuA(h, MF_STRING, 3, "Open\tCtrl+O");                  // 4
    AppendMenuA(h, MF_STRING, SC_MINIMIZE, "A much longer label than restore");   // 5
    AppendMenuA(h, MF_STRING, SC_MAXIMIZE, "M");                   // 6: last, nothing follows
    CSkinMenu menu;
    ASSERT_TRUE(menu.LoadMenu(h));
    const int cyMenu = GetSystemMetrics(SM_CYMENU), iw = menu.GetIconSize().cx;
    for (MeasureOp op : {&CSkinMenu::MeasureItemClassic, &CSkinMenu::MeasureItemBevel, &CSkinMenu::MeasureItemFlat}) {
        for (BOOL bar : {FALSE, TRUE}) {
            SIZE sep = Measure(menu, op, 0, bar);
            EXPECT_EQ(3, sep.cx);
            EXPECT_EQ(3, sep.cy);
        }
        SIZE close = Measure(menu, op, 1, FALSE), restore = Measure(menu, op, 3, FALSE);
        SIZE open = Measure(menu, op, 4, FALSE), minimize = Measure(menu, op, 5, FALSE);
        SIZE maximize = Measure(menu, op, 6, FALSE);
        EXPECT_EQ(cyMenu, close.cy);
        EXPECT_EQ(cyMenu, restore.cy);
        EXPECT_EQ(restore.cx, close.cx);                          // separators are skipped
        EXPECT_EQ(std::max(restore.cx, open.cx), restore.cx);     // the wider of the two
        EXPECT_GT(minimize.cx, Measure(menu, op, 4, FALSE).cx);   // its own width when wider
        EXPECT_EQ(cyMenu, maximize.cy);
    }
    int classic = Measure(menu, &CSkinMenu::MeasureItemClassic, 4, FALSE).cx;
    int flat = Measure(menu, &CSkinMenu::MeasureItemFlat, 4, FALSE).cx;
    EXPECT_EQ(MenuTextExtent("Open\tCtrl+O", false).cx + 2 * iw + 2, classic);
    EXPECT_EQ(MenuTextExtent("OpennnnCtrl+O", false).cx + iw + 6 + cyMenu / 2, flat);
}

// Titles: their own colours where they have them, the defaults otherwise; a
// plain item has only the defaults.
TEST(SkinTitleItem, ColoursAndDefaults)
{
    TitleColors defaults = {GetSysColor(COLOR_CAPTIONTEXT),
                            MixColors86To14(GetSysColor(COLOR_WINDOW), GetMenuBackgroundColor(nullptr)),
                            GetSysColor(COLOR_ACTIVECAPTION)};
    CSkinMenuItemData plain;
    CSkinMenuItemDataTitle unset, partly, full;
    partly.m_clrSecond = RGB(1, 2, 3);
    full.m_clrText = RGB(10, 20, 30);
    full.m_clrSecond = RGB(40, 50, 60);
    full.m_clrBackground = RGB(0, 0, 0);   // black is a colour, not the default
    struct Case {
        const char* what;
        const CSkinMenuItemData* item;
        TitleColors want;
    } cases[] = {
        {"plain item", &plain, defaults},
        {"title without colours", &unset, defaults},
        {"title with a second colour", &partly, {defaults.text, RGB(1, 2, 3), defaults.background}},
        {"title with all three", &full, {RGB(10, 20, 30), RGB(40, 50, 60), RGB(0, 0, 0)}},
    };
    for (const Case& c : cases) {
        TitleColors got = GetTitleColors(c.item);
        EXPECT_EQ(c.want.text, got.text) << c.what;
        EXPECT_EQ(c.want.second, got.second) << c.what;
        EXPECT_EQ(c.want.background, got.background) << c.what;
    }
    EXPECT_TRUE(full.IsKindOf(RUNTIME_CLASS(CSkinMenuItemData)));
    EXPECT_EQ(nullptr, DYNAMIC_DOWNCAST(CSkinMenuItemDataTitle, &plain));
    LOGFONTA lf = GetTitleLogFont(900);
    EXPECT_STREQ("Arial", lf.lfFaceName);
    EXPECT_EQ(16, lf.lfHeight);
    EXPECT_EQ(FW_BOLD, lf.lfWeight);
    EXPECT_EQ(900, lf.lfEscapement);
}

// WM_MENUCHAR of an owner-drawn menu: the first item whose label marks the
// typed character with a single ampersand, either case; "&&" is a literal
// ampersand and marks nothing.
TEST(SkinMnemonics, FirstMarkedItemAndLiteralAmpersands)
{
    HMENU h = CreatePopupMenu();
    AppendMenuA(h, MF_STRING, 1, "R&&D");             // 0
    AppendMenuA(h, MF_STRING, 2, "&File");            // 1
    AppendMenuA(h, MF_STRING, 3, "Save && &Close");   // 2
    AppendMenuA(h, MF_STRING, 4, "&&&Print");         // 3: a literal "&", then P
    AppendMenuA(h, MF_STRING, 5, "&fetch");           // 4: f again
    AppendMenuA(h, MF_STRING, 6, "Tom && Jerry");     // 5
    CSkinMenu menu;
    ASSERT_TRUE(menu.LoadMenu(h));
    struct Case {
        char typed;
        int pos;   // -1: none
    } cases[] = {{'d', -1}, {'D', -1}, {'f', 1}, {'F', 1}, {'c', 2}, {'p', 3}, {'&', -1}, {' ', -1},
                 {'j', -1}, {'z', -1}, {'r', -1}};
    for (const Case& c : cases) {
        LRESULT want = c.pos < 0 ? 0 : MAKELRESULT(c.pos, MNC_EXECUTE);
        EXPECT_EQ(want, CSkinMenu::FindMnemonicItem((UINT)(unsigned char)c.typed, &menu)) << c.typed;
    }
    // An item added behind the menu's back is found: the menu converts again.
    AppendMenuA(h, MF_STRING, 7, "&Quit");
    EXPECT_EQ(MAKELRESULT(6, MNC_EXECUTE), CSkinMenu::FindMnemonicItem('q', &menu));
    CMenu plain;
    plain.Attach(CreatePopupMenu());
    EXPECT_EQ(0, CSkinMenu::FindMnemonicItem('q', &plain));
}

namespace {
UINT ItemType(HMENU menu, int pos)
{
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_DATA;
    GetMenuItemInfoA(menu, pos, TRUE, &mii);
    return mii.fType;
}
ULONG_PTR ItemDataOf(HMENU menu, int pos)
{
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA;
    GetMenuItemInfoA(menu, pos, TRUE, &mii);
    return mii.dwItemData;
}
int StoreReferences(CSkinMenuIcons* store)
{
    CSkinMenuIcons::AddRef(store);
    return CSkinMenuIcons::Release(store);
}
} // namespace

// The conversion of a small menu with every kind of item: "&F", a separator,
// a submenu, a bitmap item and two items of one id.
TEST(SkinConversion, EveryKindOfItem)
{
    CBitmap picture;
    ASSERT_TRUE(picture.CreateBitmap(16, 16, 1, 1, nullptr));
    HMENU h = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 20, "Inner");
    AppendMenuA(h, MF_STRING, 100, "&F");                     // 0
    AppendMenuA(h, MF_SEPARATOR, 0, nullptr);                 // 1
    AppendMenuA(h, MF_POPUP, (UINT_PTR)sub, "&Sub");          // 2
    AppendMenuA(h, MF_BITMAP, 11, (LPCSTR)(HBITMAP)picture);  // 3
    AppendMenuA(h, MF_STRING, 101, "Twin one");               // 4
    AppendMenuA(h, MF_STRING, 101, "Twin two");               // 5
    CSkinMenu menu;
    ASSERT_TRUE(menu.LoadMenu(h));
    ASSERT_EQ(6u, menu.GetItemData().size());
    const char* texts[] = {"&F", "", "&Sub", "", "Twin one", "Twin two"};
    for (int pos = 0; pos < 6; ++pos) {
        bool bitmap = pos == 3;
        EXPECT_EQ(!bitmap, (ItemType(h, pos) & MFT_OWNERDRAW) != 0) << pos;
        EXPECT_EQ(bitmap, (ItemType(h, pos) & MFT_BITMAP) != 0) << pos;
        if (!bitmap) {
            EXPECT_EQ((ULONG_PTR)menu.GetItemData()[pos], ItemDataOf(h, pos)) << pos;
        }
        EXPECT_STREQ(texts[pos], menu.GetItemData()[pos]->m_strText) << pos;
    }
    EXPECT_EQ((UINT_PTR)sub, menu.GetItemData()[2]->m_nID);
    EXPECT_EQ(11u, menu.GetItemData()[3]->m_nID);
    EXPECT_NE(menu.GetItemData()[4], menu.GetItemData()[5]);

    // Converted again (the popup opens): the same objects with the same texts.
    std::vector<CSkinMenuItemData*> first = menu.GetItemData();
    menu.OnInitMenuPopup();
    EXPECT_EQ(first, menu.GetItemData());
    for (int pos = 0; pos < 6; ++pos) EXPECT_STREQ(texts[pos], menu.GetItemData()[pos]->m_strText) << pos;

    // A removed item's data is freed: it releases its icon store reference.
    ASSERT_TRUE(menu.LoadToolBar(128, 144, RGB(255, 0, 255)));
    CSkinMenuIcons* store = menu.GetItemData()[0]->m_pIcons;
    ASSERT_NE(nullptr, store);
    int references = StoreReferences(store);
    DeleteMenu(h, 0, MF_BYPOSITION);
    menu.ConvertItemsToOwnerDraw();
    EXPECT_EQ(5u, menu.GetItemData().size());
    EXPECT_EQ(nullptr, menu.FindItemData(100));
    EXPECT_EQ(references - 1, StoreReferences(store));
    EXPECT_EQ(std::vector<CSkinMenuItemData*>(first.begin() + 1, first.end()), menu.GetItemData());
}

namespace {
// The colour of the middle of one image of a store, drawn on white.
COLORREF ImageColour(CSkinMenuIcons* store, int index)
{
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bits;
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof bi.bmiHeader, 16, -15, 1, 32, BI_RGB};
    void* pixels = nullptr;
    bits.Attach(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &pixels, nullptr, 0));
    HGDIOBJ old = dc.SelectObject(bits.m_hObject);
    dc.FillSolidRect(0, 0, 16, 15, RGB(255, 255, 255));
    ImageList_Draw(store->GetImageList(), index, dc, 0, 0, ILD_TRANSPARENT);
    COLORREF c = dc.GetPixel(8, 7);
    dc.SelectObject(old);
    return c;
}
} // namespace

// Toolbar [A, separator, B]: A shows image 0 and B image 3 (the store's i-th
// command id gets image 3i), B's shaded and disabled variants are 4 and 5, and
// a second menu reuses the store.
TEST(SkinConversion, ToolbarImagesGoToTheirCommands)
{
    SkinOptionsScope options;
    SetIconShadeAmount(60);
    CSkinMenu first, second;
    ASSERT_TRUE(first.LoadMenu(200));
    ASSERT_TRUE(second.LoadMenu(200));
    ASSERT_TRUE(first.LoadToolBar(130, 144, RGB(255, 0, 255)));
    CSkinMenuItemData* a = first.FindItemData(100);
    CSkinMenuItemData* b = first.FindItemData(101);
    ASSERT_NE(nullptr, a->m_pIcons);
    ASSERT_NE(nullptr, b->m_pIcons);
    EXPECT_EQ(0, a->m_nIconIndex);
    EXPECT_EQ(3, b->m_nIconIndex);
    EXPECT_EQ(-1, first.FindItemData(102)->m_nIconIndex);   // not on this toolbar
    CSkinMenuIcons* store = b->m_pIcons;
    EXPECT_EQ(std::vector<UINT>({100, 101}), store->GetCommandIds());
    COLORREF normal = ImageColour(store, 3);
    EXPECT_EQ(RGB(20, 180, 90), normal);   // the second image of the bitmap
    EXPECT_EQ(DarkenColor(60, normal), ImageColour(store, 4));
    EXPECT_NE(normal, ImageColour(store, 5));
    size_t stores = GetIconStoreList(false)->size();
    ASSERT_TRUE(second.LoadToolBar(130, 144, RGB(255, 0, 255)));
    EXPECT_EQ(stores, GetIconStoreList(false)->size());
    EXPECT_EQ(store, second.FindItemData(101)->m_pIcons);
    EXPECT_EQ(3, second.FindItemData(101)->m_nIconIndex);
}
