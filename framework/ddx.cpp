#include "framework/ddx.h"
#include "framework/dialog.h"
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CUserException, CSimpleException)

void AfxThrowUserException() { throw new CUserException; }

// ---- UpdateData ------------------------------------------------------------

namespace {

// Control notifications caused by the exchange itself do not reach the window.
class NotifyLockout {
public:
    explicit NotifyLockout(HWND h) : m_old(AfxSetNotifyLockout(h)) {}
    ~NotifyLockout() { AfxSetNotifyLockout(m_old); }
private:
    HWND m_old;
};

}  // namespace

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    NotifyLockout lock(m_hWnd);
    try {
        DoDataExchange(&dx);
    } catch (CUserException* e) {
        e->Delete();  // the user has been told and the control has the focus
        return FALSE;
    }
    return TRUE;
}

// ---- CDataExchange ---------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND h = ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), nIDC);
    if (!h) AfxThrowNotSupportedException();  // a DDX_ for a control the template lacks
    m_hWndLastControl = h;
    m_bEditLastControl = FALSE;
    return h;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND h = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return h;
}

void CDataExchange::Fail() {
    if (m_hWndLastControl && ::IsWindow(m_hWndLastControl)) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl) ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    AfxThrowUserException();
}

namespace {

CString WindowText(HWND h) {
    CString s;
    int n = ::GetWindowTextLengthA(h);
    if (n > 0) {
        ::GetWindowTextA(h, s.GetBuffer(n + 1), n + 1);
        s.ReleaseBuffer();
    }
    return s;
}

[[noreturn]] void FailWith(CDataExchange* pDX, UINT nIDPrompt) {
    AfxMessageBox(nIDPrompt, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
}

[[noreturn]] void FailRange(CDataExchange* pDX, UINT nIDFormat, LPCSTR lo, LPCSTR hi) {
    CString text = AfxFormatString2(nIDFormat, lo, hi);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whole text as one decimal integer in [lo, hi]; blanks around it are allowed,
// anything else (empty, junk, overflow) is not.
bool ParseInteger(LPCSTR s, long long lo, long long hi, long long& out) {
    while (IsBlank(*s)) ++s;
    if (lo >= 0 && *s == '-') return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s, &end, 10);
    if (end == s || errno == ERANGE) return false;
    while (IsBlank(*end)) ++end;
    if (*end || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool ParseReal(LPCSTR s, double& out) {
    while (IsBlank(*s)) ++s;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(s, &end);
    if (end == s || errno == ERANGE || !std::isfinite(v)) return false;
    while (IsBlank(*end)) ++end;
    if (*end) return false;
    out = v;
    return true;
}

template <class T>
void TextInteger(CDataExchange* pDX, int nIDC, T& value, long long lo, long long hi, UINT nIDPrompt, LPCSTR fmt) {
    HWND h = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        long long v = 0;
        if (!ParseInteger(WindowText(h), lo, hi, v)) FailWith(pDX, nIDPrompt);
        value = (T)v;
    } else {
        char buf[32];
        std::snprintf(buf, sizeof buf, fmt, (long long)value);
        ::SetWindowTextA(h, buf);
    }
}

template <class T>
void TextReal(CDataExchange* pDX, int nIDC, T& value, int digits) {
    HWND h = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        double v = 0;
        if (!ParseReal(WindowText(h), v)) FailWith(pDX, AFX_IDP_PARSE_REAL);
        value = (T)v;
    } else {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*g", digits, (double)value);
        ::SetWindowTextA(h, buf);
    }
}

CString ItemText(HWND h, UINT lenMsg, UINT textMsg, int index) {
    CString s;
    LRESULT n = ::SendMessageA(h, lenMsg, (WPARAM)index, 0);
    if (n > 0) {
        ::SendMessageA(h, textMsg, (WPARAM)index, (LPARAM)s.GetBuffer((int)n + 1));
        s.ReleaseBuffer();
    }
    return s;
}

}  // namespace

// ---- DDX_Text --------------------------------------------------------------

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    TextInteger(pDX, nIDC, value, INT_MIN, INT_MAX, AFX_IDP_PARSE_INT, "%lld");
}
void DDX_Text(CDataExchange* pDX, int nIDC, long& value) {
    TextInteger(pDX, nIDC, value, LONG_MIN, LONG_MAX, AFX_IDP_PARSE_INT, "%lld");
}
void DDX_Text(CDataExchange* pDX, int nIDC, short& value) {
    TextInteger(pDX, nIDC, value, SHRT_MIN, SHRT_MAX, AFX_IDP_PARSE_INT, "%lld");
}
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
    TextInteger(pDX, nIDC, value, 0, UINT_MAX, AFX_IDP_PARSE_UINT, "%llu");
}
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value) {
    TextInteger(pDX, nIDC, value, 0, 0xFFFFFFFFLL, AFX_IDP_PARSE_UINT, "%llu");
}
void DDX_Text(CDataExchange* pDX, int nIDC, BYTE& value) {
    TextInteger(pDX, nIDC, value, 0, 255, AFX_IDP_PARSE_BYTE, "%llu");
}
void DDX_Text(CDataExchange* pDX, int nIDC, double& value) { TextReal(pDX, nIDC, value, 15); }
void DDX_Text(CDataExchange* pDX, int nIDC, float& value) { TextReal(pDX, nIDC, value, 6); }

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND h = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) value = WindowText(h);
    else ::SetWindowTextA(h, value);
}

