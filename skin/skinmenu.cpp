#include "skin/skinmenu.h"
#include "skin/drawing.h"
#include "skin/menuicons.h"
#include "skin/menutheme.h"
#include "skin/skinlib.h"
#include "framework/wnd.h"
#include <algorithm>

IMPLEMENT_DYNAMIC(CSkinMenu, CMenu)

CSkinMenu::CSkinMenu(HMENU parent) : m_hParentMenu(parent) {}

CSkinMenu::~CSkinMenu()
{
    DestroyMenu();
}

CSkinMenu* CSkinMenu::FromMenuHandle(HMENU menu)
{
    if (!menu || !::IsMenu(menu)) return nullptr;
    return DYNAMIC_DOWNCAST(CSkinMenu, CMenu::FromHandlePermanent(menu));
}

BOOL CSkinMenu::LoadMenu(UINT id)
{
    return LoadMenu(MAKEINTRESOURCEA(id));
}

BOOL CSkinMenu::LoadMenu(LPCSTR name)
{
    return LoadMenu(::LoadMenuA(SkinGetResourceHandle(), name));
}

// The object built for a submenu handle goes; the handle belongs to its parent
// menu, so it is detached first. By the map alone: the handle may already be
// gone with its window.
void CSkinMenu::ReleaseSubMenu(HMENU subMenu)
{
    if (CSkinMenu* sub = DYNAMIC_DOWNCAST(CSkinMenu, CMenu::FromHandlePermanent(subMenu))) {
        sub->ReleaseContent();
        sub->Detach();
        delete sub;
    }
}

// Frees what the object built over its current handle; the handle itself stays
// attached.
void CSkinMenu::ReleaseContent()
{
    for (size_t i = m_subMenus.size(); i-- > 0;)
        ReleaseSubMenu(m_subMenus[i]);
    m_subMenus.clear();
    for (size_t i = m_items.size(); i-- > 0;) delete m_items[i];
    m_items.clear();
    if (!m_bCheckIconsShared) delete m_pCheckIcons;
    m_pCheckIcons = nullptr;
}

BOOL CSkinMenu::LoadMenu(HMENU menu)
{
    if (!menu || !::IsMenu(menu)) return FALSE;
    // Another menu: the old content goes, and the old handle, when it is
    // still a menu of ours, is destroyed.
    if (m_hMenu && m_hMenu != menu) {
        ReleaseContent();
        HMENU old = Detach();
        if (::IsMenu(old)) ::DestroyMenu(old);
    }
    if (!m_hMenu && !Attach(menu)) return FALSE;
    // The same menu again (a dialog initialised a second time) keeps its item
    // data and submenu objects: its items are owner-drawn by now, and their
    // labels and accelerator texts are kept only there. The conversion takes
    // them up again and adds what is new.
    m_bPopup = FALSE;
    std::vector<HMENU> subMenus;
    int count = ::GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        HMENU subHandle = ::GetSubMenu(menu, pos);
        if (!subHandle) continue;
        bool known = std::find(m_subMenus.begin(), m_subMenus.end(), subHandle) != m_subMenus.end();
        CSkinMenu* sub = known ? FromMenuHandle(subHandle) : nullptr;
        if (!sub) sub = new CSkinMenu(m_hMenu);
        subMenus.push_back(subHandle);
        sub->LoadMenu(subHandle);
        sub->m_bPopup = TRUE;
    }
    for (HMENU old : m_subMenus)
        if (std::find(subMenus.begin(), subMenus.end(), old) == subMenus.end()) ReleaseSubMenu(old);
    m_subMenus = std::move(subMenus);
    ConvertItemsToOwnerDraw();
    return TRUE;
}

BOOL CSkinMenu::DestroyMenu()
{
    ReleaseContent();
    // A window destroys its menu bar and system menu itself; a handle that is
    // no longer a menu is only let go.
    if (m_hMenu && !::IsMenu(m_hMenu)) {
        Detach();
        return FALSE;
    }
    return CMenu::DestroyMenu();
}

void CSkinMenu::ReleaseWindowMenu()
{
    ReleaseContent();
    Detach();
}

void CSkinMenu::DrawTitle(LPDRAWITEMSTRUCT dis, BOOL menuBarItem)
{
    CMenuTheme* theme = GetCurrentMenuTheme();
    if (theme && theme->m_pfnTitle) (this->*theme->m_pfnTitle)(dis, menuBarItem);
}

