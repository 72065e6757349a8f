// Thin wrappers of the standard and common controls. Every member is a plain
// message on m_hWnd and touches no handle map, so worker threads may call the
// list and tree members (the control's own thread carries the change out).
#pragma once
#include "framework/wnd.h"
#include "framework/string.h"
#include <commctrl.h>

class CImageList {
public:
    HIMAGELIST m_hImageList = nullptr;
    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    ~CImageList() { DeleteImageList(); }
    operator HIMAGELIST() const { return AfxOpaquePointer(this) ? m_hImageList : nullptr; }
    HIMAGELIST GetSafeHandle() const { return AfxOpaquePointer(this) ? m_hImageList : nullptr; }
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow) {
        return Attach(ImageList_Create(cx, cy, flags, initial, grow));
    }
    BOOL Create(UINT bitmapId, int cx, int grow, COLORREF mask);
    BOOL Attach(HIMAGELIST h) { if (!h) return FALSE; DeleteImageList(); m_hImageList = h; return TRUE; }
    HIMAGELIST Detach() { HIMAGELIST h = m_hImageList; m_hImageList = nullptr; return h; }
    BOOL DeleteImageList() { if (!m_hImageList) return FALSE; ImageList_Destroy(Detach()); return TRUE; }
    int Add(CBitmap* bm, CBitmap* mask) { return ImageList_Add(m_hImageList, *bm, mask ? (HBITMAP)*mask : nullptr); }
    int Add(CBitmap* bm, COLORREF mask) { return ImageList_AddMasked(m_hImageList, *bm, mask); }
    int Add(HICON icon) { return ImageList_AddIcon(m_hImageList, icon); }
    BOOL Remove(int i) { return ImageList_Remove(m_hImageList, i); }
    BOOL Replace(int i, HICON icon) { return ImageList_ReplaceIcon(m_hImageList, i, icon) != -1; }
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    HICON ExtractIcon(int i) { return ImageList_GetIcon(m_hImageList, i, ILD_NORMAL); }
    BOOL Draw(CDC* dc, int i, POINT p, UINT style) { return ImageList_Draw(m_hImageList, i, *dc, p.x, p.y, style); }
    BOOL GetImageInfo(int i, IMAGEINFO* info) const { return ImageList_GetImageInfo(m_hImageList, i, info); }
    COLORREF SetBkColor(COLORREF c) { return ImageList_SetBkColor(m_hImageList, c); }
    BOOL SetImageCount(UINT n) { return ImageList_SetImageCount(m_hImageList, n); }
};

class CStatic : public CWnd {
public:
    BOOL Create(LPCSTR text, DWORD style, const RECT& r, CWnd* parent, UINT id = 0xFFFF) {
        return CWnd::Create("STATIC", text, style, r, parent, id);
    }
    HICON SetIcon(HICON h) { return (HICON)SendMessage(STM_SETICON, (WPARAM)h); }
    HICON GetIcon() const { return (HICON)SendMessage(STM_GETICON); }
    HBITMAP SetBitmap(HBITMAP h) { return (HBITMAP)SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)h); }
};

class CButton : public CWnd {
public:
    BOOL Create(LPCSTR text, DWORD style, const RECT& r, CWnd* parent, UINT id) {
        return CWnd::Create("BUTTON", text, style, r, parent, id);
    }
    int GetCheck() const { return (int)SendMessage(BM_GETCHECK); }
    void SetCheck(int c) { SendMessage(BM_SETCHECK, c); }
    UINT GetState() const { return (UINT)SendMessage(BM_GETSTATE); }
    void SetState(BOOL hl) { SendMessage(BM_SETSTATE, hl); }
    void SetButtonStyle(UINT style, BOOL redraw = TRUE) { SendMessage(BM_SETSTYLE, style, redraw); }
    HICON SetIcon(HICON h) { return (HICON)SendMessage(BM_SETIMAGE, IMAGE_ICON, (LPARAM)h); }
    HBITMAP SetBitmap(HBITMAP h) { return (HBITMAP)SendMessage(BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)h); }
};

