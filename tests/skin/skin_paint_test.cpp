// The item painters on 32-bit memory DCs: a real menu, made-up draw requests,
// the colours at fixed points and the state the painter hands back.
#include "skin/drawing.h"
#include "skin/itempaint.h"
#include "skin/popuphook.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"
#include "skin/systemglyphs.h"
#include "skin/testhooks.h"
#include "gdi_census.h"
#include "canvas.h"
#include "skin_scopes.h"
#include <gtest/gtest.h>
#include <string>

namespace {

const COLORREF kSentinel = RGB(7, 77, 177);

// The draw mode and the options the programs set, for one test.
struct PaintModeScope : DrawModeScope {
    explicit PaintModeScope(int m) : DrawModeScope(m)
    {
        SetSelectDisabledItems(0);
        SetUseShadedIcons(1);
        SetIconShadeAmount(0);
    }
};

COLORREF Sys(int index) { return GetSysColor(index); }

// Gradients are compared with a little room per channel.
bool Near(COLORREF a, COLORREF b)
{
    return abs(GetRValue(a) - GetRValue(b)) <= 12 && abs(GetGValue(a) - GetGValue(b)) <= 12 &&
           abs(GetBValue(a) - GetBValue(b)) <= 12;
}

enum Item { kOpen, kPlain, kChecked, kRadio, kGray, kSeparator };

// A menu bar ("&File" with a popup, "&Help" without) and the File popup:
// "&Open\tCtrl+O" with a toolbar icon, "Plain\tF5", "Checked", "Radio" (its
// check bitmap set as the framework's SetRadio does), "Gray" and a separator.
struct Fixture {
    CSkinMenu bar;
    CSkinMenu* file = nullptr;
    Fixture()
    {
        HMENU top = CreateMenu(), popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, 100, "&Open\tCtrl+O");
        AppendMenuA(popup, MF_STRING, 103, "Plain\tF5");
        AppendMenuA(popup, MF_STRING | MF_CHECKED, 104, "Checked");
        AppendMenuA(popup, MF_STRING, 105, "Radio");
        AppendMenuA(popup, MF_STRING | MF_GRAYED, 106, "Gray");
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(top, MF_POPUP, (UINT_PTR)popup, "&File");
        AppendMenuA(top, MF_STRING, 120, "&Help");
        bar.LoadMenu(top);
        file = CSkinMenu::FromMenuHandle(popup);
        bar.LoadToolBar(130, 144, RGB(255, 0, 255));
        CCmdUI radio;
        radio.m_pMenu = file;
        radio.m_nIndex = kRadio;
        radio.m_nIndexMax = (UINT)GetMenuItemCount(popup);
        radio.SetRadio(TRUE);
    }
};

typedef void (CSkinMenu::*PaintOp)(DRAWITEMSTRUCT*, BOOL);

const RECT kItem = {0, 0, 200, 22};
const RECT kBarItem = {0, 0, 60, 20};

// Paints one item; returns the state the painter left in the structure.
UINT Paint(CSkinMenu* menu, PaintOp op, int pos, UINT state, Canvas& canvas, BOOL bar = FALSE,
           const RECT& rect = kItem)
{
    CSkinMenuItemData* d = menu->GetItemData()[pos];
    DRAWITEMSTRUCT dis = {ODT_MENU, 0, (UINT)d->m_nID, ODA_DRAWENTIRE, state, (HWND)menu->m_hMenu, canvas.Dc(), rect,
                          (ULONG_PTR)d};
    (menu->*op)(&dis, bar);
    return dis.itemState;
}

// The grayed item first under the mouse (the message position changed since
// the last paint), then under the keyboard (unchanged).
void ForgetLastMessagePos() { SetLastKeyMessagePos(GetMessagePos() ^ 0x10001); }

struct Painter {
    const char* name;
    int mode;   // odd: the system border stays, as under Wine
    PaintOp op;
    bool flat;
};
const Painter kPainters[] = {
    {"XP", 3, &CSkinMenu::DrawItemXP, true},
    {"2003", 11, &CSkinMenu::DrawItem2003, true},
    {"Classic", 1, &CSkinMenu::DrawItemClassic, false},
    {"Bevel", 7, &CSkinMenu::DrawItemBevel, false},
};

