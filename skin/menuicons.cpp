#include "skin/menuicons.h"
#include "skin/drawing.h"
#include "skin/skinlib.h"
#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CSkinMenuIcons, CObject)

namespace {
std::vector<CSkinMenuIcons*>* g_stores = nullptr;
DWORD g_lastRefresh = 0;
int g_refreshCount = 0;

const UINT kListFlags = ILC_COLORDDB | ILC_MASK;

bool IsIntName(LPCSTR name) { return ((ULONG_PTR)name >> 16) == 0; }

// The words of a toolbar resource (version, width, height, count, ids), from
// the module or, failing that, the resource module; null when neither has it.
const WORD* FindToolBarWords(LPCSTR name, HINSTANCE module)
{
    HINSTANCE resourceModule = SkinGetResourceHandle();
    HINSTANCE where = module ? module : resourceModule;
    HRSRC res = FindResourceA(where, name, RT_TOOLBAR);
    if (!res && where != resourceModule) {
        where = resourceModule;
        res = FindResourceA(where, name, RT_TOOLBAR);
    }
    if (!res) return nullptr;
    HGLOBAL h = LoadResource(where, res);
    return h ? (const WORD*)LockResource(h) : nullptr;
}

} // namespace

std::vector<CSkinMenuIcons*>* GetIconStoreList(bool create)
{
    if (!g_stores && create) g_stores = new std::vector<CSkinMenuIcons*>;
    return g_stores;
}

// The stores belong to the menus; only the list goes at shutdown.
void DeleteIconStoreList()
{
    delete g_stores;
    g_stores = nullptr;
}

CSkinMenuIcons::CSkinMenuIcons() {}

CSkinMenuIcons::~CSkinMenuIcons()
{
    SetResourceName(nullptr);
    if (m_hImageList) ImageList_Destroy(m_hImageList);
}

int CSkinMenuIcons::AddRef(CSkinMenuIcons* store)
{
    return store ? ++store->m_nRefCount : 0;
}

int CSkinMenuIcons::Release(CSkinMenuIcons* store)
{
    if (!store) return 0;
    int count = --store->m_nRefCount;
    if (count == 0) {
        if (g_stores) {
            auto it = std::find(g_stores->begin(), g_stores->end(), store);
            if (it != g_stores->end()) g_stores->erase(it);
        }
        delete store;
    }
    return count;
}

void CSkinMenuIcons::SetResourceName(LPCSTR name)
{
    if (m_lpszResourceName && !IsIntName(m_lpszResourceName)) delete[] m_lpszResourceName;
    m_lpszResourceName = nullptr;
    if (!name) return;
    if (IsIntName(name)) {
        m_lpszResourceName = name;
    } else {
        char* copy = new char[strlen(name) + 1];
        strcpy(copy, name);
        m_lpszResourceName = copy;
    }
}

SIZE CSkinMenuIcons::GetIconSize() const
{
    SIZE sz = {0, 0};
    int cx, cy;
    if (m_hImageList && ImageList_GetIconSize(m_hImageList, &cx, &cy)) {
        sz.cx = cx;
        sz.cy = cy;
    }
    return sz;
}

int CSkinMenuIcons::FindIcon(UINT id) const
{
    for (size_t i = m_ids.size(); i-- > 0;)
        if (m_ids[i] == id) return (int)(3 * i);
    return -1;
}

BOOL CSkinMenuIcons::LoadImageList(int width, int height, LPCSTR bitmapName, HINSTANCE module)
{
    m_nColorCount = 0;
    UINT colors = 0;
    CBitmap bitmap;
    if (!bitmap.Attach(LoadBitmapResource((UINT)(ULONG_PTR)bitmapName, module, &colors))) return FALSE;
    m_nColorCount = colors & 0xFFFF;
    if (m_hImageList) ImageList_Destroy(m_hImageList);
    m_hImageList = ImageList_Create(width, height, kListFlags, 0, 10);
    COLORREF mask = m_transparent;
    if (mask == CLR_DEFAULT) {   // the colour of the top-left pixel
        CMemoryDC dc(nullptr, bitmap);
        mask = GetPixel(dc, 0, 0);
    }
    ImageList_AddMasked(m_hImageList, bitmap, mask);
    return TRUE;
}

BOOL CSkinMenuIcons::LoadToolBarData(const WORD* data, COLORREF transparent)
{
    if (!data) return FALSE;
    m_transparent = transparent;
    if (!LoadImageList(data[1], data[2], MAKEINTRESOURCEA(data[0]), nullptr)) return FALSE;
    SetResourceName(MAKEINTRESOURCEA(data[0]));
    m_ids.clear();   // a reload must not leave ids without images
    bool appended = false;
    for (const WORD* w = data + 3; *w; ++w) {
        m_ids.push_back(*w);
        appended = true;
    }
    BuildVariants();
    return appended;
}

BOOL CSkinMenuIcons::LoadToolBarResource(LPCSTR name, HINSTANCE module)
{
    SetResourceName(name);
    m_hModule = module;
    const WORD* words = FindToolBarWords(name, module);
    if (!words) return FALSE;
    bool appended = false;
    if (LoadImageList(words[1], words[2], name, module)) {
        m_ids.clear();
        for (WORD i = 0; i < words[3]; ++i) {
            if (words[4 + i]) {
                m_ids.push_back(words[4 + i]);
                appended = true;
            }
        }
        // Variants only over a freshly loaded list: a failed load keeps the old
        // list, which already holds them.
        BuildVariants();
    }
    return appended;
}

