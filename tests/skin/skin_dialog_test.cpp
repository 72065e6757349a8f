// CSkinDialog: skinned system and window menus attached at initialisation
// (also a second time), the command-update protocol of its popups, colour
// changes, and its menus owner-drawn on screen.
#include "skin/skindialog.h"
#include "skin/menuicons.h"
#include "skin/skinlib.h"
#include "gdi_census.h"
#include "menu_texts.h"
#include "menu_window.h"
#include "skin_scopes.h"
#include <gtest/gtest.h>
#include <functional>

namespace {

class CTestSkinDialog : public CSkinDialog {
public:
    explicit CTestSkinDialog(UINT id) : CSkinDialog(id) {}
    std::function<void(CTestSkinDialog&)> onInit;
    int undone = 0;

    BOOL OnInitDialog() override
    {
        BOOL r = CSkinDialog::OnInitDialog();
        if (onInit) onInit(*this);
        return r;
    }
    void OnUndo() { ++undone; }   // 130 has a handler, 131 has none

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestSkinDialog, CSkinDialog)
    ON_COMMAND(130, OnUndo)
END_MESSAGE_MAP()

HBRUSH MenuBrush(HMENU menu)
{
    MENUINFO mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    return GetMenuInfo(menu, &mi) ? mi.hbrBack : nullptr;
}

void ClearMenuBrush(HMENU menu)
{
    MENUINFO mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    SetMenuInfo(menu, &mi);
}

bool Grayed(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }

} // namespace