class CEdit : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create("EDIT", nullptr, style, r, parent, id); }
    void SetSel(int start, int end, BOOL noScroll = FALSE) {
        SendMessage(EM_SETSEL, start, end);
        if (!noScroll) SendMessage(EM_SCROLLCARET);
    }
    void ReplaceSel(LPCSTR s, BOOL undo = FALSE) { SendMessage(EM_REPLACESEL, undo, (LPARAM)s); }
    void SetLimitText(UINT n) { SendMessage(EM_SETLIMITTEXT, n); }
    void LimitText(int n = 0) { SendMessage(EM_LIMITTEXT, n); }
    BOOL SetReadOnly(BOOL ro = TRUE) { return (BOOL)SendMessage(EM_SETREADONLY, ro); }
    int GetLineCount() const { return (int)SendMessage(EM_GETLINECOUNT); }
    void Clear() { SendMessage(WM_CLEAR); }
};

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create("COMBOBOX", nullptr, style, r, parent, id); }
    int AddString(LPCSTR s) { return (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)s); }
    int InsertString(int i, LPCSTR s) { return (int)SendMessage(CB_INSERTSTRING, i, (LPARAM)s); }
    int DeleteString(UINT i) { return (int)SendMessage(CB_DELETESTRING, i); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return (int)SendMessage(CB_GETCOUNT); }
    int GetCurSel() const { return (int)SendMessage(CB_GETCURSEL); }
    int SetCurSel(int i) { return (int)SendMessage(CB_SETCURSEL, i); }
    int FindString(int start, LPCSTR s) const { return (int)SendMessage(CB_FINDSTRING, start, (LPARAM)s); }
    int FindStringExact(int start, LPCSTR s) const { return (int)SendMessage(CB_FINDSTRINGEXACT, start, (LPARAM)s); }
    int SelectString(int start, LPCSTR s) { return (int)SendMessage(CB_SELECTSTRING, start, (LPARAM)s); }
    int GetLBTextLen(int i) const { return (int)SendMessage(CB_GETLBTEXTLEN, i); }
    int GetLBText(int i, LPSTR s) const { return (int)SendMessage(CB_GETLBTEXT, i, (LPARAM)s); }
    void GetLBText(int i, CString& s) const;
    DWORD_PTR GetItemData(int i) const { return (DWORD_PTR)SendMessage(CB_GETITEMDATA, i); }
    int SetItemData(int i, DWORD_PTR d) { return (int)SendMessage(CB_SETITEMDATA, i, (LPARAM)d); }
    void ShowDropDown(BOOL show = TRUE) { SendMessage(CB_SHOWDROPDOWN, show); }
    BOOL GetDroppedState() const { return (BOOL)SendMessage(CB_GETDROPPEDSTATE); }
    int SetDroppedWidth(UINT w) { return (int)SendMessage(CB_SETDROPPEDWIDTH, w); }
    BOOL LimitText(int n) { return (BOOL)SendMessage(CB_LIMITTEXT, n); }
};

class CListBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create("LISTBOX", nullptr, style, r, parent, id); }
    int AddString(LPCSTR s) { return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)s); }
    int InsertString(int i, LPCSTR s) { return (int)SendMessage(LB_INSERTSTRING, i, (LPARAM)s); }
    int DeleteString(UINT i) { return (int)SendMessage(LB_DELETESTRING, i); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetCount() const { return (int)SendMessage(LB_GETCOUNT); }
    int GetCurSel() const { return (int)SendMessage(LB_GETCURSEL); }
    int SetCurSel(int i) { return (int)SendMessage(LB_SETCURSEL, i); }
    int GetSel(int i) const { return (int)SendMessage(LB_GETSEL, i); }
    int SetSel(int i, BOOL sel = TRUE) { return (int)SendMessage(LB_SETSEL, sel, i); }
    int GetSelCount() const { return (int)SendMessage(LB_GETSELCOUNT); }
    int GetSelItems(int n, LPINT items) const { return (int)SendMessage(LB_GETSELITEMS, n, (LPARAM)items); }
    int FindString(int start, LPCSTR s) const { return (int)SendMessage(LB_FINDSTRING, start, (LPARAM)s); }
    int FindStringExact(int start, LPCSTR s) const { return (int)SendMessage(LB_FINDSTRINGEXACT, start, (LPARAM)s); }
    int SelectString(int start, LPCSTR s) { return (int)SendMessage(LB_SELECTSTRING, start, (LPARAM)s); }
    int GetTextLen(int i) const { return (int)SendMessage(LB_GETTEXTLEN, i); }
    int GetText(int i, LPSTR s) const { return (int)SendMessage(LB_GETTEXT, i, (LPARAM)s); }
    void GetText(int i, CString& s) const;
    DWORD_PTR GetItemData(int i) const { return (DWORD_PTR)SendMessage(LB_GETITEMDATA, i); }
    int SetItemData(int i, DWORD_PTR d) { return (int)SendMessage(LB_SETITEMDATA, i, (LPARAM)d); }
    int GetTopIndex() const { return (int)SendMessage(LB_GETTOPINDEX); }
    int SetTopIndex(int i) { return (int)SendMessage(LB_SETTOPINDEX, i); }
};

class CProgressCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create(PROGRESS_CLASSA, nullptr, style, r, parent, id); }
    void SetRange(short lo, short hi) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lo, hi)); }
    void SetRange32(int lo, int hi) { SendMessage(PBM_SETRANGE32, lo, hi); }
    int SetPos(int p) { return (int)SendMessage(PBM_SETPOS, p); }
    int GetPos() const { return (int)SendMessage(PBM_GETPOS); }
    int OffsetPos(int d) { return (int)SendMessage(PBM_DELTAPOS, d); }
    int SetStep(int s) { return (int)SendMessage(PBM_SETSTEP, s); }
    int StepIt() { return (int)SendMessage(PBM_STEPIT); }
};

class CSpinButtonCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create(UPDOWN_CLASSA, nullptr, style, r, parent, id); }
    void SetRange(short lo, short hi) { SendMessage(UDM_SETRANGE, 0, MAKELPARAM(hi, lo)); }
    void SetRange32(int lo, int hi) { SendMessage(UDM_SETRANGE32, lo, hi); }
    void GetRange32(int& lo, int& hi) const { SendMessage(UDM_GETRANGE32, (WPARAM)&lo, (LPARAM)&hi); }
    int SetPos(int p) { return (int)SendMessage(UDM_SETPOS, 0, MAKELPARAM(p, 0)); }
    int GetPos() const { return (int)SendMessage(UDM_GETPOS); }
    int SetPos32(int p) { return (int)SendMessage(UDM_SETPOS32, 0, p); }
    int GetPos32(BOOL* err = nullptr) const { return (int)SendMessage(UDM_GETPOS32, 0, (LPARAM)err); }
    CWnd* SetBuddy(CWnd* w) { return CWnd::FromHandle((HWND)SendMessage(UDM_SETBUDDY, (WPARAM)w->GetSafeHwnd())); }
    int SetBase(int b) { return (int)SendMessage(UDM_SETBASE, b); }
};

class CDateTimeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create(DATETIMEPICK_CLASSA, nullptr, style, r, parent, id); }
    DWORD GetTime(SYSTEMTIME* t) const { return (DWORD)SendMessage(DTM_GETSYSTEMTIME, 0, (LPARAM)t); }
    BOOL SetTime(const SYSTEMTIME* t) { return (BOOL)SendMessage(DTM_SETSYSTEMTIME, t ? GDT_VALID : GDT_NONE, (LPARAM)t); }
    BOOL SetFormat(LPCSTR f) { return (BOOL)SendMessage(DTM_SETFORMATA, 0, (LPARAM)f); }
    BOOL SetRange(const SYSTEMTIME* lo, const SYSTEMTIME* hi);
};

class CListCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create(WC_LISTVIEWA, nullptr, style, r, parent, id); }
    int InsertColumn(int col, LPCSTR heading, int format = LVCFMT_LEFT, int width = -1, int sub = -1);
    BOOL DeleteColumn(int col) { return (BOOL)SendMessage(LVM_DELETECOLUMN, col); }
    int GetColumnWidth(int col) const { return (int)SendMessage(LVM_GETCOLUMNWIDTH, col); }
    BOOL SetColumnWidth(int col, int cx) { return (BOOL)SendMessage(LVM_SETCOLUMNWIDTH, col, MAKELPARAM(cx, 0)); }
    int InsertItem(int item, LPCSTR text);
    int InsertItem(int item, LPCSTR text, int image);
    int InsertItem(const LVITEMA* item) { return (int)SendMessage(LVM_INSERTITEMA, 0, (LPARAM)item); }
    BOOL SetItemText(int item, int sub, LPCSTR text);
    CString GetItemText(int item, int sub) const;
    int GetItemText(int item, int sub, LPSTR buf, int n) const;
    BOOL SetItem(const LVITEMA* item) { return (BOOL)SendMessage(LVM_SETITEMA, 0, (LPARAM)item); }
    BOOL GetItem(LVITEMA* item) const { return (BOOL)SendMessage(LVM_GETITEMA, 0, (LPARAM)item); }
    BOOL SetItemData(int item, DWORD_PTR data);
    DWORD_PTR GetItemData(int item) const;
    BOOL SetItemState(int item, UINT state, UINT mask);
    UINT GetItemState(int item, UINT mask) const { return (UINT)SendMessage(LVM_GETITEMSTATE, item, mask); }
    BOOL DeleteItem(int item) { return (BOOL)SendMessage(LVM_DELETEITEM, item); }
    BOOL DeleteAllItems() { return (BOOL)SendMessage(LVM_DELETEALLITEMS); }
    int GetItemCount() const { return (int)SendMessage(LVM_GETITEMCOUNT); }
    UINT GetSelectedCount() const { return (UINT)SendMessage(LVM_GETSELECTEDCOUNT); }
    // The row the last selection started from; -1 for none.
    int GetSelectionMark() const { return (int)SendMessage(LVM_GETSELECTIONMARK); }
    int SetSelectionMark(int item) { return (int)SendMessage(LVM_SETSELECTIONMARK, 0, item); }
    int GetNextItem(int item, int flags) const { return (int)SendMessage(LVM_GETNEXTITEM, item, MAKELPARAM(flags, 0)); }
    BOOL EnsureVisible(int item, BOOL partialOk) { return (BOOL)SendMessage(LVM_ENSUREVISIBLE, item, partialOk); }
    DWORD SetExtendedStyle(DWORD ex) { return (DWORD)SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, ex); }
    DWORD GetExtendedStyle() const { return (DWORD)SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE); }
    HIMAGELIST SetImageList(CImageList* il, int type) {
        return (HIMAGELIST)SendMessage(LVM_SETIMAGELIST, type, (LPARAM)il->GetSafeHandle());
    }
    int GetTopIndex() const { return (int)SendMessage(LVM_GETTOPINDEX); }
    int GetCountPerPage() const { return (int)SendMessage(LVM_GETCOUNTPERPAGE); }
    BOOL SetBkColor(COLORREF c) { return (BOOL)SendMessage(LVM_SETBKCOLOR, 0, c); }
    BOOL SetTextColor(COLORREF c) { return (BOOL)SendMessage(LVM_SETTEXTCOLOR, 0, c); }
    BOOL SetTextBkColor(COLORREF c) { return (BOOL)SendMessage(LVM_SETTEXTBKCOLOR, 0, c); }
    BOOL GetItemRect(int item, LPRECT r, UINT code) const { r->left = code; return (BOOL)SendMessage(LVM_GETITEMRECT, item, (LPARAM)r); }
    int HitTest(LVHITTESTINFO* info) const { return (int)SendMessage(LVM_HITTEST, 0, (LPARAM)info); }
    BOOL SortItems(PFNLVCOMPARE fn, DWORD_PTR data) { return (BOOL)SendMessage(LVM_SORTITEMS, data, (LPARAM)fn); }
    CWnd* GetHeaderCtrl() const { return CWnd::FromHandle((HWND)SendMessage(LVM_GETHEADER)); }
};

class CTreeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create(WC_TREEVIEWA, nullptr, style, r, parent, id); }
    HTREEITEM InsertItem(LPTVINSERTSTRUCTA is) { return (HTREEITEM)SendMessage(TVM_INSERTITEMA, 0, (LPARAM)is); }
    HTREEITEM InsertItem(LPCSTR text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(LPCSTR text, int image, int selImage, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(UINT mask, LPCSTR text, int image, int selImage, UINT state, UINT stateMask, LPARAM param,
                         HTREEITEM parent, HTREEITEM after);
    BOOL DeleteItem(HTREEITEM h) { return (BOOL)SendMessage(TVM_DELETEITEM, 0, (LPARAM)h); }
    BOOL DeleteAllItems() { return (BOOL)SendMessage(TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT); }
    BOOL Expand(HTREEITEM h, UINT code) { return (BOOL)SendMessage(TVM_EXPAND, code, (LPARAM)h); }
    HTREEITEM GetNextItem(HTREEITEM h, UINT code) const { return (HTREEITEM)SendMessage(TVM_GETNEXTITEM, code, (LPARAM)h); }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM h) const { return GetNextItem(h, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM h) const { return GetNextItem(h, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM h) const { return GetNextItem(h, TVGN_PREVIOUS); }
    HTREEITEM GetParentItem(HTREEITEM h) const { return GetNextItem(h, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM h) { return (BOOL)SendMessage(TVM_SELECTITEM, TVGN_CARET, (LPARAM)h); }
    BOOL ItemHasChildren(HTREEITEM h) const { return GetChildItem(h) != nullptr; }
    UINT GetCount() const { return (UINT)SendMessage(TVM_GETCOUNT); }
    BOOL GetItem(TVITEMA* item) const { return (BOOL)SendMessage(TVM_GETITEMA, 0, (LPARAM)item); }
    BOOL SetItem(TVITEMA* item) { return (BOOL)SendMessage(TVM_SETITEMA, 0, (LPARAM)item); }
    CString GetItemText(HTREEITEM h) const;
    BOOL SetItemText(HTREEITEM h, LPCSTR text);
    DWORD_PTR GetItemData(HTREEITEM h) const;
    BOOL SetItemData(HTREEITEM h, DWORD_PTR data);
    BOOL GetItemImage(HTREEITEM h, int& image, int& selImage) const;
    BOOL SetItemImage(HTREEITEM h, int image, int selImage);
    UINT GetItemState(HTREEITEM h, UINT mask) const { return (UINT)SendMessage(TVM_GETITEMSTATE, (WPARAM)h, mask); }
    BOOL SetItemState(HTREEITEM h, UINT state, UINT mask);
    BOOL EnsureVisible(HTREEITEM h) { return (BOOL)SendMessage(TVM_ENSUREVISIBLE, 0, (LPARAM)h); }
    BOOL SortChildren(HTREEITEM h) { return (BOOL)SendMessage(TVM_SORTCHILDREN, 0, (LPARAM)h); }
    HIMAGELIST SetImageList(CImageList* il, int type) {
        return (HIMAGELIST)SendMessage(TVM_SETIMAGELIST, type, (LPARAM)il->GetSafeHandle());
    }
    HTREEITEM HitTest(POINT p, UINT* flags = nullptr) const;
    BOOL GetItemRect(HTREEITEM h, LPRECT r, BOOL textOnly) const {
        *(HTREEITEM*)r = h;
        return (BOOL)SendMessage(TVM_GETITEMRECT, textOnly, (LPARAM)r);
    }
};