BOOL CSkinMenuIcons::LoadFromBitmap(HBITMAP bitmap, int width, int height, const UINT* ids,
                                    COLORREF transparent)
{
    m_nColorCount = 0;
    BITMAP bm;
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return FALSE;
    m_transparent = transparent;
    if (m_hImageList) ImageList_Destroy(m_hImageList);
    m_hImageList = ImageList_Create(width, height, kListFlags, 0, 10);
    CBitmap copy;
    copy.Attach(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0));
    ImageList_AddMasked(m_hImageList, copy, transparent);
    m_ids.clear();
    bool appended = false;
    for (const UINT* id = ids; id && *id; ++id) {
        m_ids.push_back(*id);
        appended = true;
    }
    BuildVariants();
    return appended;
}

BOOL CSkinMenuIcons::MatchesBitmap(DWORD key, int width, int height, const UINT* ids) const
{
    SIZE sz = GetIconSize();
    if (key != m_dwBitmapKey || sz.cx != width || sz.cy != height || !ids) return FALSE;
    for (size_t i = 0; i < m_ids.size(); ++i)
        if (!ids[i] || ids[i] != m_ids[i]) return FALSE;
    return TRUE;
}

BOOL CSkinMenuIcons::MatchesToolBarData(const WORD* data, COLORREF transparent) const
{
    if (transparent != m_transparent || !data || !data[0]) return FALSE;
    if (!IsIntName(m_lpszResourceName) || data[0] != (WORD)(ULONG_PTR)m_lpszResourceName) return FALSE;
    for (size_t i = 0; i < m_ids.size(); ++i)
        if (!data[3 + i] || data[3 + i] != m_ids[i]) return FALSE;
    return TRUE;
}

BOOL CSkinMenuIcons::MatchesResource(LPCSTR name, HINSTANCE module) const
{
    if (module != m_hModule || !name || !m_lpszResourceName) return FALSE;
    if (IsIntName(name) || IsIntName(m_lpszResourceName)) return name == m_lpszResourceName;
    return strcmp(name, m_lpszResourceName) == 0;
}

BOOL CSkinMenuIcons::BuildVariants()
{
    int n = m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0;
    if (n == 0) return FALSE;
    HIMAGELIST old = m_hImageList;
    int cx = 0, cy = 0;
    ImageList_GetIconSize(old, &cx, &cy);
    m_hImageList = ImageList_Create(cx, cy, kListFlags, 0, 10);
    for (int i = 0; i < n; ++i) {
        HICON icon = ImageList_GetIcon(old, i, ILD_NORMAL);
        ImageList_ReplaceIcon(m_hImageList, -1, icon);
        AddShadedIcon(icon, -1);
        AddDisabledIcon(icon, -1);
        DestroyIcon(icon);
    }
    ImageList_Destroy(old);
    return TRUE;
}

int CSkinMenuIcons::AddShadedIcon(HICON icon, int index)
{
    return AddShadedImage(m_hImageList, index, icon, GetIconShadeAmount());
}

int CSkinMenuIcons::AddDisabledIcon(HICON icon, int index)
{
    int mode = GetMenuDrawMode();
    COLORREF base;
    if (mode == 2 || mode == 3)
        base = GetDefaultMenuBarColor();
    else if (mode >= 8 && mode <= 11)
        base = GetThemeBarBaseColor();
    else
        base = GetMenuBarColor(nullptr);
    return AddTintedImage(m_hImageList, index, icon, LightenColor(115, base));
}

BOOL CSkinMenuIcons::Reload()
{
    SIZE sz = GetIconSize();
    if (!m_lpszResourceName || (sz.cx == 0 && sz.cy == 0)) return FALSE;
    if (!LoadImageList(sz.cx, sz.cy, m_lpszResourceName, m_hModule)) return FALSE;
    return BuildVariants();
}


void CSkinMenuIcons::Draw(HDC dc, int index, POINT at) const
{
    if (m_hImageList) ImageList_Draw(m_hImageList, index, dc, at.x, at.y, ILD_TRANSPARENT);
}

void CSkinMenuIcons::DrawMono(HDC dc, int index, POINT at, COLORREF color) const
{
    CImageListIcon icon(m_hImageList, index);
    if (!icon.Get()) return;
    SIZE sz = GetIconSize();
    CBrush brush(color);
    DrawStateA(dc, brush, nullptr, (LPARAM)icon.Get(), 0, at.x, at.y, sz.cx, sz.cy, DST_ICON | DSS_MONO);
}

void RefreshIconStores()
{
    DWORD now = GetTickCount();
    if (now - g_lastRefresh <= 2000) return;
    g_lastRefresh = now;
    ++g_refreshCount;
    if (g_stores)
        for (CSkinMenuIcons* s : *g_stores) s->Reload();
}

int GetIconStoreRefreshCountForTest() { return g_refreshCount; }

BOOL ReadToolBarDataBlock(UINT toolbarId, UINT bitmapId, HINSTANCE module, std::vector<WORD>* block)
{
    const WORD* w = FindToolBarWords(MAKEINTRESOURCEA((WORD)toolbarId), module);
    if (!w) return FALSE;
    block->assign({(WORD)bitmapId, w[1], w[2]});
    for (WORD i = 0; i < w[3]; ++i)
        if (w[4 + i]) block->push_back(w[4 + i]);
    block->push_back(0);
    return TRUE;
}
