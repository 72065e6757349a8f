// CSkinMenuBar: a control bar that shows its frame's menu as a row (or column)
// of buttons drawn by the library's item painters. It takes the menu from the
// frame on the first idle pass, lays the buttons out in wrapping rows, tracks
// them with the mouse and the keyboard and opens each button's popup so that
// the mouse or Left/Right switch to the neighbour's popup while one is open.
#pragma once
#include "framework/framework.h"
#include "skin/menubaritems.h"
#include <vector>

// One item's rectangle and state while the layout works on them.
struct CSkinBarItemRecord {
    RECT rect;
    UINT state;
};

// "CSkinMenuBar::WM_GETMENU" (answers the bar's menu) and
// "CSkinMenuBar::WM_REMOVEMENU" (removes the window's own menu), sent to a
// frame whose bar subclasses it.
UINT MenuBarGetMenuMessage();
UINT MenuBarRemoveMenuMessage();

class CSkinMenuBar : public CControlBar {
    DECLARE_DYNAMIC(CSkinMenuBar)
public:
    enum { kIdle = 0, kPopupMode = 1, kHotMode = 2 };

    CSkinMenuBar();
    ~CSkinMenuBar() override;

    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override;
    CSize CalcDynamicLayout(int length, DWORD mode) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    void DrawBorders(CDC*, CRect&) override {}
    void DrawGripper(CDC* dc, const CRect& rect) override;

    virtual BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, UINT id = AFX_IDW_MENUBAR);
    virtual BOOL CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, CRect borders, UINT id);
    using CWnd::Create;
    using CWnd::CreateEx;
    virtual CSize CalcLayout(DWORD mode, int length = -1);
    virtual int WrapItems(CSkinBarItemRecord* records, int count, int width);
    virtual void SizeItems(CSkinBarItemRecord* records, int count, int length, BOOL vertical);
    virtual void ApplyItemRects(const CSkinBarItemRecord* records, int count);
    virtual void AlignRowRight(CSkinBarItemRecord* records, int first, int last, int width);
    virtual CSize CalcItemsSize(const CSkinBarItemRecord* records, int count) const;
    virtual LRESULT FrameWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    virtual LRESULT MDIClientWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

    // Called first by the frame's PreTranslateMessage: nonzero when the bar
    // consumed the key.
    BOOL TranslateFrameMessage(MSG* msg);
    void RefreshItems(HMENU menu);

    // Tracking (also reached by tests through the real message loop).
    BOOL TrackItemPopup(int index);
    void SetHotItem(int index, int mode);
    int GetNextItem(int index, BOOL forward) const;
    int HitTestItems(POINT client) const;
    void SetHoverTimer(BOOL on);

    HMENU GetBarMenu() const { return m_hMenu; }
    int GetItemCount() const { return (int)m_arrItems.size(); }
    CSkinBarItem* GetItem(int index) const { return IsValidItem(index) ? m_arrItems[index] : nullptr; }
    int GetTrackMode() const { return m_nTrackMode; }
    int GetHotItem() const { return m_nHotItem; }
    int GetCurItem() const { return m_nCurItem; }
    UINT GetTimerID() const { return m_nTimerID; }

    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void OnNcPaint();
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* params);
    LRESULT OnNcHitTest(CPoint) { return HTCLIENT; }
    DECLARE_MESSAGE_MAP()

protected:
    int m_nTrackMode = kIdle;
    BOOL m_bTopPopup = FALSE;
    BOOL m_bSelectionHasNoSubmenu = FALSE;
    BOOL m_bRetrack = FALSE;
    BOOL m_bAltConsumed = FALSE;
    UINT m_nTimerID = 0;
    HMENU m_hMenu = nullptr;
    BOOL m_bMDIMaximized = FALSE;
    int m_nHotItem = -1;
    int m_nCurItem = -1;
    POINT m_ptLastMouse = {0, 0};
    int m_nPressedItem = -1;
    HMENU m_hTrackedMenu = nullptr;
    HWND m_hWndTrackOwner = nullptr;
    std::vector<CSkinBarItem*> m_arrItems;   // owned
    WNDPROC m_pfnOldFrameProc = nullptr;
    WNDPROC m_pfnOldMDIClientProc = nullptr;
    HWND m_hWndFrame = nullptr;      // the subclassed parent
    HWND m_hWndMDIClient = nullptr;  // the subclassed MDI client, if any

    BOOL IsValidItem(int index) const { return index >= 0 && index < (int)m_arrItems.size(); }
    BOOL IsVertical() const { return (m_dwStyle & CBRS_ORIENT_VERT) != 0; }
    HWND OwnerWindow() const;
    HWND TopFrameWindow() const;
    BOOL FrameHasFocus() const;
    void DeleteItems();
    std::vector<CSkinBarItemRecord> MakeRecords() const;
    int AvailableLength(BOOL horizontal) const;
    void EraseBackground(HDC dc);
    void RunItem(int index);
    void RestoreParent();
    void GiveMenuBack();
    BOOL FilterTrackingMessage(const MSG* msg);
    void CancelAndRetrack(int index);
    friend LRESULT CALLBACK MenuBarMsgFilterHook(int code, WPARAM wp, LPARAM lp);
};

LRESULT CALLBACK MenuBarMsgFilterHook(int code, WPARAM wp, LPARAM lp);
