// The texts a skinned menu tree holds, for comparing menus before and after
// a change: one line per item, labels with their accelerator text, submenu
// items indented under their submenu's line.
#pragma once
#include "skin/skinmenu.h"
#include <string>
#include <vector>

inline void CollectMenuTexts(CSkinMenu& menu, const std::string& indent, std::vector<std::string>& lines)
{
    for (CSkinMenuItemData* item : menu.GetItemData()) {
        lines.push_back(indent + (LPCSTR)item->m_strText);
        if (item->m_nMenuFlags & MF_POPUP)
            if (CSkinMenu* sub = CSkinMenu::FromMenuHandle((HMENU)item->m_nID))
                CollectMenuTexts(*sub, indent + "  ", lines);
    }
}

inline std::vector<std::string> MenuTexts(CSkinMenu& menu)
{
    std::vector<std::string> lines;
    CollectMenuTexts(menu, "", lines);
    return lines;
}

// Windows keeps no text for an owner-drawn item (its item data stands in
// its place), while Wine keeps the one the item had before. This drops the
// system's texts of every owner-drawn item of the tree, as Windows has
// them; the item data and the owner-draw type stay. False when a text is
// still there afterwards.
inline bool DropOwnerDrawnTexts(HMENU menu)
{
    bool dropped = true;
    for (int pos = 0, n = GetMenuItemCount(menu); pos < n; ++pos) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(menu, pos, TRUE, &mii))
            return false;
        if (mii.hSubMenu)
            dropped = DropOwnerDrawnTexts(mii.hSubMenu) && dropped;
        if (!(mii.fType & MFT_OWNERDRAW))
            continue;
        MENUITEMINFOA text = {};
        text.cbSize = sizeof text;
        text.fMask = MIIM_STRING;
        text.dwTypeData = const_cast<char*>("");
        SetMenuItemInfoA(menu, pos, TRUE, &text);
        char left[64] = "";
        GetMenuStringA(menu, pos, left, sizeof left, MF_BYPOSITION);
        mii.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, pos, TRUE, &mii);
        dropped = dropped && left[0] == 0 && (mii.fType & MFT_OWNERDRAW);
    }
    return dropped;
}
