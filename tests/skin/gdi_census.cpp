#include "gdi_census.h"
#include <windows.h>

static bool g_lowWord = true;

static HGDIOBJ Slot(unsigned i) { return (HGDIOBJ)(ULONG_PTR)i; }

int CountGdiObjects()
{
    int n = 0;
    for (unsigned i = 1; i < 0x10000; ++i)
        if (GetObjectType(Slot(i))) ++n;
    return n;
}

bool GdiCensusWorks()
{
    int before = CountGdiObjects();
    HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
    HPEN p = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    int during = CountGdiObjects();
    DeleteObject(b);
    DeleteObject(p);
    int after = CountGdiObjects();
    (void)g_lowWord;
    return during == before + 2 && after == before;
}