// The colours each painter should show, from the library's colour rules.
struct Expected {
    COLORREF column;     // icon column of a normal item (at its left edge)
    COLORREF back;       // text area of a normal item
    COLORREF selected;   // inside a selected item without icon
    COLORREF frame;      // top-left pixel of a selected item
    COLORREF checkBox;   // inside the box of a checked item, not selected
    bool gradient;       // backgrounds are gradients: compared with room
    bool focusRect;      // the keyboard frame is a focus rectangle (else the selection outline)
};

Expected ExpectedColours(const Painter& p, HMENU menu)
{
    Expected e = {};
    if (p.mode == 3) {
        COLORREF bar = GetMenuBarColor(menu);
        e.column = MixColors86To14(bar, Sys(COLOR_WINDOW));
        e.back = MixColors86To14(Sys(COLOR_WINDOW), bar);
        e.selected = GetSelectionBackColor();
        e.frame = Sys(COLOR_HIGHLIGHT);
        e.checkBox = MixColors86To14(e.column, Sys(COLOR_HIGHLIGHT));
    } else if (p.mode == 11) {
        COLORREF w = DarkenColor(10, Sys(COLOR_WINDOW));
        e.back = MixColors86To14(w, GetMenuBackgroundColor(nullptr));
        if (e.back == GetThemeBarBaseColor()) e.back = w;
        e.column = e.back;   // the column's gradient starts at the outer edge
        e.selected = RGB(255, 238, 194);
        e.frame = Sys(COLOR_HIGHLIGHT);
        e.checkBox = RGB(255, 192, 111);
    } else if (p.mode == 1) {
        e.column = e.back = Sys(COLOR_MENU);
        e.selected = e.frame = Sys(COLOR_HIGHLIGHT);
        e.focusRect = true;
    } else {
        COLORREF m = GetMenuBackgroundColor(nullptr);
        e.column = e.back = LightenColor(30, m);   // top row of the gradient
        e.selected = LightenColor(30, Sys(COLOR_HIGHLIGHT));
        e.frame = DarkenColor(60, m);
        e.gradient = e.focusRect = true;
    }
    return e;
}

#define EXPECT_COLOUR(e, want, got) \
    EXPECT_TRUE((e).gradient ? Near(want, got) : (want) == (got)) << std::hex << (want) << " " << (got)

} // namespace

// Normal, selected, grayed (mouse, then keyboard) and checked items of every
// painter: the colours at fixed points and the state handed back.
TEST(SkinPainters, PopupItemStates)
{
    Fixture f;
    ASSERT_NE(nullptr, f.file);
    for (const Painter& p : kPainters) {
        PaintModeScope scope(p.mode);
        Expected e = ExpectedColours(p, f.file->m_hMenu);
        const int row = p.flat ? 11 : 0;   // a row of the column clear of the icon box
        {
            Canvas c(200, 22, kSentinel);
            EXPECT_EQ(0u, Paint(f.file, p.op, kPlain, 0, c)) << p.name;
            EXPECT_COLOUR(e, e.column, c.At(0, row)) << p.name << " column";
            EXPECT_COLOUR(e, e.back, c.At(195, 0)) << p.name << " text area";
        }
        {
            Canvas c(200, 22, kSentinel);
            EXPECT_EQ((UINT)ODS_SELECTED, Paint(f.file, p.op, kPlain, ODS_SELECTED, c)) << p.name;
            EXPECT_EQ(e.frame, c.At(0, 0)) << p.name << " selection frame";
            EXPECT_COLOUR(e, e.selected, c.At(195, 1)) << p.name << " selection";
        }
        {
            // Grayed items are never drawn selected; by the keyboard they get a frame.
            ForgetLastMessagePos();
            Canvas mouse(200, 22, kSentinel), keyboard(200, 22, kSentinel);
            EXPECT_EQ((UINT)ODS_GRAYED, Paint(f.file, p.op, kGray, ODS_GRAYED | ODS_SELECTED, mouse)) << p.name;
            EXPECT_EQ((UINT)ODS_GRAYED, Paint(f.file, p.op, kGray, ODS_GRAYED | ODS_SELECTED, keyboard)) << p.name;
            EXPECT_COLOUR(e, e.column, mouse.At(0, row)) << p.name << " grayed under the mouse";
            EXPECT_COLOUR(e, e.back, mouse.At(195, 1)) << p.name << " grayed under the mouse";
            if (e.focusRect) {
                bool dotted = false;
                for (int x = 0; x < 4; ++x) dotted |= !Near(keyboard.At(x, 0), mouse.At(x, 0));
                EXPECT_TRUE(dotted) << p.name << " focus rectangle";
            } else {
                EXPECT_EQ(Sys(COLOR_HIGHLIGHT), keyboard.At(0, 0)) << p.name << " keyboard frame";
                EXPECT_EQ(e.back, keyboard.At(195, 1)) << p.name << " keyboard frame";
            }
        }
        {
            // A checked item with an icon: the icon sits in a box.
            Canvas c(200, 22, kSentinel);
            Paint(f.file, p.op, kOpen, ODS_CHECKED, c);
            if (p.flat) {
                EXPECT_EQ(Sys(COLOR_HIGHLIGHT), c.At(1, 1)) << p.name << " box outline";
                EXPECT_EQ(e.checkBox, c.At(2, 2)) << p.name << " box";
            } else {
                COLORREF sunken = p.mode == 1 ? Sys(COLOR_BTNSHADOW) : DarkenColor(60, GetMenuBackgroundColor(nullptr));
                EXPECT_EQ(sunken, c.At(3, 1)) << p.name << " sunken box";
            }
        }
    }
}

