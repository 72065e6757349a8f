// The flat item painters: XP (draw modes 2/3) and 2003 (draw modes 8-11).
// Both put the icon column at the item's edge and frame the selection with a
// one-pixel line; they differ in their colours, the column gradient of 2003
// and the icon shadow of XP.
#include "skin/drawing.h"
#include "skin/itempaint.h"
#include "skin/menuicons.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"
#include "skin/systemglyphs.h"

namespace {

enum class Flat { XP, Office2003 };

COLORREF Sys(int index) { return GetSysColor(index); }

struct FlatColors {
    COLORREF back;        // B: text area (popup) or bar background
    COLORREF column;      // C: icon column (XP); D next to the text (2003)
    COLORREF select;      // S
    COLORREF pen;         // selection outline
    COLORREF box;         // checked box, not selected
    COLORREF boxSelected; // checked box, selected
    COLORREF window;      // W (2003)
};

bool FewColours() { return GetScreenColorCount() <= 256; }

FlatColors XpColors(HMENU menu, CDC& dc)
{
    FlatColors c;
    COLORREF bar = GetMenuBarColor(menu);
    c.back = MixColors86To14(Sys(COLOR_WINDOW), bar);
    c.column = FewColours() ? Sys(COLOR_BTNFACE) : MixColors86To14(bar, Sys(COLOR_WINDOW));
    c.select = GetSelectionBackColor();
    c.pen = Sys(IsHighContrast() ? COLOR_BTNTEXT : COLOR_HIGHLIGHT);
    if (::GetNearestColor(dc, c.back) == ::GetNearestColor(dc, c.column)) {
        c.back = Sys(COLOR_WINDOW);
        c.column = bar;
    }
    c.boxSelected = FewColours() ? c.select : MixColors86To14(c.select, Sys(COLOR_HIGHLIGHT));
    c.box = MixColors86To14(c.column, Sys(COLOR_HIGHLIGHT));
    c.window = Sys(COLOR_WINDOW);
    return c;
}

FlatColors Office2003Colors(CDC& dc)
{
    FlatColors c;
    c.window = DarkenColor(10, Sys(COLOR_WINDOW));
    c.column = GetThemeBarBaseColor();
    c.back = MixColors86To14(c.window, GetMenuBackgroundColor(nullptr));
    if (::GetNearestColor(dc, c.back) == ::GetNearestColor(dc, c.column)) c.back = c.window;
    c.select = RGB(255, 238, 194);
    c.box = RGB(255, 192, 111);
    c.boxSelected = RGB(254, 128, 62);
    if ((GetMenuDrawMode() == 8 || GetMenuDrawMode() == 9) && !IsVisualThemeActive()) {
        c.select = GetSelectionBackColor();
        c.box = c.boxSelected = MixColors86To14(c.select, Sys(COLOR_HIGHLIGHT));
    }
    c.pen = Sys(IsHighContrast() ? COLOR_BTNTEXT : COLOR_HIGHLIGHT);
    return c;
}

void Outline(CDC& dc, const RECT& r, COLORREF color)
{
    CBrush brush(color);
    dc.FrameRect(&r, &brush);
}

// The 4-pixel shadow right of (below, on a vertical bar) an open bar item,
// darkening towards the inside.
void PaintOpenBarShadow(CDC& dc, const RECT& item, bool vertical, COLORREF base)
{
    if (FewColours()) {
        for (int n = 3; n <= 4; ++n) {
            RECT line = vertical ? RECT{item.left + 4, item.bottom - n, item.right, item.bottom - n + 1}
                                 : RECT{item.right - n, item.top + 4, item.right - n + 1, item.bottom};
            dc.FillSolidRect(&line, Sys(COLOR_BTNSHADOW));
        }
        return;
    }
    for (int n = 1; n <= 4; ++n) {
        int step = 6 * n, amount = 30 * n;
        int length = vertical ? item.right - item.left : item.bottom - item.top;
        for (int k = 0; k < length; ++k) {
            COLORREF c = k < 4 ? base : k < 8 ? DarkenColor((k - 3) * step, base) : DarkenColor(amount, base);
            if (vertical) dc.SetPixel(item.left + k, item.bottom - n, c);
            else dc.SetPixel(item.right - n, item.top + k, c);
        }
    }
}

// The box behind a checked item's icon or check mark.
RECT CheckBoxRect(const MenuItemGeometry& g, const RECT& item, bool rightOrder)
{
    RECT box = {g.column.left + 1, item.top + 1, g.column.right - 2, item.bottom - 1};
    if (rightOrder) OffsetRect(&box, 1, 0);
    return box;
}

void PaintBox(CDC& dc, const RECT& box, COLORREF fill, COLORREF pen)
{
    dc.FillSolidRect(&box, fill);
    Outline(dc, box, pen);
}

class FlatPainter {
public:
    FlatPainter(CSkinMenu* menu, MenuItemPaint& p, Flat look) : m_menu(menu), m_p(p), m_look(look) {}
    void Paint();

private:
    void PaintBarItem(CDC& dc);
    void PaintPopupItem(CDC& dc);
    void PaintIcon(CDC& dc, const MenuItemGeometry& g, bool selected);
    void PaintCheckMark(CDC& dc, const MenuItemGeometry& g, bool selected);
    void PaintText(CDC& dc, const RECT& r, bool selected);
    void FillBarBackground(CDC& dc, const RECT& item);