BOOL CSkinMenu::EraseBkgnd(HWND wnd, HDC dc)
{
    RECT r;
    ::GetClientRect(wnd, &r);
    CBrush brush(GetMenuBackgroundColor(nullptr));
    ::FillRect(dc, &r, brush);
    return TRUE;
}

static void Paint(CSkinMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBarItem)
{
    CMenuTheme* theme = GetCurrentMenuTheme();
    if (theme && theme->m_pfnPaint) (menu->*theme->m_pfnPaint)(dis, menuBarItem);
}

void CSkinMenu::DrawItem(LPDRAWITEMSTRUCT dis)
{
    if (m_hParentMenu) {
        Paint(this, dis, FALSE);
        return;
    }
    BOOL bar = !m_bPopup;
    if (bar && GetHotMenuBarItem() == dis->itemData && !(dis->itemState & ODS_HOTLIGHT))
        SetHotMenuBarItem(0);
    Paint(this, dis, bar);
}

void CSkinMenu::MeasureItem(LPMEASUREITEMSTRUCT mis)
{
    BOOL bar = IsMenuBarItem(mis->itemID);
    CSkinMenu* measurer = this;
    if (!bar && m_hParentMenu && !FindItemData(mis->itemID))
        if (CSkinMenu* parent = FromMenuHandle(m_hParentMenu)) measurer = parent;
    CMenuTheme* theme = GetCurrentMenuTheme();
    if (theme && theme->m_pfnMeasure) (measurer->*theme->m_pfnMeasure)(mis, bar);
    else measurer->MeasureItemFlat(mis, bar);
}

BOOL CSkinMenu::IsMenuBarItem(UINT_PTR id) const
{
    if (FindItemData(id)) return !m_hParentMenu && !m_bPopup;
    if (!m_hParentMenu) return !m_bPopup;
    CSkinMenu* parent = FromMenuHandle(m_hParentMenu);
    return parent && !parent->m_bPopup;
}

// ---- conversion to owner-draw

void CSkinMenu::ClearItemMarks(BOOL value)
{
    for (CSkinMenuItemData* d : m_items) d->m_bUsed = value;
}

CSkinMenuItemData* CSkinMenu::TakeUnusedItemData(UINT_PTR key)
{
    for (CSkinMenuItemData* d : m_items) {
        if (d->m_nID == key && !d->m_bUsed) {
            d->m_bUsed = TRUE;
            return d;
        }
    }
    return nullptr;
}

void CSkinMenu::DeleteUnmarkedItemData()
{
    m_items.erase(std::remove_if(m_items.begin(), m_items.end(),
                                 [](CSkinMenuItemData* d) {
                                     if (d->m_bUsed) return false;
                                     delete d;
                                     return true;
                                 }),
                  m_items.end());
}

CSkinMenuItemData* CSkinMenu::CreateItemData(int pos, UINT flags, UINT_PTR id, LPCSTR text)
{
    CSkinMenuItemData* d = new CSkinMenuItemData;
    d->m_nMenuFlags = flags;
    d->m_nID = id;
    d->SetString(text);
    d->m_bUsed = TRUE;
    if (flags & MF_POPUP)
        if (CSkinMenu* sub = FromMenuHandle((HMENU)id)) sub->m_hParentMenu = m_hMenu;
    LPCSTR content = nullptr;
    CString shown;
    if (flags & MF_OWNERDRAW) {
        content = (LPCSTR)d;
    } else if (!(flags & MF_SEPARATOR)) {
        shown = d->GetShowText(m_accel);
        content = shown;
    }
    ::ModifyMenuA(m_hMenu, pos, flags | MF_BYPOSITION, id, content);
    return d;
}

static CString MenuLabel(HMENU menu, int pos)
{
    char buf[256] = "";
    ::GetMenuStringA(menu, pos, buf, sizeof buf, MF_BYPOSITION);
    return CString(buf);
}

