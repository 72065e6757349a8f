// Dialogs, data exchange, property sheets, message boxes and the file dialog
// of the framework layer, against real windows under the X display. Modal
// windows are driven by a script of steps run from a thread timer, which every
// modal loop on this thread dispatches.
#include "framework/framework.h"
#include "dialogs_test_res.h"
#include <gtest/gtest.h>
#include "DialogScript.h"
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace dialog_script;

// ---- the exchange dialog -----------------------------------------------

class CExchangeDlg : public CDialog {
public:
    explicit CExchangeDlg(CWnd* parent = nullptr) : CDialog(IDD_DDX, parent) {}
    int m_int = -123;
    UINT m_uint = 4000000000u;
    long m_long = -2000000000L;
    DWORD m_dword = 0xFFFFFFFFu;
    CString m_text = "hello";
    double m_double = 3.25;
    int m_check = 1;
    int m_radio = 2;
    int m_cbIndex = 1;
    CString m_cbString = "South";
    CString m_lbString = "Green";
    int m_lbIndex = 1;
    COleDateTime m_date = COleDateTime(2026, 5, 17, 13, 45, 30);
    int m_range = 42;
    CEdit m_edit;
    int textChanges = 0;
    int initDialogs = 0;

    BOOL OnInitDialog() override {
        ++initDialogs;
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_INT, m_int);
        DDX_Text(pDX, IDC_UINT, m_uint);
        DDX_Text(pDX, IDC_LONG, m_long);
        DDX_Text(pDX, IDC_DWORD, m_dword);
        DDX_Text(pDX, IDC_TEXT, m_text);
        DDV_MaxChars(pDX, m_text, 10);
        DDX_Text(pDX, IDC_DOUBLE, m_double);
        DDX_Check(pDX, IDC_CHECK, m_check);
        DDX_Radio(pDX, IDC_RADIO1, m_radio);
        DDX_CBIndex(pDX, IDC_CBINDEX, m_cbIndex);
        DDX_CBString(pDX, IDC_CBSTRING, m_cbString);
        DDX_LBString(pDX, IDC_LBSTRING, m_lbString);
        DDX_LBIndex(pDX, IDC_LBINDEX, m_lbIndex);
        DDX_DateTimeCtrl(pDX, IDC_DATE, m_date);
        DDX_Text(pDX, IDC_RANGE, m_range);
        DDV_MinMaxInt(pDX, m_range, 1, 32767);
        DDX_Control(pDX, IDC_CONTROL, m_edit);
    }
    void OnTextChange() { ++textChanges; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CExchangeDlg, CDialog)
    ON_EN_CHANGE(IDC_TEXT, OnTextChange)
END_MESSAGE_MAP()

SYSTEMTIME PickerTime(HWND dlg) {
    SYSTEMTIME st = {};
    ::SendDlgItemMessageA(dlg, IDC_DATE, DTM_GETSYSTEMTIME, 0, (LPARAM)&st);
    return st;
}

