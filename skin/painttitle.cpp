// Title separators, the same in every theme: a caption-coloured band with the
// item's text in bold Arial, turned upwards for a vertical title.
#include "skin/drawing.h"
#include "skin/itempaint.h"
#include "skin/menuicons.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"
#include <algorithm>

namespace {
enum : UINT {
    kTitleVertical = 0x02,
    kTitleGradient = 0x04,
    kTitleSunken = 0x08,
    kTitleEtched = 0x10,
    kTitleRounded = 0x20,
    kTitleCentred = 0x40,
};

// A rounded band in the background colour with a white outline.
void FillRoundedBand(CDC& dc, const RECT& r, COLORREF color)
{
    CBrush brush(color);
    CSelectScope fill(dc, brush);
    CSelectScope outline(dc, ::GetStockObject(WHITE_PEN));
    dc.RoundRect(r.left, r.top, r.right, r.bottom, 10, 10);
}

void Frame3d(CDC& dc, RECT r, bool sunken)
{
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    dc.Draw3dRect(&r, sunken ? shadow : light, sunken ? light : shadow);
}
} // namespace

void CSkinMenu::DrawMenuTitle(DRAWITEMSTRUCT* dis, BOOL)
{
    const CSkinMenuItemData* data = (const CSkinMenuItemData*)dis->itemData;
    if (!data) return;
    CDC& dc = *CDC::FromHandle(dis->hDC);
    CSavedDC state(dc);
    TitleColors colors = GetTitleColors(data);
    UINT flags = data->m_nTitleFlags;
    bool vertical = (flags & kTitleVertical) != 0;
    SIZE icon = {0, 0};
    bool hasIcon = data->m_pIcons && data->m_nIconIndex >= 0;
    if (hasIcon) {
        SIZE own = data->m_pIcons->GetIconSize();
        if (own.cx || own.cy) icon = {own.cx + 4, own.cy + 4};
    }

    RECT area = dis->rcItem;
    if (vertical) {
        RECT client;
        HWND wnd = ::WindowFromDC(dc);
        if (!wnd || !::GetClientRect(wnd, &client)) dc.GetClipBox(&client);
        area.top = client.top;
        area.bottom = client.bottom;
        area.right += ::GetSystemMetrics(SM_CXMENUCHECK);
    }
    CSelectedFont font(dc, GetTitleLogFont(vertical ? 900 : 0));
    CString text = data->GetShowText(GetShowAccelerators() ? GetAccelerators() : nullptr);
    SIZE extent = dc.GetTextExtent(text, text.GetLength());
    int width = area.right - area.left, height = area.bottom - area.top;
    int x = vertical ? area.left + 2 : area.left + icon.cx + 2;
    int y = vertical ? area.bottom - icon.cy - 4 : area.top;

    if (flags & kTitleGradient) {
        if (vertical) FillGradientRect(dc, area, colors.second, colors.background, FALSE, FALSE);
        else FillGradientRect(dc, area, colors.background, colors.second, TRUE, FALSE);
    } else if (flags & kTitleRounded) {
        RECT band = area;
        if (vertical) {
            band.right = area.left + extent.cy + 4;
            y -= 2;
        } else {
            x += std::min<int>(10, (width - extent.cx - icon.cx) / 2);
        }
        FillRoundedBand(dc, band, colors.background);
    } else {
        dc.FillSolidRect(&area, colors.background);
    }
    if (flags & kTitleSunken) Frame3d(dc, area, true);
    if (flags & kTitleCentred) {
        if (vertical) y = area.bottom - (height - extent.cx - icon.cy) / 2 - icon.cy;
        else x = area.left + icon.cx + ((width - extent.cx - icon.cx) >> 1);
    }
    dc.SetTextColor(colors.text);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(x, y, text, text.GetLength());
    if (hasIcon) data->m_pIcons->Draw(dc, data->m_nIconIndex, {vertical ? x : x - icon.cx, y + 2});
    if (flags & kTitleEtched) {
        if (vertical) {
            RECT a = {area.left + 20, area.top + 5, area.left + 22, area.bottom - 5};
            Frame3d(dc, a, true);
            RECT b = {a.left + 3, a.top + 10, a.right + 3, a.bottom - 10};
            Frame3d(dc, b, true);
        } else {
            RECT a = {area.left + 2, area.bottom - 7, area.right - 2, area.bottom - 5};
            Frame3d(dc, a, false);
            RECT b = {a.left + 10, a.top + 3, a.right - 10, a.bottom + 3};
            Frame3d(dc, b, true);
        }
    }
}
