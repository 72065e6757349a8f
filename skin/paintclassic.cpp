// The classic item painters: Classic (draw modes 0/1, and the popups of 4/5)
// in the system colours with 3-D frames round icons, and Bevel (draw modes
// 6/7) with gradient backgrounds and bevelled selections in tints of the menu
// colour.
#include "skin/drawing.h"
#include "skin/itempaint.h"
#include "skin/menuicons.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"
#include "skin/systemglyphs.h"

namespace {

enum class Classic { Plain, Bevel };

COLORREF Sys(int index) { return GetSysColor(index); }

// Draw3dRect round a rectangle given by its edges.
void Frame3d(CDC& dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight)
{
    dc.Draw3dRect(&r, topLeft, bottomRight);
}

struct BevelColors {
    COLORREF menu;       // M
    COLORREF dark;       // E1
    COLORREF light;      // E2
    COLORREF inactive;   // text of inactive bar items
    COLORREF disabled;   // X
    COLORREF base;       // G
};

BevelColors MakeBevelColors(CDC& dc, bool bar)
{
    BevelColors c;
    c.menu = GetMenuBackgroundColor(nullptr);
    bool hc = IsHighContrast() != 0;
    c.dark = hc ? Sys(COLOR_BTNTEXT) : DarkenColor(60, c.menu);
    c.light = hc ? Sys(COLOR_BTNTEXT) : LightenColor(60, c.menu);
    c.inactive = DarkenColor(100, c.menu);
    c.disabled = hc ? Sys(COLOR_BTNSHADOW) : ::GetNearestColor(dc, DarkenColor(70, c.dark));
    c.base = bar ? GetMenuBarColor(nullptr) : c.menu;
    return c;
}

void FillVerticalGradient(CDC& dc, const RECT& r, COLORREF base)
{
    FillGradientRect(dc, r, LightenColor(30, base), DarkenColor(30, base), FALSE, TRUE);
}

class ClassicPainter {
public:
    ClassicPainter(CSkinMenu* menu, MenuItemPaint& p, Classic look) : m_menu(menu), m_p(p), m_look(look) {}
    void Paint();

private:
    void PaintBarItem(CDC& dc);
    void PaintPopupItem(CDC& dc);
    void PaintSeparator(CDC& dc);
    void PaintIcon(CDC& dc, const MenuItemGeometry& g);
    void PaintText(CDC& dc, const RECT& r, UINT labelFlags, UINT accelFlags, COLORREF color, bool embossed);
    RECT HighlightArea(const MenuItemGeometry& g) const;

