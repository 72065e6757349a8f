// The server's operator dialogs against real windows under the X display:
// the controller dialog with its settings file, the modeless progress window
// and the user event log viewer over a real Log.sqlite.
#include "framework/framework.h"
#include "framework-gui/DialogScript.h"
#include "temp_folder.h"
#include "server/app/D_Controller.h"
#include "server/app/D_Log.h"
#include "server/app/D_Progress.h"
#include "server/app/OperatorDialogsRes.h"
#include "server/services/IniFile.h"
#include "server/services/UserLog.h"
#include "skin/skinmenu.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <string>

using namespace dialog_script;

namespace {

std::string ComboEntry(HWND dlg, int id, int index)
{
    char text[16] = "";
    ::SendDlgItemMessageA(dlg, id, CB_GETLBTEXT, index, (LPARAM)text);
    return text;
}

int ComboSelection(HWND dlg, int id) { return (int)::SendDlgItemMessageA(dlg, id, CB_GETCURSEL, 0, 0); }

// The skin draws the dialog's system menu: a skin menu object holds it.
bool SkinnedSystemMenu(HWND dlg) { return CSkinMenu::FromMenuHandle(::GetSystemMenu(dlg, FALSE)) != nullptr; }

// A top-level owner window for the dialogs.
struct Owner : CWnd {
    Owner() { EXPECT_TRUE(CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr)); }
    ~Owner() override { DestroyWindow(); }
};

// ---- controller dialog -----------------------------------------------------

struct ControllerDialog : ::testing::Test {
    TempFolder folder;
    std::string ini = folder.File("Halvex.ini");
    Owner owner;

    CIniFile Settings() const { return CIniFile(ini); }
    bool HasAddSection() const { return Settings().GetInt("DialogAdd", "CommPort", -99) != -99; }
};

// Both lists hold "1" to "255" in order, so the index of a number is number - 1.
void ExpectNumberLists(HWND d)
{
    for (int id : {IDC_COMM_PORT, IDC_CONTROLLER_ID}) {
        EXPECT_EQ(::SendDlgItemMessageA(d, id, CB_GETCOUNT, 0, 0), 255);
        EXPECT_EQ(ComboEntry(d, id, 0), "1");
        EXPECT_EQ(ComboEntry(d, id, 11), "12");
        EXPECT_EQ(ComboEntry(d, id, 254), "255");
    }
}

TEST_F(ControllerDialog, AddProposesTheLastAddedPortAndAddress)
{
    // First add: nothing in the file, port 1 and controller 1.
    {
        CD_Controller dlg(&owner, FALSE, "", 1, 1);
        dlg.SetSettingsPath(ini);
        Script script({[&] {
            HWND d = dlg.m_hWnd;
            if (!d || !::IsWindowVisible(d)) return false;
            EXPECT_EQ(Text(d), "Add controller");
            EXPECT_TRUE(SkinnedSystemMenu(d));
            ExpectNumberLists(d);
            EXPECT_EQ(ComboSelection(d, IDC_COMM_PORT), 0);
            EXPECT_EQ(ComboSelection(d, IDC_CONTROLLER_ID), 0);
            EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(d, IDC_COMM_PORT)));
            EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(d, IDC_CONTROLLER_ID)));
            EXPECT_EQ(ItemText(d, IDC_CONTROLLER_NAME), "");
            ::SetDlgItemTextA(d, IDC_CONTROLLER_NAME, "Front door");
            ::SendDlgItemMessageA(d, IDC_COMM_PORT, CB_SETCURSEL, 2, 0);
            ::SendDlgItemMessageA(d, IDC_CONTROLLER_ID, CB_SETCURSEL, 11, 0);
            Click(d, IDOK);
            return true;
        }});
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(dlg.GetPort(), 3);
        EXPECT_EQ(dlg.GetControllerId(), 12);
        EXPECT_STREQ(dlg.GetName(), "Front door");
    }
    // The file holds the list indexes.
    EXPECT_EQ(Settings().GetInt("DialogAdd", "CommPort", -1), 2);
    EXPECT_EQ(Settings().GetInt("DialogAdd", "Controller", -1), 11);
    // The next add proposes COM3 and controller 12.
    CD_Controller again(&owner, FALSE, "", 1, 1);
    again.SetSettingsPath(ini);
    Script script({[&] {
        HWND d = again.m_hWnd;
        if (!d || !::IsWindowVisible(d)) return false;
        EXPECT_EQ(ComboEntry(d, IDC_COMM_PORT, ComboSelection(d, IDC_COMM_PORT)), "3");
        EXPECT_EQ(ComboEntry(d, IDC_CONTROLLER_ID, ComboSelection(d, IDC_CONTROLLER_ID)), "12");
        Click(d, IDCANCEL);
        return true;
    }});
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_TRUE(script.Finished());
}