std::string ListText(HWND dlg, int id, bool combo) {
    HWND h = ::GetDlgItem(dlg, id);
    int sel = (int)::SendMessageA(h, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
    if (sel < 0) return "<none>";
    char buf[64] = {};
    ::SendMessageA(h, combo ? CB_GETLBTEXT : LB_GETTEXT, sel, (LPARAM)buf);
    return buf;
}

TEST(Dialog, ModalExchangeRoundTripOfEveryType) {
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr));
    CExchangeDlg dlg(&owner);
    Script script({
        [&] {
            HWND d = dlg.m_hWnd;
            if (!d || !::IsWindowVisible(d)) return false;
            EXPECT_FALSE(owner.IsWindowEnabled()) << "the owner is disabled while the dialog runs";
            EXPECT_EQ(::GetWindow(d, GW_OWNER), owner.m_hWnd);
            EXPECT_EQ(dlg.initDialogs, 1);
            EXPECT_EQ(dlg.textChanges, 0) << "the exchange's own edits do not notify the dialog";
            // The template's font reaches the dialog.
            LOGFONTA lf = {};
            ::GetObjectA((HFONT)::SendMessageA(d, WM_GETFONT, 0, 0), sizeof lf, &lf);
            EXPECT_STREQ(lf.lfFaceName, "Tahoma");
            // Members to controls.
            EXPECT_EQ(ItemText(d, IDC_INT), "-123");
            EXPECT_EQ(ItemText(d, IDC_UINT), "4000000000");
            EXPECT_EQ(ItemText(d, IDC_LONG), "-2000000000");
            EXPECT_EQ(ItemText(d, IDC_DWORD), "4294967295");
            EXPECT_EQ(ItemText(d, IDC_TEXT), "hello");
            EXPECT_EQ(ItemText(d, IDC_DOUBLE), "3.25");
            EXPECT_EQ(::IsDlgButtonChecked(d, IDC_CHECK), 1u);
            EXPECT_EQ(::IsDlgButtonChecked(d, IDC_RADIO1), 0u);
            EXPECT_EQ(::IsDlgButtonChecked(d, IDC_RADIO3), 1u);
            // DLGINIT filled the lists, in both message codes, skipping other records.
            EXPECT_EQ(::SendDlgItemMessageA(d, IDC_CBINDEX, CB_GETCOUNT, 0, 0), 3);
            EXPECT_EQ(::SendDlgItemMessageA(d, IDC_CBSTRING, CB_GETCOUNT, 0, 0), 2);
            EXPECT_EQ(::SendDlgItemMessageA(d, IDC_LBSTRING, LB_GETCOUNT, 0, 0), 3);
            EXPECT_EQ(::SendDlgItemMessageA(d, IDC_LBINDEX, LB_GETCOUNT, 0, 0), 2);
            EXPECT_EQ(ListText(d, IDC_CBINDEX, true), "Beta");
            EXPECT_EQ(ItemText(d, IDC_CBSTRING), "South");
            EXPECT_EQ(ListText(d, IDC_LBSTRING, false), "Green");
            EXPECT_EQ(ListText(d, IDC_LBINDEX, false), "Two");
            SYSTEMTIME st = PickerTime(d);
            EXPECT_EQ(st.wYear, 2026);
            EXPECT_EQ(st.wMonth, 5);
            EXPECT_EQ(st.wDay, 17);
            EXPECT_EQ(st.wHour, 13);
            EXPECT_EQ(st.wMinute, 45);
            EXPECT_EQ(ItemText(d, IDC_RANGE), "42");
            EXPECT_EQ(dlg.m_edit.m_hWnd, ::GetDlgItem(d, IDC_CONTROL));
            EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(d, IDC_CONTROL)), &dlg.m_edit);
            // The user edits every control.
            ::SetDlgItemTextA(d, IDC_INT, "77");
            ::SetDlgItemTextA(d, IDC_UINT, " 12 ");
            ::SetDlgItemTextA(d, IDC_LONG, "-5");
            ::SetDlgItemTextA(d, IDC_DWORD, "123456");
            ::SetDlgItemTextA(d, IDC_TEXT, "world");
            ::SetDlgItemTextA(d, IDC_DOUBLE, "-0.5");
            ::CheckDlgButton(d, IDC_CHECK, 0);
            ::CheckRadioButton(d, IDC_RADIO1, IDC_RADIO3, IDC_RADIO1);
            ::SendDlgItemMessageA(d, IDC_CBINDEX, CB_SETCURSEL, 2, 0);
            ::SetDlgItemTextA(d, IDC_CBSTRING, "East");
            ::SendDlgItemMessageA(d, IDC_LBSTRING, LB_SETCURSEL, 2, 0);
            ::SendDlgItemMessageA(d, IDC_LBINDEX, LB_SETCURSEL, 0, 0);
            SYSTEMTIME nt = {2027, 1, 0, 2, 3, 4, 5, 0};
            ::SendDlgItemMessageA(d, IDC_DATE, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&nt);
            ::SetDlgItemTextA(d, IDC_RANGE, "32767");
            Click(d, IDOK);
            return true;
        },
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(owner.IsWindowEnabled()) << "the owner is enabled again";
    EXPECT_EQ(dlg.m_hWnd, nullptr) << "the window is gone after DoModal";
    EXPECT_EQ(dlg.m_edit.m_hWnd, nullptr) << "the attached control let go of its window";
    EXPECT_GE(dlg.textChanges, 1) << "the user's edits do notify";
    EXPECT_EQ(dlg.m_int, 77);
    EXPECT_EQ(dlg.m_uint, 12u);
    EXPECT_EQ(dlg.m_long, -5);
    EXPECT_EQ(dlg.m_dword, 123456u);
    EXPECT_STREQ(dlg.m_text, "world");
    EXPECT_EQ(dlg.m_double, -0.5);
    EXPECT_EQ(dlg.m_check, 0);
    EXPECT_EQ(dlg.m_radio, 0);
    EXPECT_EQ(dlg.m_cbIndex, 2);
    EXPECT_STREQ(dlg.m_cbString, "East");
    EXPECT_STREQ(dlg.m_lbString, "Blue");
    EXPECT_EQ(dlg.m_lbIndex, 0);
    EXPECT_EQ(dlg.m_date.GetYear(), 2027);
    EXPECT_EQ(dlg.m_date.GetMonth(), 1);
    EXPECT_EQ(dlg.m_date.GetDay(), 2);
    EXPECT_EQ(dlg.m_range, 32767);
    owner.DestroyWindow();
}