BOOL CSkinMenu::ConvertItemsToOwnerDraw()
{
    if (!m_hMenu) return FALSE;
    ClearItemMarks(FALSE);
    std::vector<CSkinMenuItemData*> list;
    for (int pos = 0; pos < ::GetMenuItemCount(m_hMenu); ++pos) {
        MENUITEMINFOA mii;
        ZeroMemory(&mii, sizeof mii);
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
        if (!::GetMenuItemInfoA(m_hMenu, pos, TRUE, &mii)) break;
        UINT state = ::GetMenuState(m_hMenu, pos, MF_BYPOSITION);
        if (state == (UINT)-1) break;
        HMENU subHandle = ::GetSubMenu(m_hMenu, pos);
        // For a submenu the high byte holds its item count, not flags.
        UINT flags = subHandle ? (state & 0xFF) | MF_POPUP : state;
        if (!(state & MFT_RIGHTORDER)) flags |= mii.fType & (MFT_RIGHTJUSTIFY | MFT_RIGHTORDER);
        CSkinMenuItemData* d = nullptr;
        if (flags & MF_BITMAP) {
            d = TakeUnusedItemData(mii.wID);
            if (!d) {
                d = new CSkinMenuItemData;
                d->m_nMenuFlags = flags;
                d->m_nID = mii.wID;
                d->m_bUsed = TRUE;
            }
        } else if (subHandle) {
            CString label = MenuLabel(m_hMenu, pos);
            d = TakeUnusedItemData((UINT_PTR)subHandle);
            if (d) {
                if (!label.IsEmpty()) d->SetString(label);
            } else {
                d = CreateItemData(pos, (flags & ~(MF_SEPARATOR | MF_USECHECKBITMAPS)) | MF_POPUP |
                                            MF_OWNERDRAW | MF_BYPOSITION,
                                   (UINT_PTR)subHandle, label);
            }
            if (CSkinMenu* sub = FromMenuHandle(subHandle)) sub->m_hParentMenu = m_hMenu;
        } else if (flags & MF_SEPARATOR) {
            flags |= MF_OWNERDRAW | MF_BYPOSITION;
            d = TakeUnusedItemData(0);
            if (d) {
                d->m_nMenuFlags = flags;
                ::ModifyMenuA(m_hMenu, pos, flags, 0, (LPCSTR)d);
            } else {
                d = CreateItemData(pos, flags, 0, "");
            }
        } else {
            flags |= MF_OWNERDRAW | MF_BYPOSITION;
            UINT id = ::GetMenuItemID(m_hMenu, pos);
            CString label = MenuLabel(m_hMenu, pos);
            d = TakeUnusedItemData(id);
            if (d) {
                d->m_nMenuFlags = flags;
                if (!label.IsEmpty()) d->SetString(label);
                ::ModifyMenuA(m_hMenu, pos, flags, id, (LPCSTR)d);
            } else {
                d = CreateItemData(pos, flags, id, label);
            }
        }
        list.push_back(d);
    }
    // Whatever was not taken again belongs to items that are gone.
    for (CSkinMenuItemData* d : m_items)
        if (!d->m_bUsed) delete d;
    m_items = std::move(list);
    return TRUE;
}

CSkinMenuItemData* CSkinMenu::FindItemData(UINT_PTR id) const
{
    for (CSkinMenuItemData* d : m_items)
        if (d->m_nID == id) return d;
    int pos = -1;
    CSkinMenu* self = const_cast<CSkinMenu*>(this);
    CSkinMenu* holder = self->FindMenuOfItem((UINT)id, &pos);
    if (holder && holder != this)
        for (CSkinMenuItemData* d : holder->m_items)
            if (d->m_nID == id) return d;
    return nullptr;
}

CSkinMenu* CSkinMenu::FindMenuOfItemExcluding(UINT id, int* pos, const std::vector<CSkinMenu*>& menus,
                                              const std::vector<int>& positions)
{
    int count = m_hMenu ? ::GetMenuItemCount(m_hMenu) : 0;
    for (int p = 0; p < count; ++p) {
        if (CSkinMenu* sub = FromMenuHandle(::GetSubMenu(m_hMenu, p))) {
            if (CSkinMenu* found = sub->FindMenuOfItemExcluding(id, pos, menus, positions)) return found;
            continue;
        }
        if (::GetMenuItemID(m_hMenu, p) != id) continue;
        bool excluded = false;
        for (size_t i = 0; i < menus.size() && i < positions.size(); ++i)
            if (menus[i] == this && positions[i] == p) excluded = true;
        if (excluded) continue;
        if (pos) *pos = p;
        return this;
    }
    if (pos) *pos = -1;
    return nullptr;
}

CSkinMenu* CSkinMenu::FindMenuOfItem(UINT id, int* pos)
{
    static const std::vector<CSkinMenu*> noMenus;
    static const std::vector<int> noPositions;
    return FindMenuOfItemExcluding(id, pos, noMenus, noPositions);
}

