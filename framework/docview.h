// Document/view: CDocument (serialized through CArchive), CView, CFormView (a
// dialog template as child view), CTreeView, CSplitterWnd (static panes) and
// the single-document template that builds document, frame and view together.
#pragma once
#include "framework/frame.h"
#include "framework/controls.h"
#include "framework/exceptions.h"
#include <vector>

#ifndef FW_POSITION_DEFINED
#define FW_POSITION_DEFINED
struct __POSITION {};
typedef __POSITION* POSITION;
#endif

class CArchive;
class CDocTemplate;
class CSplitterWnd;

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    BOOL m_bAutoDelete = TRUE;  // deleted by OnCloseDocument
    BOOL m_bEmbedded = FALSE;

    CDocument();
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCSTR title);
    const CString& GetPathName() const { return m_strPathName; }
    virtual void SetPathName(LPCSTR path, BOOL addToMRU = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified; }

    void AddView(CView* view);
    void RemoveView(CView* view);
    POSITION GetFirstViewPosition() const;
    CView* GetNextView(POSITION& pos) const;
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);

    virtual void Serialize(CArchive& ar) {}
    virtual void DeleteContents() {}
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(LPCSTR path);
    virtual BOOL OnSaveDocument(LPCSTR path);
    virtual void OnCloseDocument();
    virtual void ReportSaveLoadException(LPCSTR path, CException* e, BOOL saving, UINT defaultPrompt);
    virtual BOOL SaveModified();
    virtual BOOL CanCloseFrame(CFrameWnd* frame);
    virtual void PreCloseFrame(CFrameWnd* frame) {}
    virtual BOOL DoSave(LPCSTR path, BOOL replace = TRUE);
    virtual BOOL DoFileSave();
    virtual void OnChangedViewList();
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    void OnFileSave() { DoFileSave(); }
    void OnFileSaveAs() { DoSave(nullptr); }
    void OnFileClose();
    DECLARE_MESSAGE_MAP()

protected:
    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_viewList;
    BOOL m_bModified = FALSE;
    friend class CDocTemplate;
};

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    CView();
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                CCreateContext* context = nullptr) override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void PostNcDestroy() override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject);
    virtual void OnDraw(CDC* dc) {}
    virtual void OnPrepareDC(CDC* dc, void* info = nullptr) {}
    virtual void OnActivateView(BOOL activate, CView* activeView, CView* deactiveView);

    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnPaint();
    int OnMouseActivate(CWnd* top, UINT hit, UINT msg);
    LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);
    // F6 and Shift+F6 (ID_NEXT_PANE, ID_PREV_PANE): the next or previous pane
    // of the splitter holding this view becomes the active view.
    CSplitterWnd* GetParentSplitter() const;
    BOOL OnNextPaneCmd(UINT id);
    void OnUpdateNextPaneMenu(CCmdUI* ui);
    DECLARE_MESSAGE_MAP()

protected:
    CDocument* m_pDocument = nullptr;
    friend class CDocument;
};

// A view whose contents are larger than its window: scroll bars appear when
// the window is smaller than the total size, and drawing (OnPrepareDC) and
// child windows move with the scroll position. Sizes are in pixels (MM_TEXT).
class CScrollView : public CView {
    DECLARE_DYNAMIC(CScrollView)
public:
    static const SIZE sizeDefault;  // page and line: a tenth and a hundredth of the total

    CScrollView();
    void SetScrollSizes(int mapMode, SIZE total, const SIZE& page = sizeDefault, const SIZE& line = sizeDefault);
    CSize GetTotalSize() const { return m_totalDev; }
    CPoint GetScrollPosition() const;
    CPoint GetDeviceScrollPosition() const { return GetScrollPosition(); }
    void ScrollToPosition(POINT p);
    void OnPrepareDC(CDC* dc, void* info = nullptr) override;

    void OnSize(UINT type, int cx, int cy);
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    DECLARE_MESSAGE_MAP()

protected:
    int m_nMapMode = 0;  // 0 until SetScrollSizes
    bool m_bInsideUpdate = false;  // showing a bar resizes the window
    CSize m_totalDev, m_pageDev, m_lineDev;
    // Shows or hides the bars for the window's size and keeps the position in range.
    void UpdateBars();
    void OnScroll(int bar, UINT code);
};

// A view made from a dialog template (its controls as children), child id
// AFX_IDW_PANE_FIRST like any view. A pane smaller than the form scrolls it.
class CFormView : public CScrollView {
    DECLARE_DYNAMIC(CFormView)
public:
    explicit CFormView(UINT templateId);
    explicit CFormView(LPCSTR templateName);

    BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                CCreateContext* context = nullptr) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnInitialUpdate() override;
    void OnActivateView(BOOL activate, CView* activeView, CView* deactiveView) override;
    // Makes the parent frame just big enough for the form.
    void ResizeParentToFit(BOOL shrinkOnly = TRUE);
    LPCSTR m_lpszTemplateName;
    CSize m_sizeForm;  // the template's size in pixels

    // The focus goes to the control that had it last, else to the first tab stop.
    void OnSetFocus(CWnd* old);
    DECLARE_MESSAGE_MAP()

protected:
    HWND m_hWndFocus = nullptr;
};

// A view that is a tree control.
class CTreeView : public CView {
    DECLARE_DYNAMIC(CTreeView)
public:
    CTreeView();
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    CTreeCtrl& GetTreeCtrl() const { return *(CTreeCtrl*)this; }
    void OnPaint() { Default(); }
    DECLARE_MESSAGE_MAP()
};

class CDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CDocTemplate)
public:
    enum DocStringIndex {
        windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName
    };

    ~CDocTemplate() override;
    virtual BOOL GetDocString(CString& s, DocStringIndex index) const;
    virtual CDocument* OpenDocumentFile(LPCSTR path, BOOL makeVisible = TRUE) = 0;
    virtual void AddDocument(CDocument* doc);
    virtual void RemoveDocument(CDocument* doc);
    virtual POSITION GetFirstDocPosition() const = 0;
    virtual CDocument* GetNextDoc(POSITION& pos) const = 0;
    virtual void SetDefaultTitle(CDocument* doc) = 0;
    virtual CDocument* CreateNewDocument();
    virtual CFrameWnd* CreateNewFrame(CDocument* doc, CFrameWnd* other);
    virtual void InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible = TRUE);
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL endSession);
    UINT GetResourceId() const { return m_nIDResource; }

    UINT m_nIDResource;
    CRuntimeClass* m_pDocClass;
    CRuntimeClass* m_pFrameClass;
    CRuntimeClass* m_pViewClass;
    CString m_strDocStrings;

protected:
    CDocTemplate(UINT id, CRuntimeClass* docClass, CRuntimeClass* frameClass, CRuntimeClass* viewClass);
};

class CSingleDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CSingleDocTemplate)
public:
    CSingleDocTemplate(UINT id, CRuntimeClass* docClass, CRuntimeClass* frameClass, CRuntimeClass* viewClass);
    ~CSingleDocTemplate() override;

    CDocument* OpenDocumentFile(LPCSTR path, BOOL makeVisible = TRUE) override;
    void AddDocument(CDocument* doc) override;
    void RemoveDocument(CDocument* doc) override;
    POSITION GetFirstDocPosition() const override;
    CDocument* GetNextDoc(POSITION& pos) const override;
    void SetDefaultTitle(CDocument* doc) override;

protected:
    CDocument* m_pOnlyDoc = nullptr;
};

// A static splitter: a grid of panes (views) with movable bars between them.
// Pane ids are AFX_IDW_PANE_FIRST + row * 16 + column.
class CSplitterWnd : public CWnd {
    DECLARE_DYNAMIC(CSplitterWnd)
public:
    CSplitterWnd();

    BOOL CreateStatic(CWnd* parent, int rows, int cols, DWORD style = WS_CHILD | WS_VISIBLE,
                      UINT id = AFX_IDW_PANE_FIRST);
    virtual BOOL CreateView(int row, int col, CRuntimeClass* viewClass, SIZE initialSize, CCreateContext* context);
    void DeleteView(int row, int col);
    CWnd* GetPane(int row, int col) const;
    int IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    void GetColumnInfo(int col, int& current, int& minimum) const;
    void SetColumnInfo(int col, int ideal, int minimum);
    void GetRowInfo(int row, int& current, int& minimum) const;
    void SetRowInfo(int row, int ideal, int minimum);
    virtual void RecalcLayout();
    // The pane that is the frame's active view (or holds the focus); null for none.
    CWnd* GetActivePane(int* row = nullptr, int* col = nullptr) const;
    void SetActivePane(int row, int col);
    // Panes in row order, wrapping at the ends.
    BOOL CanActivateNext(BOOL prev = FALSE) const;
    void ActivateNext(BOOL prev = FALSE);

    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) override;
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint p);
    void OnMouseMove(UINT flags, CPoint p);
    void OnLButtonUp(UINT flags, CPoint p);
    BOOL OnSetCursor(CWnd* wnd, UINT hit, UINT msg);
    DECLARE_MESSAGE_MAP()

protected:
    struct Info {
        int ideal = 0, minimum = 0, current = 0;
    };
    int m_nRows = 0, m_nCols = 0;
    std::vector<Info> m_rows, m_cols;
    int m_cxSplitter = 6;
    int m_dragCol = -1, m_dragRow = -1;
    // The column (or row) whose right (bottom) bar lies under p; -1 for none.
    int BarColumnAt(CPoint p) const;
    int BarRowAt(CPoint p) const;
};
