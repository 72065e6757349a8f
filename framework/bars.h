// Control bars laid out by their frame: CControlBar, CToolBar (RT_TOOLBAR
// resources), CStatusBar (panes) and CDialogBar (a dialog template). Bars are
// placed by WM_SIZEPARENT from CFrameWnd::RecalcLayout; there is no docking.
#pragma once
#include "framework/wnd.h"
#include "framework/string.h"
#include "framework/cmdui.h"
#include <vector>

// The resource type of toolbar layouts (version, button size, ids), as the
// resource compiler writes it for a TOOLBAR statement.
#ifndef RT_TOOLBAR
#define RT_TOOLBAR MAKEINTRESOURCEA(241)
#endif

class CFrameWnd;

// Bar styles (the CBRS_ALL bits of a bar's style; the rest goes to the window).
#define CBRS_FLOATING 0x0001L
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_HIDE_INPLACE 0x0008L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_FLOAT_MULTI 0x0040L
#define CBRS_BORDER_3D 0x0080L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_GRIPPER 0x00400000L
#define CBRS_ALL 0x0040FFFFL
#define CBRS_NOALIGN 0x00000000L
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_ORIENT_ANY (CBRS_ORIENT_HORZ | CBRS_ORIENT_VERT)

// Layout modes of CalcDynamicLayout.
#define LM_STRETCH 0x01
#define LM_HORZ 0x02
#define LM_MRUWIDTH 0x04
#define LM_HORZDOCK 0x08
#define LM_VERTDOCK 0x10
#define LM_LENGTHY 0x20
#define LM_COMMIT 0x40

// Status pane styles.
#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS SBT_NOBORDERS
#define SBPS_POPOUT SBT_POPOUT
#define SBPS_OWNERDRAW SBT_OWNERDRAW
#define SBPS_DISABLED 0x04000000
#define SBPS_STRETCH 0x08000000

class CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)
public:
    int m_cxLeftBorder = 6, m_cxRightBorder = 6;
    int m_cyTopBorder = 2, m_cyBottomBorder = 2;
    int m_nMRUWidth = 32767;
    DWORD m_dwStyle = 0;            // CBRS_ bits
    CFrameWnd* m_pDockSite = nullptr;  // the frame the bar belongs to
    CWnd* m_pDockBar = nullptr;     // always null: bars never dock
    BOOL m_bAutoDelete = FALSE;

    CControlBar();

    virtual CSize CalcFixedLayout(BOOL stretch, BOOL horz);
    virtual CSize CalcDynamicLayout(int length, DWORD mode);
    virtual void CalcInsideRect(CRect& rect, BOOL horz) const;
    virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) = 0;
    virtual void DoPaint(CDC* dc);
    virtual void DrawBorders(CDC* dc, CRect& rect);
    virtual void DrawGripper(CDC* dc, const CRect& rect);
    virtual void OnBarStyleChange(DWORD oldStyle, DWORD newStyle) {}
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PostNcDestroy() override;

    void SetBarStyle(DWORD style);
    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBorders(int left = 0, int top = 0, int right = 0, int bottom = 0);
    void SetBorders(LPCRECT r) { SetBorders(r->left, r->top, r->right, r->bottom); }
    CRect GetBorders() const { return CRect(m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder); }
    BOOL IsFloating() const { return (m_dwStyle & CBRS_FLOATING) != 0; }
    BOOL IsVisible() const { return IsWindowVisible(); }
    CFrameWnd* GetDockingFrame() const;
    void EraseNonClient();

    int OnCreate(LPCREATESTRUCTA cs);
    void OnPaint();
    void OnNcPaint();
    void OnNcCalcSize(BOOL calcValid, NCCALCSIZE_PARAMS* p);
    LRESULT OnSizeParent(WPARAM wp, LPARAM lp);
    LRESULT OnIdleUpdateCmdUI(WPARAM wp, LPARAM lp);
    DECLARE_MESSAGE_MAP()

protected:
    // Moves a client rectangle in by the bar's borders (CalcInsideRect); the
    // right and bottom sides only when farSides.
    void InsetByBorders(RECT& r, BOOL farSides) const;
    // Splits a Create style into the bar's CBRS_ bits and the window style.
    DWORD TakeBarStyle(DWORD style);
    // Common-control bars paint their own client area; others get DoPaint.
    BOOL m_bControlPaints = FALSE;
};

class CToolBar : public CControlBar {
    DECLARE_DYNAMIC(CToolBar)
public:
    CSize m_sizeImage{16, 15};
    CSize m_sizeButton{23, 22};
    BOOL m_bDelayedButtonLayout = FALSE;

    CToolBar();
    ~CToolBar() override;

    virtual BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
    virtual BOOL CreateEx(CWnd* parent, DWORD ctrlStyle = TBSTYLE_FLAT,
                          DWORD style = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, CRect borders = CRect(0, 0, 0, 0),
                          UINT id = AFX_IDW_TOOLBAR);
    using CWnd::Create;
    using CWnd::CreateEx;

    // RT_TOOLBAR resource (version 1: width, height, count, ids) and its bitmap.
    BOOL LoadToolBar(LPCSTR name);
    BOOL LoadToolBar(UINT id) { return LoadToolBar(MAKEINTRESOURCEA(id)); }
    BOOL LoadBitmap(LPCSTR name);
    BOOL LoadBitmap(UINT id) { return LoadBitmap(MAKEINTRESOURCEA(id)); }
    BOOL SetButtons(const UINT* ids, int count);
    void SetSizes(SIZE button, SIZE image);