TEST_F(ControllerDialog, ProposalFromTheFileStaysInsideTheLists)
{
    struct Case {
        const char* commPort;
        const char* controller;
        int portIndex, controllerIndex;
    } cases[] = {
        {"4", "9", 4, 9},
        {"254", "254", 254, 254},
        {"255", "-1", 0, 0},  // out of the lists: the first entry
        {"-3", "1000", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.commPort) + "/" + c.controller);
        Settings().WriteString("DialogAdd", "CommPort", c.commPort);
        Settings().WriteString("DialogAdd", "Controller", c.controller);
        CD_Controller dlg(&owner, FALSE, "", 1, 1);
        dlg.SetSettingsPath(ini);
        Script script({[&] {
            HWND d = dlg.m_hWnd;
            if (!d || !::IsWindowVisible(d)) return false;
            EXPECT_EQ(ComboSelection(d, IDC_COMM_PORT), c.portIndex);
            EXPECT_EQ(ComboSelection(d, IDC_CONTROLLER_ID), c.controllerIndex);
            ::SetDlgItemTextA(d, IDC_CONTROLLER_NAME, "X");
            Click(d, IDOK);
            return true;
        }});
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetPort(), c.portIndex + 1);
        EXPECT_EQ(dlg.GetControllerId(), c.controllerIndex + 1);
    }
}

TEST_F(ControllerDialog, EditChangesOnlyTheNameAndWritesNoProposal)
{
    CD_Controller dlg(&owner, TRUE, "Gate", 4, 9);
    dlg.SetSettingsPath(ini);
    Script script({[&] {
        HWND d = dlg.m_hWnd;
        if (!d || !::IsWindowVisible(d)) return false;
        EXPECT_EQ(Text(d), "Edit controller");
        ExpectNumberLists(d);
        EXPECT_EQ(ComboEntry(d, IDC_COMM_PORT, ComboSelection(d, IDC_COMM_PORT)), "4");
        EXPECT_EQ(ComboEntry(d, IDC_CONTROLLER_ID, ComboSelection(d, IDC_CONTROLLER_ID)), "9");
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d, IDC_COMM_PORT)));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d, IDC_CONTROLLER_ID)));
        EXPECT_EQ(ItemText(d, IDC_CONTROLLER_NAME), "Gate");
        ::SetDlgItemTextA(d, IDC_CONTROLLER_NAME, "Gate B");
        Click(d, IDOK);
        return true;
    }});
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(script.Finished());
    EXPECT_STREQ(dlg.GetName(), "Gate B");
    EXPECT_EQ(dlg.GetPort(), 4);
    EXPECT_EQ(dlg.GetControllerId(), 9);
    EXPECT_FALSE(HasAddSection());
}