// Without an icon a checked item shows the check mark, a radio item (checked
// bitmap only) the bullet.
TEST(SkinPainters, CheckMarkAndRadioBullet)
{
    Fixture f;
    for (const Painter& p : kPainters) {
        PaintModeScope scope(p.mode);
        Canvas checked(200, 22, kSentinel), radio(200, 22, kSentinel);
        Paint(f.file, p.op, kChecked, ODS_CHECKED, checked);
        Paint(f.file, p.op, kRadio, ODS_CHECKED, radio);
        MenuItemGeometry g = LayOutPopupItem(kItem, f.file->GetIconSize(), false,
                                             p.flat ? ItemLayout::Flat : ItemLayout::Classic);
        RECT box = p.flat ? RECT{g.column.left + 1, 1, g.column.right - 2, 21} : g.iconBox;
        RECT inside = box;
        InflateRect(&inside, -2, -2);
        EXPECT_FALSE(checked.SameRegion(radio, inside)) << p.name;
        int dark = 0;
        for (int y = inside.top; y < inside.bottom; ++y)
            for (int x = inside.left; x < inside.right; ++x) dark += radio.At(x, y) == Sys(COLOR_MENUTEXT);
        EXPECT_GT(dark, 4) << p.name;
        if (!p.flat) continue;
        // The flat painters' box holds exactly the bullet glyph.
        Canvas bullet(200, 22, kSentinel);
        CDC& dc = *CDC::FromHandle(bullet.Dc());
        dc.FillSolidRect(&box, ExpectedColours(p, f.file->m_hMenu).checkBox);
        DrawMenuGlyph(dc, box, kGlyphBullet, ODS_CHECKED);
        EXPECT_TRUE(radio.SameRegion(bullet, inside)) << p.name << ": the radio item shows the bullet";
    }
}