    int GetCount() const { return (int)SendMessage(TB_BUTTONCOUNT); }
    UINT GetItemID(int index) const;
    void GetItemRect(int index, LPRECT rect) const { SendMessage(TB_GETITEMRECT, index, (LPARAM)rect); }
    int CommandToIndex(UINT id) const { return (int)SendMessage(TB_COMMANDTOINDEX, id); }
    UINT GetButtonStyle(int index) const;
    void SetButtonStyle(int index, UINT style);
    void GetButtonInfo(int index, UINT& id, UINT& style, int& image) const;
    void SetButtonInfo(int index, UINT id, UINT style, int image);
    void Layout();

    // Docked layouts (LM_HORZDOCK: one row, LM_VERTDOCK: one button a row)
    // and floating ones (LM_MRUWIDTH or length -1: the last committed width;
    // LM_LENGTHY: the narrowest width whose height fits the length; otherwise
    // the length is the width). LM_COMMIT writes the rows (TBSTATE_WRAP) to
    // the control and, floating, keeps the width in m_nMRUWidth.
    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override;
    CSize CalcDynamicLayout(int length, DWORD mode) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    // The face behind the buttons; a skinned bar maps WM_ERASEBKGND itself.
    BOOL OnEraseBkgnd(CDC* dc);

    // The layout's view of the buttons: TB_GETBUTTON through this window, so
    // a derived DefWindowProc decides what counts as hidden.
    std::vector<TBBUTTON> GetLayoutButtons() const;
    // Breaks the rows (TBSTATE_WRAP) so that no button reaches past width; a
    // separator that does ends its row (and stays in it, as the control puts
    // it). Returns the number of rows.
    int WrapToolBar(std::vector<TBBUTTON>& buttons, int width) const;
    // Wraps for the narrowest width whose height is at most the length
    // (vertical) or at the length as width (horizontal).
    void SizeToolBar(std::vector<TBBUTTON>& buttons, int length, BOOL vertical) const;
    // The client size of the buttons in their rows.
    CSize CalcSize(const std::vector<TBBUTTON>& buttons) const;
    // Width of one button or separator in a row, and the gap a wrapped
    // separator leaves below its row.
    int ButtonWidth(const TBBUTTON& b, int index) const;
    int SeparatorRowHeight() const;

protected:
    CSize CalcLayout(DWORD mode, int length);
    void CommitWraps(const std::vector<TBBUTTON>& buttons);
    HBITMAP m_hbmImageWell = nullptr;  // owned
    DECLARE_MESSAGE_MAP()
};

struct AFX_STATUSPANE {
    UINT nID = 0;
    UINT nStyle = 0;
    int cxText = 0;
    CString strText;
};

class CStatusBar : public CControlBar {
    DECLARE_DYNAMIC(CStatusBar)
public:
    int m_nCount = 0;  // number of panes
    CStatusBar();

    virtual BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                        UINT id = AFX_IDW_STATUS_BAR);
    virtual BOOL CreateEx(CWnd* parent, DWORD ctrlStyle = 0, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                          UINT id = AFX_IDW_STATUS_BAR);
    using CWnd::Create;
    using CWnd::CreateEx;
    // Pane texts of ids other than ID_SEPARATOR come from the string table.
    BOOL SetIndicators(const UINT* ids, int count);

    UINT GetItemID(int index) const { return Pane(index) ? Pane(index)->nID : 0; }
    void GetItemRect(int index, LPRECT rect) const;
    int CommandToIndex(UINT id) const;
    BOOL SetPaneText(int index, LPCSTR text, BOOL update = TRUE);
    CString GetPaneText(int index) const { return Pane(index) ? Pane(index)->strText : CString(); }
    void GetPaneText(int index, CString& s) const { s = GetPaneText(index); }
    void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    UINT GetPaneStyle(int index) const { return Pane(index) ? Pane(index)->nStyle : 0; }
    void SetPaneStyle(int index, UINT style);

    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    void UpdateAllPanes(BOOL updateRects, BOOL updateText);

    void OnSize(UINT type, int cx, int cy);
    LRESULT OnSetText(WPARAM wp, LPARAM lp);
    LRESULT OnGetText(WPARAM wp, LPARAM lp);
    LRESULT OnGetTextLength(WPARAM wp, LPARAM lp);

protected:
    AFX_STATUSPANE* Pane(int i) { return i >= 0 && i < (int)m_panes.size() ? &m_panes[i] : nullptr; }
    const AFX_STATUSPANE* Pane(int i) const { return i >= 0 && i < (int)m_panes.size() ? &m_panes[i] : nullptr; }
    int TextWidth(LPCSTR text) const;
    std::vector<AFX_STATUSPANE> m_panes;
    DECLARE_MESSAGE_MAP()
};

class CDialogBar : public CControlBar {
    DECLARE_DYNAMIC(CDialogBar)
public:
    CSize m_sizeDefault;  // the template's size
    CDialogBar();

    virtual BOOL Create(CWnd* parent, LPCSTR templateName, UINT style, UINT id);
    virtual BOOL Create(CWnd* parent, UINT templateId, UINT style, UINT id) {
        return Create(parent, MAKEINTRESOURCEA(templateId), style, id);
    }
    using CWnd::Create;

    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    DECLARE_MESSAGE_MAP()
};

// Updates the child controls of a window through target's update handlers;
// push buttons without a handler are disabled when disableIfNoHandler.
void AfxUpdateDialogControls(CWnd* wnd, CCmdTarget* target, BOOL disableIfNoHandler);
