// The popup notifier: where it travels from each taskbar edge, the shape cut
// out of its skin, a missing skin, and its animation on a real window.
#include "framework/framework.h"
#include "framework-gui/pump_until.h"
#include "server/app/PopupNotifier.h"
#include "server/app/resource.h"
#include <gtest/gtest.h>
#include <initializer_list>
#include <utility>
#include <vector>

namespace {

const SIZE Screen1024 = {1024, 768};
const SIZE Skin = {100, 70};

struct PathCase {
    const char* name;
    RECT work;
    int edge;
    POINT start;
    POINT shown;
    DWORD showStepMs; // for 100 ms to show, 300 ms to hide
    DWORD hideStepMs;
};

const PathCase PathCases[] = {
    // A 40-pixel taskbar on each edge of a 1024 x 768 screen.
    {"bottom", {0, 0, 1024, 728}, NotifierPath::Bottom, {924, 728}, {924, 658}, 100 / 35, 300 / 35},
    {"top", {0, 40, 1024, 768}, NotifierPath::Top, {924, -30}, {924, 40}, 100 / 35, 300 / 35},
    {"left", {40, 0, 1024, 768}, NotifierPath::Left, {-60, 698}, {40, 698}, 100 / 50, 300 / 50},
    {"right", {0, 0, 984, 768}, NotifierPath::Right, {984, 698}, {884, 698}, 100 / 50, 300 / 50},
    // No taskbar at all: as from the bottom, out of the screen's edge.
    {"none", {0, 0, 1024, 768}, NotifierPath::Bottom, {924, 768}, {924, 698}, 100 / 35, 300 / 35},
};

TEST(NotifierPathTest, StartShownPositionAndStepDelayPerEdge)
{
    for (const PathCase& c : PathCases) {
        SCOPED_TRACE(c.name);
        NotifierPath path;
        ASSERT_TRUE(ComputeNotifierPath(c.work, Screen1024, Skin, 2, 100, 300, path));
        EXPECT_EQ(path.edge, c.edge);
        EXPECT_EQ(path.start.x, c.start.x);
        EXPECT_EQ(path.start.y, c.start.y);
        EXPECT_EQ(path.shown.x, c.shown.x);
        EXPECT_EQ(path.shown.y, c.shown.y);
        EXPECT_EQ(path.showStepMs, c.showStepMs);
        EXPECT_EQ(path.hideStepMs, c.hideStepMs);

        // Out in steps of 2 pixels, back the same way.
        POINT at = path.start;
        int steps = 0;
        while (!StepTowards(path, at, path.shown, 2) && steps < 1000)
            ++steps;
        EXPECT_EQ(steps + 1, (c.edge == NotifierPath::Left || c.edge == NotifierPath::Right) ? 50 : 35);
        EXPECT_EQ(at.x, c.shown.x);
        EXPECT_EQ(at.y, c.shown.y);
        while (!StepTowards(path, at, path.start, 2) && steps < 2000)
            ++steps;
        EXPECT_EQ(at.x, c.start.x);
        EXPECT_EQ(at.y, c.start.y);
    }
}

TEST(NotifierPathTest, SkinsWithoutAWholeStepHaveNoPath)
{
    const RECT bottom = {0, 0, 1024, 728};
    const RECT left = {40, 0, 1024, 768};
    const struct {
        const char* name;
        RECT work;
        SIZE skin;
        int increment;
    } cases[] = {
        {"no skin", bottom, {0, 0}, 2},
        {"lower than a step", bottom, {100, 1}, 2},
        {"narrower than a step from the side", left, {1, 70}, 2},
        {"no width from below", bottom, {0, 70}, 2},
        {"no increment", bottom, {100, 70}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NotifierPath path;
        EXPECT_FALSE(ComputeNotifierPath(c.work, Screen1024, c.skin, c.increment, 100, 100, path));
    }
}

TEST(NotifierPathTest, AnOddSkinStopsExactlyAtTheEdge)
{
    NotifierPath path;
    ASSERT_TRUE(ComputeNotifierPath({0, 0, 1024, 728}, Screen1024, {100, 71}, 2, 100, 100, path));
    POINT at = path.start;
    while (!StepTowards(path, at, path.shown, 2)) {
        ASSERT_GE(at.y, path.shown.y);
    }
    EXPECT_EQ(at.y, 657);
}

// ---- the skin's region -------------------------------------------------------

// A 24-bit bitmap of the given width with the listed pixels white, the
// rest dark blue.
void MakeBitmap(CBitmap& bitmap, int width, int height, std::initializer_list<POINT> white)
{
    BITMAPINFO format = {};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB};
    void* bits = nullptr;
    ASSERT_TRUE(bitmap.Attach(::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0)));
    const int stride = (width * 3 + 3) & ~3;
    BYTE* rows = static_cast<BYTE*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* p = rows + y * stride + x * 3;
            p[0] = 110, p[1] = 50, p[2] = 20;
        }
    for (POINT w : white) {
        BYTE* p = rows + w.y * stride + w.x * 3;
        p[0] = p[1] = p[2] = 255;
    }
}