// On the menu bar "selected" means the item's popup is open: with no popup
// open it is drawn hot, with one open pressed (and, flat, with its shadow).
TEST(SkinPainters, BarItemWithAndWithoutOpenPopup)
{
    Fixture f;
    for (const Painter& p : kPainters) {
        PaintModeScope scope(p.mode);
        UINT hot = p.flat ? (UINT)(ODS_HOTLIGHT | ODS_SELECTED) : (UINT)ODS_HOTLIGHT;
        Canvas closed(60, 20, kSentinel), open(60, 20, kSentinel);
        EXPECT_EQ(hot, Paint(&f.bar, p.op, 0, ODS_SELECTED, closed, TRUE, kBarItem)) << p.name;
        f.bar.ChangeOpenPopupCount(1);
        EXPECT_EQ((UINT)ODS_SELECTED, Paint(&f.bar, p.op, 0, ODS_SELECTED, open, TRUE, kBarItem)) << p.name;
        f.bar.ResetOpenPopupCount();
        // An item without popup that the bar marks 0x800 is hot, never pressed.
        Canvas help(60, 20, kSentinel);
        UINT helpState = Paint(&f.bar, p.op, 1, ODS_SELECTED | kStateBarNoPopup, help, TRUE, kBarItem);
        EXPECT_EQ(hot, helpState) << p.name;
        {
            // Its command id may equal the handle of a live menu of any
            // program: the item still has no popup.
            CSkinMenuItemData* d = f.bar.GetItemData()[1];
            HMENU other = CreatePopupMenu();
            UINT_PTR id = d->m_nID;
            d->m_nID = (UINT_PTR)other;
            EXPECT_EQ(hot, Paint(&f.bar, p.op, 1, ODS_SELECTED | kStateBarNoPopup, help, TRUE, kBarItem)) << p.name;
            d->m_nID = id;
            DestroyMenu(other);
        }
        if (p.mode == 3) {
            COLORREF bar = GetMenuBarColor(f.bar.m_hMenu);
            EXPECT_EQ(GetSelectionBackColor(), closed.At(5, 1)) << "hot";
            EXPECT_EQ(MixColors86To14(bar, Sys(COLOR_WINDOW)), open.At(5, 1)) << "open: the column colour";
            EXPECT_EQ(bar, closed.At(58, 10)) << "no shadow when hot";
            EXPECT_EQ(bar, open.At(59, 2));
            EXPECT_EQ(DarkenColor(30, bar), open.At(59, 10)) << "shadow, outer column";
            EXPECT_EQ(DarkenColor(120, bar), open.At(56, 10)) << "shadow, inner column";
        } else if (p.mode == 11) {
            // The shadow darkens what lay under the item.
            EXPECT_EQ(kSentinel, open.At(59, 2));
            EXPECT_EQ(DarkenColor(30, kSentinel), open.At(59, 10));
            EXPECT_EQ(Sys(COLOR_HIGHLIGHT), open.At(0, 0));
            EXPECT_EQ(GetThemeBarBaseColor(), closed.At(58, 10)) << "no shadow when hot";
        } else {
            COLORREF shadow = p.mode == 1 ? Sys(COLOR_BTNSHADOW) : DarkenColor(60, GetMenuBackgroundColor(nullptr));
            COLORREF light = p.mode == 1 ? Sys(COLOR_BTNHIGHLIGHT) : LightenColor(60, GetMenuBackgroundColor(nullptr));
            int top = p.mode == 1 ? 0 : 1;
            EXPECT_EQ(light, closed.At(0, top)) << p.name << " raised";
            EXPECT_EQ(shadow, open.At(0, top)) << p.name << " sunken";
        }
    }
}

// 2003 themes 8/9 take the system's selection colour when no visual style is
// active; 10/11 always their own warm colour.
TEST(SkinPainters, OfficeSelectionColour)
{
    Fixture f;
    for (int mode : {9, 11}) {
        PaintModeScope scope(mode);
        Canvas c(200, 22, kSentinel);
        Paint(f.file, &CSkinMenu::DrawItem2003, kPlain, ODS_SELECTED, c);
        COLORREF want = mode == 9 && !IsVisualThemeActive() ? GetSelectionBackColor() : RGB(255, 238, 194);
        EXPECT_EQ(want, c.At(195, 1)) << mode;
    }
}