TEST(SkinDialog, ConstructorsNameTheTemplate)
{
    CWnd parent;
    CSkinDialog withId(300, &parent), plain;
    EXPECT_EQ(MAKEINTRESOURCEA(300), withId.m_lpszTemplateName);
    EXPECT_EQ(300u, withId.m_nIDHelp);
    EXPECT_EQ(&parent, withId.m_pParentWnd);
    EXPECT_EQ(nullptr, plain.m_lpszTemplateName);
    EXPECT_EQ(nullptr, plain.GetDefaultMenu().m_hMenu);
    EXPECT_EQ(nullptr, plain.GetSystemSkinMenu().m_hMenu);
    EXPECT_EQ(-1, plain.GetTracking().hotItem);
    EXPECT_TRUE(withId.IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_STREQ("CSkinDialog", withId.GetRuntimeClass()->m_lpszClassName);
}

TEST(SkinDialog, InitialisationAttachesBothMenus)
{
    DrawModeScope mode(2);
    struct Case {
        UINT id;
        bool hasMenu;
    } cases[] = {{300, true}, {301, false}};
    for (const Case& c : cases) {
        CTestSkinDialog dlg(c.id);
        ASSERT_TRUE(dlg.Create(c.id)) << c.id;
        HMENU system = GetSystemMenu(dlg.m_hWnd, FALSE);
        EXPECT_EQ(system, dlg.GetSystemSkinMenu().m_hMenu) << c.id;
        EXPECT_EQ(&dlg.GetSystemSkinMenu(), CSkinMenu::FromMenuHandle(system)) << c.id;
        HMENU bar = GetMenu(dlg.m_hWnd);
        EXPECT_EQ(c.hasMenu, bar != nullptr) << c.id;
        EXPECT_EQ(bar, dlg.GetDefaultMenu().m_hMenu) << c.id;
        if (c.hasMenu) {
            EXPECT_EQ((size_t)GetMenuItemCount(bar), dlg.GetDefaultMenu().GetItemData().size());
            EXPECT_EQ(1u, dlg.GetDefaultMenu().GetSubMenuHandles().size());
            EXPECT_EQ((HBRUSH)*GetMenuBarBrush(), MenuBrush(bar));
        }
        dlg.DestroyWindow();
        // The window took its menus with it; the objects hold nothing dead.
        EXPECT_EQ(nullptr, dlg.GetSystemSkinMenu().m_hMenu) << c.id;
        EXPECT_EQ(nullptr, dlg.GetDefaultMenu().m_hMenu) << c.id;
        EXPECT_TRUE(dlg.GetDefaultMenu().GetItemData().empty()) << c.id;
    }
}

TEST(SkinDialog, InitialisedAgainRebuildsInsteadOfDoubling)
{
    DrawModeScope mode(2);
    CTestSkinDialog dlg(300);
    ASSERT_TRUE(dlg.Create(300));
    HMENU system = dlg.GetSystemSkinMenu().m_hMenu;
    HMENU bar = dlg.GetDefaultMenu().m_hMenu;
    HMENU edit = GetSubMenu(bar, 0);
    CSkinMenu* editBefore = CSkinMenu::FromMenuHandle(edit);
    ASSERT_NE(nullptr, editBefore);
    const std::vector<std::string> texts = {"&Edit", "  &Undo\tCtrl+Z", "  &Redo", "  ", "  &Close"};
    ASSERT_EQ(texts, MenuTexts(dlg.GetDefaultMenu()));
    // The same menus again: kept alive, content rebuilt once, not doubled,
    // every label and accelerator text kept.
    ASSERT_TRUE(DropOwnerDrawnTexts(bar));
    dlg.OnInitDialog();
    EXPECT_EQ(texts, MenuTexts(dlg.GetDefaultMenu()));
    EXPECT_TRUE(IsMenu(system));
    EXPECT_EQ(system, dlg.GetSystemSkinMenu().m_hMenu);
    EXPECT_EQ(bar, dlg.GetDefaultMenu().m_hMenu);
    EXPECT_EQ(1u, dlg.GetDefaultMenu().GetSubMenuHandles().size());
    EXPECT_EQ((size_t)GetMenuItemCount(bar), dlg.GetDefaultMenu().GetItemData().size());
    CSkinMenu* editAfter = CSkinMenu::FromMenuHandle(edit);
    ASSERT_NE(nullptr, editAfter);
    EXPECT_EQ((size_t)GetMenuItemCount(edit), editAfter->GetItemData().size());
    // A different system menu still alive in the object is destroyed.
    HMENU stray = CreatePopupMenu();
    dlg.GetSystemSkinMenu().Detach();
    dlg.GetSystemSkinMenu().Attach(stray);
    dlg.OnInitDialog();
    EXPECT_FALSE(IsMenu(stray));
    EXPECT_EQ(system, dlg.GetSystemSkinMenu().m_hMenu);
    dlg.DestroyWindow();
}

TEST(SkinDialog, ShownTwiceModallyHoldsOneSystemMenu)
{
    DrawModeScope mode(2);
    CTestSkinDialog dlg(300);
    std::vector<bool> attached, rebuilt;
    dlg.onInit = [&](CTestSkinDialog& d) {
        attached.push_back(d.GetSystemSkinMenu().m_hMenu == GetSystemMenu(d.m_hWnd, FALSE) &&
                           CSkinMenu::FromMenuHandle(d.GetSystemSkinMenu().m_hMenu) == &d.GetSystemSkinMenu());
        HMENU bar = GetMenu(d.m_hWnd);
        rebuilt.push_back(d.GetDefaultMenu().m_hMenu == bar && d.GetDefaultMenu().GetSubMenuHandles().size() == 1 &&
                          d.GetDefaultMenu().GetItemData().size() == (size_t)GetMenuItemCount(bar));
        d.PostMessage(WM_COMMAND, IDCANCEL);
    };
    for (int i = 0; i < 2; ++i) EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ((std::vector<bool>{true, true}), attached);
    EXPECT_EQ((std::vector<bool>{true, true}), rebuilt);
    EXPECT_EQ(nullptr, dlg.GetSystemSkinMenu().m_hMenu);
}

TEST(SkinDialog, PopupCommandsWithoutHandlerAreGrayedButSystemCommandsAreNot)
{
    DrawModeScope mode(2);
    CTestSkinDialog dlg(300);
    ASSERT_TRUE(dlg.Create(300));
    HMENU edit = GetSubMenu(GetMenu(dlg.m_hWnd), 0);
    dlg.SendMessage(WM_INITMENUPOPUP, (WPARAM)edit, MAKELPARAM(0, FALSE));
    CSkinMenu* skin = CSkinMenu::FromMenuHandle(edit);
    ASSERT_NE(nullptr, skin);
    EXPECT_EQ((size_t)GetMenuItemCount(edit), skin->GetItemData().size());
    EXPECT_TRUE(skin->GetItemData()[1]->m_nMenuFlags & MF_GRAYED);   // the item data follows the state
    EXPECT_EQ(edit, GetMenuBeingOpened());
    EXPECT_EQ(dlg.m_hWnd, skin->GetOwnerWindow());
    SetMenuBeingOpened(nullptr);
    skin->OnUnInitMenuPopup();   // system commands carry their own ids again
    EXPECT_FALSE(Grayed(edit, 130));
    EXPECT_TRUE(Grayed(edit, 131));
    EXPECT_FALSE(Grayed(edit, SC_CLOSE));
    // The system menu gets no update protocol: its items keep their state.
    HMENU system = GetSystemMenu(dlg.m_hWnd, FALSE);
    UINT closeState = GetMenuState(system, SC_CLOSE, MF_BYCOMMAND);
    dlg.SendMessage(WM_INITMENUPOPUP, (WPARAM)system, MAKELPARAM(0, TRUE));
    dlg.GetSystemSkinMenu().OnUnInitMenuPopup();
    SetMenuBeingOpened(nullptr);
    EXPECT_EQ(closeState & MF_GRAYED, GetMenuState(system, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
    dlg.DestroyWindow();
}

TEST(SkinDialog, ColourChangesRefreshStoresAtMostEveryTwoSecondsButAlwaysTheBrush)
{
    DrawModeScope mode(2);
    CTestSkinDialog dlg(300);
    ASSERT_TRUE(dlg.Create(300));
    HMENU bar = GetMenu(dlg.m_hWnd);
    int start = GetIconStoreRefreshCountForTest();
    ClearMenuBrush(bar);
    dlg.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_EQ((HBRUSH)*GetMenuBarBrush(), MenuBrush(bar));
    int afterFirst = GetIconStoreRefreshCountForTest();
    EXPECT_LE(afterFirst - start, 1);
    ClearMenuBrush(bar);
    dlg.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_EQ(afterFirst, GetIconStoreRefreshCountForTest());   // within 2 s: no second refresh
    EXPECT_EQ((HBRUSH)*GetMenuBarBrush(), MenuBrush(bar));
    dlg.DestroyWindow();
}

TEST(SkinDialogScreen, WindowMenuAndSystemMenuAreOwnerDrawn)
{
    DrawModeScope mode(2);
    CTestSkinDialog dlg(300);
    ASSERT_TRUE(dlg.Create(300));
    dlg.SetWindowPos(nullptr, 80, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    dlg.SetForegroundWindow();
    RECT dlgRect;
    dlg.GetWindowRect(&dlgRect);
    HMENU edit = GetSubMenu(GetMenu(dlg.m_hWnd), 0);
    OpenPopup menu = CapturePopupMenu([&] { dlg.SendMessage(WM_SYSCOMMAND, SC_KEYMENU, 'e'); },
                                      "skin_dialog_edit_menu.png", &dlgRect);
    EXPECT_EQ(edit, menu.menu);
    EXPECT_TRUE(menu.ownerDrawn);
    EXPECT_TRUE(menu.saved);
    EXPECT_TRUE(Grayed(edit, 131));
    OpenPopup system = CapturePopupMenu([&] { dlg.SendMessage(WM_SYSCOMMAND, SC_KEYMENU, ' '); },
                                        "skin_dialog_system_menu.png", &dlgRect);
    EXPECT_EQ(dlg.GetSystemSkinMenu().m_hMenu, system.menu);
    EXPECT_TRUE(system.ownerDrawn);
    EXPECT_TRUE(system.saved);
    dlg.DestroyWindow();
}

TEST(SkinDialogGdi, ShowingAndOpeningMenusManyTimesLeavesNoObject)
{
    ASSERT_TRUE(GdiCensusWorks());
    DrawModeScope mode(2);
    int before = -1, opened = 0;
    for (int round = 0; round < 10; ++round) {
        CTestSkinDialog dlg(300);
        ASSERT_TRUE(dlg.Create(300));
        dlg.ShowWindow(SW_SHOW);
        dlg.SetForegroundWindow();
        for (char key : {'e', ' '})
            opened += CapturePopupMenu([&] { dlg.SendMessage(WM_SYSCOMMAND, SC_KEYMENU, key); }, nullptr).menu !=
                      nullptr;
        dlg.DestroyWindow();
        if (round == 0) before = CountGdiObjects();
    }
    EXPECT_EQ(20, opened);
    EXPECT_EQ(before, CountGdiObjects());
}