    CSkinMenu* m_menu;
    MenuItemPaint& m_p;
    Flat m_look;
    FlatColors m_c = {};
};

void FlatPainter::Paint()
{
    DRAWITEMSTRUCT* dis = m_p.dis;
    CDC& target = *CDC::FromHandle(dis->hDC);
    m_c = m_look == Flat::XP ? XpColors(m_menu->m_hMenu, target) : Office2003Colors(target);
    if (m_p.bar || m_p.IsSeparator()) {
        CSavedDC state(target);
        if (m_p.bar) PaintBarItem(target);
        else PaintPopupItem(target);
        return;
    }
    CSkinMemDC mem(dis->rcItem, dis->hDC);
    PaintPopupItem(mem);
}

void FlatPainter::FillBarBackground(CDC& dc, const RECT& item)
{
    MENUINFO mi;
    ZeroMemory(&mi, sizeof mi);
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    if (!::GetMenuInfo(m_menu->m_hMenu, &mi) || !mi.hbrBack) {
        dc.FillSolidRect(&item, m_c.back);
        return;
    }
    // The bar brush lines up with the frame that the bar belongs to.
    POINT origin = {0, 0};
    HWND wnd = ::WindowFromDC(dc);
    CWnd* owner = wnd ? CWnd::FromHandlePermanent(wnd) : nullptr;
    if (CFrameWnd* frame = owner ? owner->GetParentFrame() : nullptr) {
        RECT fr;
        ::GetWindowRect(frame->m_hWnd, &fr);
        origin = {fr.left, fr.top};
        ::ScreenToClient(wnd, &origin);
    }
    CPoint old = dc.SetBrushOrg(origin);
    ::FillRect(dc, &item, mi.hbrBack);
    dc.SetBrushOrg(old);
}

void FlatPainter::PaintBarItem(CDC& dc)
{
    const RECT item = m_p.dis->rcItem;
    bool vertical = m_p.Vertical();
    RECT frame = item;
    if (vertical) frame.bottom -= 4;
    else frame.right -= 4;
    bool selected = m_p.Selected() && !m_p.Inactive();
    bool open = selected && !m_p.Hot();
    if (m_look == Flat::XP) {
        m_c.back = GetMenuBarColor(m_menu->m_hMenu);
        if (!m_p.Hot()) m_c.select = m_c.column;
        dc.FillSolidRect(&item, m_c.back);
        if (open) PaintOpenBarShadow(dc, item, vertical, m_c.back);
    } else {
        m_c.back = m_c.column;
        if (!m_p.Hot()) m_c.select = m_c.column;
        if (open) {
            COLORREF base = vertical ? dc.GetPixel(item.left + 4, item.bottom - 4) : dc.GetPixel(item.right - 1, item.top);
            dc.FillSolidRect(&frame, m_c.column);
            PaintOpenBarShadow(dc, item, vertical, base);
        } else {
            FillBarBackground(dc, item);
        }
    }
    if (selected) {
        if (m_look == Flat::Office2003 && !FewColours())
            FillGradientRect(dc, frame, m_c.window, m_c.select, FALSE, FALSE);
        else
            dc.FillSolidRect(&frame, m_look == Flat::Office2003 ? m_c.window : m_c.select);
        Outline(dc, frame, m_c.pen);
    } else if (m_p.keyboardFrame) {
        dc.FillSolidRect(&frame, m_c.back);
        Outline(dc, frame, m_c.pen);
    }
    if (IsSystemCommandId(m_p.dis->itemID)) {
        DrawSystemButtonGlyph(dc, frame, m_p.dis->itemID, m_p.state, GlyphLook::Flat, m_menu->GetIconSize().cy);
        return;
    }
    if (m_p.label.IsEmpty()) return;
    COLORREF text = Sys(COLOR_MENUTEXT);
    if (m_p.Grayed() || m_p.Inactive())
        text = m_look == Flat::Office2003 && FewColours() ? m_c.window : Sys(COLOR_GRAYTEXT);
    dc.SetTextColor(text);
    dc.SetBkMode(TRANSPARENT);
    CSelectedFont font(dc, MenuItemLogFont(m_p.state));
    DrawMnemonicText(dc, m_p.label, -1, frame, DT_SINGLELINE | DT_VCENTER | DT_CENTER | HidePrefixFlag(m_p.state));
}

void FlatPainter::PaintPopupItem(CDC& dc)
{
    const RECT item = m_p.dis->rcItem;
    MenuItemGeometry g = LayOutPopupItem(item, m_menu->GetIconSize(), m_p.rightOrder, ItemLayout::Flat);
    RECT rest = item;
    if (m_p.rightOrder) rest.right = g.column.left;
    else rest.left = g.column.right;
    if (m_look == Flat::XP) {
        dc.FillSolidRect(&g.column, m_c.column);
    } else if (m_p.rightOrder) {
        FillGradientRect(dc, g.column, m_c.column, m_c.back, TRUE, TRUE);
    } else {
        FillGradientRect(dc, g.column, m_c.back, m_c.column, TRUE, TRUE);
    }
    dc.FillSolidRect(&rest, m_c.back);
    if (m_p.IsSeparator()) {
        int y = (g.text.top + g.text.bottom) / 2;
        RECT line = m_p.rightOrder ? RECT{item.left, y, g.text.right, y + 1} : RECT{g.text.left, y, item.right, y + 1};
        dc.FillSolidRect(&line, Sys(COLOR_GRAYTEXT));
        return;
    }
    bool selected = m_p.Selected() && !m_p.Inactive();
    if (selected) {
        dc.FillSolidRect(&item, m_c.select);
        Outline(dc, item, m_c.pen);
    } else if (m_p.keyboardFrame) {
        dc.FillSolidRect(&item, m_c.back);
        Outline(dc, item, m_c.pen);
    }
    if (m_p.HasIcon()) PaintIcon(dc, g, selected);
    else PaintCheckMark(dc, g, selected);
    PaintText(dc, g.text, selected);
}

void FlatPainter::PaintIcon(CDC& dc, const MenuItemGeometry& g, bool selected)
{
    const RECT item = m_p.dis->rcItem;
    if (m_p.Checked())
        PaintBox(dc, CheckBoxRect(g, item, m_p.rightOrder), selected ? m_c.boxSelected : m_c.box, m_c.pen);
    const CSkinMenuIcons* store = m_p.data->m_pIcons;
    int index = m_p.data->m_nIconIndex;
    POINT at = PlaceItemIcon(g, item, m_menu->GetIconSize(), m_p.IconSize(), ItemLayout::Flat);
    bool shaded = GetUseShadedIcons() != 0;
    if (m_look == Flat::Office2003) {
        int variant = m_p.Disabled() ? 2 : (selected || !shaded) ? 0 : 1;
        store->Draw(dc, index + variant, at);
        return;
    }
    if (m_p.Disabled()) {
        if (shaded) store->Draw(dc, index + 2, at);
        else store->DrawMono(dc, index, at, ::GetNearestColor(dc, DarkenColor(70, m_c.column)));
    } else if (selected && !m_p.Checked()) {
        // Lifted above its own shadow.
        store->DrawMono(dc, index, {at.x + 1, at.y + 1}, ::GetNearestColor(dc, BluishShadowColor(m_c.select)));
        store->Draw(dc, index, {at.x - 1, at.y - 1});
    } else if (selected) {
        store->Draw(dc, index, at);
    } else {
        store->Draw(dc, index + (shaded ? 1 : 0), at);
    }
}

void FlatPainter::PaintCheckMark(CDC& dc, const MenuItemGeometry& g, bool selected)
{
    const RECT item = m_p.dis->rcItem;
    if (IsSystemCommandId(m_p.dis->itemID)) {
        DrawSystemButtonGlyph(dc, g.column, m_p.dis->itemID, m_p.state, GlyphLook::Flat, m_menu->GetIconSize().cy);
        return;
    }
    HBITMAP checked = nullptr, unchecked = nullptr;
    GetItemCheckBitmaps(m_menu->m_hMenu, m_p.dis->itemID, &checked, &unchecked);
    if (!m_p.Checked() && !unchecked) return;
    RECT box = CheckBoxRect(g, item, m_p.rightOrder);
    PaintBox(dc, box, selected ? m_c.boxSelected : m_c.box, m_c.pen);
    if (!m_p.Checked()) {
        DrawCheckBitmapCentred(dc, box, unchecked, DSS_MONO | (m_p.Disabled() ? DSS_DISABLED : 0));
    } else if (checked && unchecked) {
        DrawCheckBitmapCentred(dc, box, checked, DSS_MONO);
    } else {
        DrawMenuGlyph(dc, box, checked ? kGlyphBullet : kGlyphCheck, m_p.state);
    }
}

void FlatPainter::PaintText(CDC& dc, const RECT& r, bool selected)
{
    if (m_p.label.IsEmpty() && m_p.accel.IsEmpty()) return;
    COLORREF text = Sys(COLOR_MENUTEXT);
    if (m_p.Grayed()) text = Sys(COLOR_GRAYTEXT);
    else if (IsHighContrast() && !selected) text = Sys(COLOR_WINDOWTEXT);
    dc.SetTextColor(text);
    dc.SetBkMode(TRANSPARENT);
    CSelectedFont font(dc, MenuItemLogFont(m_p.state));
    UINT hide = HidePrefixFlag(m_p.state);
    RECT t = r;
    dc.DrawText(m_p.label, &t, (m_p.rightOrder ? kLabelRightOrder : kLabelFlags) | hide);
    if (!m_p.accel.IsEmpty()) {
        t = r;
        dc.DrawText(m_p.accel, &t, (m_p.rightOrder ? kLabelFlags : kAccelFlags) | hide);
    }
}

} // namespace

namespace {
void PaintFlatItem(CSkinMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBarItem, Flat look)
{
    MenuItemPaint p(menu, dis, menuBarItem);
    if (!BeginItemPaint(p, ItemLayout::Flat)) return;
    if (p.bar && (p.Selected() || p.Hot()) && !p.Inactive()) menu->RememberBarItemRect(dis->hDC, dis->rcItem);
    FlatPainter(menu, p, look).Paint();
}
} // namespace

void CSkinMenu::DrawItemXP(DRAWITEMSTRUCT* dis, BOOL menuBarItem) { PaintFlatItem(this, dis, menuBarItem, Flat::XP); }

void CSkinMenu::DrawItem2003(DRAWITEMSTRUCT* dis, BOOL menuBarItem)
{
    PaintFlatItem(this, dis, menuBarItem, Flat::Office2003);
}
