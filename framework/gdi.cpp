#include "framework/gdi.h"
#include "framework/app.h"
#include "framework/handlemap.h"
#include "framework/wnd.h"
#include <stdlib.h>

const void* AfxOpaquePointer(const void* p) { return p; }

namespace {
thread_local CThreadRecord<CHandleMap<HGDIOBJ, CGdiObject>> t_gdi;
thread_local CThreadRecord<CHandleMap<HDC, CDC>> t_dc;
}  // namespace

CGdiObject* CGdiObject::FromHandle(HGDIOBJ h) {
    // Temporary wrappers never own the handle: they are found, not created.
    return t_gdi.Get().FromHandle(h, [](HGDIOBJ o) {
        CGdiObject* p = new CGdiObject;
        p->m_hObject = o;
        return p;
    });
}

CDC* CDC::FromHandle(HDC h) {
    return t_dc.Get().FromHandle(h, [](HDC d) {
        CDC* p = new CDC;
        p->m_hDC = p->m_hAttribDC = d;
        return p;
    });
}

void AfxDeleteGdiTempMaps() {
    if (auto* gdi = t_gdi.Peek()) gdi->DeleteTemp([](CGdiObject* o) { o->m_hObject = nullptr; });
    if (auto* dc = t_dc.Peek()) dc->DeleteTemp([](CDC* d) { d->m_hDC = d->m_hAttribDC = nullptr; });
}

void AfxTermGdiThreadMaps() {
    AfxDeleteGdiTempMaps();
    t_gdi.Free();
    t_dc.Free();
}

BOOL CBrush::CreatePatternBrush(CBitmap* bm) { return Attach(::CreatePatternBrush((HBITMAP)bm->GetSafeHandle())); }

BOOL CFont::CreatePointFont(int tenths, LPCSTR face, CDC* dc) {
    LOGFONTA lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    HDC h = dc ? dc->m_hDC : ::GetDC(nullptr);
    POINT p = {0, ::MulDiv(::GetDeviceCaps(h, LOGPIXELSY), tenths, 720)};
    POINT o = {0, 0};
    if (dc) {
        ::DPtoLP(h, &p, 1);
        ::DPtoLP(h, &o, 1);
    } else {
        ::ReleaseDC(nullptr, h);
    }
    lf.lfHeight = -abs(p.y - o.y);
    return CreateFontIndirect(&lf);
}

BOOL CBitmap::LoadBitmap(LPCSTR name) { return Attach(::LoadBitmapA(AfxGetResourceHandle(), name)); }

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int w, int h) {
    return Attach(::CreateCompatibleBitmap(dc->m_hDC, w, h));
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->GetSafeHwnd()) {
    m_hDC = m_hAttribDC = ::BeginPaint(m_hWnd, &m_ps);
}
CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd->GetSafeHwnd()) { m_hDC = m_hAttribDC = ::GetDC(m_hWnd); }
CClientDC::~CClientDC() {
    ::ReleaseDC(m_hWnd, m_hDC);
    Detach();
}

CWindowDC::CWindowDC(CWnd* wnd) : CWindowDC(wnd->GetSafeHwnd()) {}
CWindowDC::CWindowDC(HWND wnd) : m_hWnd(wnd) { m_hDC = m_hAttribDC = ::GetWindowDC(m_hWnd); }
CWindowDC::~CWindowDC() {
    ::ReleaseDC(m_hWnd, m_hDC);
    Detach();
}