// A bad value: the framework's message appears, the dialog stays open with the
// focus on the control, and the corrected value lets OK close it.
struct BadValueCase {
    int id;
    const char* bad;
    const char* message;
    const char* good;
};

TEST(Dialog, BadValueKeepsTheDialogOpenOnTheControl) {
    const BadValueCase cases[] = {
        {IDC_INT, "12x", "Please enter an integer.", "12"},
        {IDC_INT, "", "Please enter an integer.", "0"},
        {IDC_INT, "99999999999", "Please enter an integer.", "-7"},
        {IDC_UINT, "-1", "Please enter a positive integer.", "1"},
        {IDC_DOUBLE, "1.5.2", "Please enter a number.", "1.5"},
        {IDC_RANGE, "0", "Please enter an integer between 1 and 32767.", "1"},
        {IDC_RANGE, "32768", "Please enter an integer between 1 and 32767.", "32767"},
        {IDC_TEXT, "eleven char", "Please enter no more than 10 characters.", "ten chars!"},
    };
    for (const BadValueCase& c : cases) {
        SCOPED_TRACE(std::string("control ") + std::to_string(c.id) + " text '" + c.bad + "'");
        CExchangeDlg dlg;
        HWND box = nullptr;
        Script script({
            [&] {
                if (!dlg.m_hWnd || !::IsWindowVisible(dlg.m_hWnd)) return false;
                ::SetDlgItemTextA(dlg.m_hWnd, c.id, c.bad);
                Click(dlg.m_hWnd, IDOK);
                return true;
            },
            [&] {
                box = FindOtherDialog({dlg.m_hWnd});
                if (!box) return false;
                EXPECT_EQ(BoxText(box), c.message);
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                return true;
            },
            [&] {
                if (::IsWindow(box)) return false;
                if (::GetFocus() != ::GetDlgItem(dlg.m_hWnd, c.id)) return false;  // set when Fail runs
                EXPECT_TRUE(::IsWindowVisible(dlg.m_hWnd)) << "the dialog stays open";
                ::SetDlgItemTextA(dlg.m_hWnd, c.id, c.good);
                Click(dlg.m_hWnd, IDOK);
                return true;
            },
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
    }
}

TEST(Dialog, CancelLeavesTheMembersAndAMissingTemplateFails) {
    CExchangeDlg dlg;
    Script script({[&] {
        if (!dlg.m_hWnd || !::IsWindowVisible(dlg.m_hWnd)) return false;
        ::SetDlgItemTextA(dlg.m_hWnd, IDC_INT, "5");
        ::PostMessageA(dlg.m_hWnd, WM_CLOSE, 0, 0);
        return true;
    }});
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(dlg.m_int, -123);

    CDialog missing(4242u);
    EXPECT_EQ(missing.DoModal(), -1);
}

class CEarlyEndDlg : public CDialog {
public:
    CEarlyEndDlg() : CDialog(IDD_EARLYEND) {}
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        EndDialog(77);
        return TRUE;
    }
};

TEST(Dialog, EndDialogDuringInitEndsWithoutALoop) {
    CEarlyEndDlg dlg;
    EXPECT_EQ(dlg.DoModal(), 77);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(Dialog, MalformedDlgInitStopsAtTheBadRecord) {
    CDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_BADINIT));
    // Create ran OnInitDialog, which filled what the resource holds intact.
    EXPECT_EQ(::SendDlgItemMessageA(dlg.m_hWnd, IDC_COMBO, CB_GETCOUNT, 0, 0), 1);
    char buf[16] = {};
    ::SendDlgItemMessageA(dlg.m_hWnd, IDC_COMBO, CB_GETLBTEXT, 0, (LPARAM)buf);
    EXPECT_STREQ(buf, "ok");
    EXPECT_FALSE(dlg.ExecuteDlgInit(MAKEINTRESOURCEA(IDD_BADINIT)));
    dlg.DestroyWindow();
}

