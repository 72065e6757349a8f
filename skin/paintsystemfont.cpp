// The item painter of draw modes 4/5: menu-bar items flat in the system
// colours and font, popup items as the classic painter draws them.
#include "skin/drawing.h"
#include "skin/itempaint.h"
#include "skin/skinlib.h"
#include "skin/skinmenu.h"

void CSkinMenu::DrawItemSystemFont(DRAWITEMSTRUCT* dis, BOOL menuBarItem)
{
    if (!menuBarItem) {
        DrawItemClassic(dis, menuBarItem);
        return;
    }
    const CSkinMenuItemData* data = (const CSkinMenuItemData*)dis->itemData;
    CDC& dc = *CDC::FromHandle(dis->hDC);
    CSavedDC state(dc);
    UINT s = dis->itemState;
    bool lit = (s & (ODS_SELECTED | ODS_HOTLIGHT)) != 0;
    if (lit) RememberBarItemRect(dc, dis->rcItem);
    dc.FillSolidRect(&dis->rcItem, lit ? GetSysColor(COLOR_HIGHLIGHT) : GetMenuBarColor(nullptr));
    dc.SetBkMode(TRANSPARENT);
    if (!data) return;
    CString text = data->GetShowText(GetShowAccelerators() ? GetAccelerators() : nullptr);
    dc.SetTextColor(GetSysColor((s & ODS_GRAYED) ? COLOR_GRAYTEXT : lit ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    CSelectedFont font(dc, MenuItemLogFont(s & kStateVerticalBar));
    DrawMnemonicText(dc, text, -1, dis->rcItem, DT_CENTER | DT_VCENTER | DT_SINGLELINE | HidePrefixFlag(s));
}