TEST(SkinRegionTest, WhitePixelsAreCutOutAndTheWidthRoundsDownToFour)
{
    // 9 x 3: the ninth column is dropped; a run of two, single pixels, a corner.
    CBitmap bitmap;
    MakeBitmap(bitmap, 9, 3, {{0, 0}, {3, 1}, {4, 1}, {7, 2}, {8, 2}});
    CRgn region;
    ASSERT_TRUE(BuildSkinRegion(bitmap, RGB(255, 255, 255), region));
    RECT box;
    ::GetRgnBox((HRGN)region.GetSafeHandle(), &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 8);
    EXPECT_EQ(box.bottom, 3);
    const HRGN h = (HRGN)region.GetSafeHandle();
    for (POINT gone : {POINT{0, 0}, POINT{3, 1}, POINT{4, 1}, POINT{7, 2}, POINT{8, 2}})
        EXPECT_FALSE(::PtInRegion(h, gone.x, gone.y)) << gone.x << "," << gone.y;
    for (POINT kept : {POINT{1, 0}, POINT{2, 1}, POINT{5, 1}, POINT{6, 2}, POINT{7, 0}, POINT{0, 2}})
        EXPECT_TRUE(::PtInRegion(h, kept.x, kept.y)) << kept.x << "," << kept.y;
}

TEST(SkinRegionTest, ADifferentColourIsKeptAndAnUnreadableBitmapGivesNoRegion)
{
    CBitmap bitmap;
    MakeBitmap(bitmap, 4, 2, {{1, 1}});
    CRgn region;
    ASSERT_TRUE(BuildSkinRegion(bitmap, RGB(255, 0, 255), region));
    EXPECT_TRUE(::PtInRegion((HRGN)region.GetSafeHandle(), 1, 1));

    CRgn none;
    EXPECT_FALSE(BuildSkinRegion(nullptr, RGB(255, 255, 255), none));
    EXPECT_EQ(none.GetSafeHandle(), nullptr);
    CBitmap narrow; // narrower than one 32-bit word of pixels
    MakeBitmap(narrow, 3, 2, {});
    EXPECT_FALSE(BuildSkinRegion(narrow, RGB(255, 255, 255), none));
}

// ---- the window --------------------------------------------------------------

// A notifier placed by a given work area instead of the desktop's.
class PlacedNotifier : public CPopupNotifier
{
public:
    RECT work = {0, 0, 1024, 728};
    SIZE screen = Screen1024;

protected:
    void ReadScreen(RECT& w, SIZE& s) const override
    {
        w = work;
        s = screen;
    }
};

RECT WindowRect(const CWnd& w)
{
    RECT r = {};
    ::GetWindowRect(w.GetSafeHwnd(), &r);
    return r;
}

DWORD GuiObjects(DWORD kind) { return ::GetGuiResources(::GetCurrentProcess(), kind); }

struct NotifierWindow : ::testing::Test {
    PlacedNotifier notifier;
    void SetUp() override
    {
        ASSERT_TRUE(notifier.Create(nullptr));
        notifier.SetTextFont("Tahoma", 85, CPopupNotifier::Bold, CPopupNotifier::Bold);
        ASSERT_TRUE(notifier.SetSkin(IDB_NOTIFIER, 255, 255, 255));
    }
};

TEST_F(NotifierWindow, SlidesOutOfEachEdgeStaysAndSlidesBack)
{
    EXPECT_EQ(notifier.GetSkinSize().cx, 100);
    EXPECT_EQ(notifier.GetSkinSize().cy, 70);
    for (const PathCase& c : PathCases) {
        SCOPED_TRACE(c.name);
        notifier.work = c.work;
        ASSERT_TRUE(notifier.Show("Halvex is still active", 100, 200, 100));
        EXPECT_TRUE(notifier.IsWindowVisible());
        ASSERT_TRUE(PumpUntil([&] { return notifier.GetState() == CPopupNotifier::Waiting; }, 10000));
        RECT r = WindowRect(notifier);
        EXPECT_EQ(r.left, c.shown.x);
        EXPECT_EQ(r.top, c.shown.y);
        EXPECT_EQ(r.right - r.left, 100);
        EXPECT_EQ(r.bottom - r.top, 70);
        ASSERT_TRUE(PumpUntil([&] { return notifier.GetState() == CPopupNotifier::Idle; }, 10000));
        EXPECT_FALSE(notifier.IsWindowVisible());
    }
}

TEST_F(NotifierWindow, ShowingAgainWhileOutKeepsOnePopupAndRestartsItsStay)
{
    ASSERT_TRUE(notifier.Show("first", 50, 400, 50));
    ASSERT_TRUE(PumpUntil([&] { return notifier.GetState() == CPopupNotifier::Waiting; }, 10000));
    // Caught on the way back: out again at once, waiting the full stay.
    ASSERT_TRUE(PumpUntil([&] { return notifier.GetState() == CPopupNotifier::Disappearing; }, 10000));
    ASSERT_TRUE(notifier.Show("second", 50, 400, 50));
    EXPECT_EQ(notifier.GetState(), CPopupNotifier::Waiting);
    EXPECT_EQ(WindowRect(notifier).top, 658);
    const DWORD again = ::GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return notifier.GetState() == CPopupNotifier::Disappearing; }, 10000));
    EXPECT_GE(::GetTickCount() - again, 350u);
    notifier.Hide();
    EXPECT_EQ(notifier.GetState(), CPopupNotifier::Idle);
    EXPECT_FALSE(notifier.IsWindowVisible());
}

