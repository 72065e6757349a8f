// GDI ownership: wrappers free what they hold, scopes put back what they
// selected, on every way out of a scope.
#include "framework/framework.h"
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

bool Exists(HGDIOBJ h) { return GetObjectType(h) != 0; }

TEST(GdiOwnership, AttachFreesWhatWasHeld) {
    CBrush brush(RGB(1, 2, 3));
    HGDIOBJ first = brush;
    ASSERT_TRUE(Exists(first));
    brush.Attach(CreateSolidBrush(RGB(4, 5, 6)));
    EXPECT_FALSE(Exists(first)) << "the brush held before";
    HGDIOBJ second = brush;
    brush.Attach(second);
    EXPECT_TRUE(Exists(second)) << "attaching the same handle keeps it";

    HGDIOBJ raw = nullptr;
    try {
        CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
        raw = pen;
        throw std::runtime_error("unwind");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(Exists(raw)) << "exception";
}

TEST(GdiOwnership, MovingHandsTheObjectOverAndFreesWhatWasHeld) {
    CBitmap held, moved;
    ASSERT_TRUE(held.Attach(CreateBitmap(4, 4, 1, 1, nullptr)));
    ASSERT_TRUE(moved.Attach(CreateBitmap(8, 8, 1, 1, nullptr)));
    HGDIOBJ old = held, handed = moved;
    held = std::move(moved);
    EXPECT_FALSE(Exists(old)) << "the object held before the move";
    EXPECT_EQ(handed, held.GetSafeHandle());
    EXPECT_EQ(nullptr, moved.GetSafeHandle()) << "the source still holds it";
    held = std::move(held);
    EXPECT_TRUE(Exists(handed)) << "a move onto itself";
    held = CBitmap();
    EXPECT_FALSE(Exists(handed)) << "an empty object moved in";

    // A wrapper that does not own its handle never deletes it, moved or not.
    CBrush system;
    system.m_hObject = GetStockObject(GRAY_BRUSH);
    CBrush taken(std::move(system));
    HGDIOBJ stock = taken;
    taken = CBrush();
    EXPECT_TRUE(Exists(stock));
}

TEST(GdiOwnership, SelectionsComeBackOnEveryWayOut) {
    CMemoryDC dc;
    ASSERT_TRUE(dc.GetSafeHdc());
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, "Arial"));
    CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
    CBrush brush(RGB(0, 255, 0));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(4, 4, 1, 1, nullptr));
    struct Case { HGDIOBJ object; UINT type; };
    const Case cases[] = {{font, OBJ_FONT}, {pen, OBJ_PEN}, {brush, OBJ_BRUSH}, {bitmap, OBJ_BITMAP}};
    for (const Case& c : cases) {
        HGDIOBJ original = GetCurrentObject(dc, c.type);
        auto draw = [&](bool leaveEarly) {
            CSelectScope select(dc, c.object);
            EXPECT_EQ(select.GetPrevious(), original);
            EXPECT_EQ(GetCurrentObject(dc, c.type), c.object);
            if (leaveEarly) return;
            dc.MoveTo(0, 0);
        };
        draw(true);
        EXPECT_EQ(GetCurrentObject(dc, c.type), original) << c.type << " early return";
        draw(false);
        EXPECT_EQ(GetCurrentObject(dc, c.type), original) << c.type << " end of scope";
        try {
            CSelectScope select(dc, c.object);
            throw std::runtime_error("unwind");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(GetCurrentObject(dc, c.type), original) << c.type << " exception";
    }
    CSelectScope none(dc, nullptr);
    EXPECT_EQ(none.GetPrevious(), nullptr);
}

TEST(GdiOwnership, RegionsRestoreTheClipping) {
    CBitmap bitmap;
    CScreenDC screen;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 40, 40));
    CMemoryDC dc(screen, bitmap);
    CRgn small, smaller;
    small.CreateRectRgn(0, 0, 20, 20);
    smaller.CreateRectRgn(5, 5, 10, 10);
    RECT box;
    auto clipBox = [&] { dc.GetClipBox(&box); return CRect(box); };
    const CRect whole = clipBox();
    {
        CSelectScope outer(dc, small);
        EXPECT_EQ(clipBox(), CRect(0, 0, 20, 20));
        try {
            CSelectScope inner(dc, smaller);
            EXPECT_EQ(clipBox(), CRect(5, 5, 10, 10));
            throw std::runtime_error("unwind");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(clipBox(), CRect(0, 0, 20, 20)) << "the outer clipping is back";
    }
    EXPECT_EQ(clipBox(), whole) << "no clip region again";
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, probe), 0);
    DeleteObject(probe);
}

TEST(GdiOwnership, SavedStateAndDcsAreGivenBack) {
    CMemoryDC dc;
    int mode = GetBkMode(dc);
    try {
        CSavedDC saved(dc);
        SetBkMode(dc, mode == OPAQUE ? TRANSPARENT : OPAQUE);
        SetTextColor(dc, RGB(1, 2, 3));
        throw std::runtime_error("unwind");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(GetBkMode(dc), mode);
    EXPECT_NE(GetTextColor(dc), RGB(1, 2, 3));

    // A memory DC deselects its bitmap before it goes: the bitmap can be
    // selected elsewhere and deleted by its owner.
    CBitmap bitmap;
    HDC raw = nullptr;
    {
        CScreenDC screen;
        ASSERT_TRUE(screen.GetSafeHdc());
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 8, 8));
        CMemoryDC mem(screen, bitmap);
        raw = mem;
        EXPECT_EQ(GetCurrentObject(mem, OBJ_BITMAP), (HGDIOBJ)bitmap);
        mem.FillSolidRect(0, 0, 8, 8, RGB(0, 0, 255));
    }
    EXPECT_EQ(GetObjectType(raw), 0u) << "memory DC deleted";
    CMemoryDC again(nullptr, bitmap);
    EXPECT_EQ(GetCurrentObject(again, OBJ_BITMAP), (HGDIOBJ)bitmap);
    EXPECT_EQ(again.GetPixel(3, 3), RGB(0, 0, 255));

    // A sized memory DC draws in colour on a bitmap of its own, freed with it.
    HGDIOBJ own = nullptr;
    try {
        CMemoryDC sized(nullptr, 6, 5);
        own = GetCurrentObject(sized, OBJ_BITMAP);
        BITMAP bm = {};
        ASSERT_TRUE(GetObjectA(own, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, 6);
        EXPECT_EQ(bm.bmHeight, 5);
        EXPECT_GT(bm.bmBitsPixel, 1);
        sized.FillSolidRect(0, 0, 6, 5, RGB(0, 128, 0));
        EXPECT_EQ(sized.GetPixel(5, 4), RGB(0, 128, 0));
        throw std::runtime_error("unwind");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(Exists(own));
}

}  // namespace
