#include "framework/controls.h"
#include "framework/app.h"

BOOL CImageList::Create(UINT bitmapId, int cx, int grow, COLORREF mask) {
    return Attach(ImageList_LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(bitmapId), cx, grow, mask, IMAGE_BITMAP,
                                       LR_CREATEDIBSECTION));
}

void CComboBox::GetLBText(int i, CString& s) const {
    int n = GetLBTextLen(i);
    if (n < 0) { s.Empty(); return; }
    GetLBText(i, s.GetBuffer(n + 1));
    s.ReleaseBuffer();
}

void CListBox::GetText(int i, CString& s) const {
    int n = GetTextLen(i);
    if (n < 0) { s.Empty(); return; }
    GetText(i, s.GetBuffer(n + 1));
    s.ReleaseBuffer();
}

BOOL CDateTimeCtrl::SetRange(const SYSTEMTIME* lo, const SYSTEMTIME* hi) {
    SYSTEMTIME r[2] = {};
    DWORD flags = 0;
    if (lo) { r[0] = *lo; flags |= GDTR_MIN; }
    if (hi) { r[1] = *hi; flags |= GDTR_MAX; }
    return (BOOL)SendMessage(DTM_SETRANGE, flags, (LPARAM)r);
}

int CListCtrl::InsertColumn(int col, LPCSTR heading, int format, int width, int sub) {
    LVCOLUMNA c = {};
    c.mask = LVCF_FMT | LVCF_TEXT;
    c.fmt = format;
    c.pszText = (LPSTR)heading;
    if (width != -1) { c.mask |= LVCF_WIDTH; c.cx = width; }
    if (sub != -1) { c.mask |= LVCF_SUBITEM; c.iSubItem = sub; }
    return (int)SendMessage(LVM_INSERTCOLUMNA, col, (LPARAM)&c);
}

int CListCtrl::InsertItem(int item, LPCSTR text) {
    LVITEMA it = {};
    it.mask = LVIF_TEXT;
    it.iItem = item;
    it.pszText = (LPSTR)text;
    return InsertItem(&it);
}

int CListCtrl::InsertItem(int item, LPCSTR text, int image) {
    LVITEMA it = {};
    it.mask = LVIF_TEXT | LVIF_IMAGE;
    it.iItem = item;
    it.pszText = (LPSTR)text;
    it.iImage = image;
    return InsertItem(&it);
}

BOOL CListCtrl::SetItemText(int item, int sub, LPCSTR text) {
    LVITEMA it = {};
    it.iSubItem = sub;
    it.pszText = (LPSTR)text;
    return (BOOL)SendMessage(LVM_SETITEMTEXTA, item, (LPARAM)&it);
}

int CListCtrl::GetItemText(int item, int sub, LPSTR buf, int n) const {
    LVITEMA it = {};
    it.iSubItem = sub;
    it.pszText = buf;
    it.cchTextMax = n;
    return (int)SendMessage(LVM_GETITEMTEXTA, item, (LPARAM)&it);
}

CString CListCtrl::GetItemText(int item, int sub) const {
    // Grow until the text fits: the control returns the copied length.
    CString s;
    for (int n = 256;; n *= 2) {
        int got = GetItemText(item, sub, s.GetBuffer(n), n);
        s.ReleaseBuffer(got);
        if (got < n - 1) return s;
    }
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
    LVITEMA it = {};
    it.mask = LVIF_PARAM;
    it.iItem = item;
    it.lParam = (LPARAM)data;
    return SetItem(&it);
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
    LVITEMA it = {};
    it.mask = LVIF_PARAM;
    it.iItem = item;
    GetItem(&it);
    return (DWORD_PTR)it.lParam;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    LVITEMA it = {};
    it.state = state;
    it.stateMask = mask;
    return (BOOL)SendMessage(LVM_SETITEMSTATE, item, (LPARAM)&it);
}

HTREEITEM CTreeCtrl::InsertItem(UINT mask, LPCSTR text, int image, int selImage, UINT state, UINT stateMask,
                                LPARAM param, HTREEITEM parent, HTREEITEM after) {
    TVINSERTSTRUCTA is = {};
    is.hParent = parent;
    is.hInsertAfter = after;
    is.item.mask = mask;
    is.item.pszText = (LPSTR)text;
    is.item.iImage = image;
    is.item.iSelectedImage = selImage;
    is.item.state = state;
    is.item.stateMask = stateMask;
    is.item.lParam = param;
    return InsertItem(&is);
}

HTREEITEM CTreeCtrl::InsertItem(LPCSTR text, HTREEITEM parent, HTREEITEM after) {
    return InsertItem(TVIF_TEXT, text, 0, 0, 0, 0, 0, parent, after);
}

HTREEITEM CTreeCtrl::InsertItem(LPCSTR text, int image, int selImage, HTREEITEM parent, HTREEITEM after) {
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, text, image, selImage, 0, 0, 0, parent, after);
}

CString CTreeCtrl::GetItemText(HTREEITEM h) const {
    CString s;
    for (int n = 256;; n *= 2) {
        TVITEMA it = {};
        it.mask = TVIF_TEXT;
        it.hItem = h;
        it.pszText = s.GetBuffer(n);
        it.cchTextMax = n;
        BOOL ok = GetItem(&it);
        s.ReleaseBuffer();
        if (!ok) return CString();
        if (s.GetLength() < n - 1) return s;
    }
}

BOOL CTreeCtrl::SetItemText(HTREEITEM h, LPCSTR text) {
    TVITEMA it = {};
    it.mask = TVIF_TEXT;
    it.hItem = h;
    it.pszText = (LPSTR)text;
    return SetItem(&it);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM h) const {
    TVITEMA it = {};
    it.mask = TVIF_PARAM;
    it.hItem = h;
    GetItem(&it);
    return (DWORD_PTR)it.lParam;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM h, DWORD_PTR data) {
    TVITEMA it = {};
    it.mask = TVIF_PARAM;
    it.hItem = h;
    it.lParam = (LPARAM)data;
    return SetItem(&it);
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM h, int& image, int& selImage) const {
    TVITEMA it = {};
    it.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    it.hItem = h;
    BOOL ok = GetItem(&it);
    image = it.iImage;
    selImage = it.iSelectedImage;
    return ok;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM h, int image, int selImage) {
    TVITEMA it = {};
    it.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    it.hItem = h;
    it.iImage = image;
    it.iSelectedImage = selImage;
    return SetItem(&it);
}

BOOL CTreeCtrl::SetItemState(HTREEITEM h, UINT state, UINT mask) {
    TVITEMA it = {};
    it.mask = TVIF_STATE;
    it.hItem = h;
    it.state = state;
    it.stateMask = mask;
    return SetItem(&it);
}

HTREEITEM CTreeCtrl::HitTest(POINT p, UINT* flags) const {
    TVHITTESTINFO info = {};
    info.pt = p;
    HTREEITEM h = (HTREEITEM)SendMessage(TVM_HITTEST, 0, (LPARAM)&info);
    if (flags) *flags = info.flags;
    return h;
}