// A form view (views delete themselves) whose creation fails at WM_CREATE
// when failCreate is set.
class CFailingForm : public CFormView {
public:
    explicit CFailingForm(UINT templateId) : CFormView(templateId) {}
    int* destroyed = nullptr;
    bool failCreate = false;
    ~CFailingForm() override { ++*destroyed; }
    int OnCreate(LPCREATESTRUCTA cs) { return failCreate ? -1 : CFormView::OnCreate(cs); }
    void OnDraw(CDC*) override {}
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFailingForm, CFormView)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST(Dialog, FailedFormViewIsDeletedOnce) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "form parent", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200), nullptr, 0));
    struct Case {
        const char* name;
        UINT templateId;
        bool failCreate;
    } const cases[] = {
        {"missing template, never attached", 999, false},
        {"WM_CREATE gives -1 once attached", IDD_MODELESS, true},
    };
    for (const Case& c : cases) {
        int destroyed = 0;
        CFailingForm* form = new CFailingForm(c.templateId);
        form->destroyed = &destroyed;
        form->failCreate = c.failCreate;
        EXPECT_FALSE(form->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &parent, 1))
            << c.name;
        EXPECT_EQ(destroyed, 1) << c.name;
    }
    parent.DestroyWindow();
}

// Pumps as the application's loop does: the window tree sees each message first.
template <class Done>
bool PumpWithPreTranslate(Done done, DWORD ms = 10000) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms) return false;
        MSG m;
        while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (CWnd::WalkPreTranslateTree(nullptr, &m)) continue;
            ::TranslateMessage(&m);
            ::DispatchMessageA(&m);
        }
        if (!done()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

TEST(Dialog, ModelessDialogNavigatesThroughPreTranslate) {
    CDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_MODELESS));
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.m_hWnd), &dlg);
    EXPECT_EQ(::GetWindow(dlg.m_hWnd, GW_OWNER), nullptr) << "no parent, no owner";
    dlg.ShowWindow(SW_SHOW);
    HWND first = ::GetDlgItem(dlg.m_hWnd, IDC_FIRST), second = ::GetDlgItem(dlg.m_hWnd, IDC_SECOND);
    ::SetFocus(first);
    ASSERT_EQ(::GetFocus(), first);
    ::PostMessageA(first, WM_KEYDOWN, VK_TAB, 0x000F0001);
    ::PostMessageA(first, WM_KEYUP, VK_TAB, 0xC00F0001);
    EXPECT_TRUE(PumpWithPreTranslate([&] { return ::GetFocus() == second; })) << "Tab moved to the next control";
    // Esc reaches OnCancel, which hides a modeless dialog; the window stays.
    ::PostMessageA(second, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_TRUE(PumpWithPreTranslate([&] { return !dlg.IsWindowVisible(); }));
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

// ---- property sheet ---------------------------------------------------------

struct PageLog {
    int setActive = 0, killActive = 0, apply = 0, ok = 0, reset = 0;
};

class CFirstPage : public CPropertyPage {
public:
    CFirstPage() : CPropertyPage(IDD_PAGE1, IDS_PAGE1_TITLE) {}
    int m_value = 10;
    int m_flag = 0;
    PageLog log;
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_P1_VALUE, m_value);
        DDV_MinMaxInt(pDX, m_value, 1, 100);
        DDX_Check(pDX, IDC_P1_FLAG, m_flag);
    }
    BOOL OnSetActive() override { ++log.setActive; return CPropertyPage::OnSetActive(); }
    BOOL OnKillActive() override { ++log.killActive; return CPropertyPage::OnKillActive(); }
    BOOL OnApply() override { ++log.apply; return CPropertyPage::OnApply(); }
    void OnOK() override { ++log.ok; }
    void OnReset() override { ++log.reset; }
};

class CSecondPage : public CPropertyPage {
public:
    CSecondPage() : CPropertyPage(IDD_PAGE2) {}
    int m_port = 65000;
    CString m_name = "local";
    PageLog log;
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_P2_PORT, m_port);
        DDV_MinMaxInt(pDX, m_port, 1, 65535);
        DDX_Text(pDX, IDC_P2_NAME, m_name);
    }
    BOOL OnSetActive() override { ++log.setActive; return CPropertyPage::OnSetActive(); }
    BOOL OnKillActive() override { ++log.killActive; return CPropertyPage::OnKillActive(); }
    BOOL OnApply() override { ++log.apply; return CPropertyPage::OnApply(); }
    void OnOK() override { ++log.ok; }
    void OnReset() override { ++log.reset; }
};