// ---- buttons ---------------------------------------------------------------

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) value = (int)::SendMessageA(h, BM_GETCHECK, 0, 0);
    else ::SendMessageA(h, BM_SETCHECK, (WPARAM)value, 0);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND first = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) value = -1;
    int index = 0;
    for (HWND b = first; b; b = ::GetWindow(b, GW_HWNDNEXT)) {
        if (b != first && (::GetWindowLongA(b, GWL_STYLE) & WS_GROUP)) break;  // next group
        if (!(::SendMessageA(b, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) continue;
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessageA(b, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

// ---- combo and list boxes ----------------------------------------------------

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) index = (int)::SendMessageA(h, CB_GETCURSEL, 0, 0);
    else ::SendMessageA(h, CB_SETCURSEL, (WPARAM)index, 0);  // out of range: no selection
}

namespace {

CString ComboValue(HWND h) {
    // A combo with an edit holds its text there; a drop-down list, in its selection.
    if (::GetWindowTextLengthA(h) > 0) return WindowText(h);
    int sel = (int)::SendMessageA(h, CB_GETCURSEL, 0, 0);
    return sel == CB_ERR ? CString() : ItemText(h, CB_GETLBTEXTLEN, CB_GETLBTEXT, sel);
}

void ComboSelect(HWND h, const CString& value, bool exact) {
    int sel = CB_ERR;
    if (!value.IsEmpty()) {
        // An empty text would match every item as a prefix: it selects nothing.
        if (exact) {
            sel = (int)::SendMessageA(h, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)(LPCSTR)value);
            if (sel != CB_ERR) ::SendMessageA(h, CB_SETCURSEL, (WPARAM)sel, 0);
        } else {
            sel = (int)::SendMessageA(h, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)(LPCSTR)value);
        }
    }
    if (sel == CB_ERR) {
        ::SendMessageA(h, CB_SETCURSEL, (WPARAM)-1, 0);
        ::SetWindowTextA(h, value);  // kept by combos with an edit
    }
}

void ListSelect(HWND h, const CString& value, bool exact) {
    int sel = LB_ERR;
    if (!value.IsEmpty()) {
        if (exact) {
            sel = (int)::SendMessageA(h, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)(LPCSTR)value);
            if (sel != LB_ERR) ::SendMessageA(h, LB_SETCURSEL, (WPARAM)sel, 0);
        } else {
            sel = (int)::SendMessageA(h, LB_SELECTSTRING, (WPARAM)-1, (LPARAM)(LPCSTR)value);
        }
    }
    if (sel == LB_ERR) ::SendMessageA(h, LB_SETCURSEL, (WPARAM)-1, 0);
}

CString ListValue(HWND h) {
    int sel = (int)::SendMessageA(h, LB_GETCURSEL, 0, 0);
    return sel == LB_ERR ? CString() : ItemText(h, LB_GETTEXTLEN, LB_GETTEXT, sel);
}

}  // namespace

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) value = ComboValue(h);
    else ComboSelect(h, value, false);
}

void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) value = ComboValue(h);
    else ComboSelect(h, value, true);
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) index = (int)::SendMessageA(h, LB_GETCURSEL, 0, 0);
    else ::SendMessageA(h, LB_SETCURSEL, (WPARAM)index, 0);
}

void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) value = ListValue(h);
    else ListSelect(h, value, false);
}

void DDX_LBStringExact(CDataExchange* pDX, int nIDC, CString& value) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) value = ListValue(h);
    else ListSelect(h, value, true);
}

// ---- controls and date-time pickers -----------------------------------------------

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd) return;  // attached already (by an earlier exchange)
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(h)) AfxThrowNotSupportedException();
}

