// Geometry values, device contexts and GDI object wrappers.
#pragma once
#include <windows.h>

// Returns p unchanged, out of the optimizer's sight: MFC code calls
// GetSafeHwnd()/GetSafeHandle() on null pointers, and a plain "this ?" test
// would be folded away.
const void* AfxOpaquePointer(const void* p);

class CSize : public tagSIZE {
public:
    CSize() { cx = cy = 0; }
    CSize(int x, int y) { cx = x; cy = y; }
    CSize(SIZE s) { cx = s.cx; cy = s.cy; }
    CSize(DWORD packed) { cx = (short)LOWORD(packed); cy = (short)HIWORD(packed); }
    bool operator==(SIZE s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(SIZE s) const { return !(*this == s); }
    CSize operator+(SIZE s) const { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(SIZE s) const { return CSize(cx - s.cx, cy - s.cy); }
    void operator+=(SIZE s) { cx += s.cx; cy += s.cy; }
    void operator-=(SIZE s) { cx -= s.cx; cy -= s.cy; }
};

class CPoint : public tagPOINT {
public:
    CPoint() { x = y = 0; }
    CPoint(int ix, int iy) { x = ix; y = iy; }
    CPoint(POINT p) { x = p.x; y = p.y; }
    CPoint(SIZE s) { x = s.cx; y = s.cy; }
    CPoint(DWORD packed) { x = (short)LOWORD(packed); y = (short)HIWORD(packed); }
    void Offset(int dx, int dy) { x += dx; y += dy; }
    void Offset(POINT p) { x += p.x; y += p.y; }
    bool operator==(POINT p) const { return x == p.x && y == p.y; }
    bool operator!=(POINT p) const { return !(*this == p); }
    CPoint operator+(SIZE s) const { return CPoint(x + s.cx, y + s.cy); }
    CPoint operator-(SIZE s) const { return CPoint(x - s.cx, y - s.cy); }
    CSize operator-(POINT p) const { return CSize(x - p.x, y - p.y); }
    CPoint operator+(POINT p) const { return CPoint(x + p.x, y + p.y); }
    CPoint operator-() const { return CPoint(-x, -y); }
    void operator+=(SIZE s) { x += s.cx; y += s.cy; }
    void operator-=(SIZE s) { x -= s.cx; y -= s.cy; }
    void operator+=(POINT p) { x += p.x; y += p.y; }
    void operator-=(POINT p) { x -= p.x; y -= p.y; }
};

class CRect : public tagRECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT& r) { CopyRect(&r); }
    CRect(const RECT* r) { CopyRect(r); }
    CRect(POINT p, SIZE s) { left = p.x; top = p.y; right = p.x + s.cx; bottom = p.y + s.cy; }
    CRect(POINT tl, POINT br) { left = tl.x; top = tl.y; right = br.x; bottom = br.y; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint& TopLeft() { return *reinterpret_cast<CPoint*>(&left); }
    CPoint& BottomRight() { return *reinterpret_cast<CPoint*>(&right); }
    const CPoint& TopLeft() const { return *reinterpret_cast<const CPoint*>(&left); }
    const CPoint& BottomRight() const { return *reinterpret_cast<const CPoint*>(&right); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    BOOL IsRectNull() const { return left == 0 && right == 0 && top == 0 && bottom == 0; }
    BOOL PtInRect(POINT p) const { return ::PtInRect(this, p); }
    void SetRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
    void SetRectEmpty() { ::SetRectEmpty(this); }
    void CopyRect(LPCRECT r) { ::CopyRect(this, r); }
    BOOL EqualRect(LPCRECT r) const { return ::EqualRect(this, r); }
    void InflateRect(int dx, int dy) { ::InflateRect(this, dx, dy); }
    void InflateRect(SIZE s) { ::InflateRect(this, s.cx, s.cy); }
    void InflateRect(LPCRECT r) { left -= r->left; top -= r->top; right += r->right; bottom += r->bottom; }
    void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
    void DeflateRect(int dx, int dy) { ::InflateRect(this, -dx, -dy); }
    void DeflateRect(SIZE s) { ::InflateRect(this, -s.cx, -s.cy); }
    void DeflateRect(LPCRECT r) { left += r->left; top += r->top; right -= r->right; bottom -= r->bottom; }
    void DeflateRect(int l, int t, int r, int b) { left += l; top += t; right -= r; bottom -= b; }
    void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
    void OffsetRect(POINT p) { ::OffsetRect(this, p.x, p.y); }
    void OffsetRect(SIZE s) { ::OffsetRect(this, s.cx, s.cy); }
    void MoveToX(int x) { right = Width() + x; left = x; }
    void MoveToY(int y) { bottom = Height() + y; top = y; }
    void MoveToXY(int x, int y) { MoveToX(x); MoveToY(y); }
    void NormalizeRect() {
        if (left > right) { int t = left; left = right; right = t; }
        if (top > bottom) { int t = top; top = bottom; bottom = t; }
    }
    BOOL IntersectRect(LPCRECT a, LPCRECT b) { return ::IntersectRect(this, a, b); }
    BOOL UnionRect(LPCRECT a, LPCRECT b) { return ::UnionRect(this, a, b); }
    BOOL SubtractRect(LPCRECT a, LPCRECT b) { return ::SubtractRect(this, a, b); }
    bool operator==(const RECT& r) const { return ::EqualRect(this, &r) != 0; }
    bool operator!=(const RECT& r) const { return !(*this == r); }
    void operator=(const RECT& r) { CopyRect(&r); }
    void operator+=(POINT p) { OffsetRect(p); }
    void operator-=(POINT p) { ::OffsetRect(this, -p.x, -p.y); }
    void operator&=(const RECT& r) { ::IntersectRect(this, this, &r); }
    void operator|=(const RECT& r) { ::UnionRect(this, this, &r); }
    CRect operator+(POINT p) const { CRect c(*this); c.OffsetRect(p); return c; }
    CRect operator-(POINT p) const { CRect c(*this); c.OffsetRect(-p.x, -p.y); return c; }
    CRect operator&(const RECT& r) const { CRect c; ::IntersectRect(&c, this, &r); return c; }
    CRect operator|(const RECT& r) const { CRect c; ::UnionRect(&c, this, &r); return c; }
};

// GDI object wrappers own their handle unless it was only wrapped through
// FromHandle (a temporary wrapper never deletes the handle) or is a system
// colour brush (the system's own, never deleted).
class CGdiObject {
public:
    HGDIOBJ m_hObject = nullptr;
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    // Moving hands the object over; the one held before is deleted, the
    // source holds none. `x = CBitmap()` lets go of what x held.
    CGdiObject(CGdiObject&& other) noexcept : m_hObject(other.m_hObject), m_bOwned(other.m_bOwned) { other.Detach(); }
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other) {
            DeleteObject();
            m_bOwned = other.m_bOwned;
            m_hObject = other.Detach();
        }
        return *this;
    }
    virtual ~CGdiObject() { DeleteObject(); }
    operator HGDIOBJ() const { return AfxOpaquePointer(this) ? m_hObject : nullptr; }
    HGDIOBJ GetSafeHandle() const { return AfxOpaquePointer(this) ? m_hObject : nullptr; }
    // Takes ownership of h; the object held before is deleted first.
    BOOL Attach(HGDIOBJ h) {
        if (!h) return FALSE;
        if (h != m_hObject) DeleteObject();
        m_hObject = h;
        m_bOwned = true;
        return TRUE;
    }
    HGDIOBJ Detach() { HGDIOBJ h = m_hObject; m_hObject = nullptr; m_bOwned = false; return h; }
    // Deletes the object if it is ours; always lets go of the handle.
    BOOL DeleteObject() {
        if (!m_hObject) return FALSE;
        bool owned = m_bOwned;
        HGDIOBJ h = Detach();
        return owned ? ::DeleteObject(h) : TRUE;
    }
    int GetObject(int n, void* p) const { return ::GetObjectA(m_hObject, n, p); }
    BOOL UnrealizeObject() { return ::UnrealizeObject(m_hObject); }
    static CGdiObject* FromHandle(HGDIOBJ h);

protected:
    bool m_bOwned = false;  // false: only wrapped, never deleted here
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF c) { CreatePen(style, width, c); }
    BOOL CreatePen(int style, int width, COLORREF c) { return Attach(::CreatePen(style, width, c)); }
    BOOL CreatePenIndirect(LOGPEN* lp) { return Attach(::CreatePenIndirect(lp)); }
    operator HPEN() const { return (HPEN)GetSafeHandle(); }
    static CPen* FromHandle(HPEN h) { return (CPen*)CGdiObject::FromHandle(h); }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF c) { CreateSolidBrush(c); }
    CBrush(int hatch, COLORREF c) { CreateHatchBrush(hatch, c); }
    BOOL CreateSolidBrush(COLORREF c) { return Attach(::CreateSolidBrush(c)); }
    BOOL CreateHatchBrush(int hatch, COLORREF c) { return Attach(::CreateHatchBrush(hatch, c)); }
    BOOL CreateSysColorBrush(int index) {
        if (!Attach(::GetSysColorBrush(index))) return FALSE;
        m_bOwned = false;
        return TRUE;
    }
    BOOL CreateBrushIndirect(const LOGBRUSH* lb) { return Attach(::CreateBrushIndirect(lb)); }
    BOOL CreatePatternBrush(class CBitmap* bm);
    operator HBRUSH() const { return (HBRUSH)GetSafeHandle(); }
    static CBrush* FromHandle(HBRUSH h) { return (CBrush*)CGdiObject::FromHandle(h); }
};

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONTA* lf) { return Attach(::CreateFontIndirectA(lf)); }
    BOOL CreatePointFont(int tenths, LPCSTR face, class CDC* dc = nullptr);
    BOOL CreateFont(int h, int w, int esc, int orient, int weight, BYTE italic, BYTE underline, BYTE strike,
                    BYTE charset, BYTE outPrec, BYTE clipPrec, BYTE quality, BYTE pitch, LPCSTR face) {
        return Attach(::CreateFontA(h, w, esc, orient, weight, italic, underline, strike, charset, outPrec,
                                    clipPrec, quality, pitch, face));
    }
    int GetLogFont(LOGFONTA* lf) const { return GetObject(sizeof(LOGFONTA), lf); }
    operator HFONT() const { return (HFONT)GetSafeHandle(); }
    static CFont* FromHandle(HFONT h) { return (CFont*)CGdiObject::FromHandle(h); }
};

