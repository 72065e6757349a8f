// CSkinPropertySheet and CSkinPropertyPage: the caption from the module that
// holds it, a modal sheet opened twice with its system menu attached and
// valid each time, its screenshot, and no GDI object left after many openings.
#include "bars_ids.h"
#include "gdi_census.h"
#include "menu_window.h"
#include "skin/skinpropsheet.h"
#include "screen_png.h"
#include <gtest/gtest.h>
#include <functional>

namespace {

const UINT_PTR kCloseTimer = 77;

// Closes itself with OK from a timer once it is on screen, after seen() looked.
class CTestSheet : public CSkinPropertySheet {
public:
    CTestSheet() : CSkinPropertySheet(IDS_BARS_SHEET), m_page(IDD_BARS_PAGE, IDS_BARS_PAGE) { AddPage(&m_page); }
    CSkinPropertyPage m_page;
    std::function<void(CTestSheet&)> onInit, onShown;

    BOOL OnInitDialog() override
    {
        BOOL r = CSkinPropertySheet::OnInitDialog();
        if (onInit) onInit(*this);
        SetTimer(kCloseTimer, 100, nullptr);
        return r;
    }
    void OnTimer(UINT_PTR id)
    {
        if (id != kCloseTimer) {
            CSkinPropertySheet::OnTimer(id);
            return;
        }
        KillTimer(kCloseTimer);
        if (onShown) onShown(*this);
        PressButton(PSBTN_OK);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestSheet, CSkinPropertySheet)
    ON_WM_TIMER()
END_MESSAGE_MAP()

struct ResourceScope {
    HINSTANCE previous;
    explicit ResourceScope(HINSTANCE h) : previous(AfxGetResourceHandle()) { AfxSetResourceHandle(h); }
    ~ResourceScope() { AfxSetResourceHandle(previous); }
};

} // namespace

TEST(SkinPropertySheet, ConstructedLikeTheFrameworksSheetAndPage)
{
    CTestSheet sheet;
    EXPECT_STREQ("CSkinPropertySheet", RUNTIME_CLASS(CSkinPropertySheet)->m_lpszClassName);
    EXPECT_STREQ("CSkinPropertyPage", sheet.m_page.GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(sheet.IsKindOf(RUNTIME_CLASS(CPropertySheet)));
    EXPECT_STREQ("Skinned settings", sheet.m_strCaption);
    EXPECT_STREQ("General", sheet.m_page.m_strCaption);
    EXPECT_EQ(MAKEINTRESOURCEA(IDD_BARS_PAGE), sheet.m_page.m_lpszTemplateName);
    EXPECT_EQ(sizeof(PROPSHEETPAGEA), sheet.m_page.m_psp.dwSize);
    EXPECT_EQ(nullptr, sheet.GetSystemSkinMenu().m_hMenu);
    EXPECT_EQ(-1, sheet.GetTracking().hotItem);
}

TEST(SkinPropertySheet, CaptionFromTheModuleThatHoldsTheString)
{
    HINSTANCE program = GetModuleHandleA(nullptr);
    HINSTANCE other = GetModuleHandleA("ntdll.dll");
    ASSERT_NE(nullptr, other);
    if (FindResourceA(other, MAKEINTRESOURCEA((IDS_BARS_SHEET >> 4) + 1), (LPCSTR)RT_STRING))
        GTEST_SKIP() << "the probe module has strings of its own";
    struct Case {
        HINSTANCE resources;
        const char* caption;
        HINSTANCE found;
    } cases[] = {
        {program, "Skinned settings", program},
        {other, "Skinned settings", program},   // a language module without the string
    };
    for (const Case& c : cases) {
        ResourceScope scope(c.resources);
        EXPECT_EQ(c.found, AfxFindStringResourceHandle(IDS_BARS_SHEET));
        EXPECT_STREQ(c.caption, CSkinPropertySheet(IDS_BARS_SHEET).m_strCaption);
    }
    EXPECT_EQ(nullptr, AfxFindStringResourceHandle(4000));
    EXPECT_STREQ("", CSkinPropertySheet(4000).m_strCaption);
}

TEST(SkinPropertySheet, OpenedTwiceKeepsItsSystemMenuAttachedAndValid)
{
    CTestSheet sheet;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        HMENU attached = nullptr, system = nullptr;
        bool valid = false, defaultEmpty = false;
        sheet.onInit = [&](CTestSheet& s) {
            attached = s.GetSystemSkinMenu().m_hMenu;
            system = GetSystemMenu(s.m_hWnd, FALSE);
            defaultEmpty = s.GetDefaultMenu().m_hMenu == nullptr;   // a sheet has no window menu
        };
        sheet.onShown = [&](CTestSheet& s) {
            valid = IsMenu(s.GetSystemSkinMenu().m_hMenu) && s.GetSystemSkinMenu().m_hMenu == GetSystemMenu(s.m_hWnd, FALSE);
            if (round == 1) SaveScreenPng(BuildTreePath("skin_propsheet.png").c_str(), [&] {
                RECT r;
                GetWindowRect(s.m_hWnd, &r);
                return r;
            }());
        };
        EXPECT_EQ(IDOK, sheet.DoModal());
        EXPECT_NE(nullptr, system);
        EXPECT_EQ(system, attached);
        EXPECT_TRUE(valid);
        EXPECT_TRUE(defaultEmpty);
        EXPECT_EQ(nullptr, sheet.GetSystemSkinMenu().m_hMenu) << "the closed window's menu is let go";
    }
}

TEST(SkinPropertySheet, NoGdiObjectLeftAfterManyOpenings)
{
    if (!GdiCensusWorks()) GTEST_SKIP() << "GDI census unavailable";
    auto open = [] {
        CTestSheet sheet;
        sheet.DoModal();
    };
    open();
    int before = CountGdiObjects();
    for (int i = 0; i < 8; ++i) open();
    EXPECT_EQ(before, CountGdiObjects());
}