BOOL CSkinMenu::ChangeItemId(UINT oldId, UINT newId)
{
    int pos = -1;
    CSkinMenu* menu = FindMenuOfItem(oldId, &pos);
    if (!menu || pos < 0 || pos >= (int)menu->m_items.size()) return FALSE;
    CSkinMenuItemData* d = menu->m_items[pos];
    d->m_nID = newId;
    return ::ModifyMenuA(menu->m_hMenu, pos, d->m_nMenuFlags | MF_OWNERDRAW | MF_BYPOSITION, newId,
                         (LPCSTR)d);
}

// ---- opening and closing as a popup

BOOL CSkinMenu::OnInitMenuPopup()
{
    m_bPopup = TRUE;
    BOOL result = ConvertItemsToOwnerDraw();
    if (GetWindowsVersionClass() == kOsClassXP) {
        ChangeItemId(SC_RESTORE, SC_RESTORE + 1);
        ChangeItemId(SC_CLOSE, SC_CLOSE + 1);
        result = ChangeItemId(SC_MINIMIZE, SC_MINIMIZE + 1);
    }
    return result;
}

static void RedrawBarItem(HWND owner, RECT r)
{
    if (IsRectEmpty(&r) || !owner) return;
    r.right += 10;
    r.bottom += 10;
    ::ScreenToClient(owner, (LPPOINT)&r);
    ::ScreenToClient(owner, (LPPOINT)&r + 1);
    ::RedrawWindow(owner, &r, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

BOOL CSkinMenu::OnUnInitMenuPopup()
{
    if (GetWindowsVersionClass() == kOsClassXP) {
        ChangeItemId(SC_MINIMIZE + 1, SC_MINIMIZE);
        ChangeItemId(SC_RESTORE + 1, SC_RESTORE);
        if (ChangeItemId(SC_CLOSE + 1, SC_CLOSE) && m_hWndOwner)
            ::SetWindowPos(m_hWndOwner, nullptr, 0, 0, 0, 0,
                           SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    }
    CSkinMenu* parent = FromMenuHandle(m_hParentMenu);
    if (!parent) return FALSE;
    parent->m_nOpenPopups--;
    if (parent->m_bPopup) return FALSE;
    parent->m_nOpenPopups = 0;
    RedrawBarItem(m_hWndOwner, parent->m_rcBarItem);
    return TRUE;
}

void HandleInitMenuPopup(CWnd* wnd, CMenu* popup, UINT index, BOOL sysMenu)
{
    HMENU handle = popup ? popup->GetSafeHmenu() : nullptr;
    SetMenuBeingOpened(handle);
    CSkinMenu* menu = CSkinMenu::FromMenuHandle(handle);
    if (!menu) return;
    HWND hwnd = wnd ? wnd->GetSafeHwnd() : nullptr;
    menu->SetOwnerWindow(hwnd);
    menu->OnInitMenuPopup();
    if (CSkinMenu* parent = CSkinMenu::FromMenuHandle(menu->GetParentHandle())) {
        int was = parent->GetOpenPopupCount();
        parent->ChangeOpenPopupCount(1);
        if (was == 0 && !parent->IsPopup()) RedrawBarItem(hwnd, parent->GetBarItemRect());
    }
}

void CSkinMenu::RememberBarItemRect(HDC dc, const RECT& item)
{
    if (m_bPopup) return;
    HWND wnd = ::WindowFromDC(dc);
    RECT w = {0, 0, 0, 0};
    if (wnd) ::GetWindowRect(wnd, &w);
    m_rcBarItem = item;
    ::OffsetRect(&m_rcBarItem, w.left, w.top);
}

BOOL CSkinMenu::TrackPopupMenuBeside(CMenu* popup, UINT flags, const RECT& button, CWnd* owner,
                                     BOOL vertical)
{
    RECT work = button;
    GetMonitorWorkArea(&work);
    RECT b = button;
    bool rtl = owner && (::GetWindowLongA(owner->GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    if (vertical) {
        if (b.right > (work.left + work.right) / 2) {
            if (work.left >= b.left) b.left = work.left + 1;
            if (b.top < work.top) b.top = work.top;
            return popup->TrackPopupMenu(flags | (rtl ? 0 : TPM_RIGHTALIGN), b.left - 1, b.top + 1, owner);
        }
        if (work.left >= b.right) b.right = work.left + 1;
        if (b.top < work.top) b.top = work.top;
        return popup->TrackPopupMenu(flags, b.right - 1, b.top + 1, owner);
    }
    CSkinMenu* skin = DYNAMIC_DOWNCAST(CSkinMenu, popup);
    int estimate = skin ? skin->GetMenuItemCount() * skin->GetIconSize().cy : 0;
    if (b.top <= (work.top + work.bottom) / 2 || (estimate && estimate + b.bottom < work.bottom)) {
        if (b.left < work.left) b.left = work.left;
        if (b.bottom < work.top) b.bottom = work.top;
        return popup->TrackPopupMenu(flags | (rtl ? TPM_RIGHTALIGN : 0), b.left, b.bottom, owner, &button);
    }
    if (b.left < work.left) b.left = work.left;
    if (b.top > work.bottom) b.top = work.bottom;
    return popup->TrackPopupMenu(flags | TPM_BOTTOMALIGN | (rtl ? TPM_RIGHTALIGN : 0), b.left, b.top, owner,
                                 &button);
}

// ---- toolbar icons

BOOL CSkinMenu::ModifyItemIcon(LPCSTR text, UINT id, CSkinMenuIcons* store, int index)
{
    bool ok = true;
    std::vector<CSkinMenu*> menus;
    std::vector<int> positions;
    int pos = -1;
    CSkinMenuItemData* d = nullptr;
    while (CSkinMenu* menu = FindMenuOfItemExcluding(id, &pos, menus, positions)) {
        menus.push_back(menu);
        positions.push_back(pos);
        if (pos < (int)menu->m_items.size()) {
            d = menu->m_items[pos];
        } else {
            d = new CSkinMenuItemData;
            d->m_bUsed = TRUE;
            menu->m_items.push_back(d);
        }
        bool changed = false;
        if (text && d->m_strText != text) {
            d->SetString(text);
            changed = true;
        }
        if (store) {
            CSkinMenuIcons::AddRef(store);
            CSkinMenuIcons::Release(d->m_pIcons);
            d->m_pIcons = store;
            d->m_nIconIndex = index;
            SIZE sz = store->GetIconSize();
            menu->m_nIconWidth = std::max<int>(menu->m_nIconWidth, sz.cx);
            menu->m_nIconHeight = std::max<int>(menu->m_nIconHeight, sz.cy);
        } else {
            d->m_nIconIndex = -1;
        }
        d->m_nMenuFlags = (d->m_nMenuFlags & ~MF_BYPOSITION) | MF_OWNERDRAW;
        d->m_nID = id;
        if (changed) {
            if (!::ModifyMenuA(menu->m_hMenu, pos, (d->m_nMenuFlags & ~MF_OWNERDRAW) | MF_BYPOSITION, id, text))
                ok = false;
            if (!::ModifyMenuA(menu->m_hMenu, pos, d->m_nMenuFlags | MF_BYPOSITION, id, (LPCSTR)d)) ok = false;
        }
    }
    if (!d) return FALSE;
    return ::ModifyMenuA(m_hMenu, id, d->m_nMenuFlags, id, (LPCSTR)d) && ok;
}

void CSkinMenu::ApplyIconsToItems(CSkinMenuIcons* store)
{
    const std::vector<UINT>& ids = store->GetCommandIds();
    for (size_t i = ids.size(); i-- > 0;) ModifyItemIcon(nullptr, ids[i], store, (int)(3 * i));
}

BOOL CSkinMenu::AddToolBarIcons(const WORD* block, COLORREF transparent)
{
    if (transparent == (COLORREF)-1) transparent = m_clrDefaultTransparent;
    std::vector<CSkinMenuIcons*>* list = GetIconStoreList(false);
    if (list) {
        for (CSkinMenuIcons* s : *list) {
            if (s->MatchesToolBarData(block, transparent)) {
                ApplyIconsToItems(s);
                return TRUE;
            }
        }
    }
    list = GetIconStoreList(true);
    CSkinMenuIcons* store = new CSkinMenuIcons;
    if (!store->LoadToolBarData(block, transparent)) {
        delete store;
        return FALSE;
    }
    list->push_back(store);
    ApplyIconsToItems(store);
    return TRUE;
}

BOOL CSkinMenu::LoadToolBar(UINT toolbarId, UINT bitmapId, COLORREF transparent, HINSTANCE module)
{
    std::vector<WORD> block;
    if (!ReadToolBarDataBlock(toolbarId, bitmapId, module, &block)) return FALSE;
    return AddToolBarIcons(block.data(), transparent);
}

void ApplyMenuBarBrush(HMENU menu)
{
    CSkinBrush* brush = GetMenuBarBrush();
    if (!brush || !CSkinMenu::FromMenuHandle(menu)) return;
    MENUINFO mi;
    ZeroMemory(&mi, sizeof mi);
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    mi.hbrBack = *brush;
    ::SetMenuInfo(menu, &mi);
}
