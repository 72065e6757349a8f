// Dialog data exchange: UpdateData's CDataExchange and the DDX_/DDV_ functions.
//
// Every DDX_ moves one value between a member and a control, in the direction
// of m_bSaveAndValidate. A DDV_ after the DDX_ of the same control checks the
// value on save. A bad value shows the framework's message (dialogtexts.rc),
// puts the focus on the control and throws CUserException, which UpdateData
// catches and answers with FALSE.
#pragma once
#include "framework/wnd.h"
#include "framework/exceptions.h"
#include "framework/time.h"

// Thrown when the user has been told about a problem already.
class CUserException : public CSimpleException {
    DECLARE_DYNAMIC(CUserException)
public:
    CUserException() = default;
};
[[noreturn]] void AfxThrowUserException();

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    // The control's window (throws CNotSupportedException when the dialog has
    // no such control); remembered as the one a later Fail focuses.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Focuses the last prepared control (selecting an edit's text), throws.
    [[noreturn]] void Fail();

    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};

void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Text(CDataExchange* pDX, int nIDC, long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value);
void DDX_Text(CDataExchange* pDX, int nIDC, short& value);
void DDX_Text(CDataExchange* pDX, int nIDC, BYTE& value);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
void DDX_Text(CDataExchange* pDX, int nIDC, float& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// nIDC is the first button of the group (the one with WS_GROUP); -1 = none checked.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_LBStringExact(CDataExchange* pDX, int nIDC, CString& value);
// Attaches (subclasses) rControl to the dialog item the first time.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_DateTimeCtrl(CDataExchange* pDX, int nIDC, CTime& value);
void DDX_DateTimeCtrl(CDataExchange* pDX, int nIDC, COleDateTime& value);

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal);
void DDV_MinMaxDWord(CDataExchange* pDX, DWORD value, DWORD minVal, DWORD maxVal);
void DDV_MinMaxShort(CDataExchange* pDX, short value, short minVal, short maxVal);
void DDV_MinMaxByte(CDataExchange* pDX, BYTE value, BYTE minVal, BYTE maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal);
void DDV_MinMaxFloat(CDataExchange* pDX, const float& value, float minVal, float maxVal);
// On load it limits the edit (or combo edit) to nChars characters.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
