// The three ways the themes measure menu items: classic, bevel and flat.
#include "skin/skinmenu.h"
#include "skin/drawing.h"
#include "skin/menuicons.h"
#include "skin/skinlib.h"
#include <algorithm>

namespace {

SIZE TextExtent(const CString& text, const LOGFONTA& lf)
{
    SIZE sz = {0, 0};
    CScreenDC dc;
    CFont font;
    font.CreateFontIndirect(&lf);
    CSelectScope selectFont(dc, font);
    ::GetTextExtentPoint32A(dc, text, (int)lstrlenA(text), &sz);
    return sz;
}

// Separators and titles measure alike in every theme; false for other items.
bool MeasureSeparator(const CSkinMenuItemData* d, HACCEL accel, MEASUREITEMSTRUCT* mis)
{
    if (!(d->m_nMenuFlags & MF_SEPARATOR)) return false;
    if (!(d->m_nTitleFlags & 0x01)) {
        mis->itemWidth = mis->itemHeight = 3;
        return true;
    }
    SIZE text = TextExtent(d->GetShowText(accel), GetTitleLogFont(0));
    SIZE icon = {0, 0};
    if (d->m_nIconIndex != -1 && d->m_pIcons) {
        icon = d->m_pIcons->GetIconSize();
        if (icon.cx || icon.cy) {
            icon.cx += 2;
            icon.cy += 2;
        }
    }
    if (d->m_nTitleFlags & 0x02) {
        int width = std::max(text.cy, icon.cx);
        if (!IsRunningUnderWine()) width -= ::GetSystemMetrics(SM_CXMENUCHECK);
        if (d->m_nTitleFlags & 0x10) width += 8;
        else if (d->m_nTitleFlags & 0x20) width += 4;
        mis->itemWidth = (UINT)width;
        mis->itemHeight = 0;
    } else {
        mis->itemWidth = (UINT)(icon.cx + text.cx);
        mis->itemHeight = (UINT)(std::max(icon.cy, text.cy) + ((d->m_nTitleFlags & 0x10) ? 8 : 0));
    }
    return true;
}

enum class Style { Classic, Bevel, Flat };

} // namespace

void CSkinMenu::MeasureItemWith(int style, MEASUREITEMSTRUCT* mis, BOOL menuBarItem)
{
    const CSkinMenuItemData* d = (const CSkinMenuItemData*)mis->itemData;
    if (!d) return;
    HACCEL accel = GetShowAccelerators() ? m_accel : nullptr;
    if (MeasureSeparator(d, accel, mis)) return;

    CString text = d->GetShowText(accel);
    bool hasAmpersand = text.Find('&') >= 0;
    LOGFONTA menuFont = GetMenuLogFont();
    if (::GetMenuDefaultItem(m_hMenu, FALSE, 0) == (UINT)d->m_nID) menuFont.lfWeight = 700;
    CString measured = text;
    if ((Style)style != Style::Classic) measured.Replace("\t", "nnn");
    SIZE sz = TextExtent(measured, menuFont);
    int w = sz.cx, h = sz.cy, iw = m_nIconWidth, ih = m_nIconHeight;
    int cyMenu = ::GetSystemMetrics(SM_CYMENU);
    int width, height;
    switch ((Style)style) {
    case Style::Classic:
    case Style::Bevel: {
        int pad = (Style)style == Style::Classic ? 4 : 6;
        width = menuBarItem ? (hasAmpersand ? w - ::GetSystemMetrics(SM_CXMENUCHECK) / 2 : w) : w + 2 * iw + 2;
        height = std::max({cyMenu, ih + pad, h});
        break;
    }
    default:
        if (menuBarItem) {
            width = hasAmpersand ? w - 6 : w;
            height = std::max({cyMenu, ih + 2, h});
        } else {
            width = w + iw + 6 + ((d->m_nMenuFlags & MF_POPUP) ? cyMenu : cyMenu / 2);
            height = std::max(cyMenu > ih + 8 ? cyMenu : ih + 7, h);
        }
    }
    mis->itemWidth = (UINT)width;
    mis->itemHeight = (UINT)height;

    // System commands share one height and the width of the next command.
    UINT sys = (UINT)d->m_nID & 0xFFF0;
    if (sys >= 0xF000 && sys <= 0xF150) {
        mis->itemHeight = (UINT)cyMenu;
        auto it = std::find(m_items.begin(), m_items.end(), d);
        if (it != m_items.end())
            for (++it; it != m_items.end(); ++it) {
                if (!(*it)->m_nID) continue;
                ULONG_PTR saved = mis->itemData;
                UINT ownWidth = mis->itemWidth, ownHeight = mis->itemHeight;
                mis->itemData = (ULONG_PTR)*it;
                MeasureItemWith(style, mis, menuBarItem);
                UINT nextWidth = mis->itemWidth;
                mis->itemData = saved;
                mis->itemWidth = std::max(ownWidth, nextWidth);
                mis->itemHeight = ownHeight;
                break;
            }
    }
}

void CSkinMenu::MeasureItemClassic(MEASUREITEMSTRUCT* mis, BOOL bar) { MeasureItemWith((int)Style::Classic, mis, bar); }
void CSkinMenu::MeasureItemBevel(MEASUREITEMSTRUCT* mis, BOOL bar) { MeasureItemWith((int)Style::Bevel, mis, bar); }
void CSkinMenu::MeasureItemFlat(MEASUREITEMSTRUCT* mis, BOOL bar) { MeasureItemWith((int)Style::Flat, mis, bar); }