TEST_F(ControllerDialog, MissingNameIsRefusedAndTheDialogStays)
{
    // A name of blanks counts as none: the settings file would lose it.
    for (const char* missing : {"", "   "}) {
        SCOPED_TRACE(std::string("'") + missing + "'");
        CD_Controller dlg(&owner, FALSE, "", 1, 1);
        dlg.SetSettingsPath(ini);
        HWND box = nullptr;
        Script script({
            [&] {
                HWND d = dlg.m_hWnd;
                if (!d || !::IsWindowVisible(d)) return false;
                ::SetDlgItemTextA(d, IDC_CONTROLLER_NAME, missing);
                Click(d, IDOK);
                return true;
            },
            [&] {
                box = FindOtherDialog({dlg.m_hWnd});
                if (!box) return false;
                EXPECT_EQ(BoxText(box), "No name specified.");
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                return true;
            },
            [&] {
                if (FindOtherDialog({dlg.m_hWnd})) return false;
                HWND d = dlg.m_hWnd;
                EXPECT_TRUE(d && ::IsWindowVisible(d)) << "the dialog stays open";
                EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, IDC_CONTROLLER_NAME));
                Click(d, IDCANCEL);
                return true;
            },
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_TRUE(script.Finished());
        EXPECT_FALSE(HasAddSection()) << "nothing written for a refused or cancelled add";
    }
}

TEST_F(ControllerDialog, PortSelectionChangeTakesTheValues)
{
    CD_Controller dlg(&owner, FALSE, "", 1, 1);
    dlg.SetSettingsPath(ini);
    Script script({[&] {
        HWND d = dlg.m_hWnd;
        if (!d || !::IsWindowVisible(d)) return false;
        ::SetDlgItemTextA(d, IDC_CONTROLLER_NAME, "Lobby");
        ::SendDlgItemMessageA(d, IDC_COMM_PORT, CB_SETCURSEL, 6, 0);
        ::SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_COMM_PORT, CBN_SELCHANGE), (LPARAM)::GetDlgItem(d, IDC_COMM_PORT));
        EXPECT_EQ(dlg.m_nPortIndex, 6);
        EXPECT_STREQ(dlg.m_strName, "Lobby");
        Click(d, IDCANCEL);
        return true;
    }});
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(script.Finished());
}

// ---- progress window ---------------------------------------------------------

// Pumps this thread's messages for a while, as the window's user would see them.
void PumpFor(CD_Progress& progress, DWORD ms)
{
    DWORD end = ::GetTickCount() + ms;
    while ((LONG)(::GetTickCount() - end) < 0) {
        progress.PumpMessages();
        ::Sleep(5);
    }
}

void PostKey(HWND target, UINT vk)
{
    ::PostMessageA(target, WM_KEYDOWN, vk, 1);
    ::PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
}