void DDX_DateTimeCtrl(CDataExchange* pDX, int nIDC, CTime& value) {
    HWND h = pDX->PrepareCtrl(nIDC);
    SYSTEMTIME st = {};
    if (pDX->m_bSaveAndValidate) {
        if (::SendMessageA(h, DTM_GETSYSTEMTIME, 0, (LPARAM)&st) == GDT_VALID) value = CTime(st);
        else value = CTime();
    } else if (value.GetAsSystemTime(st)) {
        ::SendMessageA(h, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&st);
    } else {
        ::SendMessageA(h, DTM_SETSYSTEMTIME, GDT_NONE, 0);
    }
}

void DDX_DateTimeCtrl(CDataExchange* pDX, int nIDC, COleDateTime& value) {
    HWND h = pDX->PrepareCtrl(nIDC);
    SYSTEMTIME st = {};
    if (pDX->m_bSaveAndValidate) {
        if (::SendMessageA(h, DTM_GETSYSTEMTIME, 0, (LPARAM)&st) == GDT_VALID) {
            value = COleDateTime(st);
        } else {
            value = COleDateTime();
            value.SetStatus(COleDateTime::null);
        }
    } else if (value.GetStatus() == COleDateTime::valid && value.GetAsSystemTime(st)) {
        ::SendMessageA(h, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&st);
    } else {
        ::SendMessageA(h, DTM_SETSYSTEMTIME, GDT_NONE, 0);
    }
}

// ---- validation --------------------------------------------------------------

namespace {

template <class T>
void CheckRange(CDataExchange* pDX, T value, T lo, T hi, UINT nIDFormat, LPCSTR fmt) {
    if (!pDX->m_bSaveAndValidate || (value >= lo && value <= hi)) return;
    char a[64], b[64];
    std::snprintf(a, sizeof a, fmt, lo);
    std::snprintf(b, sizeof b, fmt, hi);
    FailRange(pDX, nIDFormat, a, b);
}

}  // namespace

void DDV_MinMaxInt(CDataExchange* pDX, int value, int lo, int hi) {
    CheckRange<long long>(pDX, value, lo, hi, AFX_IDP_PARSE_INT_RANGE, "%lld");
}
void DDV_MinMaxLong(CDataExchange* pDX, long value, long lo, long hi) {
    CheckRange<long long>(pDX, value, lo, hi, AFX_IDP_PARSE_INT_RANGE, "%lld");
}
void DDV_MinMaxShort(CDataExchange* pDX, short value, short lo, short hi) {
    CheckRange<long long>(pDX, value, lo, hi, AFX_IDP_PARSE_INT_RANGE, "%lld");
}
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT lo, UINT hi) {
    CheckRange<unsigned long long>(pDX, value, lo, hi, AFX_IDP_PARSE_INT_RANGE, "%llu");
}
void DDV_MinMaxDWord(CDataExchange* pDX, DWORD value, DWORD lo, DWORD hi) {
    CheckRange<unsigned long long>(pDX, value, lo, hi, AFX_IDP_PARSE_INT_RANGE, "%llu");
}
void DDV_MinMaxByte(CDataExchange* pDX, BYTE value, BYTE lo, BYTE hi) {
    CheckRange<unsigned long long>(pDX, value, lo, hi, AFX_IDP_PARSE_INT_RANGE, "%llu");
}
void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double lo, double hi) {
    CheckRange<double>(pDX, value, lo, hi, AFX_IDP_PARSE_REAL_RANGE, "%.15g");
}
void DDV_MinMaxFloat(CDataExchange* pDX, const float& value, float lo, float hi) {
    CheckRange<double>(pDX, value, lo, hi, AFX_IDP_PARSE_REAL_RANGE, "%.6g");
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
    if (!pDX->m_bSaveAndValidate) {
        // Limit the control the value came from, so the user cannot type more.
        HWND h = pDX->m_hWndLastControl;
        if (!h) return;
        char cls[16] = {};
        ::GetClassNameA(h, cls, sizeof cls);
        if (lstrcmpiA(cls, "ComboBox") == 0) ::SendMessageA(h, CB_LIMITTEXT, (WPARAM)nChars, 0);
        else if (pDX->m_bEditLastControl) ::SendMessageA(h, EM_LIMITTEXT, (WPARAM)nChars, 0);
        return;
    }
    if (value.GetLength() <= nChars) return;
    char n[16];
    std::snprintf(n, sizeof n, "%d", nChars);
    CString text = AfxFormatString1(AFX_IDP_PARSE_STRING_SIZE, n);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
}
