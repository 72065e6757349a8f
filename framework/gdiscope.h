// Scopes for device contexts: what is selected, saved or fetched for a piece
// of drawing is put back or released when the scope ends, on every path.
#pragma once
#include "framework/gdi.h"

// Selects a pen, brush, font, bitmap or region into a DC and puts back what
// was there. A region sets the clip region (the DC keeps a copy), so the
// previous clipping is what comes back. A null object selects nothing.
class CSelectScope {
public:
    CSelectScope(HDC dc, HGDIOBJ object);
    ~CSelectScope();
    CSelectScope(const CSelectScope&) = delete;
    CSelectScope& operator=(const CSelectScope&) = delete;

    // The object that was selected before (null for a region).
    HGDIOBJ GetPrevious() const { return m_previous; }

private:
    HDC m_dc;
    HGDIOBJ m_previous = nullptr;
    bool m_region = false;
    CRgn m_previousClip;  // region only; none = the DC had no clip region
};

// SaveDC for a scope; RestoreDC to that level when it ends.
class CSavedDC {
public:
    explicit CSavedDC(HDC dc) : m_dc(dc), m_level(dc ? ::SaveDC(dc) : 0) {}
    ~CSavedDC() { if (m_level) ::RestoreDC(m_dc, m_level); }
    CSavedDC(const CSavedDC&) = delete;
    CSavedDC& operator=(const CSavedDC&) = delete;

private:
    HDC m_dc;
    int m_level;
};

// A memory DC compatible with `like` (null: with the screen), deleted with
// the object. Given a bitmap, it draws on it and deselects it before the DC
// goes, so the bitmap is free for its owner again. Given a size, it draws on
// a bitmap of its own, compatible with `like`, freed with it.
class CMemoryDC : public CDC {
public:
    explicit CMemoryDC(HDC like = nullptr, HGDIOBJ bitmap = nullptr);
    CMemoryDC(HDC like, int width, int height);
    ~CMemoryDC() override;

private:
    void Select(HGDIOBJ bitmap);
    CBitmap m_ownBitmap;
    HGDIOBJ m_previousBitmap = nullptr;
};

// The screen's DC (GetDC of the desktop), released with the object.
class CScreenDC : public CDC {
public:
    CScreenDC();
    ~CScreenDC() override;
};