// The label left in the text area, the accelerator right-aligned 15 pixels
// from the right edge; right-to-left items swap the sides and the column.
TEST(SkinPainters, LabelAndAccelerator)
{
    Fixture f;
    CSkinMenuItemData* open = f.file->GetItemData()[kPlain];
    for (const Painter& p : kPainters) {
        PaintModeScope scope(p.mode);
        Canvas c(200, 22, kSentinel), rtl(200, 22, kSentinel);
        Paint(f.file, p.op, kPlain, 0, c);
        open->m_nMenuFlags |= MFT_RIGHTORDER;
        Paint(f.file, p.op, kPlain, 0, rtl);
        open->m_nMenuFlags &= ~MFT_RIGHTORDER;
        int column = f.file->GetIconSize().cx + (p.flat ? 8 : 9);
        std::pair<int, int> text = c.Span(Sys(COLOR_MENUTEXT), true);
        EXPECT_GE(text.first, column + 4) << p.name;
        EXPECT_LT(text.first, column + 10) << p.name;
        EXPECT_LE(text.second, 200 - 15) << p.name;
        EXPECT_GT(text.second, 200 - 30) << p.name;
        std::pair<int, int> mirrored = rtl.Span(Sys(COLOR_MENUTEXT), true);
        EXPECT_GE(mirrored.first, 15) << p.name;
        EXPECT_LT(mirrored.first, 25) << p.name;
        EXPECT_LE(mirrored.second, 200 - f.file->GetIconSize().cx - 8 - 4) << p.name;
        EXPECT_GT(mirrored.second, 200 - f.file->GetIconSize().cx - 8 - 20) << p.name;
        if (p.mode == 3) {
            Expected e = ExpectedColours(p, f.file->m_hMenu);
            EXPECT_EQ(e.column, rtl.At(199, 11)) << "column on the right";
            EXPECT_EQ(e.back, rtl.At(2, 11));
        }
    }
}

// A vertical title with a gradient: from the second colour at the top to the
// background colour at the bottom, the text turned to run upwards.
TEST(SkinPainters, VerticalGradientTitle)
{
    Fixture f;
    CSkinMenuItemDataTitle title;
    title.m_nMenuFlags = MF_SEPARATOR | MF_OWNERDRAW;
    title.m_nTitleFlags = 0x01 | 0x02 | 0x04;
    title.m_strText = "Halvex";
    title.m_clrSecond = RGB(255, 0, 0);
    title.m_clrBackground = RGB(0, 0, 255);
    title.m_clrText = RGB(255, 255, 255);
    Canvas c(40, 160, kSentinel);
    DRAWITEMSTRUCT dis = {ODT_MENU, 0, 0, ODA_DRAWENTIRE, 0, (HWND)f.file->m_hMenu, c.Dc(), {0, 0, 20, 30},
                          (ULONG_PTR)&title};
    PaintModeScope scope(3);
    f.file->DrawItemXP(&dis, FALSE);   // every painter hands titles on
    EXPECT_EQ(RGB(255, 0, 0), c.At(1, 0));
    COLORREF bottom = c.At(1, 159);
    EXPECT_LT(GetRValue(bottom), 10);
    EXPECT_GT(GetBValue(bottom), 245);
    std::pair<int, int> across = c.Span(RGB(255, 255, 255), true), down = c.Span(RGB(255, 255, 255), false);
    ASSERT_GE(across.first, 0);
    EXPECT_GT(down.second - down.first, 2 * (across.second - across.first)) << "the text runs upwards";
    EXPECT_GT(down.second, 100) << "from near the bottom";
}

TEST(SkinPaintersGdi, PaintingLeavesNoObject)
{
    ASSERT_TRUE(GdiCensusWorks());
    Fixture f;
    int before = -1;
    for (int round = 0; round < 10; ++round) {
        for (const Painter& p : kPainters) {
            PaintModeScope scope(p.mode);
            for (int pos = kOpen; pos <= kSeparator; ++pos)
                for (UINT state : {0u, (UINT)ODS_SELECTED, (UINT)(ODS_SELECTED | ODS_CHECKED), (UINT)ODS_GRAYED}) {
                    Canvas c(200, 22, kSentinel);
                    Paint(f.file, p.op, pos, state, c);
                }
            for (int open : {0, 1}) {
                Canvas c(60, 20, kSentinel);
                if (open) f.bar.ChangeOpenPopupCount(1);
                Paint(&f.bar, p.op, 0, ODS_SELECTED, c, TRUE, kBarItem);
                f.bar.ResetOpenPopupCount();
            }
        }
        if (round == 0) before = CountGdiObjects();
    }
    EXPECT_EQ(before, CountGdiObjects());
}