TEST(ProgressWindow, ModelessOverADisabledOwnerWithItsBarAndCaption)
{
    Owner owner;
    {
        CD_Progress progress;
        ASSERT_TRUE(progress.Create(&owner));
        HWND d = progress.m_hWnd;
        ASSERT_TRUE(d);
        EXPECT_TRUE(::IsWindowVisible(d));
        EXPECT_EQ(::GetWindow(d, GW_OWNER), owner.m_hWnd);
        EXPECT_FALSE(owner.IsWindowEnabled()) << "the owner is disabled while the window is up";
        EXPECT_EQ(Text(d), "Progress");
        HWND bar = ::GetDlgItem(d, IDC_PROGRESS_BAR);
        EXPECT_EQ(::SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
        EXPECT_EQ(::SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
        EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
        progress.m_progress.StepIt();
        EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), 1) << "step 1";
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(d, IDC_PROGRESS_PERCENT)));
        EXPECT_EQ(ItemText(d, IDC_PROGRESS_PERCENT), " 0 %");
        progress.SetText("Line 12");
        EXPECT_EQ(ItemText(d, IDC_PROGRESS_TEXT), "Line 12");
    }
    EXPECT_TRUE(owner.IsWindowEnabled()) << "the destructor closes the window and enables the owner";

    CD_Progress titled(IDS_ADD_CONTROLLER);
    ASSERT_TRUE(titled.Create(&owner));
    EXPECT_EQ(Text(titled.m_hWnd), "Add controller");
    titled.DestroyWindow();
    EXPECT_EQ(titled.m_hWnd, nullptr);
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(ProgressWindow, CancelIsReportedOnceAndTheWindowStays)
{
    Owner owner;
    CD_Progress progress;
    ASSERT_TRUE(progress.Create(&owner));
    HWND d = progress.m_hWnd;
    EXPECT_FALSE(progress.CheckCancel());

    Click(d, IDCANCEL);
    EXPECT_TRUE(progress.CheckCancel());
    EXPECT_FALSE(progress.CheckCancel()) << "the flag is cleared when read";
    EXPECT_TRUE(::IsWindow(d) && ::IsWindowVisible(d)) << "Cancel does not close the window";

    // Keyboard, through the dialog's navigation: Esc cancels, Enter does nothing.
    HWND button = ::GetDlgItem(d, IDCANCEL);
    ::SetFocus(button);
    PostKey(button, VK_RETURN);
    PumpFor(progress, 200);
    EXPECT_FALSE(progress.CheckCancel()) << "Enter does not cancel";
    ::SetFocus(d);
    PostKey(::GetFocus() ? ::GetFocus() : d, VK_ESCAPE);
    PumpFor(progress, 200);
    EXPECT_TRUE(progress.CheckCancel()) << "Esc cancels";
    EXPECT_TRUE(::IsWindow(d));
    progress.DestroyWindow();
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(ProgressWindow, OwnerDisabledBeforeStaysDisabledAndFailureReEnables)
{
    Owner owner;
    owner.EnableWindow(FALSE);
    {
        CD_Progress progress;
        ASSERT_TRUE(progress.Create(&owner));
    }
    EXPECT_FALSE(owner.IsWindowEnabled()) << "not enabled by a window that did not disable it";
    owner.EnableWindow(TRUE);

    // No template in the resource module: no window, and the owner is enabled again.
    HINSTANCE own = AfxGetResourceHandle();
    AfxSetResourceHandle(::GetModuleHandleA("kernel32.dll"));
    CD_Progress failing;
    EXPECT_FALSE(failing.Create(&owner));
    AfxSetResourceHandle(own);
    EXPECT_EQ(failing.m_hWnd, nullptr);
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(ProgressWindow, PumpingKeepsTheProgramsQuitMessage)
{
    Owner owner;
    CD_Progress progress;
    ASSERT_TRUE(progress.Create(&owner));
    ::PostQuitMessage(7);
    EXPECT_FALSE(progress.CheckCancel());
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT still waits";
    EXPECT_EQ(msg.wParam, 7u);
}

// ---- user event log ------------------------------------------------------------

std::string HeaderText(HWND list, int column)
{
    char text[64] = "";
    HDITEMA item = {};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA((HWND)::SendMessageA(list, LVM_GETHEADER, 0, 0), HDM_GETITEMA, column, (LPARAM)&item);
    return text;
}

std::string Cell(HWND list, int row, int column)
{
    char text[256] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, row, (LPARAM)&item);
    return text;
}

SYSTEMTIME Utc(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms)
{
    SYSTEMTIME t = {};
    t.wYear = y;
    t.wMonth = mo;
    t.wDay = d;
    t.wHour = h;
    t.wMinute = mi;
    t.wSecond = s;
    t.wMilliseconds = ms;
    return t;
}

// A file in the test program's folder.
std::string BesideProgram(const char* name)
{
    char path[MAX_PATH] = "";
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

// Runs the log dialog over the database and hands its list to `check`.
void ShowLogDialog(SQLite::Database& db, CWnd* owner, const std::function<void(HWND list)>& check)
{
    CD_Log dlg(db, owner);
    Script script({[&] {
        HWND d = dlg.m_hWnd;
        if (!d || !::IsWindowVisible(d)) return false;
        EXPECT_EQ(Text(d), "User Log");
        EXPECT_TRUE(SkinnedSystemMenu(d));
        check(::GetDlgItem(d, IDC_USER_LOG_LIST));
        Click(d, IDCANCEL);  // "Close"
        return true;
    }});
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(script.Finished());
}

TEST(UserLogDialog, FreshLogShowsTheFiveColumnsAndNoRows)
{
    TempFolder folder;
    CUserLog log(folder.File("Log.sqlite").c_str());
    Owner owner;
    ShowLogDialog(log.GetDatabase(), &owner, [](HWND list) {
        const struct {
            const char* heading;
            int width;
        } columns[] = {{"Date/Time", 140}, {"Event", 80}, {"Port", 32}, {"Controller", 32}, {"Description", 180}};
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(HeaderText(list, c), columns[c].heading);
            EXPECT_EQ(::SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0), columns[c].width);
        }
        EXPECT_EQ(HeaderText(list, 5), "") << "five columns only";
        EXPECT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
        EXPECT_TRUE(::SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    });
}

TEST(UserLogDialog, RowsOfTheLogFileOldestFirstWithTheirExactCells)
{
    TempFolder folder;
    std::string path = folder.File("Log.sqlite");
    {
        // Written out of order, and in an earlier session of the program.
        CUserLog writer(path.c_str());
        ASSERT_TRUE(writer.InsertAt(Utc(2011, 3, 3, 10, 15, 30, 250), "Pack", 1, 200, ""));
        ASSERT_TRUE(writer.InsertAt(Utc(2011, 3, 3, 10, 15, 30, 249), "TimeSet", 2, 5, ""));
        writer.LogEvent(152, 3, 17, "");
        // With a language module in force, the event name is its text.
        HMODULE language = ::LoadLibraryA(BesideProgram("app_dialogs_test_language.dll").c_str());
        ASSERT_NE(language, nullptr);
        HINSTANCE own = AfxGetResourceHandle();
        AfxSetResourceHandle(language);
        writer.LogEvent(153, 4, 18, "");
        AfxSetResourceHandle(own);
        ::FreeLibrary(language);
    }
    CUserLog log(path.c_str());
    Owner owner;
    ShowLogDialog(log.GetDatabase(), &owner, [](HWND list) {
        ASSERT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 4);
        const char* expected[2][5] = {
            {"2011-03-03 10:15:30.249", "TimeSet", "2", "5", ""},
            {"2011-03-03 10:15:30.250", "Pack", "1", "200", ""},
        };
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 5; ++c)
                EXPECT_EQ(Cell(list, r, c), expected[r][c]) << "row " << r << " column " << c;
        // The events logged now, from the string resources in force, come last.
        EXPECT_EQ(Cell(list, 2, 0).size(), 23u);
        EXPECT_EQ(Cell(list, 2, 1), "Reset");
        EXPECT_EQ(Cell(list, 2, 2), "3");
        EXPECT_EQ(Cell(list, 2, 3), "17");
        EXPECT_EQ(Cell(list, 3, 1), "Packen");
        EXPECT_EQ(Cell(list, 3, 2), "4");
    });
}

TEST(UserLogDialog, ShowLogRunsTheViewerModallyAndAnUnopenedLogIsEmpty)
{
    TempFolder folder;
    CUserLog log(folder.File("Log.sqlite").c_str());
    ASSERT_TRUE(log.Insert("TimeSet", 4, 8, ""));
    int rows = -1;
    Script script({[&] {
        HWND d = FindOtherDialog({});
        if (!d) return false;
        rows = (int)::SendDlgItemMessageA(d, IDC_USER_LOG_LIST, LVM_GETITEMCOUNT, 0, 0);
        Click(d, IDCANCEL);
        return true;
    }});
    log.ShowLog();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(rows, 1);

    // A log whose file could not be opened shows an empty list.
    CUserLog unopened((folder.File("missing\\sub\\Log.sqlite")).c_str());
    Owner owner;
    ShowLogDialog(unopened.GetDatabase(), &owner,
                  [](HWND list) { EXPECT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0); });
}

} // namespace