    CSkinMenu* m_menu;
    MenuItemPaint& m_p;
    Classic m_look;
    BevelColors m_bevel = {};
};

void ClassicPainter::Paint()
{
    DRAWITEMSTRUCT* dis = m_p.dis;
    CDC& target = *CDC::FromHandle(dis->hDC);
    m_bevel = MakeBevelColors(target, m_p.bar);
    if (m_p.bar || m_p.IsSeparator()) {
        CSavedDC state(target);
        if (m_p.bar) PaintBarItem(target);
        else PaintSeparator(target);
        return;
    }
    CSkinMemDC mem(dis->rcItem, dis->hDC);
    PaintPopupItem(mem);
}

void ClassicPainter::PaintSeparator(CDC& dc)
{
    RECT r = m_p.dis->rcItem;
    if (m_look == Classic::Plain) {
        dc.FillSolidRect(&r, Sys(COLOR_MENU));
        RECT edge = {r.left + 1, r.top + 1, r.right, r.bottom};
        dc.DrawEdge(&edge, EDGE_ETCHED, BF_TOP);
    } else {
        dc.FillSolidRect(&r, m_bevel.light);
        RECT edge = {r.left + 1, r.top, r.right - 1, r.bottom};
        dc.DrawEdge(&edge, EDGE_ETCHED, BF_TOP);
    }
}

void ClassicPainter::PaintBarItem(CDC& dc)
{
    const RECT item = m_p.dis->rcItem;
    bool selected = m_p.Selected(), hot = m_p.Hot() && !m_p.Inactive();
    RECT remembered, frames, text;
    if (m_look == Classic::Plain) {
        remembered = {item.left + 1, item.top - 1, item.right - 1, item.bottom - 1};
        frames = {item.left, item.top, item.right - 2, item.bottom};
        text = {item.left, item.top, item.right + 6, item.bottom};
        dc.FillSolidRect(&item, GetMenuBarColor(nullptr));
    } else {
        remembered = {item.left, item.top, item.right - 1, item.bottom - 1};
        frames = {item.left, item.top + 1, item.right - 1, item.bottom};
        text = {item.left, item.top + 2, item.right + 6, item.bottom};
        RECT back = {item.left, item.top, item.right - 1, item.bottom};
        MENUINFO mi;
        ZeroMemory(&mi, sizeof mi);
        mi.cbSize = sizeof mi;
        mi.fMask = MIM_BACKGROUND;
        bool brush = ::GetMenuInfo(m_menu->m_hMenu, &mi) && mi.hbrBack;
        if ((selected || m_p.Hot()) && !m_p.Inactive() && !IsHighContrast()) {
            FillVerticalGradient(dc, back, m_bevel.menu);
        } else if (brush && !IsHighContrast()) {
            CPoint old = dc.SetBrushOrg(0, 0);
            ::FillRect(dc, &back, mi.hbrBack);
            dc.SetBrushOrg(old);
        } else {
            dc.FillSolidRect(&back, m_bevel.base);
        }
    }
    if (selected || m_p.Hot()) m_menu->RememberBarItemRect(dc, remembered);
    COLORREF shadow = m_look == Classic::Plain ? Sys(COLOR_BTNSHADOW) : m_bevel.dark;
    COLORREF light = m_look == Classic::Plain ? Sys(COLOR_BTNHIGHLIGHT) : m_bevel.light;
    if (selected) Frame3d(dc, frames, shadow, light);
    else if (hot) Frame3d(dc, frames, light, shadow);
    else if (m_p.keyboardFrame) dc.DrawFocusRect(&frames);
    if (IsSystemCommandId(m_p.dis->itemID)) {
        DrawSystemButtonGlyph(dc, frames, m_p.dis->itemID, m_p.state, GlyphLook::Classic, m_menu->GetIconSize().cy);
        return;
    }
    UINT centred = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    if (m_look == Classic::Bevel) {
        COLORREF color = m_p.Inactive() ? m_bevel.inactive
                         : m_p.Grayed() ? (selected ? m_bevel.base : m_bevel.disabled) : Sys(COLOR_MENUTEXT);
        PaintText(dc, text, centred, 0, color, false);
        return;
    }
    if (selected) OffsetRect(&text, 1, 1);
    if (m_p.Grayed()) {
        // Grayed bar items are drawn like popup labels.
        PaintText(dc, text, kLabelFlags, 0, selected ? GetMenuBarColor(nullptr) : Sys(COLOR_GRAYTEXT), !selected);
        return;
    }
    PaintText(dc, text, centred, 0, Sys(m_p.Inactive() ? COLOR_GRAYTEXT : COLOR_MENUTEXT), false);
}

RECT ClassicPainter::HighlightArea(const MenuItemGeometry& g) const
{
    return (m_p.HasIcon() || m_p.Checked()) ? g.text : m_p.dis->rcItem;
}

void ClassicPainter::PaintPopupItem(CDC& dc)
{
    const RECT item = m_p.dis->rcItem;
    MenuItemGeometry g = LayOutPopupItem(item, m_menu->GetIconSize(), m_p.rightOrder, ItemLayout::Classic);
    bool selected = m_p.Selected();
    bool hc = IsHighContrast() != 0;
    if (m_look == Classic::Plain) {
        dc.FillSolidRect(&item, Sys(COLOR_MENU));
        if (selected) {
            RECT area = HighlightArea(g);
            dc.FillSolidRect(&area, Sys(COLOR_HIGHLIGHT));
        }
    } else {
        if (hc) dc.FillSolidRect(&item, m_bevel.base);
        else FillVerticalGradient(dc, item, m_bevel.base);
        if (selected) {
            RECT area = HighlightArea(g);
            if (hc) dc.FillSolidRect(&area, Sys(COLOR_HIGHLIGHT));
            else FillGradientRect(dc, area, LightenColor(30, Sys(COLOR_HIGHLIGHT)), DarkenColor(30, Sys(COLOR_HIGHLIGHT)),
                                  FALSE, FALSE);
            Frame3d(dc, area, m_bevel.dark, m_bevel.light);
        }
    }
    if (m_p.keyboardFrame) dc.DrawFocusRect(&item);
    if (m_p.HasIcon()) {
        PaintIcon(dc, g);
    } else if (IsSystemCommandId(m_p.dis->itemID)) {
        DrawSystemButtonGlyph(dc, g.iconBox, m_p.dis->itemID, m_p.state, GlyphLook::Classic, m_menu->GetIconSize().cy);
    } else {
        HBITMAP checked = nullptr, unchecked = nullptr;
        GetItemCheckBitmaps(m_menu->m_hMenu, m_p.dis->itemID, &checked, &unchecked);
        m_menu->DrawCheckMark(dc, g.iconBox, checked, unchecked, m_p.state);
    }
    UINT label = m_p.rightOrder ? kLabelRightOrder : kLabelFlags;
    UINT accel = m_p.rightOrder ? kLabelFlags : kAccelFlags;
    if (m_look == Classic::Bevel) {
        COLORREF color = m_p.Grayed() ? (selected ? m_bevel.base : m_bevel.disabled)
                                      : Sys(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
        PaintText(dc, g.text, label, accel, color, false);
    } else if (m_p.Grayed()) {
        PaintText(dc, g.text, label, accel, selected ? Sys(COLOR_MENU) : Sys(COLOR_GRAYTEXT), !selected);
    } else {
        PaintText(dc, g.text, label, accel, Sys(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT), false);
    }
}

void ClassicPainter::PaintIcon(CDC& dc, const MenuItemGeometry& g)
{
    RECT box = g.iconBox;
    InflateRect(&box, 2, 2);
    COLORREF shadow = m_look == Classic::Plain ? Sys(COLOR_BTNSHADOW) : m_bevel.dark;
    COLORREF light = m_look == Classic::Plain ? Sys(COLOR_BTNHIGHLIGHT) : m_bevel.light;
    if (IsNewShellSystem()) {
        if (m_p.Checked()) Frame3d(dc, box, shadow, light);
        else if (m_p.Selected() && !m_p.Grayed()) Frame3d(dc, box, light, shadow);
    }
    const CSkinMenuIcons* store = m_p.data->m_pIcons;
    int index = m_p.data->m_nIconIndex;
    POINT at = PlaceItemIcon(g, m_p.dis->rcItem, m_menu->GetIconSize(), m_p.IconSize(), ItemLayout::Classic);
    if (!m_p.Disabled()) store->Draw(dc, index, at);
    else if (m_look == Classic::Plain) store->Draw(dc, index + 2, at);
    else store->DrawMono(dc, index, at, m_bevel.disabled);
}

// Label and accelerator; an embossed text is drawn in the highlight colour one
// pixel down and right first.
void ClassicPainter::PaintText(CDC& dc, const RECT& r, UINT labelFlags, UINT accelFlags, COLORREF color,
                               bool embossed)
{
    if (m_p.label.IsEmpty() && m_p.accel.IsEmpty()) return;
    dc.SetBkMode(TRANSPARENT);
    CSelectedFont font(dc, MenuItemLogFont(m_p.state));
    UINT hide = HidePrefixFlag(m_p.state);
    auto draw = [&](RECT where, COLORREF c) {
        dc.SetTextColor(c);
        if (labelFlags & DT_CENTER) {   // a bar label: mnemonic underlined by hand
            DrawMnemonicText(dc, m_p.label, -1, where, labelFlags | hide);
            return;
        }
        RECT t = where;
        dc.DrawText(m_p.label, &t, labelFlags | hide);
        if (!m_p.accel.IsEmpty() && accelFlags) {
            t = where;
            dc.DrawText(m_p.accel, &t, accelFlags | hide);
        }
    };
    if (embossed) {
        RECT raised = r;
        OffsetRect(&raised, 1, 1);
        draw(raised, Sys(COLOR_BTNHIGHLIGHT));
    }
    draw(r, color);
}

} // namespace

BOOL CSkinMenu::DrawCheckMark(CDC& dc, const RECT& rect, HBITMAP checked, HBITMAP unchecked, UINT state)
{
    bool isChecked = (state & ODS_CHECKED) != 0;
    if (!isChecked && !unchecked) return FALSE;
    RECT r = rect;
    InflateRect(&r, -1, -1);
    if (IsNewShellSystem()) dc.DrawEdge(&r, BDR_SUNKENINNER, BF_RECT);
    InflateRect(&r, 2, 2);
    if (!isChecked) {
        DrawCheckBitmapCentred(dc, r, unchecked, DSS_MONO | ((state & (ODS_GRAYED | ODS_DISABLED)) ? DSS_DISABLED : 0));
    } else if (!checked) {
        OffsetRect(&r, 1, 2);
        DrawMenuGlyph(dc, r, kGlyphCheck, state);
    } else if (unchecked) {
        DrawCheckBitmapCentred(dc, r, checked, DSS_MONO);
    } else {
        DrawMenuGlyph(dc, r, kGlyphBullet, state);
    }
    return TRUE;
}

namespace {
void PaintClassicItem(CSkinMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBarItem, Classic look)
{
    MenuItemPaint p(menu, dis, menuBarItem);
    if (BeginItemPaint(p, ItemLayout::Classic)) ClassicPainter(menu, p, look).Paint();
}
} // namespace

void CSkinMenu::DrawItemClassic(DRAWITEMSTRUCT* dis, BOOL menuBarItem)
{
    PaintClassicItem(this, dis, menuBarItem, Classic::Plain);
}

void CSkinMenu::DrawItemBevel(DRAWITEMSTRUCT* dis, BOOL menuBarItem)
{
    PaintClassicItem(this, dis, menuBarItem, Classic::Bevel);
}