class CTestSheet : public CPropertySheet {
public:
    CTestSheet() : CPropertySheet(IDS_SHEET) {
        m_psh.dwFlags |= PSH_NOAPPLYNOW;
        AddPage(&first);
        AddPage(&second);
    }
    CFirstPage first;
    CSecondPage second;
    int initDialogs = 0;
    BOOL OnInitDialog() override {
        ++initDialogs;
        EXPECT_NE(::GetDlgItem(m_hWnd, IDOK), nullptr) << "the system built the sheet first";
        return CPropertySheet::OnInitDialog();
    }
};

TEST(PropertySheet, SwitchingPagesExchangesDataAndOkAppliesBoth) {
    CTestSheet sheet;
    EXPECT_EQ(sheet.GetPageCount(), 2);
    HWND box = nullptr;
    Script script({
        [&] {
            if (!sheet.m_hWnd || !sheet.first.m_hWnd || !::IsWindowVisible(sheet.m_hWnd)) return false;
            EXPECT_EQ(sheet.initDialogs, 1);
            EXPECT_NE(Text(sheet.m_hWnd).find("Test sheet"), std::string::npos) << Text(sheet.m_hWnd);
            HWND apply = ::GetDlgItem(sheet.m_hWnd, 0x3021);  // the system's Apply button
            EXPECT_FALSE(apply && ::IsWindowVisible(apply)) << "PSH_NOAPPLYNOW";
            EXPECT_EQ(sheet.GetActivePage(), &sheet.first);
            EXPECT_EQ(sheet.first.log.setActive, 1);
            EXPECT_EQ(ItemText(sheet.first.m_hWnd, IDC_P1_VALUE), "10");
            ::SetDlgItemTextA(sheet.first.m_hWnd, IDC_P1_VALUE, "55");
            ::CheckDlgButton(sheet.first.m_hWnd, IDC_P1_FLAG, 1);
            ::PostMessageA(sheet.m_hWnd, PSM_SETCURSEL, 1, 0);
            return true;
        },
        [&] {
            if (sheet.GetActivePage() != &sheet.second) return false;
            EXPECT_EQ(sheet.first.log.killActive, 1);
            EXPECT_EQ(sheet.first.m_value, 55) << "kill-active took the page's values";
            EXPECT_EQ(sheet.first.m_flag, 1);
            EXPECT_EQ(sheet.second.log.setActive, 1);
            EXPECT_EQ(ItemText(sheet.second.m_hWnd, IDC_P2_PORT), "65000");
            ::SetDlgItemTextA(sheet.second.m_hWnd, IDC_P2_PORT, "70000");
            sheet.PressButton(PSBTN_OK);
            return true;
        },
        [&] {
            box = FindOtherDialog({sheet.m_hWnd});
            if (!box) return false;
            EXPECT_EQ(BoxText(box), "Please enter an integer between 1 and 65535.");
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            return true;
        },
        [&] {
            if (::IsWindow(box)) return false;
            if (::GetFocus() != ::GetDlgItem(sheet.second.m_hWnd, IDC_P2_PORT)) return false;
            EXPECT_TRUE(::IsWindowVisible(sheet.m_hWnd)) << "the sheet stays open";
            EXPECT_EQ(sheet.GetActivePage(), &sheet.second);
            EXPECT_EQ(sheet.first.log.apply + sheet.second.log.apply, 0);
            ::SetDlgItemTextA(sheet.second.m_hWnd, IDC_P2_PORT, "8080");
            ::SetDlgItemTextA(sheet.second.m_hWnd, IDC_P2_NAME, "srv");
            sheet.PressButton(PSBTN_OK);
            return true;
        },
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(sheet.first.log.apply, 1);
    EXPECT_EQ(sheet.first.log.ok, 1);
    EXPECT_EQ(sheet.second.log.apply, 1);
    EXPECT_EQ(sheet.second.log.ok, 1);
    EXPECT_EQ(sheet.first.m_value, 55);
    EXPECT_EQ(sheet.second.m_port, 8080);
    EXPECT_STREQ(sheet.second.m_name, "srv");
}

TEST(PropertySheet, ReopenedSheetRefreshesPagesAndCancelAppliesNothing) {
    CTestSheet sheet;
    sheet.first.m_value = 33;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Script script({
            [&] {
                if (!sheet.m_hWnd || !sheet.first.m_hWnd || !::IsWindowVisible(sheet.m_hWnd)) return false;
                EXPECT_EQ(ItemText(sheet.first.m_hWnd, IDC_P1_VALUE), "33");
                ::PostMessageA(sheet.m_hWnd, PSM_SETCURSEL, 1, 0);
                return true;
            },
            [&] {
                if (sheet.GetActivePage() != &sheet.second) return false;
                sheet.first.m_value = 44;  // changed behind the page's back
                ::PostMessageA(sheet.m_hWnd, PSM_SETCURSEL, 0, 0);
                return true;
            },
            [&] {
                if (sheet.GetActivePage() != &sheet.first) return false;
                EXPECT_EQ(ItemText(sheet.first.m_hWnd, IDC_P1_VALUE), "44") << "a later set-active refreshes the controls";
                sheet.first.m_value = 33;
                sheet.PressButton(PSBTN_CANCEL);
                return true;
            },
        });
        EXPECT_EQ(sheet.DoModal(), IDCANCEL);
        EXPECT_TRUE(script.Finished()) << "stopped at step " << script.StepReached();
        EXPECT_EQ(sheet.first.log.apply + sheet.second.log.apply, 0);
        EXPECT_EQ(sheet.first.m_hWnd, nullptr);
    }
    EXPECT_EQ(sheet.initDialogs, 2);
}

// ---- message boxes and texts ----------------------------------------------

TEST(MessageBox, StringIdShowsTheResourceText) {
    std::string seen;
    Script script({[&] {
        HWND box = FindOtherDialog({});
        if (!box) return false;
        seen = BoxText(box);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    }});
    EXPECT_EQ(AfxMessageBox(IDS_HELLO, MB_OK | MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(seen, "Hello from the test resources");
}

TEST(MessageBox, TextFormReturnsTheButtonPressed) {
    std::string seen;
    Script script({[&] {
        HWND box = FindOtherDialog({});
        if (!box) return false;
        seen = BoxText(box);
        ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        return true;
    }});
    EXPECT_EQ(AfxMessageBox("Proceed?", MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
    EXPECT_EQ(seen, "Proceed?");
}

TEST(MessageBox, FrameworkTextsSurviveALanguageModuleWithoutThem) {
    HINSTANCE saved = AfxGetResourceHandle();
    AfxSetResourceHandle(::GetModuleHandleA("kernel32.dll"));
    EXPECT_STREQ(AfxLoadFrameworkString(AFX_IDP_PARSE_INT_RANGE), "Please enter an integer between %1 and %2.");
    EXPECT_STREQ(AfxFormatString2(AFX_IDP_PARSE_INT_RANGE, "1", "65535"), "Please enter an integer between 1 and 65535.");
    AfxSetResourceHandle(saved);
}

// ---- file dialog --------------------------------------------------------------

TEST(FileDialog, FilterPathAndParts) {
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + "fwdlg_test.ini";
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    ::CloseHandle(f);

    CFileDialog dlg(TRUE, "ini", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "INI file (*.ini\xA1)|*.ini||");
    Script script({[&] {
        HWND d = FindOtherDialog({});
        if (!d) return false;
        // The file-name field: a combo box in the explorer layout, else an edit.
        HWND name = ::GetDlgItem(d, 0x047C);
        if (!name) name = ::GetDlgItem(d, 0x0480);
        if (!name) return false;
        ::SetWindowTextA(name, path.c_str());
        Click(d, IDOK);
        return true;
    }});
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(script.Finished());
    const char expectedFilter[] = "INI file (*.ini\xA1)\0*.ini\0\0";
    EXPECT_EQ(std::string(dlg.m_ofn.lpstrFilter, sizeof expectedFilter), std::string(expectedFilter, sizeof expectedFilter));
    EXPECT_EQ(lstrcmpiA(dlg.GetPathName(), path.c_str()), 0) << (LPCSTR)dlg.GetPathName();
    EXPECT_STREQ(dlg.GetFileName(), "fwdlg_test.ini");
    EXPECT_STREQ(dlg.GetFileExt(), "ini");
    EXPECT_STREQ(dlg.GetFileTitle(), "fwdlg_test");
    ::DeleteFileA(path.c_str());
}

}  // namespace