class CBitmap : public CGdiObject {
public:
    BOOL LoadBitmap(LPCSTR name);
    BOOL LoadBitmap(UINT id) { return LoadBitmap(MAKEINTRESOURCEA(id)); }
    BOOL LoadOEMBitmap(UINT id) { return Attach(::LoadBitmapA(nullptr, MAKEINTRESOURCEA(id))); }
    BOOL CreateBitmap(int w, int h, UINT planes, UINT bpp, const void* bits) {
        return Attach(::CreateBitmap(w, h, planes, bpp, bits));
    }
    BOOL CreateCompatibleBitmap(class CDC* dc, int w, int h);
    int GetBitmap(BITMAP* bm) const { return GetObject(sizeof(BITMAP), bm); }
    CSize GetBitmapDimension() const { SIZE s = {0, 0}; ::GetBitmapDimensionEx((HBITMAP)m_hObject, &s); return s; }
    operator HBITMAP() const { return (HBITMAP)GetSafeHandle(); }
    static CBitmap* FromHandle(HBITMAP h) { return (CBitmap*)CGdiObject::FromHandle(h); }
};

class CRgn : public CGdiObject {
public:
    BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
    BOOL CreateRectRgnIndirect(LPCRECT r) { return Attach(::CreateRectRgnIndirect(r)); }
    BOOL CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) {
        return Attach(::CreateRoundRectRgn(l, t, r, b, w, h));
    }
    BOOL CreatePolygonRgn(const POINT* p, int n, int mode) { return Attach(::CreatePolygonRgn(p, n, mode)); }
    int CombineRgn(CRgn* a, CRgn* b, int mode) {
        return ::CombineRgn((HRGN)m_hObject, (HRGN)a->GetSafeHandle(), (HRGN)b->GetSafeHandle(), mode);
    }
    void SetRectRgn(int l, int t, int r, int b) { ::SetRectRgn((HRGN)m_hObject, l, t, r, b); }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion((HRGN)m_hObject, x, y); }
    int GetRgnBox(LPRECT r) const { return ::GetRgnBox((HRGN)m_hObject, r); }
    operator HRGN() const { return (HRGN)GetSafeHandle(); }
    static CRgn* FromHandle(HRGN h) { return (CRgn*)CGdiObject::FromHandle(h); }
};

