#include "skin/drawing.h"
#include <cstring>
#include <string>

LOGFONTA GetMenuLogFont()
{
    NONCLIENTMETRICSA ncm;
    ZeroMemory(&ncm, sizeof ncm);
    ncm.cbSize = 340;
    ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &ncm, 0);
    return ncm.lfMenuFont;
}

static void Output(HDC dc, const RECT& rect, const std::string& s)
{
    if (!s.empty())
        ExtTextOutA(dc, 0, 0, ETO_CLIPPED, &rect, s.data(), (UINT)s.size(), nullptr);
}

// One-pixel line under (or beside, for turned text) the next character.
static void Underline(HDC dc, char ch, const TEXTMETRICA& tm, int orientation, bool rtl)
{
    SIZE sz = {0, 0};
    GetTextExtentPointA(dc, &ch, 1, &sz);
    int w = sz.cx - tm.tmOverhang / 2;
    POINT p;
    GetCurrentPositionEx(dc, &p);
    int d = tm.tmAscent + 1;
    RECT r;
    switch (orientation) {
    case 900: case -2700:   // running upwards
        r = {p.x + d, p.y - w, p.x + d + 1, p.y};
        break;
    case 1800: case -1800:
        r = {p.x - w, p.y - d - 1, p.x, p.y - d};
        break;
    case 2700: case -900:   // running downwards
        r = {p.x - d - 1, p.y, p.x - d, p.y + w};
        break;
    default:
        r = rtl ? RECT{p.x - w, p.y + d, p.x, p.y + d + 1} : RECT{p.x, p.y + d, p.x + w, p.y + d + 1};
    }
    COLORREF oldBk = SetBkColor(dc, GetTextColor(dc));
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "", 0, nullptr);
    SetBkColor(dc, oldBk);
}

void DrawMnemonicText(HDC dc, LPCSTR text, int length, const RECT& rect, UINT flags)
{
    if (!text) return;
    if (length < 0) length = (int)strlen(text);
    std::string s(text, (size_t)length);

    LOGFONTA lf;
    ZeroMemory(&lf, sizeof lf);
    bool haveFont = GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof lf, &lf) != 0;
    int orientation = haveFont ? lf.lfOrientation : 0;
    UINT oldAlign = GetTextAlign(dc);
    POINT oldPos;
    GetCurrentPositionEx(dc, &oldPos);

    TEXTMETRICA tm;
    ZeroMemory(&tm, sizeof tm);
    GetTextMetricsA(dc, &tm);
    HFONT created = nullptr;
    HGDIOBJ oldFont = nullptr;
    bool raster = !(tm.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE));
    if (haveFont && raster && (lf.lfEscapement || lf.lfOrientation)) {
        // Raster fonts cannot turn: use a TrueType face of the same metrics.
        LOGFONTA turned = lf;
        lstrcpynA(turned.lfFaceName, "Arial", LF_FACESIZE);
        turned.lfOutPrecision = OUT_TT_ONLY_PRECIS;
        created = CreateFontIndirectA(&turned);
        if (created) {
            oldFont = SelectObject(dc, created);
            GetTextMetricsA(dc, &tm);
        }
    }

    bool rtl = (GetLayout(dc) & LAYOUT_RTL) != 0;
    SetTextAlign(dc, TA_UPDATECP | (rtl ? TA_RIGHT : 0));

    int x = rect.left, y = rect.top;
    if (flags & DT_VCENTER) {
        int h = tm.tmHeight;
        int nearX = rtl ? rect.right - 4 : rect.left + 4;
        int farX = rtl ? rect.left + 4 : rect.right - 4;
        switch (orientation % 3600) {
        case 900: case -2700:
            x = (rect.left + rect.right - h) / 2;
            y = rect.bottom - 4;
            break;
        case 1800: case -1800:
            y = (rect.top + rect.bottom + h) / 2;
            x = farX;
            break;
        case 2700: case -900:
            x = (rect.left + rect.right + h) / 2;
            y = rect.top + 4;
            break;
        default:
            y = (rect.top + rect.bottom - h) / 2;
            x = nearX;
        }
    }
    MoveToEx(dc, x, y, nullptr);

    std::string piece;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            piece += s[i];
            continue;
        }
        if (i + 1 < s.size() && s[i + 1] == '&') {   // "&&" shows one ampersand
            piece += '&';
            ++i;
            continue;
        }
        Output(dc, rect, piece);
        piece.clear();
        if (i + 1 < s.size() && !(flags & DT_HIDEPREFIX))
            Underline(dc, s[i + 1], tm, orientation % 3600, rtl);
    }
    Output(dc, rect, piece);

    MoveToEx(dc, oldPos.x, oldPos.y, nullptr);
    SetTextAlign(dc, oldAlign);
    if (created) {
        SelectObject(dc, oldFont);
        DeleteObject(created);
    }
}

void DrawMarlettGlyph(HDC dc, const RECT& rect, char glyph, BOOL bold)
{
    RECT r = rect;
    InflateRect(&r, -2, -2);
    LOGFONTA lf;
    ZeroMemory(&lf, sizeof lf);
    lf.lfHeight = -(r.bottom - r.top);
    lf.lfWeight = bold ? 700 : 400;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, "Marlett", LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ oldFont = SelectObject(dc, font);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, &glyph, 1, &r, DT_CENTER | DT_SINGLELINE);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}
