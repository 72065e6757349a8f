#include "skin/drawing.h"
#include "skin/menuicons.h"
#include "skin/skinlib.h"
#include "skin/testhooks.h"
#include "gdi_census.h"
#include "skin_scopes.h"
#include "wait_until.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

namespace {

const COLORREF kImageColours[] = {RGB(200, 100, 50), RGB(20, 180, 90), RGB(60, 60, 220), RGB(240, 240, 10)};
const COLORREF kWhite = RGB(255, 255, 255);

std::vector<WORD> ToolbarBlock()
{
    std::vector<WORD> block;
    EXPECT_TRUE(ReadToolBarDataBlock(128, 144, nullptr, &block));
    return block;
}

std::unique_ptr<CSkinMenuIcons> LoadStore()
{
    std::unique_ptr<CSkinMenuIcons> store(new CSkinMenuIcons);
    std::vector<WORD> block = ToolbarBlock();
    EXPECT_TRUE(store->LoadToolBarData(block.data(), RGB(255, 0, 255)));
    return store;
}

// Draws one image of the store on white; returns (corner pixel, centre pixel).
std::pair<COLORREF, COLORREF> DrawImage(const CSkinMenuIcons& store, int index)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 15);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT r = {0, 0, 16, 15};
    HBRUSH white = CreateSolidBrush(kWhite);
    FillRect(dc, &r, white);
    DeleteObject(white);
    ImageList_Draw(store.GetImageList(), index, dc, 0, 0, ILD_NORMAL);
    std::pair<COLORREF, COLORREF> p(GetPixel(dc, 0, 0), GetPixel(dc, 8, 7));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return p;
}

COLORREF Disabled(COLORREF c, COLORREF tint)
{
    int grey = (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
    auto ch = [&](int t) { return (110 * grey + 145 * t) / 256; };
    return RGB(ch(GetRValue(tint)), ch(GetGValue(tint)), ch(GetBValue(tint)));
}

} // namespace

TEST(SkinIcons, ToolbarBlockLeavesSeparatorsOut)
{
    std::vector<WORD> block = ToolbarBlock();
    std::vector<WORD> expected = {144, 16, 15, 100, 101, 102, 100, 0};
    EXPECT_EQ(expected, block);
    EXPECT_FALSE(ReadToolBarDataBlock(129, 144, nullptr, &block));
}

TEST(SkinIcons, ThreeImagesPerCommand)
{
    auto store = LoadStore();
    EXPECT_EQ(12, ImageList_GetImageCount(store->GetImageList()));
    SIZE sz = store->GetIconSize();
    EXPECT_EQ(16, sz.cx);
    EXPECT_EQ(15, sz.cy);
    struct Case {
        UINT id;
        int index;
    } cases[] = {{100, 9}, {101, 3}, {102, 6}, {103, -1}, {0, -1}};   // 100 twice: the last one
    for (const Case& c : cases) EXPECT_EQ(c.index, store->FindIcon(c.id)) << c.id;
    EXPECT_TRUE(store->MatchesResource(MAKEINTRESOURCEA(144), nullptr));
    EXPECT_FALSE(store->MatchesResource(MAKEINTRESOURCEA(128), nullptr));
    std::vector<WORD> block = ToolbarBlock();
    EXPECT_TRUE(store->MatchesToolBarData(block.data(), RGB(255, 0, 255)));
    EXPECT_FALSE(store->MatchesToolBarData(block.data(), RGB(255, 0, 0)));
    block[4] = 105;
    EXPECT_FALSE(store->MatchesToolBarData(block.data(), RGB(255, 0, 255)));
}

TEST(SkinIcons, NormalShadedAndDisabledImages)
{
    SkinEnvironmentOverride o;
    o.wine = 0;
    SkinEnvironmentScope asOnWindows(o);
    SkinOptionsScope options;
    for (int amount : {0, 50}) {
        for (int mode : {2, 1, 9}) {
            SetMenuDrawMode(mode);
            int previousAmount = SetIconShadeAmount(amount);
            auto store = LoadStore();
            SetIconShadeAmount(previousAmount);
            COLORREF base = mode == 2 ? GetDefaultMenuBarColor()
                            : mode == 9 ? GetThemeBarBaseColor() : GetMenuBarColor(nullptr);
            COLORREF tint = LightenColor(115, base);
            for (int i = 0; i < 4; ++i) {
                COLORREF c = kImageColours[i];
                auto normal = DrawImage(*store, 3 * i);
                auto shaded = DrawImage(*store, 3 * i + 1);
                auto disabled = DrawImage(*store, 3 * i + 2);
                EXPECT_EQ(c, normal.second) << i;
                EXPECT_EQ(DarkenColor(amount, c), shaded.second) << i << " amount " << amount;
                EXPECT_EQ(Disabled(c, tint), disabled.second) << i << " mode " << mode;
                EXPECT_EQ(kWhite, normal.first);   // magenta stays transparent
                EXPECT_EQ(kWhite, shaded.first);
                EXPECT_EQ(kWhite, disabled.first);
            }
        }
    }
}

