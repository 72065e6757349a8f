#include "skin/systemglyphs.h"
#include "skin/drawing.h"

namespace {
bool Grayed(UINT state) { return (state & (ODS_GRAYED | ODS_INACTIVE)) != 0; }

void Glyph(CDC& dc, const RECT& r, char glyph, UINT state, COLORREF color)
{
    COLORREF old = dc.SetTextColor(color);
    DrawMarlettGlyph(dc, r, glyph, (state & ODS_DEFAULT) != 0);
    dc.SetTextColor(old);
}
} // namespace

char SystemCommandGlyph(UINT id)
{
    switch (id & 0xFFF0) {
    case SC_CLOSE: return 'r';
    case SC_MINIMIZE: return '0';
    case SC_MAXIMIZE: return '1';
    case SC_RESTORE: return '2';
    default: return 0;
    }
}

void DrawSystemButtonGlyph(CDC& dc, const RECT& rect, UINT id, UINT state, GlyphLook look, int iconHeight)
{
    char glyph = SystemCommandGlyph(id);
    if (!glyph) return;
    if (look == GlyphLook::Classic) {
        int index = Grayed(state) ? COLOR_GRAYTEXT : (state & ODS_SELECTED) ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT;
        Glyph(dc, rect, glyph, state, GetSysColor(index));
        return;
    }
    RECT r = rect;
    r.top = rect.top + (rect.bottom - rect.top - iconHeight) / 2;
    r.bottom = r.top + iconHeight;
    if (Grayed(state)) {
        Glyph(dc, r, glyph, state, GetSysColor(COLOR_GRAYTEXT));
    } else if (state & ODS_SELECTED) {
        RECT shadow = r, lifted = r;
        OffsetRect(&shadow, 1, 1);
        OffsetRect(&lifted, -1, -1);
        Glyph(dc, shadow, glyph, state, BluishShadowColor(GetSelectionBackColor()));
        Glyph(dc, lifted, glyph, state, GetSysColor(COLOR_MENUTEXT));
    } else {
        Glyph(dc, r, glyph, state, GetSysColor(COLOR_MENUTEXT));
    }
}

void DrawMenuGlyph(CDC& dc, const RECT& rect, char glyph, UINT state)
{
    Glyph(dc, rect, glyph, state, GetSysColor(Grayed(state) ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
}
