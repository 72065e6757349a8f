// Marlett glyphs in menus: the system-command buttons the menu bar shows
// (close, minimize, maximize, restore) and the check mark and radio bullet.
#pragma once
#include "framework/framework.h"
#include <windows.h>

enum : char {
    kGlyphCheck = 98,    // check mark
    kGlyphBullet = 105,  // radio bullet
};

// Classic: selected glyphs in the highlight text colour. Flat: as high as the
// menu's icons, a selected glyph lifted over its bluish shadow.
enum class GlyphLook { Classic, Flat };

// The Marlett character of a system command (close "r", minimize "0",
// maximize "1", restore "2"), or 0 for any other id.
char SystemCommandGlyph(UINT id);

// Draws the glyph of a system command; nothing for another id. Bold for the
// default item.
void DrawSystemButtonGlyph(CDC& dc, const RECT& rect, UINT id, UINT state, GlyphLook look, int iconHeight);
// Draws a given glyph: gray for grayed or inactive items, else the menu text colour.
void DrawMenuGlyph(CDC& dc, const RECT& rect, char glyph, UINT state);
