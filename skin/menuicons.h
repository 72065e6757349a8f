// Icon stores: the toolbar images that menu items show, with a shaded and a
// disabled variant of each (image 3i normal, 3i+1 shaded, 3i+2 disabled).
#pragma once
#include "framework/framework.h"
#include <commctrl.h>
#include <vector>

class CSkinMenuIcons : public CObject {
    DECLARE_DYNAMIC(CSkinMenuIcons)
public:
    CSkinMenuIcons();
    ~CSkinMenuIcons() override;

    virtual int FindIcon(UINT id) const;   // 3i of the last entry with the id, or -1
    virtual BOOL Reload();
    virtual BOOL LoadFromBitmap(HBITMAP bitmap, int width, int height, const UINT* ids,
                                COLORREF transparent);
    virtual BOOL LoadToolBarData(const WORD* data, COLORREF transparent);
    virtual BOOL LoadToolBarResource(LPCSTR name, HINSTANCE module);
    virtual BOOL MatchesBitmap(DWORD key, int width, int height, const UINT* ids) const;
    virtual BOOL MatchesToolBarData(const WORD* data, COLORREF transparent) const;
    virtual BOOL MatchesResource(LPCSTR name, HINSTANCE module) const;
    virtual BOOL LoadImageList(int width, int height, LPCSTR bitmapName, HINSTANCE module);
    virtual int AddShadedIcon(HICON icon, int index);
    virtual int AddDisabledIcon(HICON icon, int index);
    virtual BOOL BuildVariants();

    // Counted sharing; both answer 0 for a null store. Release deletes the store
    // (and takes it off the shared list) when the count reaches 0.
    static int AddRef(CSkinMenuIcons* store);
    static int Release(CSkinMenuIcons* store);

    // Draws one image, transparent, at the point.
    void Draw(HDC dc, int index, POINT at) const;
    // Draws one image as a silhouette in one colour.
    void DrawMono(HDC dc, int index, POINT at, COLORREF color) const;

    void SetResourceName(LPCSTR name);
    SIZE GetIconSize() const;
    HIMAGELIST GetImageList() const { return m_hImageList; }
    const std::vector<UINT>& GetCommandIds() const { return m_ids; }

    LPCSTR m_lpszResourceName = nullptr;   // integer id or owned copy
    HINSTANCE m_hModule = nullptr;
    DWORD m_dwBitmapKey = 0;
    UINT m_nColorCount = 0;
    COLORREF m_transparent = (COLORREF)-1;

private:
    HIMAGELIST m_hImageList = nullptr;
    std::vector<UINT> m_ids;
    int m_nRefCount = 0;
};

// The library-wide list of shared stores; created on demand.
std::vector<CSkinMenuIcons*>* GetIconStoreList(bool create);
// Rebuilds every shared store from its resource, at most once per 2000 ms.
void RefreshIconStores();
int GetIconStoreRefreshCountForTest();

// Reads an RT_TOOLBAR resource into the word block the stores load: bitmap id,
// width, height, the non-zero command ids, 0. False when the resource is missing.
BOOL ReadToolBarDataBlock(UINT toolbarId, UINT bitmapId, HINSTANCE module,
                          std::vector<WORD>* block);
