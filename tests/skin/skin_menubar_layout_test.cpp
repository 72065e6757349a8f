// The menu bar's layout and keyboard order as tables of cases: docked rows
// with and without right-justified items, an item wider than the bar, fixed
// size, the floating width search (also by a dragged height), no items; and
// the next item for the arrow keys, passing over the MDI system buttons.
#include "menubar_fixture.h"
#include <gtest/gtest.h>
#include <string>

namespace {

const int kBorderX = 3, kBorderY = 1;   // the bar's borders: left 3, right 0, top 0, bottom 1

// Four items of one row height, as a short menu shows them.
std::vector<FixedItemSpec> FourItems(int rightJustifyFrom = -1)
{
    std::vector<FixedItemSpec> items = {{40, 20}, {50, 20}, {60, 20}, {30, 20}};
    if (rightJustifyFrom >= 0) items[rightJustifyFrom].rightJustify = true;
    return items;
}

std::string Describe(const std::vector<RECT>& rects)
{
    std::string s;
    for (const RECT& r : rects)
        s += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
             std::to_string(r.bottom) + ")";
    return s;
}

RECT R(int left, int top, int width, int height)
{
    return {left, top, left + width, top + height};
}

// A docked horizontal bar laid out by the frame (CalcDynamicLayout as the
// frame's layout calls it) at an available width.
struct DockedCase {
    const char* name;
    int available;   // the parent's width less borders and frame
    int rightJustifyFrom;
    std::vector<RECT> rects;
    std::vector<bool> rowStarts;
    int height;      // reported, borders included
};

TEST(MenuBarLayout, DockedRowsWrapAndRightJustify)
{
    const DockedCase cases[] = {
        {"one row", 300, -1, {R(0, 0, 40, 20), R(40, 0, 50, 20), R(90, 0, 60, 20), R(150, 0, 30, 20)},
         {false, false, false, false}, 20 + kBorderY},
        {"two rows", 100, -1, {R(0, 0, 40, 20), R(40, 0, 50, 20), R(0, 20, 60, 20), R(60, 20, 30, 20)},
         {false, false, true, false}, 40 + kBorderY},
        {"item wider than the bar keeps a row of its own", 30, -1,
         {R(0, 0, 40, 20), R(0, 20, 50, 20), R(0, 40, 60, 20), R(0, 60, 30, 20)}, {false, true, true, true},
         80 + kBorderY},
        {"right-justified run at the row's end", 300, 1,
         {R(0, 0, 40, 20), R(160, 0, 50, 20), R(210, 0, 60, 20), R(270, 0, 30, 20)},
         {false, false, false, false}, 20 + kBorderY},
        {"right-justified run goes on after the wrap", 100, 1,
         {R(0, 0, 40, 20), R(50, 0, 50, 20), R(10, 20, 60, 20), R(70, 20, 30, 20)}, {false, false, true, false},
         40 + kBorderY},
    };
    const int frame = 2 * GetSystemMetrics(SM_CXFRAME);
    for (const DockedCase& c : cases) {
        SCOPED_TRACE(c.name);
        BarInParent w(c.available + kBorderX + frame, 200, CBRS_ALIGN_TOP | CBRS_SIZE_DYNAMIC);
        ASSERT_TRUE(w.bar.m_hWnd);
        w.bar.SetItems(FourItems(c.rightJustifyFrom));
        CSize size = w.bar.CalcDynamicLayout(-1, LM_HORZ | LM_HORZDOCK);
        // As long as the frame lets it be, never more than the cap.
        EXPECT_EQ(size.cx, 32512);
        EXPECT_EQ(size.cy, c.height);
        EXPECT_EQ(Describe(w.bar.ItemRects()), Describe(c.rects));
        EXPECT_EQ(w.bar.RowStarts(), c.rowStarts);
    }
}

TEST(MenuBarLayout, VerticalDockReportsRowsAcross)
{
    const int frame = 2 * GetSystemMetrics(SM_CYFRAME);
    BarInParent w(300, 100 + kBorderX + frame, CBRS_ALIGN_LEFT | CBRS_SIZE_DYNAMIC);
    w.bar.SetItems(FourItems());
    CSize size = w.bar.CalcDynamicLayout(-1, LM_VERTDOCK);
    // Laid out along a length of 100: two rows of 20, across the bar.
    EXPECT_EQ(size.cx, 40 + kBorderY);
    EXPECT_EQ(size.cy, 32512);
    EXPECT_EQ(w.bar.RowStarts(), (std::vector<bool>{false, false, true, false}));
}

// Sizes without laying out: fixed bars keep their rectangles and report only
// their borders (raised to the framework's fixed size); no items, no size.
TEST(MenuBarLayout, FixedSizeAndEmptyBarsReportTheirBorders)
{
    struct Case {
        const char* name;
        DWORD style;
        bool items;
        DWORD mode;
        CSize size;
    } cases[] = {
        {"fixed", CBRS_ALIGN_TOP | CBRS_SIZE_FIXED, true, LM_HORZ, CSize(kBorderX, kBorderY)},
        {"fixed, stretched", CBRS_ALIGN_TOP | CBRS_SIZE_FIXED, true, LM_HORZ | LM_STRETCH, CSize(32512, kBorderY)},
        {"no items", CBRS_ALIGN_TOP | CBRS_SIZE_DYNAMIC, false, LM_HORZ, CSize(kBorderX, kBorderY)},
        {"no items, floating", CBRS_ALIGN_TOP | CBRS_SIZE_DYNAMIC | CBRS_FLOATING, false, LM_HORZ | LM_COMMIT,
         CSize(kBorderX, kBorderY)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BarInParent w(300, 200, c.style);
        std::vector<FixedItemSpec> items;
        if (c.items) items = {{40, 20}, {50, 20}};
        w.bar.SetItems(items);
        std::vector<RECT> before = w.bar.ItemRects();
        CSize size = w.bar.CalcLayout(c.mode, -1);
        EXPECT_EQ(size.cx, c.size.cx);
        EXPECT_EQ(size.cy, c.size.cy);
        EXPECT_EQ(Describe(w.bar.ItemRects()), Describe(before));
    }
}

// A floating bar: the user drags a width (or a height); the search picks the
// wrap width, and a commit keeps it as the bar's most recent width.
TEST(MenuBarLayout, FloatingSearchFitsTheDraggedLength)
{
    struct Case {
        const char* name;
        std::vector<FixedItemSpec> items;
        int length;
        DWORD mode;
        CSize size;        // borders included
        int mruWidth;      // after the commit
        std::vector<RECT> rects;
    } cases[] = {
        {"dragged width between one column and one row", FourItems(), 100, LM_HORZ | LM_COMMIT,
         CSize(90 + kBorderX, 40 + kBorderY), 90,
         {R(0, 0, 40, 20), R(40, 0, 50, 20), R(0, 20, 60, 20), R(60, 20, 30, 20)}},
        {"dragged width wider than one row", FourItems(), 500, LM_HORZ | LM_COMMIT,
         CSize(180 + kBorderX, 20 + kBorderY), 180,
         {R(0, 0, 40, 20), R(40, 0, 50, 20), R(90, 0, 60, 20), R(150, 0, 30, 20)}},
        {"dragged height of two rows", FourItems(), 40 + kBorderY, LM_HORZ | LM_LENGTHY | LM_COMMIT,
         CSize(90 + kBorderX, 40 + kBorderY), 90,
         {R(0, 0, 40, 20), R(40, 0, 50, 20), R(0, 20, 60, 20), R(60, 20, 30, 20)}},
        {"dragged height of one row", FourItems(), 20 + kBorderY, LM_HORZ | LM_LENGTHY | LM_COMMIT,
         CSize(180 + kBorderX, 20 + kBorderY), 180,
         {R(0, 0, 40, 20), R(40, 0, 50, 20), R(90, 0, 60, 20), R(150, 0, 30, 20)}},
        {"one right-justified item stays at its own width", {{40, 20, 1, true}}, 100, LM_HORZ | LM_COMMIT,
         CSize(40 + kBorderX, 20 + kBorderY), 40, {R(0, 0, 40, 20)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BarInParent w(300, 200, CBRS_ALIGN_TOP | CBRS_SIZE_DYNAMIC | CBRS_FLOATING);
        w.bar.SetItems(c.items);
        CSize size = w.bar.CalcDynamicLayout(c.length, c.mode);
        EXPECT_EQ(size.cx, c.size.cx);
        EXPECT_EQ(size.cy, c.size.cy);
        EXPECT_EQ(w.bar.m_nMRUWidth, c.mruWidth);
        EXPECT_EQ(Describe(w.bar.ItemRects()), Describe(c.rects));
        // Asked again for its most recent width, the bar keeps that layout.
        CSize again = w.bar.CalcDynamicLayout(-1, LM_HORZ | LM_MRUWIDTH);
        EXPECT_EQ(again.cx, c.size.cx);
        EXPECT_EQ(Describe(w.bar.ItemRects()), Describe(c.rects));
    }
}

TEST(MenuBarLayout, RowRightAlignmentIgnoresEmptyRuns)
{
    CFixedItemsBar bar;
    CSkinBarItemRecord recs[2] = {{R(0, 0, 10, 10), 0}, {R(10, 0, 10, 10), 0}};
    bar.AlignRowRight(recs, 0, 1, 0);    // no width
    bar.AlignRowRight(recs, -1, 1, 50);  // no run
    bar.AlignRowRight(recs, 1, 0, 50);   // empty run
    EXPECT_EQ(recs[0].rect.left, 0);
    EXPECT_EQ(recs[1].rect.left, 10);
    bar.AlignRowRight(recs, 0, 1, 50);
    EXPECT_EQ(recs[0].rect.left, 30);
    EXPECT_EQ(recs[1].rect.right, 50);
}

// The arrow keys' order: round the items, over the MDI system buttons
// (0xF000 to 0xF150), from a negative index (none yet) as from the end.
TEST(MenuBarKeyboardOrder, NextItemWrapsAndSkipsSystemButtons)
{
    struct Case {
        const char* name;
        std::vector<UINT> ids;
        int from;
        BOOL forward;
        int next;
    } cases[] = {
        {"no items", {}, 0, TRUE, -1},
        {"no items, none current", {}, -1, FALSE, -1},
        {"forward", {10, 20, 30}, 0, TRUE, 1},
        {"forward round the end", {10, 20, 30}, 2, TRUE, 0},
        {"back round the start", {10, 20, 30}, 0, FALSE, 2},
        {"none current, forward", {10, 20, 30}, -1, TRUE, 0},
        {"none current, back", {10, 20, 30}, -1, FALSE, 1},
        {"system buttons passed over", {0xF000, 10, 20, 0xF150}, 2, TRUE, 1},
        {"system buttons passed over, back", {0xF000, 10, 20, 0xF150}, 1, FALSE, 2},
        {"just outside the system range", {0xEFFF, 0xF151}, 0, TRUE, 1},
        {"only system buttons", {SC_MINIMIZE, SC_RESTORE, SC_CLOSE}, 0, TRUE, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFixedItemsBar bar;
        std::vector<FixedItemSpec> items;
        for (UINT id : c.ids) items.push_back({20, 20, id});
        bar.SetItems(items);
        EXPECT_EQ(bar.GetNextItem(c.from, c.forward), c.next);
    }
}

} // namespace
