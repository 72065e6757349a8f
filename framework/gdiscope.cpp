#include "framework/gdiscope.h"

CSelectScope::CSelectScope(HDC dc, HGDIOBJ object) : m_dc(object ? dc : nullptr) {
    if (!m_dc)
        return;
    if (::GetObjectType(object) == OBJ_REGION) {
        m_region = true;
        m_previousClip.CreateRectRgn(0, 0, 0, 0);
        if (::GetClipRgn(m_dc, m_previousClip) != 1)
            m_previousClip.DeleteObject();
        ::SelectClipRgn(m_dc, (HRGN)object);
    } else {
        m_previous = ::SelectObject(m_dc, object);
    }
}

CSelectScope::~CSelectScope() {
    if (m_region)
        ::SelectClipRgn(m_dc, m_previousClip);
    else if (m_previous)
        ::SelectObject(m_dc, m_previous);
}

CMemoryDC::CMemoryDC(HDC like, HGDIOBJ bitmap) {
    Attach(::CreateCompatibleDC(like));
    Select(bitmap);
}

CMemoryDC::CMemoryDC(HDC like, int width, int height) {
    Attach(::CreateCompatibleDC(like));
    if (!m_hDC)
        return;
    // Compatible with `like`, not with the new DC, which is monochrome.
    if (like) {
        m_ownBitmap.Attach(::CreateCompatibleBitmap(like, width, height));
    } else {
        CScreenDC screen;
        m_ownBitmap.Attach(::CreateCompatibleBitmap(screen, width, height));
    }
    Select(m_ownBitmap);
}

void CMemoryDC::Select(HGDIOBJ bitmap) {
    if (m_hDC && bitmap)
        m_previousBitmap = ::SelectObject(m_hDC, bitmap);
}

// The bitmap is deselected here; m_ownBitmap is deleted after this body,
// the DC itself last (by CDC).
CMemoryDC::~CMemoryDC() {
    if (m_previousBitmap)
        ::SelectObject(m_hDC, m_previousBitmap);
}

CScreenDC::CScreenDC() { m_hDC = m_hAttribDC = ::GetDC(nullptr); }

CScreenDC::~CScreenDC() {
    if (m_hDC)
        ::ReleaseDC(nullptr, m_hDC);
    Detach();
}