TEST_F(NotifierWindow, TheWindowShapeLeavesOutTheWhiteCorners)
{
    ASSERT_TRUE(notifier.Show("shape", 10, 5000, 10));
    ASSERT_TRUE(PumpUntil([&] { return notifier.GetState() == CPopupNotifier::Waiting; }, 10000));
    CRgn shape;
    ASSERT_TRUE(shape.CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(notifier.GetSafeHwnd(), (HRGN)shape.GetSafeHandle()), ERROR);
    const HRGN h = (HRGN)shape.GetSafeHandle();
    EXPECT_FALSE(::PtInRegion(h, 0, 0));
    EXPECT_FALSE(::PtInRegion(h, 99, 69));
    EXPECT_TRUE(::PtInRegion(h, 50, 35));
    EXPECT_TRUE(::PtInRegion(h, 0, 35));
    notifier.Hide();
}

TEST(NotifierMissingSkinTest, ShowsNothingAndStaysIdle)
{
    PlacedNotifier notifier;
    ASSERT_TRUE(notifier.Create(nullptr));
    EXPECT_FALSE(notifier.SetSkin(9999, 255, 255, 255));
    EXPECT_EQ(notifier.GetSkinSize().cx, 0);
    EXPECT_FALSE(notifier.Show("Halvex is still active", 100, 3000, 100));
    EXPECT_FALSE(notifier.IsWindowVisible());
    EXPECT_EQ(notifier.GetState(), CPopupNotifier::Idle);
    // A skin that did load before is gone once a missing one is asked for.
    EXPECT_TRUE(notifier.SetSkin(IDB_NOTIFIER, 255, 255, 255));
    EXPECT_FALSE(notifier.SetSkin(9999));
    EXPECT_FALSE(notifier.Show("again", 100, 3000, 100));
}

// Every GDI object a notifier made is gone once it is replaced or the
// notifier goes; the system's object counts (where it keeps them) stay put
// over a hundred show and hide cycles.
TEST(NotifierObjectsTest, ReplacedAndDestroyedObjectsAreDeleted)
{
    std::vector<HGDIOBJ> made;
    {
        PlacedNotifier notifier;
        ASSERT_TRUE(notifier.Create(nullptr));
        notifier.SetTextFont("Tahoma", 85, CPopupNotifier::Bold, CPopupNotifier::Italic);
        ASSERT_TRUE(notifier.SetSkin(IDB_NOTIFIER, 255, 255, 255));
        const std::vector<HGDIOBJ> first = {notifier.GetSkinBitmap(), notifier.GetSkinRegion(),
                                            notifier.GetTextFont(false), notifier.GetTextFont(true)};
        for (HGDIOBJ h : first)
            ASSERT_NE(h, nullptr);
        notifier.SetTextFont("Tahoma", 90, 0, CPopupNotifier::Underline);
        ASSERT_TRUE(notifier.SetSkin(IDB_NOTIFIER, 255, 255, 255));
        for (HGDIOBJ h : first)
            EXPECT_EQ(::GetObjectType(h), 0u) << "replaced object still alive";
        made = {notifier.GetSkinBitmap(), notifier.GetSkinRegion(), notifier.GetTextFont(false),
                notifier.GetTextFont(true)};
        ASSERT_TRUE(notifier.Show("Halvex is still active", 1, 1, 1));
        ASSERT_TRUE(PumpUntil([&] { return notifier.GetState() == CPopupNotifier::Idle; }, 10000));
    }
    for (HGDIOBJ h : made)
        EXPECT_EQ(::GetObjectType(h), 0u) << "object outlived its notifier";

    PlacedNotifier notifier;
    ASSERT_TRUE(notifier.Create(nullptr));
    notifier.SetTextFont("Tahoma", 85, CPopupNotifier::Bold, CPopupNotifier::Bold);
    ASSERT_TRUE(notifier.SetSkin(IDB_NOTIFIER, 255, 255, 255));
    const DWORD gdi = GuiObjects(GR_GDIOBJECTS), user = GuiObjects(GR_USEROBJECTS);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(notifier.SetSkin(IDB_NOTIFIER, 255, 255, 255));
        ASSERT_TRUE(notifier.Show("Halvex is still active", 100, 3000, 100));
        notifier.RedrawWindow();
        PumpUntil([] { return false; }, 10);
        notifier.Hide();
    }
    std::printf("GDI objects %lu -> %lu, user objects %lu -> %lu (0: not counted here)\n", gdi,
                GuiObjects(GR_GDIOBJECTS), user, GuiObjects(GR_USEROBJECTS));
    EXPECT_LE(GuiObjects(GR_GDIOBJECTS), gdi);
    EXPECT_LE(GuiObjects(GR_USEROBJECTS), user);
}

} // namespace