class CWnd;

// A device context. The base class owns nothing unless Attach/CreateDC/
// CreateCompatibleDC gave it a DC to delete; the derived classes release
// what they got from the window.
class CDC {
public:
    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC() { if (m_hDC && m_owned) ::DeleteDC(Detach()); }
    operator HDC() const { return AfxOpaquePointer(this) ? m_hDC : nullptr; }
    HDC GetSafeHdc() const { return AfxOpaquePointer(this) ? m_hDC : nullptr; }
    static CDC* FromHandle(HDC h);
    BOOL Attach(HDC h) { if (!h) return FALSE; m_hDC = m_hAttribDC = h; m_owned = true; return TRUE; }
    HDC Detach() { HDC h = m_hDC; m_hDC = m_hAttribDC = nullptr; m_owned = false; return h; }
    BOOL CreateCompatibleDC(CDC* dc) { return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr)); }
    BOOL CreateDC(LPCSTR drv, LPCSTR dev, LPCSTR out, const DEVMODEA* dm) {
        return Attach(::CreateDCA(drv, dev, out, dm));
    }
    BOOL DeleteDC() { if (!m_hDC) return FALSE; return ::DeleteDC(Detach()); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int n) { return ::RestoreDC(m_hDC, n); }
    int GetDeviceCaps(int i) const { return ::GetDeviceCaps(m_hDC, i); }

    CGdiObject* SelectObject(CGdiObject* o) { return CGdiObject::FromHandle(::SelectObject(m_hDC, o->GetSafeHandle())); }
    CPen* SelectObject(CPen* o) { return (CPen*)SelectObject((CGdiObject*)o); }
    CBrush* SelectObject(CBrush* o) { return (CBrush*)SelectObject((CGdiObject*)o); }
    CFont* SelectObject(CFont* o) { return (CFont*)SelectObject((CGdiObject*)o); }
    CBitmap* SelectObject(CBitmap* o) { return (CBitmap*)SelectObject((CGdiObject*)o); }
    int SelectObject(CRgn* r) { return (int)(INT_PTR)::SelectObject(m_hDC, r->GetSafeHandle()); }
    HGDIOBJ SelectObject(HGDIOBJ h) { return ::SelectObject(m_hDC, h); }
    CGdiObject* SelectStockObject(int i) { return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(i))); }
    CFont* GetCurrentFont() const { return CFont::FromHandle((HFONT)::GetCurrentObject(m_hDC, OBJ_FONT)); }
    CBitmap* GetCurrentBitmap() const { return CBitmap::FromHandle((HBITMAP)::GetCurrentObject(m_hDC, OBJ_BITMAP)); }

    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int m) { return ::SetBkMode(m_hDC, m); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    int SetROP2(int m) { return ::SetROP2(m_hDC, m); }
    int SetMapMode(int m) { return ::SetMapMode(m_hDC, m); }
    int SetStretchBltMode(int m) { return ::SetStretchBltMode(m_hDC, m); }
    UINT SetTextAlign(UINT f) { return ::SetTextAlign(m_hDC, f); }
    CPoint SetBrushOrg(int x, int y) { POINT p = {0, 0}; ::SetBrushOrgEx(m_hDC, x, y, &p); return p; }
    CPoint SetBrushOrg(POINT p) { return SetBrushOrg(p.x, p.y); }
    CPoint GetBrushOrg() const { POINT p = {0, 0}; ::GetBrushOrgEx(m_hDC, &p); return p; }
    CPoint SetWindowOrg(int x, int y) { POINT p = {0, 0}; ::SetWindowOrgEx(m_hDC, x, y, &p); return p; }
    CPoint SetWindowOrg(POINT p) { return SetWindowOrg(p.x, p.y); }
    CPoint GetWindowOrg() const { POINT p = {0, 0}; ::GetWindowOrgEx(m_hDC, &p); return p; }
    CPoint SetViewportOrg(int x, int y) { POINT p = {0, 0}; ::SetViewportOrgEx(m_hDC, x, y, &p); return p; }
    CPoint OffsetViewportOrg(int x, int y) { POINT p = {0, 0}; ::OffsetViewportOrgEx(m_hDC, x, y, &p); return p; }
    CPoint OffsetWindowOrg(int x, int y) { POINT p = {0, 0}; ::OffsetWindowOrgEx(m_hDC, x, y, &p); return p; }
    void DPtoLP(LPPOINT p, int n = 1) const { ::DPtoLP(m_hDC, p, n); }
    void LPtoDP(LPPOINT p, int n = 1) const { ::LPtoDP(m_hDC, p, n); }
    void DPtoLP(LPRECT r) const { ::DPtoLP(m_hDC, (LPPOINT)r, 2); }
    void LPtoDP(LPRECT r) const { ::LPtoDP(m_hDC, (LPPOINT)r, 2); }

    CPoint MoveTo(int x, int y) { POINT p = {0, 0}; ::MoveToEx(m_hDC, x, y, &p); return p; }
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL RoundRect(LPCRECT r, POINT p) { return ::RoundRect(m_hDC, r->left, r->top, r->right, r->bottom, p.x, p.y); }
    BOOL RoundRect(int l, int t, int r, int b, int w, int h) { return ::RoundRect(m_hDC, l, t, r, b, w, h); }
    BOOL Ellipse(LPCRECT r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL Polygon(const POINT* p, int n) { return ::Polygon(m_hDC, p, n); }
    BOOL Polyline(const POINT* p, int n) { return ::Polyline(m_hDC, p, n); }
    void FillRect(LPCRECT r, CBrush* b) { ::FillRect(m_hDC, r, (HBRUSH)b->GetSafeHandle()); }
    void FillSolidRect(LPCRECT r, COLORREF c) {
        ::SetBkColor(m_hDC, c);
        ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
    }
    void FillSolidRect(int x, int y, int w, int h, COLORREF c) { RECT r = {x, y, x + w, y + h}; FillSolidRect(&r, c); }
    void FrameRect(LPCRECT r, CBrush* b) { ::FrameRect(m_hDC, r, (HBRUSH)b->GetSafeHandle()); }
    void InvertRect(LPCRECT r) { ::InvertRect(m_hDC, r); }
    BOOL FillRgn(CRgn* r, CBrush* b) { return ::FillRgn(m_hDC, (HRGN)r->GetSafeHandle(), (HBRUSH)b->GetSafeHandle()); }
    void Draw3dRect(LPCRECT r, COLORREF tl, COLORREF br) {
        Draw3dRect(r->left, r->top, r->right - r->left, r->bottom - r->top, tl, br);
    }
    void Draw3dRect(int x, int y, int w, int h, COLORREF tl, COLORREF br) {
        FillSolidRect(x, y, w - 1, 1, tl);
        FillSolidRect(x, y, 1, h - 1, tl);
        FillSolidRect(x + w, y, -1, h, br);
        FillSolidRect(x, y + h, w, -1, br);
    }
    BOOL DrawEdge(LPRECT r, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, r, edge, flags); }
    BOOL DrawFrameControl(LPRECT r, UINT type, UINT state) { return ::DrawFrameControl(m_hDC, r, type, state); }
    void DrawFocusRect(LPCRECT r) { ::DrawFocusRect(m_hDC, r); }
    BOOL DrawIcon(int x, int y, HICON h) { return ::DrawIcon(m_hDC, x, y, h); }
    BOOL DrawIcon(POINT p, HICON h) { return ::DrawIcon(m_hDC, p.x, p.y, h); }
    BOOL DrawState(CPoint p, CSize s, HICON h, UINT flags, HBRUSH br = nullptr) {
        return ::DrawStateA(m_hDC, br, nullptr, (LPARAM)h, 0, p.x, p.y, s.cx, s.cy, flags | DST_ICON);
    }
    BOOL DrawState(CPoint p, CSize s, HBITMAP h, UINT flags, HBRUSH br = nullptr) {
        return ::DrawStateA(m_hDC, br, nullptr, (LPARAM)h, 0, p.x, p.y, s.cx, s.cy, flags | DST_BITMAP);
    }

    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, rop);
    }
    BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, sw, sh, rop);
    }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF GetPixel(POINT p) const { return ::GetPixel(m_hDC, p.x, p.y); }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
    COLORREF SetPixel(POINT p, COLORREF c) { return ::SetPixel(m_hDC, p.x, p.y, c); }
    BOOL SetPixelV(int x, int y, COLORREF c) { return ::SetPixelV(m_hDC, x, y, c); }

    BOOL TextOut(int x, int y, LPCSTR s, int n) { return ::TextOutA(m_hDC, x, y, s, n); }
    BOOL TextOut(int x, int y, LPCSTR s) { return ::TextOutA(m_hDC, x, y, s, lstrlenA(s)); }
    BOOL ExtTextOut(int x, int y, UINT opt, LPCRECT r, LPCSTR s, UINT n, const INT* dx) {
        return ::ExtTextOutA(m_hDC, x, y, opt, r, s, n, dx);
    }
    int DrawText(LPCSTR s, int n, LPRECT r, UINT fmt) { return ::DrawTextA(m_hDC, s, n, r, fmt); }
    int DrawText(LPCSTR s, LPRECT r, UINT fmt) { return ::DrawTextA(m_hDC, s, -1, r, fmt); }
    CSize GetTextExtent(LPCSTR s, int n) const { SIZE sz = {0, 0}; ::GetTextExtentPoint32A(m_hDC, s, n, &sz); return sz; }
    CSize GetTextExtent(LPCSTR s) const { return GetTextExtent(s, lstrlenA(s)); }
    BOOL GetTextMetrics(TEXTMETRICA* tm) const { return ::GetTextMetricsA(m_hDC, tm); }

    int SelectClipRgn(CRgn* r) { return ::SelectClipRgn(m_hDC, r ? (HRGN)r->GetSafeHandle() : nullptr); }
    int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
    int IntersectClipRect(LPCRECT r) { return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
    int ExcludeClipRect(int l, int t, int r, int b) { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
    int ExcludeClipRect(LPCRECT r) { return ::ExcludeClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
    int GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }

protected:
    bool m_owned = false;
};

// WM_PAINT: BeginPaint/EndPaint around the object's life.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;
protected:
    HWND m_hWnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;
protected:
    HWND m_hWnd;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    explicit CWindowDC(HWND wnd);
    ~CWindowDC() override;
protected:
    HWND m_hWnd;
};