TEST(SkinIcons, FailedReloadKeepsTheImages)
{
    auto store = LoadStore();
    // Toolbar 128 has no bitmap of its own name: the load fails.
    EXPECT_FALSE(store->LoadToolBarResource(MAKEINTRESOURCEA(128), nullptr));
    EXPECT_EQ(12, ImageList_GetImageCount(store->GetImageList()));
    EXPECT_FALSE(store->LoadToolBarResource(MAKEINTRESOURCEA(130), nullptr));
    EXPECT_EQ(12, ImageList_GetImageCount(store->GetImageList()));
}

TEST(SkinIcons, FromBitmap)
{
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(144));
    ASSERT_NE(nullptr, bitmap);
    CSkinMenuIcons store;
    const UINT ids[] = {7, 8, 9, 10, 0};
    EXPECT_TRUE(store.LoadFromBitmap(bitmap, 16, 15, ids, RGB(255, 0, 255)));
    EXPECT_EQ(12, ImageList_GetImageCount(store.GetImageList()));
    EXPECT_EQ(9, store.FindIcon(10));
    EXPECT_EQ(kImageColours[1], DrawImage(store, 3).second);
    EXPECT_TRUE(store.MatchesBitmap(0, 16, 15, ids));
    const UINT other[] = {7, 8, 0};
    EXPECT_FALSE(store.MatchesBitmap(0, 16, 15, other));
    EXPECT_FALSE(store.LoadFromBitmap(nullptr, 16, 15, ids, 0));
    DeleteObject(bitmap);
}

TEST(SkinIcons, SharedStoresRefreshAtMostEveryTwoSeconds)
{
    std::vector<CSkinMenuIcons*>* list = GetIconStoreList(true);
    CSkinMenuIcons* store = LoadStore().release();
    list->push_back(store);
    EXPECT_EQ(1, CSkinMenuIcons::AddRef(store));
    EXPECT_EQ(2, CSkinMenuIcons::AddRef(store));
    const int refreshes = GetIconStoreRefreshCountForTest();
    // A refresh goes through once two seconds have passed since the last one
    // (which an earlier test or repetition may have made); the next, right
    // after it, is skipped.
    ASSERT_TRUE(WaitUntil([&] {
        RefreshIconStores();
        return GetIconStoreRefreshCountForTest() > refreshes;
    }, 5000, 100));
    RefreshIconStores();
    EXPECT_EQ(refreshes + 1, GetIconStoreRefreshCountForTest());
    EXPECT_EQ(12, ImageList_GetImageCount(store->GetImageList()));
    EXPECT_EQ(kImageColours[2], DrawImage(*store, 6).second);
    EXPECT_EQ(1, CSkinMenuIcons::Release(store));
    EXPECT_EQ(0, CSkinMenuIcons::Release(store));   // deleted and off the list
    EXPECT_TRUE(std::find(list->begin(), list->end(), store) == list->end());
    EXPECT_EQ(0, CSkinMenuIcons::AddRef(nullptr));
    EXPECT_EQ(0, CSkinMenuIcons::Release(nullptr));
}

TEST(SkinIcons, ResourceNames)
{
    CSkinMenuIcons store;
    char name[] = "TOOLS";
    store.SetResourceName(name);
    name[0] = 'X';
    EXPECT_TRUE(store.MatchesResource("TOOLS", nullptr));
    EXPECT_FALSE(store.MatchesResource("TOOLS", GetModuleHandleA("kernel32.dll")));
    store.SetResourceName(MAKEINTRESOURCEA(5));
    EXPECT_TRUE(store.MatchesResource(MAKEINTRESOURCEA(5), nullptr));
    EXPECT_FALSE(store.MatchesResource("TOOLS", nullptr));
    EXPECT_FALSE(store.MatchesResource(nullptr, nullptr));
}

TEST(SkinIcons, LoadingStoresLeavesNoGdiObject)
{
    ASSERT_TRUE(GdiCensusWorks());
    { auto warm = LoadStore(); DrawImage(*warm, 0); }
    int before = CountGdiObjects();
    for (int i = 0; i < 30; ++i) {
        auto store = LoadStore();
        store->Reload();
        store->LoadToolBarResource(MAKEINTRESOURCEA(128), nullptr);
        DrawImage(*store, 5);
    }
    EXPECT_EQ(before, CountGdiObjects());
}
